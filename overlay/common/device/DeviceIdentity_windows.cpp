// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/DeviceIdentity.h"
#include "platform/hid.h"

// On Windows every interface path carries its identity, so nothing needs remembering: a node
// is an interface path, and a removed one reads as well as a present one.

InterfaceIdentity IdentifyInterface(const std::string& path) {
  return ParseInterfacePath(path);
}
InterfaceIdentity IdentifyArrivedNode(const std::string& node) {
  return ParseInterfacePath(node);
}
InterfaceIdentity IdentifyRemovedNode(const std::string& node) {
  return ParseInterfacePath(node);
}
InterfaceIdentity IdentifyInputSource(const std::string& node) {
  return ParseInterfacePath(node);
}
std::vector<std::string> PresentNodes() {
  return platform::HidEnumerate();
}
