// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The swipe recogniser: each mouse report of the remote is a tick at which the latest deltas of
// its status report become one gesture sample. A direction whose seventh qualifying sample
// arrives while the gesture key is held raises its swipe; after a swipe nothing is sampled
// until the remote has been quiet (no mouse report) for 200 ms.
// Thread: the GUI thread. The caller owns the 200 ms quiet timer: it restarts it whenever Tick
// says so and calls OnQuietTimeout when it fires.

#include <array>
#include <cstddef>
#include <vector>

struct GestureSample {
  int x;
  int y;
  double angle;  // degrees in (-180, 180]: 0 right, -90 up, 90 down
};

// The remote was linked and its gesture key held at the last sampled mouse report.
extern bool g_bGestureArmed;

class CGestureRecognizer {
 public:
  static constexpr int kQuietMs = 200;
  static constexpr std::size_t kSamplesBeforeSwipe = 6;  // the seventh qualifying sample fires

  struct TickResult {
    bool restartQuietTimer = false;
    int swipeCode = 0;  // 6-13, or 0 for none
  };

  // One mouse report of the remote. `gesturesEnabled` is the user's switch: off, the report is
  // ignored entirely. `haveTarget`: a main window exists to receive the swipe; without one a
  // full list still empties and disarms, but raises nothing.
  TickResult Tick(bool gesturesEnabled, int dx, int dy, bool linked, bool gestureKey, bool haveTarget);

  void OnQuietTimeout() { m_bEnablePost = true; }

  bool m_bEnablePost = true;
  // One list per direction, in detector order: up, up-right, right, down-right, down,
  // down-left, left, up-left.
  std::array<std::vector<GestureSample>, 8> m_samples;

 private:
  bool Detect(int direction, const GestureSample& sample, bool haveTarget);
};
