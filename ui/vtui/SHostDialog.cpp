// SPDX-License-Identifier: GPL-3.0-or-later
#include "vtui/SHostDialog.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QScreen>

namespace vtui {

SHostDialog::SHostDialog(QWidget* parent) : SHostWnd(parent) {
  setWindowFlag(Qt::Dialog);
  setWindowModality(Qt::ApplicationModal);
}

void SHostDialog::InitDialogWindow(const QString& title) {
  setWindowFlag(Qt::Tool);
  setFixedSize(size());
  setWindowTitle(title);
  if (!QGuiApplication::windowIcon().isNull()) setWindowIcon(QGuiApplication::windowIcon());
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
  if (!testAttribute(Qt::WA_ShowWithoutActivating)) activateWindow();
  loop.exec(QEventLoop::DialogExec);
  m_loop = nullptr;
  return m_result;
}

void SHostDialog::EndDialog(int code) {
  hide();
  // The first end wins: a later one (a second click queued behind the first) changes nothing.
  if (!m_loop) return;
  m_result = code;
  m_loop->quit();
  m_loop = nullptr;
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
