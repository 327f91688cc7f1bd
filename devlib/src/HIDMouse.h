// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finding the interface of a device by its capabilities, as the device link does.

#include "HIDCommWnd.h"

namespace devbridge {

inline constexpr int kMaxCandidates = 64;

class CHIDMouse : public CHIDCommWnd {
 public:
  virtual bool FindByOutputCaps(std::uint32_t vendorId, std::uint32_t productId, std::uint32_t usagePage,
                                std::uint32_t usage, std::uint32_t inputLength, std::uint32_t outputLength,
                                std::uint32_t outputValueCaps, std::uint8_t reportId, wchar_t* path);
  virtual bool FindByFeatureCaps(std::uint32_t vendorId, std::uint32_t productId, std::uint32_t usagePage,
                                 std::uint32_t usage, std::uint32_t inputLength, std::uint32_t outputLength,
                                 std::uint32_t featureLength, std::uint8_t reportId, wchar_t* path);

 protected:
  CHIDMouse() = default;  // a base of CHIDMouseEx only

 private:
  template <typename Match>
  bool FindByCaps(std::uint32_t vendorId, std::uint32_t productId, std::uint32_t usagePage, std::uint32_t usage,
                  std::uint32_t inputLength, std::uint32_t outputLength, Match match, wchar_t* path);
};

}  // namespace devbridge
