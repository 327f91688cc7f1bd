// SPDX-License-Identifier: GPL-3.0-or-later
#include "vtui/SEdit.h"

#include <QPainter>

#include "vtui/SImageButton.h"
#include "vtui/SkinTable.h"
#include "vtui/UiFont.h"

namespace vtui {

SEdit::SEdit(QWidget* parent) : QLineEdit(parent) {
  setFrame(false);
  setFont(UiFont(13));
  setAttribute(Qt::WA_TranslucentBackground);
  setColorText(m_colorText);
  setInset(m_inset);
}

void SEdit::setSkin(const QString& skin) {
  m_skin = skin;
  update();
}

void SEdit::setColorText(const QString& color) {
  m_colorText = color;
  QPalette pal = palette();
  pal.setColor(QPalette::Text, ParseColor(color));
  pal.setColor(QPalette::Base, Qt::transparent);
  setPalette(pal);
}

void SEdit::setInset(int inset) {
  m_inset = inset;
  setTextMargins(inset + 2, inset, inset, inset);
}

void SEdit::paintEvent(QPaintEvent* event) {
  {
    QPainter painter(this);
    int state = !isEnabled() ? kStateDisabled : hasFocus() ? kStatePushed : underMouse() ? kStateHover : kStateNormal;
    SkinTable::Instance().Draw(painter, rect(), m_skin, state);
  }
  QLineEdit::paintEvent(event);
}

}  // namespace vtui
