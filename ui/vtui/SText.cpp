// SPDX-License-Identifier: GPL-3.0-or-later
#include "vtui/SText.h"

#include "vtui/SImageButton.h"
#include "vtui/UiFont.h"

namespace vtui {

SText::SText(QWidget* parent) : QLabel(parent) {
  setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  ApplyLook();
}

void SText::setColorText(const QString& color) {
  m_colorText = color;
  ApplyLook();
}

void SText::setFontSize(int size) {
  m_fontSize = size;
  ApplyLook();
}

void SText::setBold(bool bold) {
  m_bold = bold;
  ApplyLook();
}

void SText::ApplyLook() {
  setFont(UiFont(m_fontSize, m_bold));
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, ParseColor(m_colorText));
  setPalette(pal);
}

}  // namespace vtui
