// SPDX-License-Identifier: GPL-3.0-or-later
#include "DeviceNotification.h"

namespace devbridge {

std::unique_ptr<CDeviceNotification> CDeviceNotification::Register(NotifyWindow sink) {
  if (!sink) return nullptr;
  auto monitor = platform::HotplugMonitor::Start([sink](platform::HotplugEvent event, const std::string&) {
    sink->OnDeviceChange(event == platform::HotplugEvent::Arrival ? kDeviceArrival : kDeviceRemoveComplete, 0);
  });
  if (!monitor) return nullptr;
  auto registration = std::make_unique<CDeviceNotification>();
  registration->m_monitor = std::move(monitor);
  return registration;
}

}  // namespace devbridge
