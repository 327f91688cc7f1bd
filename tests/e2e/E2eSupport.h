// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the end-to-end tests and the start-up benchmark need to drive a whole Veltrio from outside:
// started processes, a desktop of their own (an Xvfb with a tray host) and a look at its windows
// the way a user sees them, the simulated remote as a process, and Veltrio's sockets in
// /proc/net/unix.
//
// Thread: one thread. Failure: Start functions return false or null with the reason in `error`;
// look-ups return 0 (no window) or an empty result.

#include "PrivateXServer.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

typedef struct _XDisplay Display;

namespace e2e {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The single-instance name: the running veltrio listens on XDG_RUNTIME_DIR/<name>.sock.
inline constexpr const char* kInstanceName = "Zmgenex-Hkbhi{M49H36ND-72UK-799G-9739-80020Q8R8E3B}";

// Polls `condition` every 10 ms until it holds or `timeout` has passed; true when it held.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s);

// A program started with posix_spawn (never a shell). Killed and reaped when the object goes.
class Child {
 public:
  struct Options {
    std::vector<std::string> argv;                          // argv[0] is the program's path
    std::map<std::string, std::optional<std::string>> env;  // set or, with nullopt, removed
    bool pipeStdin = false;
    fs::path output;  // stdout and stderr go here (appended); empty: /dev/null
    fs::path folder;  // the working folder; empty: the caller's
  };

  static std::unique_ptr<Child> Start(const Options& options, std::string* error);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  pid_t Pid() const { return m_pid; }
  // True until the process has ended (it is reaped then).
  bool Running();
  // The exit status (128 + signal for a killed one) once it has ended, or nullopt on time-out.
  std::optional<int> Wait(std::chrono::milliseconds timeout);
  bool Write(const std::string& text);  // to standard input
  void CloseInput();
  void Kill();

 private:
  Child() = default;
  pid_t m_pid = 0;
  int m_stdin = -1;
  std::optional<int> m_status;
};

// A rectangle in root coordinates.
struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  int CenterX() const { return x + width / 2; }
  int CenterY() const { return y + height / 2; }
};

struct Rgb {
  int r = 0, g = 0, b = 0;
};

// An Xvfb of its own (1280x800, larger than the main window) with trayer as the notification
// area, and an X connection to look at it and to click into it.
class Desktop {
 public:
  Desktop() = default;
  ~Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  // Starts the X server and the tray host and waits until the tray is there. `logFolder`
  // receives the tray host's output.
  bool Start(const fs::path& logFolder, std::string* error);
  const std::string& Name() const { return m_name; }  // ":N"
  ::Display* X() const { return m_x; }

  // Top-level windows of `pid` anywhere in the tree (by _NET_WM_PID).
  std::vector<unsigned long> WindowsOf(pid_t pid);
  // The program's main window: a child of the root titled "Veltrio" that is neither a popup nor
  // a tray icon. 0 while it has no native window.
  unsigned long MainWindow(pid_t pid);
  // The program's tray icon once the tray host has embedded it and shows it.
  unsigned long EmbeddedTrayIcon(pid_t pid);
  // A popup (an override-redirect window) of `pid` that is shown, such as a menu.
  unsigned long ShownPopup(pid_t pid);
  // A shown top-level window of `pid` with that title and, unless 0, that width (a dialog); 0
  // when none is shown.
  unsigned long ShownWindowTitled(pid_t pid, const std::string& title, int width = 0);

  // Waits until the server has handled every request of this connection.
  void Sync();
  bool Viewable(unsigned long window);
  bool Exists(unsigned long window);
  Rect Geometry(unsigned long window);  // in root coordinates
  // The colour at a point of a shown window, in the window's own coordinates.
  std::optional<Rgb> Pixel(unsigned long window, int x, int y);

  // Moves the pointer there and presses and releases `button` (1 left, 3 right), through XTest.
  void Click(int x, int y, int button = 1);
  // Clicks at (x, y) of `window`, in its own coordinates, once the pointer moved there is in
  // the window: a window that its parent is still placing (a tray icon while the tray panel
  // grows to take it) is followed to where it ends up. False when the pointer never gets there.
  bool ClickIn(unsigned long window, int x, int y, int button = 1);
  // Moves the pointer there through XTest in relative steps, as a mouse would.
  void MovePointer(int x, int y);
  // Moves the pointer by (dx, dy) in one relative step through XTest; steps of more than a few
  // pixels are accelerated by the server.
  void MovePointerBy(int dx, int dy);
  // True when the keyboard focus is in `window` (it or a window inside it).
  bool HasFocus(unsigned long window);
  // Types `text` (printable ASCII) into the focused window through XTest, with Shift where the
  // layout needs it.
  void Type(const std::string& text);
  // Presses the keys named by keysym names ("Control_L", "k", "Return") in order, then releases
  // them in reverse order.
  void PressKeys(const std::vector<std::string>& keysyms);
  // Where the pointer is now, in root coordinates.
  std::pair<int, int> PointerPosition();

 private:
  testsupport::PrivateXServer m_server;  // ended last, after the tray host and the connection
  std::string m_name;
  ::Display* m_x = nullptr;
  std::unique_ptr<Child> m_tray;
};

// remote-sim as a process, commands written to its standard input.
class RemoteProcess {
 public:
  // Starts `program`, plugged unless `unplugged`, with its output in `output`, and waits for its
  // root.
  static std::unique_ptr<RemoteProcess> Start(const fs::path& program, const fs::path& output, bool unplugged,
                                              std::string* error);
  // Ends the input, so that remote-sim unplugs and removes its root; killed if it lingers.
  ~RemoteProcess();
  const fs::path& Root() const { return m_root; }
  // One or more command lines ("press media1\nrelease media1").
  bool Send(const std::string& commands);
  // The socket files that stand for the vendor interface node and the mouse's evdev node.
  fs::path VendorNode() const;
  fs::path MouseEventNode() const;
  Child& Process() { return *m_child; }

 private:
  std::unique_ptr<Child> m_child;
  fs::path m_root;
  fs::path m_output;
};

// The processes whose executable is `program` (by /proc/N/exe).
std::vector<pid_t> ProcessesOf(const fs::path& program);

// How many open ends /proc/net/unix shows for the socket bound at `path`: 1 is the listening
// socket alone, each connection accepted from it adds one.
int UnixSocketEnds(const fs::path& path);

// The instance channel of process `pid`, the abstract socket it listens on, as /proc/net/unix
// names it ("@..."); empty while it has none.
std::string InstanceChannelOf(pid_t pid);

// Sends one request to the running instance over its channel (from InstanceChannelOf), as a
// second start does, and returns its answer (nullopt when none answers). A number the program
// does not know is answered with 0 and changes nothing: a round trip through its event loop,
// after whatever start-up queued.
std::optional<int> AskInstance(const std::string& channel, int message);

// A fresh folder under $TMPDIR, removed with everything in it when the object goes.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& tag);
  ~ScratchFolder();
  const fs::path& Path() const { return m_path; }

 private:
  fs::path m_path;
};

// Writes `text` to `path`, creating its folder.
void WriteFile(const fs::path& path, const std::string& text);
std::string ReadFile(const fs::path& path);

}  // namespace e2e
