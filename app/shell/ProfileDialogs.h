// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The three confirmations of the Settings page's profile buttons: a new profile (with its
// name), deleting the current profile, resetting it to the default bindings. Each is a modal
// dialog built from its layout; its texts are in its pictures.
//
// DoModal returns vtui::kDialogOk (1) for "OK" and vtui::kDialogCancel (2) for "Cancel",
// Escape or closing the window. The caller performs the action; the dialogs change nothing.
// Thread: the GUI thread.

#include <string>

#include "vtui/SHostDialog.h"

class QLineEdit;

namespace MOUSEFUCTION {

class CNewProfileDialog : public vtui::SHostDialog {
  Q_OBJECT

 public:
  explicit CNewProfileDialog(QWidget* parent = nullptr);

  // The name typed into "edit" without surrounding blanks, taken when the dialog is confirmed;
  // empty before.
  const std::wstring& ProfileName() const { return m_strProfileName; }
  QLineEdit* NameEdit() const { return m_edit; }

 private:
  void Confirm();

  QLineEdit* m_edit = nullptr;
  std::wstring m_strProfileName;
};

class CDelCurrentProfileDialog : public vtui::SHostDialog {
  Q_OBJECT

 public:
  explicit CDelCurrentProfileDialog(QWidget* parent = nullptr);
};

class CResetToDefaultDialog : public vtui::SHostDialog {
  Q_OBJECT

 public:
  explicit CResetToDefaultDialog(QWidget* parent = nullptr);
};

}  // namespace MOUSEFUCTION
