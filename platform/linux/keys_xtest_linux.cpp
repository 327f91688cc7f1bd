// SPDX-License-Identifier: GPL-3.0-or-later
// Key strokes through the XTest extension of the X server.

#include "keys_linux.h"
#include "keys_table_linux.h"

#include "platform/log.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform::linux_keys {
namespace {

constexpr const char* kCategory = category::kKeys;

std::string Hex(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

class XTestKeyInjector final : public KeyInjector {
 public:
  explicit XTestKeyInjector(Display* display) : m_display(display) {}

  ~XTestKeyInjector() override {
    // Give back the key codes this injector borrowed, so the keymap is as it found it.
    for (KeyCode code : m_borrowed) {
      KeySym none[2] = {NoSymbol, NoSymbol};
      XChangeKeyboardMapping(m_display, code, 2, none, 1);
    }
    XCloseDisplay(m_display);
  }

  std::string_view Name() const override { return "xtest"; }

  bool Send(const KeyEvent& event) override {
    const VirtualKeyMapping* mapping = FindVirtualKey(event.vk);
    if (!mapping) {
      LogDebug(kCategory, "skipped virtual key " + Hex(event.vk) + ": no mapping");
      return false;
    }
    KeyCode code = KeyCodeFor(mapping->keysym);
    if (code == 0) {
      LogDebug(kCategory, "skipped virtual key " + Hex(event.vk) + ": no free key code for its keysym");
      return false;
    }
    if (!XTestFakeKeyEvent(m_display, code, event.down ? True : False, CurrentTime)) {
      LogWarning(kCategory, "XTestFakeKeyEvent failed for virtual key " + Hex(event.vk));
      return false;
    }
    XFlush(m_display);
    return true;
  }

 private:
  KeyCode KeyCodeFor(KeySym keysym) {
    if (auto it = m_codes.find(keysym); it != m_codes.end()) return it->second;
    KeyCode code = XKeysymToKeycode(m_display, keysym);
    if (code == 0) code = BorrowFreeKeyCode(keysym);
    if (code != 0) m_codes.emplace(keysym, code);
    return code;
  }

  // Media and some editing keysyms are missing from minimal keymaps (Xvfb, some VNC servers);
  // like other injection tools, bind such a keysym to a key code that carries no symbol.
  KeyCode BorrowFreeKeyCode(KeySym keysym) {
    int first = 0, last = 0;
    XDisplayKeycodes(m_display, &first, &last);
    int perCode = 0;
    KeySym* map = XGetKeyboardMapping(m_display, static_cast<KeyCode>(first), last - first + 1, &perCode);
    if (!map) return 0;
    KeyCode found = 0;
    // From the top: the high codes are the ones no physical keyboard sends.
    for (int code = last; code >= first && found == 0; --code) {
      const KeySym* syms = map + static_cast<ptrdiff_t>(code - first) * perCode;
      bool empty = true;
      for (int i = 0; i < perCode; ++i) empty = empty && syms[i] == NoSymbol;
      if (empty) found = static_cast<KeyCode>(code);
    }
    XFree(map);
    if (found == 0) return 0;
    KeySym syms[2] = {keysym, keysym};
    XChangeKeyboardMapping(m_display, found, 2, syms, 1);
    XSync(m_display, False);
    m_borrowed.push_back(found);
    LogDebug(kCategory, "bound keysym " + Hex(static_cast<unsigned>(keysym)) + " to key code " +
                            std::to_string(found));
    return found;
  }

  Display* m_display;
  std::unordered_map<KeySym, KeyCode> m_codes;
  std::vector<KeyCode> m_borrowed;
};

}  // namespace

std::unique_ptr<KeyInjector> CreateXTestKeyInjector(const char* displayName) {
  const char* name = displayName ? displayName : std::getenv("DISPLAY");
  if (!name || !*name) return nullptr;
  Display* display = XOpenDisplay(name);
  if (!display) {
    LogDebug(kCategory, std::string("cannot open X display ") + name);
    return nullptr;
  }
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
    LogWarning(kCategory, std::string("X display ") + name + " has no XTest extension");
    XCloseDisplay(display);
    return nullptr;
  }
  return std::make_unique<XTestKeyInjector>(display);
}

}  // namespace platform::linux_keys
