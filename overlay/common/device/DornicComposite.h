// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One device group: the top-level collections of one device that share a group id, the model
// code and version of the device, the listeners attached to it and, when the product has a
// vendor collection, the reader of its vendor reports.
//
// Thread: built and destroyed on the thread of addDevice/removeDevice; attachListener and
// detachListener from any thread. The reader runs on a pooled thread of its own from the first
// attachListener to the detachListener that stops it, and calls onVendorReport of the attached
// listeners with the listener lock held. Destruction stops the reader first.

#include <Poco/Event.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "device/DeviceDescriptor.h"
#include "device/DeviceInstance.h"
#include "device/PooledActivity.h"

class VendorReportSink;

class DornicComposite {
 public:
  // Collects the present interfaces of the group and asks the vendor collection for the state.
  explicit DornicComposite(std::uint32_t groupId);
  ~DornicComposite();
  DornicComposite(const DornicComposite&) = delete;
  DornicComposite& operator=(const DornicComposite&) = delete;

  // Adds the listener and starts the reader, when the group has its vendor collection;
  // otherwise nothing.
  void attachListener(VendorReportSink* listener);
  // Removes the listener and stops the reader, waiting for it to end.
  void detachListener(VendorReportSink* listener);

  std::uint32_t groupId() const { return m_groupId; }
  std::uint32_t vendorId() const { return m_vendorId; }
  std::uint32_t productId() const { return m_productId; }
  std::uint32_t modelCode() const { return m_modelCode.load(std::memory_order_relaxed); }
  void setModelCode(std::uint32_t code) { m_modelCode.store(code, std::memory_order_relaxed); }
  const std::string& version() const { return m_version; }
  bool hasReader() const { return m_reader.isRunning(); }

  // The descriptor of the group's callbacks: both model fields hold the model code.
  DeviceDescriptor descriptor() const;

  // The vendor button byte of the previous report; used only on the reader's thread.
  std::uint8_t lastButtons() const { return m_lastButtons; }
  void setLastButtons(std::uint8_t buttons) { m_lastButtons = buttons; }

 private:
  void collectInterfaces();
  DeviceInstance* instanceFor(std::uint32_t usagePage, std::uint32_t usage);
  DeviceInstance* vendorInstance();
  void readVendorReports();
  // Asks the reader to stop and wakes it from a read or a back-off; does not wait for it.
  void requestReaderStop();

  std::uint32_t m_groupId;
  std::uint32_t m_vendorId = 0;
  std::uint32_t m_productId = 0;
  std::string m_version = "-1";
  std::atomic<std::uint32_t> m_modelCode{0};  // changed by the reader, read by the event thread
  std::uint8_t m_lastButtons = 0;
  std::uint16_t m_vendorUsagePage = 0;
  std::uint16_t m_vendorUsage = 0;
  std::map<std::uint32_t, std::map<std::uint32_t, std::unique_ptr<DeviceInstance>>> m_instances;
  std::set<VendorReportSink*> m_listeners;
  std::mutex m_instancesLock;
  std::mutex m_listenersLock;
  PooledActivity<DornicComposite> m_reader;
  Poco::Event m_readerWake;  // cuts a back-off short when the reader is stopped
};
