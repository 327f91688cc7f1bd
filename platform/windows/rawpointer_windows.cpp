// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/rawpointer.h"

#include "platform/log.h"
#include "win32_windows.h"

namespace platform {
namespace {

constexpr const char* kCategory = category::kPointer;

// Raw input of every mouse on a message-only window of the monitor's own.
class WindowsRawPointerMonitor final : public RawPointerMonitor {
 public:
  explicit WindowsRawPointerMonitor(RawPointerCallback callback) : m_callback(std::move(callback)) {}
  ~WindowsRawPointerMonitor() override { m_thread.Stop(); }

  bool Start() {
    return win32::StartRawMouseThread(m_thread, kCategory, [this](const RAWMOUSE& mouse, const std::string& device) {
      RawPointerEvent event;
      event.device = device;
      if (!(mouse.usFlags & MOUSE_MOVE_ABSOLUTE)) {
        event.dx = mouse.lLastX;
        event.dy = mouse.lLastY;
      }
      event.buttonFlags = mouse.usButtonFlags;
      event.buttonData = mouse.usButtonData;
      event.rawButtons = mouse.ulRawButtons;
      m_callback(event);
    });
  }

 private:
  RawPointerCallback m_callback;
  win32::MessageWindowThread m_thread;
};

}  // namespace

std::unique_ptr<RawPointerMonitor> RawPointerMonitor::Start(RawPointerCallback callback) {
  auto monitor = std::make_unique<WindowsRawPointerMonitor>(std::move(callback));
  if (!monitor->Start()) return nullptr;
  return monitor;
}

}  // namespace platform
