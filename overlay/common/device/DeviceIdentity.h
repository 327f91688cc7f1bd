// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The identity of the HID interfaces and device nodes of this OS, as the device layer uses it.
//
// Linux: an interface is "/dev/hidrawN#colNN" (platform/hid.h); its vendor and product ids
// come from the node's attributes and its group id from the node, which all its collections
// share. A node of one collection ("/dev/hidrawN" alone) forms no group, just as a Windows path
// without a collection part does not. Windows: the ids are read from the interface path
// (InterfacePath.h).
//
// A node's identity is remembered from its arrival (or its first sighting), so that its
// removal, which is reported once the node is gone, still names the group it had.
//
// Thread: any; the remembered identities are guarded by a lock of their own.

#include <string>
#include <vector>

#include "device/DeviceDescriptor.h"
#include "device/InterfacePath.h"

// One interface, read now.
InterfaceIdentity IdentifyInterface(const std::string& path);

// A device node as hotplug and raw input name it (Linux "/dev/hidrawN", Windows an interface
// path), read now and remembered.
InterfaceIdentity IdentifyArrivedNode(const std::string& node);
// The identity remembered for a node that is gone; forgotten afterwards. Without one, what can
// still be read.
InterfaceIdentity IdentifyRemovedNode(const std::string& node);
// The source of raw input: remembered, or read once and then remembered. Empty: invalid.
InterfaceIdentity IdentifyInputSource(const std::string& node);

// What addDevice and removeDevice are told of an interface: its group id and vendor id.
inline DeviceDescriptor InterfaceDescriptor(const InterfaceIdentity& identity) {
  DeviceDescriptor device;
  device.groupId = identity.groupId;
  device.vendorId = identity.vendorId;
  return device;
}

// Every present device node, one per node, in the HID backend's order.
std::vector<std::string> PresentNodes();
