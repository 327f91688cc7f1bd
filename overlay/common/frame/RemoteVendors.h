// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The vendors whose remotes the overlay frames take on: their vendor buttons reach a frame only
// from a device group of one of these (ordinary motion and buttons reach it from every mouse).
// The vendors come from the project's one list of device ids, which also grants access to their
// devices in the udev rules.

#include <cstdint>

#include "veltrio/DeviceIds.h"

namespace VtAction::Frame {

inline constexpr bool isRemoteVendor(std::uint32_t vendorId) {
  for (std::uint16_t id : veltrio::kOverlayVendorIds) {
    if (id == vendorId) return true;
  }
  return false;
}

}  // namespace VtAction::Frame
