// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a listener callback learns of the device group an event belongs to. Passed by reference,
// valid for the duration of the call.

#include <cstdint>
#include <string>

struct DeviceDescriptor {
  std::uint32_t groupId = 0;
  std::uint32_t vendorId = 0;
  std::uint32_t productId = 0;
  std::uint32_t modelCode = 0;
  // Equal to modelCode, except in input events, where it is ModelCodeFor(productId, 0).
  std::uint32_t secondModelCode = 0;
  std::string version = "-1";  // "-1" until a version is read
};
