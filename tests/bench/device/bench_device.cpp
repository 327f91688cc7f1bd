// bench_device [--idle-seconds N]
//
// 1. Latency: from the simulated remote sending a media key press to the device event being
//    handled on the GUI thread, over 1000 presses; prints the median and the 99th percentile.
// 2. Idle cost: the process CPU time (user + system) over N seconds (default 30) with the remote
//    attached and idle, the link and the raw-input window running; the remote is played by the
//    remote-sim program in a process of its own, so that only Veltrio's side is counted.

#include "device/DeviceEvents.h"
#include "device/MouseComWnd.h"
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
#include <vector>

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
  const double start = CpuSeconds();
  RunEventLoop(seconds * 1000);
  const double used = CpuSeconds() - start;
  std::printf("idle with the remote attached: %.3f s CPU in %d s = %.3f%% of a core\n", used, seconds,
              100.0 * used / seconds);
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
