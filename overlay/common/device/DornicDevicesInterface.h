// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The device listener base of the overlay frames. A frame derives from it, overrides the
// callbacks it needs and calls startListening() when it starts; from then on it receives the
// motion and buttons of every mouse and, for the device groups its acceptDevice() takes on,
// their arrival, removal, model changes and vendor buttons.
//
// Thread: startListening(), stopListening() and destruction on the application thread.
// acceptDevice() and onDeviceAdded() run on the application thread inside startListening() for
// the devices present then, and on the event thread for devices that arrive later; every other
// callback runs on the event thread or on a device group's reader thread. A subclass that
// touches user-interface objects hands the call over to its own thread. Input callbacks run
// with the listener's group lock held and arrivals with the listener registry's lock held, so a
// callback must not call startListening, stopListening, addDevice or removeDevice itself.
//
// Ownership: the listener owns its device groups. The process's HIDEventsThread must exist
// before the first listener is constructed and outlive the last one.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "device/DeviceDescriptor.h"
#include "device/DeviceSinks.h"
#include "device/MouseButtonEvent.h"

class DornicComposite;
class HIDEventsThread;

class DornicDevicesInterface {
 public:
  DornicDevicesInterface();
  // Stops listening (see stopListening) and destroys every group.
  virtual ~DornicDevicesInterface();
  DornicDevicesInterface(const DornicDevicesInterface&) = delete;
  DornicDevicesInterface& operator=(const DornicDevicesInterface&) = delete;

  // The callbacks; all do nothing here, and acceptDevice takes nothing on.
  virtual bool acceptDevice(const DeviceDescriptor& device);
  virtual void onDeviceAdded(const DeviceDescriptor& device);
  virtual void onDeviceRemoved(const DeviceDescriptor& device);
  virtual void onModelChanged(const DeviceDescriptor& device);
  virtual void onWheel(const DeviceDescriptor& device, unsigned value);
  virtual void onButtonEvent(const DeviceDescriptor& device, MouseButtonEvent_t code);
  virtual void onMotion(const DeviceDescriptor& device, int dx, int dy);
  virtual void onReport(const DeviceDescriptor& device, int reportId, int value);

  // Takes on the accepted groups present now, registers with the event thread and starts it
  // when it is not running. Problems go to the console; the listener carries on with what works.
  void startListening();

  // Unregisters from the event thread (which ends when no listener remains) and detaches from
  // every group, so that no callback runs once this returns. Idempotent. A subclass calls it
  // first in its own destructor: the base destructor runs too late to keep callbacks off a
  // half-destroyed subclass.
  void stopListening();

  // Takes on or drops the group of one interface; the descriptor carries its group id and
  // vendor id. Called by startListening and by the event thread on arrival and removal.
  void addDevice(const DeviceDescriptor& device);
  void removeDevice(const DeviceDescriptor& device);

  // Raw mouse input of any mouse, from the event thread: the descriptor is enriched by the
  // group when this listener has it, and the callback is made either way.
  void dispatchMotion(std::uint32_t groupId, std::uint32_t vendorId, std::uint32_t productId, int x, int y);
  void dispatchButton(std::uint32_t groupId, std::uint32_t vendorId, std::uint32_t productId,
                      MouseButtonEvent_t code);
  void dispatchWheel(std::uint32_t groupId, std::uint32_t vendorId, std::uint32_t productId, unsigned value);

  // One vendor input report of a group (bytes 0 and 1, signed), from the group's reader.
  void onVendorReport(std::uint32_t groupId, int reportId, int value);

  // This listener as the event thread and its groups' readers see it.
  DeviceEventSink& eventSink() { return m_eventSink; }
  VendorReportSink& vendorReportSink() { return m_vendorReportSink; }

 private:
  class EventSink final : public DeviceEventSink {
   public:
    explicit EventSink(DornicDevicesInterface& listener) : m_listener(listener) {}
    void dispatchMotion(std::uint32_t groupId, std::uint32_t vendorId, std::uint32_t productId, int x,
                        int y) override;
    void dispatchButton(std::uint32_t groupId, std::uint32_t vendorId, std::uint32_t productId,
                        MouseButtonEvent_t code) override;
    void dispatchWheel(std::uint32_t groupId, std::uint32_t vendorId, std::uint32_t productId,
                       unsigned value) override;
    void addDevice(const DeviceDescriptor& device) override;
    void removeDevice(const DeviceDescriptor& device) override;

   private:
    DornicDevicesInterface& m_listener;
  };
  class ReportSink final : public VendorReportSink {
   public:
    explicit ReportSink(DornicDevicesInterface& listener) : m_listener(listener) {}
    void onVendorReport(std::uint32_t groupId, int reportId, int value) override;

   private:
    DornicDevicesInterface& m_listener;
  };

  // The descriptor of raw input from a group: the group's model code and version when this
  // listener has the group. Called with m_groupsLock held.
  DeviceDescriptor inputDescriptorLocked(std::uint32_t groupId, std::uint32_t vendorId,
                                         std::uint32_t productId) const;

  EventSink m_eventSink{*this};
  ReportSink m_vendorReportSink{*this};
  HIDEventsThread* m_eventsThread;
  std::map<std::uint32_t, std::unique_ptr<DornicComposite>> m_groups;
  mutable std::mutex m_groupsLock;
};
