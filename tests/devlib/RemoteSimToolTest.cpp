// SPDX-License-Identifier: GPL-3.0-or-later
// The remote-sim program end to end: devbridge opens the remote it serves, sees the keys the
// script presses and the program prints the heartbeat it receives.

#include <gtest/gtest.h>

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "DevbridgeTestSupport.h"

extern char** environ;

namespace {

using namespace devtest;

class Tool {
 public:
  Tool() {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, in[1]);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char* argv[] = {const_cast<char*>(VELTRIO_REMOTE_SIM), nullptr};
    if (posix_spawn(&pid_, VELTRIO_REMOTE_SIM, &actions, nullptr, argv, environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    stdin_ = in[1];
    stdout_ = out[0];
  }
  ~Tool() {
    CloseInput();
    if (pid_ > 0) Wait();
    if (stdout_ >= 0) close(stdout_);
  }

  bool Send(const std::string& line) {
    const std::string text = line + "\n";
    return write(stdin_, text.data(), text.size()) == ssize_t(text.size());
  }
  void CloseInput() {
    if (stdin_ >= 0) close(stdin_);
    stdin_ = -1;
  }
  // The next output line that starts with prefix, or "" after a few seconds.
  std::string LineStartingWith(const std::string& prefix) {
    for (;;) {
      for (std::size_t end; (end = buffer_.find('\n')) != std::string::npos;) {
        std::string line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        if (line.rfind(prefix, 0) == 0) return line;
      }
      pollfd p{stdout_, POLLIN, 0};
      char chunk[256];
      if (poll(&p, 1, 5000) <= 0) return "";
      const ssize_t n = read(stdout_, chunk, sizeof chunk);
      if (n <= 0) return "";
      buffer_.append(chunk, std::size_t(n));
    }
  }
  int Wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  bool Started() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
  int stdin_ = -1, stdout_ = -1;
  std::string buffer_;
};

TEST(RemoteSimTool, ServesTheRemoteToDevbridge) {
  Tool tool;
  ASSERT_TRUE(tool.Started());
  const std::string root = tool.LineStartingWith("root ");
  ASSERT_FALSE(root.empty());
  ASSERT_FALSE(tool.LineStartingWith("plugged ").empty());
  setenv("VELTRIO_DEVICE_ROOT", root.substr(5).c_str(), 1);

  Reports().Clear();
  CMyDllMouseDevice* device = CMyDllMouseDevice::Create();
  device->SetReportCallback(&RecordReport);
  wchar_t path[devbridge::kPathCapacity] = {};
  ASSERT_TRUE(device->FindByOutputCaps(0x25A7, 0x0134, 0xFF01, 0, 16, 16, 1, 0x0A, path));
  ASSERT_EQ(device->OpenByPath(path, nullptr), 0);

  ASSERT_TRUE(tool.Send("press gesture"));
  ASSERT_TRUE(Reports().WaitFor(1));
  EXPECT_EQ(Reports().Items()[0][3], 0x80);

  const std::uint8_t heartbeat[16] = {0x0A, 0x02, 0x5A, 0x01};
  EXPECT_EQ(device->WriteReport(heartbeat, 16, nullptr, nullptr, 100), 0);
  EXPECT_EQ(tool.LineStartingWith("received "), "received 0a 02 5a 01 00 00 00 00 00 00 00 00 00 00 00 00");

  ASSERT_TRUE(tool.Send("bogus command"));
  ASSERT_TRUE(tool.Send("unplug"));
  EXPECT_EQ(tool.LineStartingWith("unplugged"), "unplugged");
  device->OnDeviceChange(devbridge::kDeviceRemoveComplete, 0);
  EXPECT_FALSE(device->IsOpen());
  device->Release();
  tool.CloseInput();
  EXPECT_EQ(tool.Wait(), 2);  // the bogus command is reported in the exit status
  unsetenv("VELTRIO_DEVICE_ROOT");
}

}  // namespace
