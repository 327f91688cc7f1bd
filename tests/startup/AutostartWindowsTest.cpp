// SPDX-License-Identifier: GPL-3.0-or-later
// Launch at start on Windows: the Run value under HKEY_CURRENT_USER, written, read and removed.
// HKEY_CURRENT_USER is redirected to a key of the test's own for the test's duration, so the
// Wine prefix's real Run key is never touched.

#include "platform/autostart.h"
#include "platform/windows/autostart.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

class AutostartWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    m_keyName = L"Software\\VeltrioTests\\autostart-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, m_keyName.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_root, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, m_root), ERROR_SUCCESS);
  }
  void TearDown() override {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(m_root);
    RegDeleteTreeW(HKEY_CURRENT_USER, m_keyName.c_str());
  }

  // The Run value as it is stored; nullopt when there is none.
  static std::optional<std::wstring> RunValue() {
    wchar_t data[1024] = {};
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, platform::kRunKey, platform::kRunValueName, RRF_RT_REG_SZ, nullptr, data, &size) !=
        ERROR_SUCCESS)
      return std::nullopt;
    return std::wstring(data);
  }

  std::wstring m_keyName;
  HKEY m_root = nullptr;
};

TEST_F(AutostartWindows, TheValueNamesTheQuotedProgramWithBoot) {
  struct Case {
    const wchar_t* executable;
    const wchar_t* data;
  } cases[] = {
      {L"C:\\Veltrio\\veltrio.exe", L"\"C:\\Veltrio\\veltrio.exe\" -boot"},
      {L"C:\\Program Files\\Veltrio\\veltrio.exe", L"\"C:\\Program Files\\Veltrio\\veltrio.exe\" -boot"},
      {L"D:\\M\u00fcnchen & Co\\veltrio.exe", L"\"D:\\M\u00fcnchen & Co\\veltrio.exe\" -boot"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::filesystem::path(c.executable).string());
    ASSERT_TRUE(platform::SetLaunchAtStart(true, c.executable));
    EXPECT_EQ(RunValue(), std::wstring(c.data));
    EXPECT_TRUE(platform::IsLaunchAtStartRegistered());
    ASSERT_TRUE(platform::SetLaunchAtStart(false, c.executable));
    EXPECT_EQ(RunValue(), std::nullopt) << "disabling removes the value";
    EXPECT_FALSE(platform::IsLaunchAtStartRegistered());
  }
  EXPECT_TRUE(platform::SetLaunchAtStart(false, L"C:\\veltrio.exe")) << "nothing to disable is no failure";
}

TEST_F(AutostartWindows, OnlyANonEmptyStringCounts) {
  HKEY run = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, platform::kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &run, nullptr),
            ERROR_SUCCESS);
  const wchar_t empty[] = L"";
  RegSetValueExW(run, platform::kRunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(empty), sizeof empty);
  EXPECT_FALSE(platform::IsLaunchAtStartRegistered()) << "the empty value an older version left when disabled";
  const DWORD number = 1;
  RegSetValueExW(run, platform::kRunValueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  EXPECT_FALSE(platform::IsLaunchAtStartRegistered()) << "a value of another type";
  RegCloseKey(run);
}

TEST_F(AutostartWindows, AFailedWriteIsReportedAndChangesNothing) {
  EXPECT_FALSE(platform::SetLaunchAtStart(true, L"C:\\bad\"name\\veltrio.exe")) << "a path that cannot be quoted";
  EXPECT_EQ(RunValue(), std::nullopt);
  EXPECT_FALSE(platform::SetLaunchAtStart(true, L""));

  // The user's registry gone from under the program: the key cannot be created.
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, m_keyName.c_str()), ERROR_SUCCESS);  // the key itself too
  ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, m_root), ERROR_SUCCESS);
  EXPECT_FALSE(platform::SetLaunchAtStart(true, L"C:\\Veltrio\\veltrio.exe"));
  EXPECT_FALSE(platform::IsLaunchAtStartRegistered());
}

}  // namespace
