// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the overlays know of the remote family by product id: the model code shown for a
// device state, the vendor collection its reports arrive on, the version text, and the meaning
// of vendor reports 5 (buttons) and 14 (model state).
//
// Pure functions; thread-safe.

#include <cstdint>
#include <string>
#include <vector>

#include "device/MouseButtonEvent.h"

inline constexpr int kStateReportId = 14;  // byte 1: the device state behind the model code
inline constexpr int kButtonReportId = 5;  // byte 1: the vendor buttons
inline constexpr int kUnknownState = 6;    // the state assumed when it cannot be asked for
inline constexpr const char* kUnknownVersion = "-1";

// The model code of a product in a given state.
std::uint32_t ModelCodeFor(std::uint32_t productId, int state);

// The top-level collection that carries a product's vendor reports; usage page 0 when the
// product has none.
struct VendorCollection {
  std::uint16_t usagePage = 0;
  std::uint16_t usage = 0;
};
VendorCollection VendorCollectionFor(std::uint32_t productId);

// "major.minor.patch" from a HID version number: high byte, then bits 4-7, then bits 0-3.
std::string VersionText(std::uint16_t versionNumber);

// What one vendor report (bytes 0 and 1, each taken as a signed 8-bit value) means for a group.
struct VendorReportEffect {
  std::vector<MouseButtonEvent_t> buttons;  // onButtonEvent, in this order
  bool modelChanged = false;                // onModelChanged with modelCode
  std::uint32_t modelCode = 0;              // the group's model code afterwards
  bool passOn = false;                      // onReport(reportId, value)
  std::uint8_t lastButtons = 0;             // the group's last button byte afterwards
};
VendorReportEffect DecodeVendorReport(std::uint32_t productId, std::uint32_t modelCode, int reportId,
                                      int value, std::uint8_t lastButtons);
