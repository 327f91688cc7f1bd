// SPDX-License-Identifier: GPL-3.0-or-later
#include "StdHIDComm.h"

#include <cwchar>

#include "platform/utf.h"

namespace devbridge {
namespace {

// Position of path among the present interfaces with these ids, or -1.
int IndexOf(const std::wstring& path, std::uint16_t vendorId, std::uint16_t productId) {
  int index = 0;
  const std::string wanted = platform::ToUtf8(path);
  for (const std::string& candidate : platform::HidEnumerate()) {
    platform::HidInterfaceInfo info;
    if (platform::HidGetInterfaceInfo(candidate, &info) != platform::kHidSuccess) continue;
    if (info.attributes.VendorID != vendorId || info.attributes.ProductID != productId) continue;
    if (candidate == wanted) return index;
    ++index;
  }
  return -1;
}

}  // namespace

Status CStdHIDComm::Open(const wchar_t* path) {
  const Status status = CHIDComm::Open(path);
  if (status != kStatusSuccess) return status;
  m_wVendorId = m_info.attributes.VendorID;
  m_wProductId = m_info.attributes.ProductID;
  // Remember where the opened interface stands among its siblings, so that a reopen after
  // replugging finds this interface again and not the first one with the same ids (on a
  // composite receiver that is the mouse interface, which never carries the status reports).
  if (const int index = IndexOf(m_szPath, m_wVendorId, m_wProductId); index >= 0) m_wIndex = std::uint16_t(index);
  return status;
}

Status CStdHIDComm::FindPathString(std::uint16_t vendorId, std::uint16_t productId, std::uint16_t index,
                                   std::wstring* path) {
  int matches = 0;
  for (const std::string& candidate : platform::HidEnumerate()) {
    platform::HidInterfaceInfo info;
    if (platform::HidGetInterfaceInfo(candidate, &info) != platform::kHidSuccess) continue;
    if (info.attributes.VendorID != vendorId || info.attributes.ProductID != productId) continue;
    if (matches++ >= index) {
      *path = platform::FromUtf8(candidate);
      return kStatusSuccess;
    }
  }
  return kStatusNotFound;
}

Status CStdHIDComm::CopyPath(const std::wstring& path, wchar_t* buffer) {
  if (path.size() + 1 > std::size_t(kPathCapacity)) return kStatusInsufficientBuffer;
  if (buffer) std::wmemcpy(buffer, path.c_str(), path.size() + 1);
  return kStatusSuccess;
}

Status CStdHIDComm::FindPath(std::uint32_t vendorId, std::uint32_t productId, std::uint32_t index, wchar_t* path) {
  std::wstring found;
  Status status = FindPathString(std::uint16_t(vendorId), std::uint16_t(productId), std::uint16_t(index), &found);
  if (status == kStatusSuccess) status = CopyPath(found, path);
  return Store(status);
}

Status CStdHIDComm::FindStoredString(std::wstring* path) {
  if (m_wVendorId == 0 || m_wProductId == 0) return Store(kStatusNoIds);
  return Store(FindPathString(m_wVendorId, m_wProductId, m_wIndex, path));
}

Status CStdHIDComm::FindStored(wchar_t* path) {
  std::wstring found;
  Status status = FindStoredString(&found);
  if (status == kStatusSuccess) status = CopyPath(found, path);
  return Store(status);
}

Status CStdHIDComm::OpenStored() {
  std::wstring path;
  if (const Status status = FindStoredString(&path); status != kStatusSuccess) return status;
  return Open(path.c_str());
}

Status CStdHIDComm::OpenByIds(std::uint32_t vendorId, std::uint32_t productId, std::uint32_t index) {
  m_wVendorId = std::uint16_t(vendorId);
  m_wProductId = std::uint16_t(productId);
  m_wIndex = std::uint16_t(index);
  return OpenStored();
}

}  // namespace devbridge
