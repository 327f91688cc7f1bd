// SPDX-License-Identifier: GPL-3.0-or-later
// The hidraw backend and the hotplug monitor against a device root served by the simulated remote.

#include <gtest/gtest.h>

#include <linux/input.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "HexFixture.h"
#include "platform/hid.h"
#include "platform/hotplug.h"
#include "remotesim/RemoteSim.h"

namespace {

using namespace platform;
using remotesim::RemoteSim;

struct Open {
  HidDevice* device = nullptr;
  HidStatus status;
  Open(const std::string& path, unsigned access) { status = HidOpen(path, access, &device); }
  ~Open() { HidClose(device); }
};

TEST(HidLinux, EnumeratesInterfacesInNodeThenCollectionOrder) {
  RemoteSim sim;
  sim.AddDevice(remotesim::ExtraDevice::OtherMouse);
  const std::string dev = sim.Root() + "/dev/";
  EXPECT_EQ(HidEnumerate(), (std::vector<std::string>{dev + "hidraw0", dev + "hidraw1#col01", dev + "hidraw1#col02",
                                                      dev + "hidraw2"}));
  HidInterfaceInfo info;
  ASSERT_EQ(HidGetInterfaceInfo(sim.VendorPath(), &info), kHidSuccess);
  EXPECT_EQ(info.attributes.VendorID, 0x25A7);
  EXPECT_EQ(info.attributes.ProductID, 0x0134);
  EXPECT_EQ(info.attributes.VersionNumber, 0x0102);
  EXPECT_EQ(info.collection.caps.UsagePage, 0xFF01);
  EXPECT_EQ(info.collection.caps.InputReportByteLength, 16);
  ASSERT_EQ(HidGetInterfaceInfo(dev + "hidraw2", &info), kHidSuccess);
  EXPECT_EQ(info.attributes.VendorID, 0x1209);
}

TEST(HidLinux, PathsThatNameNoInterfaceAreNotFound) {
  RemoteSim sim;
  HidInterfaceInfo info;
  const std::string dev = sim.Root() + "/dev/";
  for (const std::string& path : {dev + "hidraw1", dev + "hidraw0#col01", dev + "hidraw1#col03", dev + "hidraw9",
                                 dev + "hidraw1#colx1", dev + "mouse0", std::string()})
    EXPECT_EQ(HidGetInterfaceInfo(path, &info), kHidFileNotFound) << path;
}

TEST(HidLinux, ServedDescriptorsMatchTheGoldenFiles) {
  const std::string fixtures = VELTRIO_HID_FIXTURES;
  EXPECT_EQ(remotesim::VendorInterfaceDescriptor(), hidtest::LoadHexFile(fixtures + "/remote_vendor.hex"));
  EXPECT_EQ(remotesim::MouseInterfaceDescriptor(), hidtest::LoadHexFile(fixtures + "/remote_mouse.hex"));
  EXPECT_EQ(remotesim::RemoteWithoutVendorDescriptor(), hidtest::LoadHexFile(fixtures + "/remote_novendor.hex"));
}

TEST(HidLinux, ReadGivesOnlyThisCollectionsReports) {
  RemoteSim sim;
  Open vendor(sim.VendorPath(), kHidAccessRead | kHidAccessWrite);
  Open consumer(sim.ConsumerPath(), kHidAccessRead);
  ASSERT_EQ(vendor.status, kHidSuccess);
  ASSERT_EQ(consumer.status, kHidSuccess);
  sim.SendConsumer(0x00E9);
  sim.Press(remotesim::Key::Media1);
  std::uint8_t buffer[64];
  std::size_t count = 0;
  ASSERT_EQ(HidRead(vendor.device, buffer, sizeof buffer, &count, 1000), kHidSuccess);
  ASSERT_EQ(count, 16u);
  EXPECT_EQ(buffer[0], 0x0A);
  EXPECT_EQ(buffer[3], 0x10);
  ASSERT_EQ(HidRead(consumer.device, buffer, sizeof buffer, &count, 1000), kHidSuccess);
  EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + count), (std::vector<std::uint8_t>{3, 0xE9, 0}));
  EXPECT_EQ(HidRead(consumer.device, buffer, sizeof buffer, &count, 50), kHidTimeout);
}

TEST(HidLinux, ReportsWithoutIdsGetIdZeroInFront) {
  RemoteSim sim;
  Open mouse(sim.MousePath(), kHidAccessRead);
  ASSERT_EQ(mouse.status, kHidSuccess);
  sim.Move(5, -3);
  std::uint8_t buffer[8];
  std::size_t count = 0;
  ASSERT_EQ(HidRead(mouse.device, buffer, sizeof buffer, &count, 1000), kHidSuccess);
  EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + count), (std::vector<std::uint8_t>{0, 0, 5, 0xFD, 0}));
}

TEST(HidLinux, ReadAndWriteRefuseWhatWindowsRefuses) {
  RemoteSim sim;
  Open vendor(sim.VendorPath(), kHidAccessRead | kHidAccessWrite);
  Open readOnly(sim.VendorPath(), kHidAccessRead);
  std::uint8_t buffer[16] = {0x0A};
  std::size_t count = 7;
  EXPECT_EQ(HidRead(vendor.device, buffer, 15, &count, 10), kHidInvalidUserBuffer);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(HidWrite(vendor.device, buffer, 15, &count, 10), kHidInvalidUserBuffer);
  EXPECT_EQ(HidWrite(readOnly.device, buffer, 16, &count, 10), kHidAccessDenied);
  // A report longer than the collection declares is cut and flagged, never passed as whole.
  sim.SendReport(std::vector<std::uint8_t>(20, 0x0A));
  std::uint8_t big[16];
  EXPECT_EQ(HidRead(vendor.device, big, sizeof big, &count, 1000), kHidMoreData);
  EXPECT_EQ(count, 16u);
}

TEST(HidLinux, WriteReachesTheDeviceAndInputReportIsAnswered) {
  RemoteSim sim;
  Open vendor(sim.VendorPath(), kHidAccessRead | kHidAccessWrite);
  const std::uint8_t heartbeat[16] = {0x0A, 0x02, 0x5A, 0x01};
  std::size_t count = 0;
  ASSERT_EQ(HidWrite(vendor.device, heartbeat, 16, &count, 100), kHidSuccess);
  EXPECT_EQ(count, 16u);
  ASSERT_TRUE(sim.WaitForReports(1, std::chrono::seconds(2)));
  EXPECT_EQ(sim.ReceivedReports()[0], std::vector<std::uint8_t>(heartbeat, heartbeat + 16));

  sim.SetModel(3);
  std::uint8_t state[16] = {0x0A};
  ASSERT_EQ(HidGetInputReport(vendor.device, state, sizeof state, &count), kHidSuccess);
  EXPECT_EQ(count, 16u);
  EXPECT_EQ(state[8], 3);
  std::uint8_t unknown[16] = {0x07};
  EXPECT_NE(HidGetInputReport(vendor.device, unknown, sizeof unknown, &count), kHidSuccess);
}

TEST(HidLinux, UnplugEndsReadsAndWrites) {
  RemoteSim sim;
  Open vendor(sim.VendorPath(), kHidAccessRead | kHidAccessWrite);
  ASSERT_EQ(vendor.status, kHidSuccess);
  std::uint8_t buffer[16] = {0x0A};
  std::size_t count = 0;
  HidStatus readStatus = kHidSuccess;
  std::thread reader([&] { readStatus = HidRead(vendor.device, buffer, sizeof buffer, &count, 5000); });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  sim.Unplug();
  reader.join();
  EXPECT_EQ(readStatus, kHidDeviceNotConnected);
  const std::uint8_t heartbeat[16] = {0x0A};
  EXPECT_EQ(HidWrite(vendor.device, heartbeat, 16, &count, 100), kHidDeviceNotConnected);
  HidDevice* gone = nullptr;
  EXPECT_EQ(HidOpen(sim.Root() + "/dev/hidraw1#col01", kHidAccessRead, &gone), kHidFileNotFound);
  EXPECT_EQ(gone, nullptr);
}

TEST(HidLinux, CancelEndsAWaitingRead) {
  RemoteSim sim;
  Open vendor(sim.VendorPath(), kHidAccessRead);
  std::uint8_t buffer[16];
  std::size_t count = 0;
  HidStatus status = kHidSuccess;
  std::thread reader([&] { status = HidRead(vendor.device, buffer, sizeof buffer, &count, 10000); });
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  HidCancelRead(vendor.device);
  reader.join();
  EXPECT_EQ(status, kHidOperationAborted);
}

TEST(HidLinux, MoveEmitsRelativeEventsOnTheEventNode) {
  RemoteSim sim;
  const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, sim.MouseEventNode().c_str());
  ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  sim.Move(4, -2);
  input_event events[3];
  for (input_event& event : events) ASSERT_EQ(::recv(fd, &event, sizeof event, 0), ssize_t(sizeof event));
  ::close(fd);
  EXPECT_EQ(events[0].type, EV_REL);
  EXPECT_EQ(events[0].code, REL_X);
  EXPECT_EQ(events[0].value, 4);
  EXPECT_EQ(events[1].code, REL_Y);
  EXPECT_EQ(events[1].value, -2);
  EXPECT_EQ(events[2].type, EV_SYN);
}

TEST(Hotplug, ReportsArrivalAndRemovalOfEachNode) {
  RemoteSim sim(RemoteSim::Options{.root = {}, .plugged = false, .setEnvironment = true});
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::pair<HotplugEvent, std::string>> events;
  auto monitor = HotplugMonitor::Start([&](HotplugEvent event, const std::string& node) {
    std::lock_guard lock(mutex);
    events.emplace_back(event, node);
    changed.notify_all();
  });
  ASSERT_TRUE(monitor);
  auto waitFor = [&](std::size_t n) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(2), [&] { return events.size() >= n; });
  };
  sim.Plug();
  ASSERT_TRUE(waitFor(2));
  sim.Unplug();
  ASSERT_TRUE(waitFor(4));
  monitor.reset();
  const std::string dev = sim.Root() + "/dev/";
  std::vector<std::pair<HotplugEvent, std::string>> expected = {
      {HotplugEvent::Arrival, dev + "hidraw0"}, {HotplugEvent::Arrival, dev + "hidraw1"},
      {HotplugEvent::Removal, dev + "hidraw0"}, {HotplugEvent::Removal, dev + "hidraw1"}};
  EXPECT_EQ(events, expected);  // the evdev node and the hidden staging names are not HID arrivals
}

}  // namespace
