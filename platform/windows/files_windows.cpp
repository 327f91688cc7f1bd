// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files.h"

#include "platform/log.h"
#include "platform/utf.h"
#include "win32_windows.h"

#include <string>

namespace platform {
namespace {

constexpr const char* kCategory = category::kFiles;

void LogFailure(const char* operation, const std::filesystem::path& path, DWORD error) {
  LogWarning(kCategory, win32::Failure(std::string(operation) + " " + ToUtf8(path.native()), error));
}

// Writes everything, across short writes.
bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& link, std::string_view bytes) {
  if (link.empty()) return false;
  // A file that is a symbolic link is replaced where it really lives, as on Linux.
  std::error_code error;
  std::filesystem::path path = link;
  if (std::filesystem::is_symlink(link, error)) {
    path = std::filesystem::weakly_canonical(link, error);
    if (error) {
      LogWarning(kCategory, "resolve " + ToUtf8(link.native()) + ": " + error.message());
      return false;
    }
  }
  std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(L".");
  wchar_t temp[MAX_PATH + 1] = {};
  // A new, uniquely named file in the target's folder, so that the move below stays on one volume.
  if (GetTempFileNameW(folder.c_str(), L"vlt", 0, temp) == 0) {
    LogFailure("create a temporary file in", folder, GetLastError());
    return false;
  }
  win32::UniqueHandle file(CreateFileW(temp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  bool ok = static_cast<bool>(file) && WriteAll(file.get(), bytes) && FlushFileBuffers(file.get());
  DWORD failure = GetLastError();
  file.reset();
  // Replaces the old file in one step: a reader sees the old contents or the new, never a mix.
  // ReplaceFileW keeps the old file's attributes and security and refuses a file that may not be
  // replaced (read-only, or held open by a program that does not share it); a file that is not
  // there yet is moved into place.
  if (ok) {
    const bool replaced = std::filesystem::exists(path, error)
                              ? ReplaceFileW(path.c_str(), temp, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                              : MoveFileExW(temp, path.c_str(), MOVEFILE_WRITE_THROUGH);
    if (!replaced) {
      ok = false;
      failure = GetLastError();
    }
  }
  if (!ok) {
    LogFailure("write", path, failure);
    DeleteFileW(temp);
    return false;
  }
  return true;
}

}  // namespace platform
