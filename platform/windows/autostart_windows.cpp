// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/autostart.h"
#include "platform/windows/autostart.h"

#include "platform/log.h"
#include "platform/utf.h"
#include "win32_windows.h"

namespace platform {
namespace {

constexpr const char* kCategory = category::kAutostart;

void LogFailure(const char* operation, LSTATUS status) {
  LogWarning(kCategory, win32::Failure(std::string(operation) + " " + ToUtf8(FromPath(AutostartEntryPath())),
                                       static_cast<DWORD>(status)));
}

}  // namespace

std::wstring RunCommand(const std::filesystem::path& executable) {
  const std::wstring& path = executable.native();
  if (path.empty() || path.find_first_of(L"\"\r\n") != std::wstring::npos) return {};
  return L"\"" + path + L"\" -boot";
}

std::filesystem::path AutostartEntryPath() {
  return std::filesystem::path(L"HKEY_CURRENT_USER\\") / kRunKey / kRunValueName;
}

bool IsLaunchAtStartRegistered() {
  wchar_t data[2] = {};
  DWORD size = sizeof data;
  // Only whether the value starts with a character matters: a longer one reads as "more data".
  const LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValueName, RRF_RT_REG_SZ, nullptr, data, &size);
  if (status == ERROR_MORE_DATA) return true;
  return status == ERROR_SUCCESS && data[0] != L'\0';
}

bool SetLaunchAtStart(bool enable, const std::filesystem::path& executable) {
  if (!enable) {
    HKEY key = nullptr;
    LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key);
    if (status == ERROR_FILE_NOT_FOUND) return true;  // nothing to disable
    if (status != ERROR_SUCCESS) {
      LogFailure("open", status);
      return false;
    }
    status = RegDeleteValueW(key, kRunValueName);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
      LogFailure("remove", status);
      return false;
    }
    return true;
  }
  const std::wstring command = RunCommand(executable);
  if (command.empty()) return false;
  HKEY key = nullptr;
  LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) {
    LogFailure("open", status);
    return false;
  }
  status = RegSetValueExW(key, kRunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                          static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) {
    LogFailure("write", status);
    return false;
  }
  return true;
}

}  // namespace platform
