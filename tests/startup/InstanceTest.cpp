// One instance per user: the lock, the request channel, and a second start's request.

#include "platform/instance.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <future>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class InstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string folder = (std::filesystem::temp_directory_path() / "veltrio-run-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    m_folder = folder;
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
  }
  void TearDown() override { std::filesystem::remove_all(m_folder); }

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

  const std::string kName = "Zmgenex-Hkbhi{M49H36ND-72UK-799G-9739-80020Q8R8E3B}";
  std::filesystem::path m_folder;
};

TEST_F(InstanceTest, OneLockHolderAtATime) {
  auto first = platform::InstanceLock::Acquire(kName);
  ASSERT_TRUE(first);
  EXPECT_FALSE(platform::InstanceLock::Acquire(kName)) << "a second start finds the lock taken";
  EXPECT_TRUE(platform::InstanceLock::Acquire("another program"));
  first.reset();
  EXPECT_TRUE(platform::InstanceLock::Acquire(kName)) << "free again once the holder is gone";
}

TEST_F(InstanceTest, TheLockIsHeldAgainstOtherProcessesAndFreedWhenTheHolderDies) {
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

TEST_F(InstanceTest, RequestsAreAnsweredOneByOne) {
  EXPECT_EQ(platform::SendToRunningInstance(kName, 1044), std::nullopt) << "no instance runs";
  auto channel = platform::InstanceChannel::Open(kName);
  ASSERT_TRUE(channel);
  auto served = Serve(*channel, 2, 7);
  EXPECT_EQ(platform::SendToRunningInstance(kName, 1044), 7);
  EXPECT_EQ(platform::SendToRunningInstance(kName, 1046), 7);
  EXPECT_EQ(served.get(), (std::vector<int>{1044, 1046}));
  channel.reset();
  EXPECT_EQ(platform::SendToRunningInstance(kName, 1044), std::nullopt) << "a closed channel is not found";
}

TEST_F(InstanceTest, AChannelLeftByACrashedInstanceIsReplaced) {
  pid_t child = fork();
  if (child == 0) {
    auto channel = platform::InstanceChannel::Open(kName);
    _exit(channel ? 0 : 1);  // leaves the socket file behind
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(platform::SendToRunningInstance(kName, 1044), std::nullopt);
  auto channel = platform::InstanceChannel::Open(kName);
  ASSERT_TRUE(channel);
  auto served = Serve(*channel, 1, 0);
  EXPECT_EQ(platform::SendToRunningInstance(kName, 1044), 0);
  served.get();
}

TEST_F(InstanceTest, ASilentClientDoesNotBlockTheChannel) {
  auto channel = platform::InstanceChannel::Open(kName);
  ASSERT_TRUE(channel);
  int silent = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::string path = (m_folder / (kName + ".sock")).string();
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  ASSERT_EQ(connect(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  bool called = false;
  channel->AnswerOne([&](int) { return called = true; });
  EXPECT_FALSE(called);
  close(silent);
  auto served = Serve(*channel, 1, 3);
  EXPECT_EQ(platform::SendToRunningInstance(kName, 1046), 3);
  served.get();
}

TEST_F(InstanceTest, WithoutXdgRuntimeDirAPrivateFolderIsUsed) {
  unsetenv("XDG_RUNTIME_DIR");
  auto lock = platform::InstanceLock::Acquire(kName + "-test-" + std::to_string(getpid()));
  ASSERT_TRUE(lock);
  std::filesystem::path folder = "/tmp/veltrio-" + std::to_string(getuid());
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_EQ(std::filesystem::status(folder).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_all);
  lock.reset();
  std::filesystem::remove(folder / (kName + "-test-" + std::to_string(getpid()) + ".lock"));
}

}  // namespace
