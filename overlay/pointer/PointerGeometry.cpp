// SPDX-License-Identifier: GPL-3.0-or-later
#include "PointerGeometry.h"

#include <algorithm>

namespace VtAction::Frame::PointerGeometry {

QPoint frameCentre(QSize frame) {
  return QPoint(frame.width() / 2, frame.height() / 2);
}

QPoint topLeftCentredOn(QPoint point, QSize frame) {
  return point - frameCentre(frame);
}

QRect initialRingRect(QPoint centre) {
  return QRect(centre, QPoint(centre.x() - 1, centre.y() - 1));
}

QRect nextRingRect(const QRect& ring, QPoint centre) {
  const int reach = ring.width() <= 0 ? 0 : ring.width() / 2 + 1;
  return QRect(QPoint(centre.x() - reach, centre.y() - reach),
               QPoint(centre.x() + reach, centre.y() + reach));
}

bool ringEnds(int ringWidth, int imageWidth) {
  return ringWidth >= imageWidth + kRingMargin;
}

int sizeFromDistance(qreal distance) {
  return std::clamp(static_cast<int>(std::min(distance, qreal(kMaxSize))), kMinSize, kMaxSize);
}

QPoint resizeStartPoint(QPoint centre, QPoint corner, int size) {
  QLineF line(centre, corner);
  line.setLength(size);
  return line.p2().toPoint();
}

QLineF sizeGuide(QPointF centre, QPointF cursor) {
  QLineF line(centre, cursor);
  if (line.length() > kMaxSize) line.setLength(kMaxSize);
  return line;
}

}  // namespace VtAction::Frame::PointerGeometry
