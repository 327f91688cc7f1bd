// SPDX-License-Identifier: GPL-3.0-or-later
#include "MouseComWnd.h"

#include "DeviceEvents.h"
#include "DeviceReport.h"
#include "MouseDevLink.h"
#include "settings/GlobalSettings.h"

#include <QMetaObject>

#include <atomic>

namespace MOUSEFUCTION {
namespace {

// The window that hands the reader thread's events to the GUI thread. Set while a link exists.
std::atomic<CMouseComWnd*> g_comWnd{nullptr};

// On the reader thread: queue, never wait. A blocking hand-over would deadlock against a close
// on the GUI thread that joins this very reader.
void PostDeviceEvent(int code) {
  if (CMouseComWnd* window = g_comWnd.load()) {
    QMetaObject::invokeMethod(
        window, [code] {
          if (g_hMainWnd) g_hMainWnd->OnDeviceEvent(code);
        },
        Qt::QueuedConnection);
  }
}

}  // namespace

CMouseComWnd::CMouseComWnd(const CGlobalSettings& settings, QObject* owner) : QObject(owner) {
  setObjectName(QStringLiteral("Veltrio_ComWnd_msg_windows"));
  g_comWnd.store(this);
  SetDeviceReportTarget(PostDeviceEvent, &settings.m_nDevStyeID);

  m_link = std::make_unique<CMouseDevLink>(OnDeviceReport);
  if (CMyDllMouseDevice* device = m_link->Device()) device->RegisterDeviceNotify(this);
  const bool present = m_link->Connect(this);
  g_bDevicePresent = present;
  if (present) PostDeviceFound();

  // A beat costs a wake-up and one write; nothing is allocated, logged or handed to another
  // thread.
  m_heartbeat.setTimerType(Qt::CoarseTimer);
  m_heartbeat.setInterval(kHeartbeatMs);
  connect(&m_heartbeat, &QTimer::timeout, this, [this] { m_link->SendHeartbeat(); });
  m_heartbeat.start();
}

CMouseComWnd::~CMouseComWnd() {
  m_heartbeat.stop();
  m_link.reset();  // joins the reader: no report callback runs after this
  SetDeviceReportTarget(nullptr, nullptr);
  g_comWnd.store(nullptr);
  g_bDevicePresent = false;
}

void CMouseComWnd::OnDeviceChange(std::uintptr_t wParam, std::intptr_t lParam) {
  // devbridge must not be re-entered from its own threads, nor from inside a write; the queued
  // call is dropped if this window is gone by then.
  QMetaObject::invokeMethod(
      this, [this, wParam, lParam] { HandleDeviceChange(wParam, lParam); }, Qt::QueuedConnection);
}

void CMouseComWnd::HandleDeviceChange(std::uintptr_t wParam, std::intptr_t lParam) {
  if (CMyDllMouseDevice* device = m_link->Device()) device->OnDeviceChange(wParam, lParam);
  if (wParam == devbridge::kDeviceArrival) {
    m_link->Connect(this);
    const bool wasPresent = g_bDevicePresent.load();
    g_bDevicePresent = m_link->IsOpen();
    if (g_hMainWnd) g_hMainWnd->RefreshDeviceLabel();
    if (!wasPresent && g_bDevicePresent) PostDeviceFound();
  } else if (wParam == devbridge::kDeviceRemoveComplete) {
    g_bDevicePresent = m_link->IsOpen();
    if (g_hMainWnd) g_hMainWnd->RefreshDeviceLabel();
  }
}

void CMouseComWnd::PostDeviceFound() {
  QMetaObject::invokeMethod(
      this, [] {
        if (g_hMainWnd) g_hMainWnd->OnDeviceFound();
      },
      Qt::QueuedConnection);
}

}  // namespace MOUSEFUCTION
