// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The engine of a translucent frame: the frame paints straight onto its own window, and
// whatever it leaves unpainted stays see-through.

#include "frame/FrameEngine.h"

namespace Helpers::MQt {

class FrameEngineRT : public FrameEngine {
 public:
  // Makes the widget's background translucent (when there is a widget).
  explicit FrameEngineRT(TransparentFrame* widget);

  void refresh() override {}
  // Has the frame draw on itself; the device given is not used.
  void paint(QPaintDevice* device) override;
  QPixmap* background() override { return nullptr; }
};

}  // namespace Helpers::MQt
