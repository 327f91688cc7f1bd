// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Starting the program at logon with "-boot".
//
// Linux: the autostart entry $XDG_CONFIG_HOME/autostart/veltrio.desktop (default ~/.config) with
// Exec=<executable> -boot; disabled means Hidden=true with the entry kept. Windows: the
// per-user Run value "Veltrio" under HKEY_CURRENT_USER, "<executable in quotes>" -boot, removed
// when disabled (an empty value, as older versions left it, counts as disabled).
// Thread: any. Failure: SetLaunchAtStart returns false and leaves the previous state.

#include <filesystem>
#include <string>

namespace platform {

// Whether the program starts at logon: an entry exists, is not disabled and names a command.
bool IsLaunchAtStartRegistered();

// Enables (with `executable` and "-boot") or disables the entry.
bool SetLaunchAtStart(bool enable, const std::filesystem::path& executable);

// The entry's file (Linux) or a description of the value (Windows), for the log and tests.
std::filesystem::path AutostartEntryPath();

}  // namespace platform
