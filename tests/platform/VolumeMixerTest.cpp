// SPDX-License-Identifier: GPL-3.0-or-later
// The mixer method: ALSA's default mixer, made the pulse plugin talking to the test run's
// private server, while the endpoint method finds no server.

#include "ServerRequired.h"
#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <future>
#include <thread>

#include "platform/volume.h"
#include "soundserver/SoundServer.h"

namespace {

using platform::MasterVolume;
using platform::VolumeMethod;

constexpr long kNorm = 65536;

// Points ALSA's default devices at `server`. ALSA keeps the configuration it read first and
// does not notice changes of the user's file, so the next open is made to read it again.
void PointAlsaAt(const std::string& server) {
  const std::string rc = std::string(std::getenv("HOME")) + "/.asoundrc";
  std::ofstream(rc + ".new") << "pcm.!default { type pulse server \"" << server << "\" }\n"
                             << "ctl.!default { type pulse server \"" << server << "\" }\n";
  std::rename((rc + ".new").c_str(), rc.c_str());
  snd_config_update_free_global();
}

class VolumeMixer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { soundserver::UseAlsaThrough(soundserver::Address()); }

  void SetUp() override {
    VELTRIO_NEED_SERVER(soundserver::WhyNoAlsaThroughServer());
    PointAlsaAt(soundserver::Address());
    ASSERT_TRUE(soundserver::PactlOk("set-sink-volume @DEFAULT_SINK@ 50%"));
    ASSERT_TRUE(soundserver::PactlOk("set-sink-mute @DEFAULT_SINK@ 0"));
    volume = MasterVolume::Open(VolumeMethod::Mixer);
    ASSERT_NE(volume, nullptr);
  }

  double Level() {
    double level = -1.0;
    EXPECT_TRUE(volume->GetLevel(&level));
    return level;
  }

  // The plugin hears of other programs' changes asynchronously: poll for a while.
  template <typename Read, typename Value>
  static bool Becomes(Read read, Value expected, double tolerance = 1e-3) {
    for (int i = 0; i < 100; ++i) {
      if (std::abs(static_cast<double>(read()) - static_cast<double>(expected)) <= tolerance) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  std::unique_ptr<MasterVolume> volume;
};

TEST_F(VolumeMixer, TheEndpointFindsNoServerHere) {
  EXPECT_EQ(MasterVolume::Open(VolumeMethod::Endpoint), nullptr);
  EXPECT_EQ(volume->Method(), VolumeMethod::Mixer);
}

TEST_F(VolumeMixer, ReadsWhatAnotherProgramSet) {
  for (auto [pactl, level] : {std::pair{"30%", 0.3}, {"100%", 1.0}, {"0", 0.0}, {"25% 75%", 0.75}}) {
    ASSERT_TRUE(soundserver::PactlOk(std::string("set-sink-volume @DEFAULT_SINK@ ") + pactl));
    EXPECT_TRUE(Becomes([&] { return Level(); }, level)) << pactl << ": read " << Level();
  }
}

TEST_F(VolumeMixer, SetsLevelsInsideTheRangeKeepingTheBalance) {
  for (double level : {0.8, 0.0, 1.0, 0.35}) {
    ASSERT_TRUE(volume->SetLevel(level));
    EXPECT_TRUE(Becomes([] { return soundserver::DefaultSink().loudest; }, level * kNorm, 2.0)) << level;
    EXPECT_NEAR(Level(), level, 1e-3);
  }
  ASSERT_TRUE(soundserver::PactlOk("set-sink-volume @DEFAULT_SINK@ 30% 60%"));
  ASSERT_TRUE(Becomes([&] { return Level(); }, 0.6));
  ASSERT_TRUE(volume->SetLevel(0.9));
  EXPECT_TRUE(Becomes([] { return soundserver::DefaultSink().quietest; }, 0.45 * kNorm, 2.0));
}

TEST_F(VolumeMixer, RefusesLevelsOutsideTheRange) {
  for (double level : {1.004, -0.5}) {
    EXPECT_FALSE(volume->SetLevel(level)) << level;
    EXPECT_NEAR(Level(), 0.5, 1e-3) << level;
  }
}

TEST_F(VolumeMixer, MuteGoesBothWays) {
  ASSERT_TRUE(volume->SetMuted(true));
  EXPECT_TRUE(Becomes([] { return soundserver::DefaultSink().muted; }, true, 0));
  ASSERT_TRUE(soundserver::PactlOk("set-sink-mute @DEFAULT_SINK@ 0"));
  EXPECT_TRUE(Becomes(
      [&] {
        bool muted = true;
        return volume->GetMuted(&muted) && !muted;
      },
      true, 0));
}

TEST_F(VolumeMixer, OpenFailsWhenTheServerBehindTheMixerHangsOrIsGone) {
  volume.reset();
  const std::string folder = soundserver::MakeTempFolder();
  soundserver::HungServer hung;
  for (const std::string& server : {"unix:" + folder + "/nothing-here", hung.Address()}) {
    PointAlsaAt(server);
    auto opening = std::async(std::launch::async, [] { return MasterVolume::Open(VolumeMethod::Mixer); });
    ASSERT_EQ(opening.wait_for(std::chrono::seconds(10)), std::future_status::ready)
        << "open hung on " << server;
    EXPECT_EQ(opening.get(), nullptr) << server;
  }
}

}  // namespace
