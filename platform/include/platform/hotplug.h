// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Arrival and removal of HID devices, delivered on a thread of the monitor's own.
//
// Linux: a libudev monitor of subsystem hidraw; with VELTRIO_DEVICE_ROOT set, inotify on the
// root's dev/ folder. Windows: device-interface notifications for the HID class on a
// message-only window. One event per device node (Linux) or interface (Windows); a composite
// device brings several.

#include <functional>
#include <memory>
#include <string>

namespace platform {

enum class HotplugEvent { Arrival, Removal };

// node: the device node or interface path that came or went (e.g. "/dev/hidraw3").
using HotplugCallback = std::function<void(HotplugEvent event, const std::string& node)>;

class HotplugMonitor {
 public:
  // Starts watching; nullptr (and a logged warning) when the OS refuses. The callback runs on
  // the monitor's thread, one event at a time, until the monitor is destroyed.
  static std::unique_ptr<HotplugMonitor> Start(HotplugCallback callback);

  // Stops and joins the thread: no callback runs once this returns. Must not be called from
  // inside the callback.
  virtual ~HotplugMonitor() = default;

 protected:
  HotplugMonitor() = default;
  HotplugMonitor(const HotplugMonitor&) = delete;
  HotplugMonitor& operator=(const HotplugMonitor&) = delete;
};

}  // namespace platform
