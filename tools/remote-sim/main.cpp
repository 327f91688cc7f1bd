// SPDX-License-Identifier: GPL-3.0-or-later
// remote-sim: plays the presenter remote in a device root, for demos and end-to-end tests.
//
//   remote-sim [--root DIR] [--unplugged] [--add novendor|mouse]... [SCRIPT]
//
// Creates the root (a temporary folder unless --root is given), prints "root DIR", plugs the
// remote and runs commands from SCRIPT or standard input, one per line, until the input ends:
//   link on|off          model N              press|release media1|media2|media3|gesture
//   move DX DY           report HEX...        consumer USAGE       unplug    plug
//   add novendor|mouse   wait MS              # comment
//   overlay PID [STATE]  (an overlay-family remote; prints its handle)
//   vendor HANDLE ID VALUE   state HANDLE STATE   remove HANDLE
// Every output report the remote receives is printed as "received HH HH ...". Point Veltrio at
// the root with VELTRIO_DEVICE_ROOT=DIR. Exit status 2 for a bad command line or command.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

#include "remotesim/RemoteSim.h"

namespace {

std::mutex outputMutex;

void Say(const std::string& line) {
  std::lock_guard lock(outputMutex);
  std::cout << line << std::endl;
}

bool ParseKey(const std::string& name, remotesim::Key* key) {
  if (name == "media1") *key = remotesim::Key::Media1;
  else if (name == "media2") *key = remotesim::Key::Media2;
  else if (name == "media3") *key = remotesim::Key::Media3;
  else if (name == "gesture") *key = remotesim::Key::Gesture;
  else return false;
  return true;
}

bool ParseExtra(const std::string& name, remotesim::ExtraDevice* device) {
  if (name == "novendor") *device = remotesim::ExtraDevice::RemoteWithoutVendor;
  else if (name == "mouse") *device = remotesim::ExtraDevice::OtherMouse;
  else return false;
  return true;
}

bool ParseNumber(const std::string& text, long* value, int base = 10) {
  char* end = nullptr;
  *value = std::strtol(text.c_str(), &end, base);
  return !text.empty() && *end == '\0';
}

// Runs one command; false for a command that cannot be understood.
bool Run(remotesim::RemoteSim& sim, const std::string& line) {
  std::istringstream words(line.substr(0, line.find('#')));
  std::string command, a, b;
  if (!(words >> command)) return true;
  words >> a >> b;
  long x = 0, y = 0;
  remotesim::Key key;
  remotesim::ExtraDevice extra;
  if (command == "link" && (a == "on" || a == "off")) return sim.SetLink(a == "on"), true;
  if (command == "model" && ParseNumber(a, &x) && x >= 0 && x <= 255) return sim.SetModel(std::uint8_t(x)), true;
  if (command == "press" && ParseKey(a, &key)) return sim.Press(key), true;
  if (command == "release" && ParseKey(a, &key)) return sim.Release(key), true;
  if (command == "move" && ParseNumber(a, &x) && ParseNumber(b, &y)) return sim.Move(int(x), int(y)), true;
  if (command == "consumer" && ParseNumber(a, &x, 0) && x >= 0 && x <= 0xFFFF)
    return sim.SendConsumer(std::uint16_t(x)), true;
  if (command == "unplug") return sim.Unplug(), Say("unplugged"), true;
  if (command == "plug") return sim.Plug(), Say("plugged " + sim.VendorPath()), true;
  if (command == "add" && ParseExtra(a, &extra)) return Say("added " + sim.ExtraDevicePath(sim.AddDevice(extra))), true;
  long z = 0;
  std::string c;
  if (command == "overlay" && ParseNumber(a, &x, 0) && x >= 0 && x <= 0xFFFF) {
    if (!b.empty() && (!ParseNumber(b, &y, 0) || y < 0 || y > 255)) return false;
    const int handle = sim.AddOverlayRemote(std::uint16_t(x), std::uint8_t(b.empty() ? 0 : y));
    return Say("added " + sim.ExtraDevicePath(handle) + " handle " + std::to_string(handle)), true;
  }
  if (command == "vendor" && ParseNumber(a, &x) && ParseNumber(b, &y, 0) && (words >> c) &&
      ParseNumber(c, &z, 0) && y >= 0 && y <= 255 && z >= -128 && z <= 255)
    return sim.SendVendorReport(int(x), std::uint8_t(y), std::uint8_t(z)), true;
  if (command == "state" && ParseNumber(a, &x) && ParseNumber(b, &y, 0) && y >= 0 && y <= 255)
    return sim.SetOverlayState(int(x), std::uint8_t(y)), true;
  if (command == "remove" && ParseNumber(a, &x)) return sim.RemoveDevice(int(x)), true;
  if (command == "wait" && ParseNumber(a, &x) && x >= 0)
    return std::this_thread::sleep_for(std::chrono::milliseconds(x)), true;
  if (command == "report") {
    remotesim::Report report;
    for (std::istringstream bytes(line.substr(line.find("report") + 6)); bytes >> a;) {
      if (!ParseNumber(a, &x, 16) || x < 0 || x > 255) return false;
      report.push_back(std::uint8_t(x));
    }
    return !report.empty() && (sim.SendReport(report), true);
  }
  return false;
}

int Usage() {
  std::cerr << "usage: remote-sim [--root DIR] [--unplugged] [--add novendor|mouse]... [SCRIPT]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  remotesim::RemoteSim::Options options;
  std::vector<remotesim::ExtraDevice> extras;
  std::string script;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    remotesim::ExtraDevice extra;
    if (arg == "--root" && i + 1 < argc) options.root = argv[++i];
    else if (arg == "--unplugged") options.plugged = false;
    else if (arg == "--add" && i + 1 < argc && ParseExtra(argv[i + 1], &extra)) extras.push_back(extra), ++i;
    else if (!arg.empty() && arg[0] != '-' && script.empty()) script = arg;
    else return Usage();
  }
  std::ifstream file;
  if (!script.empty()) {
    file.open(script);
    if (!file) {
      std::cerr << "remote-sim: cannot read " << script << "\n";
      return 2;
    }
  }
  try {
    remotesim::RemoteSim sim(options);
    sim.SetReceivedHandler([](const remotesim::Report& report) {
      std::string line = "received";
      char byte[4];
      for (std::uint8_t b : report) std::snprintf(byte, sizeof byte, " %02x", b), line += byte;
      Say(line);
    });
    Say("root " + sim.Root());
    for (remotesim::ExtraDevice extra : extras) Say("added " + sim.ExtraDevicePath(sim.AddDevice(extra)));
    if (sim.IsPlugged()) Say("plugged " + sim.VendorPath());
    std::istream& input = script.empty() ? std::cin : file;
    int status = 0;
    for (std::string line; std::getline(input, line);) {
      if (!Run(sim, line)) {
        std::cerr << "remote-sim: cannot understand: " << line << "\n";
        status = 2;
      }
    }
    sim.SetReceivedHandler(nullptr);
    return status;
  } catch (const std::exception& error) {
    std::cerr << error.what() << "\n";
    return 1;
  }
}
