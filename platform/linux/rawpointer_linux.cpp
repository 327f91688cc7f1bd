// SPDX-License-Identifier: GPL-3.0-or-later
// Raw pointer input on X11: XInput2 raw events of every pointer, on a connection of our own.

#include "platform/rawpointer.h"
#include "platform/linux/rawpointer.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <map>
#include <vector>

#include "platform/linux/hid_devroot.h"
#include "platform/log.h"
#include "posix_linux.h"

namespace platform {

namespace fs = std::filesystem;

std::string HidNodeOfInputNode(const std::string& eventNode) {
  const std::string name = fs::path(eventNode).filename().string();
  if (name.rfind("event", 0) != 0) return {};
  const std::string root = DeviceRoot();
  std::error_code error;
  fs::path dir = fs::canonical(fs::path(root + "/sys/class/input") / name / "device", error);
  // eventN/device is the input device; the HID device holding hidraw/ is a level or two above.
  for (int level = 0; level < 4 && !error && dir.has_relative_path(); ++level, dir = dir.parent_path()) {
    std::vector<std::string> nodes;
    for (const auto& entry : fs::directory_iterator(dir / "hidraw", error))
      nodes.push_back(entry.path().filename().string());
    if (!nodes.empty()) return root + "/dev/" + *std::min_element(nodes.begin(), nodes.end());
    error.clear();
  }
  return {};
}

namespace {

constexpr const char* kCategory = category::kPointer;

// What the monitor learned of one slave pointer: the node it names and its axis modes.
struct Source {
  std::string hidNode;
  bool absolute[2] = {false, false};
  double last[2] = {0, 0};
  bool seen[2] = {false, false};
};

class X11RawPointerMonitor final : public RawPointerMonitor {
 public:
  explicit X11RawPointerMonitor(RawPointerCallback callback) : m_callback(std::move(callback)) {}

  ~X11RawPointerMonitor() override {
    m_thread.Stop();
    if (m_display) XCloseDisplay(m_display);
  }

  bool Begin() {
    m_display = XOpenDisplay(nullptr);
    if (!m_display) return Fail("no X display");
    int event = 0, error = 0;
    if (!XQueryExtension(m_display, "XInputExtension", &m_opcode, &event, &error))
      return Fail("no XInput extension");
    int major = 2, minor = 2;
    if (XIQueryVersion(m_display, &major, &minor) != Success) return Fail("XInput 2.2 not available");
    unsigned char raw[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(raw, XI_RawMotion);
    XISetMask(raw, XI_RawButtonPress);
    XISetMask(raw, XI_RawButtonRelease);
    unsigned char hierarchy[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(hierarchy, XI_HierarchyChanged);
    XIEventMask masks[2] = {{XIAllMasterDevices, sizeof raw, raw},
                            {XIAllDevices, sizeof hierarchy, hierarchy}};
    XISelectEvents(m_display, DefaultRootWindow(m_display), masks, 2);
    XFlush(m_display);
    if (!m_thread.Start([this](int stopFd) { Run(stopFd); })) return Fail(posix::Failure("eventfd"));
    return true;
  }

 private:
  bool Fail(const std::string& why) {
    LogWarning(kCategory, "raw pointer input unavailable: " + why);
    return false;
  }

  void Run(int stopFd) {
    for (;;) {
      while (XPending(m_display)) {
        XEvent event;
        XNextEvent(m_display, &event);
        Handle(&event);
      }
      pollfd fds[2] = {{ConnectionNumber(m_display), POLLIN, 0}, {stopFd, POLLIN, 0}};
      if (posix::RetryOnInterrupt([&] { return ::poll(fds, 2, -1); }) < 0)
        return LogWarning(kCategory, posix::Failure("poll"));
      if (fds[1].revents) return;
    }
  }

  void Handle(XEvent* event) {
    XGenericEventCookie* cookie = &event->xcookie;
    if (cookie->type != GenericEvent || cookie->extension != m_opcode || !XGetEventData(m_display, cookie))
      return;
    if (cookie->evtype == XI_HierarchyChanged)
      m_sources.clear();  // device ids may now name other devices
    else
      HandleRaw(cookie->evtype, static_cast<const XIRawEvent*>(cookie->data));
    XFreeEventData(m_display, cookie);
  }

  void HandleRaw(int type, const XIRawEvent* raw) {
    Source& source = SourceOf(raw->sourceid);
    RawPointerEvent out;
    out.device = source.hidNode;
    if (type == XI_RawMotion) {
      if (!Motion(raw, &source, &out)) return;
    } else if (!Buttons(type == XI_RawButtonPress, raw->detail, &out)) {
      return;
    }
    m_callback(out);
  }

  // Axes 0 and 1 are x and y; an absolute axis moves by the difference to its last value.
  static bool Motion(const XIRawEvent* raw, Source* source, RawPointerEvent* out) {
    const double* value = raw->raw_values;
    int delta[2] = {0, 0};
    for (int axis = 0; axis < raw->valuators.mask_len * 8 && axis < 2; ++axis) {
      if (!XIMaskIsSet(raw->valuators.mask, axis)) continue;
      const double v = *value++;
      if (!source->absolute[axis]) {
        delta[axis] = int(std::lround(v));
      } else {
        if (source->seen[axis]) delta[axis] = int(std::lround(v - source->last[axis]));
        source->last[axis] = v;
        source->seen[axis] = true;
      }
    }
    out->dx = delta[0];
    out->dy = delta[1];
    return out->dx != 0 || out->dy != 0;
  }

  static bool Buttons(bool press, int button, RawPointerEvent* out) {
    switch (button) {
      case 1:
        out->buttonFlags = press ? kPointerLeftDown : kPointerLeftUp;
        return true;
      case 2:
        out->buttonFlags = press ? kPointerMiddleDown : kPointerMiddleUp;
        return true;
      case 3:
        out->buttonFlags = press ? kPointerRightDown : kPointerRightUp;
        return true;
      case 4:
      case 5:  // one wheel notch per press; the release means nothing
        if (!press) return false;
        out->buttonFlags = kPointerWheel;
        out->buttonData = std::uint16_t(button == 4 ? kWheelDelta : -kWheelDelta);
        return true;
      default:
        return false;
    }
  }

  Source& SourceOf(int deviceId) {
    const auto known = m_sources.find(deviceId);
    if (known != m_sources.end()) return known->second;
    Source& source = m_sources[deviceId];
    source.hidNode = HidNodeOfInputNode(DeviceNode(deviceId));
    int count = 0;
    if (XIDeviceInfo* info = XIQueryDevice(m_display, deviceId, &count)) {
      for (int i = 0; i < info->num_classes; ++i) {
        if (info->classes[i]->type != XIValuatorClass) continue;
        const auto* valuator = reinterpret_cast<const XIValuatorClassInfo*>(info->classes[i]);
        if (valuator->number < 2) source.absolute[valuator->number] = valuator->mode == XIModeAbsolute;
      }
      XIFreeDeviceInfo(info);
    }
    return source;
  }

  std::string DeviceNode(int deviceId) {
    const Atom property = XInternAtom(m_display, "Device Node", True);
    if (property == None) return {};
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    std::string node;
    if (XIGetProperty(m_display, deviceId, property, 0, 1024, False, XA_STRING, &type, &format, &items,
                      &after, &data) == Success &&
        type == XA_STRING && format == 8 && data)
      node.assign(reinterpret_cast<const char*>(data), items);
    if (data) XFree(data);
    return node;
  }

  RawPointerCallback m_callback;
  Display* m_display = nullptr;
  int m_opcode = 0;
  std::map<int, Source> m_sources;
  posix::MonitorThread m_thread;  // stopped first in the destructor, before the display closes
};

}  // namespace

std::unique_ptr<RawPointerMonitor> RawPointerMonitor::Start(RawPointerCallback callback) {
  auto monitor = std::make_unique<X11RawPointerMonitor>(std::move(callback));
  if (!monitor->Begin()) return nullptr;
  return monitor;
}

}  // namespace platform
