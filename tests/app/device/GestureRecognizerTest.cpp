// SPDX-License-Identifier: GPL-3.0-or-later
// Swipes from tables of samples.

#include "device/DeviceEvents.h"
#include "device/GestureRecognizer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Sample {
  int x, y;
};

class GestureTest : public ::testing::Test {
 protected:
  void SetUp() override { g_bGestureArmed = false; }

  // Feeds samples with the gesture key held; returns the swipes raised.
  std::vector<int> Feed(const std::vector<Sample>& samples, bool gestureKey = true, bool enabled = true) {
    std::vector<int> swipes;
    for (const Sample& s : samples) {
      auto result = recognizer.Tick(enabled, s.x, s.y, /*linked=*/true, gestureKey, /*haveTarget=*/true);
      if (result.swipeCode) swipes.push_back(result.swipeCode);
    }
    return swipes;
  }
  static std::vector<Sample> Repeat(Sample s, int n) { return std::vector<Sample>(n, s); }

  CGestureRecognizer recognizer;
};

TEST_F(GestureTest, TheSeventhQualifyingSampleFires) {
  struct Case { Sample sample; int code; };
  const Case cases[] = {
      {{0, -30}, kEventSwipeUp},       {{30, -30}, kEventSwipeUpRight}, {{30, 0}, kEventSwipeRight},
      {{30, 30}, kEventSwipeDownRight}, {{0, 30}, kEventSwipeDown},    {{-30, 30}, kEventSwipeDownLeft},
      {{-30, 0}, kEventSwipeLeft},     {{-30, -30}, kEventSwipeUpLeft},
      // The threshold edges: 19 qualifies, -19 is left at 180 degrees.
      {{19, 0}, kEventSwipeRight},     {{-19, 0}, kEventSwipeLeft},     {{0, 19}, kEventSwipeDown},
      {{-30, -1}, kEventSwipeLeft},    {{-30, 1}, kEventSwipeLeft},
  };
  for (const Case& c : cases) {
    CGestureRecognizer fresh;
    recognizer = fresh;
    EXPECT_EQ(Feed(Repeat(c.sample, 6)), std::vector<int>{}) << c.sample.x << "," << c.sample.y;
    EXPECT_EQ(Feed(Repeat(c.sample, 1)), std::vector<int>{c.code}) << c.sample.x << "," << c.sample.y;
    EXPECT_TRUE(recognizer.m_samples[c.code - kEventSwipeUp].empty()) << "the seventh sample is not stored";
    EXPECT_FALSE(recognizer.m_bEnablePost);
  }
}

TEST_F(GestureTest, SamplesOnOrBelowTheThresholdsNeverQualify) {
  const Sample samples[] = {
      {18, 0}, {-18, 0}, {0, 18}, {0, -18},  // the deltas must be strictly beyond 18
      {100, 15},                              // 8.5 degrees: outside right, below down-right
      {40, 20},                               // 26.6 degrees: between right and down-right
      {18, 18},                               // 45 degrees, but not beyond 18
      {19, -19}, {19, -19},                   // up-right needs y < -18 and x > 18: this one does
  };
  std::vector<Sample> none(samples, samples + 7);
  for (Sample s : none) {
    CGestureRecognizer fresh;
    recognizer = fresh;
    EXPECT_EQ(Feed(Repeat(s, 20)), std::vector<int>{}) << s.x << "," << s.y;
  }
  EXPECT_EQ(Feed(Repeat({19, -19}, 7)), std::vector<int>{kEventSwipeUpRight});
}

TEST_F(GestureTest, DirectionsFillIndependently) {
  std::vector<Sample> alternating;
  for (int i = 0; i < 6; ++i) {
    alternating.push_back({0, -40});
    alternating.push_back({40, 0});
  }
  EXPECT_EQ(Feed(alternating), std::vector<int>{});
  EXPECT_EQ(Feed({{40, 0}}), std::vector<int>{kEventSwipeRight}) << "the first list to reach seven fires";
  EXPECT_EQ(recognizer.m_samples[0].size(), 6u) << "the up samples survive";
}

TEST_F(GestureTest, NoSecondSwipeUntilTheRemoteIsQuiet) {
  EXPECT_EQ(Feed(Repeat({40, 0}, 7)), std::vector<int>{kEventSwipeRight});
  auto tick = recognizer.Tick(true, 40, 0, true, true, true);
  EXPECT_TRUE(tick.restartQuietTimer) << "each report of the remote restarts the quiet timer";
  EXPECT_EQ(Feed(Repeat({40, 0}, 30)), std::vector<int>{}) << "nothing is sampled meanwhile";
  EXPECT_TRUE(recognizer.m_samples[2].empty());
  recognizer.OnQuietTimeout();
  EXPECT_EQ(Feed(Repeat({40, 0}, 7)), std::vector<int>{kEventSwipeRight});
}

TEST_F(GestureTest, ReleasingTheGestureKeyEmptiesEveryList) {
  Feed({{0, -40}, {40, 0}, {-40, 0}, {0, 40}});
  Feed({{5, 5}}, /*gestureKey=*/false);
  for (const auto& samples : recognizer.m_samples) EXPECT_TRUE(samples.empty());
  EXPECT_FALSE(g_bGestureArmed);
}

TEST_F(GestureTest, UnlinkedRemoteIsNeverArmed) {
  for (int i = 0; i < 10; ++i) EXPECT_EQ(recognizer.Tick(true, 40, 0, /*linked=*/false, true, true).swipeCode, 0);
}

TEST_F(GestureTest, SwitchedOffIgnoresEverything) {
  auto result = recognizer.Tick(false, 40, 0, true, true, true);
  EXPECT_FALSE(result.restartQuietTimer);
  EXPECT_EQ(Feed(Repeat({40, 0}, 20), true, /*enabled=*/false), std::vector<int>{});
  EXPECT_TRUE(recognizer.m_samples[2].empty());
}

TEST_F(GestureTest, WithoutAMainWindowAFullListStillEmptiesAndDisarms) {
  Feed(Repeat({40, 0}, 6));
  auto result = recognizer.Tick(true, 40, 0, true, true, /*haveTarget=*/false);
  EXPECT_EQ(result.swipeCode, 0);
  EXPECT_TRUE(recognizer.m_samples[2].empty());
  EXPECT_FALSE(g_bGestureArmed);
  EXPECT_TRUE(recognizer.m_bEnablePost) << "nothing was reported, so sampling goes on";
}

}  // namespace
