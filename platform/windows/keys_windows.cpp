// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/keys.h"

#include "platform/log.h"

#include <windows.h>

namespace platform {
namespace {

constexpr const char* kCategory = category::kKeys;

// keybd_event with the virtual-key code and the scan code its rule gives. The call reports
// nothing, so only codes outside the virtual-key range are refused.
class KeybdEventInjector final : public KeyInjector {
 public:
  std::string_view Name() const override { return "keybd_event"; }

  bool Send(const KeyEvent& event) override {
    if (event.vk == 0 || event.vk == 0xFF) {
      LogDebug(kCategory, "no key for virtual-key code " + std::to_string(event.vk));
      return false;
    }
    const BYTE scan = event.scanCode == ScanCodeRule::Mapped
                          ? static_cast<BYTE>(MapVirtualKeyW(event.vk, MAPVK_VK_TO_VSC) & 0xFF)
                          : 0;
    DWORD flags = 0;
    if (!event.down) flags |= KEYEVENTF_KEYUP;
    if (event.extended) flags |= KEYEVENTF_EXTENDEDKEY;
    keybd_event(event.vk, scan, flags, 0);
    return true;
  }

  bool CopyByMessage() override {
    // Notepad in the foreground copies its selection on WM_COPY to its edit control.
    HWND notepad = FindWindowW(L"Notepad", nullptr);
    if (!notepad || notepad != GetForegroundWindow()) return false;
    HWND edit = FindWindowExW(notepad, nullptr, L"Edit", nullptr);
    if (!edit) return false;
    SendMessageW(edit, WM_COPY, 0, 0);
    Sleep(100);
    return true;
  }
};

class NullKeyInjector final : public KeyInjector {
 public:
  std::string_view Name() const override { return "none"; }
  bool Send(const KeyEvent&) override { return false; }
};

}  // namespace

std::unique_ptr<KeyInjector> CreateKeyInjector() { return std::make_unique<KeybdEventInjector>(); }

std::unique_ptr<KeyInjector> CreateNullKeyInjector() { return std::make_unique<NullKeyInjector>(); }

}  // namespace platform
