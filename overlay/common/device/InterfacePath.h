// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The identity written into a Windows HID interface path: vendor id, product id and the group id
// that every top-level collection of one device interface shares, e.g.
//   \\?\hid#vid_0c16&pid_0010&mi_01&col02#8&2b1a3c4d&0&0001#{4d1e55b2-f16f-11cf-88cb-001111000030}
// gives vendor 0x0C16, product 0x0010 and group 0x2B1A3C4D.
//
// Pure and thread-safe. Any text is accepted; what cannot be read leaves the identity invalid.

#include <cstdint>
#include <string>

struct InterfaceIdentity {
  std::uint32_t vendorId = 0;
  std::uint32_t productId = 0;
  std::uint32_t groupId = 0;
  bool valid = false;  // all three were read
};

// Parses a path as the Windows backend names interfaces (case does not matter). A path without
// a collection part ("&col") has no group id and so is invalid.
InterfaceIdentity ParseInterfacePath(const std::string& path);

// A run of hexadecimal digits, with an optional "0x"/"0X" prefix, that fits 32 bits.
bool ParseHex32(const std::string& text, std::uint32_t* value);
