// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Raw input of every pointing device, as the overlays read it: motion deltas and button
// transitions of each device separately, named by its source, while the pointer moves as usual.
//
// Linux: XInput2 raw events (motion, button press and release) of every pointer of the X
// display, read on a connection and thread of the monitor's own. The source is named by the
// hidraw node of the HID device behind the pointer's "Device Node" property when there is one
// (empty otherwise, e.g. for XTest's virtual pointer); events are delivered either way.
// Windows: Raw Input of every mouse (RIDEV_INPUTSINK); the source is the raw input device's
// interface path.
//
// Thread: the callback runs on the monitor's own thread, one event at a time.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

// Button flags as Raw Input has them (RI_MOUSE_*).
inline constexpr std::uint16_t kPointerLeftDown = 0x0001;
inline constexpr std::uint16_t kPointerLeftUp = 0x0002;
inline constexpr std::uint16_t kPointerRightDown = 0x0004;
inline constexpr std::uint16_t kPointerRightUp = 0x0008;
inline constexpr std::uint16_t kPointerMiddleDown = 0x0010;
inline constexpr std::uint16_t kPointerMiddleUp = 0x0020;
inline constexpr std::uint16_t kPointerWheel = 0x0400;
inline constexpr std::uint16_t kWheelDelta = 120;  // one notch; buttonData holds -120 as 0xFF88

struct RawPointerEvent {
  std::string device;  // the source (Linux "/dev/hidrawN"), empty when not known
  int dx = 0;          // relative motion
  int dy = 0;
  std::uint16_t buttonFlags = 0;  // kPointer* flags
  std::uint16_t buttonData = 0;   // with kPointerWheel: the signed wheel delta as 16 bits
  std::uint32_t rawButtons = 0;   // device-specific button state; 0 where the OS gives none
};

using RawPointerCallback = std::function<void(const RawPointerEvent& event)>;

class RawPointerMonitor {
 public:
  // Starts watching; nullptr (and a logged warning) when there is no display or it lacks raw
  // input.
  static std::unique_ptr<RawPointerMonitor> Start(RawPointerCallback callback);

  // Stops and joins the thread: no callback runs once this returns. Not from the callback.
  virtual ~RawPointerMonitor() = default;

 protected:
  RawPointerMonitor() = default;
  RawPointerMonitor(const RawPointerMonitor&) = delete;
  RawPointerMonitor& operator=(const RawPointerMonitor&) = delete;
};

}  // namespace platform
