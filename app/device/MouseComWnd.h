// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The device link's window: opens the remote through devbridge, writes its heartbeat every
// 200 ms while it is open, follows arrival and removal, and keeps g_bDevicePresent. Tells the
// main window (g_hMainWnd) when a device is newly opened and when presence may have changed,
// and hands it the key and link events of the status reports.
// Thread: lives on the GUI thread. devbridge calls its notification sink and the report
// callback on threads of its own; both only queue work to the GUI thread.

#include <QObject>
#include <QTimer>

#include <memory>

#include "devbridge/MyDllMouseDevice.h"

class CGlobalSettings;
class CMouseDevLink;

namespace MOUSEFUCTION {

class CMouseComWnd final : public QObject, public devbridge::DeviceChangeSink {
  Q_OBJECT

 public:
  // Timer 51: five beats a second. A coarse timer, so that the system may fire it together with
  // other wake-ups: Qt moves each beat by up to 5 % of the period, never the period itself.
  static constexpr int kHeartbeatMs = 200;

  // Decodes the remote's reports with `settings`' device style, read as each report arrives;
  // `settings` must outlive the window.
  CMouseComWnd(const CGlobalSettings& settings, QObject* owner);
  ~CMouseComWnd() override;  // closes the device (joins its reader)

  CMouseDevLink& Link() const { return *m_link; }
  const QTimer& HeartbeatTimer() const { return m_heartbeat; }

  // devbridge::DeviceChangeSink, on a devbridge thread or inside a heartbeat write.
  void OnDeviceChange(std::uintptr_t wParam, std::intptr_t lParam) override;

 private:
  void HandleDeviceChange(std::uintptr_t wParam, std::intptr_t lParam);
  void PostDeviceFound();

  std::unique_ptr<CMouseDevLink> m_link;
  QTimer m_heartbeat;
};

}  // namespace MOUSEFUCTION
