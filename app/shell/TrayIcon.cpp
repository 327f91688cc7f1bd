// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/TrayIcon.h"

#include "vtui/SMenuEx.h"

#include <QCursor>
#include <QIcon>
#include <QWidget>

CTrayIcon::CTrayIcon(QWidget& mainWindow, std::function<void()> onExit)
    : m_mainWindow(mainWindow), m_onExit(std::move(onExit)) {
  m_icon.setIcon(QIcon(QStringLiteral(":/images/ICON_LOGO.svg")));
  m_icon.setToolTip(QStringLiteral("Veltrio"));
  connect(&m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger) ToggleMainWindow();
    else if (reason == QSystemTrayIcon::Context) ShowMenu(QCursor::pos());
  });
  m_icon.show();
}

CTrayIcon::~CTrayIcon() { m_icon.hide(); }

void CTrayIcon::ToggleMainWindow() {
  if (m_mainWindow.isVisible()) {  // also true while minimised
    m_mainWindow.hide();
    return;
  }
  m_mainWindow.show();  // in the state it had, minimised included
  m_mainWindow.raise();
  m_mainWindow.activateWindow();
}

void CTrayIcon::ShowMenu(QPoint globalPos) {
  std::unique_ptr<vtui::SMenuEx> menu = vtui::SMenuEx::Load(QStringLiteral("menu_tray"));
  if (!menu) return;
  // The exit path deletes this icon, so it runs from the event loop once the icon's own click
  // handling has returned, not inside it.
  m_runsMenu = true;
  const int command = menu->Exec(globalPos);
  m_runsMenu = false;
  if (command == kExitCommand && m_onExit) QMetaObject::invokeMethod(this, m_onExit, Qt::QueuedConnection);
}
