// SPDX-License-Identifier: GPL-3.0-or-later
// The device link and the raw-input window against the simulated remote, with a stand-in for
// the main window that records what reaches it on the GUI thread.

#include "device/DeviceEvents.h"
#include "device/DeviceReport.h"
#include "device/MouseComWnd.h"
#include "device/MouseDevLink.h"
#include "device/RawInputWnd.h"
#include "remotesim/RemoteSim.h"
#include "settings/GlobalSettings.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <vector>

namespace {

using namespace std::chrono_literals;
using remotesim::Key;

struct MainWindowStandIn : CDeviceEventTarget {
  void OnDeviceEvent(int code) override {
    EXPECT_EQ(QThread::currentThread(), qApp->thread()) << "events are handled on the GUI thread";
    events.push_back(code);
  }
  void OnDeviceFound() override { ++found; }
  void RefreshDeviceLabel() override { ++refreshes; }
  std::vector<int> events;
  int found = 0;
  int refreshes = 0;
};

// Runs the GUI thread's event loop until `done` or the time-out.
bool SpinUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(2);
  }
  return true;
}

void SpinFor(std::chrono::milliseconds duration) {
  SpinUntil([] { return false; }, duration);
}

class DeviceLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The device status as at program start: all zero.
    const uint8_t zero[16] = {0x0A};
    DecodeStatusReport(zero, 16, 2);
    g_hMainWnd = &mainWindow;
    settings.m_benablegesture = false;
  }
  void TearDown() override {
    window.reset();
    g_hMainWnd = nullptr;
  }
  void Open() { window = std::make_unique<MOUSEFUCTION::CMouseComWnd>(settings, nullptr); }

  CGlobalSettings settings;  // this test's own, never read from or written to a file
  MainWindowStandIn mainWindow;
  std::unique_ptr<MOUSEFUCTION::CMouseComWnd> window;
};

std::vector<remotesim::Report> Heartbeats(const std::vector<remotesim::Report>& received) {
  const remotesim::Report heartbeat = {0x0A, 0x02, 0x5A, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  std::vector<remotesim::Report> beats;
  for (const auto& r : received) {
    EXPECT_EQ(r, heartbeat) << "every output report is the exact heartbeat";
    if (r == heartbeat) beats.push_back(r);
  }
  return beats;
}

TEST_F(DeviceLinkTest, StartWithTheRemoteAttached) {
  remotesim::RemoteSim sim;
  Open();
  EXPECT_TRUE(g_bDevicePresent);
  EXPECT_TRUE(window->Link().IsOpen());
  EXPECT_EQ(window->HeartbeatTimer().interval(), 200);
  ASSERT_TRUE(SpinUntil([&] { return mainWindow.found == 1; }));
  ASSERT_TRUE(SpinUntil([&] { return sim.ReceivedReports().size() >= 3; })) << "heartbeats while open";
  Heartbeats(sim.ReceivedReports());
  SpinFor(300ms);
  EXPECT_EQ(mainWindow.found, 1) << "found once";
}

TEST_F(DeviceLinkTest, StartWithoutThenPlugUnplugAndReplug) {
  remotesim::RemoteSim::Options options;
  options.plugged = false;
  remotesim::RemoteSim sim(options);
  Open();
  EXPECT_FALSE(g_bDevicePresent);
  SpinFor(500ms);
  EXPECT_EQ(mainWindow.found, 0);

  for (int round = 1; round <= 2; ++round) {
    sim.Plug();
    ASSERT_TRUE(SpinUntil([&] { return g_bDevicePresent.load(); })) << "round " << round;
    ASSERT_TRUE(SpinUntil([&] { return mainWindow.found == round; }));
    EXPECT_GT(mainWindow.refreshes, 0);
    SpinFor(400ms);  // the rest of the arrival notifications of a composite device
    EXPECT_EQ(mainWindow.found, round) << "once however many notifications arrive";

    const int refreshes = mainWindow.refreshes;
    sim.Unplug();
    ASSERT_TRUE(SpinUntil([&] { return !g_bDevicePresent.load() && mainWindow.refreshes > refreshes; }));
    sim.ClearReceived();
    SpinFor(500ms);
    EXPECT_TRUE(sim.ReceivedReports().empty()) << "no heartbeat while closed";
  }
}

TEST_F(DeviceLinkTest, AnArrivalWhileOpenChangesNothing) {
  remotesim::RemoteSim sim;
  Open();
  ASSERT_TRUE(SpinUntil([&] { return mainWindow.found == 1; }));
  sim.AddDevice(remotesim::ExtraDevice::OtherMouse);
  sim.AddDevice(remotesim::ExtraDevice::RemoteWithoutVendor);
  SpinFor(400ms);
  EXPECT_EQ(mainWindow.found, 1);
  EXPECT_TRUE(g_bDevicePresent);
}

TEST_F(DeviceLinkTest, TheRemoteWithoutItsVendorCollectionIsNeverPresent) {
  remotesim::RemoteSim::Options options;
  options.plugged = false;
  remotesim::RemoteSim sim(options);
  sim.AddDevice(remotesim::ExtraDevice::RemoteWithoutVendor);
  Open();
  SpinFor(300ms);
  EXPECT_FALSE(g_bDevicePresent);
  EXPECT_EQ(mainWindow.found, 0);
}

TEST_F(DeviceLinkTest, KeyAndLinkEventsReachTheMainWindow) {
  remotesim::RemoteSim sim;
  Open();
  sim.SetLink(false);  // the same as the status at start: no event
  sim.SetLink(true);
  sim.SetLink(false);
  sim.SetLink(true);
  sim.Press(Key::Media1);
  sim.Release(Key::Media1);
  sim.Press(Key::Media3);
  ASSERT_TRUE(SpinUntil([&] { return mainWindow.events.size() >= 5; }));
  SpinFor(100ms);
  EXPECT_EQ(mainWindow.events, (std::vector<int>{kEventLinkChanged, kEventLinkChanged, kEventLinkChanged,
                                                 kEventMediaKey1, kEventMediaKey3}));
}

TEST_F(DeviceLinkTest, ARemovalDuringHeartbeatsAndClosingWhileEventsAreQueued) {
  remotesim::RemoteSim sim;
  Open();
  ASSERT_TRUE(SpinUntil([&] { return sim.ReceivedReports().size() >= 1; }));
  for (int i = 0; i < 20; ++i) sim.Press(i % 2 ? Key::Media1 : Key::Media2), sim.Release(Key::Media1);
  sim.Unplug();  // while the heartbeat timer runs and events are still queued
  ASSERT_TRUE(SpinUntil([&] { return !g_bDevicePresent.load(); }));
  sim.Plug();
  for (int i = 0; i < 20; ++i) sim.Press(Key::Media3), sim.Release(Key::Media3);
  window.reset();  // joins the reader; queued events for the closed link are dropped
  SpinFor(50ms);
  EXPECT_FALSE(g_bDevicePresent);
}

TEST_F(DeviceLinkTest, ADrawnSwipeReachesTheMainWindowOnlyWithGesturesEnabled) {
  remotesim::RemoteSim sim;
  Open();
  MOUSEFUCTION::CRawInputWnd rawInput(settings, nullptr);
  ASSERT_TRUE(SpinUntil([&] { return g_bDevicePresent.load(); }));
  SpinFor(200ms);  // the raw mouse monitor opens the remote's mouse

  settings.m_benablegesture = true;
  // More samples than the seven that fire, as a hand draws it: a mouse tick and its status
  // report travel apart, and under load a tick may still see the previous report's deltas.
  sim.Press(Key::Gesture);
  for (int i = 0; i < 20; ++i) {
    sim.Move(40, 0);
    SpinFor(5ms);
  }
  ASSERT_TRUE(SpinUntil([&] { return !mainWindow.events.empty() && mainWindow.events.back() == kEventSwipeRight; }));
  // The first report after start also carries the link.
  EXPECT_EQ(mainWindow.events, (std::vector<int>{kEventLinkChanged, kEventGestureKey, kEventSwipeRight}));
  sim.Release(Key::Gesture);

  settings.m_benablegesture = false;
  mainWindow.events.clear();
  SpinFor(300ms);
  sim.Press(Key::Gesture);
  for (int i = 0; i < 10; ++i) sim.Move(0, 40), SpinFor(5ms);
  SpinFor(200ms);
  EXPECT_EQ(mainWindow.events, std::vector<int>{kEventGestureKey}) << "no swipe with gestures off";
}

// A tick is judged by the status of its time, however late the GUI thread gets to it: a swipe
// drawn while the GUI thread is busy (a window painting, a dialog opening) is still a swipe,
// though the hand has let go of the gesture key by the time the ticks are handled.
TEST_F(DeviceLinkTest, ASwipeDrawnWhileTheGuiThreadIsBusyIsRecognisedAfterwards) {
  remotesim::RemoteSim sim;
  Open();
  MOUSEFUCTION::CRawInputWnd rawInput(settings, nullptr);
  ASSERT_TRUE(SpinUntil([&] { return g_bDevicePresent.load(); }));
  SpinFor(200ms);  // the raw mouse monitor opens the remote's mouse
  settings.m_benablegesture = true;

  // From here the GUI thread handles nothing until the key is released.
  auto waitOffThread = [](const std::function<bool()>& done) {
    for (int i = 0; i < 1000 && !done(); ++i) QThread::msleep(5);
    return done();
  };
  sim.Press(Key::Gesture);
  ASSERT_TRUE(waitOffThread([] { return DeviceStatus.bGestureKey.load(); }));
  // A tick and its status report travel apart: once the first move's report is in, every later
  // tick finds the deltas of a move.
  const int before = rawInput.TicksQueued();
  sim.Move(40, 0);
  ASSERT_TRUE(waitOffThread([] { return DeviceStatus.nDeltaX.load() == 40; }));
  for (int i = 0; i < 8; ++i) sim.Move(40, 0);
  ASSERT_TRUE(waitOffThread([&] { return rawInput.TicksQueued() == before + 9; }));
  sim.Release(Key::Gesture);
  ASSERT_TRUE(waitOffThread([] { return !DeviceStatus.bGestureKey.load(); }));

  EXPECT_TRUE(SpinUntil([&] { return !mainWindow.events.empty() && mainWindow.events.back() == kEventSwipeRight; }))
      << testing::PrintToString(mainWindow.events);
  settings.m_benablegesture = false;
}

}  // namespace

int main(int argc, char** argv) {
  // A private settings folder, so that the process-wide settings never read the user's.
  std::string folder = (std::filesystem::temp_directory_path() / "veltrio-device-XXXXXX").string();
  if (!mkdtemp(folder.data())) return 1;
  setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  std::filesystem::remove_all(folder);
  return result;
}
