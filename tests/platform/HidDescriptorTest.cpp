// SPDX-License-Identifier: GPL-3.0-or-later
// The report descriptor parser against golden files: each tests/fixtures/hid/NAME.hex holds a
// descriptor, NAME.caps what the parser must make of it. VELTRIO_UPDATE_FIXTURES=1 rewrites the
// .caps files from the current parser (review the diff before committing it).

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "HexFixture.h"
#include "platform/hid_descriptor.h"

namespace {

using platform::DescribeHidDescriptorParse;
using platform::ParseHidReportDescriptor;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class GoldenDescriptor : public testing::TestWithParam<const char*> {};

TEST_P(GoldenDescriptor, ParsesAsRecorded) {
  const std::string base = std::string(VELTRIO_HID_FIXTURES) + "/" + GetParam();
  const std::vector<std::uint8_t> bytes = hidtest::LoadHexFile(base + ".hex");
  ASSERT_FALSE(bytes.empty());
  const std::string actual = DescribeHidDescriptorParse(ParseHidReportDescriptor(bytes.data(), bytes.size()));
  if (const char* update = std::getenv("VELTRIO_UPDATE_FIXTURES"); update && *update == '1') {
    std::ofstream(base + ".caps", std::ios::binary) << actual;
    GTEST_SKIP() << "rewrote " << base << ".caps";
  }
  EXPECT_EQ(ReadFile(base + ".caps"), actual);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, GoldenDescriptor,
                         testing::Values("remote_vendor", "remote_mouse", "remote_novendor", "keyboard_ids",
                                         "multi_collection"));

// The facts the device link depends on, stated outright rather than only through the golden file.
TEST(HidDescriptor, VendorCollectionHasTheRemotesShape) {
  const auto bytes = hidtest::LoadHexFile(std::string(VELTRIO_HID_FIXTURES) + "/remote_vendor.hex");
  const auto parse = ParseHidReportDescriptor(bytes.data(), bytes.size());
  ASSERT_TRUE(parse.ok) << parse.error;
  ASSERT_EQ(parse.collections.size(), 2u);
  const auto& vendor = parse.collections[0];
  EXPECT_EQ(vendor.caps.UsagePage, 0xFF01);
  EXPECT_EQ(vendor.caps.Usage, 0x0000);
  EXPECT_EQ(vendor.caps.InputReportByteLength, 16);
  EXPECT_EQ(vendor.caps.OutputReportByteLength, 16);
  EXPECT_EQ(vendor.caps.FeatureReportByteLength, 0);
  ASSERT_EQ(vendor.outputValueCaps.size(), 1u);
  EXPECT_EQ(vendor.outputValueCaps[0].ReportID, 0x0A);
  EXPECT_EQ(vendor.outputValueCaps[0].ReportCount, 15);
  EXPECT_EQ(parse.collections[1].caps.UsagePage, 0x000C);
  EXPECT_EQ(parse.collections[1].inputReportIds, std::vector<std::uint8_t>{0x03});
}

TEST(HidDescriptor, ReportWithoutIdsStillCountsTheIdByte) {
  const auto bytes = hidtest::LoadHexFile(std::string(VELTRIO_HID_FIXTURES) + "/remote_mouse.hex");
  const auto parse = ParseHidReportDescriptor(bytes.data(), bytes.size());
  ASSERT_TRUE(parse.ok) << parse.error;
  EXPECT_FALSE(parse.collections[0].usesReportIds);
  EXPECT_EQ(parse.collections[0].caps.InputReportByteLength, 5);  // 4 data bytes + id 0
  EXPECT_EQ(parse.collections[0].inputReportIds, std::vector<std::uint8_t>{0});
}

struct MalformedCase {
  std::string name, bytes, error;
};

std::vector<MalformedCase> LoadMalformed() {
  std::vector<MalformedCase> cases;
  std::istringstream lines(ReadFile(std::string(VELTRIO_HID_FIXTURES) + "/malformed.txt"));
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] == '#') continue;
    const auto first = line.find('|'), second = line.find('|', first + 1);
    auto trim = [](std::string s) {
      s.erase(0, s.find_first_not_of(' '));
      s.erase(s.find_last_not_of(' ') + 1);
      return s;
    };
    cases.push_back({trim(line.substr(0, first)), line.substr(first + 1, second - first - 1),
                     trim(line.substr(second + 1))});
  }
  return cases;
}

TEST(HidDescriptor, MalformedDescriptorsFailClearly) {
  const auto cases = LoadMalformed();
  ASSERT_GE(cases.size(), 10u);
  for (const MalformedCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto bytes = hidtest::ParseHex(c.bytes);
    const auto parse = ParseHidReportDescriptor(bytes.data(), bytes.size());
    EXPECT_FALSE(parse.ok);
    EXPECT_TRUE(parse.collections.empty());
    EXPECT_NE(parse.error.find(c.error), std::string::npos) << parse.error;
  }
}

TEST(HidDescriptor, OversizedDescriptorIsRefused) {
  std::vector<std::uint8_t> bytes(platform::kHidMaxDescriptorSize + 1, 0x00);
  const auto parse = ParseHidReportDescriptor(bytes.data(), bytes.size());
  EXPECT_FALSE(parse.ok);
  EXPECT_NE(parse.error.find("exceeds"), std::string::npos);
}

}  // namespace
