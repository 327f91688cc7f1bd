// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "combobox" of the drop-down list style: not editable, its face drawn from a skin with the
// current item's text and an arrow skin at the right. The list drops below it.

#include <QComboBox>

namespace vtui {

class SComboBox : public QComboBox {
  Q_OBJECT
  Q_PROPERTY(QString skin READ skin WRITE setSkin)
  Q_PROPERTY(QString btnSkin READ btnSkin WRITE setBtnSkin)
  Q_PROPERTY(QString colorText READ colorText WRITE setColorText)
  Q_PROPERTY(int itemHeight READ itemHeight WRITE setItemHeight)
  Q_PROPERTY(int dropHeight READ dropHeight WRITE setDropHeight)

 public:
  explicit SComboBox(QWidget* parent = nullptr);

  QString skin() const { return m_skin; }
  void setSkin(const QString& skin);
  QString btnSkin() const { return m_btnSkin; }
  void setBtnSkin(const QString& skin);
  QString colorText() const { return m_colorText; }
  void setColorText(const QString& color);
  int itemHeight() const { return m_itemHeight; }
  void setItemHeight(int height);
  int dropHeight() const { return m_dropHeight; }
  void setDropHeight(int height);

  // Removes the selection and every item.
  void ResetContent();

 protected:
  void paintEvent(QPaintEvent*) override;
  void enterEvent(QEnterEvent*) override;
  void leaveEvent(QEvent*) override;
  // A turn of the wheel over the box must not pick another entry: picking a profile loads it.
  void wheelEvent(QWheelEvent* event) override;

 private:
  void StyleList();

  QString m_skin;
  QString m_btnSkin;
  QString m_colorText = QStringLiteral("#000000f0");
  int m_itemHeight = 16;
  int m_dropHeight = 96;
  bool m_hover = false;
};

}  // namespace vtui
