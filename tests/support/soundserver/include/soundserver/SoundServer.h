// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers for tests against the private PulseAudio server that scripts/lib/test-env.sh starts
// (PULSE_SERVER set, a null sink "veltrio_null" as the default sink).

#include <string>

namespace soundserver {

// The server the test run started with ("" when none): read once, before any test changes
// PULSE_SERVER.
const std::string& Address();

// True when that server answers pactl.
bool Running();

// Runs pactl against the server with the given arguments; its standard output, or "" when it
// failed.
std::string Pactl(const std::string& args);
bool PactlOk(const std::string& args);

// The default sink as another program sees it: its channels' raw volumes (65536 is 100%) and
// its mute flag.
struct SinkView {
  bool ok = false;
  long loudest = 0;
  long quietest = 0;
  bool muted = false;
};
SinkView DefaultSink();

// Whether ALSA's pulse plugin is installed.
bool AlsaPulsePluginPresent();

// Why a test that needs the server cannot run here ("" when it can): for GTEST_SKIP.
std::string WhyNoServer();
// The same for a test that reaches the server through ALSA's pulse plugin.
std::string WhyNoAlsaThroughServer();

// For the rest of the process: HOME and XDG_CONFIG_HOME point at a fresh folder whose .asoundrc
// makes ALSA's default pcm and mixer the pulse plugin talking to `server`, and PULSE_SERVER
// names a socket where nothing listens, so that only ALSA reaches a server. Call before the
// first ALSA call of the process.
void UseAlsaThrough(const std::string& server);

// A Unix socket that takes connections and never answers; the server address names it.
class HungServer {
 public:
  HungServer();
  ~HungServer();
  HungServer(const HungServer&) = delete;
  HungServer& operator=(const HungServer&) = delete;
  std::string Address() const { return "unix:" + m_path; }

 private:
  std::string m_folder;
  std::string m_path;
  int m_fd = -1;
};

// A temporary folder, made on construction.
std::string MakeTempFolder();

}  // namespace soundserver
