// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The base of the overlay frames: a transparent frame that stays above other windows, shows
// itself in start(), ends the program in closeAction() or on the Escape key, and can let mouse
// clicks through to the windows beneath it.
//
// Thread: the GUI thread.

#include "frame/TransparentFrame.h"

namespace VtAction::Frame {

class ActionFrame : public Helpers::MQt::TransparentFrame {
  Q_OBJECT

 public:
  ActionFrame(QWidget* parent, int engineKind, int width, int height);

  // True after an odd number of switchMouseTransMode() calls.
  bool isClickThrough() const { return clickThrough; }

 public slots:
  // Repaints and shows the frame; with `withraise` also activates and raises it.
  virtual void start(bool withraise);
  void start() { start(true); }
  // Flips whether the frame's window lets mouse clicks through; twice restores the window's
  // state from before.
  void switchMouseTransMode();
  // Ends the program's event loop.
  virtual void closeAction();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  // The engine is refreshed once, by the constructor; later resizes change nothing.
  void resizeEvent(QResizeEvent* event) override;

 private:
  bool clickThrough = false;
};

}  // namespace VtAction::Frame
