// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The link to the remote's vendor collection through devbridge: the values that identify the
// collection, finding and opening it, and the heartbeat.
// Thread: the GUI thread. The device object's own threads call the report callback and the
// notification sink. Ownership: the link owns the device object and releases it on destruction
// (which joins the reader thread).

#include <cstdint>

#include "devbridge/MyDllMouseDevice.h"
#include "veltrio/DeviceIds.h"

class CMouseDevLink {
 public:
  static constexpr std::uint16_t kVendorId = veltrio::kRemoteDeviceId.vendorId;
  static constexpr std::uint16_t kProductId = veltrio::kRemoteDeviceId.productId;
  static constexpr std::uint16_t kUsagePage = 0xFF01;
  static constexpr std::uint16_t kUsage = 0x0000;
  static constexpr std::uint16_t kInputReportLength = 16;
  static constexpr std::uint16_t kOutputReportLength = 16;
  static constexpr std::uint8_t kReportId = 0x0A;
  static constexpr std::uint8_t kHeartbeat[16] = {0x0A, 0x02, 0x5A, 0x01};

  // Creates the device object (none when devbridge cannot make one: the link then stays
  // without a device) and installs `callback` for its input reports.
  explicit CMouseDevLink(ReportCallback callback);
  ~CMouseDevLink();
  CMouseDevLink(const CMouseDevLink&) = delete;
  CMouseDevLink& operator=(const CMouseDevLink&) = delete;

  CMyDllMouseDevice* Device() const { return m_pDevice; }
  bool IsOpen() const { return m_pDevice && m_pDevice->IsOpen(); }

  // Opens the vendor collection when it is not open yet: the first interface with the
  // remote's ids whose collection matches usage, report lengths, one output value capability
  // and report id. `window` is notified of device changes. Returns whether it is open now.
  bool Connect(NotifyWindow window);

  // Writes the heartbeat when open (status ignored: a device that is gone makes devbridge call
  // the notification window before the write returns).
  void SendHeartbeat();

 private:
  CMyDllMouseDevice* m_pDevice = nullptr;
};
