// SPDX-License-Identifier: GPL-3.0-or-later
// Master volume on Windows: Core Audio's endpoint volume and the winmm mixer, against Wine's
// audio (its PulseAudio driver reaches the sound server of scripts/test). Each method skips,
// saying why, where Wine gives it nothing.

#include "platform/volume.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using platform::MasterVolume;
using platform::VolumeMethod;

class VolumeWindows : public ::testing::TestWithParam<VolumeMethod> {
 protected:
  void SetUp() override {
    m_volume = MasterVolume::Open(GetParam());
    if (!m_volume)
      GTEST_SKIP() << (GetParam() == VolumeMethod::Endpoint
                           ? "Wine gives no default render endpoint (no sound server reachable from its audio driver)"
                           : "Wine's winmm mixer has no speakers line with a volume control");
    ASSERT_TRUE(m_volume->GetLevel(&m_level));
    ASSERT_TRUE(m_volume->GetMuted(&m_muted) || GetParam() == VolumeMethod::Mixer);
  }
  void TearDown() override {
    if (!m_volume) return;
    m_volume->SetLevel(m_level);
    m_volume->SetMuted(m_muted);
  }

  std::unique_ptr<MasterVolume> m_volume;
  double m_level = 0;
  bool m_muted = false;
};

TEST_P(VolumeWindows, SetsLevelsInsideTheRangeAndRefusesOthers) {
  EXPECT_EQ(m_volume->Method(), GetParam());
  if (GetParam() == VolumeMethod::Endpoint && !m_volume->SetLevel(m_level))
    GTEST_SKIP() << "Wine's IAudioEndpointVolume reads the level but implements neither "
                    "SetChannelVolumeLevelScalar nor SetMasterVolumeLevelScalar (E_NOTIMPL)";
  for (double level : {0.25, 1.0, 0.0, 0.6}) {
    SCOPED_TRACE(level);
    ASSERT_TRUE(m_volume->SetLevel(level));
    double read = -1;
    ASSERT_TRUE(m_volume->GetLevel(&read));
    EXPECT_NEAR(read, level, 0.02);
  }
  for (double bad : {-0.1, 1.5, std::numeric_limits<double>::quiet_NaN()}) EXPECT_FALSE(m_volume->SetLevel(bad));
  double read = -1;
  ASSERT_TRUE(m_volume->GetLevel(&read));
  EXPECT_NEAR(read, 0.6, 0.02) << "a refused level changes nothing";
}

TEST_P(VolumeWindows, MuteGoesBothWays) {
  bool muted = false;
  if (!m_volume->GetMuted(&muted)) GTEST_SKIP() << "this mixer line has no mute switch under Wine";
  for (bool wanted : {true, false, true}) {
    ASSERT_TRUE(m_volume->SetMuted(wanted));
    ASSERT_TRUE(m_volume->GetMuted(&muted));
    EXPECT_EQ(muted, wanted);
  }
}

INSTANTIATE_TEST_SUITE_P(Methods, VolumeWindows, testing::Values(VolumeMethod::Endpoint, VolumeMethod::Mixer),
                         [](const auto& info) { return info.param == VolumeMethod::Endpoint ? "Endpoint" : "Mixer"; });

}  // namespace
