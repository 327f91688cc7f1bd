// SPDX-License-Identifier: GPL-3.0-or-later
// Report descriptors come from whatever device is plugged in: the parser must survive any bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/hid_descriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const platform::HidDescriptorParse parse = platform::ParseHidReportDescriptor(data, size);
  if (parse.ok == parse.collections.empty()) std::abort();  // success always has a collection
  if (!parse.ok && parse.error.empty()) std::abort();      // failure always says why
  (void)platform::DescribeHidDescriptorParse(parse);
  return 0;
}
