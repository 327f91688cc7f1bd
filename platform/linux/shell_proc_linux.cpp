// SPDX-License-Identifier: GPL-3.0-or-later
// Processes found through /proc: the executable of each process is the target of /proc/<pid>/exe.

#include "platform/shell.h"

#include "platform/log.h"
#include "posix_linux.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <dirent.h>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace platform {
namespace fs = std::filesystem;
namespace {

constexpr const char* kCategory = category::kPrograms;
constexpr auto kEndTimeout = std::chrono::seconds(5);
constexpr auto kPollInterval = std::chrono::milliseconds(5);

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The executable of `pid`; empty when it cannot be read (another user's process, a zombie, a
// kernel thread).
std::string ExecutableOf(pid_t pid) {
  std::string link = "/proc/" + std::to_string(pid) + "/exe";
  char buffer[4096];
  ssize_t length = ::readlink(link.c_str(), buffer, sizeof buffer);
  if (length <= 0 || static_cast<size_t>(length) == sizeof buffer) return {};
  std::string path(buffer, static_cast<size_t>(length));
  // A program replaced on disk while it runs (an upgrade) is still that program.
  constexpr std::string_view deleted = " (deleted)";
  if (path.size() > deleted.size() && path.ends_with(deleted)) path.resize(path.size() - deleted.size());
  return path;
}

// True when the process runs as this process's user: the owner of /proc/<pid> is the
// process's effective user.
bool IsOwnProcess(pid_t pid) {
  struct stat info {};
  const std::string folder = "/proc/" + std::to_string(pid);
  return ::stat(folder.c_str(), &info) == 0 && info.st_uid == ::geteuid();
}

// Calls `visit` with each process of this user and its executable until it returns true; true
// when it did. Other users' processes are never visited, even where they could be read (root).
bool FindProcess(const std::function<bool(pid_t, const std::string&)>& visit) {
  DIR* proc = ::opendir("/proc");
  if (!proc) {
    LogWarning(kCategory, posix::Failure("list processes in /proc"));
    return false;
  }
  bool found = false;
  while (const dirent* entry = ::readdir(proc)) {
    char* end = nullptr;
    long pid = std::strtol(entry->d_name, &end, 10);
    if (*end != '\0' || pid <= 0 || !IsOwnProcess(static_cast<pid_t>(pid))) continue;
    std::string exe = ExecutableOf(static_cast<pid_t>(pid));
    if (!exe.empty() && visit(static_cast<pid_t>(pid), exe)) {
      found = true;
      break;
    }
  }
  ::closedir(proc);
  return found;
}

std::string FileNameOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

struct ProcessIdentity {
  pid_t pid;
  unsigned long long startTime;  // tells a reused pid from the process that was ended
};

// The state letter and start time from /proc/<pid>/stat; false when the process is gone.
bool ReadStat(pid_t pid, char& state, unsigned long long& startTime) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  if (!std::getline(in, text)) return false;
  size_t close = text.rfind(')');  // the command name may hold blanks and parentheses
  if (close == std::string::npos) return false;
  std::istringstream fields(text.substr(close + 1));
  std::string field;
  fields >> state;
  for (int i = 0; i < 18 && fields >> field; ++i) {
  }
  return static_cast<bool>(fields >> startTime);
}

bool IsGone(const ProcessIdentity& process) {
  char state = 0;
  unsigned long long startTime = 0;
  if (!ReadStat(process.pid, state, startTime)) return true;
  // A zombie has ended; only its parent can remove the entry.
  return state == 'Z' || state == 'X' || startTime != process.startTime;
}

}  // namespace

bool IsProcessRunningByName(const fs::path& fileName) {
  const std::string wanted = fileName.native();
  if (wanted.empty()) return false;
  return FindProcess([&](pid_t, const std::string& exe) { return EqualIgnoringCase(FileNameOf(exe), wanted); });
}

bool IsProcessRunningByPath(const fs::path& path) {
  if (path.empty()) return false;
  const std::string wanted = path.native();
  std::error_code error;
  const std::string resolved = fs::weakly_canonical(path, error).native();
  return FindProcess([&](pid_t, const std::string& exe) {
    return EqualIgnoringCase(exe, wanted) || (!error && EqualIgnoringCase(exe, resolved));
  });
}

int EndProcessesByName(const fs::path& fileName) {
  const std::string wanted = fileName.native();
  if (wanted.empty()) return 0;
  std::vector<ProcessIdentity> ended;
  FindProcess([&](pid_t pid, const std::string& exe) {
    char state = 0;
    unsigned long long startTime = 0;
    if (pid == ::getpid() || !EqualIgnoringCase(FileNameOf(exe), wanted) || !ReadStat(pid, state, startTime))
      return false;
    if (::kill(pid, SIGKILL) == 0) {
      ended.push_back({pid, startTime});
    } else if (errno != ESRCH) {
      LogWarning(kCategory, posix::Failure("end process " + std::to_string(pid) + " (" + wanted + ")"));
    }
    return false;
  });
  const auto deadline = std::chrono::steady_clock::now() + kEndTimeout;
  for (const ProcessIdentity& process : ended) {
    while (!IsGone(process)) {
      if (std::chrono::steady_clock::now() >= deadline) {
        LogWarning(kCategory, "process " + std::to_string(process.pid) + " (" + wanted +
                                  ") has not ended; not waiting for it any longer");
        break;
      }
      std::this_thread::sleep_for(kPollInterval);
    }
  }
  return static_cast<int>(ended.size());
}

}  // namespace platform
