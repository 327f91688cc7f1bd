// SPDX-License-Identifier: GPL-3.0-or-later
// One instance per user: the lock, the request channel, and a second start's request; each run
// with a short runtime folder and with one whose path is longer than a socket address holds.

#include "platform/instance.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <future>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct RuntimeFolderCase {
  const char* name;
  std::size_t subfolderLength;  // 0: the temporary folder itself
};

class InstanceTest : public ::testing::TestWithParam<RuntimeFolderCase> {
 protected:
  void SetUp() override {
    std::string folder = (std::filesystem::temp_directory_path() / "veltrio-run-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    m_scratch = folder;
    m_folder = m_scratch;
    if (GetParam().subfolderLength) {
      m_folder /= std::string(GetParam().subfolderLength, 'r');
      std::filesystem::create_directory(m_folder);
      ASSERT_GE(m_folder.native().size(), sizeof(sockaddr_un{}.sun_path));
    }
    setenv("XDG_RUNTIME_DIR", m_folder.c_str(), 1);
  }
  void TearDown() override { std::filesystem::remove_all(m_scratch); }

  // Answers requests on the channel until `count` were answered, on a thread of its own,
  // the way the GUI thread watches the descriptor.
  static std::future<std::vector<int>> Serve(platform::InstanceChannel& channel, int count, int result) {
    return std::async(std::launch::async, [&channel, count, result] {
      std::vector<int> seen;
      while (static_cast<int>(seen.size()) < count) {
        pollfd waiting{channel.Descriptor(), POLLIN, 0};
        if (poll(&waiting, 1, 5000) <= 0) break;
        channel.AnswerOne([&](int message) {
          seen.push_back(message);
          return result;
        });
      }
      return seen;
    });
  }

  // Where the channel listens, as a client would connect to it.
  static std::pair<sockaddr_un, socklen_t> AddressOf(const platform::InstanceChannel& channel) {
    sockaddr_un address{};
    socklen_t length = sizeof address;
    getsockname(channel.Descriptor(), reinterpret_cast<sockaddr*>(&address), &length);
    return {address, length};
  }

  const std::string kName = "Zmgenex-Hkbhi{M49H36ND-72UK-799G-9739-80020Q8R8E3B}";
  std::filesystem::path m_scratch, m_folder;
};

INSTANTIATE_TEST_SUITE_P(RuntimeFolders, InstanceTest,
                         testing::Values(RuntimeFolderCase{"Short", 0}, RuntimeFolderCase{"LongerThanASocketPath", 120}),
                         [](const testing::TestParamInfo<RuntimeFolderCase>& info) { return info.param.name; });

TEST_P(InstanceTest, OneLockHolderAtATime) {
  auto first = platform::InstanceLock::Acquire(kName);
  ASSERT_TRUE(first);
  EXPECT_FALSE(platform::InstanceLock::Acquire(kName)) << "a second start finds the lock taken";
  EXPECT_TRUE(platform::InstanceLock::Acquire("another program"));
  first.reset();
  EXPECT_TRUE(platform::InstanceLock::Acquire(kName)) << "free again once the holder is gone";
}

TEST_P(InstanceTest, TheLockIsHeldAgainstOtherProcessesAndFreedWhenTheHolderDies) {
  auto lock = platform::InstanceLock::Acquire(kName);
  ASSERT_TRUE(lock);
  pid_t child = fork();
  if (child == 0) _exit(platform::InstanceLock::Acquire(kName) ? 1 : 0);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "another process cannot take it";
  lock.reset();

  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  child = fork();
  if (child == 0) {
    auto held = platform::InstanceLock::Acquire(kName);
    char byte = held ? 1 : 0;
    (void)!write(ready[1], &byte, 1);
    pause();
    _exit(0);
  }
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  ASSERT_EQ(byte, 1);
  EXPECT_FALSE(platform::InstanceLock::Acquire(kName));
  kill(child, SIGKILL);
  waitpid(child, &status, 0);
  EXPECT_TRUE(platform::InstanceLock::Acquire(kName)) << "a killed holder leaves nothing stale";
}

// A second start (1044) and "-x" (1046) reach the running instance; with none running they find
// nothing.
TEST_P(InstanceTest, RequestsAreAnsweredOneByOne) {
  EXPECT_EQ(platform::SendToRunningInstance(kName, 1046), std::nullopt) << "no instance runs";
  auto channel = platform::InstanceChannel::Open(kName);
  ASSERT_TRUE(channel);
  auto served = Serve(*channel, 2, 7);
  EXPECT_EQ(platform::SendToRunningInstance(kName, 1044), 7);
  EXPECT_EQ(platform::SendToRunningInstance(kName, 1046), 7);
  EXPECT_EQ(served.get(), (std::vector<int>{1044, 1046}));
  channel.reset();
  EXPECT_EQ(platform::SendToRunningInstance(kName, 1044), std::nullopt) << "a closed channel is not found";
}

TEST_P(InstanceTest, AChannelLeftByACrashedInstanceIsReplaced) {
  // What an earlier version left: a socket file beside the lock.
  const std::filesystem::path oldSocket = m_folder / (kName + ".sock");
  if (oldSocket.native().size() < sizeof(sockaddr_un{}.sun_path)) {
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, oldSocket.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
  }
  pid_t child = fork();
  if (child == 0) {
    auto channel = platform::InstanceChannel::Open(kName);
    _exit(channel ? 0 : 1);  // ends without closing it
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(platform::SendToRunningInstance(kName, 1044), std::nullopt);
  auto channel = platform::InstanceChannel::Open(kName);
  ASSERT_TRUE(channel);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(oldSocket))) << "the old file is cleared";
  auto served = Serve(*channel, 1, 0);
  EXPECT_EQ(platform::SendToRunningInstance(kName, 1044), 0);
  served.get();
}

TEST_P(InstanceTest, ASilentClientDoesNotBlockTheChannel) {
  auto channel = platform::InstanceChannel::Open(kName);
  ASSERT_TRUE(channel);
  int silent = socket(AF_UNIX, SOCK_STREAM, 0);
  auto [address, length] = AddressOf(*channel);
  ASSERT_EQ(connect(silent, reinterpret_cast<sockaddr*>(&address), length), 0);
  bool called = false;
  channel->AnswerOne([&](int) { return called = true; });
  EXPECT_FALSE(called);
  close(silent);
  auto served = Serve(*channel, 1, 3);
  EXPECT_EQ(platform::SendToRunningInstance(kName, 1046), 3);
  served.get();
}

// Instances with runtime folders of their own (other sessions, tests side by side) do not reach
// each other.
TEST_P(InstanceTest, EachRuntimeFolderHasAChannelOfItsOwn) {
  auto channel = platform::InstanceChannel::Open(kName);
  ASSERT_TRUE(channel);
  const std::filesystem::path other = m_scratch / "other";
  std::filesystem::create_directory(other);
  setenv("XDG_RUNTIME_DIR", other.c_str(), 1);
  EXPECT_EQ(platform::SendToRunningInstance(kName, 1046), std::nullopt);
  auto second = platform::InstanceChannel::Open(kName);
  EXPECT_TRUE(second) << "a second folder's instance opens its own";
  setenv("XDG_RUNTIME_DIR", m_folder.c_str(), 1);
}

// Runs `body` in a child process that has become another user; its exit status.
int AsAnotherUser(const std::function<int()>& body) {
  pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(100);
    _exit(body());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 101;
}

TEST_P(InstanceTest, AnotherUserIsRefusedOnBothSides) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root, to start a process of another user";
  auto channel = platform::InstanceChannel::Open(kName);
  ASSERT_TRUE(channel);
  const auto [address, length] = AddressOf(*channel);

  // A client of another user connects and asks the instance to quit: no answer, nothing done.
  bool called = false;
  auto answering = std::async(std::launch::async, [&] {
    pollfd waiting{channel->Descriptor(), POLLIN, 0};
    if (poll(&waiting, 1, 5000) > 0) channel->AnswerOne([&](int) { return called = true; });
  });
  const int client = AsAnotherUser([address = address, length = length] {
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) return 2;
    const int32_t quit = 1046;
    send(fd, &quit, sizeof quit, MSG_NOSIGNAL);
    int32_t answer = 0;
    return recv(fd, &answer, sizeof answer, MSG_WAITALL) == sizeof answer ? 1 : 0;
  });
  answering.get();
  EXPECT_EQ(client, 0) << "the other user's client gets no answer";
  EXPECT_FALSE(called) << "its request is not handled";

  // A server of another user in the channel's place: the request is not sent to it, and this
  // user's instance cannot open its channel (and says so) while the name is taken.
  channel.reset();
  int ready[2], verdict[2], done[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(verdict), 0);
  ASSERT_EQ(pipe(done), 0);
  auto squatter = std::async(std::launch::async, [&, address = address, length = length] {
    return AsAnotherUser([&] {
      int fd = socket(AF_UNIX, SOCK_STREAM, 0);
      const char ok = bind(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 && listen(fd, 4) == 0;
      (void)!write(ready[1], &ok, 1);
      int client = accept(fd, nullptr, nullptr);
      int32_t message = 0;
      const char heard = client >= 0 && recv(client, &message, sizeof message, MSG_WAITALL) == sizeof message;
      (void)!write(verdict[1], &heard, 1);
      char end = 0;
      (void)!read(done[0], &end, 1);  // holds the name until told
      return 0;
    });
  });
  char ok = 0;
  ASSERT_EQ(read(ready[0], &ok, 1), 1);
  ASSERT_EQ(ok, 1);
  EXPECT_EQ(platform::SendToRunningInstance(kName, 1046), std::nullopt);
  char heard = 1;
  ASSERT_EQ(read(verdict[0], &heard, 1), 1);
  EXPECT_EQ(heard, 0) << "the other user's server hears no request";
  EXPECT_FALSE(platform::InstanceChannel::Open(kName));
  (void)!write(done[1], "x", 1);
  EXPECT_EQ(squatter.get(), 0);
  for (int fd : {ready[0], ready[1], verdict[0], verdict[1], done[0], done[1]}) close(fd);
}

TEST(InstanceFallbackTest, WithoutXdgRuntimeDirAPrivateFolderIsUsed) {
  const char* saved = std::getenv("XDG_RUNTIME_DIR");
  const std::string restore = saved ? saved : "";
  unsetenv("XDG_RUNTIME_DIR");
  const std::string name = "veltrio-instance-test-" + std::to_string(getpid());
  auto lock = platform::InstanceLock::Acquire(name);
  ASSERT_TRUE(lock);
  std::filesystem::path folder = "/tmp/veltrio-" + std::to_string(getuid());
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_EQ(std::filesystem::status(folder).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_all);
  auto channel = platform::InstanceChannel::Open(name);
  EXPECT_TRUE(channel);
  channel.reset();
  lock.reset();
  std::filesystem::remove(folder / (name + ".lock"));
  if (saved) setenv("XDG_RUNTIME_DIR", restore.c_str(), 1);
}

}  // namespace
