// SPDX-License-Identifier: GPL-3.0-or-later
#include "posix_linux.h"

#include "platform/log.h"

#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace platform::posix {

std::string Failure(std::string_view operation, int error) {
  std::string line(operation);
  line += ": ";
  line += ErrorText(error);
  return line;
}

bool WriteAll(int fd, const void* data, std::size_t size) {
  auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = RetryOnInterrupt([&] { return ::write(fd, bytes, size); });
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool MonitorThread::Start(std::function<void(int stopFd)> loop) {
  Stop();
  m_stopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (m_stopFd < 0) return false;
  m_thread = std::thread([loop = std::move(loop), fd = m_stopFd] { loop(fd); });
  return true;
}

void MonitorThread::Stop() {
  if (m_thread.joinable()) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_stopFd, &one, sizeof one);
    m_thread.join();
  }
  if (m_stopFd >= 0) ::close(m_stopFd);
  m_stopFd = -1;
}

}  // namespace platform::posix
