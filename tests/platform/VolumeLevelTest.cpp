// SPDX-License-Identifier: GPL-3.0-or-later
// The level arithmetic of the master volume: loudest channel relative to normal, balance kept.

#include <gtest/gtest.h>

#include <vector>

#include "platform/volume.h"

namespace {

using platform::LevelOfChannels;
using platform::ScaleChannels;

TEST(VolumeLevel, IsTheLoudestChannelRelativeToNormalWithinZeroToOne) {
  struct Case {
    std::vector<long> values;
    long floor, norm;
    double level;
  } cases[] = {
      {{32768, 32768}, 0, 65536, 0.5},
      {{16384, 49152}, 0, 65536, 0.75},  // the loudest channel counts
      {{98304, 65536}, 0, 65536, 1.0},   // above normal reads as full
      {{0, 0}, 0, 65536, 0.0},
      {{-10}, -20, 20, 0.25},  // a control whose range starts below zero
      {{-30}, -20, 20, 0.0},   // out of range low
      {{}, 0, 65536, 0.0},     // no channels
      {{5}, 10, 10, 0.0},      // an empty range
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(LevelOfChannels(c.values.data(), static_cast<int>(c.values.size()), c.floor, c.norm),
                     c.level)
        << c.values.size() << " channels, range " << c.floor << ".." << c.norm;
  }
}

TEST(VolumeLevel, ScalingMovesTheLoudestChannelToTheLevelAndKeepsTheBalance) {
  struct Case {
    std::vector<long> values;
    long floor, norm;
    double level;
    std::vector<long> expected;
  } cases[] = {
      {{32768, 65536}, 0, 65536, 0.5, {16384, 32768}},
      {{65536, 32768}, 0, 65536, 1.0, {65536, 32768}},
      {{98304, 49152}, 0, 65536, 1.0, {65536, 32768}},  // from above normal down to full
      {{0, 0}, 0, 65536, 0.3, {19661, 19661}},          // silence has no balance to keep
      {{10, 20}, 0, 40, 0.0, {0, 0}},
      {{0, 10}, 0, 40, 1.0, {0, 40}},     // a silent channel stays silent
      {{-10, 0}, -20, 20, 1.0, {0, 20}},  // relative to the floor, not to zero
      {{28}, 0, 87, 29.0 / 87.0, {29}},   // one step up on a coarse control
  };
  for (const Case& c : cases) {
    std::vector<long> values = c.values;
    ScaleChannels(values.data(), static_cast<int>(values.size()), c.floor, c.norm, c.level);
    EXPECT_EQ(values, c.expected) << "level " << c.level;
  }
}

TEST(VolumeLevel, SettingTheLevelJustReadChangesNothing) {
  for (long range : {31L, 87L, 255L, 65536L}) {
    for (long value = 0; value <= range; value += 1 + range / 64) {
      long channel[] = {value};
      ScaleChannels(channel, 1, 0, range, LevelOfChannels(channel, 1, 0, range));
      EXPECT_EQ(channel[0], value) << "range " << range;
    }
  }
}

}  // namespace
