// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two Linux methods behind platform/volume.h.

#include <memory>

#include "platform/log.h"
#include "platform/volume.h"

namespace platform {

std::unique_ptr<MasterVolume> OpenPulseVolume();  // the PulseAudio default sink
std::unique_ptr<MasterVolume> OpenAlsaVolume();   // ALSA's default mixer, control "Master"

inline constexpr const char* kVolumeLog = category::kVolume;

}  // namespace platform
