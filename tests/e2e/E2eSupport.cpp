// SPDX-License-Identifier: GPL-3.0-or-later
#include "E2eSupport.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <set>
#include <sstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <chrono>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace e2e {

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto end = Clock::now() + timeout;
  while (true) {
    if (condition()) return true;
    if (Clock::now() >= end) return false;
    std::this_thread::sleep_for(10ms);
  }
}

// --- Child -------------------------------------------------------------------------------

std::unique_ptr<Child> Child::Start(const Options& options, std::string* error) {
  std::map<std::string, std::string> variables;
  for (char** entry = environ; *entry; ++entry) {
    std::string text = *entry;
    size_t equals = text.find('=');
    if (equals != std::string::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
  }
  for (const auto& [name, value] : options.env) {
    if (value) variables[name] = *value;
    else variables.erase(name);
  }
  std::vector<std::string> envText;
  for (const auto& [name, value] : variables) envText.push_back(name + "=" + value);
  std::vector<char*> envp, argv;
  for (std::string& text : envText) envp.push_back(text.data());
  envp.push_back(nullptr);
  std::vector<std::string> args = options.argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  int input[2] = {-1, -1};
  if (options.pipeStdin && pipe2(input, O_CLOEXEC) != 0) {
    *error = std::string("pipe: ") + std::strerror(errno);
    return nullptr;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (options.pipeStdin) posix_spawn_file_actions_adddup2(&actions, input[0], 0);
  else posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  const std::string output = options.output.empty() ? "/dev/null" : options.output.string();
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  if (!options.folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, options.folder.c_str());
  // Its own process group, so that whatever it starts is not ended with the test's terminal.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  std::unique_ptr<Child> child(new Child());
  int result = posix_spawnp(&child->m_pid, argv[0], &actions, &attributes, argv.data(), envp.data());
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (options.pipeStdin) close(input[0]);
  if (result != 0) {
    if (options.pipeStdin) close(input[1]);
    *error = "cannot start " + options.argv[0] + ": " + std::strerror(result);
    return nullptr;
  }
  child->m_stdin = input[1];
  return child;
}

Child::~Child() {
  Kill();
  if (m_stdin >= 0) close(m_stdin);
}

bool Child::Running() {
  if (m_status) return false;
  int status = 0;
  pid_t done = waitpid(m_pid, &status, WNOHANG);
  if (done == 0) return true;
  if (done == m_pid) m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  else m_status = -1;
  return false;
}

std::optional<int> Child::Wait(std::chrono::milliseconds timeout) {
  WaitUntil([this] { return !Running(); }, timeout);
  return m_status;
}

bool Child::Write(const std::string& text) {
  if (m_stdin < 0) return false;
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(m_stdin, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

void Child::CloseInput() {
  if (m_stdin >= 0) close(m_stdin);
  m_stdin = -1;
}

void Child::Kill() {
  if (!Running()) return;
  kill(m_pid, SIGKILL);
  int status = 0;
  if (waitpid(m_pid, &status, 0) == m_pid) m_status = 128 + SIGKILL;
}

// --- Desktop -----------------------------------------------------------------------------

namespace {

std::optional<unsigned long> CardinalProperty(::Display* x, Window window, Atom property) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(x, window, property, 0, 1, False, AnyPropertyType, &type, &format, &count, &after, &data) !=
          Success ||
      !data) {
    return std::nullopt;
  }
  std::optional<unsigned long> value;
  if (count == 1 && format == 32) value = *reinterpret_cast<unsigned long*>(data);
  XFree(data);
  return value;
}

bool HasProperty(::Display* x, Window window, Atom property) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  XGetWindowProperty(x, window, property, 0, 1, False, AnyPropertyType, &type, &format, &count, &after, &data);
  if (data) XFree(data);
  return type != None;
}

std::string Title(::Display* x, Window window) {
  char* name = nullptr;
  if (!XFetchName(x, window, &name) || !name) return {};
  std::string title = name;
  XFree(name);
  return title;
}

// Windows vanish while we look; their errors are expected and harmless.
int IgnoreErrors(::Display*, XErrorEvent*) { return 0; }

void Walk(::Display* x, Window window, std::vector<Window>* all) {
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(x, window, &root, &parent, &children, &count)) return;
  for (unsigned i = 0; i < count; ++i) {
    all->push_back(children[i]);
    Walk(x, children[i], all);
  }
  if (children) XFree(children);
}

Window Parent(::Display* x, Window window) {
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(x, window, &root, &parent, &children, &count)) return 0;
  if (children) XFree(children);
  return parent;
}

}  // namespace

Desktop::~Desktop() {
  m_tray.reset();
  if (m_x) XCloseDisplay(m_x);
}

bool Desktop::Start(const fs::path& logFolder, std::string* error) {
  if (!m_server.Start("1280x800x24", (logFolder / "xvfb.log").string())) {
    *error = m_server.Error();
    return false;
  }
  m_name = m_server.Display();
  m_x = XOpenDisplay(m_name.c_str());
  if (!m_x) {
    *error = "cannot connect to " + m_name;
    return false;
  }
  XSetErrorHandler(IgnoreErrors);
  // Pongs come back to the root window.
  XSelectInput(m_x, DefaultRootWindow(m_x), SubstructureNotifyMask);

  Child::Options tray;
  tray.argv = {"trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24",
               "--SetDockType", "true", "--expand", "false"};
  tray.env = {{"DISPLAY", m_name}, {"WAYLAND_DISPLAY", std::nullopt}, {"NO_AT_BRIDGE", "1"}};
  tray.output = logFolder / "trayer.log";
  m_tray = Child::Start(tray, error);
  if (!m_tray) {
    *error += " (scripts/setup installs trayer)";
    return false;
  }
  const Atom selection = XInternAtom(m_x, "_NET_SYSTEM_TRAY_S0", False);
  if (!WaitUntil([&] { return XGetSelectionOwner(m_x, selection) != None; }, 20s)) {
    *error = "the tray host did not take the tray; see " + tray.output.string();
    return false;
  }
  return true;
}

std::vector<unsigned long> Desktop::WindowsOf(pid_t pid) {
  const Atom wmPid = XInternAtom(m_x, "_NET_WM_PID", False);
  std::vector<Window> all;
  Walk(m_x, DefaultRootWindow(m_x), &all);
  std::vector<unsigned long> mine;
  for (Window window : all) {
    if (CardinalProperty(m_x, window, wmPid) == static_cast<unsigned long>(pid)) mine.push_back(window);
  }
  return mine;
}

unsigned long Desktop::MainWindow(pid_t pid) {
  const Atom wmClass = XInternAtom(m_x, "WM_CLASS", False);
  for (unsigned long window : WindowsOf(pid)) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(m_x, window, &attributes) || attributes.override_redirect) continue;
    // Qt's own helper windows (the client leader) carry no class.
    if (Parent(m_x, window) != DefaultRootWindow(m_x) || !HasProperty(m_x, window, wmClass)) continue;
    // The device chooser is titled "Veltrio" too; the main window is the one of 719 pixels.
    if (Title(m_x, window) == "Veltrio" && attributes.width == 719) return window;
  }
  return 0;
}

unsigned long Desktop::ShownWindowTitled(pid_t pid, const std::string& title, int width) {
  for (unsigned long window : WindowsOf(pid)) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(m_x, window, &attributes) || attributes.override_redirect) continue;
    if (Parent(m_x, window) != DefaultRootWindow(m_x)) continue;
    if (width != 0 && attributes.width != width) continue;
    if (attributes.map_state == IsViewable && Title(m_x, window) == title) return window;
  }
  return 0;
}

unsigned long Desktop::EmbeddedTrayIcon(pid_t pid) {
  const Atom xembed = XInternAtom(m_x, "_XEMBED_INFO", False);
  for (unsigned long window : WindowsOf(pid)) {
    if (!HasProperty(m_x, window, xembed) || Parent(m_x, window) == DefaultRootWindow(m_x)) continue;
    if (Viewable(window)) return window;
  }
  return 0;
}

unsigned long Desktop::ShownPopup(pid_t pid) {
  for (unsigned long window : WindowsOf(pid)) {
    XWindowAttributes attributes;
    // The embedded tray icon is override-redirect too, but no longer a child of the root.
    if (XGetWindowAttributes(m_x, window, &attributes) && attributes.override_redirect &&
        attributes.map_state == IsViewable && Parent(m_x, window) == DefaultRootWindow(m_x)) {
      return window;
    }
  }
  return 0;
}

void Desktop::Sync() { XSync(m_x, False); }

bool Desktop::Viewable(unsigned long window) {
  XWindowAttributes attributes;
  return window && XGetWindowAttributes(m_x, window, &attributes) && attributes.map_state == IsViewable;
}

bool Desktop::Exists(unsigned long window) {
  XWindowAttributes attributes;
  return window && XGetWindowAttributes(m_x, window, &attributes);
}

Rect Desktop::Geometry(unsigned long window) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(m_x, window, &attributes)) return {};
  int x = 0, y = 0;
  Window child = 0;
  XTranslateCoordinates(m_x, window, DefaultRootWindow(m_x), 0, 0, &x, &y, &child);
  return {x, y, attributes.width, attributes.height};
}

std::optional<Rgb> Desktop::Pixel(unsigned long window, int x, int y) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(m_x, window, &attributes) || attributes.map_state != IsViewable) return std::nullopt;
  XImage* image = XGetImage(m_x, window, x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return std::nullopt;
  const unsigned long value = XGetPixel(image, 0, 0);
  auto channel = [value](unsigned long mask) {
    if (!mask) return 0;
    int shift = 0;
    while (!(mask & 1)) mask >>= 1, ++shift;
    return static_cast<int>(((value >> shift) & mask) * 255 / mask);
  };
  Rgb rgb{channel(image->red_mask), channel(image->green_mask), channel(image->blue_mask)};
  XDestroyImage(image);
  return rgb;
}

void Desktop::Click(int x, int y, int button) {
  XTestFakeMotionEvent(m_x, -1, x, y, CurrentTime);
  XTestFakeButtonEvent(m_x, static_cast<unsigned>(button), True, CurrentTime);
  XTestFakeButtonEvent(m_x, static_cast<unsigned>(button), False, CurrentTime);
  XSync(m_x, False);
}

bool Desktop::ClickIn(unsigned long window, int x, int y, int button) {
  const auto pointerIn = [&] {
    Window root = 0, child = DefaultRootWindow(m_x), deepest = 0;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned mask = 0;
    while (child != 0) {  // down to the innermost window under the pointer
      deepest = child;
      if (!XQueryPointer(m_x, deepest, &root, &child, &rootX, &rootY, &winX, &winY, &mask)) return false;
    }
    for (Window at = deepest; at != 0 && at != DefaultRootWindow(m_x); at = Parent(m_x, at))
      if (at == window) return true;
    return false;
  };
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    const Rect place = Geometry(window);
    if (place.width > 0) {
      XTestFakeMotionEvent(m_x, -1, place.x + x, place.y + y, CurrentTime);
      XSync(m_x, False);
      // The pointer is in the window and the window has not moved meanwhile: the press lands.
      if (pointerIn() && Geometry(window).x == place.x && Geometry(window).y == place.y) {
        XTestFakeButtonEvent(m_x, static_cast<unsigned>(button), True, CurrentTime);
        XTestFakeButtonEvent(m_x, static_cast<unsigned>(button), False, CurrentTime);
        XSync(m_x, False);
        return true;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

bool Desktop::HasFocus(unsigned long window) {
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(m_x, &focus, &revert);
  for (Window at = focus; at != 0 && at != PointerRoot && at != DefaultRootWindow(m_x); at = Parent(m_x, at)) {
    if (at == window) return true;
  }
  return false;
}

void Desktop::Type(const std::string& text) {
  const KeyCode shift = XKeysymToKeycode(m_x, XK_Shift_L);
  for (char c : text) {
    const KeySym keysym = static_cast<unsigned char>(c);  // Latin-1 keysyms are their code points
    const KeyCode code = XKeysymToKeycode(m_x, keysym);
    if (code == 0) continue;
    const bool shifted = XkbKeycodeToKeysym(m_x, code, 0, 0) != keysym;
    if (shifted) XTestFakeKeyEvent(m_x, shift, True, CurrentTime);
    XTestFakeKeyEvent(m_x, code, True, CurrentTime);
    XTestFakeKeyEvent(m_x, code, False, CurrentTime);
    if (shifted) XTestFakeKeyEvent(m_x, shift, False, CurrentTime);
  }
  XSync(m_x, False);
}

void Desktop::PressKeys(const std::vector<std::string>& keysyms) {
  std::vector<KeyCode> codes;
  for (const std::string& name : keysyms) codes.push_back(XKeysymToKeycode(m_x, XStringToKeysym(name.c_str())));
  for (KeyCode code : codes) XTestFakeKeyEvent(m_x, code, True, CurrentTime);
  for (auto code = codes.rbegin(); code != codes.rend(); ++code) XTestFakeKeyEvent(m_x, *code, False, CurrentTime);
  XSync(m_x, False);
}

// Relative steps, as a mouse reports them: a warp to a place moves the pointer but raises no raw
// motion, which is what the overlays follow. Steps of a few pixels stay below the server's
// acceleration threshold, so the pointer ends exactly there.
void Desktop::MovePointer(int x, int y) {
  constexpr int kStep = 4;
  for (int i = 0; i < 2000; ++i) {
    const auto [nowX, nowY] = PointerPosition();
    if (nowX == x && nowY == y) return;
    MovePointerBy(std::clamp(x - nowX, -kStep, kStep), std::clamp(y - nowY, -kStep, kStep));
  }
}

void Desktop::MovePointerBy(int dx, int dy) {
  XTestFakeRelativeMotionEvent(m_x, dx, dy, CurrentTime);
  XSync(m_x, False);
}

std::pair<int, int> Desktop::PointerPosition() {
  ::Window root = 0, child = 0;
  int x = 0, y = 0, windowX = 0, windowY = 0;
  unsigned int mask = 0;
  XQueryPointer(m_x, DefaultRootWindow(m_x), &root, &child, &x, &y, &windowX, &windowY, &mask);
  return {x, y};
}

// --- RemoteProcess -----------------------------------------------------------------------

std::unique_ptr<RemoteProcess> RemoteProcess::Start(const fs::path& program, const fs::path& output, bool unplugged,
                                                    std::string* error) {
  std::unique_ptr<RemoteProcess> remote(new RemoteProcess());
  Child::Options options;
  options.argv = {program.string()};
  if (unplugged) options.argv.push_back("--unplugged");
  options.pipeStdin = true;
  options.output = output;
  remote->m_output = output;
  remote->m_child = Child::Start(options, error);
  if (!remote->m_child) return nullptr;
  const bool rooted = WaitUntil([&] {
    std::istringstream lines(ReadFile(output));
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("root ", 0) == 0) remote->m_root = line.substr(5);
    }
    return !remote->m_root.empty();
  });
  if (!rooted) {
    *error = "remote-sim printed no root; see " + output.string();
    return nullptr;
  }
  return remote;
}

RemoteProcess::~RemoteProcess() {
  if (!m_child) return;
  m_child->CloseInput();
  m_child->Wait(5s);
}

bool RemoteProcess::Send(const std::string& commands) {
  return m_child->Write(commands.back() == '\n' ? commands : commands + "\n");
}

fs::path RemoteProcess::VendorNode() const {
  // The last "plugged ROOT/dev/hidrawN#col01" names the node; the collection suffix is not part
  // of the file.
  std::istringstream lines(ReadFile(m_output));
  std::string path;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("plugged ", 0) == 0) path = line.substr(8);
  }
  return path.substr(0, path.find('#'));
}

fs::path RemoteProcess::MouseEventNode() const {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(m_root / "dev" / "input", error)) {
    if (entry.path().filename().native().rfind("event", 0) == 0) return entry.path();
  }
  return {};
}

std::vector<pid_t> ProcessesOf(const fs::path& program) {
  std::vector<pid_t> pids;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/proc", error)) {
    std::error_code linkError;
    if (fs::read_symlink(entry.path() / "exe", linkError) != program) continue;
    pids.push_back(static_cast<pid_t>(std::atoi(entry.path().filename().c_str())));
  }
  return pids;
}

int UnixSocketEnds(const fs::path& path) {
  if (path.empty()) return 0;
  std::ifstream table("/proc/net/unix");
  int ends = 0;
  // The table names the address the socket was bound to, which may be a name beside the node
  // that was renamed into place (".hidraw1" for "hidraw1").
  const std::string bound = " " + path.string(), beside = " " + (path.parent_path() / ("." + path.filename().string())).string();
  auto endsWith = [](const std::string& line, const std::string& suffix) {
    return line.size() >= suffix.size() && line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0;
  };
  for (std::string line; std::getline(table, line);) {
    if (endsWith(line, bound) || endsWith(line, beside)) ++ends;
  }
  return ends;
}

std::string InstanceChannelOf(pid_t pid) {
  std::set<std::string> sockets;  // "socket:[inode]" of the process's descriptors
  std::error_code error;
  for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
    const std::string target = fs::read_symlink(fd.path(), error).string();
    if (target.rfind("socket:[", 0) == 0) sockets.insert(target.substr(8, target.size() - 9));
  }
  std::ifstream table("/proc/net/unix");
  std::string line;
  std::getline(table, line);  // the heading
  for (; std::getline(table, line);) {
    std::istringstream fields(line);
    std::string slot, refs, protocol, flags, type, state, inode, name;
    fields >> slot >> refs >> protocol >> flags >> type >> state >> inode >> name;
    const bool listening = state == "01" && flags == "00010000";
    if (listening && name.rfind('@', 0) == 0 && sockets.count(inode)) return name;
  }
  return {};
}

std::optional<int> AskInstance(const std::string& channel, int message) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (channel.size() < 2 || channel[0] != '@' || channel.size() > sizeof address.sun_path) return std::nullopt;
  std::memcpy(address.sun_path + 1, channel.data() + 1, channel.size() - 1);  // sun_path[0] = 0: abstract
  const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + channel.size());
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return std::nullopt;
  std::optional<int> answer;
  int32_t request = message, result = 0;
  timeval limit{10, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
      send(fd, &request, sizeof request, MSG_NOSIGNAL) == sizeof request &&
      recv(fd, &result, sizeof result, MSG_WAITALL) == sizeof result) {
    answer = result;
  }
  close(fd);
  return answer;
}

// --- files -------------------------------------------------------------------------------

ScratchFolder::ScratchFolder(const std::string& tag) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/veltrio-" + tag + ".XXXXXX";
  if (char* made = mkdtemp(pattern.data())) m_path = made;
}

ScratchFolder::~ScratchFolder() {
  std::error_code error;
  if (!m_path.empty()) fs::remove_all(m_path, error);
}

void WriteFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace e2e
