// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "imgbtn": a button drawn from a multi-state skin, with an optional text at a fixed offset.
// It has a check state that only code sets (a click does not toggle it), so a button can show
// the selected page or mode.

#include <QAbstractButton>
#include <QColor>
#include <QPoint>

namespace vtui {

class SImageButton : public QAbstractButton {
  Q_OBJECT
  Q_PROPERTY(QString skin READ skin WRITE setSkin)
  Q_PROPERTY(QString colorText READ colorText WRITE setColorText)
  Q_PROPERTY(QString colorTextChecked READ colorTextChecked WRITE setColorTextChecked)
  Q_PROPERTY(QPoint textPos READ textPos WRITE setTextPos)
  Q_PROPERTY(int fontSize READ fontSize WRITE setFontSize)

 public:
  explicit SImageButton(QWidget* parent = nullptr);

  QString skin() const { return m_skin; }
  void setSkin(const QString& skin);
  QString colorText() const { return m_colorText; }
  void setColorText(const QString& color);
  QString colorTextChecked() const { return m_colorTextChecked; }
  void setColorTextChecked(const QString& color);
  QPoint textPos() const { return m_textPos; }
  void setTextPos(QPoint pos);
  int fontSize() const { return m_fontSize; }
  void setFontSize(int size);

  // The skin state for the button's hover, press, check and enabled state.
  int WidgetState() const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent*) override;
  void nextCheckState() override {}
  void enterEvent(QEnterEvent*) override;
  void leaveEvent(QEvent*) override;

 private:
  QString m_skin;
  QString m_colorText = QStringLiteral("#000000f0");
  QString m_colorTextChecked;
  QPoint m_textPos;
  int m_fontSize = 13;
  bool m_hover = false;
};

// "#RRGGBBAA" (the layouts' form) or any colour name Qt knows.
QColor ParseColor(const QString& text);

}  // namespace vtui
