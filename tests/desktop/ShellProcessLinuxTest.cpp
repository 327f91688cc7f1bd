// SPDX-License-Identifier: GPL-3.0-or-later
// Starting programs and finding and ending processes, with real processes (copies of the stub
// program under names no other test uses).

#include <gtest/gtest.h>

#include "StubPrograms.h"
#include "platform/shell.h"
#include "platform/utf.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using stubs::IsAlive;
using stubs::ProcessesOf;
using stubs::WaitForRecords;

class Processes : public ::testing::Test {
 protected:
  void SetUp() override {
    m_name = "vt-desktop-" + std::to_string(::getpid());
    m_program = m_stubs.Install(m_stubs.Programs() / m_name);
  }
  void TearDown() override { platform::EndProcessesByName(m_name); }

  stubs::StubFolder m_stubs{"processes"};
  std::string m_name;
  fs::path m_program;
};

TEST_F(Processes, ArgumentsArriveUnchangedInTheWorkingFolder) {
  const std::vector<std::wstring> args = {L"", L"two words", L"\"; rm -rf / #", L"$HOME `id` $(id)",
                                          L"*", L"\u00fcber \u65e5\u672c", L"tab\there\nnewline"};
  ASSERT_TRUE(platform::StartProgram(m_program, args, m_stubs.Root()));
  auto records = WaitForRecords(m_stubs.Records(), m_name, 1);
  ASSERT_EQ(records.size(), 1u);
  ASSERT_EQ(records[0].args.size(), args.size());
  for (size_t i = 0; i < args.size(); ++i) EXPECT_EQ(records[0].args[i], platform::ToUtf8(args[i])) << i;
  EXPECT_EQ(records[0].cwd, m_stubs.Root().native());
}

TEST_F(Processes, MissingProgramIsNotStarted) {
  EXPECT_FALSE(platform::StartProgram(m_stubs.Programs() / "missing"));
  EXPECT_FALSE(platform::LaunchApplication(m_stubs.Programs() / "missing"));
}

TEST_F(Processes, FoundByNameAndByPathIgnoringCase) {
  EXPECT_FALSE(platform::IsProcessRunningByName(m_name));
  EXPECT_FALSE(platform::IsProcessRunningByPath(m_program));
  ASSERT_TRUE(platform::StartProgram(m_program));
  std::string upper = m_name;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_TRUE(platform::IsProcessRunningByName(m_name));
  EXPECT_TRUE(platform::IsProcessRunningByName(upper));
  EXPECT_FALSE(platform::IsProcessRunningByName(m_name + "x"));
  EXPECT_TRUE(platform::IsProcessRunningByPath(m_program));
  EXPECT_TRUE(platform::IsProcessRunningByPath(m_program.parent_path() / upper));
  EXPECT_FALSE(platform::IsProcessRunningByPath(m_stubs.Root() / m_name));
  // A path through a link names the program it leads to.
  fs::create_directory_symlink(m_stubs.Programs(), m_stubs.Root() / "link");
  EXPECT_TRUE(platform::IsProcessRunningByPath(m_stubs.Root() / "link" / m_name));
}

TEST_F(Processes, EndingWaitsUntilEveryInstanceIsGone) {
  ASSERT_TRUE(platform::StartProgram(m_program));
  ASSERT_TRUE(platform::StartProgram(m_program));
  auto records = WaitForRecords(m_stubs.Records(), m_name, 2);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(platform::EndProcessesByName(m_name), 2);
  for (const auto& record : records) EXPECT_FALSE(IsAlive(record.pid));
  EXPECT_FALSE(platform::IsProcessRunningByName(m_name));
  EXPECT_EQ(platform::EndProcessesByName(m_name), 0);
}

TEST_F(Processes, ProgramThatEndsByItselfLeavesNoZombie) {
  m_stubs.SetEnv("VELTRIO_STUB_SECONDS", "0");
  ASSERT_TRUE(platform::StartProgram(m_program));
  auto records = WaitForRecords(m_stubs.Records(), m_name, 1);
  ASSERT_EQ(records.size(), 1u);
  const fs::path entry = "/proc/" + std::to_string(records[0].pid);
  for (int i = 0; i < 500 && fs::exists(entry); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_FALSE(fs::exists(entry)) << "the ended program was not collected";
}

TEST_F(Processes, DocumentOpensWithTheDesktopsOpener) {
  fs::create_directories(m_stubs.Root() / "bin");
  m_stubs.Install(m_stubs.Root() / "bin" / "xdg-open");
  m_stubs.SetEnv("PATH", (m_stubs.Root() / "bin").native());
  const fs::path document = m_stubs.Root() / "slides deck.odp";
  std::ofstream(document) << "slides";
  ASSERT_TRUE(platform::LaunchApplication(document));
  auto records = WaitForRecords(m_stubs.Records(), "xdg-open", 1);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].args, std::vector<std::string>{document.native()});
}

TEST(ProgramFolder, HoldsTheRunningExecutable) {
  EXPECT_TRUE(fs::exists(platform::ProgramFolder() / "desktop_tests"));
}

// A process of the same name that runs as another user is not this user's to find or end.
TEST_F(Processes, AnotherUsersProcessIsNeitherFoundNorEnded) {
  if (::geteuid() != 0) GTEST_SKIP() << "changing to another user needs root";
  // A copy of sleep under the test's name, in a folder the other user may enter.
  const fs::path folder = fs::temp_directory_path() / ("vt-other-user-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  ::chmod(folder.c_str(), 0755);
  const fs::path program = folder / m_name;
  fs::copy_file("/bin/sleep", program, fs::copy_options::overwrite_existing);
  ::chmod(program.c_str(), 0755);
  const pid_t other = ::fork();
  if (other == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(126);
    ::execl(program.c_str(), m_name.c_str(), "30", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ASSERT_GT(other, 0);
  // Wait until it runs the copy (until then its executable is still this test's).
  const fs::path exe = "/proc/" + std::to_string(other) + "/exe";
  std::error_code unreadable;
  for (int i = 0; i < 500 && fs::read_symlink(exe, unreadable) != program; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_EQ(fs::read_symlink(exe), program);

  EXPECT_FALSE(platform::IsProcessRunningByName(m_name));
  EXPECT_FALSE(platform::IsProcessRunningByPath(program));
  EXPECT_EQ(platform::EndProcessesByName(m_name), 0);
  EXPECT_TRUE(IsAlive(other));
  ::kill(other, SIGKILL);
  ::waitpid(other, nullptr, 0);
  fs::remove_all(folder);
}

}  // namespace
