// SPDX-License-Identifier: GPL-3.0-or-later
// Key strokes through a uinput virtual keyboard: the way that also works under Wayland, where
// the compositor reads it like any other keyboard.

#include "keys_linux.h"
#include "keys_table_linux.h"

#include "platform/log.h"
#include "posix_linux.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace platform::linux_keys {
namespace {

constexpr const char* kCategory = category::kKeys;
constexpr const char* kDeviceName = "Veltrio virtual keyboard";

void LogFailure(const std::string& operation, int error) {
  LogWarning(kCategory, posix::Failure(operation, error));
}

bool WriteRecords(int fd, const std::vector<input_event>& records) {
  return posix::WriteAll(fd, records.data(), records.size() * sizeof(input_event));
}

class UinputKeyInjector final : public KeyInjector {
 public:
  explicit UinputKeyInjector(int fd) : m_fd(fd) {}
  ~UinputKeyInjector() override {
    ::ioctl(m_fd, UI_DEV_DESTROY);
    ::close(m_fd);
  }

  std::string_view Name() const override { return "uinput"; }

  bool Send(const KeyEvent& event) override {
    std::vector<input_event> records = UinputRecords(event);
    if (records.empty()) {
      char text[64];
      std::snprintf(text, sizeof text, "skipped virtual key 0x%02X: no mapping", event.vk);
      LogDebug(kCategory, text);
      return false;
    }
    if (!WriteRecords(m_fd, records)) {
      LogFailure("write to the virtual keyboard", errno);
      return false;
    }
    return true;
  }

 private:
  int m_fd;
};

bool SetUp(int fd) {
  if (::ioctl(fd, UI_SET_EVBIT, EV_KEY) < 0 || ::ioctl(fd, UI_SET_EVBIT, EV_SYN) < 0) {
    LogFailure("enable key events on the virtual keyboard", errno);
    return false;
  }
  for (uint16_t code : UinputKeyCodes()) {
    if (::ioctl(fd, UI_SET_KEYBIT, code) < 0) {
      LogFailure("advertise key " + std::to_string(code) + " on the virtual keyboard", errno);
      return false;
    }
  }
  uinput_setup setup{};
  setup.id.bustype = BUS_VIRTUAL;
  setup.id.vendor = 0x1;
  setup.id.product = 0x1;
  setup.id.version = 1;
  std::strncpy(setup.name, kDeviceName, UINPUT_MAX_NAME_SIZE - 1);
  if (::ioctl(fd, UI_DEV_SETUP, &setup) < 0) {
    // Kernels before 4.5 take the description as a write of the legacy record.
    uinput_user_dev legacy{};
    legacy.id = setup.id;
    std::strncpy(legacy.name, kDeviceName, UINPUT_MAX_NAME_SIZE - 1);
    if (::write(fd, &legacy, sizeof legacy) != static_cast<ssize_t>(sizeof legacy)) {
      LogFailure("describe the virtual keyboard", errno);
      return false;
    }
  }
  if (::ioctl(fd, UI_DEV_CREATE) < 0) {
    LogFailure("create the virtual keyboard", errno);
    return false;
  }
  return true;
}

}  // namespace

std::vector<uint16_t> UinputKeyCodes() {
  std::vector<uint16_t> codes;
  for (const VirtualKeyMapping& row : VirtualKeyTable()) codes.push_back(row.evdevCode);
  std::sort(codes.begin(), codes.end());
  codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
  return codes;
}

std::vector<input_event> UinputRecords(const KeyEvent& event) {
  const VirtualKeyMapping* mapping = FindVirtualKey(event.vk);
  if (!mapping) return {};
  input_event key{};
  key.type = EV_KEY;
  key.code = mapping->evdevCode;
  key.value = event.down ? 1 : 0;
  input_event report{};
  report.type = EV_SYN;
  report.code = SYN_REPORT;
  report.value = 0;
  return {key, report};
}

std::unique_ptr<KeyInjector> CreateUinputKeyInjector(const std::string& uinputPath) {
  int fd = ::open(uinputPath.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    LogFailure("open " + uinputPath, errno);
    return nullptr;
  }
  if (!SetUp(fd)) {
    ::close(fd);
    return nullptr;
  }
  // The desktop needs a moment to pick up a new keyboard before it reads its keys; the injector
  // is created once at start, long before the first function is performed.
  return std::make_unique<UinputKeyInjector>(fd);
}

}  // namespace platform::linux_keys
