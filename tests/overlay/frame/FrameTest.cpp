// SPDX-License-Identifier: GPL-3.0-or-later
// The overlays' frame layer: what the application object prepares, where a frame goes, how the
// engines paint, and the overlay frame's keys, click-through and cursor.

#include <gtest/gtest.h>

#include <QCursor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <set>

#include "OverlayTestApp.h"
#include "frame/ActionFrame.h"
#include "frame/DornicApplication.h"
#include "frame/FrameEngineRT.h"
#include "frame/FrameEngineSS.h"
#include "frame/OsInput.h"
#include "frame/RemoteVendors.h"
#include "platform/cursor.h"

namespace {

using Helpers::MQt::DornicApplication;
using Helpers::MQt::kTranslucentEngine;
using VtAction::Frame::ActionFrame;

DornicApplication* App() {
  return static_cast<DornicApplication*>(QCoreApplication::instance());
}

// A frame whose content is a green square in the middle; counts its clicks.
class GreenFrame : public ActionFrame {
 public:
  using ActionFrame::ActionFrame;
  void draw(QPaintDevice* device) override {
    QPainter painter(device);
    painter.fillRect(QRect(QPoint(0, 0), size()).adjusted(20, 20, -20, -20), Qt::green);
  }
  void mouseClicked() override { ++clicks; }
  int clicks = 0;
};

// --- start-up ---------------------------------------------------------------------------------

TEST(Startup, TheProgramsFolderIsTheCurrentFolder) {
  EXPECT_EQ(QDir::current().absolutePath(), QDir(QCoreApplication::applicationDirPath()).absolutePath());
}

TEST(Startup, TheResourceFileProvidesEveryImage) {
  EXPECT_EQ(App()->instanceId(), "VTaPointer");
  EXPECT_EQ(App()->registeredResourceFile(), VELTRIO_OVERLAY_RCC);
  for (const char* path :
       {":/resource/action/defaultpointer.png", ":/resource/action/gyrovolume/Img/scrollbg.png",
        ":/resource/action/gyrovolume/Img/scrollfg.png",
        ":/resource/action/gyrovolume/Img/scrollVolume.png"}) {
    SCOPED_TRACE(path);
    const QPixmap image(path);
    EXPECT_FALSE(image.isNull());
  }
}

TEST(Startup, OnlyFontFilesAreOfferedToTheFontDatabase) {
  // The program's folder stands in for a missing font folder; installed, that is /usr/bin.
  QTemporaryDir folder;
  for (const char* name : {"Sans.ttf", "Serif.OTF", "Mono.ttc", "Type1.pfb", "Web.woff2", "VtaPointer",
                           "libQt6Gui.so.6", "notes.txt", "ttf"}) {
    QFile file(folder.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  ASSERT_TRUE(QDir(folder.path()).mkdir("Folder.ttf"));  // files only

  const QStringList offered = DornicApplication::fontFilesIn(QDir(folder.path()));
  EXPECT_EQ(std::set<QString>(offered.begin(), offered.end()),
            (std::set<QString>{"Sans.ttf", "Serif.OTF", "Mono.ttc", "Type1.pfb", "Web.woff2"}));
}

// --- frame geometry and engines ---------------------------------------------------------------

TEST(TransparentFrame, SizeAndPlaceOnTheScreenUnderTheCursor) {
  struct Case {
    int width, height;
    QSize expected;
  };
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  ASSERT_EQ(screen.size(), QSize(overlaytest::kScreenWidth, overlaytest::kScreenHeight));
  const Case cases[] = {
      {300, 200, {300, 200}},
      {0, 0, screen.size()},
      {0, 50, screen.size()},
      {50, 0, screen.size()},
  };
  QCursor::setPos(600, 400);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    GreenFrame frame(nullptr, kTranslucentEngine, c.width, c.height);
    EXPECT_EQ(frame.size(), c.expected);
    EXPECT_EQ(frame.pos(), screen.topLeft());
  }
}

TEST(TransparentFrame, EngineKindChoosesTranslucentOrScreenshotPainting) {
  GreenFrame translucent(nullptr, kTranslucentEngine, 100, 80);
  EXPECT_NE(dynamic_cast<Helpers::MQt::FrameEngineRT*>(translucent.frameEngine()), nullptr);
  EXPECT_TRUE(translucent.testAttribute(Qt::WA_TranslucentBackground));
  EXPECT_EQ(translucent.frameEngine()->background(), nullptr);

  GreenFrame opaque(nullptr, 0, 100, 80);
  EXPECT_NE(dynamic_cast<Helpers::MQt::FrameEngineSS*>(opaque.frameEngine()), nullptr);
  EXPECT_TRUE(opaque.testAttribute(Qt::WA_OpaquePaintEvent));
  ASSERT_NE(opaque.frameEngine()->background(), nullptr);
  EXPECT_EQ(opaque.frameEngine()->background()->size(), QSize(100, 80));
}

TEST(TransparentFrame, ScreenshotEnginePaintsTheBackgroundUnderTheContent) {
  GreenFrame frame(nullptr, 0, 100, 80);
  QPixmap* background = frame.frameEngine()->background();
  background->fill(Qt::blue);  // a known screenshot

  for (int enabled : {1, 0}) {
    SCOPED_TRACE(enabled);
    frame.frameEngine()->setBackgroundEnabled(enabled);
    QImage image(100, 80, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    frame.frameEngine()->paint(&image);
    EXPECT_EQ(image.pixelColor(50, 40), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(2, 2), enabled ? QColor(Qt::blue) : QColor(Qt::transparent));
  }
}

// --- the overlay frame ------------------------------------------------------------------------

TEST(ActionFrame, IsAFramelessTopLevelWindowThatStaysOnTop) {
  GreenFrame frame(nullptr, kTranslucentEngine, 120, 90);
  EXPECT_TRUE(frame.isWindow());
  EXPECT_TRUE(frame.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(frame.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(frame.testAttribute(Qt::WA_ShowWithoutActivating));
  EXPECT_TRUE(frame.testAttribute(Qt::WA_QuitOnClose));
  EXPECT_FALSE(frame.isVisible());

  frame.start(false);
  EXPECT_TRUE(frame.isVisible());
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&frame));
  frame.hide();
}

TEST(ActionFrame, SwitchingClickThroughTwiceRestoresTheWindow) {
  GreenFrame frame(nullptr, kTranslucentEngine, 120, 90);
  const auto window = static_cast<platform::NativeWindow>(frame.winId());
  const bool before = platform::IsClickThrough(window);
  frame.switchMouseTransMode();
  EXPECT_TRUE(frame.isClickThrough());
  EXPECT_NE(platform::IsClickThrough(window), before);
  frame.switchMouseTransMode();
  EXPECT_FALSE(frame.isClickThrough());
  EXPECT_EQ(platform::IsClickThrough(window), before);
}

TEST(ActionFrame, EscapeEndsTheProgramAndOtherKeysDoNothing) {
  struct Case {
    Qt::Key key;
    int loopResult;
  };
  const Case cases[] = {
      {Qt::Key_Escape, 0},
      {Qt::Key_A, overlaytest::kNotQuit},
      {Qt::Key_Return, overlaytest::kNotQuit},
      {Qt::Key_Space, overlaytest::kNotQuit},
      {Qt::Key_Q, overlaytest::kNotQuit},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(QKeySequence(c.key).toString().toStdString());
    GreenFrame frame(nullptr, kTranslucentEngine, 120, 90);
    frame.start(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    EXPECT_EQ(overlaytest::RunAndSee([&] { QTest::keyClick(&frame, c.key); }), c.loopResult);
    // Quitting closes the windows; a key that does nothing leaves the frame up.
    EXPECT_EQ(frame.isVisible(), c.loopResult != 0);
    frame.hide();
  }
}

TEST(ActionFrame, CloseActionAndClosingTheWindowEndTheProgram) {
  for (bool byClosing : {false, true}) {
    SCOPED_TRACE(byClosing ? "closing the window" : "closeAction");
    GreenFrame frame(nullptr, kTranslucentEngine, 120, 90);
    frame.start(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    EXPECT_EQ(overlaytest::RunAndSee([&] { byClosing ? (void)frame.close() : frame.closeAction(); }), 0);
  }
}

TEST(ActionFrame, AMousePressReachesMouseClicked) {
  GreenFrame frame(nullptr, kTranslucentEngine, 120, 90);
  frame.start(true);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
  QTest::mouseClick(&frame, Qt::LeftButton, {}, QPoint(60, 45));
  EXPECT_EQ(frame.clicks, 1);
  frame.hide();
}

// --- cursor and devices -----------------------------------------------------------------------

TEST(OsInput, HidingLowersTheCountBelowZeroAndOneShowDoesNotUndoTwoHides) {
  struct Case {
    const char* name;
    int startCount;
    bool show;
    int expected;
  };
  const Case cases[] = {
      {"hide from visible", 0, false, -1}, {"hide from shown twice", 2, false, -1},
      {"hide when hidden", -1, false, -2}, {"show after two hides", -2, true, -1},
      {"show when visible", 0, true, 1},
  };
  osUtils::OsInput input;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    while (platform::CursorDisplayCount() < c.startCount) platform::ShowCursor(true);
    while (platform::CursorDisplayCount() > c.startCount) platform::ShowCursor(false);
    input.showCursor(c.show);
    EXPECT_EQ(platform::CursorDisplayCount(), c.expected);
  }
  while (platform::CursorDisplayCount() < 0) platform::ShowCursor(true);
}

TEST(RemoteVendors, OnlyTheRemotesVendorsAreTakenOn) {
  EXPECT_TRUE(VtAction::Frame::isRemoteVendor(3094));
  EXPECT_TRUE(VtAction::Frame::isRemoteVendor(0x05AF));
  for (std::uint32_t other : {0u, 3095u, 1454u, 0x25A7u, 0xFFFFFFFFu}) {
    EXPECT_FALSE(VtAction::Frame::isRemoteVendor(other)) << other;
  }
}

}  // namespace

int main(int argc, char** argv) {
  return overlaytest::RunTests(argc, argv);
}
