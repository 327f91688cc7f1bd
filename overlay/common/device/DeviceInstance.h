// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One HID interface (top-level collection) as the device layer sees it: its identity, read from
// the interface path at construction, and its attributes, capabilities, state and reports.
//
// Thread: an instance is used by one thread at a time, except stopReading(), which any thread
// may call while readReport() runs. Attributes and capabilities are fetched on first use and
// kept; a failed fetch is tried again at the next use.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/hid.h"

class DeviceInstanceBase {
 public:
  DeviceInstanceBase() = default;
  virtual ~DeviceInstanceBase() = default;
  DeviceInstanceBase(const DeviceInstanceBase&) = delete;
  DeviceInstanceBase& operator=(const DeviceInstanceBase&) = delete;

  virtual std::uint32_t vendorId() const { return m_vendorId; }
  virtual std::uint32_t productId() const { return m_productId; }
  virtual std::uint32_t groupId() const { return m_groupId; }
  virtual std::uint32_t value1() const { return m_value1; }
  virtual std::uint32_t usagePage() { return m_value2; }
  virtual std::uint32_t usage() { return m_value3; }
  virtual int state() { return 0; }
  virtual void reset();

  const std::string& version() const { return m_version; }

 protected:
  std::uint32_t m_vendorId = 0;
  std::uint32_t m_productId = 0;
  std::string m_version = "-1";
  std::uint32_t m_groupId = 0;
  std::uint32_t m_value1 = 0;
  std::uint32_t m_value2 = 0;
  std::uint32_t m_value3 = 0;
};

class DeviceInstance : public DeviceInstanceBase {
 public:
  // Parses the path at once; no handle is open yet.
  explicit DeviceInstance(std::string path);
  ~DeviceInstance() override;

  bool isValid() const { return m_valid; }
  const std::string& path() const { return m_path; }

  // From the capabilities; 0 while they cannot be read.
  std::uint32_t usagePage() override;
  std::uint32_t usage() override;
  // The device state (byte 1 of input report 14); 6 when it cannot be asked for, and then one
  // line "Error: <code>" on standard output.
  int state() override { return queryState(); }
  int queryState();
  void reset() override;

  // The version text from the attributes while it is still "-1".
  const std::string& versionText();
  std::size_t inputReportLength();

  // Reads one input report into buffer (of inputReportLength() bytes), polling every 100 ms
  // until one arrives or stopReading() is called. The read handle is opened on first use and
  // kept for the next call, so that no report is lost between calls. The result is the byte
  // count, or -1 when nothing was read (stopped, cannot be opened, device gone).
  int readReport(std::uint8_t* buffer);
  void stopReading() { m_readStop = true; }
  void clearReadStop() { m_readStop = false; }
  // Closes the read handle; not while readReport() runs.
  void closeHandle();

 private:
  const platform::HidInterfaceInfo* info();

  std::string m_path;
  platform::HidDevice* m_handle = nullptr;
  bool m_valid = false;
  std::atomic<bool> m_readStop{false};
  std::optional<platform::HidInterfaceInfo> m_info;  // attributes and capabilities
};
