// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The laser pointer's geometry, in the frame's own coordinates: where the frame goes, how the
// ring grows, how far from the centre gives which pointer size. Pure functions.

#include <QLineF>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace VtAction::Frame::PointerGeometry {

// The frame holds the largest pointer image (2 x kMaxSize pixels wide) and the largest ring.
inline constexpr int kFrameSide = 188;
// Half the pointer image's width: the bounds of size mode, and the size the program starts with.
inline constexpr int kMinSize = 8;
inline constexpr int kMaxSize = 64;
inline constexpr int kStartSize = 16;
// The ring ends once it is this much wider than the pointer image.
inline constexpr int kRingMargin = 58;

// (W div 2, H div 2).
QPoint frameCentre(QSize frame);

// The frame's top-left corner that puts its centre on `point`.
QPoint topLeftCentredOn(QPoint point, QSize frame);

// The ring's square before the first tick: empty, at the centre.
QRect initialRingRect(QPoint centre);

// The square after one more tick: centred on `centre`, 2 pixels wider and taller (1 pixel wide
// after the first tick, then 3, 5, ...).
QRect nextRingRect(const QRect& ring, QPoint centre);

// True once the ring, `ringWidth` wide, has grown past a pointer image `imageWidth` wide.
bool ringEnds(int ringWidth, int imageWidth);

// The pointer size for a cursor `distance` pixels from the centre: truncated, kept to
// kMinSize ... kMaxSize.
int sizeFromDistance(qreal distance);

// Where size mode puts the cursor: `size` pixels from the centre towards `corner`, rounded to the
// nearest pixel, so that the first motion does not make the size jump.
QPoint resizeStartPoint(QPoint centre, QPoint corner, int size);

// Size mode's guide: from the centre towards the cursor, at most kMaxSize pixels long.
QLineF sizeGuide(QPointF centre, QPointF cursor);

}  // namespace VtAction::Frame::PointerGeometry
