// SPDX-License-Identifier: GPL-3.0-or-later
// veltrio-soak: runs the fault and load scenarios against an installation and prints one table
// row per scenario; exit status 1 when any guarantee did not hold. scripts/soak runs it.
//
//   veltrio-soak --prefix DIR --writer PATH --logs DIR [--short|--long] [--only NAME]... [--seed N]

#include "Soak.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <unistd.h>

namespace soak {

std::string Format(const char* format, ...) {
  char text[512];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  return text;
}

ProcessFigures FiguresOf(pid_t pid) {
  ProcessFigures figures;
  const fs::path proc = "/proc/" + std::to_string(pid);
  std::error_code error;
  for (auto it = fs::directory_iterator(proc / "fd", error); !error && it != fs::directory_iterator(); it.increment(error))
    ++figures.fds;
  std::istringstream status(e2e::ReadFile(proc / "status"));
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("Threads:", 0) == 0) figures.threads = std::atoi(line.c_str() + 8);
    if (line.rfind("VmRSS:", 0) == 0) figures.rssKiB = std::atol(line.c_str() + 6);
  }
  // Fields 14 and 15 of stat, counted after the command's closing parenthesis.
  const std::string stat = e2e::ReadFile(proc / "stat");
  const size_t close = stat.rfind(')');
  if (close != std::string::npos) {
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    unsigned long long user = 0, system = 0;
    for (int index = 3; fields >> field; ++index) {
      if (index == 14) user = std::stoull(field);
      if (index == 15) {
        system = std::stoull(field);
        break;
      }
    }
    figures.cpuSeconds = double(user + system) / double(::sysconf(_SC_CLK_TCK));
  }
  return figures;
}

Session::Session(const Context& context, const std::string& tag) : m_context(context), m_scratch("soak-" + tag) {}

bool Session::Start(std::string* error) {
  if (Scratch().empty()) return *error = "no scratch folder", false;
  fs::create_directories(Runtime());
  fs::permissions(Runtime(), fs::perms::owner_all);
  fs::create_directories(Config());
  fs::create_directories(EmptyDeviceRoot() / "dev");
  fs::create_directories(EmptyDeviceRoot() / "sys");
  return m_desktop.Start(Scratch(), error);
}

std::string Session::Channel() const {
  for (pid_t pid : m_started)
    if (std::string channel = e2e::InstanceChannelOf(pid); !channel.empty()) return channel;
  return {};
}

e2e::Child::Options Session::VeltrioOptions(const std::vector<std::string>& args, const fs::path& deviceRoot) const {
  e2e::Child::Options options;
  options.argv = {Program().string()};
  options.argv.insert(options.argv.end(), args.begin(), args.end());
  options.env = {
      {"DISPLAY", m_desktop.Name()},
      {"XDG_RUNTIME_DIR", Runtime().string()},
      {"XDG_CONFIG_HOME", Config().string()},
      {"HOME", (Scratch() / "home").string()},
      {"VELTRIO_DEVICE_ROOT", deviceRoot.string()},
      {"QT_QPA_PLATFORM", "xcb"},
      {"WAYLAND_DISPLAY", std::nullopt},
      // Without a session bus Qt's tray icon is the XEmbed one that the tray host shows.
      {"DBUS_SESSION_BUS_ADDRESS", std::nullopt},
      {"QT_QPA_PLATFORMTHEME", std::nullopt},
      {"XDG_CURRENT_DESKTOP", std::nullopt},
  };
  options.output = Log();
  return options;
}

std::unique_ptr<e2e::Child> Session::StartVeltrio(const std::vector<std::string>& args, const fs::path& deviceRoot,
                                                  std::string* error) {
  std::unique_ptr<e2e::Child> child = e2e::Child::Start(VeltrioOptions(args, deviceRoot), error);
  if (child) m_started.push_back(child->Pid());
  return child;
}

bool Session::Answers(std::chrono::milliseconds timeout) {
  return e2e::WaitUntil([&] { return e2e::AskInstance(Channel(), 0) == 0; }, timeout);
}

void Session::KeepLog(const std::string& name) const {
  std::error_code error;
  fs::create_directories(m_context.logs, error);
  fs::copy_file(Log(), m_context.logs / (name + ".log"), fs::copy_options::overwrite_existing, error);
}

}  // namespace soak

namespace {

struct Scenario {
  const char* name;
  soak::Result (*run)(const soak::Context&);
  bool longOnly;
};

constexpr Scenario kScenarios[] = {
    {"replug", soak::Replug, false},
    {"stall", soak::Stall, false},
    {"hostile", soak::HostileRemote, false},
    {"killsave", soak::KilledWhileSaving, false},
    {"fulldisk", soak::FullDisk, false},
    {"sound", soak::SoundServerGone, false},
    {"instance", soak::SecondInstance, false},
    {"idle", soak::LongIdle, true},
};

// A table cell: no bars or line breaks inside.
std::string Cell(std::string text) {
  for (char& c : text)
    if (c == '|' || c == '\n') c = c == '|' ? '/' : ' ';
  return text;
}

int Usage() {
  std::cerr << "usage: veltrio-soak --prefix DIR --writer PATH --logs DIR [--short|--long] [--only NAME]... [--seed N]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  soak::Context context;
  context.length = soak::Length::Full;
  context.seed = static_cast<unsigned>(std::random_device{}());
  std::vector<std::string> only;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--short") context.length = soak::Length::Short;
    else if (arg == "--long") context.length = soak::Length::Long;
    else if (arg == "--prefix" && hasValue) context.prefix = argv[++i];
    else if (arg == "--writer" && hasValue) context.settingsWriter = argv[++i];
    else if (arg == "--logs" && hasValue) context.logs = argv[++i];
    else if (arg == "--only" && hasValue) only.push_back(argv[++i]);
    else if (arg == "--seed" && hasValue) context.seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
    else return Usage();
  }
  if (context.prefix.empty() || context.settingsWriter.empty() || context.logs.empty()) return Usage();
  // Processes are recognised by the absolute path of their program.
  context.prefix = soak::fs::absolute(context.prefix);
  context.settingsWriter = soak::fs::absolute(context.settingsWriter);

  std::cout << "| scenario | what was done | times | what held | figures |\n"
            << "| --- | --- | --- | --- | --- |" << std::endl;
  int broken = 0;
  for (const Scenario& scenario : kScenarios) {
    const bool chosen = only.empty() ? !scenario.longOnly || context.length == soak::Length::Long
                                     : std::find(only.begin(), only.end(), scenario.name) != only.end();
    if (!chosen) continue;
    const auto start = std::chrono::steady_clock::now();
    soak::Result result = scenario.run(context);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const bool held = result.broken.empty();
    broken += held ? 0 : 1;
    std::cout << "| " << result.scenario << " | " << Cell(result.done) << " | " << result.times << " | "
              << (held ? Cell(result.held) : "BROKEN: " + Cell(result.broken)) << " | " << Cell(result.figures)
              << soak::Format("; %.0f s", seconds) << " |" << std::endl;
  }
  std::cout << "\nseed " << context.seed << "; " << (broken ? std::to_string(broken) + " scenario(s) broken" : "all held")
            << std::endl;
  return broken ? 1 : 0;
}
