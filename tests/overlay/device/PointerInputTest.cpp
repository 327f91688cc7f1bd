// SPDX-License-Identifier: GPL-3.0-or-later
// The raw input of every mouse reaches every listener: XTest's pointer on the test X server
// moves and clicks, and the listeners see motion, buttons and the wheel in that order.

#include "ServerRequired.h"
#include <gtest/gtest.h>
// After gtest: Xlib's macros (None, Bool) clash with its names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cstdlib>
#include <memory>

#include "RecordingListener.h"
#include "device/HIDEventsThread.h"

namespace {

using namespace std::chrono_literals;

class PointerInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VELTRIO_NEED_SERVER(std::getenv("DISPLAY") ? "" : "no X display (DISPLAY)");
    display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    for (auto& listener : listeners) {
      listener = std::make_unique<RecordingListener>();
      listener->startListening();
    }
    // The selection of raw events is in force once a first motion comes through.
    bool through = false;
    for (int attempt = 0; attempt < 50 && !through; ++attempt) {
      Move(1, 0);
      through = !listeners[1]->WaitFor("motion", 1, 100ms).empty();
    }
    ASSERT_TRUE(through);
    for (auto& listener : listeners) {
      listener->WaitFor("motion", 1);
      listener->Clear();
    }
  }
  void TearDown() override {
    for (auto& listener : listeners) listener.reset();
    if (display) XCloseDisplay(display);
  }

  void Move(int dx, int dy) {
    XTestFakeRelativeMotionEvent(display, dx, dy, 0);
    XFlush(display);
  }
  void Button(unsigned button, bool press) {
    XTestFakeButtonEvent(display, button, press, 0);
    XFlush(display);
  }

  HIDEventsThread events;
  Display* display = nullptr;
  std::unique_ptr<RecordingListener> listeners[2];
};

TEST_F(PointerInputTest, EveryListenerReceivesMotionOfAnyMouse) {
  Move(6, -2);
  for (auto& listener : listeners) {
    ASSERT_TRUE(
        listener->WaitUntil([](const Callback& c) { return c.kind == "motion" && c.a == 6 && c.b == -2; }));
    const Callback motion = listener->Of("motion").back();
    EXPECT_EQ(motion.device.version, "-1");  // no group of the listener's
    EXPECT_EQ(motion.device.groupId, 0u);
  }
}

TEST_F(PointerInputTest, ButtonsThenWheelInOrder) {
  Button(1, true);
  Button(4, true);
  Button(4, false);
  Button(1, false);
  Button(3, true);
  Button(5, true);
  Button(5, false);
  Button(3, false);
  for (auto& listener : listeners) {
    ASSERT_EQ(listener->WaitFor("button", 4).size(), 4u);
    ASSERT_EQ(listener->WaitFor("wheel", 2).size(), 2u);
    std::vector<std::string> order;
    for (const Callback& c : listener->All())
      if (c.kind != "motion") order.push_back(c.kind + " " + std::to_string(c.a));
    EXPECT_EQ(order, (std::vector<std::string>{"button 1", "wheel 120", "button 2", "button 5", "wheel 65416",
                                               "button 6"}));
  }
}

}  // namespace
