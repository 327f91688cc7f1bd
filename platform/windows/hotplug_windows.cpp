// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hotplug.h"

#include "platform/log.h"
#include "platform/utf.h"
#include "win32_windows.h"

#include <dbt.h>
// MinGW's HID header declares no C linkage of its own.
extern "C" {
#include <hidsdi.h>
}

namespace platform {
namespace {

constexpr const char* kCategory = category::kHid;

// Device-interface notifications of the HID class on a message-only window of the monitor's own
// thread; each arrival or removal of an interface is one callback.
class WindowsHotplugMonitor final : public HotplugMonitor {
 public:
  explicit WindowsHotplugMonitor(HotplugCallback callback) : m_callback(std::move(callback)) {}
  ~WindowsHotplugMonitor() override { m_thread.Stop(); }

  bool Start() {
    return m_thread.Start(
        kCategory,
        [this](HWND, UINT message, WPARAM wParam, LPARAM lParam) {
          if (message != WM_DEVICECHANGE) return false;
          if (wParam != DBT_DEVICEARRIVAL && wParam != DBT_DEVICEREMOVECOMPLETE) return false;
          const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
          if (!header || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE) return false;
          const auto* item = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
          m_callback(wParam == DBT_DEVICEARRIVAL ? HotplugEvent::Arrival : HotplugEvent::Removal,
                     ToUtf8(item->dbcc_name));
          return true;
        },
        [this](HWND window) {
          DEV_BROADCAST_DEVICEINTERFACE_W filter{};
          filter.dbcc_size = sizeof filter;
          filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
          HidD_GetHidGuid(&filter.dbcc_classguid);
          m_registration = RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
          if (!m_registration) LogWarning(kCategory, win32::Failure("register for HID device notifications"));
          return m_registration != nullptr;
        },
        [this](HWND) {
          if (m_registration) UnregisterDeviceNotification(m_registration);
          m_registration = nullptr;
        });
  }

 private:
  HotplugCallback m_callback;
  HDEVNOTIFY m_registration = nullptr;
  win32::MessageWindowThread m_thread;
};

}  // namespace

std::unique_ptr<HotplugMonitor> HotplugMonitor::Start(HotplugCallback callback) {
  auto monitor = std::make_unique<WindowsHotplugMonitor>(std::move(callback));
  if (!monitor->Start()) return nullptr;
  return monitor;
}

}  // namespace platform
