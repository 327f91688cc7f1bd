// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Linux key backends behind CreateKeyInjector, reachable one by one for tests and tools.
// Thread and failure as in platform/keys.h.

#include <cstdint>
#include <linux/input.h>
#include <memory>
#include <string>
#include <vector>

#include "platform/keys.h"

namespace platform::linux_keys {

// Opens `display` (nullptr: $DISPLAY). Null when the display cannot be opened or has no XTest
// extension. Keysyms missing from the server's keymap are bound to a free key code on first
// use and stay bound while the injector lives.
std::unique_ptr<KeyInjector> CreateXTestKeyInjector(const char* display = nullptr);

// Creates a virtual keyboard through `uinputPath`. Null when the node cannot be opened for
// writing or the device cannot be created (logged).
std::unique_ptr<KeyInjector> CreateUinputKeyInjector(const std::string& uinputPath = "/dev/uinput");

// The evdev key codes the virtual keyboard advertises: those of the key table, ascending, once
// each. Desktops ignore a keyboard that claims every key.
std::vector<uint16_t> UinputKeyCodes();

// The records written for one event: the key change followed by a report; empty when the code
// has no mapping. Times are left zero for the kernel to stamp.
std::vector<input_event> UinputRecords(const KeyEvent& event);

// True for a Wayland session, where XTest reaches only the X clients of the compositor.
bool IsWaylandSession();

}  // namespace platform::linux_keys
