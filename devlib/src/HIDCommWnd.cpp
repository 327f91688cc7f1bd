// SPDX-License-Identifier: GPL-3.0-or-later
#include "HIDCommWnd.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "platform/log.h"

namespace devbridge {
namespace {

constexpr const char* kCategory = "veltrio.devbridge";
constexpr auto kFirstBackoff = std::chrono::milliseconds(10);
constexpr auto kLastBackoff = std::chrono::milliseconds(250);

}  // namespace

CHIDCommWnd::~CHIDCommWnd() {
  Shutdown();
  m_reader.Close();
  if (IsOpen()) CHIDComm::Close();
}

void CHIDCommWnd::Shutdown() {
  if (m_hThread.joinable() || m_hDevNotify) CHIDCommWnd::Close();
}

Status CHIDCommWnd::Write(const void* data, std::uint32_t length, std::uint32_t* written, _OVERLAPPED* overlapped,
                          std::uint32_t timeoutMs) {
  std::lock_guard lock(m_lock);
  const Status status = CHIDComm::Write(data, length, written, overlapped, timeoutMs);
  if (status == kStatusNotConnected) {
    m_bDeviceLost = true;
    // Tell the owner at once, before returning, so that it can close the device now.
    if (m_hNotifyWnd) m_hNotifyWnd->OnDeviceChange(0, 0);
  }
  return status;
}

Status CHIDCommWnd::Read(void* buffer, std::uint32_t length, std::uint32_t* read, _OVERLAPPED* overlapped,
                         std::uint32_t timeoutMs) {
  std::lock_guard lock(m_lock);
  return CHIDComm::Read(buffer, length, read, overlapped, timeoutMs);
}

void CHIDCommWnd::RegisterWindow() {
  if (m_hDevNotify) return void(Store(kStatusAlreadyRegistered));
  if (!m_hNotifyWnd) return void(Store(kStatusInvalidWindow));
  m_hDevNotify = CDeviceNotification::Register(m_hNotifyWnd);
  if (!m_hDevNotify) Store(platform::kHidGenFailure);
}

Status CHIDCommWnd::FinishOpen(Status status, bool watch, NotifyWindow window) {
  if (status < 0) return Store(status);
  const bool hasInput = IsOpen() && m_info.capabilities.InputReportByteLength != 0;
  if (hasInput) {
    const Status reader = m_reader.Open(m_szPath.c_str());
    if (reader < 0) return Store(reader);
    if (status == kStatusSuccess && reader != kStatusAlreadyOpen) status = reader;
  }
  const bool start = hasInput && !m_hThread.joinable();
  if (watch) {
    m_hNotifyWnd = window;
    RegisterWindow();
  }
  if (start) {
    m_bDeviceLost = false;
    m_bRun = true;
    try {
      m_hThread = std::thread([this] { ReaderLoop(); });
    } catch (const std::system_error& error) {
      platform::LogWarning(kCategory, std::string("start reader thread: ") + error.what());
      m_bRun = false;
      m_reader.Close();
      CHIDComm::Close();
      return Store(platform::kHidNotEnoughMemory);
    }
  }
  return Store(status);
}

Status CHIDCommWnd::OpenPathAndWatch(const wchar_t* path, NotifyWindow window) {
  return FinishOpen(Open(path), true, window);
}

Status CHIDCommWnd::OpenIdsAndWatch(std::uint32_t vendorId, std::uint32_t productId, NotifyWindow window,
                                    std::uint32_t index) {
  return FinishOpen(OpenByIds(vendorId, productId, index), true, window);
}

Status CHIDCommWnd::OpenPathAndRead(const wchar_t* path) { return FinishOpen(Open(path), false, nullptr); }

Status CHIDCommWnd::OpenIdsAndRead(std::uint32_t vendorId, std::uint32_t productId, std::uint32_t index) {
  return FinishOpen(OpenByIds(vendorId, productId, index), false, nullptr);
}

Status CHIDCommWnd::OpenStoredAndRead() { return FinishOpen(OpenStored(), false, nullptr); }

void CHIDCommWnd::StopReader() {
  {
    std::lock_guard lock(m_runMutex);
    m_bRun = false;
  }
  m_runChanged.notify_all();
  if (m_hThread.joinable()) {
    m_reader.CancelRead();  // no need to sit out the read time-out
    m_hThread.join();
  }
  m_reader.Close();
}

Status CHIDCommWnd::Close() {
  StopReader();
  m_hDevNotify.reset();
  m_hNotifyWnd = nullptr;
  return CHIDComm::Close();
}

Status CHIDCommWnd::StopAndClose() {
  StopReader();
  return CHIDComm::Close();
}

bool CHIDCommWnd::OnInputReport(const std::uint8_t*, std::int32_t) { return true; }

std::intptr_t CHIDCommWnd::OnDeviceChange(std::uintptr_t, std::intptr_t) {
  std::wstring path;
  if (FindStoredString(&path) == kStatusSuccess) {
    if (IsOpen() && m_bDeviceLost) StopAndClose();  // gone and back between two notifications
    if (!IsOpen() && m_hNotifyWnd) OpenStoredAndRead();
  } else if (IsOpen()) {
    StopAndClose();
  }
  return 1;
}

std::uint32_t CHIDCommWnd::ReaderLoop() {
  const std::uint32_t length = m_info.capabilities.InputReportByteLength;
  std::vector<std::uint8_t> buffer(length);
  auto backoff = std::chrono::milliseconds(0);
  while (m_bRun) {
    std::fill(buffer.begin(), buffer.end(), 0);
    std::uint32_t count = 0;
    const Status status = m_reader.Read(buffer.data(), length, &count, nullptr, kReaderTimeoutMs);
    if (status == kStatusSuccess && count == length) {
      OnInputReport(buffer.data(), std::int32_t(count));
      backoff = std::chrono::milliseconds(0);
      continue;
    }
    if (status == kStatusSuccess || status == kStatusTimeout || status == platform::kHidMoreData) continue;
    // A failed read fails again at once (the device is gone): pause instead of spinning, and
    // let a stop end the pause.
    if (status == kStatusNotConnected) m_bDeviceLost = true;
    m_failedReads.fetch_add(1, std::memory_order_relaxed);
    backoff = std::clamp(backoff * 2, kFirstBackoff, kLastBackoff);
    std::unique_lock lock(m_runMutex);
    m_runChanged.wait_for(lock, backoff, [this] { return !m_bRun; });
  }
  return 0;
}

}  // namespace devbridge
