// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/rawmouse.h"

#include "platform/log.h"
#include "platform/windows/hid_path.h"
#include "win32_windows.h"

#include <vector>

namespace platform {
namespace {

constexpr const char* kCategory = category::kRawMouse;

// Raw input of every mouse on a message-only window of the monitor's own; each tick carries the
// ids read from its device's interface path.
class WindowsRawMouseMonitor final : public RawMouseMonitor {
 public:
  WindowsRawMouseMonitor(std::uint16_t vendorId, std::uint16_t productId, RawMouseCallback callback)
      : m_vendorId(vendorId), m_productId(productId), m_callback(std::move(callback)) {}
  ~WindowsRawMouseMonitor() override { m_thread.Stop(); }

  bool Start() {
    return win32::StartRawMouseThread(m_thread, kCategory,
                                      [this](const RAWMOUSE& mouse, const std::string& device) { Deliver(mouse, device); });
  }

  int OpenDevices() const override {
    UINT count = 0;
    if (GetRawInputDeviceList(nullptr, &count, sizeof(RAWINPUTDEVICELIST)) != 0 || count == 0) return 0;
    std::vector<RAWINPUTDEVICELIST> devices(count);
    const UINT listed = GetRawInputDeviceList(devices.data(), &count, sizeof(RAWINPUTDEVICELIST));
    if (listed == static_cast<UINT>(-1)) return 0;
    int wanted = 0;
    for (UINT i = 0; i < listed; ++i) {
      if (devices[i].dwType != RIM_TYPEMOUSE) continue;
      const HidInterfacePath ids = ParseHidInterfacePath(win32::RawInputDeviceName(devices[i].hDevice));
      if (ids.ok && ids.vendorId == m_vendorId && ids.productId == m_productId) ++wanted;
    }
    return wanted;
  }

 private:
  void Deliver(const RAWMOUSE& mouse, const std::string& device) {
    RawMouseTick tick;
    tick.device = device;
    const HidInterfacePath ids = ParseHidInterfacePath(tick.device);
    tick.vendorId = ids.vendorId;
    tick.productId = ids.productId;
    tick.dx = (mouse.usFlags & MOUSE_MOVE_ABSOLUTE) ? 0 : mouse.lLastX;
    tick.dy = (mouse.usFlags & MOUSE_MOVE_ABSOLUTE) ? 0 : mouse.lLastY;
    tick.buttons = (mouse.usButtonFlags & 0x03FF) != 0;  // the press and release flags
    if (tick.dx != 0 || tick.dy != 0 || tick.buttons) m_callback(tick);
  }

  std::uint16_t m_vendorId;
  std::uint16_t m_productId;
  RawMouseCallback m_callback;
  win32::MessageWindowThread m_thread;
};

}  // namespace

std::unique_ptr<RawMouseMonitor> RawMouseMonitor::Start(std::uint16_t vendorId, std::uint16_t productId,
                                                        RawMouseCallback callback) {
  auto monitor = std::make_unique<WindowsRawMouseMonitor>(vendorId, productId, std::move(callback));
  if (!monitor->Start()) return nullptr;
  return monitor;
}

}  // namespace platform
