// SPDX-License-Identifier: GPL-3.0-or-later
// HID interfaces on Linux: hidraw nodes, their sysfs attributes and our own descriptor parser.

#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

#include "platform/hid.h"
#include "platform/linux/hid_devroot.h"
#include "platform/log.h"
#include "posix_linux.h"

namespace fs = std::filesystem;

namespace platform {

struct HidDevice {
  HidInterfaceInfo info;
  std::string node;  // the node path without "#colNN"
  unsigned access = kHidAccessNone;
  int fd = -1;
  bool socket = false;
  int cancelFd = -1;
  std::atomic<bool> cancelled{false};
};

namespace {

constexpr const char* kCategory = category::kHid;
constexpr std::size_t kMaxReport = 4096 + 1;  // hidraw's own buffer size plus our kind byte

std::string SysDir() { return DeviceRoot() + "/sys"; }
std::string DevDir() { return DeviceRoot() + "/dev"; }

std::string ReadText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// "hidraw12" -> 12, anything else -> -1.
long NodeNumber(std::string_view name) {
  if (name.substr(0, 6) != "hidraw" || name.size() == 6 || name.size() > 12) return -1;
  long number = 0;
  for (char c : name.substr(6)) {
    if (c < '0' || c > '9') return -1;
    number = number * 10 + (c - '0');
  }
  return number;
}

struct InterfacePath {
  std::string node;       // "/dev/hidraw3"
  std::string nodeName;   // "hidraw3"
  int collection = 0;     // 0-based; 0 also when the path has no suffix
  bool hasSuffix = false;
};

bool SplitPath(const std::string& path, InterfacePath* out) {
  std::string node = path;
  const std::size_t hash = path.rfind("#col");
  if (hash != std::string::npos) {
    const std::string digits = path.substr(hash + 4);
    if (digits.size() != 2 || !std::isdigit(static_cast<unsigned char>(digits[0])) ||
        !std::isdigit(static_cast<unsigned char>(digits[1])))
      return false;
    const int number = std::stoi(digits);
    if (number < 1) return false;
    out->collection = number - 1;
    out->hasSuffix = true;
    node = path.substr(0, hash);
  }
  out->node = node;
  out->nodeName = fs::path(node).filename().string();
  return NodeNumber(out->nodeName) >= 0;
}

struct NodeInfo {
  HidAttributes attributes;
  HidDescriptorParse parse;
};

std::uint16_t HexField(std::string_view text) {
  return std::uint16_t(std::strtoul(std::string(text).c_str(), nullptr, 16));
}

// Attributes and the parsed descriptor of one hidraw node; kHidFileNotFound when absent.
HidStatus ReadNode(const std::string& nodeName, NodeInfo* info) {
  const fs::path device = fs::path(SysDir()) / "class/hidraw" / nodeName / "device";
  std::error_code error;
  if (!fs::exists(device, error)) return kHidFileNotFound;
  const std::string descriptor = ReadText(device / "report_descriptor");
  if (descriptor.empty()) return kHidGenFailure;
  info->parse = ParseHidReportDescriptor(reinterpret_cast<const std::uint8_t*>(descriptor.data()),
                                         descriptor.size());
  if (!info->parse.ok) {
    LogDebug(kCategory, nodeName + ": report descriptor rejected: " + info->parse.error);
    return kHidGenFailure;
  }
  // uevent: HID_ID=0003:000025A7:00000134
  std::istringstream uevent(ReadText(device / "uevent"));
  for (std::string line; std::getline(uevent, line);) {
    if (line.rfind("HID_ID=", 0) != 0) continue;
    const std::size_t first = line.find(':'), second = line.find(':', first + 1);
    if (first == std::string::npos || second == std::string::npos) break;
    info->attributes.VendorID = HexField(line.substr(first + 1, second - first - 1));
    info->attributes.ProductID = HexField(line.substr(second + 1));
  }
  // The version is the USB device's; it sits a few levels above the HID device.
  fs::path dir = fs::canonical(device, error);
  for (int level = 0; level < 4 && !error && !dir.empty(); ++level, dir = dir.parent_path()) {
    if (fs::exists(dir / "bcdDevice", error)) {
      info->attributes.VersionNumber = HexField(ReadText(dir / "bcdDevice"));
      break;
    }
  }
  return kHidSuccess;
}

std::string CollectionPath(const std::string& node, std::size_t index, std::size_t count) {
  if (count <= 1) return node;
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, "#col%02zu", index + 1);
  return node + suffix;
}

int RemainingMs(std::chrono::steady_clock::time_point deadline, int timeoutMs) {
  if (timeoutMs < 0) return -1;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  return int(std::max<long long>(0, left.count()));
}

bool Wanted(const HidCollectionInfo& collection, std::uint8_t id) {
  return std::binary_search(collection.inputReportIds.begin(), collection.inputReportIds.end(), id);
}

int ConnectSocket(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) {
    errno = ENAMETOOLONG;
    return -1;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  // Connected without waiting: a node whose backlog is full (a device that accepts nothing)
  // would block a blocking connect, and with it the thread that opens, until the device goes.
  // A Unix socket connects at once or fails with EAGAIN; the descriptor blocks again afterwards.
  const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return -1;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    const int saved = errno;
    ::close(fd);
    errno = saved == EAGAIN ? EBUSY : saved;
    return -1;
  }
  return fd;
}

// One message from the node: payload without the socket's kind byte. 0 bytes means gone.
ssize_t ReceiveReport(HidDevice* device, std::uint8_t* buffer, std::size_t size, bool* isReport) {
  *isReport = true;
  if (!device->socket) return ::read(device->fd, buffer, size);
  std::uint8_t message[kMaxReport + 1];
  const ssize_t n = ::recv(device->fd, message, sizeof message, MSG_DONTWAIT);
  if (n <= 0) return n;
  *isReport = message[0] == kDevRootInputReport;
  const std::size_t payload = std::min<std::size_t>(std::size_t(n) - 1, size);
  std::memcpy(buffer, message + 1, payload);
  return ssize_t(payload);
}

}  // namespace

HidStatus HidStatusFromSystemError(int error) {
  switch (error) {
    case 0: return kHidSuccess;
    case ENOENT: return kHidFileNotFound;
    case EACCES: case EPERM: return kHidAccessDenied;
    case EBADF: return kHidInvalidHandle;
    case ENOMEM: return kHidNotEnoughMemory;
    case EINVAL: return kHidInvalidParameter;
    case EBUSY: return kHidBusy;
    case ETIMEDOUT: case EAGAIN: return kHidTimeout;
    case EINTR: case ECANCELED: return kHidOperationAborted;
    case ENODEV: case ENXIO: case EIO: case EPIPE: case ECONNRESET: case ECONNREFUSED:
    case ENOTCONN: case ESHUTDOWN:
      return kHidDeviceNotConnected;
    default: return kHidGenFailure;
  }
}

std::vector<std::string> HidEnumerate() {
  std::vector<std::pair<long, std::string>> nodes;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(SysDir()) / "class/hidraw", error)) {
    const std::string name = entry.path().filename().string();
    if (const long number = NodeNumber(name); number >= 0) nodes.emplace_back(number, name);
  }
  std::sort(nodes.begin(), nodes.end());
  std::vector<std::string> paths;
  for (const auto& [number, name] : nodes) {
    const std::string node = DevDir() + "/" + name;
    struct stat st {};
    NodeInfo info;
    if (::stat(node.c_str(), &st) != 0 || ReadNode(name, &info) != kHidSuccess) continue;
    const std::size_t count = info.parse.collections.size();
    for (std::size_t i = 0; i < count; ++i) paths.push_back(CollectionPath(node, i, count));
  }
  return paths;
}

HidStatus HidGetInterfaceInfo(const std::string& path, HidInterfaceInfo* info) {
  InterfacePath split;
  if (!SplitPath(path, &split)) return kHidFileNotFound;
  struct stat st {};
  if (::stat(split.node.c_str(), &st) != 0) return HidStatusFromSystemError(errno);
  NodeInfo node;
  if (const HidStatus status = ReadNode(split.nodeName, &node); status != kHidSuccess) return status;
  const std::size_t count = node.parse.collections.size();
  // A node of several collections is reached only through its "#colNN" paths, as on Windows.
  if (std::size_t(split.collection) >= count || split.hasSuffix != (count > 1)) return kHidFileNotFound;
  info->path = path;
  info->attributes = node.attributes;
  info->collection = std::move(node.parse.collections[split.collection]);
  return kHidSuccess;
}

HidStatus HidOpen(const std::string& path, unsigned access, HidDevice** device) {
  *device = nullptr;
  auto opened = std::make_unique<HidDevice>();
  if (const HidStatus status = HidGetInterfaceInfo(path, &opened->info); status != kHidSuccess) return status;
  InterfacePath split;
  SplitPath(path, &split);
  opened->node = split.node;
  opened->access = access & (kHidAccessRead | kHidAccessWrite);
  if (opened->access != kHidAccessNone) {
    struct stat st {};
    if (::stat(split.node.c_str(), &st) != 0) return HidStatusFromSystemError(errno);
    opened->socket = S_ISSOCK(st.st_mode);
    if (opened->socket) {
      opened->fd = ConnectSocket(split.node);
    } else {
      const int mode = opened->access == kHidAccessRead ? O_RDONLY
                       : opened->access == kHidAccessWrite ? O_WRONLY
                                                           : O_RDWR;
      opened->fd = ::open(split.node.c_str(), mode | O_CLOEXEC | O_NONBLOCK);
    }
    if (opened->fd < 0) {
      const int error = errno;
      LogDebug(kCategory, posix::Failure("open " + split.node, error));
      return HidStatusFromSystemError(error);
    }
  }
  opened->cancelFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (opened->cancelFd < 0) {
    const int error = errno;
    LogWarning(kCategory, posix::Failure("eventfd for " + split.node, error));
    if (opened->fd >= 0) ::close(opened->fd);
    return HidStatusFromSystemError(error);
  }
  *device = opened.release();
  return kHidSuccess;
}

void HidClose(HidDevice* device) {
  if (!device) return;
  if (device->fd >= 0) ::close(device->fd);
  if (device->cancelFd >= 0) ::close(device->cancelFd);
  delete device;
}

const HidInterfaceInfo& HidDeviceInfo(const HidDevice* device) { return device->info; }

void HidCancelRead(HidDevice* device) {
  if (!device) return;
  device->cancelled = true;
  const std::uint64_t one = 1;
  [[maybe_unused]] ssize_t n = ::write(device->cancelFd, &one, sizeof one);
}

HidStatus HidRead(HidDevice* device, std::uint8_t* buffer, std::size_t length, std::size_t* transferred,
                  int timeoutMs) {
  *transferred = 0;
  if (!device) return kHidInvalidHandle;
  if (!(device->access & kHidAccessRead)) return kHidAccessDenied;
  const HidCollectionInfo& collection = device->info.collection;
  if (collection.caps.InputReportByteLength == 0) return kHidInvalidParameter;
  if (!buffer || length < collection.caps.InputReportByteLength) return kHidInvalidUserBuffer;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
  std::uint8_t report[kMaxReport + 1];
  for (;;) {
    if (device->cancelled) return kHidOperationAborted;
    pollfd fds[2] = {{device->fd, POLLIN, 0}, {device->cancelFd, POLLIN, 0}};
    const int ready = ::poll(fds, 2, RemainingMs(deadline, timeoutMs));
    if (ready == 0) return kHidTimeout;
    if (ready < 0) {
      if (errno == EINTR) continue;
      return HidStatusFromSystemError(errno);
    }
    if (fds[1].revents) return kHidOperationAborted;
    if (!(fds[0].revents & POLLIN)) return kHidDeviceNotConnected;  // hang-up or error only
    // Without report ids the OS gives the data alone; callers always see byte 0 = report id.
    const std::size_t offset = collection.usesReportIds ? 0 : 1;
    report[0] = 0;
    bool isReport = true;
    const ssize_t n = ReceiveReport(device, report + offset, kMaxReport, &isReport);
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) continue;
      return HidStatusFromSystemError(errno);
    }
    if (n == 0) return kHidDeviceNotConnected;
    if (!isReport) continue;
    const std::size_t size = std::size_t(n) + offset;
    if (collection.usesReportIds && !Wanted(collection, report[0])) continue;
    const std::size_t copied = std::min(size, length);
    std::memcpy(buffer, report, copied);
    *transferred = copied;
    return copied < size ? kHidMoreData : kHidSuccess;
  }
}

HidStatus HidWrite(HidDevice* device, const std::uint8_t* data, std::size_t length, std::size_t* transferred,
                   int timeoutMs) {
  *transferred = 0;
  if (!device) return kHidInvalidHandle;
  if (!(device->access & kHidAccessWrite)) return kHidAccessDenied;
  const HidCollectionInfo& collection = device->info.collection;
  if (collection.caps.OutputReportByteLength == 0) return kHidInvalidParameter;
  if (!data || length != collection.caps.OutputReportByteLength) return kHidInvalidUserBuffer;
  if (!collection.usesReportIds && data[0] != 0) return kHidInvalidParameter;
  const std::size_t offset = collection.usesReportIds ? 0 : 1;
  std::uint8_t message[kMaxReport + 1];
  std::size_t size = 0;
  if (device->socket) message[size++] = kDevRootOutputReport;
  std::memcpy(message + size, data + offset, length - offset);
  size += length - offset;

  // Sent at once: the node has room for a report nearly always, and a heartbeat is one
  // system call then. Only a full node is waited for, up to the time-out.
  std::optional<std::chrono::steady_clock::time_point> deadline;
  for (;;) {
    const ssize_t n = device->socket ? ::send(device->fd, message, size, MSG_NOSIGNAL | MSG_DONTWAIT)
                                     : ::write(device->fd, message, size);
    if (n >= 0) {
      *transferred = length;
      return kHidSuccess;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN) return HidStatusFromSystemError(errno);
    if (!deadline) deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    pollfd fd = {device->fd, POLLOUT, 0};
    const int ready = ::poll(&fd, 1, RemainingMs(*deadline, timeoutMs));
    if (ready == 0) return kHidTimeout;
    if (ready < 0 && errno != EINTR) return HidStatusFromSystemError(errno);
    if (ready > 0 && (fd.revents & (POLLHUP | POLLERR))) return kHidDeviceNotConnected;
  }
}

HidStatus HidGetInputReport(HidDevice* device, std::uint8_t* buffer, std::size_t length,
                            std::size_t* transferred) {
  *transferred = 0;
  if (!device) return kHidInvalidHandle;
  if (!(device->access & kHidAccessRead)) return kHidAccessDenied;
  if (!buffer || length < 1 || length > kMaxReport - 1) return kHidInvalidUserBuffer;
  if (!device->socket) {
    const int n = ::ioctl(device->fd, HIDIOCGINPUT(length), buffer);
    if (n < 0) return HidStatusFromSystemError(errno);
    *transferred = std::size_t(n);
    return kHidSuccess;
  }
  // A connection of its own, so that the answer cannot be taken by a reader of this device.
  const int fd = ConnectSocket(device->node);
  if (fd < 0) return HidStatusFromSystemError(errno);
  const std::uint8_t request[2] = {kDevRootGetInputReport, buffer[0]};
  HidStatus status = kHidTimeout;
  if (::send(fd, request, sizeof request, MSG_NOSIGNAL) != ssize_t(sizeof request)) {
    status = HidStatusFromSystemError(errno);
  } else {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    std::uint8_t message[kMaxReport + 1];
    for (;;) {
      pollfd p = {fd, POLLIN, 0};
      if (::poll(&p, 1, RemainingMs(deadline, 1000)) <= 0) break;
      const ssize_t n = ::recv(fd, message, sizeof message, 0);
      if (n <= 0) {
        status = kHidDeviceNotConnected;
        break;
      }
      if (message[0] != kDevRootInputReportReply) continue;
      if (n == 1) {
        status = kHidInvalidParameter;  // the device has no such report
        break;
      }
      const std::size_t size = std::min<std::size_t>(std::size_t(n) - 1, length);
      std::memcpy(buffer, message + 1, size);
      *transferred = size;
      status = kHidSuccess;
      break;
    }
  }
  ::close(fd);
  return status;
}

}  // namespace platform
