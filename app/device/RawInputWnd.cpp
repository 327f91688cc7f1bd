// SPDX-License-Identifier: GPL-3.0-or-later
#include "RawInputWnd.h"

#include "DeviceEvents.h"
#include "MouseDevLink.h"
#include "settings/GlobalSettings.h"

#include <QMetaObject>

namespace MOUSEFUCTION {

CRawInputWnd::CRawInputWnd(const CGlobalSettings& settings, QObject* owner) : QObject(owner), m_settings(settings) {
  setObjectName(QStringLiteral("Mouse_CRawInputWnd_msg_windows"));
  // Precise: a coarse timer may fire a few per cent early, cutting the quiet period short.
  m_quiet.setTimerType(Qt::PreciseTimer);
  m_quiet.setSingleShot(true);
  m_quiet.setInterval(CGestureRecognizer::kQuietMs);
  connect(&m_quiet, &QTimer::timeout, this, [this] { m_recognizer.OnQuietTimeout(); });

  m_monitor = platform::RawMouseMonitor::Start(
      CMouseDevLink::kVendorId, CMouseDevLink::kProductId, [this](const platform::RawMouseTick& tick) {
        const StatusAtTick status = CurrentStatus();
        ++m_ticksQueued;
        QMetaObject::invokeMethod(this, [this, tick, status] { OnWMInput(tick, status); }, Qt::QueuedConnection);
      });
}

CRawInputWnd::StatusAtTick CRawInputWnd::CurrentStatus() {
  constexpr auto relaxed = std::memory_order_relaxed;
  return {DeviceStatus.nDeltaX.load(relaxed), DeviceStatus.nDeltaY.load(relaxed), DeviceStatus.bLinked.load(relaxed),
          DeviceStatus.bGestureKey.load(relaxed)};
}

CRawInputWnd::~CRawInputWnd() { m_monitor.reset(); }

void CRawInputWnd::OnWMInput(const platform::RawMouseTick& tick, const StatusAtTick& status) {
  const bool enabled = m_settings.m_benablegesture;
  if (!enabled) return;
  // Mouse input of the remote only, never of another mouse.
  if (tick.vendorId != CMouseDevLink::kVendorId || tick.productId != CMouseDevLink::kProductId) return;

  const auto result =
      m_recognizer.Tick(enabled, status.dx, status.dy, status.linked, status.gestureKey, g_hMainWnd != nullptr);
  if (result.restartQuietTimer) m_quiet.start();
  if (result.swipeCode) {
    const int code = result.swipeCode;
    QMetaObject::invokeMethod(
        this, [code] {
          if (g_hMainWnd) g_hMainWnd->OnDeviceEvent(code);
        },
        Qt::QueuedConnection);
  }
}

}  // namespace MOUSEFUCTION
