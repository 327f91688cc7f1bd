// SPDX-License-Identifier: GPL-3.0-or-later
#include "vtui/SWindow.h"

#include <QPainter>

#include "vtui/SkinTable.h"

namespace vtui {

SWindow::SWindow(QWidget* parent) : QWidget(parent) {}

void SWindow::setSkin(const QString& skin) {
  if (skin == m_skin) return;
  m_skin = skin;
  update();
}

void SWindow::paintEvent(QPaintEvent*) {
  if (m_skin.isEmpty()) return;
  QPainter painter(this);
  SkinTable::Instance().Draw(painter, rect(), m_skin, kStateNormal);
}

}  // namespace vtui
