// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Conversions between the configuration program's wide strings and UTF-8.
// Invalid input is never an error: bad sequences become U+FFFD.

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

// A wide string as a file-system path and back, without the C++ library's locale-dependent
// conversion (which fails on non-ASCII names under the "C" locale).
std::filesystem::path ToPath(std::wstring_view text);
std::wstring FromPath(const std::filesystem::path& path);

}  // namespace platform
