// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What devbridge knows about one HID interface, shaped like the Windows HID records.

#include <cstdint>

#include "devbridge/MyDllMouseDevice.h"
#include "platform/hid.h"

namespace devbridge {

inline constexpr int kMaxCapsRecords = 4;

struct DeviceInfo {
  platform::HidAttributes attributes;
  platform::HidCaps capabilities;
  platform::HidButtonCaps inputButtonCaps[kMaxCapsRecords];
  platform::HidButtonCaps outputButtonCaps[kMaxCapsRecords];
  platform::HidButtonCaps featureButtonCaps[kMaxCapsRecords];
  platform::HidValueCaps inputValueCaps[kMaxCapsRecords];
  platform::HidValueCaps outputValueCaps[kMaxCapsRecords];
  platform::HidValueCaps featureValueCaps[kMaxCapsRecords];
};

// A Windows-style DWORD time-out as the platform layer takes it (negative: no limit).
inline int TimeoutMs(std::uint32_t timeout) {
  return timeout == kInfinite ? -1 : int(timeout > 0x7FFFFFFF ? 0x7FFFFFFF : timeout);
}

}  // namespace devbridge
