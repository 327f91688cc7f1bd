// SPDX-License-Identifier: GPL-3.0-or-later
#include "vtui/SCaption.h"

#include <QMouseEvent>
#include <QWindow>

namespace vtui {

SCaption::SCaption(QWidget* parent) : QWidget(parent) {}

void SCaption::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  // The window manager moves the window where it can; elsewhere the window follows the cursor.
  if (QWindow* handle = window()->windowHandle(); handle && handle->startSystemMove()) return;
  m_dragging = true;
  m_grab = event->globalPosition().toPoint() - window()->frameGeometry().topLeft();
}

void SCaption::mouseMoveEvent(QMouseEvent* event) {
  if (m_dragging) window()->move(event->globalPosition().toPoint() - m_grab);
}

void SCaption::mouseReleaseEvent(QMouseEvent*) { m_dragging = false; }

}  // namespace vtui
