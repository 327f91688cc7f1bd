// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundserver/SoundServer.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>

namespace soundserver {

const std::string& Address() {
  static const std::string address = [] {
    const char* value = std::getenv("PULSE_SERVER");
    return std::string(value != nullptr ? value : "");
  }();
  return address;
}

// Read at load time, before any test can change the variable.
[[maybe_unused]] static const std::string& g_address = Address();

std::string Pactl(const std::string& args) {
  if (Address().empty()) return "";
  const std::string command = "PULSE_SERVER='" + Address() + "' pactl " + args + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "";
  std::string output;
  std::array<char, 512> buffer;
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) output.append(buffer.data(), n);
  return pclose(pipe) == 0 ? output : "";
}

bool PactlOk(const std::string& args) {
  if (Address().empty()) return false;
  const std::string command = "PULSE_SERVER='" + Address() + "' pactl " + args + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

bool Running() {
  return !Pactl("info").empty();
}

SinkView DefaultSink() {
  SinkView view;
  const std::string volume = Pactl("get-sink-volume @DEFAULT_SINK@");
  const std::string mute = Pactl("get-sink-mute @DEFAULT_SINK@");
  if (volume.empty() || mute.empty()) return view;
  // "Volume: front-left: 32768 /  50% / -18.06 dB,   front-right: ..."
  const std::regex channel(R"(:\s*(\d+)\s*/)");
  bool any = false;
  for (std::sregex_iterator it(volume.begin(), volume.end(), channel), end; it != end; ++it) {
    const long value = std::stol((*it)[1]);
    view.loudest = any ? std::max(view.loudest, value) : value;
    view.quietest = any ? std::min(view.quietest, value) : value;
    any = true;
  }
  view.muted = mute.find("yes") != std::string::npos;
  view.ok = any;
  return view;
}

bool AlsaPulsePluginPresent() {
  for (const char* dir : {VELTRIO_ALSA_LIBDIR "/alsa-lib", "/usr/lib64/alsa-lib", "/usr/lib/alsa-lib"}) {
    if (std::filesystem::exists(std::string(dir) + "/libasound_module_ctl_pulse.so")) return true;
  }
  return false;
}

std::string WhyNoServer() {
  return Running() ? "" : "no sound server (PULSE_SERVER); run under scripts/test";
}

std::string WhyNoAlsaThroughServer() {
  if (!Running()) return WhyNoServer();
  return AlsaPulsePluginPresent() ? "" : "ALSA's pulse plugin is missing (package libasound2-plugins)";
}

std::string MakeTempFolder() {
  std::string pattern = std::filesystem::temp_directory_path() / "veltrio-sound.XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return "";
  return pattern;
}

void UseAlsaThrough(const std::string& server) {
  const std::string home = MakeTempFolder();
  std::ofstream(home + "/.asoundrc") << "pcm.!default { type pulse server \"" << server << "\" }\n"
                                     << "ctl.!default { type pulse server \"" << server << "\" }\n";
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
  setenv("PULSE_SERVER", ("unix:" + home + "/no-server").c_str(), 1);
}

HungServer::HungServer() : m_folder(MakeTempFolder()), m_path(m_folder + "/hung.sock") {
  m_fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, m_path.c_str(), sizeof address.sun_path - 1);
  if (bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(m_fd, 8) != 0) {
    close(m_fd);
    m_fd = -1;
  }
}

HungServer::~HungServer() {
  if (m_fd >= 0) close(m_fd);
  std::filesystem::remove_all(m_folder);
}

}  // namespace soundserver
