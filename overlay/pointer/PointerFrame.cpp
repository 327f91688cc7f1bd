// SPDX-License-Identifier: GPL-3.0-or-later
#include "PointerFrame.h"

#include <QApplication>
#include <QCursor>
#include <QPainter>
#include <QPen>

#include "PointerGeometry.h"
#include "frame/RemoteVendors.h"

namespace VtAction::Frame {
namespace {

namespace geometry = PointerGeometry;

constexpr int kResizeDelayMs = 300;
constexpr int kRingTickMs = 10;

// Button codes of the device layer (device/MouseButtonEvent.h).
constexpr MouseButtonEvent_t kLeftPressed = 1;
constexpr MouseButtonEvent_t kMiddlePressed = 3;
constexpr MouseButtonEvent_t kMiddleReleased = 4;

// Codes 7 to 15 come from the remote's vendor buttons; the odd ones are releases (7: all).
bool isVendorRelease(MouseButtonEvent_t code) {
  return code >= 7 && code <= 15 && code % 2 == 1;
}

}  // namespace

PointerFrame::PointerFrame(QWidget* parent, int startSize, const QString& imagePath)
    : ActionFrame(parent, Helpers::MQt::kTranslucentEngine, startSize, startSize),
      imagePath(imagePath),
      cursorPixmap(16, 16),
      ringRect(0, 0, 0, 0),
      halfSize(startSize) {
  cursorPixmap.fill(Qt::transparent);
  setAttribute(Qt::WA_ShowWithoutActivating);
  switchMouseTransMode();
  QApplication::setOverrideCursor(QCursor(cursorPixmap));

  savedCursorPos = prevPos = QCursor::pos();
  resize(geometry::kFrameSide, geometry::kFrameSide);
  setFixedSize(geometry::kFrameSide, geometry::kFrameSide);
  reloadPointer();

  resizeDelayTimer.setSingleShot(true);
  qRegisterMetaType<MouseButtonEvent_t>("MouseButtonEvent_t");
  connect(this, &PointerFrame::mousePressed, this, &PointerFrame::mouseWasPressed);
  connect(this, &PointerFrame::mouseMoved, this, &PointerFrame::mouseHasMoved);
  connect(&resizeDelayTimer, &QTimer::timeout, this, &PointerFrame::startResizing);
  connect(&ringTimer, &QTimer::timeout, this, &PointerFrame::updateAnimRect);
}

PointerFrame::~PointerFrame() {
  // No device callback may reach a half-destroyed frame.
  stopListening();
  QApplication::restoreOverrideCursor();
}

QPoint PointerFrame::centre() const {
  return geometry::frameCentre(size());
}

void PointerFrame::reloadPointer() {
  // Read again each time, so that a changed file shows at once.
  const QPixmap image(imagePath);
  pointerImage = image.isNull() ? QPixmap() : image.scaledToWidth(2 * halfSize, Qt::SmoothTransformation);
  move(geometry::topLeftCentredOn(savedCursorPos, size()));
  repaint();
}

void PointerFrame::start(bool withraise) {
  startListening();
  showCursor(false);
  ActionFrame::start(withraise);
}

void PointerFrame::closeAction() {
  showCursor(true);
  ActionFrame::closeAction();
}

void PointerFrame::mouseHasMoved() {
  showCursor(false);
  const QPoint cursor = QCursor::pos();
  if (resizing) {
    // Only a cursor that moved since the last size change changes the size again.
    if (cursor != lastPos) {
      prevPos = lastPos;
      lastPos = cursor;
      halfSize = geometry::sizeFromDistance(QLineF(centre(), mapFromGlobal(cursor)).length());
      reloadPointer();
    }
  } else {
    move(geometry::topLeftCentredOn(cursor, size()));
  }
  repaint();
  raise();
}

void PointerFrame::mouseWasPressed(MouseButtonEvent_t buttonEvent) {
  showCursor(false);
  if (buttonEvent == kLeftPressed) {
    if (!resizing) {
      ringActive = true;
      ringRect = geometry::initialRingRect(centre());
      ringTimer.start(kRingTickMs);
    }
    repaint();
  } else if (buttonEvent == kMiddlePressed) {
    savedCursorPos = QCursor::pos();
    resizeDelayTimer.start(kResizeDelayMs);
  } else if (buttonEvent == kMiddleReleased) {
    if (resizing) {
      resizing = false;
      QCursor::setPos(savedCursorPos);
    }
    resizeDelayTimer.stop();
    repaint();
  } else if (isVendorRelease(buttonEvent)) {
    closeAction();
  }
  raise();
}

void PointerFrame::startResizing() {
  resizeDelayTimer.stop();
  resizing = true;
  const QPoint corner(width() - 1, height() - 1);
  QCursor::setPos(mapToGlobal(geometry::resizeStartPoint(centre(), corner, halfSize)));
  // Both positions start here: the first motion compares against it.
  prevPos = lastPos = QCursor::pos();
  repaint();
}

void PointerFrame::updateAnimRect() {
  ringRect = geometry::nextRingRect(ringRect, centre());
  if (geometry::ringEnds(ringRect.width(), pointerImage.width())) {
    ringActive = false;
    ringTimer.stop();
  }
  repaint();
}

void PointerFrame::draw(QPaintDevice* device) {
  QPainter painter(device);
  painter.setRenderHint(QPainter::Antialiasing);
  QPen pen(Qt::black, 2, Qt::DashDotLine, Qt::RoundCap, Qt::RoundJoin);
  painter.setPen(pen);

  const QPoint middle = centre();
  painter.drawPixmap(middle.x() - pointerImage.width() / 2, middle.y() - pointerImage.height() / 2,
                     pointerImage);

  if (resizing) {
    const QLineF guide = geometry::sizeGuide(middle, mapFromGlobal(QCursor::pos()));
    painter.drawLine(guide);
    pen.setWidth(10);
    painter.setPen(pen);
    painter.drawPoint(guide.p2());
    pen.setWidth(3);
    painter.setPen(pen);
    const qreal radius = guide.length();
    painter.drawEllipse(QRectF(middle.x() - radius, middle.y() - radius, 2 * radius, 2 * radius));
  }
  if (ringActive) {
    painter.setPen(QPen(Qt::red, 2, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter.drawEllipse(ringRect);
  }
}

bool PointerFrame::acceptDevice(const DeviceDescriptor& device) {
  return isRemoteVendor(device.vendorId);
}

void PointerFrame::onButtonEvent(const DeviceDescriptor&, MouseButtonEvent_t code) {
  emit mousePressed(code);
}

void PointerFrame::onMotion(const DeviceDescriptor&, int, int) {
  emit mouseMoved();
}

}  // namespace VtAction::Frame
