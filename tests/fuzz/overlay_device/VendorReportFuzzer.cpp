// SPDX-License-Identifier: GPL-3.0-or-later
// Vendor reports come from the device: any product id, model, report and last button byte
// must decode to button codes of the table and a model code of the product.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "device/DeviceModel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return 0;
  std::uint16_t product = 0;
  std::memcpy(&product, data, 2);
  const std::uint8_t last = data[2];
  std::uint32_t model = ModelCodeFor(product, 0);
  // The rest is a stream of reports: byte 0 and byte 1 of each, taken as signed.
  for (std::size_t at = 3; at + 1 < size; at += 2) {
    const int id = std::int8_t(data[at]), value = std::int8_t(data[at + 1]);
    const VendorReportEffect effect = DecodeVendorReport(product, model, id, value, last);
    for (const MouseButtonEvent_t code : effect.buttons)
      if (code < 7 || code > 15) std::abort();
    if (effect.buttons.size() > 4) std::abort();
    if (effect.modelChanged && effect.modelCode == model) std::abort();
    if (id != kStateReportId && effect.modelCode != model) std::abort();
    model = effect.modelCode;
  }
  return 0;
}
