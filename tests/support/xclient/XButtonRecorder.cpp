// SPDX-License-Identifier: GPL-3.0-or-later
#include "XButtonRecorder.h"
#include "XWait.h"

#include <X11/Xlib.h>

namespace testsupport {

XButtonRecorder::~XButtonRecorder() {
  if (m_display) XCloseDisplay(m_display);
}

bool XButtonRecorder::Open(const std::string& display, int x, int y, int width, int height) {
  m_display = XOpenDisplay(display.c_str());
  if (!m_display) {
    m_error = "cannot open display " + display;
    return false;
  }
  const int screen = DefaultScreen(m_display);
  m_window = XCreateSimpleWindow(m_display, RootWindow(m_display, screen), x, y, static_cast<unsigned>(width),
                                 static_cast<unsigned>(height), 0, BlackPixel(m_display, screen),
                                 WhitePixel(m_display, screen));
  XSelectInput(m_display, m_window, ButtonPressMask | ButtonReleaseMask | ExposureMask);
  XMapRaised(m_display, m_window);
  XFlush(m_display);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    while (XPending(m_display)) {
      XEvent event;
      XNextEvent(m_display, &event);
      if (event.type == Expose) return true;
    }
    WaitForXEvents(m_display, std::chrono::milliseconds(50));
  }
  m_error = "the window was not shown";
  return false;
}

bool XButtonRecorder::Pump(std::chrono::milliseconds timeout) {
  if (!WaitForXEvents(m_display, timeout)) return false;
  while (XPending(m_display)) {
    XEvent event;
    XNextEvent(m_display, &event);
    if (event.type == ButtonPress || event.type == ButtonRelease) {
      m_buttons.push_back(
          {event.type == ButtonPress, event.xbutton.button, event.xbutton.x, event.xbutton.y});
    }
  }
  return true;
}

std::vector<RecordedButton> XButtonRecorder::Take(size_t count, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (m_buttons.size() < count) {
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    Pump(left);
  }
  Pump(std::chrono::milliseconds(0));
  std::vector<RecordedButton> buttons;
  buttons.swap(m_buttons);
  return buttons;
}

}  // namespace testsupport
