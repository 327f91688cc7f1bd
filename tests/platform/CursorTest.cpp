// SPDX-License-Identifier: GPL-3.0-or-later
// The counted cursor and click-through windows, on an X server of the test's own.

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/shape.h>

#include <cstdlib>
#include <thread>
#include <vector>

#include "PrivateXServer.h"
#include "platform/cursor.h"

namespace {

testsupport::PrivateXServer* g_server = nullptr;

class Cursor : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    g_server = new testsupport::PrivateXServer;
    if (g_server->Start()) ::setenv("DISPLAY", g_server->Display().c_str(), 1);
  }
  static void TearDownTestSuite() {
    delete g_server;
    g_server = nullptr;
  }
  void SetUp() override {
    ASSERT_FALSE(g_server->Display().empty()) << g_server->Error();
    m_display = XOpenDisplay(g_server->Display().c_str());
    ASSERT_NE(m_display, nullptr);
  }
  void TearDown() override {
    if (m_display) XCloseDisplay(m_display);
  }

  Window MapWindow() {
    Window window = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 10, 10, 120, 80, 0, 0, 0);
    XMapWindow(m_display, window);
    XSync(m_display, False);
    return window;
  }

  std::vector<XRectangle> InputShape(Window window) {
    int count = 0, ordering = 0;
    XRectangle* rectangles = XShapeGetRectangles(m_display, window, ShapeInput, &count, &ordering);
    std::vector<XRectangle> shape(rectangles, rectangles + count);
    if (rectangles) XFree(rectangles);
    return shape;
  }

  Display* m_display = nullptr;
};

struct CountCase {
  const char* name;
  std::vector<bool> calls;  // ShowCursor arguments, in order
  std::vector<int> counts;  // the count after each, relative to the start
};

TEST_F(Cursor, DisplayCountFollowsEveryCall) {
  const CountCase cases[] = {
      {"a hide lowers the count below zero", {false}, {-1}},
      {"two hides need two shows", {false, false, true, true}, {-1, -2, -1, 0}},
      {"a show before hiding keeps the cursor visible", {true, false}, {1, 0}},
  };
  for (const CountCase& c : cases) {
    SCOPED_TRACE(c.name);
    const int start = platform::CursorDisplayCount();
    for (size_t i = 0; i < c.calls.size(); ++i) {
      EXPECT_EQ(platform::ShowCursor(c.calls[i]), start + c.counts[i]) << "call " << i;
    }
    EXPECT_EQ(platform::CursorDisplayCount(), start + c.counts.back());
    // Back to where the case started.
    while (platform::CursorDisplayCount() < start) platform::ShowCursor(true);
    while (platform::CursorDisplayCount() > start) platform::ShowCursor(false);
  }
}

TEST_F(Cursor, CallsFromSeveralThreadsAreCountedEach) {
  const int start = platform::CursorDisplayCount();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 200; ++i) {
        platform::ShowCursor(false);
        platform::ShowCursor(true);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(platform::CursorDisplayCount(), start);
}

TEST_F(Cursor, ToggledTwiceTheWindowIsAsBefore) {
  const Window window = MapWindow();
  const std::vector<XRectangle> before = InputShape(window);
  ASSERT_EQ(before.size(), 1u);
  EXPECT_FALSE(platform::IsClickThrough(window));

  EXPECT_TRUE(platform::ToggleClickThrough(window));
  EXPECT_TRUE(platform::IsClickThrough(window));
  EXPECT_TRUE(InputShape(window).empty());

  EXPECT_FALSE(platform::ToggleClickThrough(window));
  EXPECT_FALSE(platform::IsClickThrough(window));
  const std::vector<XRectangle> after = InputShape(window);
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0].width, before[0].width);
  EXPECT_EQ(after[0].height, before[0].height);
}

TEST_F(Cursor, ToggleStartsFromTheWindowsOwnState) {
  // A window that lets clicks through already becomes clickable on the first toggle.
  const Window window = MapWindow();
  ASSERT_TRUE(platform::SetClickThrough(window, true));
  ASSERT_TRUE(platform::SetClickThrough(window, true));  // setting it twice is no toggle
  EXPECT_TRUE(platform::IsClickThrough(window));
  EXPECT_FALSE(platform::ToggleClickThrough(window));
  EXPECT_FALSE(platform::IsClickThrough(window));
}

TEST_F(Cursor, AWindowThatDoesNotExistChangesNothing) {
  const Window window = MapWindow();
  XDestroyWindow(m_display, window);
  XSync(m_display, False);
  EXPECT_FALSE(platform::IsClickThrough(window));
  EXPECT_FALSE(platform::SetClickThrough(window, true));
  EXPECT_FALSE(platform::ToggleClickThrough(window));
  // The connection survived the errors.
  const Window other = MapWindow();
  EXPECT_TRUE(platform::ToggleClickThrough(other));
}

}  // namespace
