// SPDX-License-Identifier: GPL-3.0-or-later
#include "HIDComm.h"

#include <cstring>

#include "platform/utf.h"

namespace devbridge {
namespace {

template <std::size_t N, typename Caps>
void CopyRecords(const std::vector<Caps>& from, Caps (&to)[N]) {
  for (std::size_t i = 0; i < from.size() && i < N; ++i) to[i] = from[i];
}

Status Build(const void* data, std::uint32_t length, ReportBuffer* buffer, int reportId, std::uint32_t limit) {
  if (length > limit) return kStatusDataTooLong;
  if (!buffer || (length && !data)) return platform::kHidInvalidParameter;
  const std::uint32_t offset = reportId < 0 ? 0 : 1;
  if (offset) buffer->data[0] = std::uint8_t(reportId);
  if (length) std::memcpy(buffer->data + offset, data, length);
  buffer->length = length + offset;
  return kStatusSuccess;
}

std::uint32_t TextLength(const char* text) { return text ? std::uint32_t(std::strlen(text)) : 0; }

}  // namespace

CHIDComm::~CHIDComm() {
  if (m_hDevice) platform::HidClose(m_hDevice);
}

bool CHIDComm::GetDeviceInfo(const wchar_t* path, DeviceInfo* info) {
  if (!path || !info) return false;
  platform::HidInterfaceInfo found;
  if (platform::HidGetInterfaceInfo(platform::ToUtf8(path), &found) != platform::kHidSuccess) return false;
  *info = DeviceInfo{};
  info->attributes = found.attributes;
  info->capabilities = found.collection.caps;
  const platform::HidCollectionInfo& c = found.collection;
  CopyRecords(c.inputButtonCaps, info->inputButtonCaps);
  CopyRecords(c.outputButtonCaps, info->outputButtonCaps);
  CopyRecords(c.featureButtonCaps, info->featureButtonCaps);
  CopyRecords(c.inputValueCaps, info->inputValueCaps);
  CopyRecords(c.outputValueCaps, info->outputValueCaps);
  CopyRecords(c.featureValueCaps, info->featureValueCaps);
  return true;
}

bool CHIDComm::GetOpenDeviceInfo(DeviceInfo* info) {
  if (!IsOpen()) return Store(kStatusNotOpen), false;
  return GetDeviceInfo(m_szPath.c_str(), info);
}

Status CHIDComm::Open(const wchar_t* path) {
  if (IsOpen()) return Store(kStatusAlreadyOpen);
  DeviceInfo probe;
  if (!GetDeviceInfo(path, &probe)) return Store(kStatusNoCapabilities);
  // Access only for the directions the collection has reports for.
  unsigned access = platform::kHidAccessNone;
  if (probe.capabilities.InputReportByteLength) access |= platform::kHidAccessRead;
  if (probe.capabilities.OutputReportByteLength) access |= platform::kHidAccessWrite;
  platform::HidDevice* device = nullptr;
  if (const Status status = platform::HidOpen(platform::ToUtf8(path), access, &device); status != 0)
    return Store(status);
  m_hDevice = device;
  m_szPath = path;
  if (!GetOpenDeviceInfo(&m_info)) {
    platform::HidClose(m_hDevice);
    m_hDevice = nullptr;
    return Store(kStatusNoCapabilities);
  }
  return Store(kStatusSuccess);
}

Status CHIDComm::Close() {
  if (!IsOpen()) return Store(kStatusCloseNotOpen);
  platform::HidClose(m_hDevice);
  m_hDevice = nullptr;
  return Store(kStatusSuccess);
}

void CHIDComm::CancelRead() { platform::HidCancelRead(m_hDevice); }

Status CHIDComm::Write(const void* data, std::uint32_t length, std::uint32_t* written, _OVERLAPPED*,
                       std::uint32_t timeoutMs) {
  std::uint32_t scratch = 0;
  std::uint32_t& count = written ? *written : scratch;
  count = 0;
  if (!IsOpen()) return Store(kStatusNotOpen);
  std::size_t transferred = 0;
  const Status status = platform::HidWrite(m_hDevice, static_cast<const std::uint8_t*>(data), length,
                                           &transferred, TimeoutMs(timeoutMs));
  count = std::uint32_t(transferred);
  return Store(status);
}

Status CHIDComm::Read(void* buffer, std::uint32_t length, std::uint32_t* read, _OVERLAPPED*,
                      std::uint32_t timeoutMs) {
  std::uint32_t scratch = 0;
  std::uint32_t& count = read ? *read : scratch;
  count = 0;
  if (!IsOpen()) return Store(kStatusNotOpen);
  std::size_t transferred = 0;
  const Status status = platform::HidRead(m_hDevice, static_cast<std::uint8_t*>(buffer), length, &transferred,
                                          TimeoutMs(timeoutMs));
  count = std::uint32_t(transferred);
  return Store(status);
}

Status CHIDComm::WriteString(const char* text, std::uint32_t* written, _OVERLAPPED* overlapped,
                             std::uint32_t timeoutMs) {
  return Write(text, TextLength(text), written, overlapped, timeoutMs);
}

Status CHIDComm::MakeReport(const void* data, std::uint32_t length, ReportBuffer* buffer, std::uint8_t reportId) {
  return Store(Build(data, length, buffer, reportId, 254));
}

Status CHIDComm::MakeReport(const char* text, ReportBuffer* buffer, std::uint8_t reportId) {
  return MakeReport(text, TextLength(text), buffer, reportId);
}

Status CHIDComm::MakeReportNoId(const void* data, std::uint32_t length, ReportBuffer* buffer) {
  return MakeReport(data, length, buffer, 0);
}

Status CHIDComm::MakeReportNoId(const char* text, ReportBuffer* buffer) {
  return MakeReportNoId(text, TextLength(text), buffer);
}

Status CHIDComm::MakeRawReport(const void* data, std::uint32_t length, ReportBuffer* buffer) {
  return Store(Build(data, length, buffer, -1, 255));
}

Status CHIDComm::MakeRawReport(const char* text, ReportBuffer* buffer) {
  return MakeRawReport(text, TextLength(text), buffer);
}

}  // namespace devbridge
