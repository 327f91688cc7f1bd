// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The device chooser: shown whenever the device link opens a remote, with the three models'
// pictures. A click on a picture chooses that model; once the remote itself reports a model
// (1, 2 or 3, with its link flag set) the dialog takes it and closes by itself a second later.
// It is shown without taking the keyboard focus and without blocking the other windows, so
// that plugging the receiver in never interrupts what the user is doing.
//
// DoModal returns kDialogOk (1) when a model was chosen or reported, kDialogCancel (2) when the
// dialog was closed otherwise (the device style then stays as it was).
// Thread: the GUI thread; it polls DeviceStatus, which the devbridge reader thread writes.
// Ownership: refers to the settings it is given, which must outlive it.

#include <QTimer>

#include "vtui/SHostDialog.h"

class CGlobalSettings;

namespace MOUSEFUCTION {

class CDefaultDeviceChooserDialog : public vtui::SHostDialog {
  Q_OBJECT

 public:
  static constexpr int kPollMs = 50;       // timer 65
  static constexpr int kCloseDelayMs = 1000;

  explicit CDefaultDeviceChooserDialog(CGlobalSettings& settings, QWidget* parent = nullptr);

  // One poll of the device's report: takes a reported model and schedules the close.
  void OnTimer();
  // True once a reported model has been taken and the dialog is about to close.
  bool ModelReported() const { return m_closing.isActive(); }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Choose(int style);

  CGlobalSettings& m_settings;
  QTimer m_poll;
  QTimer m_closing;
};

}  // namespace MOUSEFUCTION
