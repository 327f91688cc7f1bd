// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where Veltrio keeps its files. Every call builds the answer anew (nothing is cached), so a
// changed environment, such as XDG_CONFIG_HOME in a test, takes effect at once.
// Thread: any. Failure: an empty path.

#include <filesystem>

namespace platform {

// The per-user settings folder: $XDG_CONFIG_HOME/Veltrio (default ~/.config/Veltrio) on Linux,
// the local application data folder's Veltrio on Windows. Created with its parents when
// missing; empty when it cannot be determined or created.
std::filesystem::path SettingsFolder();

}  // namespace platform
