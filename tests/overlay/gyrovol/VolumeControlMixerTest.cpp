// SPDX-License-Identifier: GPL-3.0-or-later
// The air volume's VolumeControl with the mixer method: no server answers the endpoint, ALSA's
// default mixer reaches the private server through the pulse plugin.

#include "ServerRequired.h"
#include <gtest/gtest.h>

#include <chrono>
#include <limits>

#include "VolumeControl.h"
#include "soundserver/SoundServer.h"

namespace {

class GyroVolumeMixer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { soundserver::UseAlsaThrough(soundserver::Address()); }

  void SetUp() override {
    VELTRIO_NEED_SERVER(soundserver::WhyNoAlsaThroughServer());
    ASSERT_TRUE(soundserver::PactlOk("set-sink-volume @DEFAULT_SINK@ 50%"));
    volume = std::make_unique<VolumeControl>();
    ASSERT_FALSE(volume->usesEndpoint());
    ASSERT_TRUE(volume->open(0));
  }

  double Level() {
    double level = -1.0;
    EXPECT_TRUE(volume->getLevel(level));
    return level;
  }

  std::unique_ptr<VolumeControl> volume;
};

TEST_F(GyroVolumeMixer, LevelsOutsideTheRangeAreClamped) {
  struct Case {
    double from, to, after;
  } cases[] = {
      {0.5, 0.45, 0.45},
      {0.999, 1.004, 1.0},  // overshooting the top gives full volume
      {0.001, -0.004, 0.0},
      {0.5, 7.0, 1.0},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(volume->setLevel(c.from));
    EXPECT_TRUE(volume->setLevel(c.to)) << c.from << " -> " << c.to;
    EXPECT_NEAR(Level(), c.after, 1e-3) << c.from << " -> " << c.to;
  }
  EXPECT_FALSE(volume->setLevel(std::numeric_limits<double>::quiet_NaN()));
}

TEST_F(GyroVolumeMixer, MuteIsSetAndAFailedReadLeavesTheLevel) {
  ASSERT_TRUE(volume->setMuted(true));
  EXPECT_TRUE(volume->isMuted());
  ASSERT_TRUE(volume->setMuted(false));
  EXPECT_FALSE(volume->isMuted());
  EXPECT_TRUE(volume->close());
  double level = 0.42;
  EXPECT_FALSE(volume->getLevel(level));
  EXPECT_EQ(level, 0.42);
  EXPECT_FALSE(volume->close());  // no mixer to close any more
}

}  // namespace
