// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finding the desktop's programs the freedesktop.org way: default handlers from mimeapps.list
// (and the desktop database's mimeinfo.cache as a last resort), desktop entries and their Exec
// lines, and known program names on PATH. Everything here is pure over an XdgEnvironment, so
// tests can point it at a folder of their own.
// Thread: any.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/shell.h"

namespace platform::linux_shell {

struct XdgEnvironment {
  std::vector<std::filesystem::path> searchPath;  // PATH
  std::filesystem::path configHome;               // XDG_CONFIG_HOME
  std::vector<std::filesystem::path> configDirs;  // XDG_CONFIG_DIRS
  std::filesystem::path dataHome;                 // XDG_DATA_HOME
  std::vector<std::filesystem::path> dataDirs;    // XDG_DATA_DIRS
  std::vector<std::string> desktops;              // XDG_CURRENT_DESKTOP, lower-case

  // From this process's environment, with the XDG defaults for unset variables.
  static XdgEnvironment FromProcess();
};

// True for a regular file this process may execute.
bool IsExecutableFile(const std::filesystem::path& path);

// The executable file `name` on the search path (a name with a slash is taken as it is);
// empty when there is none.
std::filesystem::path FindProgram(std::string_view name, const XdgEnvironment& env);

// An Exec value split into arguments: string escapes and quoting undone, field codes (%u, %F,
// %i, ...) dropped since no file is passed, "%%" kept as "%".
std::vector<std::string> SplitExecLine(std::string_view exec);

// The desktop entry file of a desktop id ("firefox-esr.desktop"); empty when none is found.
std::filesystem::path FindDesktopEntry(std::string_view desktopId, const XdgEnvironment& env);

// The argument vector that starts the application of a desktop entry, its program resolved to a
// full path; empty when the entry is hidden, not an application or its program is missing.
std::vector<std::string> DesktopEntryCommand(const std::filesystem::path& entry, const XdgEnvironment& env);

// The desktop entry of the default handler of a MIME type or URL scheme handler type
// ("x-scheme-handler/http"); empty when none is found.
std::filesystem::path DefaultHandler(std::string_view mimeType, const XdgEnvironment& env);

// The argument vector that opens `target`, its program a full path; empty when none is found.
std::vector<std::string> DesktopCommand(DesktopTarget target, const XdgEnvironment& env);

// Spawns argv (argv[0] a full path) detached, as StartProgram does.
bool SpawnDetached(const std::vector<std::string>& argv, const std::filesystem::path& workingFolder = {});

}  // namespace platform::linux_shell
