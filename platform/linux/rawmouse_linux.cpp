// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/rawmouse.h"

#include "platform/linux/hid_devroot.h"
#include "platform/log.h"
#include "posix_linux.h"

#include <fcntl.h>
#include <libudev.h>
#include <linux/input.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

namespace platform {
namespace {

constexpr const char* kCategory = category::kRawMouse;
namespace fs = std::filesystem;

// Reads HID_ID=0003:VVVVVVVV:PPPPPPPP from the first ancestor of `path` whose uevent has one.
bool FindHidIds(fs::path path, uint16_t* vendor, uint16_t* product) {
  for (int depth = 0; depth < 8 && path.has_relative_path(); ++depth, path = path.parent_path()) {
    std::ifstream uevent(path / "uevent");
    for (std::string line; std::getline(uevent, line);) {
      unsigned bus = 0, v = 0, p = 0;
      if (line.rfind("HID_ID=", 0) == 0 && std::sscanf(line.c_str() + 7, "%x:%x:%x", &bus, &v, &p) == 3) {
        *vendor = static_cast<uint16_t>(v);
        *product = static_cast<uint16_t>(p);
        return true;
      }
    }
  }
  return false;
}

struct Node {
  int fd = -1;
  uint16_t vendor = 0, product = 0;
  bool motion = false;   // since the last SYN_REPORT
  bool buttons = false;
  int dx = 0, dy = 0;
};

class LinuxRawMouseMonitor final : public RawMouseMonitor {
 public:
  LinuxRawMouseMonitor(uint16_t vendor, uint16_t product, RawMouseCallback callback)
      : m_vendor(vendor), m_product(product), m_callback(std::move(callback)), m_root(DeviceRoot()) {}

  ~LinuxRawMouseMonitor() override {
    m_thread.Stop();
    for (auto& [path, node] : m_nodes) ::close(node.fd);
    if (m_udevMonitor) udev_monitor_unref(m_udevMonitor);
    if (m_udev) udev_unref(m_udev);
    if (m_inotify >= 0) ::close(m_inotify);
  }

  bool Begin() {
    if (!StartWatching()) return false;
    Rescan();
    if (!m_thread.Start([this](int stopFd) { Run(stopFd); })) return Fail("eventfd");
    return true;
  }

  int OpenDevices() const override { return m_openCount.load(); }

 private:
  bool Fail(const char* operation) {
    LogWarning(kCategory, posix::Failure(operation));
    return false;
  }

  std::string SysDir() const { return m_root + "/sys"; }
  std::string DevDir() const { return m_root + "/dev"; }

  bool StartWatching() {
    if (!m_root.empty()) {
      m_inotify = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
      if (m_inotify < 0) return Fail("inotify_init1");
      WatchRootFolders();
      return true;
    }
    m_udev = udev_new();
    if (!m_udev) return Fail("udev_new");
    m_udevMonitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!m_udevMonitor || udev_monitor_filter_add_match_subsystem_devtype(m_udevMonitor, "input", nullptr) < 0 ||
        udev_monitor_enable_receiving(m_udevMonitor) < 0) {
      return Fail("udev monitor for input devices");
    }
    return true;
  }

  // dev/input may appear only with the first device, so dev/ is watched for it too.
  void WatchRootFolders() {
    constexpr uint32_t kMask = IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM | IN_DELETE_SELF;
    ::inotify_add_watch(m_inotify, DevDir().c_str(), kMask | IN_ONLYDIR);
    ::inotify_add_watch(m_inotify, (DevDir() + "/input").c_str(), kMask | IN_ONLYDIR);
  }

  // The event nodes of the wanted mice that exist now.
  std::map<std::string, std::pair<uint16_t, uint16_t>> WantedNodes() const {
    std::map<std::string, std::pair<uint16_t, uint16_t>> wanted;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(SysDir() + "/class/input", error)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("event", 0) != 0) continue;
      fs::path device = fs::canonical(entry.path(), error);
      if (error) continue;
      uint16_t vendor = 0, product = 0;
      if (!FindHidIds(device.parent_path(), &vendor, &product)) continue;
      if (vendor == m_vendor && product == m_product) wanted[DevDir() + "/input/" + name] = {vendor, product};
    }
    return wanted;
  }

  static int OpenNode(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return -1;
    if (S_ISSOCK(info.st_mode)) {
      int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
      sockaddr_un address{};
      address.sun_family = AF_UNIX;
      if (fd < 0 || path.size() >= sizeof address.sun_path) {
        if (fd >= 0) ::close(fd);
        return -1;
      }
      std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
      if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
      }
      return fd;
    }
    return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  }

  void Rescan() {
    auto wanted = WantedNodes();
    for (auto it = m_nodes.begin(); it != m_nodes.end();) {
      if (wanted.count(it->first)) {
        ++it;
        continue;
      }
      ::close(it->second.fd);
      it = m_nodes.erase(it);
    }
    for (const auto& [path, ids] : wanted) {
      if (m_nodes.count(path)) continue;
      int fd = OpenNode(path);
      if (fd < 0) {
        // Not there yet (the node comes last) or no access: the next event tries again.
        LogDebug(kCategory, posix::Failure("open " + path));
        continue;
      }
      m_nodes[path] = Node{fd, ids.first, ids.second};
      LogDebug(kCategory, "reading " + path);
    }
    m_openCount.store(static_cast<int>(m_nodes.size()));
  }

  // Returns false when the node is gone.
  bool ReadNode(const std::string& path, Node& node) {
    input_event events[64];
    for (;;) {
      const ssize_t got = posix::RetryOnInterrupt([&] { return ::read(node.fd, events, sizeof events); });
      if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
      if (got <= 0) return false;
      for (size_t i = 0; i < static_cast<size_t>(got) / sizeof(input_event); ++i) Handle(path, node, events[i]);
    }
  }

  void Handle(const std::string& path, Node& node, const input_event& event) {
    if (event.type == EV_REL) {
      node.motion = true;
      if (event.code == REL_X) node.dx += event.value;
      if (event.code == REL_Y) node.dy += event.value;
    } else if (event.type == EV_KEY && event.code >= BTN_MOUSE && event.code <= BTN_TASK) {
      node.buttons = true;
    } else if (event.type == EV_SYN && event.code == SYN_REPORT) {
      if (node.motion || node.buttons) {
        m_callback(RawMouseTick{path, node.vendor, node.product, node.dx, node.dy, node.buttons});
      }
      node.motion = node.buttons = false;
      node.dx = node.dy = 0;
    }
  }

  bool DrainWatcher() {
    bool changed = false;
    if (m_inotify >= 0) {
      alignas(inotify_event) char buffer[4096];
      while (::read(m_inotify, buffer, sizeof buffer) > 0) changed = true;
      if (changed) WatchRootFolders();  // dev/input may have just appeared (re-adding is harmless)
    }
    if (m_udevMonitor) {
      while (udev_device* device = udev_monitor_receive_device(m_udevMonitor)) {
        changed = true;
        udev_device_unref(device);
      }
    }
    return changed;
  }

  void Run(int stopFd) {
    const int watcher = m_inotify >= 0 ? m_inotify : udev_monitor_get_fd(m_udevMonitor);
    std::vector<pollfd> fds;
    std::vector<std::string> paths;
    for (;;) {
      fds.assign({{stopFd, POLLIN, 0}, {watcher, POLLIN, 0}});
      paths.assign(2, std::string());
      for (auto& [path, node] : m_nodes) {
        fds.push_back({node.fd, POLLIN, 0});
        paths.push_back(path);
      }
      if (posix::RetryOnInterrupt([&] { return ::poll(fds.data(), fds.size(), -1); }) < 0) {
        Fail("poll");
        return;
      }
      if (fds[0].revents) return;
      bool rescan = fds[1].revents && DrainWatcher();
      for (size_t i = 2; i < fds.size(); ++i) {
        if (!fds[i].revents) continue;
        auto it = m_nodes.find(paths[i]);
        if (it == m_nodes.end() || ReadNode(it->first, it->second)) continue;
        // Gone: the rescan reopens it only if the node is still there.
        ::close(it->second.fd);
        m_nodes.erase(it);
        rescan = true;
      }
      if (rescan) Rescan();
    }
  }

  const uint16_t m_vendor, m_product;
  RawMouseCallback m_callback;
  const std::string m_root;
  int m_inotify = -1;
  udev* m_udev = nullptr;
  udev_monitor* m_udevMonitor = nullptr;
  std::map<std::string, Node> m_nodes;  // monitor thread only, after Begin
  std::atomic<int> m_openCount{0};
  posix::MonitorThread m_thread;  // stopped first in the destructor, before what it polls closes
};

}  // namespace

std::unique_ptr<RawMouseMonitor> RawMouseMonitor::Start(std::uint16_t vendorId, std::uint16_t productId,
                                                        RawMouseCallback callback) {
  auto monitor = std::make_unique<LinuxRawMouseMonitor>(vendorId, productId, std::move(callback));
  if (!monitor->Begin()) return nullptr;
  return monitor;
}

}  // namespace platform
