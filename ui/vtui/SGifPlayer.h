// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "gifplayer": shows an animated picture, from an "apng" skin (its first frame) or from a file
// (animated PNG or GIF frames through Qt's image readers; a still image shows as it is).

#include <QWidget>
#include <memory>

class QMovie;

namespace vtui {

class SGifPlayer : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString skin READ skin WRITE setSkin)

 public:
  explicit SGifPlayer(QWidget* parent = nullptr);
  ~SGifPlayer() override;

  QString skin() const { return m_skin; }
  void setSkin(const QString& skin);

  // Plays the picture of a file. False, with the picture shown before kept, when it does not load.
  bool PlayFile(const QString& path);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QString m_skin;
  std::unique_ptr<QMovie> m_movie;
};

}  // namespace vtui
