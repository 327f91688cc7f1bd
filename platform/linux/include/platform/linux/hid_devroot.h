// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The wire form of device nodes in a test device root (VELTRIO_DEVICE_ROOT), shared by the
// Linux backends and the program that serves the root.
//
// Layout under ROOT, shaped like the real trees:
//   sys/class/hidraw/hidrawN  -> symlink to .../<hid device>/hidraw/hidrawN
//   <hid device>/report_descriptor, <hid device>/uevent (HID_ID=0003:VVVVVVVV:PPPPPPPP, HID_NAME)
//   a parent of the hid device holding idVendor, idProduct and bcdDevice (the USB device)
//   sys/class/input/eventN    -> symlink to .../<hid device>/input/inputM/eventN
//   dev/hidrawN, dev/input/eventN: SOCK_SEQPACKET sockets, created last on plugging (by renaming
//   a listening socket into place) and removed first on unplugging.
//
// hidraw sockets: every message carries one kind byte and then its payload.
//   device to host: kDevRootInputReport + one input report as hidraw gives it (report id first
//                   when the device uses ids); kDevRootInputReportReply + the report answering a
//                   request (empty payload: the device has no such report).
//   host to device: kDevRootOutputReport + one output report as written to hidraw;
//                   kDevRootGetInputReport + the report id asked for.
//   Every connection receives every input report, as every open hidraw file does. The device
//   is gone when the socket reports end of file or a reset.
// evdev sockets: every message is one struct input_event, without a kind byte.

#include <cstdint>
#include <cstdlib>
#include <string>

namespace platform {

inline constexpr const char* kDeviceRootVariable = "VELTRIO_DEVICE_ROOT";

// The test root in force, read anew on every call; empty when none is set (the real /sys, /dev).
inline std::string DeviceRoot() {
  const char* root = std::getenv(kDeviceRootVariable);
  return root && *root ? root : "";
}

inline constexpr std::uint8_t kDevRootInputReport = 'I';
inline constexpr std::uint8_t kDevRootInputReportReply = 'R';
inline constexpr std::uint8_t kDevRootOutputReport = 'O';
inline constexpr std::uint8_t kDevRootGetInputReport = 'G';

}  // namespace platform
