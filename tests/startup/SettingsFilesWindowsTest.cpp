// SPDX-License-Identifier: GPL-3.0-or-later
// The settings folder under the local application data folder, and whole-file replacement.

#include "platform/files.h"
#include "platform/paths.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(SettingsFolderWindows, IsVeltrioUnderLocalAppDataCreatedWhenMissing) {
  PWSTR known = nullptr;
  ASSERT_TRUE(SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &known)));
  const fs::path expected = fs::path(known) / L"Veltrio";
  CoTaskMemFree(known);
  // This test owns the folder in its Wine prefix; an empty one is removed to see it created, a
  // settings file in it is kept.
  std::error_code error;
  if (fs::is_directory(expected, error) && fs::is_empty(expected, error)) fs::remove(expected, error);

  const fs::path folder = platform::SettingsFolder();
  EXPECT_EQ(folder, expected);
  EXPECT_TRUE(fs::is_directory(expected));
  EXPECT_EQ(platform::SettingsFolder(), expected) << "an existing folder is taken as it is";
}

class AtomicWriteWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    m_folder = fs::path(temp) / (L"veltrio-files-" + std::to_wstring(GetCurrentProcessId()));
    fs::remove_all(m_folder);
    fs::create_directories(m_folder);
    m_file = m_folder / L"global.xml";
  }
  void TearDown() override {
    SetFileAttributesW(m_file.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::error_code error;
    fs::remove_all(m_folder, error);
  }
  // The names in the folder, so that a file left behind shows by name.
  std::vector<std::string> FilesInFolder() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_folder)) names.push_back(entry.path().filename().string());
    return names;
  }

  fs::path m_folder, m_file;
};

TEST_F(AtomicWriteWindows, WritesAndReplacesWholeFiles) {
  ASSERT_TRUE(platform::WriteFileAtomically(m_file, "first"));
  EXPECT_EQ(ReadAll(m_file), "first");
  ASSERT_TRUE(platform::WriteFileAtomically(m_file, std::string(100000, 'x')));
  EXPECT_EQ(ReadAll(m_file), std::string(100000, 'x'));
  ASSERT_TRUE(platform::WriteFileAtomically(m_file, ""));
  EXPECT_EQ(ReadAll(m_file), "");
  EXPECT_EQ(FilesInFolder(), std::vector<std::string>{"global.xml"}) << "no temporary file is left";
}

TEST_F(AtomicWriteWindows, AFailedWriteKeepsTheOldFile) {
  ASSERT_TRUE(platform::WriteFileAtomically(m_file, "old"));
  struct Case {
    const char* name;
    std::function<std::function<void()>()> block;  // blocks the replacement, returns the undo
  } cases[] = {
      {"read-only file",
       [&] {
         SetFileAttributesW(m_file.c_str(), FILE_ATTRIBUTE_READONLY);
         return std::function<void()>([&] { SetFileAttributesW(m_file.c_str(), FILE_ATTRIBUTE_NORMAL); });
       }},
      {"file held open by another program",
       [&] {
         HANDLE open = CreateFileW(m_file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
         EXPECT_NE(open, INVALID_HANDLE_VALUE);
         return std::function<void()>([open] { CloseHandle(open); });
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::function<void()> undo = c.block();
    EXPECT_FALSE(platform::WriteFileAtomically(m_file, "new"));
    undo();
    EXPECT_EQ(ReadAll(m_file), "old");
    // Only our own temporary file ("vlt*.tmp") counts: Wine's ReplaceFileW leaves a copy of its
    // own ("rfc*.tmp") when the replaced file is held open.
    for (const std::string& name : FilesInFolder()) EXPECT_NE(name.rfind("vlt", 0), 0u) << name << " was left";
  }
  EXPECT_FALSE(platform::WriteFileAtomically(m_folder / L"missing" / L"global.xml", "new")) << "no such folder";
  EXPECT_FALSE(platform::WriteFileAtomically({}, "new"));
}

}  // namespace
