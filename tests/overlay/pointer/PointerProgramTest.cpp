// SPDX-License-Identifier: GPL-3.0-or-later
// VtaPointer as a process on an X server of the test's own: which image it shows for which
// arguments, where it finds its resource file, what it stores, and that it ends on SIGTERM.

#include <gtest/gtest.h>

#include <QImage>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "PrivateXServer.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kSide = 188;

enum class Shows { Red, Green, Nothing };

class PointerProgram : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_server = new testsupport::PrivateXServer;
    s_server->Start("1024x768x24");
  }
  static void TearDownTestSuite() {
    delete s_server;
    s_server = nullptr;
  }

  void SetUp() override {
    ASSERT_FALSE(s_server->Display().empty()) << s_server->Error();
    m_display = XOpenDisplay(s_server->Display().c_str());
    ASSERT_NE(m_display, nullptr);
    char pattern[] = "/tmp/vtapointer-test.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_dir = pattern;
    for (auto [name, colour] : {std::pair{"green.png", Qt::green}, {"blue.png", Qt::blue}}) {
      QImage image(20, 20, QImage::Format_ARGB32);
      image.fill(colour);
      ASSERT_TRUE(image.save(QString::fromStdString((m_dir / name).string())));
    }
    // The program centres itself on the cursor.
    XWarpPointer(m_display, None, DefaultRootWindow(m_display), 0, 0, 0, 0, 400, 300);
    XSync(m_display, False);
  }

  void TearDown() override {
    if (m_pid > 0) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, nullptr, 0);
    }
    if (m_display) XCloseDisplay(m_display);
    fs::remove_all(m_dir);
  }

  void Start(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
      const std::string entry = *e;
      if (entry.rfind("DISPLAY=", 0) != 0 && entry.rfind("XDG_CONFIG_HOME=", 0) != 0 &&
          entry.rfind("WAYLAND_DISPLAY=", 0) != 0 && entry.rfind("QT_QPA_PLATFORM=", 0) != 0) {
        env.push_back(entry);
      }
    }
    env.push_back("DISPLAY=" + s_server->Display());
    env.push_back("XDG_CONFIG_HOME=" + (m_dir / "config").string());
    env.push_back("QT_QPA_PLATFORM=xcb");
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> argp, envp;
    for (std::string& a : argv) argp.push_back(a.data());
    for (std::string& e : env) envp.push_back(e.data());
    argp.push_back(nullptr);
    envp.push_back(nullptr);
    ASSERT_EQ(posix_spawn(&m_pid, program.c_str(), nullptr, nullptr, argp.data(), envp.data()), 0);
  }

  // The program's window once it is on the screen, or 0.
  Window WaitForWindow() {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
      Window root = 0, parent = 0, *children = nullptr;
      unsigned count = 0;
      Window found = 0;
      if (XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && !found; ++i) {
          XWindowAttributes a;
          if (XGetWindowAttributes(m_display, children[i], &a) && a.map_state == IsViewable &&
              a.width == kSide && a.height == kSide) {
            found = children[i];
          }
        }
        if (children) XFree(children);
      }
      if (found) return found;
      std::this_thread::sleep_for(50ms);
    }
    return 0;
  }

  // What the window shows a few pixels right of its centre, where the pointer image is.
  Shows WhatItShows(Window window) {
    Shows shows = Shows::Nothing;
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (shows == Shows::Nothing && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(100ms);
      XImage* image = XGetImage(m_display, window, 0, 0, kSide, kSide, AllPlanes, ZPixmap);
      if (!image) continue;
      const unsigned long pixel = XGetPixel(image, 98, 94);
      XDestroyImage(image);
      const unsigned red = (pixel >> 16) & 0xff, green = (pixel >> 8) & 0xff, blue = pixel & 0xff;
      if (red > 150 && green < 120 && blue < 120) shows = Shows::Red;
      if (green > 150 && red < 60 && blue < 60) shows = Shows::Green;
    }
    return shows;
  }

  QPoint Position(Window window) {
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(m_display, window, DefaultRootWindow(m_display), 0, 0, &x, &y, &child);
    return {x, y};
  }

  // Ends the program as the configuration program does; true when SIGTERM ended it.
  bool Terminate() {
    kill(m_pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 100; ++i) {
      if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_pid = 0;
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM;
      }
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }

  static std::string Read(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  static inline testsupport::PrivateXServer* s_server = nullptr;
  Display* m_display = nullptr;
  fs::path m_dir;
  pid_t m_pid = 0;
};

TEST_F(PointerProgram, ShowsTheImageOfItsFirstArgument) {
  struct Case {
    const char* name;
    std::vector<std::string> arguments;
    Shows shows;
  };
  const Case cases[] = {
      {"no argument: the built-in image", {}, Shows::Red},
      {"an image file", {"green.png"}, Shows::Green},
      {"several arguments: the first", {"green.png", "blue.png", "--other"}, Shows::Green},
      {"a file that does not exist: no image", {"missing.png"}, Shows::Nothing},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> arguments;
    for (const std::string& a : c.arguments)
      arguments.push_back(a.rfind("--", 0) == 0 ? a : (m_dir / a).string());
    Start(VELTRIO_POINTER_PROGRAM, arguments);
    const Window window = WaitForWindow();
    ASSERT_NE(window, 0u);
    EXPECT_EQ(Position(window), QPoint(400 - 94, 300 - 94));
    EXPECT_EQ(WhatItShows(window), c.shows);
    EXPECT_TRUE(Terminate());
  }
}

TEST_F(PointerProgram, InstalledItFindsTheResourceFileInTheSharedDataFolder) {
  const fs::path prefix = m_dir / "prefix";
  fs::create_directories(prefix / "bin");
  fs::create_directories(prefix / "share/veltrio");
  fs::copy_file(VELTRIO_POINTER_PROGRAM, prefix / "bin/VtaPointer");
  fs::copy_file(VELTRIO_OVERLAY_RCC, prefix / "share/veltrio/veltrio.rcc");
  Start((prefix / "bin/VtaPointer").string(), {});
  const Window window = WaitForWindow();
  ASSERT_NE(window, 0u);
  EXPECT_EQ(WhatItShows(window), Shows::Red);
  EXPECT_TRUE(Terminate());
}

TEST_F(PointerProgram, WithoutItsResourceFileItStillStarts) {
  const fs::path bin = m_dir / "alone";
  fs::create_directories(bin);
  fs::copy_file(VELTRIO_POINTER_PROGRAM, bin / "VtaPointer");
  Start((bin / "VtaPointer").string(), {});
  const Window window = WaitForWindow();
  ASSERT_NE(window, 0u);
  EXPECT_EQ(WhatItShows(window), Shows::Nothing);
  EXPECT_TRUE(Terminate());
}

TEST_F(PointerProgram, StoresTheResourceFileNameAndLeavesTheTranslationAlone) {
  const fs::path store = m_dir / "config/Spindra/VTaPointer.conf";
  fs::create_directories(store.parent_path());
  std::ofstream(store) << "[General]\nlangFile=kept\nresourceFile=other.rcc\n";
  Start(VELTRIO_POINTER_PROGRAM, {});
  ASSERT_NE(WaitForWindow(), 0u);
  // Written at start, so that ending from outside loses nothing.
  const std::string stored = Read(store);
  EXPECT_NE(stored.find("resourceFile=veltrio.rcc"), std::string::npos) << stored;
  EXPECT_NE(stored.find("langFile=kept"), std::string::npos) << stored;
  EXPECT_TRUE(Terminate());
}

}  // namespace
