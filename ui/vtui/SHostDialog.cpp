#include "vtui/SHostDialog.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

namespace vtui {

SHostDialog::SHostDialog(QWidget* parent) : SHostWnd(parent) {
  setWindowFlag(Qt::Dialog);
  setWindowModality(Qt::ApplicationModal);
}

int SHostDialog::DoModal(QWidget* owner) {
  if (m_loop) return 0;
  QRect area = owner ? owner->frameGeometry() : QGuiApplication::primaryScreen()->availableGeometry();
  QRect box(QPoint(0, 0), size());
  box.moveCenter(area.center());
  move(box.topLeft());
  m_result = 0;
  QEventLoop loop;
  m_loop = &loop;
  show();
  raise();
  activateWindow();
  loop.exec(QEventLoop::DialogExec);
  m_loop = nullptr;
  return m_result;
}

void SHostDialog::EndDialog(int code) {
  m_result = code;
  hide();
  if (m_loop) m_loop->quit();
}

void SHostDialog::closeEvent(QCloseEvent* event) {
  event->ignore();
  EndDialog(kDialogCancel);
}

void SHostDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    EndDialog(kDialogCancel);
    return;
  }
  SHostWnd::keyPressEvent(event);
}

}  // namespace vtui
