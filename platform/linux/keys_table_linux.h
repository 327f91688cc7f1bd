// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one table from Windows virtual-key codes to X keysyms and evdev key codes, shared by the
// XTest and uinput backends. It covers every code a binding can produce: the fixed strokes of
// the functions, the key names of the custom key dialog (letters, digits, F1 to F24, the number
// pad, navigation and editing keys, left and right modifiers, the Windows and application keys),
// the US punctuation keys and the media, volume and browser keys.
// Thread: any (constant data).

#include <cstdint>
#include <span>

namespace platform::linux_keys {

struct VirtualKeyMapping {
  uint8_t vk;
  uint32_t keysym;      // X11 keysym without shift (the letter keys map to the lower-case sym)
  uint16_t evdevCode;   // KEY_* of linux/input-event-codes.h
};

// Ascending by vk, one row per code.
std::span<const VirtualKeyMapping> VirtualKeyTable();

// The row of `vk`, or nullptr when the code has no mapping.
const VirtualKeyMapping* FindVirtualKey(uint8_t vk);

}  // namespace platform::linux_keys
