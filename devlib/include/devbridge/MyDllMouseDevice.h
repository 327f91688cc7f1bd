// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// devbridge: access to the presenter remote's HID interfaces.
//
// One object per device, made by CMyDllMouseDevice::Create and ended by Release. Every other
// operation is a virtual operation; their order is part of the library's calling contract.
//
// Statuses are Windows error numbers on every OS (devbridge::kStatus*); the object also keeps
// the last one. Paths are wide strings; path buffers hold 260 wide characters, terminator
// included (a longer path is never cut: the operation fails with 122 instead).
//
// Threads: the report callback and the notification sink run on threads of the library (the
// reader thread and the device-change monitor). All other operations belong to one controlling
// thread; WriteReport and ReadReport are serialised and may also come from another thread.
// Never call Close, Release or OnDeviceChange from inside the report callback or the sink:
// they wait for those threads. Post the work to your own thread instead.
//
// Overlapped I/O: a caller's OVERLAPPED is accepted; where the OS has none (Linux) the transfer
// completes inside the call, within the time-out, and the OVERLAPPED is not touched.

#include <cstdint>

#include "devbridge/devbridge_export.h"

struct _OVERLAPPED;  // the Windows OVERLAPPED; opaque elsewhere

namespace devbridge {

using Status = std::int32_t;

inline constexpr Status kStatusSuccess = 0;
inline constexpr Status kStatusNotFound = 2;
inline constexpr Status kStatusNotOpen = 6;
inline constexpr Status kStatusNoCapabilities = 8;
inline constexpr Status kStatusInsufficientBuffer = 122;
inline constexpr Status kStatusAlreadyRegistered = 183;
inline constexpr Status kStatusCloseNotOpen = 1011;
inline constexpr Status kStatusNotConnected = 1167;
inline constexpr Status kStatusAlreadyOpen = 1247;
inline constexpr Status kStatusDataTooLong = 1382;
inline constexpr Status kStatusInvalidWindow = 1400;
inline constexpr Status kStatusTimeout = 1460;
inline constexpr Status kStatusNoIds = -1;  // no ids remembered, or no device list

inline constexpr std::uint32_t kInfinite = 0xFFFFFFFF;  // time-out without limit
inline constexpr int kPathCapacity = 260;              // wide characters, terminator included

// Notification codes given to the sink, as WM_DEVICECHANGE's wParam.
inline constexpr std::uintptr_t kDeviceArrival = 0x8000;         // DBT_DEVICEARRIVAL
inline constexpr std::uintptr_t kDeviceRemoveComplete = 0x8004;  // DBT_DEVICEREMOVECOMPLETE

// The "window" devbridge notifies of HID arrival and removal (wParam one of the codes above) and
// of a write that found the device gone (wParam 0, called synchronously inside that write).
// Called on a library thread; must be thread-safe and must outlive its registration.
class DeviceChangeSink {
 public:
  virtual void OnDeviceChange(std::uintptr_t wParam, std::intptr_t lParam) = 0;

 protected:
  ~DeviceChangeSink() = default;
};

}  // namespace devbridge

using NotifyWindow = devbridge::DeviceChangeSink*;
using DeviceHandle = void*;

// Receives every complete input report (report id first) on the reader thread; true: handled.
using ReportCallback = bool (*)(const unsigned char* report, std::int32_t length);

// Filled by the build operations: the bytes to send and how many of them count.
struct ReportBuffer {
  unsigned char data[256];
  std::uint32_t length;
};

// Ids, usage page, usage, lengths and counts are 16-bit values passed as 32-bit arguments and
// compared as 16-bit; report ids are 8-bit.
class DEVBRIDGE_EXPORT CMyDllMouseDevice {
 public:
  // A new closed device object, or null when memory cannot be obtained. The caller owns it.
  static CMyDllMouseDevice* Create();

  virtual void Release() = 0;                                                     // 0
  virtual devbridge::Status OpenByPath(const wchar_t* path, NotifyWindow window) = 0;  // 1
  virtual devbridge::Status OpenById(std::uint32_t vendorId, std::uint32_t productId, NotifyWindow window,
                                     std::uint32_t index) = 0;                    // 2
  virtual bool IsOpen() = 0;                                                      // 3
  virtual void Close() = 0;                                                       // 4
  virtual void SetReportCallback(ReportCallback callback) = 0;                    // 5
  virtual devbridge::Status WriteReport(const void* data, std::uint32_t length, std::uint32_t* written,
                                        _OVERLAPPED* overlapped, std::uint32_t timeoutMs) = 0;  // 6
  virtual devbridge::Status ReadReport(void* buffer, std::uint32_t length, std::uint32_t* read,
                                       _OVERLAPPED* overlapped, std::uint32_t timeoutMs) = 0;   // 7
  virtual std::intptr_t OnDeviceChange(std::uintptr_t wParam, std::intptr_t lParam) = 0;      // 8
  virtual NotifyWindow GetNotifyWindow() = 0;                                     // 9
  virtual DeviceHandle GetDeviceHandle() = 0;                                     // 10
  virtual bool FindByOutputCaps(std::uint32_t vendorId, std::uint32_t productId, std::uint32_t usagePage,
                                std::uint32_t usage, std::uint32_t inputLength, std::uint32_t outputLength,
                                std::uint32_t outputValueCaps, std::uint8_t reportId, wchar_t* path) = 0;  // 11
  virtual bool FindByFeatureCaps(std::uint32_t vendorId, std::uint32_t productId, std::uint32_t usagePage,
                                 std::uint32_t usage, std::uint32_t inputLength, std::uint32_t outputLength,
                                 std::uint32_t featureLength, std::uint8_t reportId, wchar_t* path) = 0;  // 12
  virtual devbridge::Status MakeReport(const void* data, std::uint32_t length, ReportBuffer* buffer,
                                       std::uint8_t reportId) = 0;                // 13
  virtual devbridge::Status MakeReportNoId(const void* data, std::uint32_t length, ReportBuffer* buffer) = 0;  // 14
  virtual devbridge::Status MakeRawReport(const void* data, std::uint32_t length, ReportBuffer* buffer) = 0;   // 15
  virtual bool RegisterDeviceNotify(NotifyWindow window) = 0;                     // 16

  // Exported with the class; they set up the dispatch only and copy nothing.
  CMyDllMouseDevice();
  CMyDllMouseDevice(const CMyDllMouseDevice&);
  CMyDllMouseDevice& operator=(const CMyDllMouseDevice&);

 protected:
  ~CMyDllMouseDevice() = default;  // ended through Release
};
