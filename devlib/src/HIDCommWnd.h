// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An interface with a reader thread of its own, a lock around caller transfers and the
// handling of device arrival and removal for a notification sink.
//
// Thread: open, close and device-change operations belong to the owner's thread; Read and
// Write are serialised by the lock and may come from any thread; OnInputReport runs on the
// reader thread. Close, StopAndClose and OnDeviceChange stop the reader (they cancel the read
// under way) and wait for it; they must not be called from it.

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "DeviceNotification.h"
#include "StdHIDComm.h"

namespace devbridge {

// The reader waits for a report without a limit: at rest it is never woken. A stop cancels its
// read.
inline constexpr std::uint32_t kReaderTimeoutMs = kInfinite;

class CHIDCommWnd : public CStdHIDComm {
 public:
  CHIDCommWnd() = default;
  ~CHIDCommWnd() override;

  Status Close() override;
  Status Write(const void* data, std::uint32_t length, std::uint32_t* written, _OVERLAPPED* overlapped,
               std::uint32_t timeoutMs) override;
  Status Read(void* buffer, std::uint32_t length, std::uint32_t* read, _OVERLAPPED* overlapped,
              std::uint32_t timeoutMs) override;
  virtual Status OpenPathAndWatch(const wchar_t* path, NotifyWindow window);
  virtual Status OpenIdsAndWatch(std::uint32_t vendorId, std::uint32_t productId, NotifyWindow window,
                                 std::uint32_t index);
  virtual Status OpenPathAndRead(const wchar_t* path);
  virtual Status OpenIdsAndRead(std::uint32_t vendorId, std::uint32_t productId, std::uint32_t index);
  virtual Status OpenStoredAndRead();
  virtual Status StopAndClose();
  virtual bool OnInputReport(const std::uint8_t* report, std::int32_t length);
  virtual std::intptr_t OnDeviceChange(std::uintptr_t wParam, std::intptr_t lParam);
  virtual std::uint32_t ReaderLoop();

  NotifyWindow NotifyWnd() const { return m_hNotifyWnd; }
  bool IsReading() const { return m_hThread.joinable(); }
  bool IsWatching() const { return m_hDevNotify != nullptr; }
  // Reads of the reader thread that failed (not time-outs): what a vanished device costs.
  std::uint64_t FailedReads() const { return m_failedReads.load(std::memory_order_relaxed); }

 protected:
  // Stops the reader and drops the registration. The most derived class calls it in its
  // destructor, so that the reader never calls into a half-destroyed object.
  void Shutdown();

 private:
  Status FinishOpen(Status opened, bool watch, NotifyWindow window);
  void RegisterWindow();
  void StopReader();

  std::thread m_hThread;
  std::atomic<bool> m_bRun{false};
  NotifyWindow m_hNotifyWnd = nullptr;
  std::unique_ptr<CDeviceNotification> m_hDevNotify;
  std::recursive_mutex m_lock;  // recursive: the sink may write again from inside a failed write
  CHIDComm m_reader;
  // The reader's pause after a failed read ends early when the owner stops it.
  std::mutex m_runMutex;
  std::condition_variable m_runChanged;
  // Set by the reader once reads find the device gone: a later arrival of the same ids then
  // reopens instead of keeping the dead handle.
  std::atomic<bool> m_bDeviceLost{false};
  std::atomic<std::uint64_t> m_failedReads{0};
};

}  // namespace devbridge
