// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "check": a check box drawn from an eight-state skin (four states unchecked, four checked),
// with an optional text to its right. A click toggles it.

#include <QAbstractButton>

namespace vtui {

class SCheckBox : public QAbstractButton {
  Q_OBJECT
  Q_PROPERTY(QString skin READ skin WRITE setSkin)
  Q_PROPERTY(QString colorText READ colorText WRITE setColorText)

 public:
  explicit SCheckBox(QWidget* parent = nullptr);

  QString skin() const { return m_skin; }
  void setSkin(const QString& skin);
  QString colorText() const { return m_colorText; }
  void setColorText(const QString& color);

  int WidgetState() const;

 protected:
  void paintEvent(QPaintEvent*) override;
  void enterEvent(QEnterEvent*) override;
  void leaveEvent(QEvent*) override;

 private:
  QString m_skin;
  QString m_colorText = QStringLiteral("#000000f0");
  bool m_hover = false;
};

}  // namespace vtui
