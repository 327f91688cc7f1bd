// SPDX-License-Identifier: GPL-3.0-or-later
#include "XKeyRecorder.h"
#include "XWait.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace testsupport {

XKeyRecorder::~XKeyRecorder() {
  if (m_display) XCloseDisplay(m_display);
}

bool XKeyRecorder::Open(const std::string& display) {
  m_display = XOpenDisplay(display.c_str());
  if (!m_display) {
    m_error = "cannot open display " + display;
    return false;
  }
  int screen = DefaultScreen(m_display);
  m_window = XCreateSimpleWindow(m_display, RootWindow(m_display, screen), 0, 0, 200, 200, 0,
                                 BlackPixel(m_display, screen), WhitePixel(m_display, screen));
  XSelectInput(m_display, m_window, KeyPressMask | KeyReleaseMask | FocusChangeMask | StructureNotifyMask);
  XMapRaised(m_display, m_window);
  XFlush(m_display);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  bool mapped = false;
  while (!m_focused && std::chrono::steady_clock::now() < deadline) {
    while (XPending(m_display)) {
      XEvent event;
      XNextEvent(m_display, &event);
      if (event.type == MapNotify && !mapped) {
        mapped = true;
        XSetInputFocus(m_display, m_window, RevertToParent, CurrentTime);
        XFlush(m_display);
      } else if (event.type == FocusIn) {
        m_focused = true;
      }
    }
    if (!m_focused) WaitForXEvents(m_display, std::chrono::milliseconds(50));
  }
  if (!m_focused) m_error = "the window did not get the focus";
  return m_focused;
}

bool XKeyRecorder::RemoveFromKeymap(const std::string& keysym) {
  KeySym sym = XStringToKeysym(keysym.c_str());
  if (sym == NoSymbol) return false;
  int first = 0, last = 0, perCode = 0;
  XDisplayKeycodes(m_display, &first, &last);
  KeySym* map = XGetKeyboardMapping(m_display, static_cast<KeyCode>(first), last - first + 1, &perCode);
  for (int code = first; code <= last; ++code) {
    KeySym* syms = map + static_cast<ptrdiff_t>(code - first) * perCode;
    bool changed = false;
    for (int i = 0; i < perCode; ++i) {
      if (syms[i] == sym) {
        syms[i] = NoSymbol;
        changed = true;
      }
    }
    if (changed) XChangeKeyboardMapping(m_display, code, perCode, syms, 1);
  }
  XFree(map);
  XSync(m_display, False);
  return true;
}

bool XKeyRecorder::KeymapHas(const std::string& keysym) {
  KeySym sym = XStringToKeysym(keysym.c_str());
  int first = 0, last = 0, perCode = 0;
  XDisplayKeycodes(m_display, &first, &last);
  KeySym* map = XGetKeyboardMapping(m_display, static_cast<KeyCode>(first), last - first + 1, &perCode);
  bool found = false;
  for (int i = 0; i < (last - first + 1) * perCode; ++i) found = found || (sym != NoSymbol && map[i] == sym);
  XFree(map);
  return found;
}

bool XKeyRecorder::Pump(std::chrono::milliseconds timeout) {
  if (!WaitForXEvents(m_display, timeout)) return false;
  while (XPending(m_display)) {
    XEvent event;
    XNextEvent(m_display, &event);
    if (event.type == MappingNotify) {
      // Injectors bind missing keysyms to free key codes; look them up in the new keymap.
      XRefreshKeyboardMapping(&event.xmapping);
    } else if (event.type == KeyPress || event.type == KeyRelease) {
      KeySym sym = XLookupKeysym(&event.xkey, 0);
      const char* name = sym == NoSymbol ? nullptr : XKeysymToString(sym);
      m_keys.push_back({event.type == KeyPress, name ? name : "keycode " + std::to_string(event.xkey.keycode)});
    }
  }
  return true;
}

std::vector<RecordedKey> XKeyRecorder::Take(size_t count, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (m_keys.size() < count) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    Pump(left);
  }
  // Events beyond `count` that are already here belong to this batch too.
  Pump(std::chrono::milliseconds(0));
  std::vector<RecordedKey> keys;
  keys.swap(m_keys);
  return keys;
}

}  // namespace testsupport
