// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Waiting on an X connection without spinning, for the recording clients.

#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>

namespace testsupport {

// True when events are queued on `display` or arrive within `timeout`.
inline bool WaitForXEvents(Display* display, std::chrono::milliseconds timeout) {
  if (XPending(display)) return true;
  pollfd fd{ConnectionNumber(display), POLLIN, 0};
  return poll(&fd, 1, static_cast<int>(timeout.count())) > 0;
}

}  // namespace testsupport
