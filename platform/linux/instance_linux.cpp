#include "platform/instance.h"

#include "platform/log.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr const char* kCategory = category::kInstance;

void LogFailure(const std::string& operation, int error) {
  LogWarning(kCategory, operation + ": " + std::string(ErrorText(error)));
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

bool SocketAddress(const std::string& name, sockaddr_un* address) {
  std::string folder = RuntimeFolder();
  if (folder.empty()) return false;
  std::string path = folder + "/" + name + ".sock";
  *address = sockaddr_un{};
  address->sun_family = AF_UNIX;
  if (path.size() >= sizeof address->sun_path) {
    LogWarning(kCategory, "socket path too long: " + path);
    return false;
  }
  std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
  return true;
}

bool SendAll(int fd, const void* data, size_t size) {
  auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t sent = ::send(fd, bytes, size, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
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
    int ready = ::poll(&waiting, 1, timeoutMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    ssize_t got = ::recv(fd, bytes, size, 0);
    if (got < 0 && errno == EINTR) continue;
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
  LinuxInstanceChannel(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
  ~LinuxInstanceChannel() override {
    ::unlink(m_path.c_str());
    ::close(m_fd);
  }

  int Descriptor() const override { return m_fd; }

  void AnswerOne(const std::function<int(int message)>& handler) override {
    int client = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) return;
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
  std::string m_path;
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
  sockaddr_un address;
  if (!SocketAddress(name, &address)) return nullptr;
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) {
    LogFailure("socket", errno);
    return nullptr;
  }
  ::unlink(address.sun_path);  // left by an instance that crashed; we hold the lock
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 8) != 0) {
    LogFailure(std::string("listen on ") + address.sun_path, errno);
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<LinuxInstanceChannel>(fd, address.sun_path);
}

std::optional<int> SendToRunningInstance(const std::string& name, int message) {
  sockaddr_un address;
  if (!SocketAddress(name, &address)) return std::nullopt;
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return std::nullopt;
  std::optional<int> answer;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    int32_t request = message, result = 0;
    // The running instance answers once it has handled the request; a hung one blocks us, as
    // the caller expects (a quit request returns only after the window is gone).
    if (SendAll(fd, &request, sizeof request) && ReceiveAll(fd, &result, sizeof result, -1)) answer = result;
  }
  ::close(fd);
  return answer;
}

}  // namespace platform
