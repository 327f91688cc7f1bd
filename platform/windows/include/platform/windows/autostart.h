// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the Windows autostart backend adds to platform/autostart.h: where its value lives and the
// command it writes, for its tests.

#include <filesystem>
#include <string>

namespace platform {

// The key under HKEY_CURRENT_USER and the value's name.
inline constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValueName[] = L"Veltrio";

// The value's data for `executable`: the path in double quotes, so that a path with blanks
// names one program, followed by " -boot". Empty for a path that cannot be quoted (one that
// holds a double quote or a line break, which no Windows file name does).
std::wstring RunCommand(const std::filesystem::path& executable);

}  // namespace platform
