// SPDX-License-Identifier: GPL-3.0-or-later
#include "CHIDMouseDv.h"

namespace devbridge {

void CCHIDMouseDv::Release() {
  m_notification.reset();
  m_device.Close();
  delete this;
}

Status CCHIDMouseDv::OpenByPath(const wchar_t* path, NotifyWindow window) {
  return m_device.OpenPathAndWatch(path, window);
}

Status CCHIDMouseDv::OpenById(std::uint32_t vendorId, std::uint32_t productId, NotifyWindow window,
                              std::uint32_t index) {
  return m_device.OpenIdsAndWatch(vendorId, productId, window, index);
}

bool CCHIDMouseDv::IsOpen() { return m_device.IsOpen(); }

void CCHIDMouseDv::Close() { m_device.Close(); }

void CCHIDMouseDv::SetReportCallback(ReportCallback callback) { m_device.SetReportCallback(callback); }

Status CCHIDMouseDv::WriteReport(const void* data, std::uint32_t length, std::uint32_t* written,
                                 _OVERLAPPED* overlapped, std::uint32_t timeoutMs) {
  return m_device.Write(data, length, written, overlapped, timeoutMs);
}

Status CCHIDMouseDv::ReadReport(void* buffer, std::uint32_t length, std::uint32_t* read, _OVERLAPPED* overlapped,
                                std::uint32_t timeoutMs) {
  return m_device.Read(buffer, length, read, overlapped, timeoutMs);
}

std::intptr_t CCHIDMouseDv::OnDeviceChange(std::uintptr_t wParam, std::intptr_t lParam) {
  return m_device.OnDeviceChange(wParam, lParam);
}

NotifyWindow CCHIDMouseDv::GetNotifyWindow() { return m_device.NotifyWnd(); }

DeviceHandle CCHIDMouseDv::GetDeviceHandle() { return m_device.Handle(); }

bool CCHIDMouseDv::FindByOutputCaps(std::uint32_t vendorId, std::uint32_t productId, std::uint32_t usagePage,
                                    std::uint32_t usage, std::uint32_t inputLength, std::uint32_t outputLength,
                                    std::uint32_t outputValueCaps, std::uint8_t reportId, wchar_t* path) {
  return m_device.FindByOutputCaps(vendorId, productId, usagePage, usage, inputLength, outputLength, outputValueCaps,
                                   reportId, path);
}

bool CCHIDMouseDv::FindByFeatureCaps(std::uint32_t vendorId, std::uint32_t productId, std::uint32_t usagePage,
                                     std::uint32_t usage, std::uint32_t inputLength, std::uint32_t outputLength,
                                     std::uint32_t featureLength, std::uint8_t reportId, wchar_t* path) {
  return m_device.FindByFeatureCaps(vendorId, productId, usagePage, usage, inputLength, outputLength, featureLength,
                                    reportId, path);
}

Status CCHIDMouseDv::MakeReport(const void* data, std::uint32_t length, ReportBuffer* buffer, std::uint8_t reportId) {
  return m_device.MakeReport(data, length, buffer, reportId);
}

Status CCHIDMouseDv::MakeReportNoId(const void* data, std::uint32_t length, ReportBuffer* buffer) {
  return m_device.MakeReportNoId(data, length, buffer);
}

Status CCHIDMouseDv::MakeRawReport(const void* data, std::uint32_t length, ReportBuffer* buffer) {
  return m_device.MakeRawReport(data, length, buffer);
}

bool CCHIDMouseDv::RegisterDeviceNotify(NotifyWindow window) {
  if (m_notification || !window) return false;
  m_notification = CDeviceNotification::Register(window);
  return m_notification != nullptr;
}

}  // namespace devbridge
