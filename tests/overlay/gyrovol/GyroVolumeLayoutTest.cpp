// SPDX-License-Identifier: GPL-3.0-or-later
// Where the scale, the fill band, the icon and the mute cross go.

#include <gtest/gtest.h>

#include <limits>

#include "GyroVolumeLayout.h"

namespace {

using VtAction::Frame::GyroVolumeLayout;
using VtAction::Frame::GyroVolumeMetrics;
using VtAction::Frame::layoutGyroVolume;

TEST(GyroVolumeLayout, PlacesTheScaleTheBandTheIconAndTheCross) {
  // An 800-pixel screen: frame 88 wide; a 600-pixel fill image scaled to 550 (k = 600/550).
  const double k = 600.0 / 550.0;
  struct Case {
    GyroVolumeMetrics metrics;
    GyroVolumeLayout expected;
  } cases[] = {
      {{88, 800, 550, 550, 80, 80, k, 0.5},
       {125,
        29,
        QRect(8, 125, 80, 800),
        QRect(8, 398, 80, 258),
        QPoint(8, 654),
        {QLine(18, 657, 78, 737), QLine(78, 657, 18, 737)}}},
      // Level 0: an empty band at the bottom of the scale; level 1: the whole band.
      {{88, 800, 550, 550, 80, 80, k, 0.0},
       {125,
        29,
        QRect(8, 125, 80, 800),
        QRect(8, 657, 80, 0),
        QPoint(8, 654),
        {QLine(18, 657, 78, 737), QLine(78, 657, 18, 737)}}},
      {{88, 800, 550, 550, 80, 80, k, 1.0},
       {125,
        29,
        QRect(8, 125, 80, 800),
        QRect(8, 139, 80, 517),
        QPoint(8, 654),
        {QLine(18, 657, 78, 737), QLine(78, 657, 18, 737)}}},
      // A 1080-pixel screen with images that need no scaling (k = 1): frame 118 wide.
      {{118, 1080, 400, 400, 100, 50, 1.0, 0.25},
       {340,
        45,
        QRect(18, 340, 100, 1080),
        QRect(18, 629, 100, 91),
        QPoint(18, 718),
        {QLine(28, 721, 108, 771), QLine(108, 721, 28, 771)}}},
      // No images at all: nothing has a size, the band is empty, the arithmetic stays finite.
      {{88, 800, 0, 0, 0, 0, std::numeric_limits<double>::quiet_NaN(), 0.7},
       {400,
        88,
        QRect(88, 400, 0, 800),
        QRect(88, 405, 0, 0),
        QPoint(88, 378),
        {QLine(98, 381, 78, 381), QLine(78, 381, 98, 381)}}},
  };
  for (const Case& c : cases) {
    const GyroVolumeLayout got = layoutGyroVolume(c.metrics);
    const GyroVolumeLayout& want = c.expected;
    SCOPED_TRACE(testing::Message() << c.metrics.width << "x" << c.metrics.height << " level "
                                    << c.metrics.level);
    EXPECT_EQ(got.scaleTop, want.scaleTop);
    EXPECT_EQ(got.xBar, want.xBar);
    EXPECT_EQ(got.scaleClip, want.scaleClip);
    EXPECT_EQ(got.bandClip, want.bandClip);
    EXPECT_EQ(got.iconPos, want.iconPos);
    EXPECT_EQ(got.cross[0], want.cross[0]);
    EXPECT_EQ(got.cross[1], want.cross[1]);
  }
}

}  // namespace
