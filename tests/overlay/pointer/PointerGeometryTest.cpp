// SPDX-License-Identifier: GPL-3.0-or-later
// The laser pointer's geometry: the ring, the size from the cursor's distance, size mode's start.

#include <gtest/gtest.h>

#include "PointerGeometry.h"

namespace {

namespace geometry = VtAction::Frame::PointerGeometry;

const QSize kFrame(geometry::kFrameSide, geometry::kFrameSide);
const QPoint kCentre(94, 94);

TEST(PointerGeometry, FrameIsCentredOnAPoint) {
  EXPECT_EQ(geometry::frameCentre(kFrame), kCentre);
  EXPECT_EQ(geometry::topLeftCentredOn(QPoint(500, 400), kFrame), QPoint(406, 306));
  EXPECT_EQ(geometry::topLeftCentredOn(QPoint(10, -20), kFrame), QPoint(-84, -114));
  EXPECT_EQ(geometry::frameCentre(QSize(5, 7)), QPoint(2, 3));
}

TEST(PointerGeometry, RingGrowsTwoPixelsATickAroundTheCentre) {
  QRect ring = geometry::initialRingRect(kCentre);
  EXPECT_TRUE(ring.isEmpty());
  EXPECT_EQ(ring.width(), 0);
  for (int tick = 1; tick <= 94; ++tick) {
    ring = geometry::nextRingRect(ring, kCentre);
    ASSERT_EQ(ring.width(), 2 * tick - 1) << "tick " << tick;
    ASSERT_EQ(ring.height(), ring.width());
    ASSERT_EQ(ring.center(), kCentre) << "tick " << tick;
  }
  EXPECT_TRUE(QRect(QPoint(0, 0), kFrame).contains(ring));  // the last, 187 pixels, fits
}

TEST(PointerGeometry, RingEndsOnceItPassesTheImage) {
  struct Case {
    int imageWidth;
    int ticks;  // until it ends
    int lastWidth;
  };
  const Case cases[] = {
      {32, 46, 91},    // the start size 16
      {128, 94, 187},  // the largest image
      {16, 38, 75},    // the smallest image
      {0, 30, 59},     // no image
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.imageWidth);
    QRect ring = geometry::initialRingRect(kCentre);
    int ticks = 0;
    do {
      ring = geometry::nextRingRect(ring, kCentre);
      ++ticks;
    } while (!geometry::ringEnds(ring.width(), c.imageWidth) && ticks < 1000);
    EXPECT_EQ(ticks, c.ticks);
    EXPECT_EQ(ring.width(), c.lastWidth);
  }
}

TEST(PointerGeometry, SizeFollowsTheDistanceWithinItsBounds) {
  struct Case {
    qreal distance;
    int size;
  };
  const Case cases[] = {
      {0.0, 8}, {7.99, 8}, {8.0, 8}, {15.56, 15}, {50.0, 50}, {63.9, 63}, {64.0, 64}, {200.0, 64}, {1e12, 64},
  };
  for (const Case& c : cases) EXPECT_EQ(geometry::sizeFromDistance(c.distance), c.size) << c.distance;
}

TEST(PointerGeometry, SizeModeStartsSizePixelsDownAndRight) {
  const QPoint corner(187, 187);
  struct Case {
    int size;
    QPoint point;
  };
  const Case cases[] = {{16, {105, 105}}, {8, {100, 100}}, {64, {139, 139}}, {37, {120, 120}}};
  for (const Case& c : cases)
    EXPECT_EQ(geometry::resizeStartPoint(kCentre, corner, c.size), c.point) << c.size;
}

TEST(PointerGeometry, SizeGuideReachesTheCursorButNoFurtherThanTheLargestSize) {
  struct Case {
    QPointF cursor;
    QPointF end;
  };
  const Case cases[] = {
      {{124, 134}, {124, 134}},  // 50 pixels away
      {{294, 94}, {158, 94}},    // 200 to the right: cut at 64
      {{94, -106}, {94, 30}},    // 200 up
      {{94, 94}, {94, 94}},      // on the centre
  };
  for (const Case& c : cases) {
    const QLineF guide = geometry::sizeGuide(kCentre, c.cursor);
    EXPECT_EQ(guide.p1(), QPointF(kCentre));
    EXPECT_NEAR(guide.p2().x(), c.end.x(), 1e-9);
    EXPECT_NEAR(guide.p2().y(), c.end.y(), 1e-9);
  }
}

}  // namespace
