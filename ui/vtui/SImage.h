// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "img": a picture drawn from a skin. Gives no events: a click on it ends there, unless
// msgTransparent lets it through to the widget underneath.

#include <QWidget>

namespace vtui {

class SImage : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString skin READ skin WRITE setSkin)
  Q_PROPERTY(int state READ state WRITE setState)
  Q_PROPERTY(bool msgTransparent READ msgTransparent WRITE setMsgTransparent)

 public:
  explicit SImage(QWidget* parent = nullptr);

  QString skin() const { return m_skin; }
  void setSkin(const QString& skin);
  int state() const { return m_state; }
  void setState(int state);
  bool msgTransparent() const { return testAttribute(Qt::WA_TransparentForMouseEvents); }
  void setMsgTransparent(bool on) { setAttribute(Qt::WA_TransparentForMouseEvents, on); }

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QString m_skin;
  int m_state = 0;
};

}  // namespace vtui
