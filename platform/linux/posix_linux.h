// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Private to the Linux backends: the POSIX patterns several of them share.
//  - Failure: "operation: the OS's text for the error", the form of their log lines;
//  - RetryOnInterrupt: a system call repeated while a signal interrupts it;
//  - WriteAll: a whole buffer written across short writes and interrupts;
//  - MonitorThread: a thread that polls descriptors of its own beside an eventfd that stops it.
//
// Thread: the functions may be called from any thread. A MonitorThread is started and stopped
// by its owner; its loop runs on the thread it starts.

#include <cerrno>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace platform::posix {

std::string Failure(std::string_view operation, int error);
inline std::string Failure(std::string_view operation) { return Failure(operation, errno); }

// Calls `call` again while it fails with EINTR; returns its last result (errno as it left it).
template <typename Call>
auto RetryOnInterrupt(Call call) -> decltype(call()) {
  for (;;) {
    const auto result = call();
    if (!(result < 0 && errno == EINTR)) return result;
  }
}

// False when a write fails (errno says why) or writes nothing.
bool WriteAll(int fd, const void* data, std::size_t size);

class MonitorThread {
 public:
  MonitorThread() = default;
  ~MonitorThread() { Stop(); }
  MonitorThread(const MonitorThread&) = delete;
  MonitorThread& operator=(const MonitorThread&) = delete;

  // Runs `loop(stopFd)` on a new thread. The loop polls stopFd (readable once Stop is called)
  // beside its own descriptors and returns when it becomes readable. False, with errno set,
  // when the stop event cannot be made; the loop then never runs.
  bool Start(std::function<void(int stopFd)> loop);

  // Wakes the loop through the stop event and waits for it to return. Idempotent; called from
  // any thread but the loop's own.
  void Stop();

 private:
  int m_stopFd = -1;
  std::thread m_thread;
};

}  // namespace platform::posix
