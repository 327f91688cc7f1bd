// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/FrameEngineSS.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "frame/TransparentFrame.h"

namespace Helpers::MQt {

FrameEngineSS::FrameEngineSS(TransparentFrame* widget, int screen) : FrameEngine(widget), screen(screen) {}

void FrameEngineSS::refresh() {
  widget->setAttribute(Qt::WA_OpaquePaintEvent);
  screenshot = QPixmap(widget->size());
  grabScreen();
}

void FrameEngineSS::paint(QPaintDevice* device) {
  if (backgroundEnabled) drawBackground(device, QPoint(0, 0), widget->rect());
  widget->draw(device);
}

void FrameEngineSS::drawBackground(QPainter* painter, qreal x, qreal y, const QRectF& source) {
  painter->drawPixmap(QRectF(x, y, -1.0, -1.0), screenshot, source);
}

void FrameEngineSS::drawBackground(QPainter* painter, const QPoint& point, const QRect& source) {
  painter->drawPixmap(point, screenshot, source);
}

void FrameEngineSS::drawBackground(QPaintDevice* device, const QPoint& point, const QRect& source) {
  QPainter painter(device);
  drawBackground(&painter, point, source);
}

void FrameEngineSS::grabScreen() {
  // The desktop's picture at the frame's place: what lies under the frame. The screen grabs in
  // its own coordinates, so the frame's global place is made relative to it.
  const QList<QScreen*> screens = QGuiApplication::screens();
  QScreen* target = screens.value(screen, QGuiApplication::primaryScreen());
  if (!target) return;
  const QRect frame = widget->geometry();
  const QPoint origin = target->geometry().topLeft();
  screenshot =
      target->grabWindow(0, frame.x() - origin.x(), frame.y() - origin.y(), frame.width(), frame.height());
}

}  // namespace Helpers::MQt
