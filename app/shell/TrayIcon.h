// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The notification-area icon: tip "Veltrio"; a left click shows or hides the main window (a
// minimised window counts as shown), a right click opens the tray menu, whose one item "Exit"
// ends the program. Comes back by itself when the tray host restarts (Qt docks it again).
// Thread: the GUI thread. Ownership: refers to the main window, which must outlive it.

#include <QObject>
#include <QSystemTrayIcon>

#include <functional>

class QWidget;

class CTrayIcon final : public QObject {
  Q_OBJECT

 public:
  static constexpr int kExitCommand = 6;

  // `onExit` runs when "Exit" is chosen, from the event loop (it may delete this icon).
  CTrayIcon(QWidget& mainWindow, std::function<void()> onExit);
  ~CTrayIcon() override;

  bool IsShown() const { return m_icon.isVisible(); }
  // True while the tray menu runs. Its loop runs inside the icon's own click handling, which
  // must not return into a deleted icon: neither delete nor hide it (hiding deletes the tray's
  // native window) until the menu has returned.
  bool RunsMenu() const { return m_runsMenu; }

  // What a left click does: hide a shown (or minimised) window, else show it in its state.
  void ToggleMainWindow();
  // What a right click does: the tray menu at `globalPos`.
  void ShowMenu(QPoint globalPos);

 private:
  QWidget& m_mainWindow;
  std::function<void()> m_onExit;
  QSystemTrayIcon m_icon;
  bool m_runsMenu = false;
};
