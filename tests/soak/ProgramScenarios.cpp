// SPDX-License-Identifier: GPL-3.0-or-later
// The scenarios of whole programs: a second veltrio started over and over and "-x" while the
// window runs a menu or a dialog, and the sound server going away under VtaGyroVol.

#include "Soak.h"

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <thread>

namespace soak {
namespace {

using namespace std::chrono_literals;

// Where the main window's layout puts the add-profile button (window coordinates, Settings
// page, where the window opens).
constexpr int kAddProfileX = 64 + 213 + 19, kAddProfileY = 36 + 84 + 14;

// What an ended instance left in the runtime folder that could stand in the next one's way: any
// file but the lock file, and the lock file while someone holds its lock.
std::vector<std::string> RuntimeLeftovers(const Session& session, bool* lockFileStays) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(session.Runtime(), error)) {
    const std::string name = entry.path().filename();
    if (name == std::string(e2e::kInstanceName) + ".lock") {
      *lockFileStays = true;
      const int fd = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC);
      const bool free = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
      if (fd >= 0) ::close(fd);
      if (free) continue;
      names.push_back(name + " (locked)");
    } else {
      names.push_back(name);
    }
  }
  return names;
}

// A private PulseAudio server on a socket of the scenario's, with a null sink.
class SoundServer {
 public:
  explicit SoundServer(const fs::path& folder) : m_folder(folder) { fs::create_directories(folder); }
  std::string Address() const { return "unix:" + (m_folder / "pulse.sock").string(); }
  bool Start(std::string* error) {
    e2e::Child::Options options;
    options.argv = {"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disable-shm=yes",
                    "--load=module-native-protocol-unix socket=" + (m_folder / "pulse.sock").string() +
                        " auth-anonymous=1",
                    "--load=module-null-sink sink_name=soak_null", "--load=module-always-sink"};
    options.env = {{"XDG_RUNTIME_DIR", m_folder.string()}, {"HOME", m_folder.string()}, {"PULSE_SERVER", std::nullopt}};
    options.output = m_folder / "pulse.log";
    m_server = e2e::Child::Start(options, error);
    if (!m_server) return false;
    if (!e2e::WaitUntil([&] { return Pactl({"info"}).has_value(); }, 20s))
      return *error = "pulseaudio did not answer; see " + (m_folder / "pulse.log").string(), false;
    return true;
  }
  void Stop() {
    if (m_server) ::kill(m_server->Pid(), SIGTERM), m_server->Wait(10s);
    m_server.reset();
  }
  std::optional<std::string> Pactl(const std::vector<std::string>& args) const {
    e2e::Child::Options options;
    options.argv = {"pactl"};
    options.argv.insert(options.argv.end(), args.begin(), args.end());
    options.env = {{"PULSE_SERVER", Address()}};
    options.output = m_folder / "pactl.out";
    fs::remove(options.output);
    std::string error;
    auto child = e2e::Child::Start(options, &error);
    if (!child || child->Wait(10s) != 0) return std::nullopt;
    return e2e::ReadFile(options.output);
  }
  // The default sink's front-left volume in per cent, -1 when unreadable.
  int VolumePercent() const {
    const std::string text = Pactl({"get-sink-volume", "@DEFAULT_SINK@"}).value_or("");
    const size_t slash = text.find(" / ");
    return slash == std::string::npos ? -1 : std::atoi(text.c_str() + slash + 3);
  }

 private:
  fs::path m_folder;
  std::unique_ptr<e2e::Child> m_server;
};

}  // namespace

Result SecondInstance(const Context& context) {
  const int starts = context.Rounds(100, 5), quits = context.Rounds(10, 1);
  Result result{"instance",
                Format("a second veltrio started %d times beside a running one; then %d times each: \"-x\" while the "
                       "tray menu is open and while the new-profile dialog is open",
                       starts, quits),
                starts + 2 * quits,
                "one instance; every start and \"-x\" ended with status 0; the instance ended with 0; no socket "
                "and no held lock left",
                {}, {}};
  Session session(context, "instance");
  std::string error;
  if (!session.Start(&error)) return result.broken = error, result;
  auto fail = [&](const std::string& what) {
    session.KeepLog(result.scenario);
    result.broken = what;
    return result;
  };
  auto run = [&](const std::vector<std::string>& args) -> std::optional<int> {
    auto child = session.StartVeltrio(args, session.EmptyDeviceRoot(), &error);
    return child ? child->Wait(30s) : std::nullopt;
  };

  auto first = session.StartVeltrio({}, session.EmptyDeviceRoot(), &error);
  if (!first || !session.Answers()) return fail("veltrio did not start: " + error);
  for (int start = 1; start <= starts; ++start) {
    if (run({}) != 0) return fail("start " + std::to_string(start) + " did not end with 0");
    if (e2e::ProcessesOf(session.Program()).size() != 1 || !first->Running())
      return fail("start " + std::to_string(start) + ": not exactly the one instance");
  }
  if (!session.Answers()) return fail("the instance stopped answering");

  e2e::Desktop& desktop = session.Desktop();
  bool lockFileStays = false;
  for (int round = 1; round <= quits; ++round) {
    for (const bool dialog : {false, true}) {
      const std::string what = std::string(dialog ? "dialog" : "menu") + " round " + std::to_string(round) + ": ";
      if (!first) {
        first = session.StartVeltrio({}, session.EmptyDeviceRoot(), &error);
        if (!first || !session.Answers()) return fail(what + "veltrio did not start: " + error);
      }
      const pid_t pid = first->Pid();
      if (dialog) {
        unsigned long window = 0;
        if (!e2e::WaitUntil([&] { return desktop.Viewable(window = desktop.MainWindow(pid)); }, 30s))
          return fail(what + "the window did not show");
        const e2e::Rect frame = desktop.Geometry(window);
        desktop.Click(frame.x + kAddProfileX, frame.y + kAddProfileY);
        if (!e2e::WaitUntil([&] { return desktop.ShownWindowTitled(pid, "New profile") != 0; }, 30s))
          return fail(what + "the dialog did not open");
      } else {
        unsigned long icon = 0;
        if (!e2e::WaitUntil([&] { return (icon = desktop.EmbeddedTrayIcon(pid)) != 0; }, 30s))
          return fail(what + "no tray icon");
        const e2e::Rect place = desktop.Geometry(icon);
        if (!desktop.ClickIn(icon, place.width / 2, place.height / 2, 3) ||
            !e2e::WaitUntil([&] { return desktop.ShownPopup(pid) != 0; }, 30s))
          return fail(what + "the tray menu did not open");
      }
      if (run({"-x"}) != 0) return fail(what + "\"-x\" did not end with 0");
      const std::optional<int> status = first->Wait(30s);
      if (status != 0) return fail(what + "the instance ended with " + std::to_string(status.value_or(-1)));
      first.reset();
      if (!e2e::WaitUntil([&] { return RuntimeLeftovers(session, &lockFileStays).empty(); }, 10s))
        return fail(what + "left in the runtime folder: " + RuntimeLeftovers(session, &lockFileStays).front());
    }
  }
  result.figures = lockFileStays ? "nothing else left after every end; the lock file stays behind, unlocked (it does not "
                                   "stop the next start)"
                                 : "runtime folder empty after every end";
  return result;
}

Result SoundServerGone(const Context& context) {
  const int rounds = context.Rounds(5, 1);
  Result result{"sound",
                "the sound server ended for 3 s under a running VtaGyroVol, then started afresh at 30 %; the "
                "pointer moved up 100 px",
                rounds,
                "VtaGyroVol kept running, said the server was gone and back, and set the new server's volume to 40 %",
                {}, {}};
  Session session(context, "sound");
  std::string error;
  if (!session.Start(&error)) return result.broken = error, result;
  SoundServer server(session.Scratch() / "pulse");
  if (!server.Start(&error)) return result.broken = error, result;
  server.Pactl({"set-sink-volume", "@DEFAULT_SINK@", "30%"});

  e2e::Child::Options options;
  options.argv = {(context.prefix / "bin" / "VtaGyroVol").string()};
  options.env = {{"DISPLAY", session.Desktop().Name()},
                 {"PULSE_SERVER", server.Address()},
                 {"XDG_CONFIG_HOME", session.Config().string()},
                 {"HOME", (session.Scratch() / "home").string()},
                 {"VELTRIO_DEVICE_ROOT", session.EmptyDeviceRoot().string()},
                 {"QT_QPA_PLATFORM", "xcb"},
                 {"WAYLAND_DISPLAY", std::nullopt}};
  const fs::path log = session.Scratch() / "gyrovol.log";
  options.output = log;
  auto overlay = e2e::Child::Start(options, &error);
  if (!overlay) return result.broken = error, result;
  e2e::Desktop& desktop = session.Desktop();
  unsigned long window = 0;
  if (!e2e::WaitUntil([&] {
        for (unsigned long w : desktop.WindowsOf(overlay->Pid()))
          if (desktop.Viewable(w)) return (window = w) != 0;
        return false;
      }, 30s))
    return result.broken = "VtaGyroVol showed no window: " + e2e::ReadFile(log), result;
  const e2e::Rect place = desktop.Geometry(window);
  const std::pair<int, int> centre{place.CenterX(), place.CenterY()};

  const auto mentions = [&](const std::string& text) {
    size_t count = 0;
    const std::string output = e2e::ReadFile(log);
    for (size_t at = output.find(text); at != std::string::npos; at = output.find(text, at + 1)) ++count;
    return count;
  };
  for (int round = 1; round <= rounds; ++round) {
    const std::string what = "round " + std::to_string(round) + ": ";
    server.Stop();
    std::this_thread::sleep_for(3s);
    if (!overlay->Running()) return result.broken = what + "VtaGyroVol ended without its server", result;
    if (!e2e::WaitUntil([&] { return mentions("sound server is gone") == size_t(round); }, 10s))
      return result.broken = what + "VtaGyroVol did not say that the server is gone", result;
    if (!server.Start(&error)) return result.broken = what + error, result;
    server.Pactl({"set-sink-volume", "@DEFAULT_SINK@", "30%"});
    // Its once-a-second refresh finds the server back.
    if (!e2e::WaitUntil([&] { return mentions("sound server is back") == size_t(round); }, 20s))
      return result.broken = what + "VtaGyroVol did not say that the server is back", result;
    // The level it moves from is the one it last read, which its refresh (once a second) takes
    // from the new server: the volume set above is read by then.
    std::this_thread::sleep_for(2500ms);
    // Moved up in small steps, each taken back to the centre, as a slow hand gives them.
    for (int step = 0; step < 25; ++step) {
      desktop.MovePointerBy(0, -4);
      if (!e2e::WaitUntil([&] { return desktop.PointerPosition() == centre; }, 10s))
        return result.broken = what + "the pointer did not go back to the centre", result;
    }
    if (!e2e::WaitUntil([&] { return server.VolumePercent() == 40; }, 20s))
      return result.broken = what + "the volume of the new server is " + std::to_string(server.VolumePercent()) +
                             " %, not 40 %", result;
  }
  overlay->Kill();
  server.Stop();
  result.figures = "reconnected every round";
  return result;
}

}  // namespace soak
