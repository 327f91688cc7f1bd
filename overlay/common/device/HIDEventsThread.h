// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The overlay program's device event thread: one per process, created by the entry point
// before any frame and destroyed after the event loop. It runs while a listener is registered
// and delivers the raw input of every mouse and the arrival and removal of HID interfaces to
// the registered listeners (the DeviceEventSink of each DornicDevicesInterface).
//
// Thread: construction and destruction on the application thread; the other operations from
// any thread.

#include <memory>

#include "device/DornicSingleton.h"

class DeviceEventSink;

class HIDEventsThreadImpl {
 public:
  virtual ~HIDEventsThreadImpl() = default;
  virtual bool isRunning() const = 0;
  virtual bool isStopped() const = 0;
};

class HIDEventsThread : public HIDEventsThreadImpl, public Dornic::Singleton<HIDEventsThread> {
 public:
  // Registers the object as the process's instance; the thread is not started yet.
  HIDEventsThread();
  // Stops the thread, waits for it and clears the instance.
  ~HIDEventsThread() override;

  bool isRunning() const override;
  bool isStopped() const override;

  void registerListener(DeviceEventSink* listener);
  void unregisterListener(DeviceEventSink* listener);

  // Starts the thread unless it runs (startListening calls this after registering).
  void startIfIdle();
  // Ends the thread when no listener is registered.
  void stopIfIdle();

 private:
  struct Loop;
  void eventLoop();
  void stop();

  std::unique_ptr<Loop> m_loop;
};
