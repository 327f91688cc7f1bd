// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The raw-input window: each mouse report of the remote is one tick of the swipe recogniser,
// which takes the latest deltas of the remote's status report as its sample. Swipes go to the
// main window (g_hMainWnd) as queued calls.
// The status is read when the tick arrives, on the monitor's thread, and travels with it: a GUI
// thread busy for a moment (a window painting, a dialog opening) then still sees each tick with
// the key held and the deltas of its time, not the state after the hand has let go.
// Thread: lives on the GUI thread; the raw mouse monitor's thread only queues ticks to it.

#include <QObject>
#include <QTimer>

#include <atomic>
#include <memory>

#include "GestureRecognizer.h"
#include "platform/rawmouse.h"

class CGlobalSettings;

namespace MOUSEFUCTION {

class CRawInputWnd final : public QObject {
  Q_OBJECT

 public:
  // Recognises swipes while `settings` has gestures enabled, read at every tick; `settings`
  // must outlive the window.
  CRawInputWnd(const CGlobalSettings& settings, QObject* owner);
  ~CRawInputWnd() override;  // stops the raw mouse monitor

  // The remote's status as a tick found it.
  struct StatusAtTick {
    int dx = 0, dy = 0;
    bool linked = false;
    bool gestureKey = false;
  };
  static StatusAtTick CurrentStatus();

  // One raw mouse report with the status of its time; the monitor's ticks arrive here on the
  // GUI thread.
  void OnWMInput(const platform::RawMouseTick& tick, const StatusAtTick& status);

  // How many of the remote's ticks the monitor has handed over so far (any thread).
  int TicksQueued() const { return m_ticksQueued.load(); }

  const CGestureRecognizer& Recognizer() const { return m_recognizer; }
  const QTimer& QuietTimer() const { return m_quiet; }

 private:
  const CGlobalSettings& m_settings;
  CGestureRecognizer m_recognizer;
  QTimer m_quiet;  // timer 12
  std::atomic<int> m_ticksQueued{0};
  std::unique_ptr<platform::RawMouseMonitor> m_monitor;
};

}  // namespace MOUSEFUCTION
