// SPDX-License-Identifier: GPL-3.0-or-later
#include "vtui/SComboBox.h"

#include <QAbstractItemView>
#include <QListView>
#include <QPainter>
#include <QWheelEvent>

#include "vtui/SImageButton.h"
#include "vtui/SkinTable.h"
#include "vtui/UiFont.h"

namespace vtui {

SComboBox::SComboBox(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::NoFocus);
  setFont(UiFont(13));
  setView(new QListView(this));
  StyleList();
}

void SComboBox::setSkin(const QString& skin) {
  m_skin = skin;
  update();
}

void SComboBox::setBtnSkin(const QString& skin) {
  m_btnSkin = skin;
  update();
}

void SComboBox::setColorText(const QString& color) {
  m_colorText = color;
  update();
}

void SComboBox::setItemHeight(int height) {
  m_itemHeight = std::max(1, height);
  StyleList();
}

void SComboBox::setDropHeight(int height) {
  m_dropHeight = std::max(m_itemHeight, height);
  StyleList();
}

void SComboBox::ResetContent() {
  setCurrentIndex(-1);
  clear();
}

void SComboBox::StyleList() {
  setMaxVisibleItems(std::max(1, m_dropHeight / m_itemHeight));
  view()->setFont(UiFont(13));
  view()->setStyleSheet(QStringLiteral(
                            "QListView { background: #ffffff; border: 1px solid #c9d2e0; outline: 0; padding: 2px; }"
                            "QListView::item { height: %1px; padding-left: 8px; color: #1b2230; }"
                            "QListView::item:selected, QListView::item:hover { background: #e4ecff; color: #1b2230; }")
                            .arg(m_itemHeight));
}

void SComboBox::wheelEvent(QWheelEvent* event) { event->ignore(); }

void SComboBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  int state = !isEnabled() ? kStateDisabled : view()->isVisible() ? kStatePushed : m_hover ? kStateHover : kStateNormal;
  SkinTable& skins = SkinTable::Instance();
  skins.Draw(painter, rect(), m_skin, state);
  int textRight = width() - 8;
  if (!m_btnSkin.isEmpty()) {
    QSize arrow = skins.FrameSize(m_btnSkin);
    if (arrow.isEmpty() || arrow.height() > height()) arrow = QSize(height(), height());
    const QRect box(width() - arrow.width() - 4, (height() - arrow.height()) / 2, arrow.width(), arrow.height());
    skins.Draw(painter, box, m_btnSkin, state);
    textRight = box.left() - 4;
  }
  painter.setFont(font());
  painter.setPen(ParseColor(m_colorText));
  const QRect textBox(10, 0, textRight - 10, height());
  painter.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter,
                   fontMetrics().elidedText(currentText(), Qt::ElideRight, textBox.width()));
}

void SComboBox::enterEvent(QEnterEvent* event) {
  m_hover = true;
  update();
  QComboBox::enterEvent(event);
}

void SComboBox::leaveEvent(QEvent* event) {
  m_hover = false;
  update();
  QComboBox::leaveEvent(event);
}

}  // namespace vtui
