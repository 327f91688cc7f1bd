// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finding and opening an interface by vendor id, product id and index among the present
// interfaces that carry those ids (enumeration order of the platform layer).

#include "HIDComm.h"

namespace devbridge {

class CStdHIDComm : public CHIDComm {
 public:
  Status Open(const wchar_t* path) override;
  virtual Status OpenStored();
  virtual Status OpenByIds(std::uint32_t vendorId, std::uint32_t productId, std::uint32_t index);
  virtual Status FindStored(wchar_t* path);
  virtual Status FindPath(std::uint32_t vendorId, std::uint32_t productId, std::uint32_t index, wchar_t* path);

  std::uint16_t StoredIndex() const { return m_wIndex; }

 protected:
  // The index-th interface with these ids; kStatusNotFound when there is none.
  static Status FindPathString(std::uint16_t vendorId, std::uint16_t productId, std::uint16_t index,
                               std::wstring* path);
  Status FindStoredString(std::wstring* path);
  // Copies into a caller's buffer of kPathCapacity characters; never cuts a path.
  static Status CopyPath(const std::wstring& path, wchar_t* buffer);

  std::uint16_t m_wVendorId = 0;
  std::uint16_t m_wProductId = 0;
  std::uint16_t m_wIndex = 0;
};

}  // namespace devbridge
