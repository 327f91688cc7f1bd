// SPDX-License-Identifier: GPL-3.0-or-later
// The Linux key backends: the one virtual-key table, what the uinput keyboard advertises and
// writes, and the choice of backend.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <unistd.h>

#include "linux/keys_linux.h"
#include "linux/keys_table_linux.h"

namespace {

using namespace platform::linux_keys;

// Every code a binding can produce: the fixed strokes of the functions, the key names of the
// custom key dialog, and the browser, volume and media keys.
std::vector<uint8_t> CodesBindingsProduce() {
  std::vector<uint8_t> codes = {0x08, 0x09, 0x0C, 0x0D, 0x10, 0x11, 0x12, 0x13, 0x14, 0x1B, 0x20,
                                0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B,
                                0x2C, 0x2D, 0x2E, 0x2F, 0x5B, 0x5C, 0x5D, 0x90, 0x91};
  for (int c = 0x30; c <= 0x39; ++c) codes.push_back(static_cast<uint8_t>(c));  // digits
  for (int c = 0x41; c <= 0x5A; ++c) codes.push_back(static_cast<uint8_t>(c));  // letters
  for (int c = 0x60; c <= 0x6F; ++c) codes.push_back(static_cast<uint8_t>(c));  // number pad
  for (int c = 0x70; c <= 0x7B; ++c) codes.push_back(static_cast<uint8_t>(c));  // F1-F12
  for (int c = 0xA0; c <= 0xB3; ++c) codes.push_back(static_cast<uint8_t>(c));  // sides, browser, media
  return codes;
}

TEST(KeyTable, MapsEveryCodeABindingCanProduce) {
  for (uint8_t code : CodesBindingsProduce()) {
    const VirtualKeyMapping* row = FindVirtualKey(code);
    ASSERT_NE(row, nullptr) << std::hex << int(code);
    EXPECT_NE(row->keysym, 0u) << std::hex << int(code);
    EXPECT_NE(row->evdevCode, 0u) << std::hex << int(code);
  }
}

TEST(KeyTable, LeftAndRightModifiersStayApart) {
  struct {
    uint8_t vk;
    uint32_t keysym;
    uint16_t evdev;
  } cases[] = {
      {0xA0, 0xFFE1, KEY_LEFTSHIFT}, {0xA1, 0xFFE2, KEY_RIGHTSHIFT}, {0xA2, 0xFFE3, KEY_LEFTCTRL},
      {0xA3, 0xFFE4, KEY_RIGHTCTRL}, {0xA4, 0xFFE9, KEY_LEFTALT},    {0xA5, 0xFFEA, KEY_RIGHTALT},
      {0x5B, 0xFFEB, KEY_LEFTMETA},  {0x5C, 0xFFEC, KEY_RIGHTMETA},  {0x41, 'a', KEY_A},
      {0xB3, 0x1008FF14, KEY_PLAYPAUSE}, {0x2C, 0xFF61, KEY_SYSRQ},
  };
  for (const auto& c : cases) {
    const VirtualKeyMapping* row = FindVirtualKey(c.vk);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->keysym, c.keysym) << std::hex << int(c.vk);
    EXPECT_EQ(row->evdevCode, c.evdev) << std::hex << int(c.vk);
  }
}

TEST(KeyTable, CodesWithoutMeaningHaveNoRow) {
  for (int code : {0x00, 0x01, 0x07, 0x0A, 0x3A, 0x40, 0xFF}) EXPECT_EQ(FindVirtualKey(static_cast<uint8_t>(code)), nullptr) << code;
}

TEST(UinputKeyboard, AdvertisesOnlyTheKeysItSends) {
  std::vector<uint16_t> codes = UinputKeyCodes();
  EXPECT_TRUE(std::is_sorted(codes.begin(), codes.end()));
  EXPECT_EQ(std::adjacent_find(codes.begin(), codes.end()), codes.end());
  std::set<uint16_t> advertised(codes.begin(), codes.end());
  for (uint8_t code : CodesBindingsProduce()) EXPECT_TRUE(advertised.count(FindVirtualKey(code)->evdevCode)) << int(code);
  // Keys no binding sends would make the device look like something it is not.
  for (uint16_t other : {KEY_POWER, KEY_WAKEUP, KEY_BRIGHTNESSUP, KEY_MICMUTE, BTN_LEFT})
    EXPECT_FALSE(advertised.count(other)) << other;
}

TEST(UinputKeyboard, WritesTheKeyThenAReport) {
  auto records = UinputRecords({.vk = 0x41, .down = true});
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].type, EV_KEY);
  EXPECT_EQ(records[0].code, KEY_A);
  EXPECT_EQ(records[0].value, 1);
  EXPECT_EQ(records[1].type, EV_SYN);
  EXPECT_EQ(records[1].code, SYN_REPORT);
  records = UinputRecords({.vk = 0xAF, .down = false, .scanCode = platform::ScanCodeRule::Zero});
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].code, KEY_VOLUMEUP);
  EXPECT_EQ(records[0].value, 0);
  EXPECT_TRUE(UinputRecords({.vk = 0x07}).empty());
}

TEST(UinputKeyboard, UnavailableNodeGivesNoInjector) {
  EXPECT_EQ(CreateUinputKeyInjector("/nonexistent/uinput"), nullptr);
  EXPECT_EQ(CreateUinputKeyInjector("/dev/null"), nullptr);  // not a uinput node: the set-up fails
}

TEST(KeyBackend, WithoutDisplayOrUinputNothingIsSent) {
  const char* saved = std::getenv("DISPLAY");
  std::string display = saved ? saved : "";
  ::unsetenv("DISPLAY");
  auto injector = platform::CreateKeyInjector();
  if (!display.empty()) ::setenv("DISPLAY", display.c_str(), 1);
  ASSERT_NE(injector, nullptr);
  const bool uinput = ::access("/dev/uinput", W_OK) == 0;
  EXPECT_EQ(injector->Name(), uinput ? "uinput" : "none");
  if (!uinput) {
    EXPECT_FALSE(injector->Send({.vk = 0x41}));
  }
}

TEST(KeyBackend, UnreachableDisplayIsNotUsed) {
  EXPECT_EQ(CreateXTestKeyInjector(":4711"), nullptr);
}

}  // namespace
