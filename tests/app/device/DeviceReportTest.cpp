// SPDX-License-Identifier: GPL-3.0-or-later
// Status reports into device status and key and link events.

#include "device/DeviceEvents.h"
#include "device/DeviceReport.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

using Report = std::array<uint8_t, 16>;

Report StatusReport(bool linked, uint8_t keys, int8_t dx = 0, int8_t dy = 0, uint8_t model = 2) {
  Report r{};
  r[0] = 0x0A;
  r[1] = linked ? 0x01 : 0x00;
  r[3] = keys;
  r[6] = static_cast<uint8_t>(dx);
  r[7] = static_cast<uint8_t>(dy);
  r[8] = model;
  return r;
}

constexpr uint8_t M1 = 0x10, M2 = 0x20, M3 = 0x40, G = 0x80;

std::vector<int> Decode(const Report& r, int style = 2, int length = 16) {
  StatusReportEvents events = DecodeStatusReport(r.data(), length, style);
  return {events.codes, events.codes + events.count};
}

class DeviceReportTest : public ::testing::Test {
 protected:
  // Every test starts from the state after program start: all zero.
  void SetUp() override { Decode(StatusReport(false, 0, 0, 0, 0)); }
};

TEST_F(DeviceReportTest, SequencesOfReports) {
  struct Step {
    Report report;
    int style;
    std::vector<int> events;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"held key raises once, release raises nothing, a new press raises again",
       {{StatusReport(true, M1), 2, {1, 2}},
        {StatusReport(true, M1), 2, {}},
        {StatusReport(true, M1, 5, 5), 2, {}},
        {StatusReport(true, 0), 2, {}},
        {StatusReport(true, M1), 2, {2}}}},
      {"link edges both ways",
       {{StatusReport(true, 0), 2, {1}}, {StatusReport(true, 0), 2, {}}, {StatusReport(false, 0), 2, {1}}}},
      {"all keys at once go out in code order",
       {{StatusReport(true, M1 | M2 | M3 | G), 1, {1, 2, 3, 4, 5}}}},
      {"style 1: media key 2 with motion raises nothing, the gesture key still does",
       {{StatusReport(false, M2 | G, 3, 0), 1, {5}}, {StatusReport(false, 0), 1, {}},
        {StatusReport(false, M2, 0, -1), 1, {}}, {StatusReport(false, M2), 1, {}}}},
      {"style 1: media key 2 without motion raises",
       {{StatusReport(false, M2), 1, {3}}}},
      {"style 2: the gesture key with motion raises nothing, media key 2 still does",
       {{StatusReport(false, M2 | G, 0, 7), 2, {3}}}},
      {"style 3: the gesture key with motion raises nothing; held on, it does not raise later",
       {{StatusReport(false, G, -4, 0), 3, {}}, {StatusReport(false, G), 3, {}}}},
      {"style 3: the gesture key without motion raises",
       {{StatusReport(false, G), 3, {5}}}},
  };
  for (const Case& c : cases) {
    SetUp();
    int n = 0;
    for (const Step& step : c.steps) EXPECT_EQ(Decode(step.report, step.style), step.events) << c.name << ", step " << n++;
  }
}

TEST_F(DeviceReportTest, StoresEveryValueOfTheReport) {
  Decode(StatusReport(true, M3 | G, -128, 127, 3));
  EXPECT_TRUE(DeviceStatus.bLinked);
  EXPECT_FALSE(DeviceStatus.bMediaKey1);
  EXPECT_FALSE(DeviceStatus.bMediaKey2);
  EXPECT_TRUE(DeviceStatus.bMediaKey3);
  EXPECT_TRUE(DeviceStatus.bGestureKey);
  EXPECT_EQ(DeviceStatus.nDeltaX, -128) << "sign-extended";
  EXPECT_EQ(DeviceStatus.nDeltaY, 127);
  EXPECT_EQ(DeviceStatus.nModelId, 3);
}

TEST_F(DeviceReportTest, OtherReportsChangeNothing) {
  Decode(StatusReport(true, M1, 1, 1, 1));
  Report wrongId = StatusReport(false, 0, 9, 9, 3);
  wrongId[0] = 0x05;
  EXPECT_EQ(Decode(wrongId), std::vector<int>{});
  EXPECT_EQ(Decode(StatusReport(false, 0, 9, 9, 3), 2, 15), std::vector<int>{});
  EXPECT_EQ(DecodeStatusReport(nullptr, 16, 2).count, 0);
  EXPECT_TRUE(DeviceStatus.bLinked);
  EXPECT_TRUE(DeviceStatus.bMediaKey1);
  EXPECT_EQ(DeviceStatus.nDeltaX, 1);
  EXPECT_EQ(DeviceStatus.nModelId, 1);
}

TEST_F(DeviceReportTest, TheFirstReportAfterStartWithAKeyHeldRaisesItsPress) {
  EXPECT_EQ(Decode(StatusReport(false, M3)), std::vector<int>{4});
}

std::vector<int> g_posted;

TEST_F(DeviceReportTest, OnDeviceReportPostsEachEventAndAlwaysHandlesTheReport) {
  g_posted.clear();
  const std::atomic<int> style{2};
  SetDeviceReportTarget([](int code) { g_posted.push_back(code); }, &style);
  Report r = StatusReport(true, M1);
  EXPECT_TRUE(OnDeviceReport(r.data(), 16));
  EXPECT_TRUE(OnDeviceReport(r.data(), 3));
  SetDeviceReportTarget(nullptr, &style);
  EXPECT_TRUE(OnDeviceReport(StatusReport(false, 0).data(), 16)) << "without a poster events are dropped";
  EXPECT_EQ(g_posted, (std::vector<int>{1, 2}));
}

}  // namespace
