// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The object behind CMyDllMouseDevice: forwards to its CHIDMouseEx and holds a device
// notification registration of its own.

#include <memory>

#include "DeviceNotification.h"
#include "HIDMouseEx.h"
#include "devbridge/MyDllMouseDevice.h"

namespace devbridge {

class CCHIDMouseDv final : public CMyDllMouseDevice {
 public:
  CCHIDMouseDv() = default;

  void Release() override;
  Status OpenByPath(const wchar_t* path, NotifyWindow window) override;
  Status OpenById(std::uint32_t vendorId, std::uint32_t productId, NotifyWindow window, std::uint32_t index) override;
  bool IsOpen() override;
  void Close() override;
  void SetReportCallback(ReportCallback callback) override;
  Status WriteReport(const void* data, std::uint32_t length, std::uint32_t* written, _OVERLAPPED* overlapped,
                     std::uint32_t timeoutMs) override;
  Status ReadReport(void* buffer, std::uint32_t length, std::uint32_t* read, _OVERLAPPED* overlapped,
                    std::uint32_t timeoutMs) override;
  std::intptr_t OnDeviceChange(std::uintptr_t wParam, std::intptr_t lParam) override;
  NotifyWindow GetNotifyWindow() override;
  DeviceHandle GetDeviceHandle() override;
  bool FindByOutputCaps(std::uint32_t vendorId, std::uint32_t productId, std::uint32_t usagePage, std::uint32_t usage,
                        std::uint32_t inputLength, std::uint32_t outputLength, std::uint32_t outputValueCaps,
                        std::uint8_t reportId, wchar_t* path) override;
  bool FindByFeatureCaps(std::uint32_t vendorId, std::uint32_t productId, std::uint32_t usagePage,
                         std::uint32_t usage, std::uint32_t inputLength, std::uint32_t outputLength,
                         std::uint32_t featureLength, std::uint8_t reportId, wchar_t* path) override;
  Status MakeReport(const void* data, std::uint32_t length, ReportBuffer* buffer, std::uint8_t reportId) override;
  Status MakeReportNoId(const void* data, std::uint32_t length, ReportBuffer* buffer) override;
  Status MakeRawReport(const void* data, std::uint32_t length, ReportBuffer* buffer) override;
  // A second registration keeps the first and returns false: one sink per object.
  bool RegisterDeviceNotify(NotifyWindow window) override;

 private:
  ~CCHIDMouseDv() = default;

  CHIDMouseEx m_device;
  std::unique_ptr<CDeviceNotification> m_notification;
};

}  // namespace devbridge
