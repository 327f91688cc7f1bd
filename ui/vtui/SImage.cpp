// SPDX-License-Identifier: GPL-3.0-or-later
#include "vtui/SImage.h"

#include <QMouseEvent>
#include <QPainter>

#include "vtui/SkinTable.h"

namespace vtui {

SImage::SImage(QWidget* parent) : QWidget(parent) {}

void SImage::setSkin(const QString& skin) {
  if (skin == m_skin) return;
  m_skin = skin;
  update();
}

void SImage::setState(int state) {
  if (state == m_state) return;
  m_state = state;
  update();
}

void SImage::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  SkinTable::Instance().Draw(painter, rect(), m_skin, isEnabled() ? m_state : kStateDisabled);
}

void SImage::mousePressEvent(QMouseEvent* event) { event->accept(); }

void SImage::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }

}  // namespace vtui
