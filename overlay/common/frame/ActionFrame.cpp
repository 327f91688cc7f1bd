// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/ActionFrame.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include "platform/cursor.h"

namespace VtAction::Frame {

ActionFrame::ActionFrame(QWidget* parent, int engineKind, int width, int height)
    : TransparentFrame(parent, engineKind, width, height) {
  setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
  setAttribute(Qt::WA_QuitOnClose);
  clickThrough = false;
}

void ActionFrame::start(bool withraise) {
  repaint();
  show();
  if (withraise) {
    activateWindow();
    raise();
  }
}

void ActionFrame::switchMouseTransMode() {
  clickThrough = !clickThrough;
  platform::ToggleClickThrough(static_cast<platform::NativeWindow>(winId()));
}

void ActionFrame::closeAction() {
  QCoreApplication::quit();
}

void ActionFrame::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) QCoreApplication::quit();
}

void ActionFrame::mousePressEvent(QMouseEvent*) {
  mouseClicked();
  repaint();
}

void ActionFrame::resizeEvent(QResizeEvent*) {}

}  // namespace VtAction::Frame
