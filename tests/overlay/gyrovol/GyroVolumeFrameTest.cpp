// SPDX-License-Identifier: GPL-3.0-or-later
// The air volume frame in this process, under an X server of its own (the frame follows every
// pointer's raw motion, so tests beside it that move theirs must not reach it) and the test
// run's sound server. Built
// twice: with the endpoint method, and (GYROVOL_TEST_MIXER) with the mixer method, ALSA's pulse
// plugin reaching the server that the endpoint cannot.

#include "ServerRequired.h"
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QImage>
#include <QWidget>
#include <QWindow>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>

#include "GyroVolumeFrame.h"
#include "PrivateXServer.h"
#include "VolumeControl.h"
#include "device/HIDEventsThread.h"
#include "soundserver/SoundServer.h"

namespace {

using VtAction::Frame::GyroVolumeFrame;

constexpr QPoint kStartCursor(100, 100);

// Started with the application, ended at exit after it.
testsupport::PrivateXServer& XServer() {
  static testsupport::PrivateXServer server;
  return server;
}

bool StartXServer() {
  static const bool started = [] {
    if (!XServer().Start("1280x800x24")) return false;
    ::setenv("DISPLAY", XServer().Display().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ::unsetenv("WAYLAND_DISPLAY");
    return true;
  }();
  return started;
}

QApplication& App() {
  static int argc = 1;
  static char name[] = "gyrovol_frame_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

// Runs the event loop until `done` holds or a few seconds have passed.
bool Eventually(const std::function<bool()>& done) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > 5000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

bool Near(double a, double b) {
  return std::abs(a - b) < 5e-4;
}

// Counts the close actions it is asked for; the base class's runs as well.
class TestFrame : public GyroVolumeFrame {
 public:
  TestFrame() : GyroVolumeFrame(nullptr, 0, 0) {}
  void closeAction() override {
    ++closes;
    GyroVolumeFrame::closeAction();
  }
  int closes = 0;
};

class GyroVolumeFrameTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
#ifdef GYROVOL_TEST_MIXER
    soundserver::UseAlsaThrough(soundserver::Address());
#endif
  }

  void SetUp() override {
    ASSERT_TRUE(StartXServer()) << XServer().Error();
#ifdef GYROVOL_TEST_MIXER
    VELTRIO_NEED_SERVER(soundserver::WhyNoAlsaThroughServer());
    ASSERT_FALSE(VolumeControl().usesEndpoint());
#else
    VELTRIO_NEED_SERVER(soundserver::WhyNoServer());
#endif
    App();
    ASSERT_TRUE(soundserver::PactlOk("set-sink-volume @DEFAULT_SINK@ 50%"));
    ASSERT_TRUE(soundserver::PactlOk("set-sink-mute @DEFAULT_SINK@ 0"));
    QCursor::setPos(kStartCursor);
    frame = std::make_unique<TestFrame>();
  }

  void TearDown() override {
    if (frame) frame->releaseMouse();
    frame.reset();
    QCoreApplication::processEvents();
  }

  // Starts the frame and waits until it is on screen, where repaints paint at once.
  void Start() {
    frame->start();
    ASSERT_TRUE(Eventually([&] { return frame->windowHandle() && frame->windowHandle()->isExposed(); }));
  }

  // Sets the level from outside and waits until the frame has read it.
  void StartAt(double level) {
    const long raw = std::lround(level * 65536);
    ASSERT_TRUE(soundserver::PactlOk("set-sink-volume @DEFAULT_SINK@ " + std::to_string(raw)));
    ASSERT_TRUE(Eventually([&] {
      frame->update();
      return Near(frame->shownLevel(), level);
    })) << "the frame reads "
        << frame->shownLevel() << ", not " << level;
  }

  // The frame as painted, on a transparent image of its size.
  QImage Render() {
    QImage image(frame->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    frame->draw(&image);
    return image;
  }

  HIDEventsThread events;
  std::unique_ptr<TestFrame> frame;
};

bool IsRed(QRgb pixel) {
  return qRed(pixel) > 200 && qGreen(pixel) < 80 && qBlue(pixel) < 80;
}
bool IsGreen(QRgb pixel) {
  return qGreen(pixel) > 150 && qRed(pixel) < 80 && qBlue(pixel) < 80;
}

TEST_F(GyroVolumeFrameTest, StandsFullHeightAtTheRightEdgeOfTheScreen) {
  // The screen is 1280 x 800: the frame is trunc(0.11 * 800) = 88 wide.
  EXPECT_EQ(frame->geometry(), QRect(1280 - 88, 0, 88, 800));
  EXPECT_EQ(frame->centrePoint(), QPoint(1280 - 44, 400));
  Start();
  EXPECT_TRUE(frame->isVisible());
  EXPECT_EQ(QCursor::pos(), frame->centrePoint());
  EXPECT_EQ(QWidget::mouseGrabber(), frame.get());
  EXPECT_TRUE(Near(frame->shownLevel(), 0.5));
}

TEST_F(GyroVolumeFrameTest, VerticalMotionMovesTheLevelAndTheCursorBack) {
  struct Case {
    double from;
    QPoint move;
    double to;
  } cases[] = {
      {0.5, {0, -50}, 0.55},  {0.5, {0, 20}, 0.48},
      {0.3, {25, -10}, 0.31}, {0.999, {0, -5}, 1.0},  // overshooting the top still reaches it
      {1.0, {0, -40}, 1.0},   {0.002, {0, 5}, 0.0},   // and the bottom
  };
  Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from << " moved by " << c.move.y());
    StartAt(c.from);
    QCursor::setPos(frame->centrePoint() + c.move);
    frame->mouseHasMoved();
    EXPECT_TRUE(Near(frame->shownLevel(), c.to)) << "shown " << frame->shownLevel();
    EXPECT_TRUE(
        Eventually([&] { return std::abs(soundserver::DefaultSink().loudest - c.to * 65536) < 100; }));
    EXPECT_EQ(QCursor::pos(), frame->centrePoint());
  }
}

TEST_F(GyroVolumeFrameTest, HorizontalMotionAloneChangesNothing) {
  Start();
  const QPoint aside = frame->centrePoint() + QPoint(-30, 0);
  QCursor::setPos(aside);
  frame->mouseHasMoved();
  EXPECT_TRUE(Near(frame->shownLevel(), 0.5));
  EXPECT_EQ(QCursor::pos(), aside);  // not put back either
}

TEST_F(GyroVolumeFrameTest, MotionFromTheDeviceThreadIsQueuedToTheFrame) {
  Start();
  QCursor::setPos(frame->centrePoint() + QPoint(0, -100));
  std::thread([&] { frame->onMotion(DeviceDescriptor{}, 0, -100); }).join();
  EXPECT_TRUE(Eventually([&] { return Near(frame->shownLevel(), 0.6); })) << frame->shownLevel();
}

TEST_F(GyroVolumeFrameTest, LeftPressTogglesMuteAndTheRedCross) {
  Start();
  // The cross crosses in the middle of the icon.
  const QPoint middle(frame->width() / 2 + 4, 697);
  EXPECT_FALSE(IsRed(Render().pixel(middle)));
  for (bool muted : {true, false}) {
    std::thread([&] { frame->onButtonEvent(DeviceDescriptor{}, 1); }).join();
    ASSERT_TRUE(Eventually([&] { return frame->shownMuted() == muted; }));
    EXPECT_TRUE(Eventually([&] { return soundserver::DefaultSink().muted == muted; }));
    EXPECT_EQ(IsRed(Render().pixel(middle)), muted) << "muted " << muted;
  }
  EXPECT_EQ(frame->closes, 0);
}

TEST_F(GyroVolumeFrameTest, TheFillRisesFromTheBottomOfTheScaleToTheLevel) {
  Start();
  // The scale runs from y 125 to 675 in the frame; the band between 139 and 656.
  const int x = 50;
  struct Case {
    double level;
    bool greenNearTop, greenNearBottom;
  } cases[] = {{0.0, false, false}, {0.5, false, true}, {1.0, true, true}};
  for (const Case& c : cases) {
    StartAt(c.level);
    const QImage image = Render();
    EXPECT_EQ(IsGreen(image.pixel(x, 145)), c.greenNearTop) << c.level;
    EXPECT_EQ(IsGreen(image.pixel(x, 650)), c.greenNearBottom) << c.level;
  }
}

TEST_F(GyroVolumeFrameTest, ButtonsThatCloseAndButtonsThatDoNot) {
  struct Case {
    MouseButtonEvent_t code;
    bool closes;
  } cases[] = {
      {2, false}, {3, true},   {4, true},  {5, false},  {6, true},  {7, false},  {8, true},  {9, false},
      {10, true}, {11, false}, {12, true}, {13, false}, {14, true}, {15, false}, {0, false}, {99, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "code " << c.code);
    frame.reset();
    QCursor::setPos(kStartCursor);
    frame = std::make_unique<TestFrame>();
    Start();
    frame->mouseWasPressed(c.code);
    EXPECT_EQ(frame->closes, c.closes ? 1 : 0);
    // Closing gives the cursor and the mouse back.
    EXPECT_EQ(QCursor::pos(), c.closes ? kStartCursor : frame->centrePoint());
    EXPECT_EQ(QWidget::mouseGrabber() == frame.get(), !c.closes);
  }
}

TEST_F(GyroVolumeFrameTest, AChangeMadeElsewhereShowsAtTheNextRefresh) {
  Start();
  ASSERT_TRUE(soundserver::PactlOk("set-sink-volume @DEFAULT_SINK@ 30%"));
  ASSERT_TRUE(soundserver::PactlOk("set-sink-mute @DEFAULT_SINK@ 1"));
  // Nothing but the refresh timer repaints here.
  EXPECT_TRUE(Eventually([&] { return Near(frame->shownLevel(), 0.3) && frame->shownMuted(); }))
      << frame->shownLevel();
}

}  // namespace
