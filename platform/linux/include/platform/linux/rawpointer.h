// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the Linux raw pointer backend adds to platform/rawpointer.h: the way from an input
// device to its HID node, for its tests.

#include <string>

namespace platform {

// The hidraw node ("/dev/hidrawN", under the device root when one is set) of the HID device
// that an input event node ("/dev/input/eventN") belongs to; empty when it has none.
std::string HidNodeOfInputNode(const std::string& eventNode);

}  // namespace platform
