// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/DeviceInstance.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "device/DeviceIdentity.h"
#include "device/DeviceModel.h"

namespace {
constexpr int kReadPollMs = 100;
}

void DeviceInstanceBase::reset() {
  m_vendorId = m_productId = m_groupId = 0;
  m_value1 = m_value2 = m_value3 = 0;
  m_version = kUnknownVersion;
}

DeviceInstance::DeviceInstance(std::string path) : m_path(std::move(path)) {
  const InterfaceIdentity identity = IdentifyInterface(m_path);
  m_vendorId = identity.vendorId;
  m_productId = identity.productId;
  m_groupId = identity.groupId;
  m_valid = identity.valid;
}

DeviceInstance::~DeviceInstance() {
  closeHandle();
}

void DeviceInstance::reset() {
  DeviceInstanceBase::reset();
  closeHandle();
  m_path.clear();
  m_valid = false;
  m_info.reset();
}

const platform::HidInterfaceInfo* DeviceInstance::info() {
  if (!m_info) {
    platform::HidInterfaceInfo fetched;
    if (platform::HidGetInterfaceInfo(m_path, &fetched) == platform::kHidSuccess) m_info = std::move(fetched);
  }
  return m_info ? &*m_info : nullptr;
}

std::uint32_t DeviceInstance::usagePage() {
  const auto* known = info();
  return known ? known->collection.caps.UsagePage : 0;
}

std::uint32_t DeviceInstance::usage() {
  const auto* known = info();
  return known ? known->collection.caps.Usage : 0;
}

std::size_t DeviceInstance::inputReportLength() {
  const auto* known = info();
  return known ? known->collection.caps.InputReportByteLength : 0;
}

const std::string& DeviceInstance::versionText() {
  if (m_version == kUnknownVersion)
    if (const auto* known = info()) m_version = VersionText(known->attributes.VersionNumber);
  return m_version;
}

int DeviceInstance::queryState() {
  platform::HidDevice* device = nullptr;
  if (platform::HidOpen(m_path, platform::kHidAccessRead, &device) != platform::kHidSuccess)
    return kUnknownState;
  // At least the id and the state byte, whatever length the capabilities claim.
  std::vector<std::uint8_t> buffer(std::max<std::size_t>(inputReportLength(), 2), 0);
  buffer[0] = kStateReportId;
  std::size_t transferred = 0;
  const platform::HidStatus status =
      platform::HidGetInputReport(device, buffer.data(), buffer.size(), &transferred);
  platform::HidClose(device);
  if (status != platform::kHidSuccess) {
    std::printf("Error: %d\n", int(status));
    std::fflush(stdout);
    return kUnknownState;
  }
  return transferred >= 2 && buffer[1] != 0 ? buffer[1] : kUnknownState;
}

void DeviceInstance::closeHandle() {
  platform::HidClose(m_handle);
  m_handle = nullptr;
}

int DeviceInstance::readReport(std::uint8_t* buffer) {
  const std::size_t length = inputReportLength();
  if (length == 0) return -1;
  if (!m_handle && platform::HidOpen(m_path, platform::kHidAccessRead | platform::kHidAccessWrite,
                                     &m_handle) != platform::kHidSuccess)
    return -1;
  while (!m_readStop) {
    std::size_t transferred = 0;
    const platform::HidStatus status = platform::HidRead(m_handle, buffer, length, &transferred, kReadPollMs);
    if (status == platform::kHidTimeout) continue;
    if (status == platform::kHidSuccess || status == platform::kHidMoreData) return int(transferred);
    closeHandle();  // gone or broken: the next call opens it afresh
    return -1;
  }
  return -1;
}
