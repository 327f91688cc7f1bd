// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "edit": a one-line edit box on a skinned background, with an inset for the text.

#include <QLineEdit>

namespace vtui {

class SEdit : public QLineEdit {
  Q_OBJECT
  Q_PROPERTY(QString skin READ skin WRITE setSkin)
  Q_PROPERTY(QString colorText READ colorText WRITE setColorText)
  Q_PROPERTY(int inset READ inset WRITE setInset)

 public:
  explicit SEdit(QWidget* parent = nullptr);

  QString skin() const { return m_skin; }
  void setSkin(const QString& skin);
  QString colorText() const { return m_colorText; }
  void setColorText(const QString& color);
  int inset() const { return m_inset; }
  void setInset(int inset);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString m_skin;
  QString m_colorText = QStringLiteral("#000000f0");
  int m_inset = 3;
};

}  // namespace vtui
