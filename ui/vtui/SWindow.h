// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "window": a plain container with an optional background skin.

#include <QWidget>

namespace vtui {

class SWindow : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString skin READ skin WRITE setSkin)

 public:
  explicit SWindow(QWidget* parent = nullptr);

  QString skin() const { return m_skin; }
  void setSkin(const QString& skin);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QString m_skin;
};

}  // namespace vtui
