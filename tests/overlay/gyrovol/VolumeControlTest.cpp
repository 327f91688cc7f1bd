// SPDX-License-Identifier: GPL-3.0-or-later
// The air volume's VolumeControl with the endpoint method: the private sound server answers.

#include "ServerRequired.h"
#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "VolumeControl.h"
#include "soundserver/SoundServer.h"

namespace {

class GyroVolumeEndpoint : public ::testing::Test {
 protected:
  void SetUp() override {
    VELTRIO_NEED_SERVER(soundserver::WhyNoServer());
    ASSERT_TRUE(soundserver::PactlOk("set-sink-volume @DEFAULT_SINK@ 50%"));
    ASSERT_TRUE(soundserver::PactlOk("set-sink-mute @DEFAULT_SINK@ 0"));
    ASSERT_TRUE(volume.usesEndpoint());
    ASSERT_TRUE(volume.open(0));
  }

  double Level() {
    double level = -1.0;
    EXPECT_TRUE(volume.getLevel(level));
    return level;
  }

  VolumeControl volume;
};

TEST_F(GyroVolumeEndpoint, LevelsOutsideTheRangeAreRefusedAndTheVolumeStays) {
  struct Case {
    double from, to;
    bool accepted;
    double after;
  } cases[] = {
      {0.5, 0.55, true, 0.55},       {0.5, 0.0, true, 0.0},
      {0.999, 1.004, false, 0.999},  // the top cannot be overshot
      {0.001, -0.004, false, 0.001}, {0.3, 1.0, true, 1.0},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(volume.setLevel(c.from));
    EXPECT_EQ(volume.setLevel(c.to), c.accepted) << c.from << " -> " << c.to;
    EXPECT_NEAR(Level(), c.after, 1e-4) << c.from << " -> " << c.to;
  }
}

TEST_F(GyroVolumeEndpoint, MuteIsReadAndSet) {
  EXPECT_FALSE(volume.isMuted());
  ASSERT_TRUE(volume.setMuted(true));
  EXPECT_TRUE(volume.isMuted());
  EXPECT_TRUE(soundserver::DefaultSink().muted);
  ASSERT_TRUE(soundserver::PactlOk("set-sink-mute @DEFAULT_SINK@ 0"));
  EXPECT_FALSE(volume.isMuted());
}

TEST_F(GyroVolumeEndpoint, AfterCloseReadsFailAsZeroAndNotMuted) {
  ASSERT_TRUE(soundserver::PactlOk("set-sink-mute @DEFAULT_SINK@ 1"));
  EXPECT_TRUE(volume.close());
  double level = 0.7;
  EXPECT_FALSE(volume.getLevel(level));
  EXPECT_EQ(level, 0.0);
  EXPECT_FALSE(volume.isMuted());
  EXPECT_FALSE(volume.setLevel(0.2));
  EXPECT_FALSE(volume.setMuted(false));
  EXPECT_TRUE(volume.close());
  ASSERT_TRUE(volume.open(0));  // and it opens again
  EXPECT_TRUE(volume.isMuted());
}

// Keeps the variables the test changes and puts them back.
class SavedEnvironment {
 public:
  SavedEnvironment() {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      m_values.emplace_back(value != nullptr, value != nullptr ? value : "");
    }
  }
  ~SavedEnvironment() {
    for (size_t i = 0; i < std::size(kNames); ++i) {
      if (m_values[i].first) {
        setenv(kNames[i], m_values[i].second.c_str(), 1);
      } else {
        unsetenv(kNames[i]);
      }
    }
  }

 private:
  static constexpr const char* kNames[] = {"PULSE_SERVER", "HOME", "XDG_CONFIG_HOME"};
  std::vector<std::pair<bool, std::string>> m_values;
};

TEST(GyroVolumeWithoutServer, NoServerAndNoMixerMeansOpenFails) {
  // Neither the endpoint nor a mixer: no server, and ALSA's default pointed at nothing.
  SavedEnvironment saved;
  const std::string home = soundserver::MakeTempFolder();
  const std::string nowhere = "unix:" + home + "/nothing-here";
  soundserver::UseAlsaThrough(nowhere);
  VolumeControl volume;
  EXPECT_FALSE(volume.usesEndpoint());
  EXPECT_FALSE(volume.open(0));
  double level = 0.4;
  EXPECT_FALSE(volume.getLevel(level));
  EXPECT_EQ(level, 0.4);  // the mixer method leaves it
  EXPECT_FALSE(volume.close());
}

}  // namespace
