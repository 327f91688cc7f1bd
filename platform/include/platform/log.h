// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Diagnostics of the Qt-free layers. Messages go to the installed sink; without one, warnings
// go to stderr and debug lines only when VELTRIO_DEBUG is set in the environment.
// Thread: any; the sink may be called from any thread and must be thread-safe.

#include <string_view>

namespace platform {

enum class LogLevel { Debug, Info, Warning };

// category: a "veltrio.*" name, e.g. "veltrio.settings". The message is one line, no newline.
using LogSink = void (*)(LogLevel level, const char* category, std::string_view message);

void SetLogSink(LogSink sink);  // nullptr restores the default
void Log(LogLevel level, const char* category, std::string_view message);

inline void LogDebug(const char* category, std::string_view message) { Log(LogLevel::Debug, category, message); }
inline void LogWarning(const char* category, std::string_view message) { Log(LogLevel::Warning, category, message); }

// The platform layer's categories, one per concern, each named once here; the concern's header
// says what it logs under its category.
namespace category {
inline constexpr const char kAutostart[] = "veltrio.autostart";
inline constexpr const char kCursor[] = "veltrio.cursor";
inline constexpr const char kFiles[] = "veltrio.files";
inline constexpr const char kHid[] = "veltrio.hid";  // HID interfaces and their arrival and removal
inline constexpr const char kInstance[] = "veltrio.instance";
inline constexpr const char kKeys[] = "veltrio.keys";
inline constexpr const char kPointer[] = "veltrio.pointer";
inline constexpr const char kPrograms[] = "veltrio.programs";  // shell.h: programs and folders
inline constexpr const char kRawMouse[] = "veltrio.rawmouse";
inline constexpr const char kVolume[] = "veltrio.volume";
}  // namespace category

// The OS's own text for an error number (strerror on POSIX, FormatMessage on Windows).
std::string_view ErrorText(int error);

}  // namespace platform
