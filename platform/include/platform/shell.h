// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Starting programs, opening the desktop's own programs, and finding and ending processes.
//
// Programs are started detached: the caller does not wait for them, learns nothing of their
// outcome and never has to collect them. On Linux a program is started with posix_spawn and an
// argument vector (never through a shell), in a session of its own, with stdin from /dev/null;
// each child is collected by a small thread that waits for that child alone, so no zombie is
// left and no other child of the process (QProcess, tests) is touched. The Windows backend uses
// ShellExecute(Ex)W (programs shown normally, arguments
// quoted for CommandLineToArgvW), process enumeration (EnumProcesses, the main module's name or
// path) and a forced, waited-for taskkill.exe by process id.
//
// Thread: any; the calls keep no state but the collecting threads.
// Failure: false (or 0), with the operation and the OS's reason logged under "veltrio.programs".

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace platform {

// The desktop's programs that functions open.
enum class DesktopTarget {
  WebBrowser,        // the handler of http, on its start page
  MailProgram,       // the handler of mailto
  MediaPlayer,       // the handler of audio files
  OnScreenKeyboard,  // the first on-screen keyboard found
  MouseSettings,     // the desktop's mouse settings, the current desktop's first
};

// Starts the desktop's program for `target`. False when none is found or it cannot be started.
bool OpenDesktopTarget(DesktopTarget target);

// Starts `program` (a full path) with `arguments`, each passed as one argument exactly as given,
// whatever blanks, quotes or shell characters it holds. `workingFolder` empty: the caller's.
bool StartProgram(const std::filesystem::path& program, std::span<const std::wstring> arguments = {},
                  const std::filesystem::path& workingFolder = {});

// Opens a file the user chose as an application: a program is started, a desktop entry is
// launched, any other file is opened with its handler. False when nothing could be started.
bool LaunchApplication(const std::filesystem::path& file);

// The file name of a program of this system on this OS: "VtaPointer" is "VtaPointer.exe" on
// Windows and "VtaPointer" elsewhere.
std::filesystem::path ExecutableFileName(std::string_view baseName);

// The folder of the running executable; empty when it cannot be determined.
std::filesystem::path ProgramFolder();

// The process look-ups below see only the processes of the calling user; another user's
// processes are never found, nor ended, even by root.

// True when a process runs whose executable's file name equals `fileName`, ignoring case.
// Processes whose executable cannot be read (another user's, exited ones) never count.
bool IsProcessRunningByName(const std::filesystem::path& fileName);

// True when a process runs whose executable's full path equals `path`, ignoring case. A path
// through symbolic links matches the file it leads to.
bool IsProcessRunningByPath(const std::filesystem::path& path);

// Ends every process whose executable's file name equals `fileName` (ignoring case) at once,
// without letting it clean up, and waits until each is gone. Returns how many were ended.
// A process that has not gone after a few seconds is logged and no longer waited for, so the
// caller is never blocked for good.
int EndProcessesByName(const std::filesystem::path& fileName);

}  // namespace platform
