// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small X client for tests: a plain window at a given place that records the mouse button
// events that reach it, with where they hit.
// Thread: one thread. Failure: Open returns false with the reason in Error().

#include <chrono>
#include <string>
#include <vector>

typedef struct _XDisplay Display;

namespace testsupport {

struct RecordedButton {
  bool press = true;
  unsigned button = 0;  // 1 left, 2 middle, 3 right
  int x = 0;            // in the window
  int y = 0;
  bool operator==(const RecordedButton&) const = default;
};

class XButtonRecorder {
 public:
  XButtonRecorder() = default;
  XButtonRecorder(const XButtonRecorder&) = delete;
  XButtonRecorder& operator=(const XButtonRecorder&) = delete;
  ~XButtonRecorder();

  // Connects to `display` and maps a window at (x, y), width x height, on top of the others
  // (no window manager moves it); returns once it is visible.
  bool Open(const std::string& display, int x, int y, int width, int height);
  const std::string& Error() const { return m_error; }

  // Waits until `count` button events have arrived or `timeout` passed; returns them all and
  // forgets them.
  std::vector<RecordedButton> Take(size_t count, std::chrono::milliseconds timeout);

 private:
  bool Pump(std::chrono::milliseconds timeout);

  Display* m_display = nullptr;
  unsigned long m_window = 0;
  std::vector<RecordedButton> m_buttons;
  std::string m_error;
};

}  // namespace testsupport
