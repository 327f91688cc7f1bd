// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/shell.h"

#include "shell_xdg_linux.h"

#include "platform/log.h"
#include "posix_linux.h"
#include "platform/utf.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace platform {
namespace fs = std::filesystem;
namespace {

constexpr const char* kCategory = category::kPrograms;

const char* TargetText(DesktopTarget target) {
  switch (target) {
    case DesktopTarget::WebBrowser: return "web browser";
    case DesktopTarget::MailProgram: return "mail program";
    case DesktopTarget::MediaPlayer: return "media player";
    case DesktopTarget::OnScreenKeyboard: return "on-screen keyboard";
    case DesktopTarget::MouseSettings: return "mouse settings";
  }
  return "program";
}

// Waits for one child so that it does not stay a zombie. A thread per child keeps the process's
// SIGCHLD disposition and every other child (QProcess, test harnesses) alone.
void CollectWhenDone(pid_t pid) {
  try {
    std::thread([pid] {
      int status = 0;
      posix::RetryOnInterrupt([&] { return ::waitpid(pid, &status, 0); });
    }).detach();
  } catch (const std::system_error& error) {
    LogWarning(kCategory, std::string("start a thread to collect process ") + std::to_string(pid) +
                              ": " + error.what());
  }
}

}  // namespace

namespace linux_shell {

bool SpawnDetached(const std::vector<std::string>& argv, const fs::path& workingFolder) {
  if (argv.empty() || argv.front().empty()) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  if (!workingFolder.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
  // Descriptors of the program (device nodes, sockets) are no business of the started one.
  posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);

  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // A session of its own: the program outlives a terminal that started this one and gets none
  // of its signals. Ignored signals and the signal mask would be inherited through exec.
  sigset_t none, reset;
  sigemptyset(&none);
  sigemptyset(&reset);
  for (int signal : {SIGPIPE, SIGCHLD, SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2, SIGALRM})
    sigaddset(&reset, signal);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &reset);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::vector<char*> pointers;
  for (const std::string& arg : argv) pointers.push_back(const_cast<char*>(arg.c_str()));
  pointers.push_back(nullptr);
  pid_t pid = 0;
  int error = ::posix_spawn(&pid, argv.front().c_str(), &actions, &attributes, pointers.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    LogWarning(kCategory, posix::Failure("start " + argv.front(), error));
    return false;
  }
  LogDebug(kCategory, "started " + argv.front() + " as process " + std::to_string(pid));
  CollectWhenDone(pid);
  return true;
}

}  // namespace linux_shell

bool OpenDesktopTarget(DesktopTarget target) {
  using namespace linux_shell;
  std::vector<std::string> argv = DesktopCommand(target, XdgEnvironment::FromProcess());
  if (argv.empty()) {
    LogWarning(kCategory, std::string("open the ") + TargetText(target) + ": none is installed");
    return false;
  }
  return SpawnDetached(argv);
}

bool StartProgram(const fs::path& program, std::span<const std::wstring> arguments, const fs::path& workingFolder) {
  std::vector<std::string> argv{program.native()};
  for (const std::wstring& argument : arguments) argv.push_back(ToUtf8(argument));
  return linux_shell::SpawnDetached(argv, workingFolder);
}

bool LaunchApplication(const fs::path& file) {
  using namespace linux_shell;
  if (file.empty()) return false;
  XdgEnvironment env = XdgEnvironment::FromProcess();
  if (file.extension() == ".desktop") {
    std::vector<std::string> argv = DesktopEntryCommand(file, env);
    if (argv.empty()) {
      LogWarning(kCategory, "launch " + file.native() + ": the entry names no program that is installed");
      return false;
    }
    return SpawnDetached(argv);
  }
  if (IsExecutableFile(file)) return SpawnDetached({file.native()});
  // A document: the desktop opens it with its handler, as a double click would.
  fs::path opener = FindProgram("xdg-open", env);
  if (opener.empty()) {
    LogWarning(kCategory, "open " + file.native() + ": it is not a program and xdg-open is not installed");
    return false;
  }
  return SpawnDetached({opener.native(), file.native()});
}

fs::path ExecutableFileName(std::string_view baseName) { return fs::path(baseName); }

fs::path ProgramFolder() {
  std::error_code error;
  fs::path self = fs::read_symlink("/proc/self/exe", error);
  if (error) {
    LogWarning(kCategory, "read /proc/self/exe: " + error.message());
    return {};
  }
  return self.parent_path();
}

}  // namespace platform
