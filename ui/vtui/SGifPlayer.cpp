// SPDX-License-Identifier: GPL-3.0-or-later
#include "vtui/SGifPlayer.h"

#include <QMovie>
#include <QPainter>

#include "vtui/SkinTable.h"

namespace vtui {

SGifPlayer::SGifPlayer(QWidget* parent) : QWidget(parent) {}

SGifPlayer::~SGifPlayer() = default;

void SGifPlayer::setSkin(const QString& skin) {
  m_skin = skin;
  m_movie.reset();
  update();
}

bool SGifPlayer::PlayFile(const QString& path) {
  auto movie = std::make_unique<QMovie>(path);
  if (!movie->isValid() || !movie->jumpToFrame(0)) return false;
  connect(movie.get(), &QMovie::frameChanged, this, qOverload<>(&QWidget::update));
  m_movie = std::move(movie);
  m_movie->start();
  update();
  return true;
}

void SGifPlayer::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (m_movie) {
    QPixmap frame = m_movie->currentPixmap();
    QSize size = frame.size().scaled(this->size(), Qt::KeepAspectRatio);
    QRect box(QPoint(0, 0), size);
    box.moveCenter(rect().center());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(box, frame);
    return;
  }
  SkinTable::Instance().Draw(painter, rect(), m_skin, kStateNormal);
}

}  // namespace vtui
