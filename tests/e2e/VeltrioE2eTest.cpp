// SPDX-License-Identifier: GPL-3.0-or-later
// The installed veltrio as a user meets it: on a desktop of its own (Xvfb with a tray host),
// against remote-sim, watched from outside: windows mapped, keys arriving at a focused client,
// pixels of the page column, processes and files.

#include "ServerRequired.h"
#include "E2eSupport.h"
#include "XKeyRecorder.h"

#include <QColor>
#include <QImage>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>
#include <optional>

namespace {

using namespace e2e;
using testsupport::RecordedKey;
using testsupport::XKeyRecorder;

// The installations under test: the build's own (the install fixtures make them), or the ones
// the environment names, such as an installed package's (scripts/package-check).
fs::path PrefixFromEnvironment(const char* variable, const char* built) {
  const char* value = std::getenv(variable);
  return value && *value ? fs::path(value) : fs::path(built);
}
const fs::path kPrefix = PrefixFromEnvironment("VELTRIO_E2E_PREFIX", VELTRIO_E2E_PREFIX);
const fs::path kOverlayPrefix = PrefixFromEnvironment("VELTRIO_E2E_OVERLAY_PREFIX", VELTRIO_E2E_OVERLAY_PREFIX);
const fs::path kRemoteSim = REMOTE_SIM_PATH;
const fs::path kSniWatcher = SNI_WATCHER_PATH;
const fs::path kStubProgram = STUB_PROGRAM_PATH;

// A request number that the running instance answers with 0 and otherwise ignores.
constexpr int kNoRequest = 0;

// Function ids of the bindings the tests make.
constexpr int kPageUp = 901, kEscape = 905, kUndoE = 907, kLaserPointer = 101, kAirVolume = 401,
              kMyApplication = 206, kCustomKey = 302;

// Where the main window's layout puts what the tests look at or click (window coordinates):
// the page buttons lie in the body at y 36, each 64x58; a checked one shows a blue bar at its
// left edge from y 14 to 44. The Settings page fills the tab at (64, 36), and its launch-at-start
// check box sits at (361, 114) in it, 14x14.
struct PageButton {
  const char* page;
  int x, y;  // the button's top left
};
constexpr PageButton kPageButtons[] = {{"Buttons", 0, 46}, {"Gestures", 1, 106}, {"Settings", 0, 168}};
constexpr int kLaunchStartX = 64 + 361 + 7, kLaunchStartY = 36 + 114 + 7;
// The middle of media button 1's function picture: body, page, slot, picture.
constexpr int kMediaButton1FunctionX = 64 + 272 + 194 + 24, kMediaButton1FunctionY = 36 + 116 + 7 + 24;

std::string Binding(int mode, int slot, int function) {
  return "\t\t<customKey" + std::to_string(mode) + "_" + std::to_string(slot) + " value=\"" + std::to_string(function) +
         "\" SystemKey=\"0\" SingleKey1=\"0\" SingleKey2=\"0\" appPath=\"\" bMultiInst=\"0\" pointepngPath=\"\" />\n";
}

class VeltrioE2e : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(m_scratch.Path().empty());
    fs::create_directories(Runtime());
    ::chmod(Runtime().c_str(), 0700);
    fs::create_directories(Config());
    fs::create_directories(Records());
    fs::create_directories(m_scratch.Path() / "no-devices" / "dev");
    fs::create_directories(m_scratch.Path() / "no-devices" / "sys");
    ASSERT_TRUE(fs::exists(Prefix() / "bin" / "veltrio")) << "the install fixtures install into " << Prefix();
    std::string error;
    ASSERT_TRUE(m_desktop.Start(m_scratch.Path(), &error)) << error;
  }

  void TearDown() override {
    for (auto& child : m_veltrios) child->Kill();
    if (HasFailure()) std::cerr << "--- veltrio output\n" << ReadFile(Log()) << "---\n";
  }

  // The installation the test runs: overlays played by the stub program unless overridden.
  virtual fs::path Prefix() const { return kPrefix; }
  fs::path Runtime() const { return m_scratch.Path() / "runtime"; }
  fs::path Config() const { return m_scratch.Path() / "config"; }
  fs::path Records() const { return m_scratch.Path() / "records"; }
  fs::path Log() const { return m_scratch.Path() / "veltrio.log"; }
  // The instance channel of the first veltrio this test started, once it has one (waited for);
  // remembered, so that it can be looked for after that veltrio has gone.
  const std::string& Channel() {
    if (m_channel.empty() && !m_veltrios.empty()) {
      const pid_t pid = m_veltrios.front()->Pid();
      WaitUntil([&] { return !(m_channel = InstanceChannelOf(pid)).empty(); });
    }
    return m_channel;
  }
  fs::path AutostartEntry() const { return Config() / "autostart" / "veltrio.desktop"; }
  fs::path SettingsFile() const { return Config() / "Veltrio" / "global.xml"; }

  // A settings file with one profile, current, holding `bindings` (from Binding()).
  void WriteSettings(bool gestures, const std::string& bindings) {
    WriteFile(SettingsFile(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<global m_nDevStyeID=\"2\" m_blaunchstart=\"0\" "
                              "m_benablegesture=\"" + std::string(gestures ? "1" : "0") +
                                  "\" m_strCurrentprofileName=\"Desk\" />\n<profilecfg>\n\t<profile name=\"Desk\">\n" +
                                  bindings + "\t</profile>\n</profilecfg>\n");
  }

  bool PlugRemote(bool unplugged = false) {
    std::string error;
    m_remote = RemoteProcess::Start(kRemoteSim, m_scratch.Path() / "remote-sim.log", unplugged, &error);
    EXPECT_TRUE(m_remote) << error;
    return m_remote != nullptr;
  }

  Child::Options VeltrioOptions(const std::vector<std::string>& args) {
    Child::Options options;
    options.argv = {(Prefix() / "bin" / "veltrio").string()};
    options.argv.insert(options.argv.end(), args.begin(), args.end());
    const fs::path devices = m_remote ? m_remote->Root() : m_scratch.Path() / "no-devices";
    options.env = {
        {"DISPLAY", m_desktop.Name()},
        {"XDG_RUNTIME_DIR", Runtime().string()},
        {"XDG_CONFIG_HOME", Config().string()},
        {"VELTRIO_DEVICE_ROOT", devices.string()},
        {"VELTRIO_STUB_DIR", Records().string()},
        {"VELTRIO_STUB_SECONDS", "30"},
        {"QT_QPA_PLATFORM", "xcb"},
        {"WAYLAND_DISPLAY", std::nullopt},
        // Without a session bus Qt's tray icon is the XEmbed one that the tray host shows.
        {"DBUS_SESSION_BUS_ADDRESS", std::nullopt},
        // Qt's own file picker, not a desktop's.
        {"QT_QPA_PLATFORMTHEME", std::nullopt},
        {"XDG_CURRENT_DESKTOP", std::nullopt},
        // The pictures folder is the test's.
        {"HOME", (m_scratch.Path() / "home").string()},
    };
    for (const auto& [name, value] : m_environment) options.env[name] = value;
    options.output = Log();
    return options;
  }

  Child* StartVeltrio(const std::vector<std::string>& args = {}) {
    std::string error;
    auto child = Child::Start(VeltrioOptions(args), &error);
    EXPECT_TRUE(child) << error;
    if (!child) return nullptr;
    m_veltrios.push_back(std::move(child));
    return m_veltrios.back().get();
  }

  // Runs a start that is expected to leave again; its exit status, or nullopt if it did not.
  std::optional<int> RunVeltrio(const std::vector<std::string>& args) {
    std::string error;
    auto child = Child::Start(VeltrioOptions(args), &error);
    EXPECT_TRUE(child) << error;
    return child ? child->Wait(20s) : std::nullopt;
  }

  // Once the tray host shows the icon the program is up and running its event loop.
  unsigned long WaitForTrayIcon(Child& veltrio) {
    unsigned long icon = 0;
    WaitUntil([&] { return (icon = m_desktop.EmbeddedTrayIcon(veltrio.Pid())) != 0; }, 20s);
    return icon;
  }

  unsigned long WaitForShownMainWindow(Child& veltrio) {
    unsigned long window = 0;
    WaitUntil([&] { return m_desktop.Viewable(window = m_desktop.MainWindow(veltrio.Pid())); }, 20s);
    return m_desktop.Viewable(window) ? window : 0;
  }

  bool MainWindowShown(Child& veltrio) { return m_desktop.Viewable(m_desktop.MainWindow(veltrio.Pid())); }

  // The device chooser that a newly opened remote brings up, 0 while none is shown.
  unsigned long ShownChooser(Child& veltrio) { return m_desktop.ShownWindowTitled(veltrio.Pid(), "Veltrio", 250); }

  // The remote open and the chooser it brought up gone: the remote reports `model`, and the
  // chooser closes by itself a second later. It is modal, so clicks into the main window wait
  // for this.
  bool WaitForRemoteReady(Child& veltrio, int model = 2) {
    if (!WaitForDeviceOpen()) return false;
    // Once the program's loop answers, the chooser it queued at the start is showing.
    if (AskInstance(Channel(), kNoRequest) != 0) return false;
    m_remote->Send("model " + std::to_string(model));
    return WaitUntil([&] { return ShownChooser(veltrio) == 0; });
  }

  // Both of the remote's interfaces that Veltrio reads are open: the vendor node and the mouse's
  // evdev node each have a connection besides their listening socket.
  bool WaitForDeviceOpen() {
    return WaitUntil([&] {
      return UnixSocketEnds(m_remote->VendorNode()) >= 2 && UnixSocketEnds(m_remote->MouseEventNode()) >= 2;
    });
  }

  // The page whose button shows the checked state; empty when none or several do.
  std::string CheckedPage(unsigned long window) {
    std::string checked;
    for (const PageButton& button : kPageButtons) {
      std::optional<Rgb> bar = m_desktop.Pixel(window, button.x + 1, button.y + 29);
      if (!bar || std::abs(bar->r - 0x3b) > 24 || std::abs(bar->g - 0x74) > 24 || std::abs(bar->b - 0xf6) > 24) continue;
      if (!checked.empty()) return {};
      checked = button.page;
    }
    return checked;
  }

  bool WaitForPage(unsigned long window, const std::string& page) {
    return WaitUntil([&] { return CheckedPage(window) == page; });
  }

  void ClickInWindow(unsigned long window, int x, int y) {
    const Rect frame = m_desktop.Geometry(window);
    m_desktop.Click(frame.x + x, frame.y + y);
  }

  ScratchFolder m_scratch{"e2e"};
  Desktop m_desktop;
  std::unique_ptr<RemoteProcess> m_remote;
  std::vector<std::unique_ptr<Child>> m_veltrios;
  std::string m_channel;
  std::map<std::string, std::optional<std::string>> m_environment;  // over the one above, for every start
};

// --- start-up and the single instance ------------------------------------------------------

struct StartCase {
  const char* name;
  std::vector<std::string> args;
  bool visible;
};

class StartUp : public VeltrioE2e, public testing::WithParamInterface<StartCase> {};

TEST_P(StartUp, ShowsTheWindowUnlessStartedWithExactlyBoot) {
  Child* veltrio = StartVeltrio(GetParam().args);
  ASSERT_TRUE(veltrio);
  const unsigned long icon = WaitForTrayIcon(*veltrio);
  ASSERT_TRUE(icon) << "the tray host shows the icon in every start";
  if (GetParam().visible) {
    const unsigned long window = WaitForShownMainWindow(*veltrio);
    ASSERT_TRUE(window);
    const Rect frame = m_desktop.Geometry(window);
    EXPECT_EQ(frame.width, 719);
    EXPECT_EQ(frame.height, 500);
    EXPECT_NEAR(frame.CenterX(), 640, 2) << "centred on the screen";
  } else {
    // Whatever start-up meant to show has been shown once the running loop answers.
    ASSERT_EQ(AskInstance(Channel(), kNoRequest), 0);
    m_desktop.Sync();
    EXPECT_FALSE(MainWindowShown(*veltrio));
  }
  EXPECT_TRUE(veltrio->Running());
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, StartUp,
    testing::Values(StartCase{"NoArguments", {}, true}, StartCase{"Boot", {"-boot"}, false},
                    StartCase{"BootInOtherCase", {"-Boot"}, true}, StartCase{"BootWithMoreText", {"-boot", "x"}, true}),
    [](const testing::TestParamInfo<StartCase>& info) { return std::string(info.param.name); });

class SecondStart : public VeltrioE2e, public testing::WithParamInterface<StartCase> {};

TEST_P(SecondStart, ShowsTheRunningWindowAndLeaves) {
  Child* first = StartVeltrio({"-boot"});
  ASSERT_TRUE(first);
  ASSERT_TRUE(WaitForTrayIcon(*first));
  EXPECT_EQ(RunVeltrio(GetParam().args), 0);
  EXPECT_TRUE(WaitForShownMainWindow(*first)) << "the running instance shows its window";
  EXPECT_TRUE(first->Running());
}

INSTANTIATE_TEST_SUITE_P(CommandLines, SecondStart,
                         testing::Values(StartCase{"NoArguments", {}, true}, StartCase{"Boot", {"-boot"}, true}),
                         [](const testing::TestParamInfo<StartCase>& info) { return std::string(info.param.name); });

// --help and --version print, exit 0 and touch neither the settings nor a running instance;
// the command lines above that start or end Veltrio stay as they are.
struct InformationCase {
  const char* name;
  const char* argument;
  const char* expected;  // a line the output holds
};

class Information : public VeltrioE2e, public testing::WithParamInterface<InformationCase> {
 protected:
  std::string Output() const { return ReadFile(m_scratch.Path() / "information.out"); }

  std::optional<int> RunForOutput() {
    Child::Options options = VeltrioOptions({GetParam().argument});
    options.output = m_scratch.Path() / "information.out";
    fs::remove(options.output);
    std::string error;
    auto child = Child::Start(options, &error);
    EXPECT_TRUE(child) << error;
    return child ? child->Wait(20s) : std::nullopt;
  }
};

TEST_P(Information, PrintsAndLeavesWithoutTouchingSettingsOrTheRunningInstance) {
  EXPECT_EQ(RunForOutput(), 0);
  EXPECT_NE(Output().find(GetParam().expected), std::string::npos) << Output();
  EXPECT_TRUE(fs::is_empty(Runtime())) << "no lock, no socket";
  EXPECT_FALSE(fs::exists(SettingsFile())) << "no settings file is written";

  Child* running = StartVeltrio({"-boot"});
  ASSERT_TRUE(running);
  ASSERT_TRUE(WaitForTrayIcon(*running));
  EXPECT_EQ(RunForOutput(), 0);
  EXPECT_NE(Output().find(GetParam().expected), std::string::npos) << Output();
  // The running instance was not asked to show itself: its loop answers, its window stays hidden.
  ASSERT_EQ(AskInstance(Channel(), kNoRequest), 0);
  m_desktop.Sync();
  EXPECT_FALSE(MainWindowShown(*running));
  EXPECT_TRUE(running->Running());
}

INSTANTIATE_TEST_SUITE_P(
    Options, Information,
    testing::Values(InformationCase{"Help", "--help", "Usage: veltrio [-boot | -x]"},
                    InformationCase{"Version", "--version", "veltrio " VELTRIO_VERSION "\n"}),
    [](const testing::TestParamInfo<InformationCase>& info) { return std::string(info.param.name); });

TEST_F(VeltrioE2e, QuitRequestEndsTheRunningInstanceAndLeavesNothing) {
  Child* veltrio = StartVeltrio();
  ASSERT_TRUE(veltrio);
  const unsigned long window = WaitForShownMainWindow(*veltrio);
  ASSERT_TRUE(window);
  ASSERT_FALSE(Channel().empty());

  EXPECT_EQ(RunVeltrio({"-x"}), 0);
  m_desktop.Sync();
  EXPECT_FALSE(m_desktop.Viewable(window)) << "-x returns once the window is gone";
  EXPECT_EQ(veltrio->Wait(20s), 0) << "the instance ends, with status 0";
  EXPECT_EQ(UnixSocketEnds(Channel()), 0) << "its channel is gone";
  EXPECT_TRUE(m_desktop.WindowsOf(veltrio->Pid()).empty());
}

TEST_F(VeltrioE2e, QuitRequestWithNoneRunningStartsNothing) {
  EXPECT_EQ(RunVeltrio({"-x"}), 0);
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(Runtime())) left.push_back(entry.path().filename());
  EXPECT_TRUE(left.empty()) << "neither lock nor socket: " << testing::PrintToString(left);
  // A normal start afterwards is the running instance.
  Child* veltrio = StartVeltrio();
  ASSERT_TRUE(veltrio);
  EXPECT_TRUE(WaitForShownMainWindow(*veltrio));
}

// --- the remote's keys and gestures ----------------------------------------------------------

class MediaKey : public VeltrioE2e, public testing::WithParamInterface<bool> {};

TEST_P(MediaKey, BoundToPageUpReachesTheFocusedClientAsPageUp) {
  const bool windowShown = GetParam();
  WriteSettings(false, Binding(1, 1, kPageUp));
  ASSERT_TRUE(PlugRemote());
  Child* veltrio = StartVeltrio(windowShown ? std::vector<std::string>{} : std::vector<std::string>{"-boot"});
  ASSERT_TRUE(veltrio);
  const unsigned long icon = WaitForTrayIcon(*veltrio);
  ASSERT_TRUE(icon);
  if (windowShown) {
    ASSERT_TRUE(WaitForShownMainWindow(*veltrio));
  }
  ASSERT_EQ(AskInstance(Channel(), kNoRequest), 0);
  m_desktop.Sync();
  EXPECT_EQ(MainWindowShown(*veltrio), windowShown);
  ASSERT_TRUE(WaitForDeviceOpen());

  XKeyRecorder recorder;  // takes the focus from the main window too
  ASSERT_TRUE(recorder.Open(m_desktop.Name())) << recorder.Error();
  m_remote->Send("press media1\nrelease media1");
  EXPECT_EQ(recorder.Take(2, 10s), (std::vector<RecordedKey>{{true, "Prior"}, {false, "Prior"}}));
}

INSTANTIATE_TEST_SUITE_P(Window, MediaKey, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Shown" : "Hidden"; });

// Media button 2 and the Right swipe are bound to different keys, so the key that arrives tells
// which slot the gesture key's press and the swipe performed.
const std::string kGestureBindings = Binding(1, 2, kEscape) + Binding(1, 5, kUndoE);

// A swipe to the right as a hand draws it: more samples than the seven that fire, the key held
// a moment longer. Each status report and its mouse tick travel apart (the reader thread and
// the raw mouse thread), so under load a tick may still see the deltas of a report or two
// before; a hand gives many more than seven samples.
std::string RightSwipe() {
  std::string swipe = "press gesture\n";
  for (int i = 0; i < 20; ++i) swipe += "move 40 0\nwait 10\n";
  return swipe + "wait 300\nrelease gesture";
}

// Veltrio started hidden with the gesture bindings and the remote open, and a focused client
// that records the keys it performs.
class GestureKey : public VeltrioE2e {
 protected:
  void StartWithGestures(bool enabled) {
    WriteSettings(enabled, kGestureBindings);
    ASSERT_TRUE(PlugRemote());
    Child* veltrio = StartVeltrio({"-boot"});
    ASSERT_TRUE(veltrio);
    ASSERT_TRUE(WaitForTrayIcon(*veltrio));
    ASSERT_TRUE(WaitForDeviceOpen());
    ASSERT_TRUE(recorder.Open(m_desktop.Name())) << recorder.Error();
  }
  XKeyRecorder recorder;
};

TEST_F(GestureKey, WithGesturesEnabledADrawnRightSwipePerformsTheRightSwipeSlot) {
  ASSERT_NO_FATAL_FAILURE(StartWithGestures(true));
  m_remote->Send(RightSwipe());
  EXPECT_EQ(recorder.Take(2, 10s), (std::vector<RecordedKey>{{true, "e"}, {false, "e"}}))
      << "the gesture key itself performs nothing while gestures are enabled";
}

TEST_F(GestureKey, WithGesturesDisabledTheGestureKeyPerformsMediaButtonTwo) {
  ASSERT_NO_FATAL_FAILURE(StartWithGestures(false));
  m_remote->Send(RightSwipe() + "\npress media1\nrelease media1");
  // Media key 1 has no binding here: after the Escape of the gesture key nothing else arrives,
  // no swipe in particular; the recorder waits out the whole time-out for a third key.
  EXPECT_EQ(recorder.Take(3, 1500ms), (std::vector<RecordedKey>{{true, "Escape"}, {false, "Escape"}}));
}

// Veltrio shown with the remote open, switched from the Settings page it starts on to Buttons.
class ButtonsPage : public VeltrioE2e {
 protected:
  void StartOnButtonsPage() {
    ASSERT_TRUE(PlugRemote());
    veltrio = StartVeltrio();
    ASSERT_TRUE(veltrio);
    window = WaitForShownMainWindow(*veltrio);
    ASSERT_TRUE(window);
    ASSERT_TRUE(WaitForRemoteReady(*veltrio));
    ASSERT_TRUE(WaitForPage(window, "Settings")) << "the window starts on the Settings page";
    ClickButtonsPage();
    ASSERT_TRUE(WaitForPage(window, "Buttons")) << "with the remote present the Buttons page opens";
  }
  void ClickButtonsPage() { ClickInWindow(window, kPageButtons[0].x + 32, kPageButtons[0].y + 29); }

  Child* veltrio = nullptr;
  unsigned long window = 0;
};

TEST_F(ButtonsPage, UnpluggingTheRemoteForcesTheSettingsPage) {
  ASSERT_NO_FATAL_FAILURE(StartOnButtonsPage());
  m_remote->Send("unplug");
  EXPECT_TRUE(WaitForPage(window, "Settings"));
  ClickButtonsPage();
  ASSERT_EQ(AskInstance(Channel(), kNoRequest), 0);
  EXPECT_TRUE(WaitForPage(window, "Settings")) << "without the remote the Buttons page stays closed";
}

TEST_F(ButtonsPage, QuitRequestWhileAFunctionMenuIsOpenEndsCleanly) {
  ASSERT_NO_FATAL_FAILURE(StartOnButtonsPage());
  ClickInWindow(window, kMediaButton1FunctionX, kMediaButton1FunctionY);
  ASSERT_TRUE(WaitUntil([&] { return m_desktop.ShownPopup(veltrio->Pid()) != 0; })) << "the function menu opens";

  // The request arrives while the menu runs its own event loop inside the window's click.
  EXPECT_EQ(RunVeltrio({"-x"}), 0);
  EXPECT_EQ(veltrio->Wait(20s), 0) << "the instance ends without a crash";
}

// --- the dialogs, clicked and typed into as a user does --------------------------------------

// The Settings page's profile buttons and media button 1's set button, in window coordinates
// (the page lies at (64, 36)).
constexpr int kAddProfileX = 64 + 213 + 19, kAddProfileY = 36 + 84 + 14;
constexpr int kDeleteProfileX = 64 + 256 + 17, kDeleteProfileY = 36 + 84 + 14;
constexpr int kResetProfileX = 64 + 191 + 49, kResetProfileY = 36 + 117 + 14;
constexpr int kMediaButton1SetX = 64 + 272 + 243 + 8, kMediaButton1SetY = 36 + 116 + 20 + 8;

// Veltrio shown on a desktop of its own; the dialogs it opens are found by their titles and
// clicked at their layout's places.
class Dialogs : public ButtonsPage {
 protected:
  // The dialog once it shows, 0 when it did not come.
  unsigned long WaitForDialog(const std::string& title) {
    unsigned long dialog = 0;
    WaitUntil([&] { return (dialog = m_desktop.ShownWindowTitled(veltrio->Pid(), title)) != 0; });
    return dialog;
  }
  bool WaitForDialogGone(const std::string& title) {
    return WaitUntil([&] { return m_desktop.ShownWindowTitled(veltrio->Pid(), title) == 0; });
  }
  void StartShown(const std::vector<std::string>& args = {}) {
    veltrio = StartVeltrio(args);
    ASSERT_TRUE(veltrio);
    window = WaitForShownMainWindow(*veltrio);
    ASSERT_TRUE(window);
    ASSERT_TRUE(WaitForPage(window, "Settings"));
  }
  // Opens the dialog behind the button at (x, y) of the main window, confirms it with the OK
  // button at (okX, okY) of the dialog after `fill`.
  void Confirm(int x, int y, const std::string& title, int okX, int okY, const std::function<void(unsigned long)>& fill = {}) {
    ClickInWindow(window, x, y);
    const unsigned long dialog = WaitForDialog(title);
    ASSERT_TRUE(dialog) << title;
    if (fill) fill(dialog);
    ClickInWindow(dialog, okX, okY);
    ASSERT_TRUE(WaitForDialogGone(title));
    ASSERT_EQ(AskInstance(Channel(), kNoRequest), 0);  // the confirmed action has run
  }
  void AddProfile(const std::string& name) {
    Confirm(kAddProfileX, kAddProfileY, "New profile", 140 + 21, 125 + 13, [&](unsigned long dialog) {
      ClickInWindow(dialog, 50 + 75, 92 + 10);
      ASSERT_TRUE(WaitUntil([&] { return m_desktop.HasFocus(dialog); }));
      m_desktop.Type(name);
    });
  }
  // The stored profile element of that name, from its opening tag to its end; empty if none.
  std::string StoredProfile(const std::string& name) {
    const std::string text = ReadFile(SettingsFile());
    const size_t start = text.find("<profile name=\"" + name + "\"");
    if (start == std::string::npos) return {};
    const size_t end = text.find("</profile>", start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
  }
  static int Count(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
  }
  // A start hidden in the tray with the remote plugged: media key 1 sends Page Up, the default
  // binding, to a focused client.
  void ExpectMediaKey1SendsPageUpAfterAStart() {
    ASSERT_TRUE(PlugRemote());
    Child* started = StartVeltrio({"-boot"});
    ASSERT_TRUE(started);
    ASSERT_TRUE(WaitForTrayIcon(*started));
    ASSERT_TRUE(WaitForDeviceOpen());
    XKeyRecorder recorder;
    ASSERT_TRUE(recorder.Open(m_desktop.Name())) << recorder.Error();
    m_remote->Send("press media1\nrelease media1");
    EXPECT_EQ(recorder.Take(2, 10s), (std::vector<RecordedKey>{{true, "Prior"}, {false, "Prior"}}));
  }
  // A file chosen for media button 1 as a user does it: its set button opens the parameter
  // dialog `title`, whose browse button (at browse) opens the picker; the chosen file is
  // confirmed with the dialog's OK button (at ok) and appears in the settings file as `attribute`.
  struct ParameterDialog {
    const char* title;
    int browseX, browseY;
    const char* pickerTitle;
    int okX, okY;
    const char* attribute;
  };
  void ChooseFileForMediaButton1(const ParameterDialog& d, const fs::path& file) {
    ClickInWindow(window, kMediaButton1SetX, kMediaButton1SetY);
    const unsigned long dialog = WaitForDialog(d.title);
    ASSERT_TRUE(dialog) << d.title;
    ClickInWindow(dialog, d.browseX, d.browseY);
    ASSERT_NO_FATAL_FAILURE(PickFile(d.pickerTitle, file));
    ClickInWindow(dialog, d.okX, d.okY);
    ASSERT_TRUE(WaitForDialogGone(d.title));
    const std::string stored = std::string(d.attribute) + "=\"" + file.string() + "\"";
    ASSERT_TRUE(WaitUntil([&] { return ReadFile(SettingsFile()).find(stored) != std::string::npos; }))
        << ReadFile(SettingsFile());
  }
  // Veltrio shown with the remote open and its chooser answered, on the Buttons page.
  void StartWithRemoteOnButtonsPage() {
    ASSERT_TRUE(PlugRemote());
    ASSERT_NO_FATAL_FAILURE(StartShown());
    ASSERT_TRUE(WaitForRemoteReady(*veltrio));
    ClickButtonsPage();
    ASSERT_TRUE(WaitForPage(window, "Buttons"));
  }
  // Types a full path into the open file picker and accepts it; returns once the dialog it was
  // opened from takes clicks again.
  void PickFile(const std::string& pickerTitle, const fs::path& file) {
    const unsigned long picker = WaitForDialog(pickerTitle);
    ASSERT_TRUE(picker) << pickerTitle;
    // Keys go where the focus is, which a new window is given only after it shows.
    ASSERT_TRUE(WaitUntil([&] { return m_desktop.HasFocus(picker); }));
    m_desktop.Type(file.string());
    // The picker completes what is typed from the folder it lists: where that list has been
    // read already, the first Return only takes the completion, as it does for a user.
    m_desktop.PressKeys({"Return"});
    ASSERT_EQ(AskInstance(Channel(), kNoRequest), 0);
    if (m_desktop.ShownWindowTitled(veltrio->Pid(), pickerTitle)) m_desktop.PressKeys({"Return"});
    ASSERT_TRUE(WaitForDialogGone(pickerTitle));
    // The picker is gone once the browse click has returned, with the completion list it may
    // have shown: until then that list holds the pointer and a click on the dialog closes it.
    ASSERT_EQ(AskInstance(Channel(), kNoRequest), 0);
    ASSERT_TRUE(WaitUntil([&] { return m_desktop.ShownPopup(veltrio->Pid()) == 0; }));
  }
};

TEST_F(Dialogs, ProfilesAreAddedResetAndDeletedThroughTheirDialogs) {
  ASSERT_NO_FATAL_FAILURE(StartShown());
  ASSERT_NO_FATAL_FAILURE(AddProfile("Lecture"));
  std::string stored = StoredProfile("Lecture");
  EXPECT_EQ(Count(stored, "<customKey"), 44) << stored;
  EXPECT_EQ(Count(stored, "value=\"0\""), 44) << "a new profile has no bindings";

  const std::string before = ReadFile(SettingsFile());
  ASSERT_NO_FATAL_FAILURE(AddProfile("Lecture"));
  EXPECT_EQ(ReadFile(SettingsFile()), before) << "the same name again changes nothing";

  ASSERT_NO_FATAL_FAILURE(Confirm(kResetProfileX, kResetProfileY, "Reset to default", 150 + 21, 98 + 14));
  stored = StoredProfile("Lecture");
  EXPECT_NE(stored.find("<customKey1_1 value=\"901\""), std::string::npos) << stored;
  EXPECT_NE(stored.find("<customKey1_2 value=\"904\""), std::string::npos);
  EXPECT_NE(stored.find("<customKey1_3 value=\"902\""), std::string::npos);
  EXPECT_EQ(Count(stored, "value=\"0\""), 41);

  ASSERT_NO_FATAL_FAILURE(Confirm(kDeleteProfileX, kDeleteProfileY, "Delete profile", 149 + 21, 98 + 14));
  EXPECT_EQ(StoredProfile("Lecture"), "");
}

TEST_F(Dialogs, DeletingTheProfileTheSettingsNameGivesTheDefaultKeysAfterARestart) {
  WriteSettings(false, Binding(1, 1, kEscape));  // "Desk", named by the settings
  ASSERT_NO_FATAL_FAILURE(StartShown());
  ASSERT_NO_FATAL_FAILURE(Confirm(kDeleteProfileX, kDeleteProfileY, "Delete profile", 149 + 21, 98 + 14));
  EXPECT_EQ(StoredProfile("Desk"), "");
  EXPECT_NE(ReadFile(SettingsFile()).find("m_strCurrentprofileName=\"defalut\""), std::string::npos);
  EXPECT_EQ(RunVeltrio({"-x"}), 0);
  ASSERT_EQ(veltrio->Wait(20s), 0);
  ExpectMediaKey1SendsPageUpAfterAStart();
}

// A fresh machine where only a check box was ticked: the file holds the global element alone.
TEST_F(Dialogs, SettingsNamingAProfileThatIsNotStoredKeepTheDefaultKeys) {
  WriteFile(SettingsFile(), "<?xml version=\"1.0\"?>\n<global m_nDevStyeID=\"2\" m_blaunchstart=\"0\" "
                            "m_benablegesture=\"1\" m_strCurrentprofileName=\"defalut\" />\n");
  ExpectMediaKey1SendsPageUpAfterAStart();
}

TEST_F(Dialogs, CustomKeyCapturedInTheDialogIsTypedExactly) {
  WriteSettings(false, Binding(1, 1, kCustomKey));
  ASSERT_NO_FATAL_FAILURE(StartWithRemoteOnButtonsPage());
  ClickInWindow(window, kMediaButton1SetX, kMediaButton1SetY);
  const unsigned long dialog = WaitForDialog("Custom key combination");
  ASSERT_TRUE(dialog);
  ClickInWindow(dialog, 27 + 7, 66 + 6);  // left Ctrl
  ClickInWindow(dialog, 69 + 7, 66 + 6);  // left Shift
  ClickInWindow(dialog, 24 + 64, 104 + 13);  // the first key's box
  ASSERT_TRUE(WaitUntil([&] { return m_desktop.HasFocus(dialog); }));
  m_desktop.PressKeys({"Control_L", "Shift_L", "k"});
  ClickInWindow(dialog, 203 + 21, 177 + 14);
  ASSERT_TRUE(WaitForDialogGone("Custom key combination"));
  EXPECT_TRUE(WaitUntil([&] {
    return ReadFile(SettingsFile()).find("value=\"302\" SystemKey=\"3\" SingleKey1=\"75\" SingleKey2=\"0\"") != std::string::npos;
  })) << ReadFile(SettingsFile());

  XKeyRecorder recorder;
  ASSERT_TRUE(recorder.Open(m_desktop.Name())) << recorder.Error();
  m_remote->Send("press media1\nrelease media1");
  EXPECT_EQ(recorder.Take(6, 10s), (std::vector<RecordedKey>{{true, "Control_L"},
                                                              {true, "Shift_L"},
                                                              {true, "k"},
                                                              {false, "k"},
                                                              {false, "Control_L"},
                                                              {false, "Shift_L"}}));
}

TEST_F(Dialogs, MyApplicationChosenInThePickerStartsOnceUntilItEnds) {
  const fs::path program = m_scratch.Path() / "programs" / "slides";
  fs::create_directories(program.parent_path());
  fs::copy_file(kStubProgram, program);
  WriteSettings(false, Binding(1, 1, kMyApplication));
  ASSERT_NO_FATAL_FAILURE(StartWithRemoteOnButtonsPage());
  ASSERT_NO_FATAL_FAILURE(ChooseFileForMediaButton1(
      {"My application", 268 + 31, 75 + 13, "Choose a program", 249 + 22, 152 + 14, "appPath"}, program));

  m_remote->Send("press media1\nrelease media1");
  ASSERT_TRUE(WaitUntil([&] { return ProcessesOf(program).size() == 1; })) << "the first press starts it";
  m_remote->Send("press media1\nrelease media1");
  ASSERT_EQ(AskInstance(Channel(), kNoRequest), 0);  // the second press has been handled
  EXPECT_EQ(ProcessesOf(program).size(), 1u) << "one instance only: a second press starts none while it runs";
  for (pid_t pid : ProcessesOf(program)) ::kill(pid, SIGKILL);
}

TEST_F(Dialogs, TheRemoteReportingModelAIsTakenWithItsPicturesAndKeyRules) {
  WriteSettings(false, Binding(1, 2, kEscape));  // media key 2 and the gesture key perform slot 1
  ASSERT_TRUE(PlugRemote());
  ASSERT_NO_FATAL_FAILURE(StartShown());
  ASSERT_TRUE(WaitForDeviceOpen());
  ASSERT_EQ(AskInstance(Channel(), kNoRequest), 0);
  ASSERT_TRUE(WaitUntil([&] { return ShownChooser(*veltrio) != 0; })) << "the chooser opens for the new remote";
  m_remote->Send("model 1");
  ASSERT_TRUE(WaitUntil([&] { return ShownChooser(*veltrio) == 0; })) << "and closes by itself";
  EXPECT_TRUE(WaitUntil([&] { return ReadFile(SettingsFile()).find("m_nDevStyeID=\"1\"") != std::string::npos; }))
      << ReadFile(SettingsFile());

  // Model A's picture is the dark remote; model B's, shown before, is white.
  ClickButtonsPage();
  ASSERT_TRUE(WaitForPage(window, "Buttons"));
  const std::optional<Rgb> body = m_desktop.Pixel(window, 64 + 81 + 55, 36 + 103 + 105);
  ASSERT_TRUE(body);
  EXPECT_LT(body->r + body->g + body->b, 3 * 0x60) << body->r << "," << body->g << "," << body->b;

  // Model A drops a press of media key 2 that comes with motion and performs the gesture key's.
  XKeyRecorder recorder;
  ASSERT_TRUE(recorder.Open(m_desktop.Name())) << recorder.Error();
  const std::string idle = " 00 00 00 00 01 00 00 00 00 00 00 00";  // bytes 4 to 15: model 1
  m_remote->Send("report 0A 01 00 20 00 00 05 00 01 00 00 00 00 00 00 00\nreport 0A 01 00 00" + idle +
                 "\nreport 0A 01 00 80 00 00 05 00 01 00 00 00 00 00 00 00\nreport 0A 01 00 00" + idle);
  EXPECT_EQ(recorder.Take(3, 3s), (std::vector<RecordedKey>{{true, "Escape"}, {false, "Escape"}}));
}

// The pointer image chosen in the laser pointer dialog, shown by the real overlay.
class PointerImageDialog : public Dialogs {
 protected:
  fs::path Prefix() const override { return kOverlayPrefix; }
  void TearDown() override {
    Dialogs::TearDown();
    for (pid_t pid : ProcessesOf(kOverlayPrefix / "bin" / "VtaPointer")) ::kill(pid, SIGKILL);
  }
};

TEST_F(PointerImageDialog, TheImageChosenInTheDialogIsWhatThePointerShows) {
  // A magenta square, a colour nothing else on this desktop has.
  const fs::path image = m_scratch.Path() / "home" / "Pictures" / "Veltrio" / "magenta.png";
  fs::create_directories(image.parent_path());
  QImage square(48, 48, QImage::Format_RGB32);
  square.fill(QColor(0xff, 0x00, 0xff));
  ASSERT_TRUE(square.save(QString::fromStdString(image.string()), "PNG"));
  WriteSettings(false, Binding(1, 1, kLaserPointer));
  ASSERT_NO_FATAL_FAILURE(StartWithRemoteOnButtonsPage());
  ASSERT_NO_FATAL_FAILURE(ChooseFileForMediaButton1(
      {"Laser pointer", 235 + 16, 70 + 11, "Choose a pointer image", 180 + 23, 136 + 16, "pointepngPath"}, image));

  m_desktop.MovePointer(640, 400);
  m_remote->Send("press media1\nrelease media1");
  std::vector<pid_t> pointers;
  ASSERT_TRUE(WaitUntil([&] { return (pointers = ProcessesOf(kOverlayPrefix / "bin" / "VtaPointer")).size() == 1; }));
  unsigned long overlay = 0;
  ASSERT_TRUE(WaitUntil([&] {
    for (unsigned long candidate : m_desktop.WindowsOf(pointers.front())) {
      if (m_desktop.Viewable(candidate)) return (overlay = candidate) != 0;
    }
    return false;
  }));
  // The image sits at the pointer, in the middle of the overlay's window.
  EXPECT_TRUE(WaitUntil([&] {
    const Rect place = m_desktop.Geometry(overlay);
    const std::optional<Rgb> middle = m_desktop.Pixel(overlay, place.width / 2, place.height / 2);
    return middle && middle->r > 0xe0 && middle->g < 0x30 && middle->b > 0xe0;
  })) << "a pixel of the chosen image is on screen";
}

// --- the tray icon ---------------------------------------------------------------------------

TEST_F(VeltrioE2e, LeftClickOnTheTrayIconTogglesTheWindow) {
  Child* veltrio = StartVeltrio({"-boot"});
  ASSERT_TRUE(veltrio);
  const unsigned long icon = WaitForTrayIcon(*veltrio);
  ASSERT_TRUE(icon);
  const Rect place = m_desktop.Geometry(icon);
  // Two clicks at one spot in quick succession are a double click, which does not toggle (as a
  // user's double click toggles only once); clicks 10 pixels apart are single clicks each.
  const int left = place.width / 2 - 5, right = place.width / 2 + 5, middle = place.height / 2;

  ASSERT_TRUE(m_desktop.ClickIn(icon, left, middle));
  EXPECT_TRUE(WaitForShownMainWindow(*veltrio));
  ASSERT_TRUE(m_desktop.ClickIn(icon, right, middle));
  EXPECT_TRUE(WaitUntil([&] { return !MainWindowShown(*veltrio); }));
  ASSERT_TRUE(m_desktop.ClickIn(icon, left, middle));
  EXPECT_TRUE(WaitForShownMainWindow(*veltrio));
}

// A desktop whose tray speaks StatusNotifierItem: a session bus of the test's own with a
// watcher on it, which Qt's tray icon registers with instead of docking into the XEmbed tray.
class StatusNotifierTray : public VeltrioE2e {
 protected:
  void SetUp() override {
    VeltrioE2e::SetUp();
    if (HasFatalFailure()) return;
    const fs::path socket = m_scratch.Path() / "bus";
    m_busAddress = "unix:path=" + socket.string();
    Child::Options bus;
    bus.argv = {"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=" + m_busAddress};
    bus.output = m_scratch.Path() / "dbus.log";
    std::string error;
    m_bus = Child::Start(bus, &error);
    ASSERT_TRUE(m_bus) << error;
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(socket); })) << ReadFile(bus.output);
    ASSERT_TRUE(StartWatcher());
    m_environment["DBUS_SESSION_BUS_ADDRESS"] = m_busAddress;
  }

  void TearDown() override {
    VeltrioE2e::TearDown();
    if (m_watcher) m_watcher->Kill();
    if (m_bus) m_bus->Kill();
  }

  fs::path WatcherLog() const { return m_scratch.Path() / ("watcher" + std::to_string(m_watchers) + ".log"); }

  // A new watcher, as when the desktop's tray restarts; true once it owns its name.
  bool StartWatcher() {
    if (m_watcher) m_watcher->Kill();
    ++m_watchers;
    Child::Options watcher;
    watcher.argv = {kSniWatcher.string()};
    watcher.env = {{"DBUS_SESSION_BUS_ADDRESS", m_busAddress}};
    watcher.pipeStdin = true;
    watcher.output = WatcherLog();
    std::string error;
    m_watcher = Child::Start(watcher, &error);
    EXPECT_TRUE(m_watcher) << error;
    return m_watcher && WaitUntil([&] { return ReadFile(WatcherLog()).find("watching\n") != std::string::npos; });
  }

  bool WaitForRegisteredItem() {
    return WaitUntil([&] { return ReadFile(WatcherLog()).find("registered ") != std::string::npos; }, 20s);
  }

  std::string m_busAddress;
  std::unique_ptr<Child> m_bus, m_watcher;
  int m_watchers = 0;
};

TEST_F(StatusNotifierTray, TheIconRegistersALeftClickTogglesTheWindowAndExitEnds) {
  Child* veltrio = StartVeltrio({"-boot"});
  ASSERT_TRUE(veltrio);
  ASSERT_TRUE(WaitForRegisteredItem()) << ReadFile(WatcherLog()) << ReadFile(Log());
  ASSERT_EQ(AskInstance(Channel(), kNoRequest), 0);
  EXPECT_EQ(m_desktop.EmbeddedTrayIcon(veltrio->Pid()), 0u) << "one icon, on the StatusNotifierItem tray only";

  ASSERT_TRUE(m_watcher->Write("activate\n"));
  EXPECT_TRUE(WaitForShownMainWindow(*veltrio));
  ASSERT_TRUE(m_watcher->Write("activate\n"));
  EXPECT_TRUE(WaitUntil([&] { return !MainWindowShown(*veltrio); }));

  ASSERT_TRUE(m_watcher->Write("context\n"));
  unsigned long menu = 0;
  ASSERT_TRUE(WaitUntil([&] { return (menu = m_desktop.ShownPopup(veltrio->Pid())) != 0; })) << "the tray menu opens";
  const Rect item = m_desktop.Geometry(menu);  // its one item, "Exit", fills it
  m_desktop.Click(item.CenterX(), item.CenterY());
  EXPECT_EQ(veltrio->Wait(20s), 0);
  EXPECT_EQ(UnixSocketEnds(Channel()), 0) << "its channel is gone";
}

TEST_F(StatusNotifierTray, TheIconComesBackWhenTheTrayRestarts) {
  Child* veltrio = StartVeltrio({"-boot"});
  ASSERT_TRUE(veltrio);
  ASSERT_TRUE(WaitForRegisteredItem()) << ReadFile(WatcherLog());

  ASSERT_TRUE(StartWatcher());
  ASSERT_TRUE(WaitForRegisteredItem()) << "the icon registers with the new watcher";
  ASSERT_TRUE(m_watcher->Write("activate\n"));
  EXPECT_TRUE(WaitForShownMainWindow(*veltrio));
  EXPECT_TRUE(veltrio->Running());
}

// Veltrio as a native Wayland client: a headless Weston of the test's own, no X server in the
// program's environment. Weston's screenshooter (enabled by --debug) pictures the output.
// The last screenshot stays in the working folder (the build's tests/e2e under CTest).
const fs::path kWaylandScreenshot = "wayland-screenshot.png";

TEST_F(VeltrioE2e, OnWaylandTheMainWindowShowsAsANativeClient) {
  const fs::path runtime = m_scratch.Path() / "wayland";
  fs::create_directories(runtime);
  ::chmod(runtime.c_str(), 0700);
  const std::map<std::string, std::optional<std::string>> session = {
      {"XDG_RUNTIME_DIR", runtime.string()}, {"WAYLAND_DISPLAY", "veltrio-test"}, {"DISPLAY", std::nullopt}};
  Child::Options weston;
  weston.argv = {"weston", "--backend=headless-backend.so", "--use-pixman", "--debug", "--socket=veltrio-test",
                 "--width=1024", "--height=768", "--idle-time=0", "--no-config"};
  weston.env = session;
  weston.output = m_scratch.Path() / "weston.log";
  std::string error;
  std::unique_ptr<Child> compositor = Child::Start(weston, &error);
  ASSERT_TRUE(compositor) << error;
  ASSERT_TRUE(WaitUntil([&] { return fs::exists(runtime / "veltrio-test"); })) << ReadFile(weston.output);

  m_environment = session;
  m_environment["QT_QPA_PLATFORM"] = "wayland";
  Child* veltrio = StartVeltrio();
  ASSERT_TRUE(veltrio);

  // The window is up once a screenshot holds its blue: the checked page's bar and the Settings
  // page's button (the desktop around it is grey).
  const fs::path shots = m_scratch.Path() / "shots";
  fs::create_directories(shots);
  auto blueInShot = [&] {
    fs::remove_all(shots);
    fs::create_directories(shots);
    Child::Options shooter;
    shooter.argv = {"weston-screenshooter"};
    shooter.env = session;
    shooter.folder = shots;
    shooter.output = m_scratch.Path() / "screenshooter.log";
    auto child = Child::Start(shooter, &error);
    if (!child || child->Wait(20s) != 0) return 0;
    for (const auto& entry : fs::directory_iterator(shots)) {
      const QImage shot(QString::fromStdString(entry.path().string()));
      int blue = 0;
      for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
          const QColor c = shot.pixelColor(x, y);
          blue += std::abs(c.red() - 0x3b) < 24 && std::abs(c.green() - 0x74) < 24 && std::abs(c.blue() - 0xf6) < 24;
        }
      }
      fs::copy_file(entry.path(), kWaylandScreenshot, fs::copy_options::overwrite_existing);
      return blue;
    }
    return 0;
  };
  int blue = 0;
  EXPECT_TRUE(WaitUntil([&] { return (blue = blueInShot()) > 2000; }, 30s))
      << "the main window's blue in the screenshot: " << blue << " pixels; " << ReadFile(Log());
  std::cerr << "the last screenshot, to look at: " << fs::absolute(kWaylandScreenshot) << "\n";
  EXPECT_TRUE(veltrio->Running());
  EXPECT_EQ(ReadFile(Log()).find("could not connect to display"), std::string::npos) << ReadFile(Log());
}

TEST_F(VeltrioE2e, ExitFromTheTrayMenuEndsTheProgramAndBothOverlays) {
  // The real overlays are played by the stub program, installed under their names.
  const fs::path pointer = kPrefix / "bin" / "VtaPointer", volume = kPrefix / "bin" / "VtaGyroVol";
  WriteSettings(false, Binding(1, 1, kLaserPointer) + Binding(1, 3, kAirVolume));
  ASSERT_TRUE(PlugRemote());
  Child* veltrio = StartVeltrio({"-boot"});
  ASSERT_TRUE(veltrio);
  const unsigned long icon = WaitForTrayIcon(*veltrio);
  ASSERT_TRUE(icon);
  ASSERT_TRUE(WaitForRemoteReady(*veltrio));

  auto running = [](const fs::path& program) { return ProcessesOf(program).size(); };
  m_remote->Send("press media1\nrelease media1\npress media3\nrelease media3");
  ASSERT_TRUE(WaitUntil([&] { return running(pointer) == 1 && running(volume) == 1; })) << "both overlays run";

  const Rect place = m_desktop.Geometry(icon);
  ASSERT_TRUE(m_desktop.ClickIn(icon, place.width / 2, place.height / 2, 3));
  unsigned long menu = 0;
  ASSERT_TRUE(WaitUntil([&] { return (menu = m_desktop.ShownPopup(veltrio->Pid())) != 0; })) << "the tray menu opens";
  const Rect item = m_desktop.Geometry(menu);  // its one item, "Exit", fills it
  m_desktop.Click(item.CenterX(), item.CenterY());

  EXPECT_EQ(veltrio->Wait(20s), 0);
  EXPECT_EQ(running(pointer), 0u);
  EXPECT_EQ(running(volume), 0u);
  EXPECT_FALSE(m_desktop.Exists(icon)) << "the icon leaves the tray";
  EXPECT_EQ(UnixSocketEnds(Channel()), 0) << "its channel is gone";
}

// --- launch at start -------------------------------------------------------------------------

TEST_F(VeltrioE2e, LaunchAtStartWritesAndThenDisablesTheAutostartEntry) {
  Child* veltrio = StartVeltrio();
  ASSERT_TRUE(veltrio);
  const unsigned long window = WaitForShownMainWindow(*veltrio);
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitForPage(window, "Settings"));
  const std::string exec = "Exec=" + fs::canonical(kPrefix / "bin" / "veltrio").string() + " -boot";

  ClickInWindow(window, kLaunchStartX, kLaunchStartY);
  ASSERT_TRUE(WaitUntil([&] { return ReadFile(AutostartEntry()).find(exec) != std::string::npos; }))
      << ReadFile(AutostartEntry());
  EXPECT_EQ(ReadFile(AutostartEntry()).find("Hidden=true"), std::string::npos);
  EXPECT_TRUE(WaitUntil([&] { return ReadFile(SettingsFile()).find("m_blaunchstart=\"1\"") != std::string::npos; }));

  ClickInWindow(window, kLaunchStartX, kLaunchStartY);
  EXPECT_TRUE(WaitUntil([&] { return ReadFile(AutostartEntry()).find("Hidden=true") != std::string::npos; }))
      << ReadFile(AutostartEntry());
  EXPECT_NE(ReadFile(AutostartEntry()).find(exec), std::string::npos) << "the entry is kept, only disabled";
  EXPECT_TRUE(WaitUntil([&] { return ReadFile(SettingsFile()).find("m_blaunchstart=\"0\"") != std::string::npos; }));
}

}  // namespace

// --- the real overlays -----------------------------------------------------------------------

// The installation as it is, overlays and all: Veltrio starts and ends the real programs, which
// follow the pointer that XTest moves and the buttons it presses, as a mouse's would.
class RealOverlays : public VeltrioE2e {
 protected:
  fs::path Prefix() const override { return kOverlayPrefix; }
  fs::path Pointer() const { return Prefix() / "bin" / "VtaPointer"; }
  fs::path Volume() const { return Prefix() / "bin" / "VtaGyroVol"; }

  void TearDown() override {
    VeltrioE2e::TearDown();
    for (const fs::path& overlay : {Pointer(), Volume()}) {
      for (pid_t pid : ProcessesOf(overlay)) ::kill(pid, SIGKILL);
    }
  }

  // Veltrio hidden in the tray with `bindings` and the remote open.
  void StartWithBindings(const std::string& bindings) {
    WriteSettings(false, bindings);
    ASSERT_TRUE(PlugRemote());
    Child* veltrio = StartVeltrio({"-boot"});
    ASSERT_TRUE(veltrio);
    ASSERT_TRUE(WaitForTrayIcon(*veltrio));
    ASSERT_TRUE(WaitForDeviceOpen());
  }

  // The one process of `overlay` once it runs, 0 when none came.
  pid_t WaitForProcess(const fs::path& overlay) {
    std::vector<pid_t> pids;
    WaitUntil([&] { return (pids = ProcessesOf(overlay)).size() == 1; });
    return pids.size() == 1 ? pids.front() : 0;
  }

  // The overlay's window once it is shown.
  unsigned long WaitForShownWindow(pid_t pid) {
    unsigned long shown = 0;
    WaitUntil([&] {
      for (unsigned long window : m_desktop.WindowsOf(pid)) {
        if (m_desktop.Viewable(window)) return (shown = window) != 0;
      }
      return false;
    });
    return shown;
  }

  // What pactl prints for `args` (the default sink of the test's sound server).
  std::string Pactl(const std::vector<std::string>& args) {
    const fs::path output = m_scratch.Path() / "pactl.out";
    fs::remove(output);
    Child::Options options;
    options.argv = {"/usr/bin/pactl"};
    options.argv.insert(options.argv.end(), args.begin(), args.end());
    options.output = output;
    std::string error;
    auto child = Child::Start(options, &error);
    if (!child || child->Wait(10s) != 0) return {};
    return ReadFile(output);
  }
  bool SoundServerAnswers() { return !Pactl({"info"}).empty(); }
  bool Muted() { return Pactl({"get-sink-mute", "@DEFAULT_SINK@"}).find("yes") != std::string::npos; }
  // The front-left channel's volume in per cent, -1 when unreadable.
  int VolumePercent() {
    const std::string text = Pactl({"get-sink-volume", "@DEFAULT_SINK@"});
    const size_t slash = text.find(" / ");
    return slash == std::string::npos ? -1 : std::atoi(text.c_str() + slash + 3);
  }
};

TEST_F(RealOverlays, InstallationLaysTheProgramsOutSideBySide) {
  for (const char* file : {"bin/veltrio", "bin/VtaPointer", "bin/VtaGyroVol", "share/veltrio/veltrio.rcc",
                           "lib/udev/rules.d/70-veltrio.rules", "share/applications/veltrio.desktop",
                           "share/metainfo/org.veltrio.Veltrio.metainfo.xml",
                           "share/icons/hicolor/48x48/apps/veltrio.png",
                           "share/icons/hicolor/scalable/apps/veltrio.svg"}) {
    EXPECT_TRUE(fs::exists(Prefix() / file)) << file;
  }
  for (const char* page : {"veltrio.1", "VtaPointer.1", "VtaGyroVol.1"}) {
    const fs::path man = Prefix() / "share/man/man1" / page;
    EXPECT_TRUE(fs::exists(man) || fs::exists(man.string() + ".gz")) << man << " (a package compresses it)";
  }
  for (const char* program : {"bin/veltrio", "bin/VtaPointer", "bin/VtaGyroVol"}) {
    EXPECT_EQ(::access((Prefix() / program).c_str(), X_OK), 0) << program << " is executable";
  }
  // devbridge is private: in a folder of its own under the library folder (lib/ or, in the
  // package, lib/<multiarch>/), with no development link beside it.
  std::vector<fs::path> folders = {Prefix() / "lib" / "veltrio"};
  for (const auto& entry : fs::directory_iterator(Prefix() / "lib")) folders.push_back(entry.path() / "veltrio");
  std::vector<std::string> libraries;
  for (const fs::path& folder : folders) {
    if (!fs::is_directory(folder)) continue;
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.path().filename().string().starts_with("libdevbridge.so")) libraries.push_back(entry.path().filename());
    }
  }
  std::sort(libraries.begin(), libraries.end());
  EXPECT_EQ(libraries, (std::vector<std::string>{"libdevbridge.so.1", "libdevbridge.so." VELTRIO_VERSION}))
      << "the library and its SONAME link, and no development link";
}

TEST_F(RealOverlays, LaserPointerFollowsThePointerUntilTheSecondPress) {
  StartWithBindings(Binding(1, 1, kLaserPointer));
  m_desktop.MovePointer(640, 400);
  m_remote->Send("press media1\nrelease media1");
  const pid_t pointer = WaitForProcess(Pointer());
  ASSERT_NE(pointer, 0) << "the first press starts the laser pointer";
  const unsigned long window = WaitForShownWindow(pointer);
  ASSERT_TRUE(window);

  auto centredOn = [&](int x, int y) {
    const Rect place = m_desktop.Geometry(window);
    return place.width == 188 && place.height == 188 && place.x == x - 94 && place.y == y - 94;
  };
  EXPECT_TRUE(WaitUntil([&] { return centredOn(640, 400); })) << "it opens centred on the pointer";
  m_desktop.MovePointer(300, 250);
  EXPECT_TRUE(WaitUntil([&] { return centredOn(300, 250); })) << "and follows it";

  m_remote->Send("press media1\nrelease media1");
  EXPECT_TRUE(WaitUntil([&] { return ProcessesOf(Pointer()).empty(); })) << "the second press ends it";
}

TEST_F(RealOverlays, AirVolumeSitsAtTheRightEdgeMovingUpRaisesTheVolumeAndAClickMutes) {
  VELTRIO_NEED_SERVER(SoundServerAnswers() ? "" : "no sound server runs (scripts/test starts one)");
  Pactl({"set-sink-mute", "@DEFAULT_SINK@", "0"});
  Pactl({"set-sink-volume", "@DEFAULT_SINK@", "50%"});
  StartWithBindings(Binding(1, 3, kAirVolume));
  m_remote->Send("press media3\nrelease media3");
  const pid_t volume = WaitForProcess(Volume());
  ASSERT_NE(volume, 0) << "the press starts the air volume overlay";
  const unsigned long window = WaitForShownWindow(volume);
  ASSERT_TRUE(window);
  // Full height at the right edge of the 1280x800 screen, 0.11 of the height wide.
  const Rect place = m_desktop.Geometry(window);
  EXPECT_EQ(place.width, 88);
  EXPECT_EQ(place.height, 800);
  EXPECT_EQ(place.x, 1280 - 88);
  EXPECT_EQ(place.y, 0);

  // The overlay keeps the pointer at its centre, putting it back after every motion; 100 pixels
  // up, in steps of 4 as a slow hand gives them, is a tenth of the scale.
  const int centreX = place.CenterX(), centreY = place.CenterY();
  auto backAtCentre = [&] { return m_desktop.PointerPosition() == std::pair{centreX, centreY}; };
  ASSERT_TRUE(WaitUntil(backAtCentre));
  for (int step = 0; step < 25; ++step) {
    m_desktop.MovePointerBy(0, -4);
    ASSERT_TRUE(WaitUntil(backAtCentre)) << "the pointer goes back to the centre after step " << step;
  }
  EXPECT_TRUE(WaitUntil([&] { return VolumePercent() == 60; })) << VolumePercent();

  m_desktop.Click(centreX, centreY);
  EXPECT_TRUE(WaitUntil([&] { return Muted(); })) << "a left click mutes";

  m_remote->Send("press media3\nrelease media3");
  EXPECT_TRUE(WaitUntil([&] {
    const std::vector<pid_t> pids = ProcessesOf(Volume());
    return pids.size() == 1 && pids.front() != volume;
  })) << "a second press leaves one fresh overlay";
  Pactl({"set-sink-mute", "@DEFAULT_SINK@", "0"});
}
