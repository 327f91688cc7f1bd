#include "device/DornicDevicesInterface.h"

#include <cstdio>
#include <vector>

#include "device/DeviceIdentity.h"
#include "device/DeviceModel.h"
#include "device/DornicComposite.h"
#include "device/HIDEventsThread.h"

namespace {

DeviceDescriptor InterfaceDescriptor(const InterfaceIdentity& identity) {
  DeviceDescriptor device;
  device.groupId = identity.groupId;
  device.vendorId = identity.vendorId;
  return device;
}

}  // namespace

DornicDevicesInterface::DornicDevicesInterface() : m_eventsThread(HIDEventsThread::instance()) {}

DornicDevicesInterface::~DornicDevicesInterface() {
  stopListening();
}

bool DornicDevicesInterface::acceptDevice(const DeviceDescriptor&) {
  return false;
}
void DornicDevicesInterface::onDeviceAdded(const DeviceDescriptor&) {}
void DornicDevicesInterface::onDeviceRemoved(const DeviceDescriptor&) {}
void DornicDevicesInterface::onModelChanged(const DeviceDescriptor&) {}
void DornicDevicesInterface::onWheel(const DeviceDescriptor&, unsigned) {}
void DornicDevicesInterface::onButtonEvent(const DeviceDescriptor&, MouseButtonEvent_t) {}
void DornicDevicesInterface::onMotion(const DeviceDescriptor&, int, int) {}
void DornicDevicesInterface::onReport(const DeviceDescriptor&, int, int) {}

void DornicDevicesInterface::startListening() {
  const std::vector<std::string> nodes = PresentNodes();
  if (nodes.empty()) std::fputs("ERR: 0 Devices?", stdout), std::fflush(stdout);
  for (const std::string& node : nodes) {
    const InterfaceIdentity identity = IdentifyArrivedNode(node);
    if (identity.valid) addDevice(InterfaceDescriptor(identity));
  }
  if (nodes.empty()) std::fputs("Could not get the connected USB devices list\n", stderr);
  if (!m_eventsThread) return;
  m_eventsThread->registerListener(this);
  m_eventsThread->startIfIdle();
}

void DornicDevicesInterface::stopListening() {
  if (m_eventsThread) {
    // Once this returns the event thread no longer dispatches to this listener.
    m_eventsThread->unregisterListener(this);
    m_eventsThread->stopIfIdle();
  }
  // The groups leave the map before they are detached: a reader that is delivering a report
  // right now needs the map lock for its look-up, and detaching waits for that reader.
  std::map<std::uint32_t, std::unique_ptr<DornicComposite>> groups;
  {
    std::lock_guard lock(m_groupsLock);
    groups.swap(m_groups);
  }
  for (auto& [groupId, group] : groups) group->detachListener(this);
}

void DornicDevicesInterface::addDevice(const DeviceDescriptor& device) {
  if (!acceptDevice(device)) return;
  {
    std::lock_guard lock(m_groupsLock);
    if (m_groups.count(device.groupId)) return;
  }
  auto group = std::make_unique<DornicComposite>(device.groupId);
  DornicComposite* added = group.get();
  {
    std::lock_guard lock(m_groupsLock);
    if (!m_groups.emplace(device.groupId, std::move(group)).second) return;
  }
  added->attachListener(this);
  onDeviceAdded(added->descriptor());
}

void DornicDevicesInterface::removeDevice(const DeviceDescriptor& device) {
  std::unique_ptr<DornicComposite> group;
  {
    std::lock_guard lock(m_groupsLock);
    const auto it = m_groups.find(device.groupId);
    if (it == m_groups.end()) return;
    group = std::move(it->second);
    m_groups.erase(it);
  }
  group->detachListener(this);
  onDeviceRemoved(group->descriptor());
}

namespace {

// Input events carry the product's resting model code in both fields until a group of the
// listener says better.
DeviceDescriptor InputDescriptor(std::uint32_t groupId, std::uint32_t vendorId, std::uint32_t productId) {
  const std::uint32_t model = ModelCodeFor(productId, 0);
  return {groupId, vendorId, productId, model, model, kUnknownVersion};
}

}  // namespace

void DornicDevicesInterface::dispatchMotion(std::uint32_t groupId, std::uint32_t vendorId,
                                            std::uint32_t productId, int x, int y) {
  DeviceDescriptor device = InputDescriptor(groupId, vendorId, productId);
  std::lock_guard lock(m_groupsLock);
  if (const auto it = m_groups.find(groupId); it != m_groups.end()) {
    device.modelCode = it->second->modelCode();
    device.version = it->second->version();
  }
  onMotion(device, x, y);
}

void DornicDevicesInterface::dispatchButton(std::uint32_t groupId, std::uint32_t vendorId,
                                            std::uint32_t productId, MouseButtonEvent_t code) {
  DeviceDescriptor device = InputDescriptor(groupId, vendorId, productId);
  std::lock_guard lock(m_groupsLock);
  if (const auto it = m_groups.find(groupId); it != m_groups.end()) {
    device.modelCode = it->second->modelCode();
    device.version = it->second->version();
  }
  onButtonEvent(device, code);
}

void DornicDevicesInterface::dispatchWheel(std::uint32_t groupId, std::uint32_t vendorId,
                                           std::uint32_t productId, unsigned value) {
  DeviceDescriptor device = InputDescriptor(groupId, vendorId, productId);
  std::lock_guard lock(m_groupsLock);
  if (const auto it = m_groups.find(groupId); it != m_groups.end()) {
    device.modelCode = it->second->modelCode();
    device.version = it->second->version();
  }
  onWheel(device, value);
}

void DornicDevicesInterface::onVendorReport(std::uint32_t groupId, int reportId, int value) {
  DornicComposite* group = nullptr;
  {
    std::lock_guard lock(m_groupsLock);
    const auto it = m_groups.find(groupId);
    if (it == m_groups.end()) return;
    group = it->second.get();
  }
  // The group outlives this call: it is detached, which waits for its reader, before it goes.
  const VendorReportEffect effect =
      DecodeVendorReport(group->productId(), group->modelCode(), reportId, value, group->lastButtons());
  group->setLastButtons(effect.lastButtons);
  if (effect.modelChanged) {
    group->setModelCode(effect.modelCode);
    onModelChanged(group->descriptor());
    return;
  }
  const DeviceDescriptor device = group->descriptor();
  for (const MouseButtonEvent_t code : effect.buttons) onButtonEvent(device, code);
  if (effect.passOn) onReport(device, reportId, value);
}
