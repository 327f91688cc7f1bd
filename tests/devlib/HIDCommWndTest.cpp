// SPDX-License-Identifier: GPL-3.0-or-later
// The HID transport classes below the exported interface: statuses and reader life cycle.

#include <gtest/gtest.h>

#include <thread>

#include "DevbridgeTestSupport.h"
#include "HIDMouseEx.h"
#include "remotesim/RemoteSim.h"

namespace {

using namespace devtest;
using devbridge::CHIDMouseEx;
using remotesim::RemoteSim;

class HIDTransport : public testing::Test {
 protected:
  void SetUp() override { Reports().Clear(); }
  RemoteSim sim;
  RecordingSink sink;
  CHIDMouseEx device;
};

TEST_F(HIDTransport, StatusesOfOpenAndClose) {
  const std::wstring path = Wide(sim.VendorPath());
  EXPECT_EQ(device.Close(), devbridge::kStatusCloseNotOpen);
  EXPECT_EQ(device.LastStatus(), devbridge::kStatusCloseNotOpen);
  EXPECT_EQ(device.OpenStored(), devbridge::kStatusNoIds);
  wchar_t buffer[devbridge::kPathCapacity] = L"kept";
  EXPECT_EQ(device.FindStored(buffer), devbridge::kStatusNoIds);
  EXPECT_EQ(device.Open(L"/no/such/hidraw3"), devbridge::kStatusNoCapabilities);
  EXPECT_EQ(device.Open(path.c_str()), 0);
  EXPECT_EQ(device.Open(path.c_str()), devbridge::kStatusAlreadyOpen);
  EXPECT_EQ(device.Close(), 0);
  std::uint8_t report[16] = {0x0A};
  EXPECT_EQ(device.Write(report, 16, nullptr, nullptr, 100), devbridge::kStatusNotOpen);
  EXPECT_EQ(device.Read(report, 16, nullptr, nullptr, 100), devbridge::kStatusNotOpen);
}

TEST_F(HIDTransport, FindPathBeyondTheMatchesLeavesTheBuffer) {
  wchar_t buffer[devbridge::kPathCapacity] = L"kept";
  EXPECT_EQ(device.FindPath(0x25A7, 0x0134, 3, buffer), devbridge::kStatusNotFound);
  EXPECT_STREQ(buffer, L"kept");
  EXPECT_EQ(device.FindPath(0x25A7, 0x0134, 2, buffer), 0);
  EXPECT_EQ(buffer, Wide(sim.ConsumerPath()));
  EXPECT_EQ(device.FindPath(0x25A7, 0x0134, 0, buffer), 0);
  EXPECT_EQ(buffer, Wide(sim.MousePath()));
}

TEST_F(HIDTransport, SecondOpenKeepsReaderAndRegistrationAndTakesTheWindow) {
  RecordingSink other;
  const std::wstring path = Wide(sim.VendorPath());
  ASSERT_EQ(device.OpenPathAndWatch(path.c_str(), &sink), 0);
  EXPECT_TRUE(device.IsReading());
  EXPECT_TRUE(device.IsWatching());
  platform::HidDevice* handle = device.Handle();
  EXPECT_EQ(device.OpenPathAndWatch(path.c_str(), &other), devbridge::kStatusAlreadyOpen);
  EXPECT_EQ(device.Handle(), handle);
  EXPECT_TRUE(device.IsReading());
  EXPECT_EQ(device.NotifyWnd(), &other);
  device.SetReportCallback(&RecordReport);
  sim.Press(remotesim::Key::Media1);
  EXPECT_TRUE(Reports().WaitFor(1));
}

TEST_F(HIDTransport, DeviceChangeWhileOpenAndPresentChangesNothing) {
  ASSERT_EQ(device.OpenPathAndWatch(Wide(sim.VendorPath()).c_str(), &sink), 0);
  platform::HidDevice* handle = device.Handle();
  EXPECT_EQ(device.OnDeviceChange(devbridge::kDeviceArrival, 0), 1);
  EXPECT_EQ(device.Handle(), handle);
  EXPECT_TRUE(device.IsReading());
}

TEST_F(HIDTransport, CollectionWithoutInputReportsOpensWithoutReader) {
  const int other = sim.AddDevice(remotesim::ExtraDevice::RemoteWithoutVendor);
  device.SetReportCallback(&RecordReport);
  ASSERT_EQ(device.OpenPathAndWatch(Wide(sim.ExtraDevicePath(other, 0)).c_str(), &sink), 0);
  EXPECT_TRUE(device.IsOpen());
  EXPECT_FALSE(device.IsReading());
  EXPECT_EQ(device.Info().capabilities.InputReportByteLength, 0);
  const std::uint8_t report[8] = {0x05, 1, 2, 3};
  EXPECT_EQ(device.Write(report, 8, nullptr, nullptr, 100), 0);
  sim.SendConsumer(0x00E9);
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(Reports().Size(), 0u);
}

TEST_F(HIDTransport, StopAndCloseKeepsTheWindowForAReopen) {
  ASSERT_EQ(device.OpenPathAndWatch(Wide(sim.VendorPath()).c_str(), &sink), 0);
  EXPECT_EQ(device.StopAndClose(), 0);
  EXPECT_FALSE(device.IsOpen());
  EXPECT_FALSE(device.IsReading());
  EXPECT_EQ(device.NotifyWnd(), &sink);
  EXPECT_TRUE(device.IsWatching());
  EXPECT_EQ(device.StoredIndex(), 1);  // the vendor collection's place among the receiver's interfaces
}

TEST_F(HIDTransport, ReaderBacksOffWhileTheDeviceIsGone) {
  ASSERT_EQ(device.OpenPathAndWatch(Wide(sim.VendorPath()).c_str(), &sink), 0);
  sim.Unplug();
  std::this_thread::sleep_for(600ms);
  // Without a pause the reader fails thousands of times in this span; with it, a handful.
  EXPECT_GE(device.FailedReads(), 1u);
  EXPECT_LE(device.FailedReads(), 20u);
  EXPECT_EQ(device.Close(), 0);  // and the stop still ends the pause at once
  EXPECT_FALSE(device.IsReading());
}

}  // namespace
