// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Synthesised key strokes, addressed by Windows virtual-key codes (the codes profiles store).
//
// A KeyInjector sends one key event at a time to whatever window has the keyboard focus; the
// caller builds sequences and pauses between events. Backends: keybd_event on Windows; on Linux
// XTest on an X server or a uinput virtual keyboard, chosen at run time by CreateKeyInjector.
//
// Thread: an injector is used from one thread at a time (the GUI thread in the program).
// Ownership: the caller owns the injector it creates.
// Failure: Send returns false for a code the backend cannot send (logged as a debug line under
// "veltrio.keys") or when the send itself failed (logged as a warning); nothing throws.

#include <cstdint>
#include <memory>
#include <string_view>

namespace platform {

// Which scan code goes with the virtual-key code. Windows takes both; the other backends send
// the key by its code alone, but recorded sequences keep the rule so they stay exact.
enum class ScanCodeRule : uint8_t {
  Mapped,  // the low byte of the code's mapped scan code
  Zero,    // scan code 0
};

struct KeyEvent {
  uint8_t vk = 0;
  bool down = true;
  ScanCodeRule scanCode = ScanCodeRule::Mapped;
  bool extended = false;  // the extended-key flag
  bool operator==(const KeyEvent&) const = default;
};

class KeyInjector {
 public:
  virtual ~KeyInjector() = default;

  // "xtest", "uinput", "keybd_event", "none", or a test double's own name.
  virtual std::string_view Name() const = 0;

  virtual bool Send(const KeyEvent& event) = 0;

  // Copies the selection of the foreground window by a message instead of key strokes, where the
  // platform knows such a window (Windows: a Notepad edit control gets WM_COPY). True when it
  // did, and then no key strokes are needed; the base has no such window.
  virtual bool CopyByMessage() { return false; }
};

// The backend for this session. On Linux: uinput when the session is a Wayland session and
// /dev/uinput is writable (XTest would only reach X clients there); otherwise XTest when the
// display is an X server with the XTest extension; otherwise uinput when /dev/uinput is
// writable; otherwise an injector that sends nothing, after one warning in the log.
// Never returns null.
std::unique_ptr<KeyInjector> CreateKeyInjector();

// An injector that sends nothing; Send returns false.
std::unique_ptr<KeyInjector> CreateNullKeyInjector();

}  // namespace platform
