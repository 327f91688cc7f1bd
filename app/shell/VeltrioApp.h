// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program: one running instance per user, started by hand, at logon ("-boot", hidden with
// the tray icon only) or by an installer ("-x", which ends the running instance and starts
// nothing). Owns the main window, the tray icon, the key injector and the action runtime, and
// the channel through which a second start asks it to show itself or to quit.
// Thread: the GUI thread.

#include <memory>
#include <string>

#include "platform/instance.h"

class CActionRuntime;
class CMainDlg;
class CTrayIcon;
class QSocketNotifier;
namespace platform {
class KeyInjector;
}

// The name both the lock and the request channel go by.
inline constexpr const char* kInstanceName = "Zmgenex-Hkbhi{M49H36ND-72UK-799G-9739-80020Q8R8E3B}";

enum StartOutcome { kStartVisible = 0, kLeave = 1, kStartHidden = 2 };

// Decides from the command line (the arguments joined by blanks, compared whole and
// case-sensitively with "-x" and "-boot") and the instance lock whether this process runs.
// "-x" asks the running instance to quit and waits until its window is gone; a second start
// asks it to show itself. Keeps the lock for the process's life when it returns 0 or 2.
StartOutcome isMYMutex(const std::string& commandLine);

// "--help" and "--version", compared whole like the others: prints the help or the version to
// standard output and returns true. Any other command line returns false and prints nothing.
bool PrintInformation(const std::string& commandLine);

class CVeltrioApp {
 public:
  CVeltrioApp();
  ~CVeltrioApp();  // destroys the window, then ends both overlays

  // Builds the main window (hidden), opens the request channel, shows the tray icon and,
  // unless `hidden`, the window.
  void Start(bool hidden);

  // The one real exit: nobody finds this instance any more, the device windows close, the tray
  // icon goes, the main window is hidden and the event loop ends; the window is destroyed when
  // this object is, ending both overlays.
  void ExitProgram();

  CMainDlg* MainWindow() const { return m_mainDlg.get(); }

 private:
  int OnInstanceMessage(int message);

  std::unique_ptr<platform::KeyInjector> m_keys;
  std::unique_ptr<CActionRuntime> m_runtime;
  std::unique_ptr<CMainDlg> m_mainDlg;
  std::unique_ptr<CTrayIcon> m_tray;
  std::unique_ptr<platform::InstanceChannel> m_channel;
  std::unique_ptr<QSocketNotifier> m_channelNotifier;
  bool m_answering = false;  // inside a request of the channel
  bool m_exiting = false;
};

// The entry point: returns the exit code.
int VeltrioMain(int argc, char** argv);
