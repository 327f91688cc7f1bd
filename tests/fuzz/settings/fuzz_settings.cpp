// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as "global.xml": start up from them, edit a binding, save the profile and the
// settings, delete a profile. Nothing may crash, hang or leak, whatever the file holds.

#include "platform/log.h"
#include "settings/GlobalSettings.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::filesystem::path Folder() {
  static const std::filesystem::path folder = [] {
    // A memory file system where there is one: every save flushes to the disk.
    std::filesystem::path base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
    std::string pattern = (base / "veltrio-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    setenv("XDG_CONFIG_HOME", pattern.c_str(), 1);
    platform::SetLogSink([](platform::LogLevel, const char*, std::string_view) {});
    return std::filesystem::path(pattern) / "Veltrio";
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::filesystem::path folder = Folder();
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "global.xml", std::ios::binary).write(reinterpret_cast<const char*>(data), size);

  CGlobalSettings settings;
  settings.StartUp();
  settings.m_currentProfile.AssignFunction(BindingIndex(1, 4), 302);
  settings.m_currentProfile.Save();
  settings.m_nDevStyeID = 3;
  settings.SaveGlobalSettings();
  if (!settings.m_profileNames.empty()) settings.DeleteProfile(settings.m_profileNames.front());
  settings.EnumProfileNames();
  settings.m_currentProfile.Load();
  return 0;
}
