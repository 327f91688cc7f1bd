// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/DornicComposite.h"

#include <Poco/Exception.h>

#include <algorithm>
#include <vector>

#include "device/DeviceLog.h"
#include "device/DeviceModel.h"
#include "device/DeviceSinks.h"
#include "platform/hid.h"
#include "platform/log.h"

namespace {

constexpr const char* kCategory = kDeviceLayerLog;

// A vendor collection that cannot be read is retried, but not at once: the waits grow to a
// second, and a stop cuts them short.
constexpr long kFirstBackOffMs = 50;
constexpr long kLongestBackOffMs = 1000;

}  // namespace

DornicComposite::DornicComposite(std::uint32_t groupId)
    : m_groupId(groupId), m_reader(this, &DornicComposite::readVendorReports) {
  collectInterfaces();
  const VendorCollection vendor = VendorCollectionFor(m_productId);
  m_vendorUsagePage = vendor.usagePage;
  m_vendorUsage = vendor.usage;
  setModelCode(ModelCodeFor(m_productId, 0));
  if (DeviceInstance* instance = vendorInstance())
    setModelCode(ModelCodeFor(m_productId, instance->queryState()));
}

DornicComposite::~DornicComposite() {
  requestReaderStop();
  m_reader.wait();
}

void DornicComposite::requestReaderStop() {
  m_reader.stop();
  {
    std::lock_guard lock(m_instancesLock);
    if (DeviceInstance* instance = vendorInstance()) instance->stopReading();
  }
  m_readerWake.set();
}

void DornicComposite::collectInterfaces() {
  std::lock_guard lock(m_instancesLock);
  for (const std::string& path : platform::HidEnumerate()) {
    auto instance = std::make_unique<DeviceInstance>(path);
    if (!instance->isValid() || instance->groupId() != m_groupId) continue;
    const std::uint32_t page = instance->usagePage(), usage = instance->usage();
    auto& slot = m_instances[page][usage];
    if (slot) continue;  // the first interface of a usage keeps its place
    if (m_vendorId == 0) m_vendorId = instance->vendorId();
    if (m_productId == 0) m_productId = instance->productId();
    if (m_version == kUnknownVersion) m_version = instance->versionText();
    slot = std::move(instance);
  }
}

DeviceInstance* DornicComposite::instanceFor(std::uint32_t usagePage, std::uint32_t usage) {
  const auto page = m_instances.find(usagePage);
  if (page == m_instances.end()) return nullptr;
  const auto found = page->second.find(usage);
  return found == page->second.end() ? nullptr : found->second.get();
}

DeviceInstance* DornicComposite::vendorInstance() {
  if (m_vendorUsagePage == 0) return nullptr;
  return instanceFor(m_vendorUsagePage, m_vendorUsage);
}

DeviceDescriptor DornicComposite::descriptor() const {
  const std::uint32_t model = modelCode();
  return {m_groupId, m_vendorId, m_productId, model, model, m_version};
}

void DornicComposite::attachListener(VendorReportSink* listener) {
  {
    std::lock_guard lock(m_instancesLock);
    if (!vendorInstance()) return;
  }
  {
    std::lock_guard lock(m_listenersLock);
    m_listeners.insert(listener);
  }
  if (m_reader.isRunning()) return;
  m_readerWake.reset();
  try {
    m_reader.start();
  } catch (const Poco::Exception& error) {
    platform::LogWarning(kCategory, "vendor report reader not started: " + error.displayText());
  }
}

void DornicComposite::detachListener(VendorReportSink* listener) {
  {
    std::lock_guard lock(m_listenersLock);
    if (m_listeners.empty()) return;
    m_listeners.erase(listener);
  }
  if (!m_reader.isStopped()) requestReaderStop();
  m_reader.wait();
}

void DornicComposite::readVendorReports() {
  DeviceInstance* instance = nullptr;
  std::vector<std::uint8_t> buffer;
  {
    std::lock_guard lock(m_instancesLock);
    instance = vendorInstance();
    if (!instance) return;
    instance->closeHandle();
    instance->clearReadStop();
    buffer.assign(std::max<std::size_t>(instance->inputReportLength(), 2), 0);
    m_lastButtons = 0;
  }
  // A stop that came before the flag was cleared must still count.
  if (m_reader.isStopped()) return;
  long backOffMs = kFirstBackOffMs;
  while (!m_reader.isStopped()) {
    const int read = instance->readReport(buffer.data());
    if (read < 0) {
      if (m_reader.isStopped()) break;
      m_readerWake.tryWait(backOffMs);
      backOffMs = std::min(backOffMs * 2, kLongestBackOffMs);
      continue;
    }
    backOffMs = kFirstBackOffMs;
    if (read < 2) continue;
    std::lock_guard lock(m_listenersLock);
    for (VendorReportSink* listener : m_listeners)
      listener->onVendorReport(m_groupId, std::int8_t(buffer[0]), std::int8_t(buffer[1]));
  }
  instance->closeHandle();
}
