// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pointer image of function 101: a preview, the path, a picker of PNG images that opens in
// the pointer image folder, and a button for the default image. Only the picker and the
// default button change the path; text typed into the box is not read back.
//
// The caller sets the path before DoModal and reads it back after kDialogOk (1); kDialogCancel
// (2) means the binding stays as it was. The image reaches the overlay the next time function
// 101 starts it.
// Thread: the GUI thread. The picker runs its own modal loop inside the browse click.

#include <QString>
#include <string>

#include "vtui/SHostDialog.h"

class QLineEdit;
namespace vtui {
class SGifPlayer;
}

namespace MOUSEFUCTION {

class CLaserPointSettingDialog : public vtui::SHostDialog {
  Q_OBJECT

 public:
  explicit CLaserPointSettingDialog(QWidget* parent = nullptr);

  void SetImagePath(const std::wstring& path);
  const std::wstring& ImagePath() const { return m_strImagePath; }

  // The user's pictures folder followed by "Veltrio", and "defaultpointer.png" in it.
  static QString PointerImageFolder();
  static QString DefaultPointerImage();
  // Writes the built-in pointer picture to DefaultPointerImage() unless a file is there.
  // False when it is missing and cannot be written.
  static bool ProvideDefaultPointerImage();

 protected:
  // Shows the PNG picker, starting in `folder`; the chosen file's full path, empty when
  // cancelled. Tests override it.
  virtual QString PickImage(const QString& folder);

 private:
  void ShowPath();

  std::wstring m_strImagePath;
  QLineEdit* m_edit = nullptr;
  vtui::SGifPlayer* m_preview = nullptr;
};

}  // namespace MOUSEFUCTION
