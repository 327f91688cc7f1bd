// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A listener that records every callback, for tests that wait for what the device layer
// delivers.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/DornicDevicesInterface.h"

struct Callback {
  std::string kind;  // added, removed, model, wheel, button, motion, report
  DeviceDescriptor device;
  int a = 0, b = 0;  // code / value / dx, dy / report id, value
  std::thread::id thread{};
};

class RecordingListener : public DornicDevicesInterface {
 public:
  explicit RecordingListener(bool accept = true) : m_accept(accept) {}
  ~RecordingListener() override { stopListening(); }

  bool acceptDevice(const DeviceDescriptor& device) override {
    Record({"accept", device});
    return m_accept;
  }
  void onDeviceAdded(const DeviceDescriptor& device) override { Record({"added", device}); }
  void onDeviceRemoved(const DeviceDescriptor& device) override { Record({"removed", device}); }
  void onModelChanged(const DeviceDescriptor& device) override { Record({"model", device}); }
  void onWheel(const DeviceDescriptor& device, unsigned value) override {
    Record({"wheel", device, int(value)});
  }
  void onButtonEvent(const DeviceDescriptor& device, MouseButtonEvent_t code) override {
    Record({"button", device, code});
  }
  void onMotion(const DeviceDescriptor& device, int dx, int dy) override {
    Record({"motion", device, dx, dy});
  }
  void onReport(const DeviceDescriptor& device, int id, int value) override {
    Record({"report", device, id, value});
  }

  std::vector<Callback> All() const {
    std::lock_guard lock(m_lock);
    return m_calls;
  }

  std::vector<Callback> Of(const std::string& kind) const {
    std::lock_guard lock(m_lock);
    std::vector<Callback> found;
    for (const Callback& c : m_calls)
      if (c.kind == kind) found.push_back(c);
    return found;
  }

  // Waits until `count` callbacks of a kind have arrived; they are returned either way.
  std::vector<Callback> WaitFor(const std::string& kind, std::size_t count,
                                std::chrono::milliseconds timeout = std::chrono::seconds(5)) const {
    std::unique_lock lock(m_lock);
    m_changed.wait_for(lock, timeout, [&] { return CountLocked(kind) >= count; });
    lock.unlock();
    return Of(kind);
  }

  // Waits until a callback satisfies the predicate.
  bool WaitUntil(const std::function<bool(const Callback&)>& wanted,
                 std::chrono::milliseconds timeout = std::chrono::seconds(5)) const {
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, timeout, [&] {
      for (const Callback& c : m_calls)
        if (wanted(c)) return true;
      return false;
    });
  }

  // Stops listening and from then on counts every callback that still arrives.
  void Close() {
    stopListening();
    m_closed = true;
  }
  int LateCallbacks() const { return m_late; }

  void Clear() {
    std::lock_guard lock(m_lock);
    m_calls.clear();
  }

 private:
  std::size_t CountLocked(const std::string& kind) const {
    std::size_t n = 0;
    for (const Callback& c : m_calls) n += c.kind == kind;
    return n;
  }
  void Record(Callback call) {
    if (m_closed) ++m_late;
    call.thread = std::this_thread::get_id();
    {
      std::lock_guard lock(m_lock);
      m_calls.push_back(std::move(call));
    }
    m_changed.notify_all();
  }

  bool m_accept;
  std::atomic<bool> m_closed{false};
  std::atomic<int> m_late{0};
  mutable std::mutex m_lock;
  mutable std::condition_variable m_changed;
  std::vector<Callback> m_calls;
};
