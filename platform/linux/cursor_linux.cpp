// SPDX-License-Identifier: GPL-3.0-or-later
// The cursor concern on X11: XFixes hides and shows the cursor, the shape extension empties and
// resets a window's input shape. One connection of our own, opened on first use and kept for the
// life of the process: the server keeps a cursor hidden only while the client that hid it is
// connected.

#include "platform/cursor.h"

#include "platform/log.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/shape.h>

#include <mutex>
#include <string>

namespace platform {
namespace {

constexpr const char* kCategory = category::kCursor;

struct CursorState {
  std::mutex lock;
  int displayCount = 0;
  bool connectTried = false;
  Display* display = nullptr;  // null without a usable X server
};

CursorState& State() {
  static CursorState state;
  return state;
}

// The connection, opened on first use; the caller holds the lock.
Display* Connection(CursorState& state) {
  if (state.connectTried) return state.display;
  state.connectTried = true;
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    LogDebug(kCategory, "no X display; the cursor count only counts");
    return nullptr;
  }
  int event = 0, error = 0;
  if (!XFixesQueryExtension(display, &event, &error) || !XShapeQueryExtension(display, &event, &error)) {
    LogWarning(kCategory, "the X server lacks XFixes or the shape extension");
    XCloseDisplay(display);
    return nullptr;
  }
  int major = 0, minor = 0;
  XFixesQueryVersion(display, &major, &minor);  // required before the first XFixes request
  state.display = display;
  return display;
}

// Catches the X errors of one request batch instead of letting Xlib end the process. Xlib's
// handler is process-wide, so the previous one is put back at once.
int g_lastError = 0;
int RecordError(Display*, XErrorEvent* event) {
  g_lastError = event->error_code;
  return 0;
}

class ErrorTrap {
 public:
  explicit ErrorTrap(Display* display) : m_display(display) {
    XSync(m_display, False);
    g_lastError = 0;
    m_previous = XSetErrorHandler(RecordError);
  }
  ~ErrorTrap() { XSetErrorHandler(m_previous); }
  // Waits for the server's answer to everything sent; true when none of it failed.
  bool Succeeded() {
    XSync(m_display, False);
    return g_lastError == 0;
  }

 private:
  Display* m_display;
  int (*m_previous)(Display*, XErrorEvent*) = nullptr;
};

void SetCursorHidden(Display* display, bool hidden) {
  for (int screen = 0; screen < ScreenCount(display); ++screen) {
    Window root = RootWindow(display, screen);
    if (hidden) {
      XFixesHideCursor(display, root);
    } else {
      XFixesShowCursor(display, root);
    }
  }
  XFlush(display);
}

// The input shape is empty exactly when the window lets every click through.
bool InputShapeEmpty(Display* display, Window window, bool* empty) {
  ErrorTrap trap(display);
  int count = 0, ordering = 0;
  XRectangle* rectangles = XShapeGetRectangles(display, window, ShapeInput, &count, &ordering);
  if (rectangles) XFree(rectangles);
  if (!trap.Succeeded()) return false;
  *empty = count == 0;
  return true;
}

bool SetInputShapeEmpty(Display* display, Window window, bool empty) {
  ErrorTrap trap(display);
  if (empty) {
    XShapeCombineRectangles(display, window, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
  } else {
    // No mask: the input shape follows the window's bounding shape again.
    XShapeCombineMask(display, window, ShapeInput, 0, 0, None, ShapeSet);
  }
  if (trap.Succeeded()) return true;
  LogWarning(kCategory, "cannot change the input shape of window " + std::to_string(window));
  return false;
}

}  // namespace

int ShowCursor(bool show) {
  CursorState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  const int before = state.displayCount;
  state.displayCount += show ? 1 : -1;
  const bool crossed = (before >= 0) != (state.displayCount >= 0);
  if (crossed) {
    if (Display* display = Connection(state)) SetCursorHidden(display, state.displayCount < 0);
  }
  return state.displayCount;
}

int CursorDisplayCount() {
  CursorState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  return state.displayCount;
}

bool IsClickThrough(NativeWindow window) {
  CursorState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  Display* display = Connection(state);
  bool empty = false;
  return display && InputShapeEmpty(display, static_cast<Window>(window), &empty) && empty;
}

bool SetClickThrough(NativeWindow window, bool through) {
  CursorState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  Display* display = Connection(state);
  return display && SetInputShapeEmpty(display, static_cast<Window>(window), through);
}

bool ToggleClickThrough(NativeWindow window) {
  CursorState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  Display* display = Connection(state);
  bool empty = false;
  if (!display || !InputShapeEmpty(display, static_cast<Window>(window), &empty)) return false;
  if (!SetInputShapeEmpty(display, static_cast<Window>(window), !empty)) return empty;
  return !empty;
}

}  // namespace platform
