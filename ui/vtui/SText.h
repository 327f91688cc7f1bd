// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "text": one line of text in the windows' font, in the colour of its colorText attribute.

#include <QLabel>

namespace vtui {

class SText : public QLabel {
  Q_OBJECT
  Q_PROPERTY(QString colorText READ colorText WRITE setColorText)
  Q_PROPERTY(int fontSize READ fontSize WRITE setFontSize)
  Q_PROPERTY(bool bold READ bold WRITE setBold)

 public:
  explicit SText(QWidget* parent = nullptr);

  QString colorText() const { return m_colorText; }
  void setColorText(const QString& color);
  int fontSize() const { return m_fontSize; }
  void setFontSize(int size);
  bool bold() const { return m_bold; }
  void setBold(bool bold);

 private:
  void ApplyLook();

  QString m_colorText = QStringLiteral("#000000f0");
  int m_fontSize = 13;
  bool m_bold = false;
};

}  // namespace vtui
