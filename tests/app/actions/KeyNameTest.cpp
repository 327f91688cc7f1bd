// SPDX-License-Identifier: GPL-3.0-or-later
// The names the custom key dialog shows, and the keys it accepts.

#include <gtest/gtest.h>

#include "actions/KeyName.h"

namespace {

TEST(KeyNameTest, NamesByTheTableAndByTheCharacterTyped) {
  const struct {
    uint8_t vk;
    const wchar_t* name;
  } cases[] = {
      {0x00, L""},        {0xFF, L""},          {0x08, L"Backspace"}, {0x0D, L"Enter"},  {0x2B, L"Enter"},
      {0x21, L"PageUp"},  {0x22, L"PageDown"},  {0x2C, L"Snapshot"},  {0x5D, L"App"},    {0x60, L"(0)"},
      {0x69, L"(9)"},     {0x6A, L"(*)"},       {0x6C, L"\\"},        {0x6F, L"(/)"},    {0x70, L"F1"},
      {0x7B, L"F12"},     {0x7C, L""},          {0x90, L"Numlock"},   {0x91, L"Scroll Lock"},
      {0xA0, L"LShift"},  {0xA5, L"RAlt"},      {0x41, L"A"},         {0x5A, L"Z"},      {0x30, L"0"},
      {0x39, L"9"},       {0xBA, L";"},         {0xBC, L","},         {0xDE, L"'"},      {0x07, L""},
      {0xE7, L""},
  };
  for (const auto& c : cases) EXPECT_EQ(GetKeyName(c.vk), c.name) << "vk 0x" << std::hex << int(c.vk);
}

TEST(KeyNameTest, OnlyLettersAndDigitsAreCombinationKeys) {
  for (int vk = 0; vk < 256; ++vk) {
    const bool letterOrDigit = (vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9');
    EXPECT_EQ(IsCombinationKey(static_cast<uint8_t>(vk)), letterOrDigit) << vk;
  }
}

}  // namespace
