// SPDX-License-Identifier: GPL-3.0-or-later
#include "GestureRecognizer.h"

#include "DeviceEvents.h"
#include "platform/log.h"

#include <cmath>
#include <string>

bool g_bGestureArmed = false;

namespace {

constexpr const char* kCategory = "veltrio.gesture";
constexpr int kMinimumDelta = 18;  // strictly more is needed
constexpr double kDegreesPerRadian = 57.29577951308232;

struct Direction {
  int code;
  const char* marker;   // UTF-8 arrow for the debug line
  const char* handler;  // the name the debug line gives
  bool (*qualifies)(int x, int y, double angle);
};

constexpr int d = kMinimumDelta;
const Direction kDirections[8] = {
    {kEventSwipeUp, "\u2191", "OnTriggeractionUp", [](int, int y, double a) { return y < -d && a > -98 && a < -82; }},
    {kEventSwipeUpRight, "\u2197", "OnTriggeractionUpRight",
     [](int x, int y, double a) { return y < -d && x > d && a > -53 && a < -37; }},
    {kEventSwipeRight, "\u2192", "OnTriggeractionRight", [](int x, int, double a) { return x > d && a > -8 && a < 8; }},
    {kEventSwipeDownRight, "\u2198", "OnTriggeractionDownRight",
     [](int x, int y, double a) { return x > d && y > d && a > 37 && a < 53; }},
    {kEventSwipeDown, "\u2193", "OnTriggeractionDown", [](int, int y, double a) { return y > d && a > 82 && a < 98; }},
    {kEventSwipeDownLeft, "\u2199", "OnTriggeractionDownLeft",
     [](int x, int, double a) { return x < -d && a > 127 && a < 143; }},
    {kEventSwipeLeft, "\u2190", "OnTriggeractionLeft", [](int x, int, double a) { return x < -d && (a > 172 || a < -172); }},
    {kEventSwipeUpLeft, "\u2196", "OnTriggeractionLeftUP",
     [](int, int y, double a) { return y < -d && a > -143 && a < -127; }},
};

}  // namespace

CGestureRecognizer::TickResult CGestureRecognizer::Tick(bool gesturesEnabled, int dx, int dy, bool linked,
                                                        bool gestureKey, bool haveTarget) {
  TickResult result;
  if (!gesturesEnabled) return result;
  const GestureSample sample{dx, dy, std::atan2(double(dy), double(dx)) * kDegreesPerRadian};
  g_bGestureArmed = linked && gestureKey;
  result.restartQuietTimer = true;
  if (!m_bEnablePost) return result;

  for (int direction = 0; direction < 8; ++direction) {
    if (Detect(direction, sample, haveTarget)) {
      platform::LogDebug(kCategory, std::string("bPostOk&&m_bEnablePost OnTriggeraction ") +
                                        kDirections[direction].handler);
      m_bEnablePost = false;
      result.swipeCode = kDirections[direction].code;
      break;
    }
  }
  return result;
}

bool CGestureRecognizer::Detect(int direction, const GestureSample& sample, bool haveTarget) {
  std::vector<GestureSample>& samples = m_samples[direction];
  if (!g_bGestureArmed) {
    samples.clear();
    return false;
  }
  const Direction& dir = kDirections[direction];
  if (!dir.qualifies(sample.x, sample.y, sample.angle)) return false;

  // OnAddAndTrnnger
  if (samples.size() < kSamplesBeforeSwipe) {
    samples.push_back(sample);
    return false;
  }
  samples.clear();
  g_bGestureArmed = false;
  if (!haveTarget) return false;
  platform::LogDebug(kCategory, std::string(dir.marker) + " SendMessage " + std::to_string(dir.code));
  return true;
}
