// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/HIDEventsThread.h"

#include <Poco/Event.h>
#include <Poco/Exception.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <set>
#include <thread>
#include <utility>
#include <variant>

#include "device/DeviceIdentity.h"
#include "device/DeviceLog.h"
#include "device/DeviceSinks.h"
#include "device/PointerDispatch.h"
#include "device/PooledActivity.h"
#include "platform/hotplug.h"
#include "platform/log.h"
#include "platform/rawpointer.h"

namespace {

constexpr const char* kCategory = kDeviceLayerLog;

// A device that has just arrived is given this long, per listener, before it is opened.
constexpr auto kArrivalSettle = std::chrono::milliseconds(100);
constexpr long kStartWaitMs = 5000;

// The registered listeners. The raw input dispatch and the arrival and removal handling hold
// the lock while they call into a listener, so once unregisterListener returns the event thread
// no longer touches that listener.
std::set<DeviceEventSink*> g_listeners;
std::mutex g_listenersLock;

// What the monitors hand to the event thread, in arrival order; a quit request ends the loop.
struct HotplugChange {
  platform::HotplugEvent event;
  std::string node;
};
struct QuitRequest {};
using MonitorEvent = std::variant<platform::RawPointerEvent, HotplugChange, QuitRequest>;

// A blocking first-in first-out queue of the monitors' events, from any thread to the event thread.
class MonitorEventQueue {
 public:
  void push(MonitorEvent event) {
    {
      std::lock_guard lock(m_lock);
      m_events.push_back(std::move(event));
    }
    m_ready.notify_one();
  }
  MonitorEvent pop() {
    std::unique_lock lock(m_lock);
    m_ready.wait(lock, [this] { return !m_events.empty(); });
    MonitorEvent event = std::move(m_events.front());
    m_events.pop_front();
    return event;
  }
  void clear() {
    std::lock_guard lock(m_lock);
    m_events.clear();
  }

 private:
  std::mutex m_lock;
  std::condition_variable m_ready;
  std::deque<MonitorEvent> m_events;
};

void DispatchPointer(const platform::RawPointerEvent& event) {
  const InterfaceIdentity source = IdentifyInputSource(event.device);
  std::lock_guard lock(g_listenersLock);
  for (DeviceEventSink* listener : g_listeners) DispatchPointerEvent(*listener, source, event);
}

void HandleHotplug(platform::HotplugEvent event, const std::string& node) {
  const bool arrival = event == platform::HotplugEvent::Arrival;
  const InterfaceIdentity identity = arrival ? IdentifyArrivedNode(node) : IdentifyRemovedNode(node);
  if (!identity.valid) return;
  const DeviceDescriptor device = InterfaceDescriptor(identity);
  std::lock_guard lock(g_listenersLock);
  for (DeviceEventSink* listener : g_listeners) {
    if (arrival) {
      std::this_thread::sleep_for(kArrivalSettle);
      listener->addDevice(device);
    } else {
      listener->removeDevice(device);
    }
  }
}

}  // namespace

struct HIDEventsThread::Loop {
  explicit Loop(HIDEventsThread* owner) : activity(owner, &HIDEventsThread::eventLoop) {}

  PooledActivity<HIDEventsThread> activity;
  MonitorEventQueue queue;
  // Set once the loop watches for arrivals, so that a device plugged in after startListening
  // returns is never missed.
  Poco::Event listening{Poco::Event::EVENT_MANUALRESET};
  // Serialises starting and stopping, so that a start during a stop waits for the old loop
  // to end instead of finding it "running" and leaving nothing to run.
  std::mutex control;
};

HIDEventsThread::HIDEventsThread() : m_loop(std::make_unique<Loop>(this)) {}

HIDEventsThread::~HIDEventsThread() {
  std::lock_guard lock(m_loop->control);
  stop();
}

bool HIDEventsThread::isRunning() const {
  return m_loop->activity.isRunning();
}
bool HIDEventsThread::isStopped() const {
  return m_loop->activity.isStopped();
}

void HIDEventsThread::registerListener(DeviceEventSink* listener) {
  std::lock_guard lock(g_listenersLock);
  g_listeners.insert(listener);
}

void HIDEventsThread::unregisterListener(DeviceEventSink* listener) {
  std::lock_guard lock(g_listenersLock);
  g_listeners.erase(listener);
}

void HIDEventsThread::startIfIdle() {
  std::lock_guard lock(m_loop->control);
  if (isRunning() && isStopped()) m_loop->activity.wait();
  if (isRunning()) return;
  m_loop->listening.reset();
  try {
    m_loop->activity.start();
  } catch (const Poco::Exception& error) {
    platform::LogWarning(kCategory, "device event thread not started: " + error.displayText());
    return;
  }
  if (!m_loop->listening.tryWait(kStartWaitMs))
    platform::LogWarning(kCategory, "device event thread slow to start");
}

void HIDEventsThread::stopIfIdle() {
  std::lock_guard lock(m_loop->control);
  {
    std::lock_guard listeners(g_listenersLock);
    if (!g_listeners.empty()) return;
  }
  if (isStopped()) return;
  stop();
}

// With the control lock held.
void HIDEventsThread::stop() {
  m_loop->activity.stop();
  m_loop->queue.push(QuitRequest{});
  m_loop->activity.wait();
}

void HIDEventsThread::eventLoop() {
  MonitorEventQueue& queue = m_loop->queue;
  queue.clear();  // left over from an earlier run
  auto hotplug =
      platform::HotplugMonitor::Start([&queue](platform::HotplugEvent event, const std::string& node) {
        queue.push(HotplugChange{event, node});
      });
  if (!hotplug) std::fputs("Internal error: Can't register device plug/unplug notification\n", stderr);
  auto pointer = platform::RawPointerMonitor::Start(
      [&queue](const platform::RawPointerEvent& event) { queue.push(event); });
  if (!pointer) std::fputs("Internal error: Can't register device events notification\n", stderr);
  m_loop->listening.set();

  while (!isStopped()) {
    const MonitorEvent event = queue.pop();
    if (const auto* input = std::get_if<platform::RawPointerEvent>(&event))
      DispatchPointer(*input);
    else if (const auto* change = std::get_if<HotplugChange>(&event))
      HandleHotplug(change->event, change->node);
  }
  pointer.reset();
  hotplug.reset();
  queue.clear();
}
