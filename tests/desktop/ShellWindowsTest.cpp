// SPDX-License-Identifier: GPL-3.0-or-later
// Starting, finding and ending programs on Windows: a real program (a copy of the argument
// recorder under a name of the test's own) started through the shell, found through process
// enumeration and ended with taskkill.

#include "platform/shell.h"
#include "platform/windows/shell.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

namespace fs = std::filesystem;

class ShellWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    // A folder and program name of each test's own: a program just ended may keep its file busy
    // a moment longer, so no test reuses another's.
    static int tests = 0;
    const std::wstring id = std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++tests);
    m_folder = fs::path(temp) / (L"veltrio shell " + id);
    fs::remove_all(m_folder);
    fs::create_directories(m_folder);
    m_name = L"VeltrioRecorder" + id + L".exe";
    m_program = m_folder / m_name;
    fs::copy_file(platform::ProgramFolder() / VELTRIO_ARGV_RECORDER, m_program);
  }
  void TearDown() override {
    platform::EndProcessesByName(m_name);
    std::error_code error;
    fs::remove_all(m_folder, error);
  }

  // What the started recorder wrote, waiting for it to appear (it is renamed into place whole).
  std::string Recorded(const fs::path& file) {
    for (int i = 0; i < 3000 && !fs::exists(file); ++i) Sleep(10);
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path m_folder, m_program;
  std::wstring m_name;
};

TEST(CommandLineQuoting, SplitsBackIntoTheSameArguments) {
  const std::vector<std::vector<std::wstring>> cases = {
      {L"plain"},
      {L"two words", L"x"},
      {L""},
      {L"say \"hi\""},
      {L"C:\\folder with blanks\\"},
      {L"a\\\\b", L"\\\"", L"ends\\\\"},
      {L"tab\there", L"M\u00fcnchen \u2192"},
  };
  for (const auto& arguments : cases) {
    const std::wstring line = L"program.exe " + platform::QuoteCommandLine(arguments);
    int count = 0;
    LPWSTR* split = CommandLineToArgvW(line.c_str(), &count);
    ASSERT_NE(split, nullptr);
    std::vector<std::wstring> back(split + 1, split + count);
    LocalFree(split);
    EXPECT_EQ(back, arguments) << std::filesystem::path(line).string();
  }
}

TEST_F(ShellWindows, AStartedProgramGetsItsArgumentsByteForByte) {
  const fs::path record = m_folder / L"args.txt";
  const std::vector<std::wstring> arguments = {record.native(), L"C:\\pictures of mine\\pointer.png",
                                               L"say \"cheese\"", L"trailing\\", L"", L"M\u00fcnchen"};
  ASSERT_TRUE(platform::StartProgram(m_program, arguments, m_folder));
  EXPECT_EQ(Recorded(record),
            "[C:\\pictures of mine\\pointer.png]\n[say \"cheese\"]\n[trailing\\]\n[]\n[M\xc3\xbcnchen]\n");
}

TEST_F(ShellWindows, ProgramsAreFoundByNameAndPathAndEndedWithTaskkill) {
  EXPECT_FALSE(platform::IsProcessRunningByName(m_name));
  EXPECT_EQ(platform::EndProcessesByName(m_name), 0) << "nothing to end";
  const fs::path first = m_folder / L"first.txt", second = m_folder / L"second.txt";
  ASSERT_TRUE(platform::StartProgram(m_program, std::vector<std::wstring>{first.native()}));
  ASSERT_TRUE(platform::StartProgram(m_program, std::vector<std::wstring>{second.native()}));
  Recorded(first);
  Recorded(second);

  struct Case {
    std::wstring name;
    bool running;
  } byName[] = {{m_name, true}, {L"VELTRIORECORDER" + m_name.substr(15), true}, {L"VeltrioRecorder.exe", false}, {L"Veltrio.exe.not", false}};
  for (const Case& c : byName) EXPECT_EQ(platform::IsProcessRunningByName(c.name), c.running) << fs::path(c.name).string();
  EXPECT_TRUE(platform::IsProcessRunningByPath(m_program));
  EXPECT_FALSE(platform::IsProcessRunningByPath(m_folder / L"other.exe"));

  EXPECT_EQ(platform::EndProcessesByName(m_name), 2);
  EXPECT_FALSE(platform::IsProcessRunningByName(m_name));
}

TEST_F(ShellWindows, WhatCannotStartReportsFailure) {
  EXPECT_FALSE(platform::StartProgram(m_folder / L"missing.exe"));
  EXPECT_FALSE(platform::StartProgram({}));
  EXPECT_FALSE(platform::LaunchApplication(m_folder / L"missing.exe"));
  EXPECT_EQ(platform::ExecutableFileName("VtaPointer"), fs::path(L"VtaPointer.exe"));
  EXPECT_TRUE(fs::exists(platform::ProgramFolder() / VELTRIO_ARGV_RECORDER));
}

}  // namespace
