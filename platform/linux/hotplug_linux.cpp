// SPDX-License-Identifier: GPL-3.0-or-later
// Arrival and removal of hidraw nodes: libudev, or inotify on a test device root.

#include <libudev.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/linux/hid_devroot.h"
#include "platform/hotplug.h"
#include "platform/log.h"
#include "posix_linux.h"

namespace platform {
namespace {

constexpr const char* kCategory = category::kHid;

bool IsHidrawName(const char* name) {
  if (std::strncmp(name, "hidraw", 6) != 0 || name[6] == '\0') return false;
  for (const char* c = name + 6; *c; ++c)
    if (*c < '0' || *c > '9') return false;
  return true;
}

class LinuxHotplugMonitor final : public HotplugMonitor {
 public:
  explicit LinuxHotplugMonitor(HotplugCallback callback) : callback_(std::move(callback)) {}

  ~LinuxHotplugMonitor() override {
    thread_.Stop();
    if (inotifyFd_ >= 0) ::close(inotifyFd_);
    if (monitor_) udev_monitor_unref(monitor_);
    if (udev_) udev_unref(udev_);
  }

  bool StartInotify(const std::string& devDir) {
    devDir_ = devDir;
    inotifyFd_ = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (inotifyFd_ < 0) return LogWarning(kCategory, posix::Failure("inotify_init1")), false;
    if (::inotify_add_watch(inotifyFd_, devDir.c_str(), IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM) < 0)
      return LogWarning(kCategory, posix::Failure("inotify_add_watch " + devDir)), false;
    return Run(inotifyFd_);
  }

  bool StartUdev() {
    udev_ = udev_new();
    if (!udev_) return LogWarning(kCategory, posix::Failure("udev_new")), false;
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (!monitor_) return LogWarning(kCategory, posix::Failure("udev_monitor_new_from_netlink")), false;
    if (udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0)
      return LogWarning(kCategory, posix::Failure("udev monitor of hidraw")), false;
    return Run(udev_monitor_get_fd(monitor_));
  }

 private:
  bool Run(int sourceFd) {
    if (!thread_.Start([this, sourceFd](int stopFd) { Loop(sourceFd, stopFd); }))
      return LogWarning(kCategory, posix::Failure("eventfd")), false;
    return true;
  }

  void Loop(int sourceFd, int stopFd) {
    for (;;) {
      pollfd fds[2] = {{sourceFd, POLLIN, 0}, {stopFd, POLLIN, 0}};
      if (posix::RetryOnInterrupt([&] { return ::poll(fds, 2, -1); }) < 0)
        return LogWarning(kCategory, posix::Failure("poll for device changes"));
      if (fds[1].revents) return;
      if (fds[0].revents) monitor_ ? DrainUdev() : DrainInotify();
    }
  }

  void DrainUdev() {
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
      const char* action = udev_device_get_action(device);
      const char* node = udev_device_get_devnode(device);
      if (action && node) {
        if (std::strcmp(action, "add") == 0) callback_(HotplugEvent::Arrival, node);
        if (std::strcmp(action, "remove") == 0) callback_(HotplugEvent::Removal, node);
      }
      udev_device_unref(device);
    }
  }

  void DrainInotify() {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
      const ssize_t n = ::read(inotifyFd_, buffer, sizeof buffer);
      if (n <= 0) return;
      for (ssize_t at = 0; at < n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        at += ssize_t(sizeof(inotify_event) + event->len);
        if (event->len == 0 || !IsHidrawName(event->name)) continue;
        const bool arrival = event->mask & (IN_CREATE | IN_MOVED_TO);
        callback_(arrival ? HotplugEvent::Arrival : HotplugEvent::Removal, devDir_ + "/" + event->name);
      }
    }
  }

  HotplugCallback callback_;
  std::string devDir_;
  int inotifyFd_ = -1;
  udev* udev_ = nullptr;
  udev_monitor* monitor_ = nullptr;
  posix::MonitorThread thread_;  // stopped first in the destructor, before what it polls closes
};

}  // namespace

std::unique_ptr<HotplugMonitor> HotplugMonitor::Start(HotplugCallback callback) {
  auto monitor = std::make_unique<LinuxHotplugMonitor>(std::move(callback));
  const std::string root = DeviceRoot();
  const bool started = !root.empty() ? monitor->StartInotify(root + "/dev") : monitor->StartUdev();
  if (!started) return nullptr;
  return monitor;
}

}  // namespace platform
