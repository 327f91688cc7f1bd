// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/autostart.h"
#include "platform/linux/autostart.h"

#include "platform/files.h"
#include "platform/log.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

namespace platform {
namespace {

constexpr const char* kCategory = category::kAutostart;

std::filesystem::path ConfigFolder() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') return config;
  const char* home = std::getenv("HOME");
  return home && *home ? std::filesystem::path(home) / ".config" : std::filesystem::path();
}

std::string EntryText(const std::filesystem::path& executable, bool hidden) {
  std::ostringstream entry;
  entry << "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Veltrio\n"
           "Comment=Presenter remote keys and gestures\n"
        << "Exec=" << QuoteExecArgument(executable.string()) << " -boot\n"
        << "Icon=veltrio\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled="
        << (hidden ? "false" : "true") << "\n"
        << "Hidden=" << (hidden ? "true" : "false") << "\n";
  return entry.str();
}

// The keys of the [Desktop Entry] group that decide whether the entry runs.
struct Entry {
  bool exists = false;
  bool hidden = false;
  std::string exec;
};

Entry ReadEntry() {
  Entry entry;
  std::ifstream in(AutostartEntryPath());
  if (!in) return entry;
  entry.exists = true;
  bool inMainGroup = false;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] == '[') {
      inMainGroup = line == "[Desktop Entry]";
      continue;
    }
    if (!inMainGroup) continue;
    if (line.rfind("Hidden=", 0) == 0) entry.hidden = line.substr(7) == "true";
    if (line.rfind("Exec=", 0) == 0) entry.exec = line.substr(5);
  }
  return entry;
}

}  // namespace

std::filesystem::path AutostartEntryPath() {
  std::filesystem::path config = ConfigFolder();
  return config.empty() ? config : config / "autostart" / "veltrio.desktop";
}

std::string QuoteExecArgument(const std::string& argument) {
  // Reserved characters make quoting necessary; inside quotes ", `, $ and \ are escaped with a
  // backslash, and every backslash is then doubled once more by the string escaping of the file
  // format. A literal % is written %% in any case.
  const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
  const bool quote = argument.empty() || argument.find_first_of(reserved) != std::string::npos;
  std::string out;
  if (quote) out += '"';
  for (char c : argument) {
    if (c == '%') {
      out += "%%";
    } else if (quote && (c == '"' || c == '`' || c == '$')) {
      out += "\\\\";  // the quoting backslash, itself escaped for the file
      out += c;
    } else if (quote && c == '\\') {
      out += "\\\\\\\\";  // four: a literal backslash inside quotes
    } else {
      out += c;
    }
  }
  if (quote) out += '"';
  return out;
}

bool IsLaunchAtStartRegistered() {
  Entry entry = ReadEntry();
  return entry.exists && !entry.hidden && !entry.exec.empty();
}

bool SetLaunchAtStart(bool enable, const std::filesystem::path& executable) {
  std::filesystem::path path = AutostartEntryPath();
  if (path.empty()) return false;
  // An entry is one line per key: a path with a line break cannot be written into it.
  if (executable.native().find_first_of("\r\n") != std::string::npos) return false;
  if (!enable && !ReadEntry().exists) return true;  // nothing to disable
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  if (error) {
    LogWarning(kCategory, "create " + path.parent_path().string() + ": " + error.message());
    return false;
  }
  return WriteFileAtomically(path, EntryText(executable, !enable));
}

}  // namespace platform
