// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrivateXServer.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testsupport {

PrivateXServer::~PrivateXServer() {
  if (m_pid > 0) {
    kill(m_pid, SIGTERM);
    int status = 0;
    waitpid(m_pid, &status, 0);
  }
}

bool PrivateXServer::Start(const std::string& screen, const std::string& log) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    m_error = "pipe failed";
    return false;
  }
  // Xvfb writes the display number it chose to the descriptor given by -displayfd.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, log.empty() ? "/dev/null" : log.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                   0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  // -noreset: without it the server resets whenever its last client leaves, and a program that
  // connects during the reset is refused ("could not connect to display").
  const char* argv[] = {"Xvfb",     "-displayfd", "3",   "-screen",  "0",
                        screen.c_str(), "-nolisten", "tcp", "-noreset", nullptr};
  int error = posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (error != 0) {
    m_pid = 0;
    close(fds[0]);
    m_error = "cannot start Xvfb (is it installed? scripts/setup installs it)";
    return false;
  }
  std::string number;
  pollfd fd{fds[0], POLLIN, 0};
  while (poll(&fd, 1, 20000) > 0) {
    char c;
    if (read(fds[0], &c, 1) != 1 || c == '\n') break;
    number += c;
  }
  close(fds[0]);
  if (number.empty()) {
    m_error = "Xvfb did not report a display" + (log.empty() ? std::string() : "; see " + log);
    return false;
  }
  m_display = ":" + number;
  return true;
}

}  // namespace testsupport
