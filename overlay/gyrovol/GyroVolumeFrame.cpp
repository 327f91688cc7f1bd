// SPDX-License-Identifier: GPL-3.0-or-later
#include "GyroVolumeFrame.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "GyroVolumeLayout.h"
#include "frame/RemoteVendors.h"

namespace VtAction::Frame {

namespace {

constexpr int kRefreshMs = 1000;
constexpr double kWidthPerHeight = 0.11;
constexpr int kImageMargin = 50;  // the scale and fill images leave this much of the height free

const char* const kScaleImage = ":/resource/action/gyrovolume/Img/scrollbg.png";
const char* const kFillImage = ":/resource/action/gyrovolume/Img/scrollfg.png";
const char* const kIconImage = ":/resource/action/gyrovolume/Img/scrollVolume.png";

QScreen* cursorScreen() {
  QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
  return screen ? screen : QGuiApplication::primaryScreen();
}

// An image too small to leave its margin becomes empty rather than flipped or degenerate.
QPixmap scaledToHeight(const QPixmap& image, int height) {
  if (image.isNull() || height <= 0) return QPixmap();
  return image.scaledToHeight(height, Qt::SmoothTransformation);
}

}  // namespace

GyroVolumeFrame::GyroVolumeFrame(QWidget* parent, int width, int height)
    : ActionFrame(parent, Helpers::MQt::kTranslucentEngine, width, height), refreshTimer(new QTimer(this)) {
  QScreen* under = cursorScreen();
  const QRect screen = under ? under->geometry() : QRect();
  const int frameWidth = static_cast<int>(std::trunc(kWidthPerHeight * screen.height()));
  setFixedSize(frameWidth, screen.height());
  move(screen.x() + screen.width() - frameWidth, screen.y());

  savedCursorPos = QCursor::pos();
  centre = frameCentre();
  cursorPos = centre;
  loadImages();

  level = 0.0;
  muted = false;
  if (!volume.open(static_cast<unsigned long long>(winId())) || !volume.getLevel(level)) {
    // Without a volume to control there is nothing to show.
    std::fflush(nullptr);
    std::_Exit(0);
  }
  muted = volume.isMuted();

  qRegisterMetaType<MouseButtonEvent_t>("MouseButtonEvent_t");
  connect(this, &GyroVolumeFrame::mousePressed, this, &GyroVolumeFrame::mouseWasPressed);
  connect(this, &GyroVolumeFrame::mouseMoved, this, &GyroVolumeFrame::mouseHasMoved);
  connect(refreshTimer, &QTimer::timeout, this, &GyroVolumeFrame::updateAndRepaint);
  refreshTimer->start(kRefreshMs);
}

GyroVolumeFrame::~GyroVolumeFrame() {
  // Before anything of this frame goes: no device callback may reach it half destroyed.
  stopListening();
}

QPoint GyroVolumeFrame::frameCentre() const {
  return QPoint(x() + width() / 2, y() + height() / 2);
}

void GyroVolumeFrame::loadImages() {
  const int W = width();
  const int H = height();
  scaleImage = QPixmap(kScaleImage);
  fillImage = QPixmap(kFillImage);
  iconImage = QPixmap(kIconImage);

  scaleImage = scaledToHeight(scaleImage, std::min(scaleImage.height(), H) - kImageMargin);
  const int unscaledFill = fillImage.height();
  fillImage = scaledToHeight(fillImage, std::min(fillImage.height(), H) - kImageMargin);
  // No fill image, no scale between its sizes: 1 keeps the margins' arithmetic finite.
  imageScale = fillImage.isNull() ? 1.0 : static_cast<double>(unscaledFill) / fillImage.height();
  if (!iconImage.isNull()) {
    iconImage = iconImage.scaledToWidth(std::min(iconImage.width(), W), Qt::SmoothTransformation);
  }
}

bool GyroVolumeFrame::acceptDevice(const DeviceDescriptor& device) {
  return isRemoteVendor(device.vendorId);
}

void GyroVolumeFrame::onButtonEvent(const DeviceDescriptor&, MouseButtonEvent_t code) {
  emit mousePressed(code);
}

void GyroVolumeFrame::onMotion(const DeviceDescriptor&, int, int) {
  emit mouseMoved();
}

void GyroVolumeFrame::start() {
  startListening();
  cursorPixmap = QPixmap(32, 32);
  cursorPixmap.fill(Qt::transparent);
  QApplication::setOverrideCursor(QCursor(cursorPixmap));
  QCursor::setPos(cursorPos);
  raise();
  ActionFrame::start(false);
  grabMouse(QCursor(cursorPixmap));
  updateAndRepaint();
}

void GyroVolumeFrame::closeAction() {
  QCursor::setPos(savedCursorPos);
  releaseMouse();
  volume.close();
  ActionFrame::closeAction();
}

void GyroVolumeFrame::mouseWasPressed(MouseButtonEvent_t buttonEvent) {
  switch (buttonEvent) {
    case 1:  // left press
      volume.setMuted(!muted);
      repaint();
      break;
    case 3:  // middle press
    case 4:  // middle release
    case 6:  // right release
    case 8:  // a vendor button pressed
    case 10:
    case 12:
    case 14:
      closeAction();
      break;
    default:
      break;
  }
  raise();
}

void GyroVolumeFrame::mouseHasMoved() {
  cursorPos = QCursor::pos();
  const int dy = cursorPos.y() - centre.y();
  if (dy != 0) {
    // Clamped here: the endpoint refuses a level past either end, and a step that overshoots
    // the top or the bottom must still reach it.
    volume.setLevel(std::clamp(level - dy * kLevelPerPixel, 0.0, 1.0));
    cursorPos = frameCentre();
    QCursor::setPos(cursorPos);
  }
  repaint();
}

void GyroVolumeFrame::update() {
  muted = volume.isMuted();
  volume.getLevel(level);
}

void GyroVolumeFrame::updateAndRepaint() {
  grabMouse(QCursor(cursorPixmap));
  repaint();
}

void GyroVolumeFrame::draw(QPaintDevice* device) {
  update();
  GyroVolumeMetrics metrics;
  metrics.width = width();
  metrics.height = height();
  metrics.scaleHeight = scaleImage.height();
  metrics.fillHeight = fillImage.height();
  metrics.iconWidth = iconImage.width();
  metrics.iconHeight = iconImage.height();
  metrics.imageScale = imageScale;
  metrics.level = level;
  const GyroVolumeLayout layout = layoutGyroVolume(metrics);

  QPainter painter(device);
  painter.setClipRect(layout.scaleClip);
  painter.drawPixmap(layout.xBar, layout.scaleTop, scaleImage);
  painter.setClipRect(layout.bandClip);
  painter.drawPixmap(layout.xBar, layout.scaleTop, fillImage);
  painter.setClipRect(QRect(0, 0, width(), height()));
  painter.drawPixmap(layout.iconPos, iconImage);
  // Without the sound system the scale is crossed out in grey: the level shown is not the
  // system's, and moving or clicking changes nothing until it is back.
  if (muted || !volume.available()) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QBrush(volume.available() ? Qt::red : Qt::gray), 10, Qt::SolidLine, Qt::SquareCap,
                        Qt::BevelJoin));
    painter.drawLine(layout.cross[0]);
    painter.drawLine(layout.cross[1]);
  }
}

}  // namespace VtAction::Frame
