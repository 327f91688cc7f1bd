// SPDX-License-Identifier: GPL-3.0-or-later
// The functions that start programs, with real processes: the overlays, the user's
// application and the desktop's programs, all played by copies of the stub program.

#include <gtest/gtest.h>

#include "RecordingKeyInjector.h"
#include "StubPrograms.h"
#include "actions/ActionRuntime.h"
#include "platform/utf.h"

namespace {

namespace fs = std::filesystem;
using stubs::IsAlive;
using stubs::ProcessesOf;
using stubs::WaitForRecords;

class Launch : public ::testing::Test {
 protected:
  void SetUp() override {
    m_pointer = m_stubs.Install(m_stubs.Programs() / "VtaPointer");
    m_volume = m_stubs.Install(m_stubs.Programs() / "VtaGyroVol");
    m_runtime.SetProgramFolder(m_stubs.Programs());
    m_runtime.SetKeyWait([] {});
    // Desktop programs are looked up only in the test's own folders.
    fs::create_directories(m_stubs.Root() / "bin");
    for (const char* name : {"PATH", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS"})
      m_stubs.SetEnv(name, (m_stubs.Root() / "bin").native());
    m_stubs.SetEnv("XDG_CONFIG_HOME", (m_stubs.Root() / "config").native());
    m_stubs.SetEnv("XDG_DATA_HOME", (m_stubs.Root() / "data").native());
  }

  void TearDown() override {
    m_runtime.EndPointerOverlay();
    m_runtime.EndVolumeOverlay();
  }

  void PerformPointer(const std::wstring& imagePath) { m_runtime.PerformFunction(101, {}, {}, imagePath); }

  stubs::StubFolder m_stubs{"launch"};
  fs::path m_pointer, m_volume;
  CGlobalSettings m_settings;
  RecordingKeyInjector m_keys;
  CActionRuntime m_runtime{m_settings, m_keys};
};

TEST_F(Launch, PointerOverlayAlternatesBetweenStartAndEnd) {
  const std::wstring image = L"/pictures/pointer.png";
  PerformPointer(image);
  auto records = WaitForRecords(m_stubs.Records(), "VtaPointer", 1);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].args, std::vector<std::string>{"/pictures/pointer.png"});
  EXPECT_EQ(records[0].cwd, m_stubs.Programs().native());
  EXPECT_TRUE(m_runtime.IsPointerOverlayRunning());

  PerformPointer(image);
  EXPECT_FALSE(m_runtime.IsPointerOverlayRunning());  // ended and waited for
  EXPECT_FALSE(IsAlive(records[0].pid));

  PerformPointer(image);
  EXPECT_EQ(WaitForRecords(m_stubs.Records(), "VtaPointer", 2).size(), 2u);
  EXPECT_EQ(ProcessesOf(m_pointer).size(), 1u);
}

TEST_F(Launch, PointerImagePathArrivesAsOneArgumentByteForByte) {
  const std::wstring paths[] = {
      L"/home/user/My Pictures/laser pointer.png",
      L"/tmp/\"quoted\" and 'single'.png",
      L"/tmp/$(touch pwned); touch pwned2 `id` | & > pwned3.png",
      L"/home/us\u00e9r/\u6f22\u5b57/\u263a \U0001F600.png",
      L" leading and trailing blanks ",
  };
  for (const std::wstring& path : paths) {
    PerformPointer(path);
    auto records = WaitForRecords(m_stubs.Records(), "VtaPointer", 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].args, std::vector<std::string>{platform::ToUtf8(path)});
    m_runtime.EndPointerOverlay();
    fs::remove(m_stubs.Records() / ("VtaPointer." + std::to_string(records[0].pid)));
  }
  for (const char* name : {"pwned", "pwned2", "pwned3.png"}) {
    EXPECT_FALSE(fs::exists(m_stubs.Programs() / name)) << name;
    EXPECT_FALSE(fs::exists(fs::current_path() / name)) << name;
  }
}

TEST_F(Launch, PointerOverlayWithoutImageStartsWithoutArguments) {
  PerformPointer(L"");
  auto records = WaitForRecords(m_stubs.Records(), "VtaPointer", 1);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_TRUE(records[0].args.empty());
}

TEST_F(Launch, VolumeOverlayPressedTwiceLeavesOneRunning) {
  m_runtime.PerformFunction(401, {}, {}, L"");
  auto first = WaitForRecords(m_stubs.Records(), "VtaGyroVol", 1);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_TRUE(first[0].args.empty());
  m_runtime.PerformFunction(401, {}, {}, L"");
  auto both = WaitForRecords(m_stubs.Records(), "VtaGyroVol", 2);
  ASSERT_EQ(both.size(), 2u);
  EXPECT_FALSE(IsAlive(first[0].pid));
  EXPECT_EQ(ProcessesOf(m_volume).size(), 1u);
}

TEST_F(Launch, EndingAnOverlayThatDoesNotRunReturns) {
  m_runtime.EndPointerOverlay();
  m_runtime.EndVolumeOverlay();
  EXPECT_FALSE(m_runtime.IsPointerOverlayRunning());
}

TEST_F(Launch, MissingOverlayStartsNothing) {
  fs::remove(m_pointer);
  PerformPointer(L"/pictures/pointer.png");
  EXPECT_FALSE(m_runtime.IsPointerOverlayRunning());
}

TEST_F(Launch, ApplicationFollowsTheMultipleInstancesFlag) {
  const fs::path app = m_stubs.Install(m_stubs.Root() / "My Apps" / "tool");
  const ApplicationEntry single{false, platform::FromPath(app)};
  const ApplicationEntry multiple{true, platform::FromPath(app)};

  m_runtime.PerformFunction(206, {}, single, L"");
  EXPECT_EQ(ProcessesOf(app).size(), 1u);
  m_runtime.PerformFunction(206, {}, single, L"");
  EXPECT_EQ(ProcessesOf(app).size(), 1u);  // already running: nothing more
  m_runtime.PerformFunction(206, {}, multiple, L"");
  EXPECT_EQ(ProcessesOf(app).size(), 2u);
  auto records = WaitForRecords(m_stubs.Records(), "tool", 2);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_TRUE(records[0].args.empty());
}

TEST_F(Launch, ApplicationThatDoesNotExistStartsNothing) {
  const fs::path missing = m_stubs.Root() / "gone" / "tool";
  for (const std::wstring& path : {platform::FromPath(missing), std::wstring()}) {
    m_runtime.PerformFunction(206, {}, ApplicationEntry{true, path}, L"");
  }
  EXPECT_TRUE(stubs::Records(m_stubs.Records(), "tool").empty());
}

TEST_F(Launch, ApplicationDesktopEntryStartsItsProgram) {
  const fs::path program = m_stubs.Install(m_stubs.Root() / "bin" / "editor");
  const fs::path entry = m_stubs.Root() / "editor.desktop";
  std::ofstream(entry) << "[Desktop Entry]\nType=Application\nName=Editor\nExec=editor --new-window %F\n";
  m_runtime.PerformFunction(206, {}, ApplicationEntry{false, platform::FromPath(entry)}, L"");
  auto records = WaitForRecords(m_stubs.Records(), "editor", 1);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].args, std::vector<std::string>{"--new-window"});
}

TEST_F(Launch, OnScreenKeyboardIsTheFirstFoundOnThePath) {
  m_stubs.Install(m_stubs.Root() / "bin" / "florence");
  m_runtime.PerformFunction(301, {}, {}, L"");
  auto records = WaitForRecords(m_stubs.Records(), "florence", 1);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_TRUE(records[0].args.empty());
}

TEST_F(Launch, WebBrowserIsTheDesktopsHandlerOfHttp) {
  m_stubs.Install(m_stubs.Root() / "bin" / "browser");
  fs::create_directories(m_stubs.Root() / "config");
  fs::create_directories(m_stubs.Root() / "data" / "applications");
  std::ofstream(m_stubs.Root() / "config" / "mimeapps.list")
      << "[Default Applications]\nx-scheme-handler/http=test-browser.desktop;\n";
  std::ofstream(m_stubs.Root() / "data" / "applications" / "test-browser.desktop")
      << "[Desktop Entry]\nType=Application\nName=Browser\nExec=browser %u\n";
  m_runtime.PerformFunction(202, {}, {}, L"");
  m_runtime.PerformFunction(701, {}, {}, L"");
  auto records = WaitForRecords(m_stubs.Records(), "browser", 2);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_TRUE(records[0].args.empty());  // its start page, no address
}

}  // namespace
