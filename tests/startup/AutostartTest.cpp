// SPDX-License-Identifier: GPL-3.0-or-later
// Launch at logon through the autostart entry.

#include "platform/autostart.h"
#include "platform/linux/autostart.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

class AutostartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string folder = (std::filesystem::temp_directory_path() / "veltrio-autostart-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    m_folder = folder;
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  }
  void TearDown() override { std::filesystem::remove_all(m_folder); }

  static std::string Entry() {
    std::ifstream in(platform::AutostartEntryPath());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::filesystem::path m_folder;
};

TEST_F(AutostartTest, EnableThenDisableKeepsTheEntry) {
  EXPECT_EQ(platform::AutostartEntryPath(), m_folder / "autostart" / "veltrio.desktop");
  EXPECT_FALSE(platform::IsLaunchAtStartRegistered());
  ASSERT_TRUE(platform::SetLaunchAtStart(true, "/opt/veltrio/bin/veltrio"));
  EXPECT_TRUE(platform::IsLaunchAtStartRegistered());
  const std::string enabled = Entry();
  EXPECT_NE(enabled.find("\nExec=/opt/veltrio/bin/veltrio -boot\n"), std::string::npos) << enabled;
  EXPECT_NE(enabled.find("\nHidden=false\n"), std::string::npos);
  EXPECT_EQ(enabled.rfind("[Desktop Entry]\n", 0), 0u);

  ASSERT_TRUE(platform::SetLaunchAtStart(false, "/opt/veltrio/bin/veltrio"));
  EXPECT_FALSE(platform::IsLaunchAtStartRegistered());
  const std::string disabled = Entry();
  EXPECT_NE(disabled.find("\nHidden=true\n"), std::string::npos) << "disabled, not deleted";
  EXPECT_NE(disabled.find("\nExec=/opt/veltrio/bin/veltrio -boot\n"), std::string::npos);

  ASSERT_TRUE(platform::SetLaunchAtStart(true, "/opt/veltrio/bin/veltrio"));
  EXPECT_TRUE(platform::IsLaunchAtStartRegistered());
}

TEST_F(AutostartTest, DisablingWithoutAnEntryWritesNothing) {
  EXPECT_TRUE(platform::SetLaunchAtStart(false, "/usr/bin/veltrio"));
  EXPECT_FALSE(std::filesystem::exists(platform::AutostartEntryPath()));
}

TEST_F(AutostartTest, AFailedWriteChangesNothing) {
  // The autostart folder's place is taken by a file: the entry cannot be written.
  std::ofstream(m_folder / "autostart") << "not a folder";
  EXPECT_FALSE(platform::SetLaunchAtStart(true, "/usr/bin/veltrio"));
  EXPECT_FALSE(platform::IsLaunchAtStartRegistered());
  EXPECT_FALSE(platform::SetLaunchAtStart(true, "/usr/bin/velt\nrio"));
}

TEST_F(AutostartTest, EntriesHiddenOrWithoutCommandDoNotCount) {
  std::filesystem::create_directories(m_folder / "autostart");
  struct Case { const char* text; bool registered; };
  const Case cases[] = {
      {"[Desktop Entry]\nExec=veltrio -boot\n", true},
      {"[Desktop Entry]\nExec=veltrio -boot\nHidden=true\n", false},
      {"[Desktop Entry]\nHidden=false\n", false},
      {"[Other]\nHidden=true\n[Desktop Entry]\nExec=veltrio -boot\n", true},
      {"", false},
  };
  for (const Case& c : cases) {
    std::ofstream(platform::AutostartEntryPath()) << c.text;
    EXPECT_EQ(platform::IsLaunchAtStartRegistered(), c.registered) << c.text;
  }
}

TEST(ExecQuotingTest, QuotesWhatTheFormatNeeds) {
  struct Case { const char* argument; const char* quoted; };
  const Case cases[] = {
      {"/usr/bin/veltrio", "/usr/bin/veltrio"},
      {"/home/me/My Apps/veltrio", "\"/home/me/My Apps/veltrio\""},
      {"/opt/a\"b", "\"/opt/a\\\\\"b\""},
      {"/opt/$HOME/`x`", "\"/opt/\\\\$HOME/\\\\`x\\\\`\""},
      {"/opt/back\\slash", "\"/opt/back\\\\\\\\slash\""},
      {"/opt/100%", "/opt/100%%"},
      {"/opt/\xc3\xbc/veltrio", "/opt/\xc3\xbc/veltrio"},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::QuoteExecArgument(c.argument), c.quoted) << c.argument;
}

}  // namespace
