// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/shell.h"
#include "platform/windows/shell.h"

#include "platform/log.h"
#include "platform/utf.h"
#include "win32_windows.h"

#include <psapi.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <system_error>
#include <vector>

namespace platform {
namespace fs = std::filesystem;
namespace {

constexpr const char* kCategory = category::kPrograms;
constexpr DWORD kEndTimeoutMs = 5000;

// 64-bit Windows resolves system programs in the native system folder only with the file-system
// redirection of a 32-bit process turned off; in a 64-bit process both calls simply fail.
class RedirectionGuard {
 public:
  RedirectionGuard() { m_disabled = Wow64DisableWow64FsRedirection(&m_saved); }
  ~RedirectionGuard() {
    if (m_disabled) Wow64RevertWow64FsRedirection(m_saved);
  }

 private:
  PVOID m_saved = nullptr;
  BOOL m_disabled = FALSE;
};

bool ShellOpen(const wchar_t* file, const wchar_t* parameters, int show) {
  RedirectionGuard guard;
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", file, parameters, nullptr, show));
  if (result > 32) return true;
  LogWarning(kCategory, win32::Failure("open " + ToUtf8(file), static_cast<DWORD>(result)));
  return false;
}

bool EqualIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// The user of a process's token equals this process's own.
bool SameUser(HANDLE process) {
  auto userOf = [](HANDLE handle) {
    std::vector<unsigned char> info;
    HANDLE token = nullptr;
    if (!OpenProcessToken(handle, TOKEN_QUERY, &token)) return info;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    info.resize(size);
    if (size == 0 || !GetTokenInformation(token, TokenUser, info.data(), size, &size)) info.clear();
    CloseHandle(token);
    return info;
  };
  static const std::vector<unsigned char> own = userOf(GetCurrentProcess());
  const std::vector<unsigned char> other = userOf(process);
  if (own.empty() || other.empty()) return false;
  return EqualSid(reinterpret_cast<const TOKEN_USER*>(own.data())->User.Sid,
                  reinterpret_cast<const TOKEN_USER*>(other.data())->User.Sid) != FALSE;
}

// Visits the processes of this user whose main module can be read, with the process opened for
// queries, memory reads and waiting. `visit` returns false to stop the walk.
void ForEachProcess(const std::function<bool(DWORD id, HANDLE process)>& visit) {
  std::vector<DWORD> ids(1024);
  DWORD bytes = 0;
  for (;;) {
    if (!EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes)) {
      LogWarning(kCategory, win32::Failure("list the processes"));
      return;
    }
    if (bytes < ids.size() * sizeof(DWORD)) break;
    ids.resize(ids.size() * 2);  // the list may have been cut: ask again with more room
  }
  ids.resize(bytes / sizeof(DWORD));
  const DWORD self = GetCurrentProcessId();
  for (DWORD id : ids) {
    if (id == 0) continue;
    win32::UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE, id));
    if (!process || (id != self && !SameUser(process.get()))) continue;
    if (!visit(id, process.get())) return;
  }
}

std::wstring BaseNameOf(HANDLE process) {
  HMODULE module = nullptr;
  DWORD needed = 0;
  wchar_t name[MAX_PATH] = {};
  if (!EnumProcessModules(process, &module, sizeof module, &needed) || !GetModuleBaseNameW(process, module, name, MAX_PATH))
    return {};
  return name;
}

std::wstring PathOf(HANDLE process) {
  wchar_t path[MAX_PATH] = {};
  return GetModuleFileNameExW(process, nullptr, path, MAX_PATH) ? path : L"";
}

void AppendQuoted(const std::wstring& argument, std::wstring* line) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    *line += argument;
    return;
  }
  *line += L'"';
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') backslashes = backslashes * 2 + 1;  // each doubled, one more for the quote
    line->append(backslashes, L'\\');
    backslashes = 0;
    *line += c;
  }
  line->append(backslashes * 2, L'\\');  // before the closing quote
  *line += L'"';
}

}  // namespace

std::wstring QuoteCommandLine(std::span<const std::wstring> arguments) {
  std::wstring line;
  for (const std::wstring& argument : arguments) {
    if (!line.empty()) line += L' ';
    AppendQuoted(argument, &line);
  }
  return line;
}

bool OpenDesktopTarget(DesktopTarget target) {
  switch (target) {
    case DesktopTarget::WebBrowser: return ShellOpen(L"explorer.exe", L"http://", SW_SHOWNORMAL);
    case DesktopTarget::MailProgram: return ShellOpen(L"explorer.exe", L"mailto:", SW_SHOWNORMAL);
    case DesktopTarget::MediaPlayer: return ShellOpen(L"wmplayer.exe", nullptr, SW_SHOWNORMAL);
    case DesktopTarget::OnScreenKeyboard: return ShellOpen(L"osk.exe", nullptr, SW_SHOWNORMAL);
    case DesktopTarget::MouseSettings:
      return ShellOpen(L"rundll32.exe", L"shell32.dll,Control_RunDLLAsUser main.cpl", SW_SHOW);
  }
  return false;
}

bool StartProgram(const fs::path& program, std::span<const std::wstring> arguments, const fs::path& workingFolder) {
  if (program.empty()) return false;
  const std::wstring parameters = QuoteCommandLine(arguments);
  SHELLEXECUTEINFOW request{};
  request.cbSize = sizeof request;
  request.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  request.lpFile = program.c_str();
  request.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  request.lpDirectory = workingFolder.empty() ? nullptr : workingFolder.c_str();
  // Shown normally: a started program that the user cannot see could not be used or closed.
  request.nShow = SW_SHOWNORMAL;
  if (ShellExecuteExW(&request)) return true;
  LogWarning(kCategory, win32::Failure("start " + ToUtf8(FromPath(program))));
  return false;
}

bool LaunchApplication(const fs::path& file) {
  std::error_code error;
  if (file.empty() || !fs::exists(file, error)) return false;
  return ShellOpen(file.c_str(), nullptr, SW_SHOWNORMAL);
}

fs::path ExecutableFileName(std::string_view baseName) { return ToPath(FromUtf8(baseName) + L".exe"); }

fs::path ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return fs::path(path).parent_path();
    }
    path.resize(path.size() * 2);
  }
}

bool IsProcessRunningByName(const fs::path& fileName) {
  bool found = false;
  ForEachProcess([&](DWORD, HANDLE process) {
    const std::wstring name = BaseNameOf(process);
    found = !name.empty() && EqualIgnoringCase(name, fileName.native());
    return !found;
  });
  return found;
}

bool IsProcessRunningByPath(const fs::path& path) {
  std::error_code error;
  fs::path wanted = fs::weakly_canonical(path, error);
  if (error) wanted = path;
  bool found = false;
  ForEachProcess([&](DWORD, HANDLE process) {
    const std::wstring own = PathOf(process);
    found = !own.empty() && (EqualIgnoringCase(own, wanted.native()) || EqualIgnoringCase(own, path.native()));
    return !found;
  });
  return found;
}

int EndProcessesByName(const fs::path& fileName) {
  // The processes are taken by id, so that taskkill ends this user's processes and no others.
  struct Target {
    DWORD id;
    win32::UniqueHandle handle;
  };
  std::vector<Target> targets;
  ForEachProcess([&](DWORD id, HANDLE process) {
    const std::wstring name = BaseNameOf(process);
    if (id != GetCurrentProcessId() && !name.empty() && EqualIgnoringCase(name, fileName.native())) {
      HANDLE copy = nullptr;
      if (DuplicateHandle(GetCurrentProcess(), process, GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0))
        targets.push_back({id, win32::UniqueHandle(copy)});
    }
    return true;
  });
  if (targets.empty()) return 0;
  std::wstring parameters = L"/f";
  for (const Target& target : targets) parameters += L" /pid " + std::to_wstring(target.id);
  // Forced and without a console window, and waited for: every process is gone when it returns.
  SHELLEXECUTEINFOW request{};
  request.cbSize = sizeof request;
  request.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  request.lpFile = L"taskkill.exe";
  request.lpParameters = parameters.c_str();
  request.nShow = SW_HIDE;
  const DWORD start = GetTickCount();
  if (!ShellExecuteExW(&request)) {
    LogWarning(kCategory, win32::Failure("start taskkill.exe for " + ToUtf8(FromPath(fileName))));
    return 0;
  }
  win32::UniqueHandle taskkill(request.hProcess);
  auto remaining = [start] {
    const DWORD spent = GetTickCount() - start;
    return spent >= kEndTimeoutMs ? DWORD{0} : kEndTimeoutMs - spent;
  };
  if (taskkill) WaitForSingleObject(taskkill.get(), remaining());
  int ended = 0;
  for (const Target& target : targets) {
    if (WaitForSingleObject(target.handle.get(), remaining()) == WAIT_OBJECT_0) {
      ++ended;
    } else {
      LogWarning(kCategory, "process " + std::to_string(target.id) + " (" + ToUtf8(FromPath(fileName)) +
                                ") has not ended; no longer waiting for it");
    }
  }
  return ended;
}

}  // namespace platform
