// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the Windows shell backend adds to platform/shell.h: the command line it builds, for its
// tests.

#include <span>
#include <string>

namespace platform {

// The arguments as one parameter string that CommandLineToArgvW (and the C runtime) split back
// into exactly these arguments: an argument with blanks or quotes, or an empty one, is put in
// double quotes; a quote inside is escaped with a backslash, and backslashes before a quote or
// before the closing quote are doubled.
std::wstring QuoteCommandLine(std::span<const std::wstring> arguments);

}  // namespace platform
