// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the Linux autostart backend adds to platform/autostart.h: the quoting of the desktop
// entry it writes, for its tests.

#include <string>

namespace platform {

// One argument of a desktop entry's Exec line, quoted where the format needs it.
std::string QuoteExecArgument(const std::string& argument);

}  // namespace platform
