// SPDX-License-Identifier: GPL-3.0-or-later
// The overlay device layer against the simulated remotes: identity of hidraw interfaces,
// device groups, vendor reports, arrival and removal, and the life of the event thread.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "RecordingListener.h"
#include "device/DeviceIdentity.h"
#include "device/DeviceModel.h"
#include "device/DornicComposite.h"
#include "device/HIDEventsThread.h"
#include "device/PointerDispatch.h"
#include "remotesim/RemoteSim.h"

namespace {

using namespace std::chrono_literals;

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

class OverlayDeviceTest : public ::testing::Test {
 protected:
  // A reader receives only what the device sends once it has the node open: reports of an id
  // without meaning are sent until one comes through, and then forgotten.
  bool ReaderConnected(int remote, RecordingListener& listener) {
    const bool through = WaitFor([&] {
      sim.SendVendorReport(remote, 0x21, 0);
      return !listener.WaitFor("report", 1, 20ms).empty();
    });
    listener.Clear();
    return through;
  }

  remotesim::RemoteSim sim{remotesim::RemoteSim::Options{"", /*plugged=*/false, true}};
  std::unique_ptr<HIDEventsThread> events = std::make_unique<HIDEventsThread>();
};

TEST_F(OverlayDeviceTest, HidrawInterfacesOfOneNodeShareAGroup) {
  const int remote = sim.AddOverlayRemote(16);
  const int mouse = sim.AddDevice(remotesim::ExtraDevice::OtherMouse);
  const InterfaceIdentity first = IdentifyInterface(sim.ExtraDevicePath(remote, 0));
  const InterfaceIdentity second = IdentifyInterface(sim.ExtraDevicePath(remote, 1));
  ASSERT_TRUE(first.valid);
  EXPECT_EQ(first.vendorId, 0x0C16u);
  EXPECT_EQ(first.productId, 16u);
  EXPECT_NE(first.groupId, 0u);
  EXPECT_TRUE(second.valid);
  EXPECT_EQ(second.groupId, first.groupId);

  // A node of one collection has no collection part and forms no group.
  EXPECT_FALSE(IdentifyInterface(sim.ExtraDevicePath(mouse)).valid);
  EXPECT_FALSE(IdentifyInterface(sim.ExtraDevicePath(remote, 0) + "x").valid);

  // A removed node is still known by what it was at its arrival.
  const std::string node =
      sim.ExtraDevicePath(remote, 0).substr(0, sim.ExtraDevicePath(remote, 0).rfind('#'));
  EXPECT_EQ(IdentifyArrivedNode(node).groupId, first.groupId);
  sim.RemoveDevice(remote);
  const InterfaceIdentity removed = IdentifyRemovedNode(node);
  EXPECT_TRUE(removed.valid);
  EXPECT_EQ(removed.groupId, first.groupId);
  EXPECT_FALSE(IdentifyRemovedNode(node).valid);  // forgotten, and nothing left to read
}

TEST_F(OverlayDeviceTest, GroupCollectsItsCollectionsAndAsksForTheState) {
  const int remote = sim.AddOverlayRemote(15, 5);
  const InterfaceIdentity identity = IdentifyInterface(sim.ExtraDevicePath(remote, 0));
  DornicComposite group(identity.groupId);
  EXPECT_EQ(group.vendorId(), 0x0C16u);
  EXPECT_EQ(group.productId(), 15u);
  EXPECT_EQ(group.modelCode(), 13u);  // state 5
  EXPECT_EQ(group.version(), "2.1.1");

  RecordingListener listener;
  group.attachListener(&listener.vendorReportSink());
  EXPECT_TRUE(group.hasReader());
  group.detachListener(&listener.vendorReportSink());
  EXPECT_FALSE(group.hasReader());
}

TEST_F(OverlayDeviceTest, StateThatCannotBeReadCountsAsSix) {
  const int remote = sim.AddOverlayRemote(15, 0);  // answers 0: no state
  DornicComposite group(IdentifyInterface(sim.ExtraDevicePath(remote, 0)).groupId);
  EXPECT_EQ(group.modelCode(), ModelCodeFor(15, 6));
}

TEST_F(OverlayDeviceTest, ProductWithoutVendorCollectionGetsNoReader) {
  const int remote = sim.AddOverlayRemote(3);
  DornicComposite group(IdentifyInterface(sim.ExtraDevicePath(remote, 0)).groupId);
  EXPECT_EQ(group.modelCode(), 3u);
  RecordingListener listener;
  group.attachListener(&listener.vendorReportSink());
  EXPECT_FALSE(group.hasReader());
  group.detachListener(&listener.vendorReportSink());
}

TEST_F(OverlayDeviceTest, PresentDeviceIsAddedOnTheCallingThread) {
  sim.AddOverlayRemote(16);
  RecordingListener listener;
  listener.startListening();
  const auto added = listener.Of("added");
  ASSERT_EQ(added.size(), 1u);
  EXPECT_EQ(added[0].thread, std::this_thread::get_id());
  EXPECT_EQ(added[0].device.vendorId, 0x0C16u);
  EXPECT_EQ(added[0].device.productId, 16u);
  EXPECT_EQ(added[0].device.modelCode, 12u);
  EXPECT_EQ(added[0].device.secondModelCode, 12u);
  EXPECT_EQ(added[0].device.version, "2.1.1");
  // The acceptance question carries the group and vendor only.
  const auto asked = listener.Of("accept");
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(asked[0].device.productId, 0u);
  EXPECT_EQ(asked[0].device.version, "-1");
}

TEST_F(OverlayDeviceTest, PlugAndUnplugReachEveryAcceptingListenerOnce) {
  RecordingListener first, second, refusing(false);
  for (RecordingListener* listener : {&first, &second, &refusing}) listener->startListening();
  ASSERT_TRUE(events->isRunning());

  const int remote = sim.AddOverlayRemote(19);
  for (RecordingListener* listener : {&first, &second}) {
    const auto added = listener->WaitFor("added", 1);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0].device.productId, 19u);
    EXPECT_NE(added[0].thread, std::this_thread::get_id());
  }
  EXPECT_FALSE(refusing.WaitFor("accept", 1).empty());

  sim.RemoveDevice(remote);
  for (RecordingListener* listener : {&first, &second}) {
    const auto removed = listener->WaitFor("removed", 1);
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].device.productId, 19u);
  }
  // A later device proves that nothing more of the first one was on its way.
  sim.AddOverlayRemote(16);
  ASSERT_EQ(first.WaitFor("added", 2).size(), 2u);
  EXPECT_EQ(first.Of("removed").size(), 1u);
  EXPECT_EQ(first.Of("added").size(), 2u);
  EXPECT_TRUE(refusing.Of("added").empty());
  EXPECT_TRUE(refusing.Of("removed").empty());
}

TEST_F(OverlayDeviceTest, SecondAddAndUnknownRemoveDoNothing) {
  const int remote = sim.AddOverlayRemote(16);
  RecordingListener listener;
  const InterfaceIdentity identity = IdentifyInterface(sim.ExtraDevicePath(remote, 0));
  DeviceDescriptor device;
  device.groupId = identity.groupId;
  device.vendorId = identity.vendorId;
  listener.addDevice(device);
  listener.addDevice(device);
  EXPECT_EQ(listener.Of("added").size(), 1u);

  DeviceDescriptor unknown;
  unknown.groupId = identity.groupId + 100;
  listener.removeDevice(unknown);
  EXPECT_TRUE(listener.Of("removed").empty());
  listener.removeDevice(device);
  listener.removeDevice(device);
  EXPECT_EQ(listener.Of("removed").size(), 1u);
}

struct VendorCase {
  const char* name;
  std::uint16_t product;
  std::vector<std::pair<std::uint8_t, std::uint8_t>> reports;
  std::vector<int> buttons;
};

TEST_F(OverlayDeviceTest, VendorButtonsByProduct) {
  const VendorCase cases[] = {
      {"press and release", 16, {{5, 0x08}, {5, 0x00}}, {8, 9}},
      {"two bits", 16, {{5, 0x48}}, {8, 10}},
      {"value buttons", 19, {{5, 0x08}, {5, 0x00}}, {8, 7}},
  };
  for (const VendorCase& c : cases) {
    SCOPED_TRACE(c.name);
    const int remote = sim.AddOverlayRemote(c.product);
    RecordingListener listener;
    listener.startListening();
    ASSERT_EQ(listener.Of("added").size(), 1u);
    ASSERT_TRUE(ReaderConnected(remote, listener));
    for (const auto& [id, value] : c.reports) ASSERT_TRUE(sim.SendVendorReport(remote, id, value));
    const auto buttons = listener.WaitFor("button", c.buttons.size());
    std::vector<int> codes;
    for (const Callback& b : buttons) {
      codes.push_back(b.a);
      EXPECT_EQ(b.device.productId, c.product);
    }
    EXPECT_EQ(codes, c.buttons);
    listener.stopListening();
    sim.RemoveDevice(remote);
  }
}

TEST_F(OverlayDeviceTest, ModelChangesAndOtherReports) {
  const int remote = sim.AddOverlayRemote(15, 4);
  RecordingListener listener;
  listener.startListening();
  ASSERT_EQ(listener.Of("added").size(), 1u);
  EXPECT_EQ(listener.Of("added")[0].device.modelCode, 2u);
  ASSERT_TRUE(ReaderConnected(remote, listener));

  ASSERT_TRUE(sim.SendVendorReport(remote, 14, 4));   // unchanged: nothing
  ASSERT_TRUE(sim.SendVendorReport(remote, 14, 11));  // 18
  ASSERT_TRUE(sim.SendVendorReport(remote, 0x21, 0xFE));
  const auto reports = listener.WaitFor("report", 1);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].a, 0x21);
  EXPECT_EQ(reports[0].b, -2);  // taken as a signed byte
  EXPECT_EQ(reports[0].device.modelCode, 18u);
  const auto models = listener.Of("model");
  ASSERT_EQ(models.size(), 1u);
  EXPECT_EQ(models[0].device.modelCode, 18u);
  EXPECT_EQ(models[0].device.secondModelCode, 18u);
}

TEST_F(OverlayDeviceTest, UnknownValueOfProduct19IsPassedOn) {
  const int remote = sim.AddOverlayRemote(19);
  RecordingListener listener;
  listener.startListening();
  ASSERT_TRUE(ReaderConnected(remote, listener));
  ASSERT_TRUE(sim.SendVendorReport(remote, 5, 0x02));
  const auto reports = listener.WaitFor("report", 1);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].a, 5);
  EXPECT_EQ(reports[0].b, 2);
  EXPECT_TRUE(listener.Of("button").empty());
}

TEST_F(OverlayDeviceTest, InputOfAGroupIsEnrichedOthersAreNot) {
  const int remote = sim.AddOverlayRemote(15, 5);
  RecordingListener listener;
  listener.startListening();
  const InterfaceIdentity group = IdentifyInterface(sim.ExtraDevicePath(remote, 0));
  listener.dispatchMotion(group.groupId, group.vendorId, group.productId, 3, -4);
  listener.dispatchMotion(0, 0, 0, 1, 1);
  const auto motion = listener.Of("motion");
  ASSERT_EQ(motion.size(), 2u);
  EXPECT_EQ(motion[0].device.modelCode, 13u);        // the group's
  EXPECT_EQ(motion[0].device.secondModelCode, 15u);  // ModelCodeFor(15, 0)
  EXPECT_EQ(motion[0].device.version, "2.1.1");
  EXPECT_EQ(motion[0].a, 3);
  EXPECT_EQ(motion[0].b, -4);
  EXPECT_EQ(motion[1].device.version, "-1");
}

TEST_F(OverlayDeviceTest, UnplugWhileReadingEndsTheReaderPromptly) {
  const int remote = sim.AddOverlayRemote(16);
  RecordingListener listener;
  listener.startListening();
  ASSERT_EQ(listener.Of("added").size(), 1u);
  // Unplugged behind the layer's back: the reader loses its device and cannot reopen it; the
  // listener still stops at once.
  sim.RemoveDevice(remote);
  const auto stop = std::chrono::steady_clock::now();
  listener.stopListening();
  EXPECT_LT(std::chrono::steady_clock::now() - stop, 2s);
  listener.stopListening();  // again: nothing left to do
}

TEST_F(OverlayDeviceTest, NoCallbackAfterStopListeningWhileReportsFlow) {
  const int remote = sim.AddOverlayRemote(16);
  RecordingListener listener;
  listener.startListening();
  ASSERT_TRUE(ReaderConnected(remote, listener));
  std::atomic<bool> sending{true};
  std::thread device([&] {
    for (std::uint8_t value = 0; sending; value ^= 0x08) sim.SendVendorReport(remote, 5, value);
  });
  ASSERT_FALSE(listener.WaitFor("button", 10).empty());
  listener.Close();  // a reader is delivering right now, most likely
  sim.SendVendorReport(remote, 5, 0x08);
  sending = false;
  device.join();
  sim.RemoveDevice(remote);
  EXPECT_EQ(listener.LateCallbacks(), 0);
}

TEST_F(OverlayDeviceTest, LastListenerEndsTheEventThreadAndANewOneRestartsIt) {
  EXPECT_FALSE(events->isRunning());
  {
    RecordingListener first, second;
    first.startListening();
    second.startListening();
    EXPECT_TRUE(events->isRunning());
    first.stopListening();
    EXPECT_TRUE(events->isRunning());
  }
  EXPECT_FALSE(events->isRunning());
  EXPECT_TRUE(events->isStopped());

  RecordingListener again;
  again.startListening();
  EXPECT_TRUE(events->isRunning());
  sim.AddOverlayRemote(16);
  EXPECT_EQ(again.WaitFor("added", 1).size(), 1u);  // the restarted thread handles arrivals
}

TEST_F(OverlayDeviceTest, RestartRightAfterStopKeepsTheThread) {
  for (int round = 0; round < 20; ++round) {
    auto listener = std::make_unique<RecordingListener>();
    listener->startListening();
    listener.reset();
    RecordingListener next;
    next.startListening();
    ASSERT_TRUE(events->isRunning()) << round;
  }
}

// How one raw pointer event is split into callbacks.
TEST(PointerDispatchTest, MotionThenButtonsInOrderThenWheel) {
  struct Case {
    const char* name;
    platform::RawPointerEvent event;
    std::vector<std::string> calls;
  } cases[] = {
      {"motion only", {"", 4, -2, 0, 0, 0}, {"motion 4 -2"}},
      {"button and wheel",
       {"", 0, 0, platform::kPointerLeftDown | platform::kPointerWheel, 0xFF88, 0},
       {"button 1", "wheel 65416"}},
      {"all buttons in order",
       {"", 0, 0, 0x003F, 0, 0},
       {"button 1", "button 2", "button 3", "button 4", "button 5", "button 6"}},
      {"right and middle",
       {"", 1, 0, platform::kPointerRightUp | platform::kPointerMiddleDown, 0, 0},
       {"motion 1 0", "button 3", "button 6"}},
      {"device button state: motion only", {"", 2, 2, platform::kPointerLeftDown, 0, 1}, {"motion 2 2"}},
      {"nothing", {"", 0, 0, 0, 0, 0}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingListener listener;
    DispatchPointerEvent(listener.eventSink(), InterfaceIdentity{}, c.event);
    std::vector<std::string> calls;
    for (const Callback& call : listener.All()) {
      if (call.kind == "motion")
        calls.push_back("motion " + std::to_string(call.a) + " " + std::to_string(call.b));
      else
        calls.push_back(call.kind + " " + std::to_string(call.a));
      EXPECT_EQ(call.device.version, "-1");
    }
    EXPECT_EQ(calls, c.calls);
  }
}

}  // namespace
