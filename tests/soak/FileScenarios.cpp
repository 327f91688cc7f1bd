// SPDX-License-Identifier: GPL-3.0-or-later
// The scenarios of the settings file: the writer killed mid-save, and saves that cannot land
// (a file size limit, a read-only folder). The settings code runs in veltrio-settings-writer,
// a process of its own that can be killed and limited; the last check starts veltrio itself.

#include "Soak.h"

#include <csignal>
#include <random>
#include <sys/stat.h>
#include <thread>

namespace soak {
namespace {

using namespace std::chrono_literals;

// Runs the writer with `args` to its end; its exit status, or nullopt when it did not end.
std::optional<int> RunWriter(const Context& context, const fs::path& config, const std::vector<std::string>& args,
                             const std::vector<std::string>& wrapper = {}) {
  e2e::Child::Options options;
  options.argv = wrapper;
  options.argv.push_back(context.settingsWriter.string());
  options.argv.insert(options.argv.end(), args.begin(), args.end());
  options.env = {{"XDG_CONFIG_HOME", config.string()}};
  options.output = config / "writer.log";
  std::string error;
  auto child = e2e::Child::Start(options, &error);
  return child ? child->Wait(60s) : std::nullopt;
}

std::vector<std::string> FilesIn(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const auto& name : names) text += (text.empty() ? "" : " ") + name;
  return text;
}

}  // namespace

Result KilledWhileSaving(const Context& context) {
  Result result{"killsave",
                "SIGKILL at a random moment (0-40 ms after its start) of a process saving the settings and two "
                "profiles by turns, then the next start",
                context.Rounds(500, 20),
                "global.xml parsed and held one whole state of each element every time; no temporary file "
                "after the next start (veltrio's own start included)",
                {}, {}};
  Session session(context, "killsave");
  const fs::path config = session.Config(), folder = config / "Veltrio";
  fs::create_directories(folder);
  if (RunWriter(context, config, {"save", "2"}) != 0) return result.broken = "the first save failed", result;

  std::mt19937 random(context.seed);
  std::uniform_int_distribution<int> delayUs(0, 40000);
  int leftovers = 0;
  for (int kill = 1; kill <= result.times; ++kill) {
    e2e::Child::Options options;
    options.argv = {context.settingsWriter.string(), "save", "0"};
    options.env = {{"XDG_CONFIG_HOME", config.string()}};
    std::string error;
    auto writer = e2e::Child::Start(options, &error);
    if (!writer) return result.broken = error, result;
    std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
    writer->Kill();
    const std::string at = "kill " + std::to_string(kill) + ": ";
    if (RunWriter(context, config, {"check"}) != 0)
      return result.broken = at + e2e::ReadFile(config / "writer.log"), result;
    leftovers += FilesIn(folder).size() > 1 ? 1 : 0;
    fs::remove(config / "writer.log");
    if (RunWriter(context, config, {"start"}) != 0) return result.broken = at + "the next start failed", result;
    fs::remove(config / "writer.log");
    if (FilesIn(folder) != std::vector<std::string>{"global.xml"})
      return result.broken = at + "after the next start the folder holds " + Joined(FilesIn(folder)), result;
  }

  // veltrio's own start removes what a killed write left.
  e2e::WriteFile(folder / "global.xml.k1LLed", "<profilecfg><profile name=\"Ta");
  std::string error;
  if (!session.Start(&error)) return result.broken = error, result;
  auto veltrio = session.StartVeltrio({"-boot"}, session.EmptyDeviceRoot(), &error);
  if (!veltrio || !session.Answers()) return result.broken = "veltrio did not start: " + error, result;
  const std::vector<std::string> left = FilesIn(folder);
  veltrio->Kill();
  if (left != std::vector<std::string>{"global.xml"})
    return result.broken = "after veltrio's start the folder holds " + Joined(left), result;
  result.figures = Format("%d of %d kills left a temporary file beside global.xml; every one was removed at the next "
                          "start",
                          leftovers, result.times);
  return result;
}

Result FullDisk(const Context& context) {
  const int rounds = context.Rounds(20, 2);
  Result result{"fulldisk",
                "saves of the settings and a profile with the file size limited to half the file (RLIMIT_FSIZE), "
                "and into a read-only folder (write capabilities dropped when root)",
                2 * rounds, "both saves reported failure; the old file stayed byte for byte; no temporary file; the "
                "process went on and read the settings",
                {}, {}};
  Session session(context, "fulldisk");
  const fs::path config = session.Config(), folder = config / "Veltrio", file = folder / "global.xml";
  fs::create_directories(folder);
  if (RunWriter(context, config, {"save", "2"}) != 0) return result.broken = "the first save failed", result;
  const std::string before = e2e::ReadFile(file);
  const std::string limit = "--fsize=" + std::to_string(before.size() / 2);
  for (int round = 1; round <= rounds; ++round) {
    for (const bool readOnly : {false, true}) {
      const std::string what = readOnly ? "read-only folder: " : "file size limit: ";
      if (readOnly) fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
      const std::optional<int> status =
          readOnly ? RunWriter(context, config, {"starved"}) : RunWriter(context, config, {"starved"}, {"prlimit", limit});
      if (readOnly) fs::permissions(folder, fs::perms::owner_all);
      const std::string log = e2e::ReadFile(config / "writer.log");
      fs::remove(config / "writer.log");
      if (status != 0) return result.broken = what + "status " + std::to_string(status.value_or(-1)) + " " + log, result;
      if (e2e::ReadFile(file) != before) return result.broken = what + "global.xml changed", result;
      if (FilesIn(folder) != std::vector<std::string>{"global.xml"})
        return result.broken = what + "the folder holds " + Joined(FilesIn(folder)), result;
    }
  }
  result.figures = Format("global.xml of %zu bytes, limit %zu bytes", before.size(), before.size() / 2);
  return result;
}

}  // namespace soak
