// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/windows/hid_path.h"

#include <cctype>
#include <optional>
#include <string>

namespace platform {
namespace {

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// The hexadecimal digits right after `at`, up to `digits` of them; nothing without any.
std::optional<unsigned> HexAt(const std::string& text, std::size_t at, std::size_t digits) {
  unsigned value = 0;
  std::size_t count = 0;
  for (; count < digits && at + count < text.size() && std::isxdigit(static_cast<unsigned char>(text[at + count])); ++count) {
    const char c = text[at + count];  // upper case already
    value = value * 16 + static_cast<unsigned>(c <= '9' ? c - '0' : c - 'A' + 10);
  }
  if (count == 0) return std::nullopt;
  return value;
}

// The value of the first field named `name` (then "_" or "&"), read as `digits` hex digits.
std::optional<unsigned> Field(const std::string& text, std::string_view name, std::size_t digits) {
  for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
    const std::size_t value = at + name.size();
    if (value >= text.size() || (text[value] != '_' && text[value] != '&')) continue;
    // A Bluetooth LE id carries its source first: "VID&02xxxx".
    std::size_t start = value + 1;
    if (text[value] == '&' && name == "VID" && text.size() >= start + 6) start += 2;
    if (auto parsed = HexAt(text, start, digits)) return parsed;
  }
  return std::nullopt;
}

}  // namespace

HidInterfacePath ParseHidInterfacePath(std::string_view path) {
  const std::string text = Upper(path);
  HidInterfacePath result;
  const auto vendor = Field(text, "VID", 4);
  const auto product = Field(text, "PID", 4);
  if (!vendor || !product) return result;
  result.ok = true;
  result.vendorId = static_cast<std::uint16_t>(*vendor);
  result.productId = static_cast<std::uint16_t>(*product);
  if (const std::size_t at = text.find("&COL"); at != std::string::npos) {
    int collection = 0;
    std::size_t i = at + 4;
    for (; i < text.size() && i < at + 8 && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
      collection = collection * 10 + (text[i] - '0');
    if (i > at + 4) result.collection = collection;
  }
  return result;
}

}  // namespace platform
