// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/TransparentFrame.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QScreen>

#include "frame/FrameEngineRT.h"
#include "frame/FrameEngineSS.h"

namespace Helpers::MQt {

int TransparentFrame::screenUnderCursor() {
  QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
  if (!screen) screen = QGuiApplication::primaryScreen();
  return std::max(0, static_cast<int>(QGuiApplication::screens().indexOf(screen)));
}

TransparentFrame::TransparentFrame(QWidget* parent, int engineKind, int width, int height)
    : QMainWindow(parent) {
  const int screen = screenUnderCursor();
  if (engineKind == kTranslucentEngine) {
    engine = new FrameEngineRT(this);
  } else {
    engine = new FrameEngineSS(this, screen);
  }
  setAttribute(Qt::WA_ShowWithoutActivating);
  setWindowFlags(Qt::FramelessWindowHint);
  setWindowFlags(windowFlags() | Qt::SubWindow);

  QScreen* target = QGuiApplication::screens().value(screen);
  const QRect screenGeometry = target ? target->geometry() : QRect();
  if (width != 0 && height != 0) {
    resize(width, height);
  } else {
    resize(screenGeometry.size());
  }
  move(screenGeometry.topLeft());
  setAttribute(Qt::WA_MouseTracking);
  engine->refresh();
}

TransparentFrame::~TransparentFrame() {
  delete engine;
}

void TransparentFrame::draw(QPaintDevice*) {}

void TransparentFrame::paintEvent(QPaintEvent* event) {
  engine->paint(this);
  event->accept();
}

void TransparentFrame::resizeEvent(QResizeEvent*) {
  engine->refresh();
}

void TransparentFrame::mousePressEvent(QMouseEvent*) {
  mouseClicked();
}

}  // namespace Helpers::MQt
