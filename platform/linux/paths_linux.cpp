// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/paths.h"

#include <cstdlib>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace platform {
namespace {

std::filesystem::path HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir && *entry->pw_dir) return entry->pw_dir;
  return {};
}

std::filesystem::path ConfigFolder() {
  // XDG base directories must be absolute; a relative XDG_CONFIG_HOME is ignored.
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') return config;
  std::filesystem::path home = HomeFolder();
  return home.empty() ? home : home / ".config";
}

}  // namespace

std::filesystem::path SettingsFolder() {
  std::filesystem::path base = ConfigFolder();
  if (base.empty()) return {};
  std::filesystem::path folder = base / "Veltrio";
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  return std::filesystem::is_directory(folder, error) ? folder : std::filesystem::path{};
}

}  // namespace platform
