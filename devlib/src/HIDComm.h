// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One HID interface handle: open, close, read and write with a time-out, and its capabilities.
// Thread: one thread at a time, except that LastStatus may be read from any thread.

#include <atomic>
#include <string>

#include "DeviceInfo.h"

namespace devbridge {

class CHIDComm {
 public:
  CHIDComm() = default;
  CHIDComm(const CHIDComm&) = delete;
  CHIDComm& operator=(const CHIDComm&) = delete;
  virtual ~CHIDComm();

  virtual Status Open(const wchar_t* path);
  virtual Status Close();
  virtual Status WriteString(const char* text, std::uint32_t* written, _OVERLAPPED* overlapped,
                             std::uint32_t timeoutMs);
  virtual Status Write(const void* data, std::uint32_t length, std::uint32_t* written, _OVERLAPPED* overlapped,
                       std::uint32_t timeoutMs);
  virtual Status Read(void* buffer, std::uint32_t length, std::uint32_t* read, _OVERLAPPED* overlapped,
                      std::uint32_t timeoutMs);
  virtual bool GetOpenDeviceInfo(DeviceInfo* info);
  virtual bool GetDeviceInfo(const wchar_t* path, DeviceInfo* info);
  virtual Status MakeReport(const char* text, ReportBuffer* buffer, std::uint8_t reportId);
  virtual Status MakeReport(const void* data, std::uint32_t length, ReportBuffer* buffer, std::uint8_t reportId);
  virtual Status MakeReportNoId(const char* text, ReportBuffer* buffer);
  virtual Status MakeReportNoId(const void* data, std::uint32_t length, ReportBuffer* buffer);
  virtual Status MakeRawReport(const char* text, ReportBuffer* buffer);
  virtual Status MakeRawReport(const void* data, std::uint32_t length, ReportBuffer* buffer);

  bool IsOpen() const { return m_hDevice != nullptr; }
  platform::HidDevice* Handle() const { return m_hDevice; }
  const DeviceInfo& Info() const { return m_info; }
  const std::wstring& Path() const { return m_szPath; }
  Status LastStatus() const { return m_dwLastStatus.load(std::memory_order_relaxed); }

  // Wakes a Read waiting on another thread (it returns 995). For a closing owner.
  void CancelRead();

 protected:
  Status Store(Status status) {
    m_dwLastStatus.store(status, std::memory_order_relaxed);
    return status;
  }

  std::atomic<Status> m_dwLastStatus{0};
  platform::HidDevice* m_hDevice = nullptr;
  std::wstring m_szPath;  // kept whole, however long
  DeviceInfo m_info{};
};

}  // namespace devbridge
