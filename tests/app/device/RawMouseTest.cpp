// SPDX-License-Identifier: GPL-3.0-or-later
// Raw mouse ticks of the remote, and only the remote, from a simulated receiver.

#include "platform/rawmouse.h"
#include "remotesim/RemoteSim.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

class TickRecorder {
 public:
  void operator()(const platform::RawMouseTick& tick) {
    std::lock_guard lock(m_mutex);
    m_ticks.push_back(tick);
    m_changed.notify_all();
  }
  bool WaitFor(size_t count, std::chrono::milliseconds timeout = 5s) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_ticks.size() >= count; });
  }
  std::vector<platform::RawMouseTick> Ticks() {
    std::lock_guard lock(m_mutex);
    return m_ticks;
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<platform::RawMouseTick> m_ticks;
};

// Waits until the monitor has `count` devices open.
bool WaitForOpen(const platform::RawMouseMonitor& monitor, int count) {
  for (int i = 0; i < 500; ++i) {
    if (monitor.OpenDevices() == count) return true;
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

std::unique_ptr<platform::RawMouseMonitor> Watch(TickRecorder& recorder) {
  return platform::RawMouseMonitor::Start(remotesim::kVendorId, remotesim::kProductId,
                                          [&](const platform::RawMouseTick& t) { recorder(t); });
}

TEST(RawMouseTest, OneTickPerMoveWithTheRemotesIdentity) {
  remotesim::RemoteSim sim;
  TickRecorder recorder;
  auto monitor = Watch(recorder);
  ASSERT_TRUE(monitor);
  ASSERT_TRUE(WaitForOpen(*monitor, 1));
  sim.Move(25, -3);
  sim.Move(-40, 7);
  ASSERT_TRUE(recorder.WaitFor(2));
  auto ticks = recorder.Ticks();
  ASSERT_EQ(ticks.size(), 2u);
  EXPECT_EQ(ticks[0].vendorId, remotesim::kVendorId);
  EXPECT_EQ(ticks[0].productId, remotesim::kProductId);
  EXPECT_EQ(ticks[0].device, sim.MouseEventNode());
  EXPECT_EQ(ticks[0].dx, 25);
  EXPECT_EQ(ticks[0].dy, -3);
  EXPECT_EQ(ticks[1].dx, -40);
}

TEST(RawMouseTest, AnotherMouseIsNeverRead) {
  remotesim::RemoteSim sim;
  int other = sim.AddDevice(remotesim::ExtraDevice::OtherMouse);
  (void)other;
  TickRecorder recorder;
  auto monitor = Watch(recorder);
  ASSERT_TRUE(monitor);
  ASSERT_TRUE(WaitForOpen(*monitor, 1)) << "only the remote's mouse is opened";
  sim.Move(5, 5);
  ASSERT_TRUE(recorder.WaitFor(1));
  for (const auto& tick : recorder.Ticks()) EXPECT_EQ(tick.device, sim.MouseEventNode());
}

TEST(RawMouseTest, FollowsUnplugAndPlug) {
  remotesim::RemoteSim::Options options;
  options.plugged = false;
  remotesim::RemoteSim sim(options);
  TickRecorder recorder;
  auto monitor = Watch(recorder);
  ASSERT_TRUE(monitor);
  EXPECT_EQ(monitor->OpenDevices(), 0);

  sim.Plug();
  ASSERT_TRUE(WaitForOpen(*monitor, 1)) << "a remote plugged in later is found";
  sim.Move(30, 0);
  ASSERT_TRUE(recorder.WaitFor(1));

  sim.Unplug();
  ASSERT_TRUE(WaitForOpen(*monitor, 0));
  sim.Plug();
  ASSERT_TRUE(WaitForOpen(*monitor, 1)) << "and again after it was unplugged";
  sim.Move(0, 30);
  ASSERT_TRUE(recorder.WaitFor(2));
  EXPECT_EQ(recorder.Ticks().back().dy, 30);
}

}  // namespace
