// SPDX-License-Identifier: GPL-3.0-or-later
#include "GyroVolumeLayout.h"

#include <algorithm>
#include <cmath>

namespace VtAction::Frame {

namespace {

int trunc(double value) {
  return static_cast<int>(std::trunc(value));
}

}  // namespace

GyroVolumeLayout layoutGyroVolume(const GyroVolumeMetrics& m) {
  const double k = std::isfinite(m.imageScale) && m.imageScale > 0.0 ? m.imageScale : 1.0;
  const double v = std::isfinite(m.level) ? std::clamp(m.level, 0.0, 1.0) : 0.0;
  const int left = m.width - m.iconWidth;

  GyroVolumeLayout layout;
  layout.scaleTop = m.height / 2 - m.scaleHeight / 2;
  layout.xBar = trunc(m.width - 0.73 * m.iconWidth);
  layout.scaleClip = QRect(left, layout.scaleTop, m.iconWidth, m.height);

  const double span = m.fillHeight - 35 / k;
  const int bandHeight = std::max(0, trunc(span * v));
  const int bandTop = trunc(span * (1 - v) + 16 / k + layout.scaleTop);
  layout.bandClip = QRect(left, bandTop, m.iconWidth, bandHeight);

  const double iconTop = layout.scaleTop + m.scaleHeight - 19 / k;
  layout.iconPos = QPoint(left, trunc(iconTop - 3));
  const int yA = trunc(iconTop);
  const int yB = trunc(iconTop + m.iconHeight);
  layout.cross[0] = QLine(left + 10, yA, m.width - 10, yB);
  layout.cross[1] = QLine(m.width - 10, yA, left + 10, yB);
  return layout;
}

}  // namespace VtAction::Frame
