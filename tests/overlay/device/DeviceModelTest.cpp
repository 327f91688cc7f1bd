// SPDX-License-Identifier: GPL-3.0-or-later
// The pure pieces of the overlay device layer: interface paths, model codes, vendor collections,
// version texts and the meaning of vendor reports.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/DeviceModel.h"
#include "device/InterfacePath.h"

namespace {

struct PathCase {
  const char* name;
  const char* path;
  bool valid;
  std::uint32_t vendor, product, group;
};

// Paths shaped as the Windows backend gives them: device interface paths of HID collections.
const PathCase kPaths[] = {
    {"composite collection",
     R"(\\?\hid#vid_0c16&pid_0010&mi_01&col02#8&2b1a3c4d&0&0001#{4d1e55b2-f16f-11cf-88cb-001111000030})",
     true, 0x0C16, 0x0010, 0x2B1A3C4D},
    {"upper case is lowered",
     R"(\\?\HID#VID_0C16&PID_0013&MI_01&COL01#8&2B1A3C4D&0&0000#{4D1E55B2-F16F-11CF-88CB-001111000030})",
     true, 0x0C16, 0x0013, 0x2B1A3C4D},
    {"sibling collection shares the group",
     R"(\\?\hid#vid_0c16&pid_0010&mi_01&col01#8&2b1a3c4d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})",
     true, 0x0C16, 0x0010, 0x2B1A3C4D},
    {"bluetooth form, extended vendor id",
     R"(\\?\hid#{00001124-0000-1000-8000-00805f9b34fb}_vid&00020c16_pid&0013&col02#9&1f2e3d4c&0&0001#{4d1e55b2-f16f-11cf-88cb-001111000030})",
     true, 0x0C16, 0x0013, 0x1F2E3D4C},
    {"extended id of another vendor is kept",
     R"(\\?\hid#{00001124-0000-1000-8000-00805f9b34fb}_vid&0002046d_pid&b01a&col01#9&1f2e&0&0000#{x})", true,
     0x2046D, 0xB01A, 0x1F2E},
    {"no collection part",
     R"(\\?\hid#vid_046d&pid_c52b&mi_00#7&1a2b3c4d&0&0000#{378de44c-56ef-11d1-bc8c-00a0c91405dd})", false,
     0x046D, 0xC52B, 0},
    {"collection without a group run", R"(\\?\hid#vid_0c16&pid_0010&col01)", false, 0x0C16, 0x0010, 0},
    {"no vendor id", R"(\\?\hid#pid_0010&col01#8&2b1a&0&0000#{x})", false, 0, 0, 0x2B1A},
    {"vendor id that is not hexadecimal", R"(\\?\hid#vid_0g16&pid_0010&col01#8&2b1a&0&0000#{x})", false, 0,
     0x0010, 0x2B1A},
    {"vendor id beyond 32 bits", R"(\\?\hid#vid_1234567890&pid_0010&col01#8&2b1a&0&0000#{x})", false, 0,
     0x0010, 0x2B1A},
    {"group id beyond 32 bits", R"(\\?\hid#vid_0c16&pid_0010&col01#8&123456789&0&0000#{x})", false, 0x0C16,
     0x0010, 0},
    {"empty", "", false, 0, 0, 0},
    {"a Linux node is not a Windows path", "/dev/hidraw3#col01", false, 0, 0, 0},
};

TEST(InterfacePathTest, ReadsVendorProductAndGroup) {
  for (const PathCase& c : kPaths) {
    SCOPED_TRACE(c.name);
    const InterfaceIdentity identity = ParseInterfacePath(c.path);
    EXPECT_EQ(identity.valid, c.valid);
    EXPECT_EQ(identity.vendorId, c.vendor);
    EXPECT_EQ(identity.productId, c.product);
    EXPECT_EQ(identity.groupId, c.group);
  }
}

TEST(InterfacePathTest, HexadecimalRuns) {
  struct Case {
    const char* text;
    bool ok;
    std::uint32_t value;
  } cases[] = {
      {"0c16", true, 0x0C16},
      {"0x0C16", true, 0x0C16},
      {"0X20c16", true, 0x20C16},
      {"ffffffff", true, 0xFFFFFFFF},
      {"000000001", true, 1},
      {"100000000", false, 0},
      {"", false, 0},
      {"0x", false, 0},
      {"12z", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::uint32_t value = 0;
    EXPECT_EQ(ParseHex32(c.text, &value), c.ok);
    if (c.ok) {
      EXPECT_EQ(value, c.value);
    }
  }
}

TEST(DeviceModelTest, ModelCodeByProductAndState) {
  struct Case {
    std::uint32_t product;
    int state;
    std::uint32_t model;
  } cases[] = {
      {15, 4, 2},  {15, 5, 13}, {15, 11, 18}, {15, 0, 15}, {15, 6, 15},     {15, -1, 15},
      {16, 0, 12}, {16, 5, 12}, {3, 7, 3},    {19, 4, 19}, {2310, 0, 2310},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ModelCodeFor(c.product, c.state), c.model) << c.product << "/" << c.state;
}

TEST(DeviceModelTest, VendorCollectionByProduct) {
  struct Case {
    std::uint32_t product;
    std::uint16_t page;
  } cases[] = {
      {1, 0xFF00},  {2, 0xFF00},  {12, 0xFF00},   {18, 0xFF00}, {13, 0xFF02}, {15, 0xFF02},
      {16, 0xFF02}, {19, 0xFF02}, {2310, 0xFF01}, {3, 0},       {0, 0},       {0x10015, 0},
  };
  for (const Case& c : cases) {
    const VendorCollection collection = VendorCollectionFor(c.product);
    EXPECT_EQ(collection.usagePage, c.page) << c.product;
    EXPECT_EQ(collection.usage, c.page ? 1 : 0) << c.product;
  }
}

TEST(DeviceModelTest, VersionText) {
  EXPECT_EQ(VersionText(0x0211), "2.1.1");
  EXPECT_EQ(VersionText(0x0123), "1.2.3");
  EXPECT_EQ(VersionText(0x12AF), "18.10.15");
  EXPECT_EQ(VersionText(0), "0.0.0");
}

// One vendor report after another for one group; the group's state carries over.
struct Step {
  int reportId;
  int value;
  std::vector<MouseButtonEvent_t> buttons;
  bool passOn = false;
  bool modelChanged = false;
  std::uint32_t model = 0;  // checked when modelChanged
};

struct Sequence {
  const char* name;
  std::uint32_t product;
  std::vector<Step> steps;
};

const Sequence kSequences[] = {
    {"bit buttons: press and release", 16, {{5, 0x08, {8}}, {5, 0x00, {9}}}},
    {"bit buttons: two at once, order 8 10 12 14", 16, {{5, 0x48, {8, 10}}, {5, 0x78, {8, 10, 12, 14}}}},
    {"bit buttons: a held bit repeats its press",
     15,
     {{5, 0x10, {12}}, {5, 0x10, {12}}, {5, 0x30, {12, 14}}, {5, 0x20, {13, 14}}}},
    {"bit buttons: other bits mean nothing", 16, {{5, 0x07, {}}, {5, -128, {}}}},
    {"bit buttons: a sign bit does not leak into the others", 16, {{5, -0x78 /* 0x88 */, {8}}, {5, 0, {9}}}},
    {"value buttons of product 19",
     19,
     {{5, 0, {7}}, {5, 0x08, {8}}, {5, 0x40, {10}}, {5, 0x10, {12}}, {5, 0x20, {14}}}},
    {"product 19 passes unknown values on", 19, {{5, 0x02, {}, true}, {5, 0x48, {}, true}}},
    {"value buttons of other products",
     2310,
     {{5, 0, {7}}, {5, 0x68, {8}}, {5, 0x69, {10}}, {5, 0x6A, {12}}, {5, 0x6B, {14}}, {5, 0x08, {}}}},
    {"other report ids are passed on", 16, {{7, 3, {}, true}, {0x21, -1, {}, true}, {-14, 5, {}, true}}},
    {"state changes the model once",
     15,
     {{14, 5, {}, false, true, 13}, {14, 5, {}}, {14, 4, {}, false, true, 2}, {14, 9, {}, false, true, 15}}},
    {"state of a product with one model", 16, {{14, 5, {}}, {14, 0, {}}}},
};

TEST(VendorReportTest, DecodesByProduct) {
  for (const Sequence& sequence : kSequences) {
    SCOPED_TRACE(sequence.name);
    std::uint32_t model = ModelCodeFor(sequence.product, 0);
    std::uint8_t last = 0;
    for (std::size_t i = 0; i < sequence.steps.size(); ++i) {
      const Step& step = sequence.steps[i];
      SCOPED_TRACE("step " + std::to_string(i));
      const VendorReportEffect effect =
          DecodeVendorReport(sequence.product, model, step.reportId, step.value, last);
      EXPECT_EQ(effect.buttons, step.buttons);
      EXPECT_EQ(effect.passOn, step.passOn);
      EXPECT_EQ(effect.modelChanged, step.modelChanged);
      if (step.modelChanged) {
        EXPECT_EQ(effect.modelCode, step.model);
      }
      model = effect.modelCode;
      last = effect.lastButtons;
    }
  }
}

}  // namespace
