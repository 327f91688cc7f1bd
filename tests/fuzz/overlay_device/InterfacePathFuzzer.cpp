// SPDX-License-Identifier: GPL-3.0-or-later
// Interface paths come from the OS and from device notifications: any text must parse to an
// identity without harm, and a valid one must have read all three values.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "device/InterfacePath.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path(reinterpret_cast<const char*>(data), size);
  const InterfaceIdentity identity = ParseInterfacePath(path);
  if (identity.vendorId == 0x20C16) std::abort();  // always folded into 0x0C16
  std::string lowered = path;
  for (char& c : lowered) c = c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
  if (identity.valid && lowered.find("&col") == std::string::npos)
    std::abort();  // no group without a collection part
  std::uint32_t value = 0;
  (void)ParseHex32(path, &value);
  return 0;
}
