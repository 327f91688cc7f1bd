// SPDX-License-Identifier: GPL-3.0-or-later
// The endpoint method against the test run's private PulseAudio server.

#include "ServerRequired.h"
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <future>
#include <limits>

#include "platform/volume.h"
#include "soundserver/SoundServer.h"

namespace {

using platform::MasterVolume;
using platform::VolumeMethod;

constexpr long kNorm = 65536;  // PulseAudio's 100%

class VolumeEndpoint : public ::testing::Test {
 protected:
  void SetUp() override {
    VELTRIO_NEED_SERVER(soundserver::WhyNoServer());
    ASSERT_TRUE(soundserver::PactlOk("set-sink-volume @DEFAULT_SINK@ 50%"));
    ASSERT_TRUE(soundserver::PactlOk("set-sink-mute @DEFAULT_SINK@ 0"));
    volume = MasterVolume::Open(VolumeMethod::Endpoint);
    ASSERT_NE(volume, nullptr);
  }

  double Level() {
    double level = -1.0;
    EXPECT_TRUE(volume->GetLevel(&level));
    return level;
  }

  std::unique_ptr<MasterVolume> volume;
};

TEST_F(VolumeEndpoint, ReadsWhatAnotherProgramSet) {
  EXPECT_EQ(volume->Method(), VolumeMethod::Endpoint);
  struct Case {
    const char* pactl;
    double level;
  } cases[] = {
      {"50%", 0.5}, {"0", 0.0}, {"100%", 1.0}, {"150%", 1.0}, {"20% 70%", 0.7},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(soundserver::PactlOk(std::string("set-sink-volume @DEFAULT_SINK@ ") + c.pactl));
    EXPECT_NEAR(Level(), c.level, 1e-4) << c.pactl;
  }
}

TEST_F(VolumeEndpoint, SetsLevelsInsideTheRangeAndRefusesOthers) {
  struct Case {
    double level;
    bool accepted;
  } cases[] = {
      {0.25, true},
      {1.0, true},
      {0.0, true},
      {0.999, true},
      {1.004, false},
      {-0.001, false},
      {std::numeric_limits<double>::quiet_NaN(), false},
  };
  for (const Case& c : cases) {
    const double before = Level();
    EXPECT_EQ(volume->SetLevel(c.level), c.accepted) << c.level;
    const double expected = c.accepted ? c.level : before;
    EXPECT_NEAR(Level(), expected, 1e-4) << c.level;
    EXPECT_NEAR(soundserver::DefaultSink().loudest, expected * kNorm, 1.0) << c.level;
  }
}

TEST_F(VolumeEndpoint, SettingKeepsTheBalanceOfTheChannels) {
  ASSERT_TRUE(soundserver::PactlOk("set-sink-volume @DEFAULT_SINK@ 40% 80%"));
  ASSERT_TRUE(volume->SetLevel(0.4));
  const soundserver::SinkView sink = soundserver::DefaultSink();
  EXPECT_NEAR(sink.loudest, 0.4 * kNorm, 1.0);
  EXPECT_NEAR(sink.quietest, 0.2 * kNorm, 1.0);
}

TEST_F(VolumeEndpoint, MuteGoesBothWays) {
  bool muted = true;
  ASSERT_TRUE(volume->GetMuted(&muted));
  EXPECT_FALSE(muted);
  ASSERT_TRUE(volume->SetMuted(true));
  EXPECT_TRUE(soundserver::DefaultSink().muted);
  ASSERT_TRUE(volume->GetMuted(&muted));
  EXPECT_TRUE(muted);
  ASSERT_TRUE(soundserver::PactlOk("set-sink-mute @DEFAULT_SINK@ 0"));
  ASSERT_TRUE(volume->GetMuted(&muted));
  EXPECT_FALSE(muted);
}

// Opening with PULSE_SERVER naming `address`, in a thread so that a hang shows as a failure
// of the test rather than as a stuck run.
std::unique_ptr<MasterVolume> OpenAt(const std::string& address) {
  const std::string saved = soundserver::Address();
  setenv("PULSE_SERVER", address.c_str(), 1);
  auto opening = std::async(std::launch::async, [] { return MasterVolume::Open(VolumeMethod::Endpoint); });
  const bool answered = opening.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  EXPECT_TRUE(answered) << "open hung on " << address;
  auto volume = answered ? opening.get() : nullptr;
  if (saved.empty()) {
    unsetenv("PULSE_SERVER");
  } else {
    setenv("PULSE_SERVER", saved.c_str(), 1);
  }
  return volume;
}

TEST(VolumeEndpointWithoutServer, OpenFailsWhenNoServerAnswers) {
  const std::string folder = soundserver::MakeTempFolder();
  EXPECT_EQ(OpenAt("unix:" + folder + "/nothing-here"), nullptr);
  soundserver::HungServer hung;
  EXPECT_EQ(OpenAt(hung.Address()), nullptr);
}

}  // namespace
