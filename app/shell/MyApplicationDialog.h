// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program of function 206: its path, chosen with the desktop's file picker (programs and,
// on Linux, the desktop's launchers), and whether a second instance may be started while one
// runs. The path cannot be typed.
//
// The caller sets path and flag before DoModal and reads both back after kDialogOk (1);
// kDialogCancel (2) means the binding stays as it was.
// Thread: the GUI thread. The picker runs its own modal loop inside the browse click.

#include <QString>
#include <string>

#include "vtui/SHostDialog.h"

class QAbstractButton;
class QLineEdit;

namespace MOUSEFUCTION {

class CMyApplicationDialog : public vtui::SHostDialog {
  Q_OBJECT

 public:
  explicit CMyApplicationDialog(QWidget* parent = nullptr);

  void SetApplication(const std::wstring& path, bool allowMultiple);
  const std::wstring& ApplicationPath() const { return m_strAppPath; }
  bool AllowMultipleInstances() const { return m_bMultiInst; }

 protected:
  // Shows the picker, starting in `folder`; the chosen file's full path, empty when cancelled.
  // Tests override it.
  virtual QString PickProgram(const QString& folder);

 private:
  void Browse();
  void ShowApplication();

  std::wstring m_strAppPath;
  bool m_bMultiInst = false;
  QLineEdit* m_edit = nullptr;
  QAbstractButton* m_check = nullptr;
};

}  // namespace MOUSEFUCTION
