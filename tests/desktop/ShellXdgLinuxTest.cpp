// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the desktop's programs: Exec lines, default handlers and the known tools, over a
// folder tree of the test's own.

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

#include "linux/shell_xdg_linux.h"

namespace {

namespace fs = std::filesystem;
using namespace platform::linux_shell;
using platform::DesktopTarget;
using Args = std::vector<std::string>;

TEST(ExecLine, SplitsLikeTheDesktopEntrySpecification) {
  struct Case {
    const char* exec;
    Args args;
  } cases[] = {
      {"firefox %u", {"firefox"}},
      {"vlc --started-from-file %U", {"vlc", "--started-from-file"}},
      {"  totem   %F  ", {"totem"}},
      {R"("/opt/My App/run" --name "a b")", {"/opt/My App/run", "--name", "a b"}},
      {R"(sh "quote \" dollar \$ back \\ tick \`")", {"sh", "quote \" dollar $ back \\ tick `"}},
      // The string escapes come first, then the quoting: four backslashes are one.
      {R"(app "back\\\\slash")", {"app", "back\\slash"}},
      {"app --file=%f --rate=100%%", {"app", "--file=", "--rate=100%"}},
      {"app %i %c %k", {"app"}},
      {R"(app "" end)", {"app", "", "end"}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitExecLine(c.exec), c.args) << c.exec;
}

class XdgTree : public ::testing::Test {
 protected:
  void SetUp() override {
    m_root = fs::temp_directory_path() / ("veltrio-xdg-" + std::to_string(::getpid()));
    fs::remove_all(m_root);
    for (const char* dir : {"bin", "config", "etc-xdg", "data/applications", "share/applications"})
      fs::create_directories(m_root / dir);
    m_env.searchPath = {m_root / "bin"};
    m_env.configHome = m_root / "config";
    m_env.configDirs = {m_root / "etc-xdg"};
    m_env.dataHome = m_root / "data";
    m_env.dataDirs = {m_root / "share"};
  }
  void TearDown() override { fs::remove_all(m_root); }

  fs::path Program(const std::string& name) {
    fs::path path = m_root / "bin" / name;
    std::ofstream(path) << "#!/bin/sh\n";
    fs::permissions(path, fs::perms::owner_all);
    return path;
  }
  void Write(const fs::path& relative, const std::string& text) { std::ofstream(m_root / relative) << text; }
  void Entry(const std::string& id, const std::string& exec, const std::string& extra = "") {
    Write("share/applications/" + id, "[Desktop Entry]\nType=Application\nName=" + id + "\n" + extra + "Exec=" + exec + "\n");
  }

  fs::path m_root;
  XdgEnvironment m_env;
};

TEST_F(XdgTree, DefaultHandlerFollowsTheLookupOrder) {
  Program("user-browser");
  Program("system-browser");
  Entry("user.desktop", "user-browser %u");
  Entry("system.desktop", "system-browser %u");
  Write("share/applications/mimeapps.list", "[Default Applications]\nx-scheme-handler/http=system.desktop\n");
  EXPECT_EQ(DefaultHandler("x-scheme-handler/http", m_env), m_root / "share/applications/system.desktop");
  // The user's choice wins; an id without an entry is passed over.
  Write("config/mimeapps.list", "[Added Associations]\nx-scheme-handler/http=system.desktop\n"
                                "[Default Applications]\nx-scheme-handler/http=gone.desktop;user.desktop;\n");
  EXPECT_EQ(DefaultHandler("x-scheme-handler/http", m_env), m_root / "share/applications/user.desktop");
  EXPECT_EQ(DesktopCommand(DesktopTarget::WebBrowser, m_env), Args{(m_root / "bin/user-browser").native()});
  // The current desktop's own list comes before the common one.
  m_env.desktops = {"gnome"};
  Write("config/gnome-mimeapps.list", "[Default Applications]\nx-scheme-handler/http=system.desktop\n");
  EXPECT_EQ(DefaultHandler("x-scheme-handler/http", m_env), m_root / "share/applications/system.desktop");
}

TEST_F(XdgTree, DesktopDatabaseStandsInWhenNoDefaultIsSet) {
  Program("player");
  Entry("player.desktop", "player --enqueue %U");
  Write("share/applications/mimeinfo.cache", "[MIME Cache]\naudio/flac=player.desktop;\n");
  EXPECT_EQ(DesktopCommand(DesktopTarget::MediaPlayer, m_env), (Args{(m_root / "bin/player").native(), "--enqueue"}));
}

TEST_F(XdgTree, EntriesThatCannotStartArePassedOver) {
  Entry("hidden.desktop", "hidden-mail", "Hidden=true\n");
  Program("hidden-mail");
  Entry("missing.desktop", "not-installed %u");
  Write("share/applications/link.desktop", "[Desktop Entry]\nType=Link\nURL=http://example.org\n");
  for (const char* id : {"hidden.desktop", "missing.desktop", "link.desktop"})
    EXPECT_TRUE(DesktopEntryCommand(m_root / "share/applications" / id, m_env).empty()) << id;
  Write("config/mimeapps.list", "[Default Applications]\nx-scheme-handler/mailto=hidden.desktop;missing.desktop\n");
  EXPECT_TRUE(DesktopCommand(DesktopTarget::MailProgram, m_env).empty());
  Program("xdg-open");
  EXPECT_EQ(DesktopCommand(DesktopTarget::MailProgram, m_env), (Args{(m_root / "bin/xdg-open").native(), "mailto:"}));
}

TEST_F(XdgTree, KnownProgramsInTheirOrder) {
  EXPECT_TRUE(DesktopCommand(DesktopTarget::OnScreenKeyboard, m_env).empty());
  Program("xvkbd");
  EXPECT_EQ(DesktopCommand(DesktopTarget::OnScreenKeyboard, m_env), Args{(m_root / "bin/xvkbd").native()});
  Program("onboard");
  EXPECT_EQ(DesktopCommand(DesktopTarget::OnScreenKeyboard, m_env), Args{(m_root / "bin/onboard").native()});
  // A file that is not executable is no program.
  std::ofstream(m_root / "bin/x-www-browser") << "text";
  fs::permissions(m_root / "bin/x-www-browser", fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_TRUE(DesktopCommand(DesktopTarget::WebBrowser, m_env).empty());
}

TEST_F(XdgTree, MouseSettingsOfTheCurrentDesktopFirst) {
  Program("gnome-control-center");
  Program("kcmshell5");
  Program("xfce4-mouse-settings");
  EXPECT_EQ(DesktopCommand(DesktopTarget::MouseSettings, m_env),
            (Args{(m_root / "bin/gnome-control-center").native(), "mouse"}));
  m_env.desktops = {"kde"};
  EXPECT_EQ(DesktopCommand(DesktopTarget::MouseSettings, m_env), (Args{(m_root / "bin/kcmshell5").native(), "mouse"}));
  m_env.desktops = {"xfce"};
  EXPECT_EQ(DesktopCommand(DesktopTarget::MouseSettings, m_env), Args{(m_root / "bin/xfce4-mouse-settings").native()});
}

TEST(XdgEnvironmentTest, CurrentDesktopsAreLowerCaseAndRelativeFoldersIgnored) {
  const char* savedDesktop = std::getenv("XDG_CURRENT_DESKTOP");
  const char* savedDirs = std::getenv("XDG_DATA_DIRS");
  std::string desktop = savedDesktop ? savedDesktop : "", dirs = savedDirs ? savedDirs : "";
  ::setenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME", 1);
  ::setenv("XDG_DATA_DIRS", "relative/share:/opt/share", 1);
  XdgEnvironment env = XdgEnvironment::FromProcess();
  EXPECT_EQ(env.desktops, (std::vector<std::string>{"ubuntu", "gnome"}));
  EXPECT_EQ(env.dataDirs, (std::vector<fs::path>{"/opt/share"}));
  savedDesktop ? ::setenv("XDG_CURRENT_DESKTOP", desktop.c_str(), 1) : ::unsetenv("XDG_CURRENT_DESKTOP");
  savedDirs ? ::setenv("XDG_DATA_DIRS", dirs.c_str(), 1) : ::unsetenv("XDG_DATA_DIRS");
}

}  // namespace
