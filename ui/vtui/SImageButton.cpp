// SPDX-License-Identifier: GPL-3.0-or-later
#include "vtui/SImageButton.h"

#include <QPainter>

#include "vtui/SkinTable.h"
#include "vtui/UiFont.h"

namespace vtui {

QColor ParseColor(const QString& text) {
  // The layouts write the alpha last; Qt reads "#AARRGGBB".
  if (text.size() == 9 && text.startsWith('#')) {
    bool ok = false;
    const uint rgba = text.mid(1).toUInt(&ok, 16);
    if (ok) return QColor((rgba >> 24) & 0xff, (rgba >> 16) & 0xff, (rgba >> 8) & 0xff, rgba & 0xff);
  }
  return QColor(text);
}

SImageButton::SImageButton(QWidget* parent) : QAbstractButton(parent) {
  setCheckable(true);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::NoFocus);
}

void SImageButton::setSkin(const QString& skin) {
  if (skin == m_skin) return;
  m_skin = skin;
  update();
}

void SImageButton::setColorText(const QString& color) {
  m_colorText = color;
  update();
}

void SImageButton::setColorTextChecked(const QString& color) {
  m_colorTextChecked = color;
  update();
}

void SImageButton::setTextPos(QPoint pos) {
  m_textPos = pos;
  update();
}

void SImageButton::setFontSize(int size) {
  m_fontSize = size;
  update();
}

int SImageButton::WidgetState() const {
  int state = kStateNormal;
  if (!isEnabled()) state = kStateDisabled;
  else if (isDown()) state = kStatePushed;
  else if (m_hover) state = kStateHover;
  return state | (isChecked() ? kStateChecked : 0);
}

QSize SImageButton::sizeHint() const {
  QSize size = SkinTable::Instance().FrameSize(m_skin);
  return size.isEmpty() ? QSize(16, 16) : size;
}

void SImageButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  SkinTable::Instance().Draw(painter, rect(), m_skin, WidgetState());
  if (text().isEmpty()) return;
  painter.setFont(UiFont(m_fontSize));
  const QString& color = isChecked() && !m_colorTextChecked.isEmpty() ? m_colorTextChecked : m_colorText;
  painter.setPen(ParseColor(color));
  const QRect box(m_textPos, QSize(width() - m_textPos.x(), height() - 2 * m_textPos.y()));
  painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, text());
}

void SImageButton::enterEvent(QEnterEvent* event) {
  m_hover = true;
  update();
  QAbstractButton::enterEvent(event);
}

void SImageButton::leaveEvent(QEvent* event) {
  m_hover = false;
  update();
  QAbstractButton::leaveEvent(event);
}

}  // namespace vtui
