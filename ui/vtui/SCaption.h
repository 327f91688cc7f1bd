// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "caption": the area of a frameless window that moves the window when dragged.

#include <QPoint>
#include <QWidget>

namespace vtui {

class SCaption : public QWidget {
  Q_OBJECT

 public:
  explicit SCaption(QWidget* parent = nullptr);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool m_dragging = false;
  QPoint m_grab;  // cursor position relative to the window's top left
};

}  // namespace vtui
