// SPDX-License-Identifier: GPL-3.0-or-later
// bench_idle [--seconds N] [--veltrio PATH]
//
// On an Xvfb of its own with a tray host: starts veltrio with -boot and the remote attached
// (remote-sim in a process of its own, so that only veltrio is counted), lets the device chooser
// close itself, and then leaves it alone for N seconds (default 60). Prints, for that period:
//  - the CPU time of the whole process (every thread, from /proc/PID/task/*/schedstat, which
//    counts in nanoseconds) as a share of one core; target at most 0.02 %;
//  - the heartbeats the remote received and the CPU per heartbeat (the whole process's CPU
//    divided by them: at rest the heartbeat is all there is to do);
//  - how often each thread was scheduled: the wake-ups besides the heartbeat's.
// Asserts nothing.

#include "E2eSupport.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <thread>

namespace {

using namespace e2e;

struct ThreadTimes {
  std::string name;
  double cpuNs = 0;
  double runs = 0;  // times it was scheduled
};

// Every thread of `pid` by id.
std::map<std::string, ThreadTimes> Threads(pid_t pid) {
  std::map<std::string, ThreadTimes> threads;
  std::error_code error;
  const fs::path tasks = "/proc/" + std::to_string(pid) + "/task";
  for (const auto& task : fs::directory_iterator(tasks, error)) {
    ThreadTimes times;
    std::ifstream(task.path() / "comm") >> times.name;
    double waited = 0;
    if (std::ifstream(task.path() / "schedstat") >> times.cpuNs >> waited >> times.runs)
      threads[task.path().filename().string()] = times;
  }
  return threads;
}

int ReceivedReports(const fs::path& log) {
  std::ifstream in(log);
  int count = 0;
  for (std::string line; std::getline(in, line);) count += line.rfind("received", 0) == 0;
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = 60;
  std::string program = VELTRIO_PATH;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--seconds" && i + 1 < argc) seconds = std::max(1, std::atoi(argv[++i]));
    else if (arg == "--veltrio" && i + 1 < argc) program = argv[++i];
    else {
      std::fprintf(stderr, "usage: bench_idle [--seconds N] [--veltrio PATH]\n");
      return 2;
    }
  }

  ScratchFolder scratch("bench-idle");
  const fs::path runtime = scratch.Path() / "runtime", config = scratch.Path() / "config";
  fs::create_directories(runtime);
  ::chmod(runtime.c_str(), 0700);
  fs::create_directories(config);
  Desktop desktop;
  std::string error;
  if (!desktop.Start(scratch.Path(), &error)) {
    std::fprintf(stderr, "bench_idle: %s\n", error.c_str());
    return 1;
  }
  const fs::path remoteLog = scratch.Path() / "remote-sim.log";
  auto remote = RemoteProcess::Start(REMOTE_SIM_PATH, remoteLog, false, &error);
  if (!remote) {
    std::fprintf(stderr, "bench_idle: %s\n", error.c_str());
    return 1;
  }
  auto options = [&](std::vector<std::string> args) {
    Child::Options o;
    o.argv = {program};
    o.argv.insert(o.argv.end(), args.begin(), args.end());
    o.env = {{"DISPLAY", desktop.Name()},
             {"XDG_RUNTIME_DIR", runtime.string()},
             {"XDG_CONFIG_HOME", config.string()},
             {"VELTRIO_DEVICE_ROOT", remote->Root().string()},
             {"QT_QPA_PLATFORM", "xcb"},
             {"WAYLAND_DISPLAY", std::nullopt},
             {"DBUS_SESSION_BUS_ADDRESS", std::nullopt}};
    o.output = scratch.Path() / "veltrio.log";
    return o;
  };
  auto veltrio = Child::Start(options({"-boot"}), &error);
  if (!veltrio) {
    std::fprintf(stderr, "bench_idle: %s\n", error.c_str());
    return 1;
  }
  const bool attached = WaitUntil(
      [&] { return UnixSocketEnds(remote->VendorNode()) >= 2 && UnixSocketEnds(remote->MouseEventNode()) >= 2; }, 20s);
  if (!attached) {
    std::fprintf(stderr, "bench_idle: veltrio did not open the remote:\n%s\n", ReadFile(scratch.Path() / "veltrio.log").c_str());
    return 1;
  }
  // The chooser that the newly opened remote brings up closes itself a second after the remote
  // reports its model; after that nothing is shown.
  auto chooser = [&] { return desktop.ShownWindowTitled(veltrio->Pid(), "Veltrio", 250); };
  WaitUntil([&] { return chooser() != 0; }, 5s);
  if (!remote->Send("model 2") || !WaitUntil([&] { return chooser() == 0; }, 10s)) {
    std::fprintf(stderr, "bench_idle: the device chooser stays:\n%s\n", ReadFile(scratch.Path() / "veltrio.log").c_str());
    return 1;
  }
  std::this_thread::sleep_for(2s);

  const auto before = Threads(veltrio->Pid());
  const int beatsBefore = ReceivedReports(remoteLog);
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  const auto after = Threads(veltrio->Pid());
  const int beats = ReceivedReports(remoteLog) - beatsBefore;

  double cpuNs = 0;
  std::printf("veltrio: %s\nhidden (-boot) with the remote attached, left alone for %d s:\n", program.c_str(), seconds);
  for (const auto& [tid, now] : after) {
    const auto then = before.find(tid);
    const ThreadTimes start = then == before.end() ? ThreadTimes{} : then->second;
    const double used = now.cpuNs - start.cpuNs, runs = now.runs - start.runs;
    cpuNs += used;
    if (runs > 0)
      std::printf("  thread %-16s %7.1f wake-ups/s, %8.3f ms CPU\n", now.name.c_str(), runs / seconds, used / 1e6);
  }
  std::printf("  heartbeats received: %d (%.2f/s)\n", beats, double(beats) / seconds);
  std::printf("  CPU per heartbeat (whole process / heartbeats): %.1f us\n", beats ? cpuNs / 1e3 / beats : 0.0);
  std::printf("  whole process: %.3f ms CPU in %d s = %.4f %% of a core (target <= 0.02 %%)\n", cpuNs / 1e6, seconds,
              100.0 * cpuNs / 1e9 / seconds);

  auto quit = Child::Start(options({"-x"}), &error);
  if (quit) quit->Wait(20s);
  veltrio->Wait(20s);
  return 0;
}
