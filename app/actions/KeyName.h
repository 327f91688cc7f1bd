// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The names the custom key dialog shows for virtual-key codes, and which codes it accepts as
// one of the combination's two keys.
// Thread: any. Failure: none; a code without a name gives the empty string.

#include <cstdint>
#include <string>

// "PageUp" for 0x21, "F1" for 0x70, "A" for 0x41, "" for 0 and 0xFF. Codes outside the fixed
// table are named by the character they type on a US layout without modifiers, upper-cased;
// codes that type none give the empty string.
std::wstring GetKeyName(uint8_t vk);

// The codes the dialog stores as a key: "A" to "Z" and "0" to "9". Any other code clears it.
inline constexpr bool IsCombinationKey(uint8_t vk) {
  return (vk >= 0x41 && vk <= 0x5A) || (vk >= 0x30 && vk <= 0x39);
}
