// SPDX-License-Identifier: GPL-3.0-or-later
#include "keys_linux.h"

#include "platform/log.h"

#include <cstdlib>
#include <unistd.h>

namespace platform {
namespace {

constexpr const char* kCategory = category::kKeys;

class NullKeyInjector final : public KeyInjector {
 public:
  std::string_view Name() const override { return "none"; }
  bool Send(const KeyEvent&) override { return false; }
};

}  // namespace

namespace linux_keys {

bool IsWaylandSession() {
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (wayland && *wayland) return true;
  const char* type = std::getenv("XDG_SESSION_TYPE");
  return type && std::string_view(type) == "wayland";
}

}  // namespace linux_keys

std::unique_ptr<KeyInjector> CreateNullKeyInjector() { return std::make_unique<NullKeyInjector>(); }

std::unique_ptr<KeyInjector> CreateKeyInjector() {
  using namespace linux_keys;
  const std::string uinput = "/dev/uinput";
  const bool uinputWritable = ::access(uinput.c_str(), W_OK) == 0;
  if (IsWaylandSession() && uinputWritable) {
    if (auto injector = CreateUinputKeyInjector(uinput)) return injector;
  }
  if (auto injector = CreateXTestKeyInjector()) return injector;
  if (uinputWritable) {
    if (auto injector = CreateUinputKeyInjector(uinput)) return injector;
  }
  LogWarning(kCategory,
             "no way to send key strokes: no X server with XTest and /dev/uinput is not writable; "
             "key functions will do nothing");
  return CreateNullKeyInjector();
}

}  // namespace platform
