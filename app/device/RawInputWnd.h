#pragma once
// The raw-input window: each mouse report of the remote is one tick of the swipe recogniser,
// which takes the latest deltas of the remote's status report as its sample. Swipes go to the
// main window (g_hMainWnd) as queued calls.
// Thread: lives on the GUI thread; the raw mouse monitor's thread only queues ticks to it.

#include <QObject>
#include <QTimer>

#include <memory>

#include "GestureRecognizer.h"
#include "platform/rawmouse.h"

namespace MOUSEFUCTION {

class CRawInputWnd final : public QObject {
  Q_OBJECT

 public:
  explicit CRawInputWnd(QObject* owner);
  ~CRawInputWnd() override;  // stops the raw mouse monitor

  // One raw mouse report; the monitor's ticks arrive here on the GUI thread.
  void OnWMInput(const platform::RawMouseTick& tick);

  const CGestureRecognizer& Recognizer() const { return m_recognizer; }
  const QTimer& QuietTimer() const { return m_quiet; }

 private:
  CGestureRecognizer m_recognizer;
  QTimer m_quiet;  // timer 12
  std::unique_ptr<platform::RawMouseMonitor> m_monitor;
};

}  // namespace MOUSEFUCTION
