// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Decoding the remote's 16-byte status reports (report id 0x0A) into DeviceStatus and the key
// and link events.
// Thread: OnDeviceReport runs on the devbridge reader thread; the poster it calls must hand the
// event to the GUI thread without waiting for it to be handled.

#include <atomic>
#include <cstdint>

inline constexpr int kStatusReportLength = 16;
inline constexpr uint8_t kStatusReportId = 0x0A;

// The events one report raises, in the order they go out (at most five).
struct StatusReportEvents {
  int codes[5] = {};
  int count = 0;
};

// Stores the report's values into DeviceStatus, then returns the events it raises against the
// values it replaced: a link change either way, and a key that is held now and was not before.
// With device style 1 a media key 2 press that carries motion raises nothing, with styles 2 and
// 3 the same holds for the gesture key. Reports of another length or id change nothing.
StatusReportEvents DecodeStatusReport(const uint8_t* report, int32_t length, int deviceStyle);

// Where OnDeviceReport sends what it decodes: `poster` receives each event (null drops them),
// and `deviceStyle` is read for every report (null: style 0). Set by the object that owns the
// link before its reader starts and cleared after the reader has been joined; both must outlive
// that reader.
using DeviceEventPoster = void (*)(int code);
void SetDeviceReportTarget(DeviceEventPoster poster, const std::atomic<int>* deviceStyle);

// The devbridge report callback: decodes with the device style of the target and posts the
// events. Always true: every report counts as handled.
bool OnDeviceReport(const unsigned char* report, int32_t length);
