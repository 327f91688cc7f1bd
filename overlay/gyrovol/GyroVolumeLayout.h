// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the air volume scale's parts go inside the frame: the scale, the fill band up to the
// level, the speaker icon below and the red cross over it when muted. Pure arithmetic on the
// frame's and the scaled images' sizes, so that it can be checked without painting.

#include <QLine>
#include <QPoint>
#include <QRect>

namespace VtAction::Frame {

struct GyroVolumeMetrics {
  int width = 0;  // the frame's
  int height = 0;
  int scaleHeight = 0;  // the scaled scale image's
  int fillHeight = 0;   // the scaled fill image's
  int iconWidth = 0;    // the scaled icon's
  int iconHeight = 0;
  double imageScale = 1.0;  // unscaled fill height / scaled fill height
  double level = 0.0;       // 0.0 to 1.0
};

struct GyroVolumeLayout {
  int scaleTop = 0;  // the scale is centred vertically
  int xBar = 0;      // left edge of the scale and fill images
  QRect scaleClip;   // the scale image is drawn inside this
  QRect bandClip;    // the fill image is drawn inside this: from the scale's bottom up to the level
  QPoint iconPos;
  QLine cross[2];  // drawn over the icon when muted
};

// The fill image keeps margins of 16 pixels at its top and 19 at its bottom (in unscaled
// pixels); the band runs between them. A band that would have a negative height (a fill image
// smaller than its margins, a level below 0) is empty; an image scale that is not a positive
// number (no fill image) counts as 1.
GyroVolumeLayout layoutGyroVolume(const GyroVolumeMetrics& metrics);

}  // namespace VtAction::Frame
