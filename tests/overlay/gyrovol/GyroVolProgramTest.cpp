// SPDX-License-Identifier: GPL-3.0-or-later
// The VtaGyroVol program as veltrio starts it: under the test run's X server, with or without
// a volume to control.

#include "ServerRequired.h"
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "PrivateXServer.h"
#include "soundserver/SoundServer.h"

namespace {

extern "C" char** environ;

using Environment = std::map<std::string, std::string>;

// Starts the program with the test's environment plus `changes`.
pid_t Start(const Environment& changes) {
  std::vector<std::string> entries;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    if (!changes.count(entry.substr(0, entry.find('=')))) entries.push_back(entry);
  }
  for (const auto& [name, value] : changes) entries.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& entry : entries) envp.push_back(entry.data());
  envp.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    char program[] = VTAGYROVOL_PATH;
    char* argv[] = {program, nullptr};
    execve(program, argv, envp.data());
    _exit(127);
  }
  return pid;
}

// The exit code, or nothing when it still runs after `seconds` (a hang, not a measurement).
std::optional<int> WaitForExit(pid_t pid, int seconds) {
  for (int i = 0; i < seconds * 50; ++i) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid)
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return std::nullopt;
}

void End(pid_t pid) {
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A home of its own with a settings file that says something else than the program writes.
struct Home {
  Home() : path(soundserver::MakeTempFolder()) {
    std::filesystem::create_directories(path + "/.config/Spindra");
    std::ofstream(settingsFile()) << "[General]\nlangFile=elsewhere\nresourceFile=other.rcc\n";
  }
  ~Home() { std::filesystem::remove_all(path); }
  std::string settingsFile() const { return path + "/.config/Spindra/VTaGyroVol.conf"; }
  Environment environment() const { return {{"HOME", path}, {"XDG_CONFIG_HOME", path + "/.config"}}; }
  std::string path;
};

// The program takes the pointer and follows every pointer's raw motion, so it runs on an X
// server of the test's own, which the programs started here inherit.
class GyroVolProgram : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static testsupport::PrivateXServer server;
    if (server.Display().empty() && server.Start("1280x800x24")) {
      ::setenv("DISPLAY", server.Display().c_str(), 1);
      ::unsetenv("WAYLAND_DISPLAY");
    }
    s_error = server.Error();
  }
  void SetUp() override { ASSERT_TRUE(s_error.empty()) << s_error; }
  static inline std::string s_error;
};

TEST_F(GyroVolProgram, WithoutAVolumeToControlItEndsAtOnceWithZero) {
  // No server for the endpoint, and either a mixer whose server is gone or no mixer at all.
  for (bool asoundrc : {true, false}) {
    SCOPED_TRACE(asoundrc ? "ALSA's default is a pulse plugin without server" : "ALSA's own default");
    Home home;
    const std::string nowhere = "unix:" + home.path + "/nothing-here";
    if (asoundrc) {
      std::ofstream(home.path + "/.asoundrc") << "pcm.!default { type pulse server \"" << nowhere << "\" }\n"
                                              << "ctl.!default { type pulse server \"" << nowhere << "\" }\n";
    }
    Environment environment = home.environment();
    environment["PULSE_SERVER"] = nowhere;
    const pid_t pid = Start(environment);
    const std::optional<int> code = WaitForExit(pid, 20);
    if (!code) End(pid);
    ASSERT_TRUE(code.has_value()) << "still running";
    EXPECT_EQ(*code, 0);
    // The settings are written before the volume is looked for.
    const std::string settings = ReadFile(home.settingsFile());
    EXPECT_NE(settings.find("langFile=veltrio"), std::string::npos) << settings;
    EXPECT_NE(settings.find("resourceFile=veltrio.rcc"), std::string::npos) << settings;
  }
}

TEST_F(GyroVolProgram, WithAVolumeItShowsItsFrameAndRunsUntilEnded) {
  VELTRIO_NEED_SERVER(soundserver::WhyNoServer());
  Home home;
  const pid_t pid = Start(home.environment());
  bool shown = false;
  for (int i = 0; i < 250 && !shown; ++i) {
    shown =
        std::system(
            ("xdotool search --onlyvisible --pid " + std::to_string(pid) + " >/dev/null 2>&1").c_str()) == 0;
    if (!shown) std::this_thread::sleep_for(std::chrono::milliseconds(40));
  }
  EXPECT_TRUE(shown) << "no visible window of the program";
  EXPECT_FALSE(WaitForExit(pid, 0).has_value()) << "it ended by itself";
  End(pid);
  EXPECT_NE(ReadFile(home.settingsFile()).find("langFile=veltrio"), std::string::npos);
}

}  // namespace
