// SPDX-License-Identifier: GPL-3.0-or-later
#include "DeviceReport.h"

#include "DeviceEvents.h"

namespace {

std::atomic<DeviceEventPoster> g_poster{nullptr};
std::atomic<const std::atomic<int>*> g_deviceStyle{nullptr};

constexpr uint8_t kMediaKey1Bit = 1 << 4, kMediaKey2Bit = 1 << 5, kMediaKey3Bit = 1 << 6, kGestureKeyBit = 1 << 7;

// Stores `now` and returns whether it is a press: set now, clear before.
bool StorePressed(std::atomic<bool>& field, bool now) {
  const bool before = field.exchange(now, std::memory_order_relaxed);
  return now && !before;
}

}  // namespace

CDeviceEventTarget* g_hMainWnd = nullptr;
std::atomic<bool> g_bDevicePresent{false};
DeviceStatusRecord DeviceStatus;

StatusReportEvents DecodeStatusReport(const uint8_t* report, int32_t length, int deviceStyle) {
  StatusReportEvents events;
  if (!report || length != kStatusReportLength || report[0] != kStatusReportId) return events;

  const bool linked = report[1] & 0x01;
  const uint8_t keys = report[3];
  const int32_t dx = static_cast<int8_t>(report[6]);
  const int32_t dy = static_cast<int8_t>(report[7]);
  const bool motion = dx != 0 || dy != 0;

  // Every value is stored before any event goes out, so a handler sees this report.
  constexpr auto relaxed = std::memory_order_relaxed;
  DeviceStatus.nDeltaX.store(dx, relaxed);
  DeviceStatus.nDeltaY.store(dy, relaxed);
  DeviceStatus.nModelId.store(report[8], relaxed);
  const bool linkChanged = DeviceStatus.bLinked.exchange(linked, relaxed) != linked;
  const bool media1 = StorePressed(DeviceStatus.bMediaKey1, keys & kMediaKey1Bit);
  const bool media2 = StorePressed(DeviceStatus.bMediaKey2, keys & kMediaKey2Bit);
  const bool media3 = StorePressed(DeviceStatus.bMediaKey3, keys & kMediaKey3Bit);
  const bool gesture = StorePressed(DeviceStatus.bGestureKey, keys & kGestureKeyBit);

  auto raise = [&](bool condition, int code) {
    if (condition) events.codes[events.count++] = code;
  };
  raise(linkChanged, kEventLinkChanged);
  raise(media1, kEventMediaKey1);
  raise(media2 && !(deviceStyle == 1 && motion), kEventMediaKey2);
  raise(media3, kEventMediaKey3);
  raise(gesture && !((deviceStyle == 2 || deviceStyle == 3) && motion), kEventGestureKey);
  return events;
}

void SetDeviceReportTarget(DeviceEventPoster poster, const std::atomic<int>* deviceStyle) {
  g_deviceStyle.store(deviceStyle);
  g_poster.store(poster);
}

bool OnDeviceReport(const unsigned char* report, int32_t length) {
  const std::atomic<int>* style = g_deviceStyle.load();
  const StatusReportEvents events = DecodeStatusReport(report, length, style ? style->load() : 0);
  if (DeviceEventPoster poster = g_poster.load()) {
    for (int i = 0; i < events.count; ++i) poster(events.codes[i]);
  }
  return true;
}
