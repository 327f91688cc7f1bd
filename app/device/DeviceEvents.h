// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the device side of the configuration program tells its main window, and the
// process-wide device state both sides share.
//
// Thread: the target's operations are called on the GUI thread only. Events that arise on the
// devbridge reader thread (codes 1 to 5) are handed to the GUI thread as queued calls, never as
// blocking ones, so a device close that joins the reader cannot deadlock against them.

#include <atomic>
#include <cstdint>

// Device event codes, as the main window maps them to slots.
enum DeviceEventCode : int {
  kEventLinkChanged = 1,
  kEventMediaKey1 = 2,
  kEventMediaKey2 = 3,
  kEventMediaKey3 = 4,
  kEventGestureKey = 5,
  kEventSwipeUp = 6,
  kEventSwipeUpRight = 7,
  kEventSwipeRight = 8,
  kEventSwipeDownRight = 9,
  kEventSwipeDown = 10,
  kEventSwipeDownLeft = 11,
  kEventSwipeLeft = 12,
  kEventSwipeUpLeft = 13,
};

// Message numbers of the main window; they stay fixed because a second instance and the tests
// name them.
inline constexpr int UM_SHOW_INSTANCE = 1044;
inline constexpr int UM_QUIT_INSTANCE = 1046;
inline constexpr int UM_DEVICE_EVENT = 1047;
inline constexpr int UM_DEVICE_FOUND = 1064;

// The main window as the device side sees it; tests stand in for it.
class CDeviceEventTarget {
 public:
  virtual ~CDeviceEventTarget() = default;
  virtual void OnDeviceEvent(int code) = 0;  // UM_DEVICE_EVENT
  virtual void OnDeviceFound() = 0;          // UM_DEVICE_FOUND: a device was newly opened
  virtual void RefreshDeviceLabel() = 0;     // presence changed (or may have)
};

// The target of device events; null before the main window sets it and after it is gone, when
// events are dropped. Read and written on the GUI thread only.
extern CDeviceEventTarget* g_hMainWnd;

// True while devbridge has the remote's vendor collection open. Written by the device link.
extern std::atomic<bool> g_bDevicePresent;

// The last status report of the remote. One writer (the devbridge reader thread), readers on
// the GUI thread; each field is one indivisible value, no consistency across fields.
struct DeviceStatusRecord {
  std::atomic<bool> bLinked{false};
  std::atomic<bool> bMediaKey1{false};
  std::atomic<bool> bMediaKey2{false};
  std::atomic<bool> bMediaKey3{false};
  std::atomic<bool> bGestureKey{false};
  std::atomic<int32_t> nDeltaX{0};
  std::atomic<int32_t> nDeltaY{0};
  std::atomic<uint8_t> nModelId{0};
};
extern DeviceStatusRecord DeviceStatus;
