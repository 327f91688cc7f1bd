// SPDX-License-Identifier: GPL-3.0-or-later
#include "remotesim/RemoteSim.h"

#include <linux/input.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <stdexcept>
#include <thread>

#include "platform/linux/hid_devroot.h"

namespace fs = std::filesystem;

namespace remotesim {

std::vector<std::uint8_t> VendorInterfaceDescriptor() {
  return {
      0x06, 0x01, 0xFF, 0x09, 0x00, 0xA1, 0x01,  // vendor page 0xFF01, usage 0, application
      0x85, 0x0A,                                // report id 0x0A
      0x09, 0x00, 0x15, 0x00, 0x26, 0xFF, 0x00,  // usage 0, logical 0..255
      0x75, 0x08, 0x95, 0x0F, 0x81, 0x02,        // 15 bytes in
      0x09, 0x00, 0x91, 0x02,                    // 15 bytes out
      0xC0,
      0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01,        // consumer control
      0x85, 0x03, 0x15, 0x00, 0x26, 0xFF, 0x03, 0x19, 0x00, 0x2A, 0xFF, 0x03,
      0x75, 0x10, 0x95, 0x01, 0x81, 0x00,        // one 16-bit usage
      0xC0,
  };
}

std::vector<std::uint8_t> MouseInterfaceDescriptor() {
  return {
      0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00,
      0x05, 0x09, 0x19, 0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02,
      0x95, 0x01, 0x75, 0x05, 0x81, 0x03,
      0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x09, 0x38, 0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x03,
      0x81, 0x06,
      0xC0, 0xC0,
  };
}

std::uint16_t OverlayVendorUsagePage(std::uint16_t productId) {
  switch (productId) {
    case 13: case 15: case 16: case 19: return 0xFF02;
    case 2310: return 0xFF01;
    default: return 0xFF00;
  }
}

std::vector<std::uint8_t> OverlayRemoteDescriptor(std::uint16_t productId) {
  const std::uint16_t page = OverlayVendorUsagePage(productId);
  return {
      0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x01, 0x09, 0x01, 0xA1, 0x00,  // mouse, report id 1
      0x05, 0x09, 0x19, 0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02,
      0x95, 0x01, 0x75, 0x05, 0x81, 0x03,
      0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x09, 0x38, 0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x03,
      0x81, 0x06,
      0xC0, 0xC0,
      0x06, std::uint8_t(page & 0xFF), std::uint8_t(page >> 8), 0x09, 0x01, 0xA1, 0x01,  // vendor, usage 1
      0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x01,
      0x85, 0x05, 0x09, 0x01, 0x81, 0x02,        // buttons
      0x85, 0x0E, 0x09, 0x01, 0x81, 0x02,        // state
      0x85, 0x21, 0x09, 0x01, 0x81, 0x02,        // anything else the remote reports
      0xC0,
  };
}

std::vector<std::uint8_t> RemoteWithoutVendorDescriptor() {
  return {
      0x06, 0x02, 0xFF, 0x09, 0x01, 0xA1, 0x01,  // another vendor page, output only
      0x85, 0x05, 0x09, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x07, 0x91, 0x02,
      0xC0,
      0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01,
      0x85, 0x03, 0x15, 0x00, 0x26, 0xFF, 0x03, 0x19, 0x00, 0x2A, 0xFF, 0x03, 0x75, 0x10, 0x95, 0x01,
      0x81, 0x00,
      0xC0,
  };
}

namespace {

void Fail(const std::string& what) { throw std::runtime_error("remote-sim: " + what + ": " + std::strerror(errno)); }

void WriteFile(const fs::path& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary);
  out << text;
  if (!out) throw std::runtime_error("remote-sim: cannot write " + file.string());
}

std::string Hex4(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04x", value & 0xFFFF);
  return text;
}

// One device node served as a listening socket.
struct Node {
  std::string path;
  int listenFd = -1;
  bool evdev = false;
  bool recordsOutput = false;  // the vendor interface: its writes are the received reports
  bool acceptsNothing = false;  // never accepts; `filler` keeps its backlog full
  int filler = -1;
  std::vector<int> clients;
  std::function<Report(std::uint8_t id)> inputReport;  // answers get-input requests
};

struct Interface {
  std::vector<std::uint8_t> descriptor;
  bool mouse = false;
};

struct DeviceShape {
  std::uint16_t vendor, product, version;
  std::string name;
  std::vector<Interface> interfaces;
  bool overlay = false;  // an overlay-family remote: answers report 14 with its state
};

struct PluggedDevice {
  fs::path usbDir;
  std::vector<fs::path> classLinks;
  std::vector<std::shared_ptr<Node>> nodes;
  std::vector<int> hidrawNumbers;  // one per interface
  int eventNumber = -1;
  std::vector<std::size_t> collections;  // top-level collections per interface
  std::uint8_t state = 0;                // an overlay-family remote's answer to report 14
};

}  // namespace

struct RemoteSim::Impl {
  Options options;
  std::string root;
  bool ownsRoot = false;
  std::optional<std::string> savedEnvironment;

  mutable std::mutex mutex;
  mutable std::condition_variable received;
  std::vector<Report> reports;
  std::function<void(const Report&)> handler;
  std::map<int, PluggedDevice> devices;  // handle -> device; handle 0 is the remote
  int nextHandle = 1;
  int nextUsb = 1;
  std::set<int> hidrawInUse, eventInUse;
  bool linked = true;
  bool paused = false;
  bool acceptNothing = false;
  std::uint8_t model = 1;
  std::uint8_t keys = 0;  // bits 4..7 of byte 3

  int wakeFd = -1;
  bool stopping = false;
  std::thread server;

  // --- setup -------------------------------------------------------------------------------

  void Start() {
    if (options.root.empty()) {
      const char* tmp = std::getenv("TMPDIR");
      std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/remotesim-XXXXXX";
      if (!::mkdtemp(pattern.data())) Fail("mkdtemp");
      root = pattern;
      ownsRoot = true;
    } else {
      root = fs::absolute(options.root).string();
    }
    for (const char* dir : {"dev/input", "sys/class/hidraw", "sys/class/input", "sys/devices"})
      fs::create_directories(fs::path(root) / dir);
    if (options.setEnvironment) {
      if (const char* old = std::getenv(platform::kDeviceRootVariable)) savedEnvironment = old;
      ::setenv(platform::kDeviceRootVariable, root.c_str(), 1);
    }
    wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd < 0) Fail("eventfd");
    server = std::thread([this] { Serve(); });
  }

  void Stop() {
    {
      std::lock_guard lock(mutex);
      stopping = true;
      for (auto& [handle, device] : devices) Unplug(device);
      devices.clear();
    }
    Wake();
    if (server.joinable()) server.join();
    if (wakeFd >= 0) ::close(wakeFd);
    if (options.setEnvironment) {
      if (savedEnvironment)
        ::setenv(platform::kDeviceRootVariable, savedEnvironment->c_str(), 1);
      else
        ::unsetenv(platform::kDeviceRootVariable);
    }
    std::error_code error;
    if (ownsRoot) fs::remove_all(root, error);
  }

  void Wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(wakeFd, &one, sizeof one);
  }

  static int Lowest(std::set<int>& used) {
    int number = 0;
    while (used.count(number)) ++number;
    used.insert(number);
    return number;
  }

  std::shared_ptr<Node> Listen(const std::string& path, bool evdev) {
    auto node = std::make_shared<Node>();
    node->path = path;
    node->evdev = evdev;
    const std::string temporary = fs::path(path).parent_path() / ("." + fs::path(path).filename().string());
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (temporary.size() >= sizeof address.sun_path) throw std::runtime_error("remote-sim: root path too long");
    std::memcpy(address.sun_path, temporary.c_str(), temporary.size() + 1);
    node->listenFd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (node->listenFd < 0) Fail("socket");
    ::unlink(temporary.c_str());
    if (::bind(node->listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) Fail("bind " + temporary);
    node->acceptsNothing = acceptNothing;
    // A backlog of 0 still queues one connection: the filler's, which is never accepted.
    if (::listen(node->listenFd, node->acceptsNothing ? 0 : 16) != 0) Fail("listen");
    if (node->acceptsNothing) {
      node->filler = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
      if (node->filler < 0 || ::connect(node->filler, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        Fail("connect " + temporary);
    }
    return node;
  }

  // The node appears only once it accepts connections, as a real node appears ready to open.
  static void Publish(const Node& node) {
    const std::string temporary =
        fs::path(node.path).parent_path() / ("." + fs::path(node.path).filename().string());
    if (::rename(temporary.c_str(), node.path.c_str()) != 0) Fail("rename " + node.path);
  }

  int Plug(const DeviceShape& shape, bool isRemote) {
    const int handle = isRemote ? 0 : nextHandle++;
    PluggedDevice device;
    const int usb = nextUsb++;
    const std::string usbName = "1-" + std::to_string(usb);
    device.usbDir = fs::path(root) / "sys/devices/usb1" / usbName;
    fs::create_directories(device.usbDir);
    WriteFile(device.usbDir / "idVendor", Hex4(shape.vendor) + "\n");
    WriteFile(device.usbDir / "idProduct", Hex4(shape.product) + "\n");
    WriteFile(device.usbDir / "bcdDevice", Hex4(shape.version) + "\n");
    WriteFile(device.usbDir / "product", shape.name + "\n");

    std::vector<std::shared_ptr<Node>> toPublish;
    for (std::size_t i = 0; i < shape.interfaces.size(); ++i) {
      const Interface& interface = shape.interfaces[i];
      static int hidSequence = 0;
      char hidName[32];
      std::snprintf(hidName, sizeof hidName, "0003:%04X:%04X.%04X", shape.vendor, shape.product, ++hidSequence);
      const fs::path hidDir = device.usbDir / (usbName + ":1." + std::to_string(i)) / hidName;
      fs::create_directories(hidDir);
      WriteFile(hidDir / "report_descriptor",
                std::string(interface.descriptor.begin(), interface.descriptor.end()));
      char id[64];
      std::snprintf(id, sizeof id, "HID_ID=0003:%08X:%08X\n", shape.vendor, shape.product);
      WriteFile(hidDir / "uevent", std::string("DRIVER=hid-generic\n") + id + "HID_NAME=" + shape.name + "\n");

      const int hidraw = Lowest(hidrawInUse);
      const std::string hidrawName = "hidraw" + std::to_string(hidraw);
      const fs::path hidrawDir = hidDir / "hidraw" / hidrawName;
      fs::create_directories(hidrawDir);
      WriteFile(hidrawDir / "uevent", "MAJOR=240\nMINOR=" + std::to_string(hidraw) + "\nDEVNAME=" + hidrawName + "\n");
      fs::create_directory_symlink(hidDir, hidrawDir / "device");
      const fs::path classLink = fs::path(root) / "sys/class/hidraw" / hidrawName;
      fs::create_directory_symlink(hidrawDir, classLink);
      device.classLinks.push_back(classLink);
      device.hidrawNumbers.push_back(hidraw);
      std::size_t collections = 0;
      for (std::size_t b = 0; b + 1 < interface.descriptor.size(); ++b)  // counted as the parser will
        collections += interface.descriptor[b] == 0xA1 && interface.descriptor[b + 1] == 0x01;
      device.collections.push_back(collections);

      auto node = Listen(root + "/dev/" + hidrawName, false);
      const bool vendor = isRemote && !interface.mouse;
      node->recordsOutput = vendor;
      node->inputReport = [this, vendor, mouse = interface.mouse, overlay = shape.overlay,
                           handle](std::uint8_t reportId) -> Report {
        if (overlay) {  // called with the mutex held, like every other use of devices
          const auto it = devices.find(handle);
          if (reportId == 14 && it != devices.end()) return Report{14, it->second.state};
          return {};
        }
        if (vendor && reportId == kStatusReportId) {
          auto status = StatusLocked(0, 0);
          return Report(status.begin(), status.end());
        }
        if (mouse && reportId == 0) return Report(4, 0);
        if (!mouse && reportId == 3) return Report{3, 0, 0};
        return {};
      };
      device.nodes.push_back(node);
      toPublish.push_back(node);

      if (interface.mouse) {
        const int event = Lowest(eventInUse);
        const std::string eventName = "event" + std::to_string(event);
        const fs::path inputDir = hidDir / "input" / ("input" + std::to_string(event + 10));
        const fs::path eventDir = inputDir / eventName;
        fs::create_directories(eventDir);
        fs::create_directories(inputDir / "id");
        WriteFile(inputDir / "name", shape.name + "\n");
        WriteFile(inputDir / "id/vendor", Hex4(shape.vendor) + "\n");
        WriteFile(inputDir / "id/product", Hex4(shape.product) + "\n");
        WriteFile(eventDir / "uevent", "MAJOR=13\nMINOR=" + std::to_string(64 + event) + "\nDEVNAME=input/" + eventName + "\n");
        fs::create_directory_symlink(inputDir, eventDir / "device");
        const fs::path eventLink = fs::path(root) / "sys/class/input" / eventName;
        fs::create_directory_symlink(eventDir, eventLink);
        device.classLinks.push_back(eventLink);
        device.eventNumber = event;
        auto eventNode = Listen(root + "/dev/input/" + eventName, true);
        device.nodes.push_back(eventNode);
        toPublish.push_back(eventNode);
      }
    }
    for (const auto& node : toPublish) Publish(*node);
    devices[handle] = std::move(device);
    return handle;
  }

  void Unplug(PluggedDevice& device) {
    for (const auto& node : device.nodes) ::unlink(node->path.c_str());
    for (const auto& node : device.nodes) {
      // Connections still waiting in the backlog must end like accepted ones: closing only the
      // listener would leave their writes succeeding into nowhere.
      AcceptPending(*node);
      // shutdown acts at once; close alone waits until the server thread's poll lets go of
      // the descriptor, and meanwhile the host could still write to a device that is gone.
      for (int fd : node->clients) ::shutdown(fd, SHUT_RDWR), ::close(fd);
      node->clients.clear();
      if (node->filler >= 0) ::close(node->filler);
      node->filler = -1;
      ::close(node->listenFd);
      node->listenFd = -1;
    }
    std::error_code error;
    for (const fs::path& link : device.classLinks) fs::remove(link, error);
    fs::remove_all(device.usbDir, error);
    for (int number : device.hidrawNumbers) hidrawInUse.erase(number);
    if (device.eventNumber >= 0) eventInUse.erase(device.eventNumber);
  }

  // --- traffic -----------------------------------------------------------------------------

  static void AcceptPending(Node& node) {
    if (node.acceptsNothing) return;
    for (;;) {
      const int fd = ::accept4(node.listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
      if (fd < 0) return;
      node.clients.push_back(fd);
    }
  }

  // Connections made before this send receive it, whether or not the server thread has
  // accepted them yet: a reader that has opened the device never misses a report.
  static bool Broadcast(Node& node, const void* data, std::size_t size) {
    AcceptPending(node);
    for (int fd : node.clients) ::send(fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
    return true;
  }

  static bool SendInput(Node& node, const Report& report) {
    std::vector<std::uint8_t> message;
    message.reserve(report.size() + 1);
    message.push_back(platform::kDevRootInputReport);
    message.insert(message.end(), report.begin(), report.end());
    return Broadcast(node, message.data(), message.size());
  }

  Node* RemoteNode(bool mouse) {
    auto it = devices.find(0);
    if (it == devices.end()) return nullptr;
    for (const auto& node : it->second.nodes)
      if (!node->evdev && node->recordsOutput != mouse) return node.get();
    return nullptr;
  }

  Node* EventNode() {
    auto it = devices.find(0);
    if (it == devices.end()) return nullptr;
    for (const auto& node : it->second.nodes)
      if (node->evdev) return node.get();
    return nullptr;
  }

  std::array<std::uint8_t, kStatusReportLength> StatusLocked(int dx, int dy) const {
    std::array<std::uint8_t, kStatusReportLength> report{};
    report[0] = kStatusReportId;
    report[1] = linked ? 0x01 : 0x00;
    report[3] = keys;
    report[6] = std::uint8_t(std::int8_t(dx));
    report[7] = std::uint8_t(std::int8_t(dy));
    report[8] = model;
    return report;
  }

  bool SendStatusLocked(int dx, int dy) {
    Node* node = RemoteNode(false);
    if (!node) return false;
    const auto status = StatusLocked(dx, dy);
    return SendInput(*node, Report(status.begin(), status.end()));
  }

  bool MoveLocked(int dx, int dy) {
    if (!RemoteNode(false)) return false;
    SendStatusLocked(dx, dy);
    if (Node* mouse = RemoteNode(true))
      SendInput(*mouse, Report{0, std::uint8_t(std::int8_t(dx)), std::uint8_t(std::int8_t(dy)), 0});
    if (Node* events = EventNode()) {
      timeval now{};
      ::gettimeofday(&now, nullptr);
      auto emit = [&](std::uint16_t type, std::uint16_t code, std::int32_t value) {
        input_event event{};
        event.input_event_sec = now.tv_sec;
        event.input_event_usec = now.tv_usec;
        event.type = type;
        event.code = code;
        event.value = value;
        Broadcast(*events, &event, sizeof event);
      };
      if (dx) emit(EV_REL, REL_X, dx);
      if (dy) emit(EV_REL, REL_Y, dy);
      emit(EV_SYN, SYN_REPORT, 0);
    }
    return true;
  }

  void Serve() {
    for (;;) {
      std::vector<pollfd> fds{{wakeFd, POLLIN, 0}};
      {
        std::lock_guard lock(mutex);
        if (stopping) return;
        for (const auto& [handle, device] : devices)
          for (const auto& node : device.nodes) {
            if (paused || node->acceptsNothing) continue;
            fds.push_back({node->listenFd, POLLIN, 0});
            for (int fd : node->clients) fds.push_back({fd, POLLIN, 0});
          }
      }
      if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) return;
      if (fds[0].revents) {
        std::uint64_t count;
        [[maybe_unused]] ssize_t n = ::read(wakeFd, &count, sizeof count);
      }
      std::vector<Report> newReports;
      std::function<void(const Report&)> callback;
      {
        std::lock_guard lock(mutex);
        if (stopping) return;
        for (std::size_t i = 1; i < fds.size() && !paused; ++i) {
          if (!fds[i].revents) continue;
          Serve(fds[i].fd, &newReports);
        }
        callback = handler;
      }
      if (!newReports.empty()) received.notify_all();
      if (callback)
        for (const Report& report : newReports) callback(report);
    }
  }

  // One ready descriptor, looked up again: it may belong to a node unplugged meanwhile.
  void Serve(int fd, std::vector<Report>* newReports) {
    for (auto& [handle, device] : devices)
      for (const auto& node : device.nodes) {
        if (node->listenFd == fd) return AcceptPending(*node);
        auto client = std::find(node->clients.begin(), node->clients.end(), fd);
        if (client == node->clients.end()) continue;
        std::uint8_t message[4097];
        const ssize_t n = ::recv(fd, message, sizeof message, MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
        if (n <= 0) {
          ::close(fd);
          node->clients.erase(client);
          return;
        }
        if (node->evdev) return;
        if (message[0] == platform::kDevRootOutputReport && node->recordsOutput) {
          Report report(message + 1, message + n);
          reports.push_back(report);
          newReports->push_back(std::move(report));
        } else if (message[0] == platform::kDevRootGetInputReport && n >= 2) {
          Report reply{platform::kDevRootInputReportReply};
          const Report answer = node->inputReport(message[1]);
          reply.insert(reply.end(), answer.begin(), answer.end());
          ::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        }
        return;
      }
  }

  std::string Path(int handle, std::size_t interface, int collection) const {
    auto it = devices.find(handle);
    if (it == devices.end() || interface >= it->second.hidrawNumbers.size()) return {};
    std::string path = root + "/dev/hidraw" + std::to_string(it->second.hidrawNumbers[interface]);
    if (it->second.collections[interface] > 1) {
      char suffix[16];
      std::snprintf(suffix, sizeof suffix, "#col%02d", collection + 1);
      path += suffix;
    }
    return path;
  }
};

namespace {

DeviceShape RemoteShape(std::vector<std::uint8_t> vendorDescriptor = VendorInterfaceDescriptor()) {
  return {kVendorId, kProductId, 0x0102, "Presenter Receiver",
          {{MouseInterfaceDescriptor(), true}, {std::move(vendorDescriptor), false}}};
}

DeviceShape ExtraShape(ExtraDevice device) {
  if (device == ExtraDevice::RemoteWithoutVendor)
    return {kVendorId, kProductId, 0x0100, "Presenter Receiver",
            {{MouseInterfaceDescriptor(), true}, {RemoteWithoutVendorDescriptor(), false}}};
  return {0x1209, 0x0001, 0x0001, "Desk Mouse", {{MouseInterfaceDescriptor(), true}}};
}

DeviceShape OverlayShape(std::uint16_t productId) {
  DeviceShape shape{kOverlayVendorId, productId, 0x0211, "Presenter Remote", {{OverlayRemoteDescriptor(productId), true}}};
  shape.overlay = true;
  return shape;
}

std::uint8_t KeyBit(Key key) {
  switch (key) {
    case Key::Media1: return 0x10;
    case Key::Media2: return 0x20;
    case Key::Media3: return 0x40;
    case Key::Gesture: return 0x80;
  }
  return 0;
}

}  // namespace

RemoteSim::RemoteSim() : RemoteSim(Options{}) {}

RemoteSim::RemoteSim(Options options) : impl_(std::make_unique<Impl>()) {
  impl_->options = std::move(options);
  impl_->Start();
  if (impl_->options.plugged) Plug();
}

RemoteSim::~RemoteSim() { impl_->Stop(); }

const std::string& RemoteSim::Root() const { return impl_->root; }

void RemoteSim::Plug() {
  {
    std::lock_guard lock(impl_->mutex);
    if (impl_->devices.count(0)) return;
    impl_->Plug(RemoteShape(), true);
  }
  impl_->Wake();
}

void RemoteSim::PlugWithVendorDescriptor(const std::vector<std::uint8_t>& descriptor) {
  {
    std::lock_guard lock(impl_->mutex);
    if (impl_->devices.count(0)) return;
    impl_->Plug(RemoteShape(descriptor), true);
  }
  impl_->Wake();
}

void RemoteSim::SetPaused(bool paused) {
  {
    std::lock_guard lock(impl_->mutex);
    impl_->paused = paused;
  }
  impl_->Wake();
}

void RemoteSim::SetNodesAcceptNothing(bool acceptNothing) {
  std::lock_guard lock(impl_->mutex);
  impl_->acceptNothing = acceptNothing;
}

void RemoteSim::Unplug() {
  {
    std::lock_guard lock(impl_->mutex);
    auto it = impl_->devices.find(0);
    if (it == impl_->devices.end()) return;
    impl_->Unplug(it->second);
    impl_->devices.erase(it);
  }
  impl_->Wake();
}

bool RemoteSim::IsPlugged() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->devices.count(0) != 0;
}

std::string RemoteSim::VendorPath() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->Path(0, 1, 0);
}

std::string RemoteSim::ConsumerPath() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->Path(0, 1, 1);
}

std::string RemoteSim::MousePath() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->Path(0, 0, 0);
}

std::string RemoteSim::MouseEventNode() const {
  std::lock_guard lock(impl_->mutex);
  auto it = impl_->devices.find(0);
  if (it == impl_->devices.end() || it->second.eventNumber < 0) return {};
  return impl_->root + "/dev/input/event" + std::to_string(it->second.eventNumber);
}

int RemoteSim::AddDevice(ExtraDevice device) {
  int handle;
  {
    std::lock_guard lock(impl_->mutex);
    handle = impl_->Plug(ExtraShape(device), false);
  }
  impl_->Wake();
  return handle;
}

void RemoteSim::RemoveDevice(int handle) {
  if (handle == 0) return;
  {
    std::lock_guard lock(impl_->mutex);
    auto it = impl_->devices.find(handle);
    if (it == impl_->devices.end()) return;
    impl_->Unplug(it->second);
    impl_->devices.erase(it);
  }
  impl_->Wake();
}

std::string RemoteSim::ExtraDevicePath(int handle, int collection) const {
  std::lock_guard lock(impl_->mutex);
  // Extra devices keep their non-mouse interface second, like the remote.
  auto it = impl_->devices.find(handle);
  if (it == impl_->devices.end()) return {};
  const std::size_t interface = it->second.hidrawNumbers.size() > 1 ? 1 : 0;
  return impl_->Path(handle, interface, collection);
}

std::string RemoteSim::ExtraDeviceEventNode(int handle) const {
  std::lock_guard lock(impl_->mutex);
  auto it = impl_->devices.find(handle);
  if (handle == 0 || it == impl_->devices.end() || it->second.eventNumber < 0) return {};
  return impl_->root + "/dev/input/event" + std::to_string(it->second.eventNumber);
}

int RemoteSim::AddOverlayRemote(std::uint16_t productId, std::uint8_t state) {
  int handle;
  {
    std::lock_guard lock(impl_->mutex);
    handle = impl_->Plug(OverlayShape(productId), false);
    impl_->devices[handle].state = state;
  }
  impl_->Wake();
  return handle;
}

bool RemoteSim::SetOverlayState(int handle, std::uint8_t state) {
  std::lock_guard lock(impl_->mutex);
  auto it = impl_->devices.find(handle);
  if (handle == 0 || it == impl_->devices.end()) return false;
  it->second.state = state;
  return true;
}

bool RemoteSim::SendVendorReport(int handle, std::uint8_t reportId, std::uint8_t value) {
  std::lock_guard lock(impl_->mutex);
  auto it = impl_->devices.find(handle);
  if (handle == 0 || it == impl_->devices.end() || it->second.nodes.empty()) return false;
  return Impl::SendInput(*it->second.nodes.front(), Report{reportId, value});
}

std::size_t RemoteSim::ExtraDeviceConnections(int handle) const {
  std::lock_guard lock(impl_->mutex);
  auto it = impl_->devices.find(handle);
  if (handle == 0 || it == impl_->devices.end() || it->second.nodes.empty()) return 0;
  Impl::AcceptPending(*it->second.nodes.front());
  return it->second.nodes.front()->clients.size();
}

bool RemoteSim::SetLink(bool linked) {
  std::lock_guard lock(impl_->mutex);
  impl_->linked = linked;
  return impl_->SendStatusLocked(0, 0);
}

bool RemoteSim::SetModel(std::uint8_t model) {
  std::lock_guard lock(impl_->mutex);
  impl_->model = model;
  return impl_->SendStatusLocked(0, 0);
}

bool RemoteSim::Press(Key key) {
  std::lock_guard lock(impl_->mutex);
  impl_->keys |= KeyBit(key);
  return impl_->SendStatusLocked(0, 0);
}

bool RemoteSim::Release(Key key) {
  std::lock_guard lock(impl_->mutex);
  impl_->keys &= std::uint8_t(~KeyBit(key));
  return impl_->SendStatusLocked(0, 0);
}

bool RemoteSim::Move(int dx, int dy) {
  std::lock_guard lock(impl_->mutex);
  bool sent = true;
  do {
    const int stepX = std::clamp(dx, -127, 127), stepY = std::clamp(dy, -127, 127);
    sent = impl_->MoveLocked(stepX, stepY) && sent;
    dx -= stepX;
    dy -= stepY;
  } while (dx != 0 || dy != 0);
  return sent;
}

std::array<std::uint8_t, kStatusReportLength> RemoteSim::StatusReport(int dx, int dy) const {
  std::lock_guard lock(impl_->mutex);
  return impl_->StatusLocked(dx, dy);
}

bool RemoteSim::SendReport(const Report& report) {
  std::lock_guard lock(impl_->mutex);
  Node* node = impl_->RemoteNode(false);
  return node && Impl::SendInput(*node, report);
}

bool RemoteSim::SendConsumer(std::uint16_t usage) {
  return SendReport({3, std::uint8_t(usage & 0xFF), std::uint8_t(usage >> 8)});
}

std::vector<Report> RemoteSim::ReceivedReports() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->reports;
}

bool RemoteSim::WaitForReports(std::size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(impl_->mutex);
  return impl_->received.wait_for(lock, timeout, [&] { return impl_->reports.size() >= count; });
}

void RemoteSim::ClearReceived() {
  std::lock_guard lock(impl_->mutex);
  impl_->reports.clear();
}

void RemoteSim::SetReceivedHandler(std::function<void(const Report&)> handler) {
  std::lock_guard lock(impl_->mutex);
  impl_->handler = std::move(handler);
}

std::size_t RemoteSim::VendorConnections() const {
  std::lock_guard lock(impl_->mutex);
  Node* node = impl_->RemoteNode(false);
  if (!node) return 0;
  Impl::AcceptPending(*node);
  return node->clients.size();
}

}  // namespace remotesim
