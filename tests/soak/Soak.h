// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The soak scenarios: each drives the installed programs (veltrio, the overlays) and the
// simulated remote through one kind of fault or load, many times, and reports what held.
//
// Thread: one thread. Failure: a scenario that sees a guarantee broken says which in `broken`;
// it never fails for slowness alone (waits are generous, and figures are reported, not bounded,
// except for the leak and spin bounds each scenario states).

#include "E2eSupport.h"

#include <string>

namespace soak {

namespace fs = std::filesystem;

// How long a run is: a few rounds of each scenario (part of scripts/test), the full run, or the
// full run with an hour of idle.
enum class Length { Short, Full, Long };

struct Context {
  Length length = Length::Short;
  fs::path prefix;         // the installation: bin/veltrio, bin/VtaGyroVol, ...
  fs::path settingsWriter;  // veltrio-settings-writer
  fs::path logs;           // the programs' output, kept when a scenario fails
  unsigned seed = 0;

  // `full` rounds in a full run, `few` in a short one.
  int Rounds(int full, int few) const { return length == Length::Short ? few : full; }
};

struct Result {
  std::string scenario;
  std::string done;     // what was done
  int times = 0;        // how many times
  std::string held;     // what held (the guarantee)
  std::string figures;
  std::string broken;   // empty when everything held
};

Result Replug(const Context& context);
Result Stall(const Context& context);
Result HostileRemote(const Context& context);
Result KilledWhileSaving(const Context& context);
Result FullDisk(const Context& context);
Result SoundServerGone(const Context& context);
Result SecondInstance(const Context& context);
Result LongIdle(const Context& context);

// --- what the scenarios share ----------------------------------------------------------------

// Figures of a running process, from /proc.
struct ProcessFigures {
  int fds = 0;
  int threads = 0;
  long rssKiB = 0;
  double cpuSeconds = 0;  // user + system so far
};
ProcessFigures FiguresOf(pid_t pid);

// "%.1f" and friends without iostream ceremony.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A desktop, a settings folder and a runtime folder of the scenario's own, and veltrio started
// from the installation against a device root.
class Session {
 public:
  Session(const Context& context, const std::string& tag);
  bool Start(std::string* error);  // the desktop
  e2e::Desktop& Desktop() { return m_desktop; }
  const fs::path& Scratch() const { return m_scratch.Path(); }
  fs::path Runtime() const { return Scratch() / "runtime"; }
  fs::path Config() const { return Scratch() / "config"; }
  fs::path SettingsFile() const { return Config() / "Veltrio" / "global.xml"; }
  // The instance channel of the veltrio this session started that listens on one ("@..."),
  // empty while none does.
  std::string Channel() const;
  fs::path Log() const { return Scratch() / "veltrio.log"; }
  fs::path EmptyDeviceRoot() const { return Scratch() / "no-devices"; }
  fs::path Program() const { return m_context.prefix / "bin" / "veltrio"; }

  e2e::Child::Options VeltrioOptions(const std::vector<std::string>& args, const fs::path& deviceRoot) const;
  std::unique_ptr<e2e::Child> StartVeltrio(const std::vector<std::string>& args, const fs::path& deviceRoot,
                                           std::string* error);
  // True once the instance answers on its channel (its event loop runs).
  bool Answers(std::chrono::milliseconds timeout = std::chrono::seconds(30));
  // Copies the program's log next to the run's logs, for a scenario that failed.
  void KeepLog(const std::string& name) const;

 private:
  const Context& m_context;
  e2e::ScratchFolder m_scratch;
  e2e::Desktop m_desktop;
  std::vector<pid_t> m_started;  // every veltrio started, oldest first
};

}  // namespace soak
