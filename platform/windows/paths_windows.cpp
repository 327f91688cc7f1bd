// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/paths.h"

#include <shlobj.h>
#include <windows.h>

#include <system_error>

namespace platform {

std::filesystem::path SettingsFolder() {
  PWSTR known = nullptr;
  // KF_FLAG_CREATE: a profile whose local application data folder was never made gets it now.
  const HRESULT result = SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &known);
  std::filesystem::path base;
  if (SUCCEEDED(result) && known) base = known;
  CoTaskMemFree(known);
  if (base.empty()) return {};
  std::filesystem::path folder = base / L"Veltrio";
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  return std::filesystem::is_directory(folder, error) ? folder : std::filesystem::path{};
}

}  // namespace platform
