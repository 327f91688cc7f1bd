// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The modal host dialog: a host window run in a modal loop of its own until EndDialog.
// Closing it (the window manager's close, Escape) ends it with 2, as a cancel does.
//
// Thread: the GUI thread. Failure: DoModal on a dialog that already runs returns 0 at once.

#include <QEventLoop>
#include <QPointer>

#include "vtui/SHostWnd.h"

namespace vtui {

inline constexpr int kDialogOk = 1;
inline constexpr int kDialogCancel = 2;

class SHostDialog : public SHostWnd {
  Q_OBJECT

 public:
  explicit SHostDialog(QWidget* parent = nullptr);

  // Shows the dialog over `owner` (centred on it, or on the screen without one), blocks input
  // to other windows and returns the code given to EndDialog; 0 when the application's loop
  // ended meanwhile. A dialog with Qt::WA_ShowWithoutActivating set does not take the focus.
  int DoModal(QWidget* owner = nullptr);
  // Ends a running dialog with `code`; does nothing when it is not running (or already ended).
  void EndDialog(int code);
  bool IsRunning() const { return m_loop != nullptr; }

 protected:
  // Sets the dialog up from its compiled layout `form` (a Ui:: class): the widgets, the layout
  // names and clicks, then a fixed-size tool window (no taskbar entry) titled `title`, with the
  // application's icon.
  template <class Form>
  void SetUpDialog(Form& form, const QString& title) {
    form.setupUi(this);
    InitLayout();
    InitDialogWindow(title);
  }
  void InitDialogWindow(const QString& title);
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QPointer<QEventLoop> m_loop;
  int m_result = 0;
};

}  // namespace vtui
