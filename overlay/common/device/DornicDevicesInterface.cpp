// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/DornicDevicesInterface.h"

#include <cstdio>
#include <vector>

#include "device/DeviceIdentity.h"
#include "device/DeviceModel.h"
#include "device/DornicComposite.h"
#include "device/HIDEventsThread.h"

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
  m_eventsThread->registerListener(&m_eventSink);
  m_eventsThread->startIfIdle();
}

void DornicDevicesInterface::stopListening() {
  if (m_eventsThread) {
    // Once this returns the event thread no longer dispatches to this listener.
    m_eventsThread->unregisterListener(&m_eventSink);
    m_eventsThread->stopIfIdle();
  }
  // The groups leave the map before they are detached: a reader that is delivering a report
  // right now needs the map lock for its look-up, and detaching waits for that reader.
  std::map<std::uint32_t, std::unique_ptr<DornicComposite>> groups;
  {
    std::lock_guard lock(m_groupsLock);
    groups.swap(m_groups);
  }
  for (auto& [groupId, group] : groups) group->detachListener(&m_vendorReportSink);
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
  added->attachListener(&m_vendorReportSink);
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
  group->detachListener(&m_vendorReportSink);
  onDeviceRemoved(group->descriptor());
}

// Input events carry the product's resting model code in both fields until a group of the
// listener says better.
DeviceDescriptor DornicDevicesInterface::inputDescriptorLocked(std::uint32_t groupId, std::uint32_t vendorId,
                                                               std::uint32_t productId) const {
  const std::uint32_t model = ModelCodeFor(productId, 0);
  DeviceDescriptor device{groupId, vendorId, productId, model, model, kUnknownVersion};
  if (const auto it = m_groups.find(groupId); it != m_groups.end()) {
    device.modelCode = it->second->modelCode();
    device.version = it->second->version();
  }
  return device;
}

void DornicDevicesInterface::dispatchMotion(std::uint32_t groupId, std::uint32_t vendorId,
                                            std::uint32_t productId, int x, int y) {
  std::lock_guard lock(m_groupsLock);
  onMotion(inputDescriptorLocked(groupId, vendorId, productId), x, y);
}

void DornicDevicesInterface::dispatchButton(std::uint32_t groupId, std::uint32_t vendorId,
                                            std::uint32_t productId, MouseButtonEvent_t code) {
  std::lock_guard lock(m_groupsLock);
  onButtonEvent(inputDescriptorLocked(groupId, vendorId, productId), code);
}

void DornicDevicesInterface::dispatchWheel(std::uint32_t groupId, std::uint32_t vendorId,
                                           std::uint32_t productId, unsigned value) {
  std::lock_guard lock(m_groupsLock);
  onWheel(inputDescriptorLocked(groupId, vendorId, productId), value);
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

void DornicDevicesInterface::EventSink::dispatchMotion(std::uint32_t groupId, std::uint32_t vendorId,
                                                       std::uint32_t productId, int x, int y) {
  m_listener.dispatchMotion(groupId, vendorId, productId, x, y);
}
void DornicDevicesInterface::EventSink::dispatchButton(std::uint32_t groupId, std::uint32_t vendorId,
                                                       std::uint32_t productId, MouseButtonEvent_t code) {
  m_listener.dispatchButton(groupId, vendorId, productId, code);
}
void DornicDevicesInterface::EventSink::dispatchWheel(std::uint32_t groupId, std::uint32_t vendorId,
                                                      std::uint32_t productId, unsigned value) {
  m_listener.dispatchWheel(groupId, vendorId, productId, value);
}
void DornicDevicesInterface::EventSink::addDevice(const DeviceDescriptor& device) {
  m_listener.addDevice(device);
}
void DornicDevicesInterface::EventSink::removeDevice(const DeviceDescriptor& device) {
  m_listener.removeDevice(device);
}

void DornicDevicesInterface::ReportSink::onVendorReport(std::uint32_t groupId, int reportId, int value) {
  m_listener.onVendorReport(groupId, reportId, value);
}
