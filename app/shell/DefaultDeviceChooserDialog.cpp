// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/DefaultDeviceChooserDialog.h"

#include "device/DeviceEvents.h"
#include "settings/GlobalSettings.h"
#include "ui_xml_dlg_DefaultDeviceChooser.h"

namespace MOUSEFUCTION {

CDefaultDeviceChooserDialog::CDefaultDeviceChooserDialog(CGlobalSettings& settings, QWidget* parent)
    : SHostDialog(parent), m_settings(settings) {
  Ui::xml_dlg_DefaultDeviceChooser form;
  SetUpDialog(form, QStringLiteral("Veltrio"));
  // It comes up by itself whenever a receiver is plugged in, over whatever the user is doing:
  // it must not take the keyboard. A modal window is always given the focus when it shows, so
  // the chooser is not modal; it still runs in a loop of its own until it ends.
  setWindowModality(Qt::NonModal);
  setAttribute(Qt::WA_ShowWithoutActivating);
  OnCommand(QStringLiteral("btn_mouseA"), [this](QWidget*) { Choose(1); });
  OnCommand(QStringLiteral("btn_mouseB"), [this](QWidget*) { Choose(2); });
  OnCommand(QStringLiteral("btn_mouseC"), [this](QWidget*) { Choose(3); });

  m_poll.setInterval(kPollMs);
  connect(&m_poll, &QTimer::timeout, this, &CDefaultDeviceChooserDialog::OnTimer);
  // The second before closing is a timer too: the dialog keeps painting and device events
  // keep being handled meanwhile.
  m_closing.setSingleShot(true);
  m_closing.setInterval(kCloseDelayMs);
  connect(&m_closing, &QTimer::timeout, this, [this] { EndDialog(vtui::kDialogOk); });
}

void CDefaultDeviceChooserDialog::showEvent(QShowEvent* event) {
  SHostDialog::showEvent(event);
  if (!m_closing.isActive()) m_poll.start();
}

void CDefaultDeviceChooserDialog::OnTimer() {
  if (m_closing.isActive()) return;
  constexpr auto relaxed = std::memory_order_relaxed;
  const int model = DeviceStatus.nModelId.load(relaxed);
  if (!g_bDevicePresent || !DeviceStatus.bLinked.load(relaxed) || model < 1 || model > 3) return;
  m_settings.m_nDevStyeID = model;
  m_poll.stop();
  m_closing.start();
}

void CDefaultDeviceChooserDialog::Choose(int style) {
  m_poll.stop();
  m_closing.stop();
  m_settings.m_nDevStyeID = style;
  EndDialog(vtui::kDialogOk);
}

}  // namespace MOUSEFUCTION
