// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the Windows HID backends add: the fields of a device interface path, for the raw input
// backends (which learn a mouse's ids only from its path) and for tests.

#include <cstdint>
#include <string_view>

namespace platform {

struct HidInterfacePath {
  bool ok = false;              // vendor and product id were found
  std::uint16_t vendorId = 0;   // "VID_xxxx" (or "VID&02xxxx" of a Bluetooth LE device)
  std::uint16_t productId = 0;  // "PID_xxxx" (or "PID&xxxx")
  int collection = 0;           // "&COLnn", 0 when the path has none (one top-level collection)
};

// Parses "\\?\HID#VID_1A2B&PID_3C4D&MI_01&COL02#8&1f2e3d4c&0&0001#{4d1e55b2-...}", ignoring case.
// Anything else gives ok == false; never reads past the text.
HidInterfacePath ParseHidInterfacePath(std::string_view path);

}  // namespace platform
