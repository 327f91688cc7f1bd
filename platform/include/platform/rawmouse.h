// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Raw mouse input with the identity of the mouse it came from: one tick per report that
// carries motion or buttons. The pointer keeps moving as usual; nothing is grabbed.
//
// Linux: the evdev nodes of the input devices whose HID parent has the given vendor and product
// ids, found at start and followed through hotplug (udev, or inotify on the test root when
// VELTRIO_DEVICE_ROOT is set; there a node may be a SOCK_SEQPACKET socket carrying one
// struct input_event per message). No other mouse is ever opened.
// Windows: Raw Input of every mouse (RIDEV_INPUTSINK); ticks of other mice carry their ids, so
// the caller's identity check is what keeps them out.
//
// Thread: the callback runs on the monitor's own thread, one tick at a time.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

struct RawMouseTick {
  std::string device;          // the node or interface the report came from
  std::uint16_t vendorId = 0;  // of the HID device behind it
  std::uint16_t productId = 0;
  int dx = 0;                  // relative motion of this report
  int dy = 0;
  bool buttons = false;        // a button changed
};

using RawMouseCallback = std::function<void(const RawMouseTick& tick)>;

class RawMouseMonitor {
 public:
  // Starts watching; nullptr (and a logged warning) when the OS refuses. Mice that are not
  // there yet are picked up when they arrive.
  static std::unique_ptr<RawMouseMonitor> Start(std::uint16_t vendorId, std::uint16_t productId,
                                                RawMouseCallback callback);

  // Stops and joins the thread: no callback runs once this returns. Not from the callback.
  virtual ~RawMouseMonitor() = default;

  // How many of the wanted mice are open now (for tests and the log).
  virtual int OpenDevices() const = 0;

 protected:
  RawMouseMonitor() = default;
  RawMouseMonitor(const RawMouseMonitor&) = delete;
  RawMouseMonitor& operator=(const RawMouseMonitor&) = delete;
};

}  // namespace platform
