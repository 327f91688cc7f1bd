// SPDX-License-Identifier: GPL-3.0-or-later
// The exported device interface against the simulated remote, as the device link uses it.

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <thread>

#include "DevbridgeTestSupport.h"
#include "remotesim/RemoteSim.h"

namespace {

using namespace devtest;
using remotesim::RemoteSim;

const std::uint8_t kHeartbeat[16] = {0x0A, 0x02, 0x5A, 0x01};

struct Release {
  void operator()(CMyDllMouseDevice* device) const { device->Release(); }
};
using Device = std::unique_ptr<CMyDllMouseDevice, Release>;

class MyDllMouseDevice : public testing::Test {
 protected:
  void SetUp() override {
    Reports().Clear();
    device.reset(CMyDllMouseDevice::Create());
    ASSERT_TRUE(device);
    device->SetReportCallback(&RecordReport);
  }

  // What the device link does: find the vendor collection by its capabilities, then open it.
  bool Connect() {
    wchar_t path[devbridge::kPathCapacity] = {};
    if (!device->FindByOutputCaps(0x25A7, 0x0134, 0xFF01, 0x0000, 16, 16, 1, 0x0A, path)) return false;
    device->OpenByPath(path, &sink);
    return device->IsOpen();
  }

  RemoteSim sim;
  RecordingSink sink;
  Device device;
};

TEST_F(MyDllMouseDevice, StartsClosed) {
  EXPECT_FALSE(device->IsOpen());
  EXPECT_EQ(device->GetDeviceHandle(), nullptr);
  EXPECT_EQ(device->GetNotifyWindow(), nullptr);
}

TEST_F(MyDllMouseDevice, BuildOperationsKeepToTheirLimits) {
  struct Case {
    const char* name;
    int operation;  // 0 MakeReport, 1 MakeReportNoId, 2 MakeRawReport
    std::uint32_t length;
    devbridge::Status status;
    std::uint32_t built;
  } cases[] = {
      {"report of 254 bytes", 0, 254, 0, 255},  {"report of 255 bytes", 0, 255, 1382, 0},
      {"no-id report of 254", 1, 254, 0, 255},  {"no-id report of 255", 1, 255, 1382, 0},
      {"raw report of 255", 2, 255, 0, 255},    {"raw report of 256", 2, 256, 1382, 0},
      {"empty report", 0, 0, 0, 1},
  };
  std::uint8_t data[300];
  for (std::size_t i = 0; i < sizeof data; ++i) data[i] = std::uint8_t(i);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ReportBuffer buffer;
    std::memset(&buffer, 0xEE, sizeof buffer);
    const devbridge::Status status = c.operation == 0   ? device->MakeReport(data, c.length, &buffer, 0x0A)
                                     : c.operation == 1 ? device->MakeReportNoId(data, c.length, &buffer)
                                                        : device->MakeRawReport(data, c.length, &buffer);
    EXPECT_EQ(status, c.status);
    if (status != 0) {
      EXPECT_EQ(buffer.length, 0xEEEEEEEEu);  // untouched
      EXPECT_EQ(buffer.data[0], 0xEE);
      continue;
    }
    EXPECT_EQ(buffer.length, c.built);
    const std::uint8_t* payload = buffer.data + (c.operation == 2 ? 0 : 1);
    if (c.operation != 2) {
      EXPECT_EQ(buffer.data[0], c.operation == 0 ? 0x0A : 0x00);
    }
    EXPECT_EQ(std::memcmp(payload, data, c.length), 0);
  }
}

TEST_F(MyDllMouseDevice, FindsTheVendorCollectionByItsCapabilities) {
  // A receiver with the same ids but without the vendor collection comes first in order.
  sim.Unplug();
  const int other = sim.AddDevice(remotesim::ExtraDevice::RemoteWithoutVendor);
  sim.AddDevice(remotesim::ExtraDevice::OtherMouse);
  wchar_t path[devbridge::kPathCapacity] = L"untouched";
  EXPECT_FALSE(device->FindByOutputCaps(0x25A7, 0x0134, 0xFF01, 0x0000, 16, 16, 1, 0x0A, path));
  EXPECT_STREQ(path, L"untouched");
  sim.Plug();
  ASSERT_TRUE(device->FindByOutputCaps(0x25A7, 0x0134, 0xFF01, 0x0000, 16, 16, 1, 0x0A, path));
  EXPECT_EQ(path, Wide(sim.VendorPath()));
  EXPECT_NE(path, Wide(sim.ExtraDevicePath(other)));
  EXPECT_TRUE(device->FindByOutputCaps(0x25A7, 0x0134, 0xFF01, 0x0000, 16, 16, 1, 0x0A, nullptr));
  // Arguments are compared as 16-bit values.
  EXPECT_TRUE(device->FindByOutputCaps(0x125A7, 0x10134, 0x1FF01, 0x10000, 0x10010, 0x10010, 0x10001, 0x0A, nullptr));
  EXPECT_FALSE(device->FindByOutputCaps(0x25A7, 0x0134, 0xFF01, 0x0000, 16, 16, 2, 0x0A, nullptr));
  EXPECT_FALSE(device->FindByOutputCaps(0x25A7, 0x0134, 0xFF01, 0x0000, 16, 16, 1, 0x0B, nullptr));
  EXPECT_FALSE(device->FindByOutputCaps(0x1234, 0x0134, 0xFF01, 0x0000, 16, 16, 1, 0x0A, path));
  // The other receiver's output-only collection is found by its feature-less shape too.
  EXPECT_FALSE(device->FindByFeatureCaps(0x25A7, 0x0134, 0xFF01, 0x0000, 16, 16, 0, 0x0A, nullptr));
}

TEST_F(MyDllMouseDevice, DeliversOnlyFullStatusReportsOfItsCollection) {
  ASSERT_TRUE(Connect());
  EXPECT_NE(device->GetDeviceHandle(), nullptr);
  EXPECT_EQ(device->GetNotifyWindow(), &sink);
  sim.SendReport({0x0A, 0x01});                          // short
  sim.SendReport(std::vector<std::uint8_t>(17, 0x0A));   // longer than declared
  sim.SendConsumer(0x00E9);                              // the other collection of the node
  sim.Press(remotesim::Key::Media1);
  ASSERT_TRUE(Reports().WaitFor(1));
  const auto report = Reports().Items().front();
  ASSERT_EQ(report.size(), 16u);
  EXPECT_EQ(report[0], 0x0A);
  EXPECT_EQ(report[3], 0x10);
  EXPECT_EQ(report[8], 1);
  sim.Move(-5, 7);
  ASSERT_TRUE(Reports().WaitFor(2));
  EXPECT_EQ(std::int8_t(Reports().Items()[1][6]), -5);
  EXPECT_EQ(Reports().Size(), 2u);
}

TEST_F(MyDllMouseDevice, HeartbeatReachesTheRemote) {
  ASSERT_TRUE(Connect());
  std::uint32_t written = 0;
  EXPECT_EQ(device->WriteReport(kHeartbeat, 16, &written, nullptr, 100), 0);
  EXPECT_EQ(written, 16u);
  EXPECT_EQ(device->WriteReport(kHeartbeat, 16, nullptr, nullptr, 100), 0);
  ASSERT_TRUE(sim.WaitForReports(2, 3s));
  EXPECT_EQ(sim.ReceivedReports()[0], std::vector<std::uint8_t>(kHeartbeat, kHeartbeat + 16));
}

TEST_F(MyDllMouseDevice, ReadReportWaitsForItsTimeOut) {
  ASSERT_TRUE(Connect());
  std::uint8_t buffer[16];
  std::uint32_t read = 99;
  EXPECT_EQ(device->ReadReport(buffer, 16, &read, nullptr, 30), devbridge::kStatusTimeout);
  EXPECT_EQ(read, 0u);
  sim.Press(remotesim::Key::Gesture);
  EXPECT_EQ(device->ReadReport(buffer, 16, &read, nullptr, 2000), 0);
  EXPECT_EQ(read, 16u);
  EXPECT_EQ(buffer[3], 0x80);
}

TEST_F(MyDllMouseDevice, UnopenablePathStillRemembersAndRegistersTheWindow) {
  EXPECT_NE(device->OpenByPath(L"/nonexistent/hidraw7", &sink), 0);
  EXPECT_FALSE(device->IsOpen());
  EXPECT_EQ(device->GetNotifyWindow(), &sink);
  sim.Unplug();
  ASSERT_TRUE(sink.events.WaitFor(1));
  EXPECT_EQ(sink.events.Items()[0].first, devbridge::kDeviceRemoveComplete);
}

TEST_F(MyDllMouseDevice, WriteToARemovedDeviceTellsTheWindowFirst) {
  ASSERT_TRUE(Connect());
  sim.Unplug();
  sink.events.WaitFor(2);  // the removal notifications of both nodes
  sink.events.Clear();
  EXPECT_EQ(device->WriteReport(kHeartbeat, 16, nullptr, nullptr, 100), devbridge::kStatusNotConnected);
  const auto events = sink.events.Items();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events[0], (std::pair<std::uintptr_t, std::intptr_t>{0, 0}));
}

TEST_F(MyDllMouseDevice, ReplugReopensTheSameCollection) {
  ASSERT_TRUE(Connect());
  sim.Unplug();
  EXPECT_EQ(device->OnDeviceChange(devbridge::kDeviceRemoveComplete, 0), 1);
  EXPECT_FALSE(device->IsOpen());
  EXPECT_EQ(device->GetNotifyWindow(), &sink);
  sim.Plug();
  EXPECT_EQ(device->OnDeviceChange(devbridge::kDeviceArrival, 0), 1);
  ASSERT_TRUE(device->IsOpen());
  sim.Press(remotesim::Key::Media2);
  ASSERT_TRUE(Reports().WaitFor(1));
  EXPECT_EQ(Reports().Items()[0][3], 0x20);
}

TEST_F(MyDllMouseDevice, ReplugBetweenTwoNotificationsDropsTheDeadHandle) {
  ASSERT_TRUE(Connect());
  sim.Unplug();
  sim.Plug();
  // The notifications come late: the old handle is still open but its device is gone.
  std::this_thread::sleep_for(50ms);
  device->OnDeviceChange(devbridge::kDeviceArrival, 0);
  ASSERT_TRUE(device->IsOpen());
  sim.Press(remotesim::Key::Media3);
  ASSERT_TRUE(Reports().WaitFor(1));
  EXPECT_EQ(Reports().Items()[0][3], 0x40);
}

TEST_F(MyDllMouseDevice, OpenByIdCountsInterfacesWithTheIds) {
  // Index 0 is the mouse interface, 1 the vendor collection, 2 the consumer collection.
  EXPECT_EQ(device->OpenById(0x25A7, 0x0134, &sink, 1), 0);
  ASSERT_TRUE(device->IsOpen());
  sim.Press(remotesim::Key::Media1);
  ASSERT_TRUE(Reports().WaitFor(1));
  EXPECT_EQ(Reports().Items()[0].size(), 16u);
  device->Close();
  EXPECT_EQ(device->OpenById(0x25A7, 0x0134, &sink, 3), devbridge::kStatusNotFound);
  EXPECT_FALSE(device->IsOpen());
}

TEST_F(MyDllMouseDevice, CloseKeepsTheCallbackAndForgetsTheWindow) {
  ASSERT_TRUE(Connect());
  device->Close();
  EXPECT_FALSE(device->IsOpen());
  EXPECT_EQ(device->GetNotifyWindow(), nullptr);
  EXPECT_EQ(device->GetDeviceHandle(), nullptr);
  ASSERT_TRUE(Connect());
  sim.Press(remotesim::Key::Media1);
  EXPECT_TRUE(Reports().WaitFor(1));
}

TEST_F(MyDllMouseDevice, ReleaseOfAnOpenDeviceStopsTheReader) {
  ASSERT_TRUE(Connect());
  EXPECT_TRUE(device->RegisterDeviceNotify(&sink));
  EXPECT_FALSE(device->RegisterDeviceNotify(&sink));
  EXPECT_EQ(sim.VendorConnections(), 2u);  // the main handle and the reader's
  device.reset();
  sim.Press(remotesim::Key::Media1);
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(Reports().Size(), 0u);
  sim.Unplug();  // no registration is left to call the sink
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(sink.events.Size(), 0u);
}

}  // namespace
