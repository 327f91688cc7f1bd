// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The air volume overlay: a vertical volume scale at the right edge of the screen under the
// cursor. Moving the remote (the cursor) up or down changes the master volume, a left click
// mutes or unmutes, the middle button, a right click or a vendor button ends the program.
//
// The frame hides the cursor, grabs the mouse and keeps putting the cursor back at its centre,
// so that each motion event is the distance moved since the last one. The shown level and mute
// state are read back from the system on every paint and at least once a second.
//
// Thread: the GUI thread. The device callbacks (onMotion, onButtonEvent, acceptDevice) run on
// the device layer's threads and only test the vendor or emit signals, which are queued here.
// Failure: when the system volume cannot be reached at construction the process ends at once
// with exit code 0. When it is lost later (the sound server went away) the scale shows no level
// and a grey cross until the volume control has reconnected.

#include <QPixmap>
#include <QPoint>
#include <QTimer>

#include "VolumeControl.h"
#include "device/DornicDevicesInterface.h"
#include "frame/ActionFrame.h"
#include "frame/OsInput.h"

namespace VtAction::Frame {

class GyroVolumeFrame : public ActionFrame, public DornicDevicesInterface, public osUtils::OsInput {
  Q_OBJECT

 public:
  // width and height are ignored: the frame sizes itself from the screen under the cursor.
  GyroVolumeFrame(QWidget* parent, int width, int height);
  ~GyroVolumeFrame() override;

  void draw(QPaintDevice* device) override;

  bool acceptDevice(const DeviceDescriptor& device) override;
  void onButtonEvent(const DeviceDescriptor& device, MouseButtonEvent_t code) override;
  void onMotion(const DeviceDescriptor& device, int dx, int dy) override;

  // The state last read from the system, and the frame's centre in screen coordinates.
  double shownLevel() const { return level; }
  bool shownMuted() const { return muted; }
  bool shownAvailable() const { return volume.available(); }
  QPoint centrePoint() const { return centre; }

  // How far one pixel of vertical motion moves the level.
  static constexpr double kLevelPerPixel = 1.0 / 1000.0;

 signals:
  void mousePressed(MouseButtonEvent_t buttonEvent);
  void mouseMoved();

 public:
  using ActionFrame::start;

 public slots:
  // Shows the scale, hides the cursor at the centre and takes the mouse.
  virtual void start();
  // Gives the mouse and cursor back, closes the volume and ends the program.
  void closeAction() override;
  void mouseWasPressed(MouseButtonEvent_t buttonEvent);
  void mouseHasMoved();
  // Reads the mute state and level without repainting.
  void update();
  // Takes the mouse again with the invisible cursor and repaints; run by the refresh timer.
  void updateAndRepaint();

 private:
  void loadImages();
  QPoint frameCentre() const;

  VolumeControl volume;
  double level = 0.0;
  bool muted = false;
  QPixmap cursorPixmap;
  QPoint cursorPos;
  QPoint centre;
  QPoint savedCursorPos;
  QPixmap scaleImage;
  QPixmap fillImage;
  QPixmap iconImage;
  double imageScale = 1.0;
  QTimer* refreshTimer;
};

}  // namespace VtAction::Frame
