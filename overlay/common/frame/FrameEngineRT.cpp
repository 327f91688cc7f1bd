// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/FrameEngineRT.h"

#include "frame/TransparentFrame.h"

namespace Helpers::MQt {

FrameEngineRT::FrameEngineRT(TransparentFrame* widget) : FrameEngine(widget) {
  if (widget) widget->setAttribute(Qt::WA_TranslucentBackground);
}

void FrameEngineRT::paint(QPaintDevice*) {
  widget->draw(widget);
}

}  // namespace Helpers::MQt
