// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/instance.h"

#include "platform/log.h"
#include "posix_linux.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

constexpr const char* kCategory = category::kInstance;

void LogFailure(const std::string& operation, int error) {
  LogWarning(kCategory, posix::Failure(operation, error));
}

// $XDG_RUNTIME_DIR, or a folder of this user's own under /tmp: never one another user made.
std::string RuntimeFolder() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/') {
    struct stat info {};
    if (::stat(runtime, &info) == 0 && S_ISDIR(info.st_mode)) return runtime;
  }
  std::string folder = "/tmp/veltrio-" + std::to_string(::getuid());
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    LogFailure("create " + folder, errno);
    return {};
  }
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid() ||
      (info.st_mode & 0077) != 0) {
    LogWarning(kCategory, folder + " is not a private folder of this user; no single-instance check");
    return {};
  }
  return folder;
}

// The channel is an abstract socket: it has no file, so no length of the runtime folder's path
// can keep it from being made, and it goes with the process that made it. Its name is one of
// this user's and of the folder whose lock guards it, so that instances with runtime folders of
// their own (tests, other sessions) do not meet.
struct ChannelAddress {
  sockaddr_un address{};
  socklen_t length = 0;
  std::string Text() const {
    return "@" + std::string(address.sun_path + 1, length - offsetof(sockaddr_un, sun_path) - 1);
  }
};

bool MakeChannelAddress(const std::string& name, ChannelAddress* channel) {
  const std::string folder = RuntimeFolder();
  if (folder.empty()) return false;
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a of the lock's path
  for (unsigned char c : folder + "/" + name) hash = (hash ^ c) * 1099511628211ull;
  char text[64];
  const int size = std::snprintf(text, sizeof text, "veltrio-instance/%u/%016llx", unsigned(::geteuid()),
                                 static_cast<unsigned long long>(hash));
  *channel = ChannelAddress{};
  channel->address.sun_family = AF_UNIX;
  std::memcpy(channel->address.sun_path + 1, text, size_t(size));  // sun_path[0] = 0: abstract
  channel->length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + size_t(size));
  return true;
}

// Abstract sockets have no permissions: whoever is on the other end must be this user.
bool PeerIsThisUser(int fd) {
  ucred peer{};
  socklen_t size = sizeof peer;
  return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::geteuid();
}

bool SendAll(int fd, const void* data, size_t size) {
  auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    // send, not write: a peer that has gone must not raise SIGPIPE.
    const ssize_t sent = posix::RetryOnInterrupt([&] { return ::send(fd, bytes, size, MSG_NOSIGNAL); });
    if (sent <= 0) return false;
    bytes += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

// Reads exactly `size` bytes, waiting up to timeoutMs for each part (negative: no limit).
bool ReceiveAll(int fd, void* data, size_t size, int timeoutMs) {
  auto* bytes = static_cast<char*>(data);
  while (size > 0) {
    pollfd waiting{fd, POLLIN, 0};
    const int ready = posix::RetryOnInterrupt([&] { return ::poll(&waiting, 1, timeoutMs); });
    if (ready <= 0) return false;
    const ssize_t got = posix::RetryOnInterrupt([&] { return ::recv(fd, bytes, size, 0); });
    if (got <= 0) return false;
    bytes += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

class LinuxInstanceLock final : public InstanceLock {
 public:
  explicit LinuxInstanceLock(int fd) : m_fd(fd) {}
  ~LinuxInstanceLock() override { ::close(m_fd); }

 private:
  int m_fd;
};

class LinuxInstanceChannel final : public InstanceChannel {
 public:
  explicit LinuxInstanceChannel(int fd) : m_fd(fd) {}
  ~LinuxInstanceChannel() override { ::close(m_fd); }

  int Descriptor() const override { return m_fd; }

  void AnswerOne(const std::function<int(int message)>& handler) override {
    int client = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) return;
    if (!PeerIsThisUser(client)) {
      LogWarning(kCategory, "a request from another user refused");
      ::close(client);
      return;
    }
    // A client that connects and says nothing must not stall the GUI thread.
    int32_t message = 0;
    if (ReceiveAll(client, &message, sizeof message, 1000)) {
      int32_t result = handler(message);
      SendAll(client, &result, sizeof result);
    }
    ::close(client);
  }

 private:
  int m_fd;
};

}  // namespace

std::unique_ptr<InstanceLock> InstanceLock::Acquire(const std::string& name) {
  std::string folder = RuntimeFolder();
  if (folder.empty()) return std::make_unique<LinuxInstanceLock>(-1);  // no check possible: run
  std::string path = folder + "/" + name + ".lock";
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    LogFailure("open " + path, errno);
    return std::make_unique<LinuxInstanceLock>(-1);
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK) return nullptr;
    LogFailure("lock " + path, error);
    return std::make_unique<LinuxInstanceLock>(-1);
  }
  return std::make_unique<LinuxInstanceLock>(fd);
}

std::unique_ptr<InstanceChannel> InstanceChannel::Open(const std::string& name) {
  ChannelAddress channel;
  if (!MakeChannelAddress(name, &channel)) return nullptr;
  // The socket file of earlier versions, left behind; we hold the lock.
  ::unlink((RuntimeFolder() + "/" + name + ".sock").c_str());
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) {
    LogFailure("socket", errno);
    return nullptr;
  }
  // An instance that crashed left nothing: the name went with its process. Taken means that
  // another process has it while we hold the lock, which no instance of this user does.
  if (::bind(fd, reinterpret_cast<sockaddr*>(&channel.address), channel.length) != 0 ||
      ::listen(fd, 8) != 0) {
    LogFailure("listen on " + channel.Text(), errno);
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<LinuxInstanceChannel>(fd);
}

std::optional<int> SendToRunningInstance(const std::string& name, int message) {
  ChannelAddress channel;
  if (!MakeChannelAddress(name, &channel)) return std::nullopt;
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    LogFailure("socket", errno);
    return std::nullopt;
  }
  std::optional<int> answer;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&channel.address), channel.length) != 0) {
    // ECONNREFUSED: no instance runs; nothing to report.
  } else if (!PeerIsThisUser(fd)) {
    LogWarning(kCategory, channel.Text() + " is held by another user; the request is not sent");
  } else {
    int32_t request = message, result = 0;
    // The running instance answers once it has handled the request; a hung one blocks us, as
    // the caller expects (a quit request returns only after the window is gone).
    if (SendAll(fd, &request, sizeof request) && ReceiveAll(fd, &result, sizeof result, -1)) answer = result;
  }
  ::close(fd);
  return answer;
}

}  // namespace platform
