// SPDX-License-Identifier: GPL-3.0-or-later
// bench_device [--idle-seconds N]
//
// 1. Latency: from the simulated remote sending a media key press to the device event being
//    handled on the GUI thread, over 1000 presses; prints the median and the 99th percentile.
// 2. Heartbeats: the longest gap between two heartbeats the remote received over 10 s, and the
//    CPU time and the heap allocations of one heartbeat write, over 10000 in a row.
// 3. Idle cost: the process CPU time (user + system) over N seconds (default 30) with the remote
//    attached and idle, the link and the raw-input window running; the remote is played by the
//    remote-sim program in a process of its own, so that only Veltrio's side is counted. Also the
//    GUI thread's share of it per heartbeat (timer, event loop and write), from the scheduler's
//    nanosecond count.

#include "device/DeviceEvents.h"
#include "device/MouseComWnd.h"
#include "device/MouseDevLink.h"
#include "device/RawInputWnd.h"
#include "remotesim/RemoteSim.h"
#include "settings/GlobalSettings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <new>
#include <vector>

// Heap allocations are counted per thread, to show that a heartbeat makes none on the GUI thread
// (the in-process remote's own thread allocates for every report it records).
thread_local long g_allocations = 0;

void* operator new(std::size_t size) {
  ++g_allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using Clock = std::chrono::steady_clock;

struct Recorder : CDeviceEventTarget {
  void OnDeviceEvent(int code) override {
    if (code == kEventMediaKey1) handled = Clock::now(), ++presses;
  }
  void OnDeviceFound() override {}
  void RefreshDeviceLabel() override {}
  Clock::time_point handled;
  int presses = 0;
};

bool SpinUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
  }
  return true;
}

// The GUI thread as the program has it: blocked in its event loop until something happens.
void RunEventLoop(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The calling thread's time on a CPU, in nanoseconds, as the scheduler counts it.
double ThreadCpuNs() {
  double ns = 0;
  std::ifstream("/proc/thread-self/schedstat") >> ns;
  return ns;
}

// On the link that Latency opened.
void Heartbeats(remotesim::RemoteSim& sim, MOUSEFUCTION::CMouseComWnd& link) {
  std::mutex lock;
  std::vector<Clock::time_point> arrivals;
  sim.SetReceivedHandler([&](const remotesim::Report&) {
    std::lock_guard guard(lock);
    arrivals.push_back(Clock::now());
  });
  RunEventLoop(10000);
  double longestMs = 0;
  {
    std::lock_guard guard(lock);
    for (std::size_t i = 1; i < arrivals.size(); ++i)
      longestMs = std::max(longestMs, std::chrono::duration<double, std::milli>(arrivals[i] - arrivals[i - 1]).count());
    std::printf("heartbeats over 10 s: %zu, longest gap %.1f ms (period %d ms)\n", arrivals.size(), longestMs,
                MOUSEFUCTION::CMouseComWnd::kHeartbeatMs);
  }
  sim.SetReceivedHandler(nullptr);

  constexpr int kWrites = 10000;
  link.Link().SendHeartbeat();  // warm
  const long allocations = g_allocations;
  const double start = ThreadCpuNs();
  for (int i = 0; i < kWrites; ++i) link.Link().SendHeartbeat();
  const double used = ThreadCpuNs() - start;
  std::printf("one heartbeat write: %.2f us CPU, %.2f heap allocations (%d in a row)\n", used / 1e3 / kWrites,
              double(g_allocations - allocations) / kWrites, kWrites);
}

int Latency() {
  remotesim::RemoteSim sim;
  Recorder recorder;
  g_hMainWnd = &recorder;
  MOUSEFUCTION::CMouseComWnd link(GlobalSettings(), nullptr);
  if (!g_bDevicePresent) {
    std::fprintf(stderr, "bench_device: the simulated remote was not opened\n");
    return 1;
  }
  std::vector<double> micros;
  for (int i = 0; i < 1000; ++i) {
    const int before = recorder.presses;
    const auto sent = Clock::now();
    sim.Press(remotesim::Key::Media1);
    if (!SpinUntil([&] { return recorder.presses > before; })) {
      std::fprintf(stderr, "bench_device: press %d never arrived\n", i);
      return 1;
    }
    micros.push_back(std::chrono::duration<double, std::micro>(recorder.handled - sent).count());
    sim.Release(remotesim::Key::Media1);
  }
  std::sort(micros.begin(), micros.end());
  std::printf("key press to GUI handler: median %.0f us, p99 %.0f us, max %.0f us (%zu presses)\n",
              micros[micros.size() / 2], micros[micros.size() * 99 / 100], micros.back(), micros.size());
  Heartbeats(sim, link);
  g_hMainWnd = nullptr;
  return 0;
}

int IdleCost(int seconds) {
  QProcess sim;
  sim.start(QStringLiteral(REMOTE_SIM_PATH), {});
  if (!sim.waitForStarted() || !sim.waitForReadyRead(5000)) {
    std::fprintf(stderr, "bench_device: remote-sim did not start\n");
    return 1;
  }
  const QString line = QString::fromUtf8(sim.readLine()).trimmed();
  if (!line.startsWith(QStringLiteral("root "))) return 1;
  setenv("VELTRIO_DEVICE_ROOT", line.mid(5).toUtf8().constData(), 1);

  Recorder recorder;
  g_hMainWnd = &recorder;
  auto link = std::make_unique<MOUSEFUCTION::CMouseComWnd>(GlobalSettings(), nullptr);
  auto rawInput = std::make_unique<MOUSEFUCTION::CRawInputWnd>(GlobalSettings(), nullptr);
  if (!g_bDevicePresent) {
    std::fprintf(stderr, "bench_device: remote-sim's remote was not opened\n");
    return 1;
  }
  RunEventLoop(500);  // settle
  int receivedLines = 0;
  auto received = [&] {
    while (sim.canReadLine()) receivedLines += sim.readLine().startsWith("received");
    return receivedLines;
  };
  const int beatsBefore = received();
  const long allocationsBefore = g_allocations;
  const double start = CpuSeconds(), guiStart = ThreadCpuNs();
  RunEventLoop(seconds * 1000);
  const double used = CpuSeconds() - start, guiUsed = ThreadCpuNs() - guiStart;
  const long allocations = g_allocations - allocationsBefore;
  sim.waitForReadyRead(500);
  const int beats = received() - beatsBefore;
  std::printf("idle with the remote attached: %.3f s CPU in %d s = %.4f%% of a core\n", used, seconds,
              100.0 * used / seconds);
  std::printf("  per heartbeat (%d): GUI thread %.1f us CPU, %.2f heap allocations\n", beats,
              beats ? guiUsed / 1e3 / beats : 0.0, beats ? double(allocations) / beats : 0.0);
  rawInput.reset();
  link.reset();
  g_hMainWnd = nullptr;
  sim.closeWriteChannel();
  sim.waitForFinished(5000);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int idleSeconds = 30;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--idle-seconds") && i + 1 < argc) idleSeconds = std::atoi(argv[++i]);
  }
  std::string folder = (std::filesystem::temp_directory_path() / "veltrio-bench-XXXXXX").string();
  if (!mkdtemp(folder.data())) return 1;
  setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  QCoreApplication app(argc, argv);
  GlobalSettings().m_benablegesture = true;
  int result = Latency();
  if (result == 0) result = IdleCost(idleSeconds);
  std::filesystem::remove_all(folder);
  return result;
}
