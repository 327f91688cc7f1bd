// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two narrow faces a device listener shows to the layer below it, so that the event thread
// and the device groups depend on these and not on the listener class:
//  - DeviceEventSink: what the event thread delivers (raw pointer input of any mouse, the
//    arrival and removal of HID interfaces);
//  - VendorReportSink: what a device group's reader delivers (its vendor reports).
// DornicDevicesInterface provides both as member objects that forward to it.
//
// Thread: as the calls of DornicDevicesInterface that they forward to. Ownership: the caller
// holds a sink only while it is registered or attached; the listener outlives that.

#include <cstdint>

#include "device/DeviceDescriptor.h"
#include "device/MouseButtonEvent.h"

class DeviceEventSink {
 public:
  // Raw mouse input of any mouse, identified by its interface's group, vendor and product.
  virtual void dispatchMotion(std::uint32_t groupId, std::uint32_t vendorId, std::uint32_t productId, int x,
                              int y) = 0;
  virtual void dispatchButton(std::uint32_t groupId, std::uint32_t vendorId, std::uint32_t productId,
                              MouseButtonEvent_t code) = 0;
  virtual void dispatchWheel(std::uint32_t groupId, std::uint32_t vendorId, std::uint32_t productId,
                             unsigned value) = 0;
  // An interface arrived or was removed; the descriptor carries its group id and vendor id.
  virtual void addDevice(const DeviceDescriptor& device) = 0;
  virtual void removeDevice(const DeviceDescriptor& device) = 0;

 protected:
  ~DeviceEventSink() = default;
};

class VendorReportSink {
 public:
  // One vendor input report of a group (bytes 0 and 1, signed).
  virtual void onVendorReport(std::uint32_t groupId, int reportId, int value) = 0;

 protected:
  ~VendorReportSink() = default;
};
