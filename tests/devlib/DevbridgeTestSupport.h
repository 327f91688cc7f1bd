// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the devbridge tests share: a sink that records notifications and a report callback
// that records reports, both waitable.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include "devbridge/MyDllMouseDevice.h"

namespace devtest {

using namespace std::chrono_literals;

template <typename T>
class Recorder {
 public:
  void Add(T item) {
    {
      std::lock_guard lock(mutex_);
      items_.push_back(std::move(item));
    }
    changed_.notify_all();
  }
  bool WaitFor(std::size_t count, std::chrono::milliseconds timeout = 3s) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return items_.size() >= count; });
  }
  std::vector<T> Items() {
    std::lock_guard lock(mutex_);
    return items_;
  }
  std::size_t Size() {
    std::lock_guard lock(mutex_);
    return items_.size();
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    items_.clear();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<T> items_;
};

struct RecordingSink final : devbridge::DeviceChangeSink {
  void OnDeviceChange(std::uintptr_t wParam, std::intptr_t lParam) override { events.Add({wParam, lParam}); }
  Recorder<std::pair<std::uintptr_t, std::intptr_t>> events;
};

// The callback is a plain function, so the reports it sees go to one recorder per process.
inline Recorder<std::vector<std::uint8_t>>& Reports() {
  static Recorder<std::vector<std::uint8_t>> reports;
  return reports;
}

inline bool RecordReport(const unsigned char* report, std::int32_t length) {
  Reports().Add(std::vector<std::uint8_t>(report, report + length));
  return true;
}

inline std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace devtest
