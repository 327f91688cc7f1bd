// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/InterfacePath.h"

#include <Poco/NumberParser.h>
#include <Poco/RegularExpression.h>

#include <algorithm>

namespace {

// Vendor receivers that report the extended id 0x20C16 are the same family as 0x0C16.
constexpr std::uint32_t kExtendedVendorId = 0x20C16;
constexpr std::uint32_t kVendorId = 0x0C16;

std::string Lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
  return text;
}

// The given capture of the first match, read as hexadecimal.
bool HexCapture(const Poco::RegularExpression& expression, const std::string& text, int group,
                std::uint32_t* value) {
  Poco::RegularExpression::MatchVec matches;
  if (expression.match(text, 0, matches) == 0 || int(matches.size()) <= group) return false;
  const Poco::RegularExpression::Match& capture = matches[group];
  if (capture.offset == std::string::npos) return false;  // the optional run was absent
  return ParseHex32(text.substr(capture.offset, capture.length), value);
}

}  // namespace

bool ParseHex32(const std::string& text, std::uint32_t* value) {
  std::string digits = text;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) digits.erase(0, 2);
  if (digits.empty()) return false;
  unsigned parsed = 0;
  if (!Poco::NumberParser::tryParseHex(digits, parsed)) return false;
  // Poco stops quietly at 32 bits on some versions; a longer run must not wrap into a value.
  const auto significant = digits.find_first_not_of('0');
  if (significant != std::string::npos && digits.size() - significant > 8) return false;
  *value = parsed;
  return true;
}

InterfaceIdentity ParseInterfacePath(const std::string& path) {
  static const Poco::RegularExpression vendor("(?<=#vid_|_vid&)([0-9a-zA-Z]+)(?=&|_)");
  static const Poco::RegularExpression product("(?<=&pid_|_pid&)([0-9a-zA-Z]+)(?=&|_)");
  static const Poco::RegularExpression group("&col.*?&{1}?([0-9a-zA-Z]+)?&{1}?");

  const std::string text = Lowered(path);
  InterfaceIdentity identity;
  const bool vendorRead = HexCapture(vendor, text, 1, &identity.vendorId);
  const bool productRead = HexCapture(product, text, 1, &identity.productId);
  const bool groupRead = HexCapture(group, text, 1, &identity.groupId);
  if (identity.vendorId == kExtendedVendorId) identity.vendorId = kVendorId;
  identity.valid = vendorRead && productRead && groupRead;
  return identity;
}
