// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A frameless top-level window placed on the screen under the mouse cursor, painted through an
// engine (FrameEngine): subclasses draw their content in draw() and leave the rest to the engine.
//
// Thread: the GUI thread. Ownership: the frame owns its engine.

#include <QMainWindow>

class QPaintDevice;

namespace Helpers::MQt {

class FrameEngine;

// The engine kind that makes a translucent frame (FrameEngineRT); every other kind makes a frame
// with a screenshot background (FrameEngineSS).
inline constexpr int kTranslucentEngine = 1;

class TransparentFrame : public QMainWindow {
  Q_OBJECT

 public:
  // Covers the screen under the cursor when width or height is 0; otherwise width x height,
  // at that screen's top-left corner. Not shown yet.
  TransparentFrame(QWidget* parent, int engineKind, int width, int height);
  ~TransparentFrame() override;

  // A mouse press on the frame; nothing here.
  virtual void mouseClicked() {}
  // Paints the frame's content on `device`; nothing here.
  virtual void draw(QPaintDevice* device);

  FrameEngine* frameEngine() const { return engine; }

  // The number (in QGuiApplication::screens()) of the screen that holds the cursor, the primary
  // screen's when the cursor is on none.
  static int screenUnderCursor();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  FrameEngine* engine = nullptr;
};

}  // namespace Helpers::MQt
