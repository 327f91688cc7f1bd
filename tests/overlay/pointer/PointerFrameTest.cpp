// SPDX-License-Identifier: GPL-3.0-or-later
// The laser pointer frame, driven through its slots with the cursor really moved on an X server
// of the test's own: following, the ring, size mode, the buttons, drawing and click-through.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <memory>
#include <thread>

#include "OverlayTestApp.h"
#include "PointerFrame.h"
#include "XButtonRecorder.h"
#include "device/HIDEventsThread.h"
#include "platform/cursor.h"

namespace {

using VtAction::Frame::PointerFrame;

constexpr int kSide = 188;
const QPoint kCentre(94, 94);

// Button codes of the device layer.
constexpr int kLeftPress = 1, kMiddlePress = 3, kMiddleRelease = 4;

class Pointer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { s_events = new HIDEventsThread; }
  static void TearDownTestSuite() {
    delete s_events;
    s_events = nullptr;
  }

  void SetUp() override {
    // A pointer image whose pixels are easy to tell: a solid blue square.
    QImage blue(10, 10, QImage::Format_ARGB32);
    blue.fill(Qt::blue);
    ASSERT_TRUE(blue.save(m_dir.filePath("blue.png")));
  }

  std::unique_ptr<PointerFrame> Make(QPoint cursor,
                                     const QString& image = VtAction::Frame::kDefaultPointerImage) {
    QCursor::setPos(cursor);
    return std::make_unique<PointerFrame>(nullptr, 16, image);
  }

  // The frame's centre on the screen.
  static QPoint Centre(const PointerFrame& frame) { return frame.pos() + kCentre; }

  static QImage Drawn(PointerFrame& frame) {
    QImage image(kSide, kSide, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    frame.draw(&image);
    return image;
  }

  // Holds the middle button until size mode starts, by the frame's own 300 ms timer.
  static void EnterSizeMode(PointerFrame& frame) {
    frame.mouseWasPressed(kMiddlePress);
    QTRY_VERIFY_WITH_TIMEOUT(frame.isResizing(), 2000);
  }

  QTemporaryDir m_dir;
  static inline HIDEventsThread* s_events = nullptr;
};

TEST_F(Pointer, StartsCentredOnTheCursorWithTheImageTwiceTheSizeWide) {
  auto frame = Make({500, 400});
  EXPECT_EQ(frame->size(), QSize(kSide, kSide));
  EXPECT_EQ(frame->minimumSize(), frame->maximumSize());
  EXPECT_EQ(frame->pos(), QPoint(406, 306));
  EXPECT_EQ(frame->anchor(), QPoint(500, 400));
  EXPECT_EQ(frame->pointerSize(), 16);
  EXPECT_EQ(frame->pointerPixmap().width(), 32);
  EXPECT_FALSE(frame->isResizing());
  EXPECT_FALSE(frame->isRingActive());
  EXPECT_EQ(frame->ringRectangle(), QRect(QPoint(0, 0), QPoint(-1, -1)));
  EXPECT_TRUE(frame->isClickThrough());
  EXPECT_TRUE(platform::IsClickThrough(static_cast<platform::NativeWindow>(frame->winId())));
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->pixmap().size(), QSize(16, 16));
}

TEST_F(Pointer, StartHidesTheCursorAndShowsTheFrame) {
  while (platform::CursorDisplayCount() < 0) platform::ShowCursor(true);
  auto frame = Make({300, 300});
  frame->start(true);
  EXPECT_TRUE(frame->isVisible());
  EXPECT_LT(platform::CursorDisplayCount(), 0);
  EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
  frame->hide();
}

TEST_F(Pointer, FollowsTheCursor) {
  auto frame = Make({500, 400});
  for (QPoint cursor : {QPoint(700, 200), QPoint(20, 10), QPoint(1000, 760)}) {
    QCursor::setPos(cursor);
    frame->mouseHasMoved();
    EXPECT_EQ(Centre(*frame), cursor);
    EXPECT_LT(platform::CursorDisplayCount(), 0);
  }
  EXPECT_EQ(frame->anchor(), QPoint(500, 400));  // following does not move the anchor
}

TEST_F(Pointer, LeftPressSendsARingThatGrowsTo91PixelsIn46Ticks) {
  auto frame = Make({500, 400});
  frame->mouseWasPressed(kLeftPress);
  EXPECT_TRUE(frame->isRingActive());
  EXPECT_TRUE(frame->ringRectangle().isEmpty());
  for (int tick = 1; tick <= 45; ++tick) frame->updateAnimRect();
  EXPECT_TRUE(frame->isRingActive());
  EXPECT_EQ(frame->ringRectangle().width(), 89);
  frame->updateAnimRect();
  EXPECT_FALSE(frame->isRingActive());
  EXPECT_EQ(frame->ringRectangle().width(), 91);
  EXPECT_EQ(frame->ringRectangle().center(), kCentre);
}

TEST_F(Pointer, RingRunsOnItsTimerAndAPressStartsItAgain) {
  auto frame = Make({500, 400});
  frame->mouseWasPressed(kLeftPress);
  QTRY_VERIFY_WITH_TIMEOUT(frame->ringRectangle().width() >= 21, 2000);
  frame->mouseWasPressed(kLeftPress);  // a running ring starts over
  EXPECT_TRUE(frame->ringRectangle().isEmpty());
  QTRY_VERIFY_WITH_TIMEOUT(!frame->isRingActive(), 3000);
  EXPECT_EQ(frame->ringRectangle().width(), 91);
}

TEST_F(Pointer, MiddleReleasedEarlyMovesOnlyTheAnchor) {
  auto frame = Make({500, 400});
  QCursor::setPos(520, 410);
  frame->mouseWasPressed(kMiddlePress);
  frame->mouseWasPressed(kMiddleRelease);
  QTest::qWait(400);  // past the size mode delay
  EXPECT_EQ(frame->anchor(), QPoint(520, 410));
  EXPECT_FALSE(frame->isResizing());
  EXPECT_EQ(frame->pointerSize(), 16);
  EXPECT_EQ(Centre(*frame), QPoint(500, 400));
  EXPECT_EQ(QCursor::pos(), QPoint(520, 410));
}

TEST_F(Pointer, SizeModeStartsWithTheCursorSizePixelsFromTheCentre) {
  auto frame = Make({500, 400});
  EnterSizeMode(*frame);
  EXPECT_EQ(Centre(*frame), QPoint(500, 400));
  EXPECT_EQ(QCursor::pos(), QPoint(500 + 11, 400 + 11));  // 16 pixels at 45 degrees, rounded
  // A motion event without motion keeps the size.
  frame->mouseHasMoved();
  EXPECT_EQ(frame->pointerSize(), 16);
  EXPECT_EQ(Centre(*frame), QPoint(500, 400));
}

TEST_F(Pointer, InSizeModeTheCursorsDistanceSetsTheSize) {
  struct Case {
    QPoint offset;  // of the cursor from the frame's centre
    int size;
  };
  const Case cases[] = {
      {{200, 0}, 64}, {{0, 0}, 8}, {{30, 40}, 50}, {{-5, 3}, 8}, {{0, -63}, 63}, {{-120, -90}, 64},
  };
  auto frame = Make({500, 400});
  EnterSizeMode(*frame);
  const QPoint centre = Centre(*frame);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.offset.x() << "," << c.offset.y());
    QCursor::setPos(centre + c.offset);
    frame->mouseHasMoved();
    EXPECT_EQ(frame->pointerSize(), c.size);
    EXPECT_EQ(frame->pointerPixmap().width(), 2 * c.size);
    EXPECT_EQ(Centre(*frame), centre);  // the frame stays put
  }
}

TEST_F(Pointer, InSizeModeACursorBackWhereItWasBeforeStillSetsTheSize) {
  // Back and forth between two places: each arrival counts, also the one at a place the cursor
  // left one motion ago.
  auto frame = Make({500, 400});
  EnterSizeMode(*frame);
  const QPoint centre = Centre(*frame);
  for (auto [offset, size] :
       {std::pair{QPoint(40, 0), 40}, {QPoint(20, 0), 20}, {QPoint(40, 0), 40}, {QPoint(20, 0), 20}}) {
    QCursor::setPos(centre + offset);
    frame->mouseHasMoved();
    EXPECT_EQ(frame->pointerSize(), size) << offset.x();
  }
}

TEST_F(Pointer, LeftPressInSizeModeStartsNoRing) {
  auto frame = Make({500, 400});
  EnterSizeMode(*frame);
  frame->mouseWasPressed(kLeftPress);
  EXPECT_FALSE(frame->isRingActive());
}

TEST_F(Pointer, MiddleReleaseLeavesSizeModeWithTheCursorBackAtTheAnchor) {
  auto frame = Make({500, 400});
  QCursor::setPos(480, 420);
  EnterSizeMode(*frame);
  QCursor::setPos(Centre(*frame) + QPoint(200, 0));
  frame->mouseHasMoved();
  frame->mouseWasPressed(kMiddleRelease);
  EXPECT_FALSE(frame->isResizing());
  EXPECT_EQ(QCursor::pos(), QPoint(480, 420));
  EXPECT_EQ(frame->pointerSize(), 64);  // the size stays
  // Following again.
  QCursor::setPos(300, 300);
  frame->mouseHasMoved();
  EXPECT_EQ(Centre(*frame), QPoint(300, 300));
  EXPECT_EQ(frame->pointerPixmap().width(), 128);
}

TEST_F(Pointer, ReleasingAVendorButtonEndsTheProgram) {
  struct Case {
    int code;
    bool quits;
  };
  const Case cases[] = {
      {7, true},  {9, true},   {11, true},  {13, true},  {15, true}, {2, false},  {5, false},  {6, false},
      {8, false}, {10, false}, {12, false}, {14, false}, {0, false}, {16, false}, {-1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    auto frame = Make({500, 400});
    frame->start(true);
    const int hiddenCount = platform::CursorDisplayCount();
    const int result = overlaytest::RunAndSee([&] { frame->mouseWasPressed(c.code); });
    EXPECT_EQ(result, c.quits ? 0 : overlaytest::kNotQuit);
    // Every code hides the cursor once more; ending shows it once.
    EXPECT_EQ(platform::CursorDisplayCount(), c.quits ? hiddenCount : hiddenCount - 1);
    EXPECT_FALSE(frame->isResizing());
    EXPECT_FALSE(frame->isRingActive());
    frame->hide();
  }
}

TEST_F(Pointer, DeviceCallbacksFromAnotherThreadReachTheSlots) {
  auto frame = Make({500, 400});
  QCursor::setPos(600, 450);
  std::thread device([&] {
    DeviceDescriptor remote;
    remote.vendorId = 3094;
    frame->onButtonEvent(remote, kMiddlePress);
    frame->onButtonEvent(remote, kMiddleRelease);
    frame->onMotion(remote, 5, -3);
  });
  device.join();
  EXPECT_EQ(frame->anchor(), QPoint(500, 400));  // queued, not run on the device's thread
  QTRY_COMPARE(Centre(*frame), QPoint(600, 450));
  EXPECT_EQ(frame->anchor(), QPoint(600, 450));
  EXPECT_FALSE(frame->isResizing());
}

TEST_F(Pointer, TakesOnTheRemotesVendorsOnly) {
  auto frame = Make({500, 400});
  for (auto [vendor, accepted] : {std::pair{3094u, true}, {1455u, true}, {0x25A7u, false}, {0u, false}}) {
    DeviceDescriptor device;
    device.vendorId = vendor;
    EXPECT_EQ(frame->acceptDevice(device), accepted) << vendor;
  }
}

// --- drawing ----------------------------------------------------------------------------------

TEST_F(Pointer, DrawsTheImageAtTheCentreAndNothingElse) {
  auto frame = Make({500, 400}, m_dir.filePath("blue.png"));
  const QImage image = Drawn(*frame);
  // The 32 x 32 image spans 78 ... 109 on both axes.
  for (QPoint inside : {QPoint(94, 94), QPoint(78, 78), QPoint(109, 109), QPoint(79, 108)}) {
    EXPECT_EQ(image.pixelColor(inside), QColor(Qt::blue)) << inside.x() << "," << inside.y();
  }
  for (QPoint outside : {QPoint(77, 94), QPoint(110, 94), QPoint(94, 77), QPoint(0, 0), QPoint(187, 187)}) {
    EXPECT_EQ(image.pixelColor(outside).alpha(), 0) << outside.x() << "," << outside.y();
  }
}

TEST_F(Pointer, DrawsTheRingInRedAroundTheImage) {
  auto frame = Make({500, 400}, m_dir.filePath("blue.png"));
  frame->mouseWasPressed(kLeftPress);
  for (int tick = 0; tick < 40; ++tick) frame->updateAnimRect();  // 79 pixels: 55 ... 133
  const QImage image = Drawn(*frame);
  for (QPoint onRing : {QPoint(55, 94), QPoint(133, 94), QPoint(94, 55), QPoint(94, 133)}) {
    const QColor colour = image.pixelColor(onRing);
    EXPECT_GT(colour.alpha(), 100) << onRing.x() << "," << onRing.y();
    EXPECT_EQ(colour.green(), 0);
    EXPECT_EQ(colour.blue(), 0);
  }
  EXPECT_EQ(image.pixelColor(94, 94), QColor(Qt::blue));
  for (QPoint between : {QPoint(66, 94), QPoint(94, 122), QPoint(60, 60), QPoint(20, 94)}) {
    EXPECT_EQ(image.pixelColor(between).alpha(), 0) << between.x() << "," << between.y();
  }
}

TEST_F(Pointer, WithoutAnImageOnlyTheRingIsDrawn) {
  auto frame = Make({500, 400}, m_dir.filePath("missing.png"));
  EXPECT_TRUE(frame->pointerPixmap().isNull());
  EXPECT_TRUE(Drawn(*frame).isNull() || Drawn(*frame) == [] {
    QImage empty(kSide, kSide, QImage::Format_ARGB32);
    empty.fill(Qt::transparent);
    return empty;
  }());
  frame->mouseWasPressed(kLeftPress);
  int ticks = 0;
  while (frame->isRingActive() && ticks < 100) {
    frame->updateAnimRect();
    ++ticks;
  }
  EXPECT_EQ(ticks, 30);
  EXPECT_EQ(frame->ringRectangle().width(), 59);
}

TEST_F(Pointer, SizeModeDrawsTheGuideTowardsTheCursor) {
  auto frame = Make({500, 400}, m_dir.filePath("blue.png"));
  EnterSizeMode(*frame);
  QCursor::setPos(Centre(*frame) + QPoint(0, -50));
  frame->mouseHasMoved();  // size 50: a 100-pixel image, 44 ... 143
  const QImage image = Drawn(*frame);
  // The circle of radius 50 around the centre crosses the axes 50 pixels out; the dot at the
  // guide's end sits on it, straight up; the image covers the centre.
  const QColor dot = image.pixelColor(94, 44);
  EXPECT_GT(dot.alpha(), 200);
  EXPECT_LT(dot.red() + dot.green(), 60);  // black over blue
  const QColor right = image.pixelColor(144, 94);
  EXPECT_GT(right.alpha(), 100);
  EXPECT_LT(right.red() + right.green() + right.blue(), 150);
  EXPECT_EQ(image.pixelColor(10, 10).alpha(), 0);
}

// --- click-through ----------------------------------------------------------------------------

TEST_F(Pointer, ClicksOnThePointerReachTheWindowBelow) {
  const std::string display = qEnvironmentVariable("DISPLAY").toStdString();
  testsupport::XButtonRecorder below;
  ASSERT_TRUE(below.Open(display, 100, 100, 400, 300)) << below.Error();
  Display* x = XOpenDisplay(display.c_str());
  ASSERT_NE(x, nullptr);
  const auto click = [&](QPoint at) {
    XTestFakeMotionEvent(x, 0, at.x(), at.y(), CurrentTime);
    XTestFakeButtonEvent(x, 1, True, CurrentTime);
    XTestFakeButtonEvent(x, 1, False, CurrentTime);
    XFlush(x);
  };

  auto frame = Make({300, 250});
  frame->start(true);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
  QTest::qWait(50);
  click({300, 250});
  EXPECT_EQ(below.Take(2, std::chrono::seconds(3)),
            (std::vector<testsupport::RecordedButton>{{true, 1, 200, 150}, {false, 1, 200, 150}}));

  // The same frame made clickable takes the click itself.
  frame->switchMouseTransMode();
  QTest::qWait(50);
  click({300, 250});
  EXPECT_TRUE(below.Take(1, std::chrono::milliseconds(500)).empty());
  frame->hide();
  XCloseDisplay(x);
}

}  // namespace

int main(int argc, char** argv) {
  return overlaytest::RunTests(argc, argv);
}
