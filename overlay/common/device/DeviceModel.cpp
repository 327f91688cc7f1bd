// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/DeviceModel.h"

#include <array>
#include <utility>

std::uint32_t ModelCodeFor(std::uint32_t productId, int state) {
  if (productId == 15) {
    switch (state) {
      case 4:
        return 2;
      case 5:
        return 13;
      case 11:
        return 18;
      default:
        return 15;
    }
  }
  if (productId == 16) return 12;
  return productId;
}

VendorCollection VendorCollectionFor(std::uint32_t productId) {
  switch (productId) {
    case 1:
    case 2:
    case 12:
    case 18:
      return {0xFF00, 1};
    case 13:
    case 15:
    case 16:
    case 19:
      return {0xFF02, 1};
    case 2310:
      return {0xFF01, 1};
    default:
      return {};
  }
}

std::string VersionText(std::uint16_t versionNumber) {
  return std::to_string(versionNumber >> 8) + "." + std::to_string((versionNumber >> 4) & 0x0F) + "." +
         std::to_string(versionNumber & 0x0F);
}

namespace {

struct ButtonCodes {
  int mask;  // the bit, or the whole value for the value-coded products
  MouseButtonEvent_t pressed;
};

// Products 15 and 16 report one bit per button; a bit that stays set repeats its press.
void BitButtons(int value, std::uint8_t last, std::vector<MouseButtonEvent_t>* codes) {
  static constexpr std::array<ButtonCodes, 4> kBits{{{0x08, 8}, {0x40, 10}, {0x10, 12}, {0x20, 14}}};
  for (const ButtonCodes& bit : kBits) {
    if (value & bit.mask)
      codes->push_back(bit.pressed);
    else if (last & bit.mask)
      codes->push_back(bit.pressed + 1);
  }
}

// The other products report one value per press and 0 when all are released.
bool ValueButton(int value, const std::array<ButtonCodes, 4>& table, std::vector<MouseButtonEvent_t>* codes) {
  if (value == 0) return codes->push_back(7), true;
  for (const ButtonCodes& entry : table)
    if (value == entry.mask) return codes->push_back(entry.pressed), true;
  return false;
}

}  // namespace

VendorReportEffect DecodeVendorReport(std::uint32_t productId, std::uint32_t modelCode, int reportId,
                                      int value, std::uint8_t lastButtons) {
  VendorReportEffect effect;
  effect.modelCode = modelCode;
  effect.lastButtons = lastButtons;
  if (reportId == kStateReportId) {
    effect.modelCode = ModelCodeFor(productId, value);
    effect.modelChanged = effect.modelCode != modelCode;
    return effect;
  }
  if (reportId != kButtonReportId) {
    effect.passOn = true;
    return effect;
  }
  if (productId == 15 || productId == 16) {
    BitButtons(value, lastButtons, &effect.buttons);
    effect.lastButtons = std::uint8_t(value);
  } else if (productId == 19) {
    static constexpr std::array<ButtonCodes, 4> kValues{{{0x08, 8}, {0x40, 10}, {0x10, 12}, {0x20, 14}}};
    effect.passOn = !ValueButton(value, kValues, &effect.buttons);
  } else {
    static constexpr std::array<ButtonCodes, 4> kValues{{{0x68, 8}, {0x69, 10}, {0x6A, 12}, {0x6B, 14}}};
    ValueButton(value, kValues, &effect.buttons);
  }
  return effect;
}
