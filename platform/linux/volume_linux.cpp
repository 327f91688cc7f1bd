// SPDX-License-Identifier: GPL-3.0-or-later
#include "volume_linux.h"
#include "platform/volume.h"

namespace platform {

std::unique_ptr<MasterVolume> MasterVolume::Open(VolumeMethod method) {
  return method == VolumeMethod::Endpoint ? OpenPulseVolume() : OpenAlsaVolume();
}

}  // namespace platform
