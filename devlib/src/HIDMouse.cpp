// SPDX-License-Identifier: GPL-3.0-or-later
#include "HIDMouse.h"

namespace devbridge {

template <typename Match>
bool CHIDMouse::FindByCaps(std::uint32_t vendorId, std::uint32_t productId, std::uint32_t usagePage,
                           std::uint32_t usage, std::uint32_t inputLength, std::uint32_t outputLength, Match match,
                           wchar_t* path) {
  for (int candidate = 0; candidate < kMaxCandidates; ++candidate) {
    std::wstring found;
    if (FindPathString(std::uint16_t(vendorId), std::uint16_t(productId), std::uint16_t(candidate), &found) !=
        kStatusSuccess)
      return false;
    DeviceInfo info;
    if (!GetDeviceInfo(found.c_str(), &info)) continue;
    const platform::HidCaps& caps = info.capabilities;
    if (caps.UsagePage != std::uint16_t(usagePage) || caps.Usage != std::uint16_t(usage) ||
        caps.InputReportByteLength != std::uint16_t(inputLength) ||
        caps.OutputReportByteLength != std::uint16_t(outputLength) || !match(info))
      continue;
    if (CopyPath(found, path) != kStatusSuccess) continue;  // a path the caller cannot hold
    return true;
  }
  return false;
}

bool CHIDMouse::FindByOutputCaps(std::uint32_t vendorId, std::uint32_t productId, std::uint32_t usagePage,
                                 std::uint32_t usage, std::uint32_t inputLength, std::uint32_t outputLength,
                                 std::uint32_t outputValueCaps, std::uint8_t reportId, wchar_t* path) {
  auto match = [&](const DeviceInfo& info) {
    return info.capabilities.NumberOutputValueCaps == std::uint16_t(outputValueCaps) &&
           info.outputValueCaps[0].ReportID == reportId;
  };
  return FindByCaps(vendorId, productId, usagePage, usage, inputLength, outputLength, match, path);
}

bool CHIDMouse::FindByFeatureCaps(std::uint32_t vendorId, std::uint32_t productId, std::uint32_t usagePage,
                                  std::uint32_t usage, std::uint32_t inputLength, std::uint32_t outputLength,
                                  std::uint32_t featureLength, std::uint8_t reportId, wchar_t* path) {
  auto match = [&](const DeviceInfo& info) {
    return info.capabilities.FeatureReportByteLength == std::uint16_t(featureLength) &&
           info.featureValueCaps[0].ReportID == reportId;
  };
  return FindByCaps(vendorId, productId, usagePage, usage, inputLength, outputLength, match, path);
}

}  // namespace devbridge
