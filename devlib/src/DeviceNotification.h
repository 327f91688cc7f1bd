// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A registration of a sink for HID arrival and removal: while it lives, the sink hears of every
// device node that comes or goes (on the monitor's thread). Destroying it waits for a running
// notification to finish.

#include <memory>

#include "devbridge/MyDllMouseDevice.h"
#include "platform/hotplug.h"

namespace devbridge {

class CDeviceNotification {
 public:
  // Null (with the failure logged) when the OS refuses to watch.
  static std::unique_ptr<CDeviceNotification> Register(NotifyWindow sink);

 private:
  std::unique_ptr<platform::HotplugMonitor> m_monitor;
};

}  // namespace devbridge
