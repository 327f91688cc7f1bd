#pragma once
// The vendors whose remotes the overlay frames take on: their vendor buttons reach a frame only
// from a device group of one of these (ordinary motion and buttons reach it from every mouse).

#include <cstdint>

namespace VtAction::Frame {

inline constexpr std::uint32_t kRemoteVendorIds[] = {
    3094,  // 0x0C16
    1455,  // 0x05AF
};

inline constexpr bool isRemoteVendor(std::uint32_t vendorId) {
  for (std::uint32_t id : kRemoteVendorIds) {
    if (id == vendorId) return true;
  }
  return false;
}

}  // namespace VtAction::Frame
