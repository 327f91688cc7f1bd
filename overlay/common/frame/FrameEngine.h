// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a TransparentFrame paints: the engine gets every paint event of its frame and has the
// frame draw its content (TransparentFrame::draw) on a paint device.
//
// Thread: the GUI thread. Ownership: the frame owns its engine; the engine does not own the frame.

class QPaintDevice;
class QPixmap;

namespace Helpers::MQt {

class TransparentFrame;

class FrameEngine {
 public:
  explicit FrameEngine(TransparentFrame* widget) : widget(widget) {}
  virtual ~FrameEngine() = default;
  FrameEngine(const FrameEngine&) = delete;
  FrameEngine& operator=(const FrameEngine&) = delete;

  // Brings the engine up to date with the frame's size and place.
  virtual void refresh() {}
  virtual void setBackgroundEnabled(int enabled) { backgroundEnabled = enabled; }
  virtual void paint(QPaintDevice* device) = 0;
  // What the engine paints under the frame's content; null when it paints nothing there.
  virtual QPixmap* background() = 0;

 protected:
  TransparentFrame* widget;
  int backgroundEnabled = 1;
};

}  // namespace Helpers::MQt
