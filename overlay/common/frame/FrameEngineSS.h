// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The engine of an opaque frame that looks see-through: it keeps a screenshot of what lies under
// the frame, taken at each refresh, and paints it beneath the frame's content.

#include <QPixmap>

#include "frame/FrameEngine.h"

class QPainter;
class QPoint;
class QRect;
class QRectF;

namespace Helpers::MQt {

class FrameEngineSS : public FrameEngine {
 public:
  // `screen`: the number of the screen the frame was made for (QGuiApplication::screens()).
  FrameEngineSS(TransparentFrame* widget, int screen);

  // Takes a new screenshot of what lies under the frame, at the frame's present size.
  void refresh() override;
  // The screenshot when the background is enabled, then the frame's content.
  void paint(QPaintDevice* device) override;
  QPixmap* background() override { return &screenshot; }

  // The part `source` of the screenshot, at its natural size, at (x, y) or at `point`.
  virtual void drawBackground(QPainter* painter, qreal x, qreal y, const QRectF& source);
  virtual void drawBackground(QPainter* painter, const QPoint& point, const QRect& source);
  virtual void drawBackground(QPaintDevice* device, const QPoint& point, const QRect& source);

  void grabScreen();

 private:
  QPixmap screenshot;
  int screen;
};

}  // namespace Helpers::MQt
