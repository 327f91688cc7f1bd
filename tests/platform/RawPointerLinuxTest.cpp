// SPDX-License-Identifier: GPL-3.0-or-later
// Raw pointer input from the X server: XTest's virtual pointer moves and clicks, and every
// event reaches the monitor with Raw Input's flags. The source lookup runs on a device root.

#include "ServerRequired.h"
#include <gtest/gtest.h>
// After gtest: Xlib's macros (None, Bool) clash with its names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "platform/rawpointer.h"
#include "platform/linux/rawpointer.h"
#include "remotesim/RemoteSim.h"

namespace {

using namespace std::chrono_literals;

class Recorder {
 public:
  void Add(const platform::RawPointerEvent& event) {
    {
      std::lock_guard lock(m_lock);
      m_events.push_back(event);
    }
    m_changed.notify_all();
  }
  // Waits until an event satisfies `wanted`; returns everything up to and including it.
  template <typename Wanted>
  std::vector<platform::RawPointerEvent> Until(Wanted wanted, std::chrono::milliseconds timeout = 5s) {
    std::unique_lock lock(m_lock);
    std::vector<platform::RawPointerEvent> seen;
    m_changed.wait_for(lock, timeout, [&] {
      for (std::size_t i = 0; i < m_events.size(); ++i)
        if (wanted(m_events[i])) {
          seen.assign(m_events.begin(), m_events.begin() + long(i) + 1);
          m_events.erase(m_events.begin(), m_events.begin() + long(i) + 1);
          return true;
        }
      return false;
    });
    return seen;
  }

 private:
  std::mutex m_lock;
  std::condition_variable m_changed;
  std::vector<platform::RawPointerEvent> m_events;
};

class RawPointerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VELTRIO_NEED_SERVER(std::getenv("DISPLAY") ? "" : "no X display (DISPLAY)");
    display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    monitor =
        platform::RawPointerMonitor::Start([this](const platform::RawPointerEvent& e) { recorder.Add(e); });
    ASSERT_NE(monitor, nullptr);
    // Until the first event arrives the selection may not be in force yet.
    ASSERT_TRUE(WaitForMotion());
  }
  void TearDown() override {
    monitor.reset();
    if (display) XCloseDisplay(display);
  }

  bool WaitForMotion() {
    for (int attempt = 0; attempt < 50; ++attempt) {
      XTestFakeRelativeMotionEvent(display, 1, 0, 0);
      XFlush(display);
      if (!recorder.Until([](const auto& e) { return e.dx != 0; }, 100ms).empty()) return true;
    }
    return false;
  }

  void Button(unsigned button, bool press) {
    XTestFakeButtonEvent(display, button, press, 0);
    XFlush(display);
  }

  Display* display = nullptr;
  Recorder recorder;
  std::unique_ptr<platform::RawPointerMonitor> monitor;
};

TEST_F(RawPointerTest, MotionGivesTheRelativeDeltas) {
  XTestFakeRelativeMotionEvent(display, 7, -5, 0);
  XFlush(display);
  const auto seen = recorder.Until([](const auto& e) { return e.dx == 7 && e.dy == -5; });
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back().buttonFlags, 0);
  EXPECT_EQ(seen.back().device, "");  // XTest's pointer has no device node
}

TEST_F(RawPointerTest, ButtonsAndWheelAsRawInputFlags) {
  struct Case {
    unsigned button;
    bool press;
    std::uint16_t flags;
    std::uint16_t data;
  } cases[] = {
      {1, true, platform::kPointerLeftDown, 0},   {1, false, platform::kPointerLeftUp, 0},
      {2, true, platform::kPointerMiddleDown, 0}, {2, false, platform::kPointerMiddleUp, 0},
      {3, true, platform::kPointerRightDown, 0},  {3, false, platform::kPointerRightUp, 0},
      {4, true, platform::kPointerWheel, 120},    {5, true, platform::kPointerWheel, 0xFF88},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "button " << c.button << (c.press ? " press" : " release"));
    Button(c.button, c.press);
    if (c.button >= 4) Button(c.button, false);  // a wheel release gives nothing
    const auto seen = recorder.Until([](const auto& e) { return e.buttonFlags != 0; });
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().buttonFlags, c.flags);
    EXPECT_EQ(seen.back().buttonData, c.data);
    EXPECT_EQ(seen.back().rawButtons, 0u);
  }
}

TEST(RawPointerStart, WithoutDisplayThereIsNoMonitor) {
  const char* saved = std::getenv("DISPLAY");
  const std::string display = saved ? saved : "";
  ::setenv("DISPLAY", ":4711", 1);
  EXPECT_EQ(platform::RawPointerMonitor::Start([](const platform::RawPointerEvent&) {}), nullptr);
  if (display.empty())
    ::unsetenv("DISPLAY");
  else
    ::setenv("DISPLAY", display.c_str(), 1);
}

TEST(HidNodeOfInputNode, FollowsTheInputDeviceToItsHidrawNode) {
  remotesim::RemoteSim sim;
  const int remote = sim.AddOverlayRemote(16);
  const std::string overlayNode =
      sim.ExtraDevicePath(remote, 0).substr(0, sim.ExtraDevicePath(remote, 0).rfind('#'));
  EXPECT_EQ(platform::HidNodeOfInputNode(sim.ExtraDeviceEventNode(remote)), overlayNode);
  EXPECT_EQ(platform::HidNodeOfInputNode(sim.MouseEventNode()), sim.MousePath());
  // The property names the real /dev; only the node's name counts.
  const std::string name = sim.MouseEventNode().substr(sim.MouseEventNode().rfind('/') + 1);
  EXPECT_EQ(platform::HidNodeOfInputNode("/dev/input/" + name), sim.MousePath());
  EXPECT_EQ(platform::HidNodeOfInputNode("/dev/input/event999"), "");
  EXPECT_EQ(platform::HidNodeOfInputNode("/dev/input/mouse0"), "");
  EXPECT_EQ(platform::HidNodeOfInputNode(""), "");
}

}  // namespace
