// SPDX-License-Identifier: GPL-3.0-or-later
// The scenarios of the remote: replugging it, a remote that stalls, a remote that sends garbage,
// and a long idle with it attached. The remote is the simulator served in this process; veltrio
// runs hidden in the tray with the default bindings (media key 1 is Page Up).

#include "Soak.h"
#include "XKeyRecorder.h"
#include "remotesim/RemoteSim.h"

#include <algorithm>
#include <random>
#include <thread>

namespace soak {
namespace {

using namespace std::chrono_literals;
using remotesim::Key;
using testsupport::RecordedKey;

const std::vector<RecordedKey> kPageUp = {{true, "Prior"}, {false, "Prior"}};

// Veltrio hidden with the remote plugged, and a focused window that records the keys it types.
class RemoteRun {
 public:
  RemoteRun(const Context& context, const std::string& tag)
      : m_session(context, tag), m_sim(SimOptions(m_session.Scratch())) {}

  bool Start(std::string* error) {
    if (!m_session.Start(error)) return false;
    m_veltrio = m_session.StartVeltrio({"-boot"}, m_sim.Root(), error);
    if (!m_veltrio) return false;
    if (!m_session.Answers()) return *error = "veltrio did not answer on its socket", false;
    if (!m_recorder.Open(m_session.Desktop().Name())) return *error = m_recorder.Error(), false;
    return Opened(error);
  }

  // The remote opened after a plug: the vendor node has a connection, the chooser it brings up
  // is answered with the model, and the heartbeat arrives.
  bool Opened(std::string* error) {
    if (!e2e::WaitUntil([&] { return m_sim.VendorConnections() >= 1; }, 30s))
      return *error = "the remote was not opened", false;
    m_sim.SetModel(2);
    return HeartbeatResumes(error);
  }

  bool HeartbeatResumes(std::string* error) {
    m_sim.ClearReceived();
    if (!m_sim.WaitForReports(1, 30s)) {
      *error = "no heartbeat within 30 s (vendor node connections: " + std::to_string(m_sim.VendorConnections()) + ")";
      return false;
    }
    return true;
  }

  // Media key 1 pressed and released arrives as Page Up.
  bool KeyPerformed(std::string* error) {
    m_sim.Press(Key::Media1);
    m_sim.Release(Key::Media1);
    const std::vector<RecordedKey> keys = m_recorder.Take(2, 30s);
    if (keys != kPageUp) {
      *error = "media key 1 did not arrive as Page Up (" + std::to_string(keys.size()) + " key events)";
      return false;
    }
    return true;
  }

  // Forgets whatever keys arrived so far, waiting `quiet` for stragglers.
  void DrainKeys(std::chrono::milliseconds quiet) { m_recorder.Take(100000, quiet); }

  // Running and answering on its socket; `what` names the moment for the report.
  bool Alive(const std::string& what, std::string* error) {
    if (!m_veltrio->Running()) {
      *error = "veltrio ended " + what + " (status " + std::to_string(m_veltrio->Wait(0ms).value_or(-1)) + ")";
      return false;
    }
    return true;
  }

  Session& session() { return m_session; }
  remotesim::RemoteSim& sim() { return m_sim; }
  e2e::Child& veltrio() { return *m_veltrio; }

 private:
  static remotesim::RemoteSim::Options SimOptions(const fs::path& scratch) {
    remotesim::RemoteSim::Options options;
    options.root = (scratch / "devices").string();
    options.setEnvironment = false;
    return options;
  }

  Session m_session;
  remotesim::RemoteSim m_sim;
  std::unique_ptr<e2e::Child> m_veltrio;
  testsupport::XKeyRecorder m_recorder;
};

Result Failed(Result result, RemoteRun& run, const std::string& error) {
  result.broken = error;
  run.session().KeepLog(result.scenario);
  return result;
}

std::string Figures(const char* when, const ProcessFigures& f) {
  return Format("%s: %d fds, %d threads, %.1f MiB", when, f.fds, f.threads, f.rssKiB / 1024.0);
}

// Watches that the GUI thread answers through a span: every 250 ms a request on the instance
// channel, which the window's event loop answers. The slowest answer, or nullopt on a hang (no
// answer within the request's 10 s).
std::optional<double> ResponsiveFor(Session& session, std::chrono::seconds span) {
  double slowest = 0;
  const auto end = e2e::Clock::now() + span;
  while (e2e::Clock::now() < end) {
    const auto asked = e2e::Clock::now();
    if (e2e::AskInstance(session.Channel(), 0) != 0) return std::nullopt;
    slowest = std::max(slowest, std::chrono::duration<double>(e2e::Clock::now() - asked).count());
    std::this_thread::sleep_for(250ms);
  }
  return slowest;
}

}  // namespace

Result Replug(const Context& context) {
  Result result{"replug", "unplug and plug the receiver; after each plug wait for the heartbeat, press media key 1",
                context.Rounds(1000, 12), "heartbeat resumed and the key arrived every time; no leak", {}, {}};
  RemoteRun run(context, "replug");
  std::string error;
  if (!run.Start(&error)) return Failed(result, run, error);
  // Bounds on what 1000 cycles may add to the figures after the tenth: a descriptor or thread
  // per cycle would show as hundreds, a leaked buffer per cycle as megabytes.
  constexpr int kFdSlack = 4, kThreadSlack = 2;
  constexpr long kRssSlackKiB = 8 * 1024;
  ProcessFigures tenth, last;
  std::vector<double> cycleSeconds;
  for (int cycle = 1; cycle <= result.times; ++cycle) {
    const auto start = e2e::Clock::now();
    run.sim().Unplug();
    run.sim().Plug();
    if (!run.Opened(&error) || !run.KeyPerformed(&error) || !run.Alive("", &error))
      return Failed(result, run, "cycle " + std::to_string(cycle) + ": " + error);
    cycleSeconds.push_back(std::chrono::duration<double>(e2e::Clock::now() - start).count());
    if (cycle == 10) tenth = FiguresOf(run.veltrio().Pid());
  }
  last = FiguresOf(run.veltrio().Pid());
  std::sort(cycleSeconds.begin(), cycleSeconds.end());
  result.figures = Figures("after cycle 10", tenth) + "; " + Figures("after the last", last) +
                   Format("; bounds +%d fds, +%d threads, +%ld MiB; cycle median %.2f s, slowest %.2f s", kFdSlack,
                          kThreadSlack, kRssSlackKiB / 1024, cycleSeconds[cycleSeconds.size() / 2], cycleSeconds.back());
  if (last.fds > tenth.fds + kFdSlack || last.threads > tenth.threads + kThreadSlack ||
      last.rssKiB > tenth.rssKiB + kRssSlackKiB) {
    return Failed(result, run, "leak beyond its bound: " + result.figures);
  }
  return result;
}

Result Stall(const Context& context) {
  const int seconds = context.Rounds(10, 2);
  Result result{"stall",
                Format("the remote paused %d s, then goes on; then for %d s a node that accepts no connection", seconds,
                       seconds),
                1, "no hang: the window's loop answered throughout; heartbeat and keys afterwards", {}, {}};
  RemoteRun run(context, "stall");
  std::string error;
  if (!run.Start(&error)) return Failed(result, run, error);

  run.sim().SetPaused(true);
  const std::optional<double> paused = ResponsiveFor(run.session(), std::chrono::seconds(seconds));
  run.sim().SetPaused(false);
  if (!paused) return Failed(result, run, "the window's loop did not answer while the remote was paused");
  if (!run.HeartbeatResumes(&error) || !run.KeyPerformed(&error)) return Failed(result, run, "after the pause: " + error);

  run.sim().Unplug();
  run.sim().SetNodesAcceptNothing(true);
  run.sim().Plug();
  const std::optional<double> refused = ResponsiveFor(run.session(), std::chrono::seconds(seconds));
  run.sim().Unplug();
  run.sim().SetNodesAcceptNothing(false);
  if (!refused) return Failed(result, run, "the window's loop did not answer while the node accepted nothing");
  run.sim().Plug();
  if (!run.Opened(&error) || !run.KeyPerformed(&error) || !run.Alive("", &error))
    return Failed(result, run, "after the node that accepted nothing: " + error);
  result.figures = Format("slowest answer of the window's loop: %.2f s paused, %.2f s while the node accepted nothing",
                          *paused, *refused);
  return result;
}

Result HostileRemote(const Context& context) {
  const int seconds = context.Rounds(60, 3);
  Result result{"hostile",
                Format("plugged with 6 malformed report descriptors; then %d s of random reports of every length "
                       "1..64 at 1 kHz",
                       seconds),
                1, "no crash; CPU after the flood under its bound; well-formed reports performed afterwards", {}, {}};
  RemoteRun run(context, "hostile");
  std::string error;
  if (!run.Start(&error)) return Failed(result, run, error);
  std::mt19937 random(context.seed);

  // Malformed descriptors of the vendor interface: empty, cut mid-item, a collection never
  // closed, an end without a collection, a long item running past the end, and random bytes.
  std::vector<std::vector<std::uint8_t>> descriptors = {
      {},
      {0x06, 0x01},
      {0x06, 0x01, 0xFF, 0x09, 0x00, 0xA1, 0x01, 0x85, 0x0A, 0x75, 0x08, 0x95, 0x0F, 0x81, 0x02},
      {0xC0, 0xC0, 0xC0},
      {0xFE, 0xFF, 0x10, 0x00},
      {},
  };
  for (int i = 0; i < 64; ++i) descriptors.back().push_back(std::uint8_t(random()));
  for (const auto& descriptor : descriptors) {
    run.sim().Unplug();
    run.sim().PlugWithVendorDescriptor(descriptor);
    // Two round trips through the window's loop: the arrival has been handled.
    if (!run.session().Answers(20s) || !run.session().Answers(20s) || !run.Alive("on a malformed descriptor", &error))
      return Failed(result, run, error.empty() ? "no answer after a malformed descriptor" : error);
  }
  run.sim().Unplug();
  run.sim().Plug();
  if (!run.Opened(&error)) return Failed(result, run, "after the malformed descriptors: " + error);

  const ProcessFigures before = FiguresOf(run.veltrio().Pid());
  const auto start = e2e::Clock::now();
  auto next = start;
  long sent = 0;
  std::uniform_int_distribution<int> byte(0, 255);
  while (e2e::Clock::now() - start < std::chrono::seconds(seconds)) {
    const int length = int(sent % 64) + 1;
    remotesim::Report report(static_cast<std::size_t>(length));
    for (auto& b : report) b = std::uint8_t(byte(random));
    // Half of them carry the status report's id, so that they reach the decoder.
    if (sent % 2 == 0) report[0] = remotesim::kStatusReportId;
    run.sim().SendReport(report);
    ++sent;
    next += 1ms;
    std::this_thread::sleep_until(next);
  }
  const double floodSeconds = std::chrono::duration<double>(e2e::Clock::now() - start).count();
  const ProcessFigures flooded = FiguresOf(run.veltrio().Pid());
  if (!run.Alive("during the flood", &error)) return Failed(result, run, error);

  // Back to a plain state: linked, model 2, no key held. Then a quiet spell, in which nothing
  // should run but the heartbeat.
  run.sim().SetLink(true);
  run.sim().SetModel(2);
  for (Key key : {Key::Media1, Key::Media2, Key::Media3, Key::Gesture}) run.sim().Release(key);
  run.DrainKeys(2s);
  const ProcessFigures quietStart = FiguresOf(run.veltrio().Pid());
  const auto quietFrom = e2e::Clock::now();
  std::this_thread::sleep_for(5s);
  const ProcessFigures quietEnd = FiguresOf(run.veltrio().Pid());
  const double quietSeconds = std::chrono::duration<double>(e2e::Clock::now() - quietFrom).count();
  const double quietCpu = 100 * (quietEnd.cpuSeconds - quietStart.cpuSeconds) / quietSeconds;
  constexpr double kQuietCpuBound = 25;  // per cent of one core; a spinning reader takes ~100
  result.figures = Format("%ld reports in %.1f s; veltrio CPU %.0f %% of a core during the flood, %.1f %% in 5 quiet s "
                          "after it (bound %.0f %%); threads %d before, %d after",
                          sent, floodSeconds, 100 * (flooded.cpuSeconds - before.cpuSeconds) / floodSeconds, quietCpu,
                          kQuietCpuBound, before.threads, quietEnd.threads);
  if (quietCpu > kQuietCpuBound) return Failed(result, run, "a reader is left spinning: " + result.figures);
  if (!run.HeartbeatResumes(&error) || !run.KeyPerformed(&error)) return Failed(result, run, "after the flood: " + error);
  return result;
}

Result LongIdle(const Context& context) {
  Result result{"idle", "one hour hidden in the tray with the remote attached, figures every 10 min", 1,
                "resident memory and CPU flat", {}, {}};
  RemoteRun run(context, "idle");
  std::string error;
  if (!run.Start(&error)) return Failed(result, run, error);
  ProcessFigures previous = FiguresOf(run.veltrio().Pid());
  const ProcessFigures first = previous;
  std::string samples;
  double busiest = 0;
  for (int minute = 10; minute <= 60; minute += 10) {
    std::this_thread::sleep_for(std::chrono::minutes(10));
    if (!run.Alive(Format("after %d min", minute), &error)) return Failed(result, run, error);
    const ProcessFigures now = FiguresOf(run.veltrio().Pid());
    const double cpu = 100 * (now.cpuSeconds - previous.cpuSeconds) / 600;
    busiest = std::max(busiest, cpu);
    samples += Format("%s%.1f MiB/%.2f %%", samples.empty() ? "" : ", ", now.rssKiB / 1024.0, cpu);
    previous = now;
  }
  constexpr long kRssSlackKiB = 4 * 1024;
  constexpr double kCpuBound = 5;
  result.figures = Format("RSS %.1f MiB at the start; each 10 min RSS/CPU: ", first.rssKiB / 1024.0) + samples +
                   Format("; bounds +%ld MiB, %.0f %% CPU", kRssSlackKiB / 1024, kCpuBound);
  if (previous.rssKiB > first.rssKiB + kRssSlackKiB || busiest > kCpuBound)
    return Failed(result, run, "not flat: " + result.figures);
  if (!run.HeartbeatResumes(&error) || !run.KeyPerformed(&error)) return Failed(result, run, "after the hour: " + error);
  return result;
}

}  // namespace soak
