// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The laser pointer: a small transparent frame kept centred on the hidden mouse cursor, showing
// the pointer image. Clicks pass through it to the windows beneath. A left press sends a red ring
// out of the pointer; holding the middle button for 300 ms enters size mode, in which the
// cursor's distance from the centre sets the pointer's size; releasing it leaves size mode and
// puts the cursor back where the middle press was. Releasing a vendor button of the remote ends
// the program.
//
// Thread: the GUI thread, except the device listener callbacks (acceptDevice, onButtonEvent,
// onMotion), which run on the device layer's threads and only emit the queued signals.

#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QTimer>

#include "device/DornicDevicesInterface.h"
#include "frame/ActionFrame.h"
#include "frame/OsInput.h"

namespace VtAction::Frame {

// The built-in pointer image, from the program's resource file.
inline constexpr const char* kDefaultPointerImage = ":/resource/action/defaultpointer.png";

class PointerFrame : public ActionFrame, public DornicDevicesInterface, public osUtils::OsInput {
  Q_OBJECT

 public:
  // `startSize`: half the pointer image's width in pixels; `imagePath`: a file or ":/" resource path.
  // An image that cannot be loaded draws nothing; the ring and size mode still work.
  PointerFrame(QWidget* parent, int startSize, const QString& imagePath);
  ~PointerFrame() override;

  void draw(QPaintDevice* device) override;

  // Device listener callbacks (the device layer's threads).
  bool acceptDevice(const DeviceDescriptor& device) override;
  void onButtonEvent(const DeviceDescriptor& device, MouseButtonEvent_t code) override;
  void onMotion(const DeviceDescriptor& device, int dx, int dy) override;

  // The state, as the slots leave it.
  bool isResizing() const { return resizing; }
  bool isRingActive() const { return ringActive; }
  int pointerSize() const { return halfSize; }
  const QPixmap& pointerPixmap() const { return pointerImage; }
  QRect ringRectangle() const { return ringRect; }
  QPoint anchor() const { return savedCursorPos; }

 signals:
  void mousePressed(MouseButtonEvent_t buttonEvent);
  void mouseMoved();

 public slots:
  // The middle button has been held long enough: size mode.
  void startResizing();
  // One tick of the ring.
  void updateAnimRect();
  // Listens to the devices, hides the cursor and shows the frame.
  void start(bool withraise) override;
  void start() { start(true); }
  // Shows the cursor again and ends the program.
  void closeAction() override;
  void mouseWasPressed(MouseButtonEvent_t buttonEvent);
  void mouseHasMoved();

 private:
  void reloadPointer();
  QPoint centre() const;

  bool resizing = false;
  bool ringActive = false;
  QString imagePath;
  QPixmap pointerImage;
  QTimer resizeDelayTimer;
  QTimer ringTimer;
  QPixmap cursorPixmap;
  QPoint savedCursorPos;
  QPoint prevPos;
  QPoint lastPos;
  QRect ringRect;
  int halfSize;  // half the pointer image's width: the pointer's size
};

}  // namespace VtAction::Frame
