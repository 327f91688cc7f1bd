// SPDX-License-Identifier: GPL-3.0-or-later
#include "vtui/SCheckBox.h"

#include <QPainter>

#include "vtui/SImageButton.h"
#include "vtui/SkinTable.h"
#include "vtui/UiFont.h"

namespace vtui {

SCheckBox::SCheckBox(QWidget* parent) : QAbstractButton(parent) {
  setCheckable(true);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::NoFocus);
}

void SCheckBox::setSkin(const QString& skin) {
  m_skin = skin;
  update();
}

void SCheckBox::setColorText(const QString& color) {
  m_colorText = color;
  update();
}

int SCheckBox::WidgetState() const {
  int state = kStateNormal;
  if (!isEnabled()) state = kStateDisabled;
  else if (isDown()) state = kStatePushed;
  else if (m_hover) state = kStateHover;
  return state | (isChecked() ? kStateChecked : 0);
}

void SCheckBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int box = std::min(width(), height());
  SkinTable::Instance().Draw(painter, QRect(0, (height() - box) / 2, box, box), m_skin, WidgetState());
  if (text().isEmpty()) return;
  painter.setFont(UiFont(13));
  painter.setPen(ParseColor(m_colorText));
  painter.drawText(rect().adjusted(box + 4, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text());
}

void SCheckBox::enterEvent(QEnterEvent* event) {
  m_hover = true;
  update();
  QAbstractButton::enterEvent(event);
}

void SCheckBox::leaveEvent(QEvent* event) {
  m_hover = false;
  update();
  QAbstractButton::leaveEvent(event);
}

}  // namespace vtui
