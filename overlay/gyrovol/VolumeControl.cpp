// SPDX-License-Identifier: GPL-3.0-or-later
#include "VolumeControl.h"

#include <algorithm>
#include <chrono>

#include "platform/log.h"
#include "platform/volume.h"

using platform::MasterVolume;
using platform::VolumeMethod;

struct VolumeControl::Impl {
  bool useEndpoint = false;
  bool opened = false;
  bool available = false;  // the last call reached the sound system
  // The connection the method choice made, kept for the first open.
  std::unique_ptr<MasterVolume> probe;
  std::unique_ptr<MasterVolume> volume;
  std::chrono::steady_clock::time_point nextAttempt{};

  // Runs `call` on the connection; when it fails because the sound server went away, on a
  // fresh connection, tried at most once a second so that a server that stays away costs the
  // caller nothing more than a failed call.
  template <typename Call>
  bool Run(const Call& call) {
    if (volume && call(*volume)) return Reached(true);
    if (!useEndpoint || !opened) return Reached(false);
    const auto now = std::chrono::steady_clock::now();
    if (now < nextAttempt) return Reached(false);
    nextAttempt = now + std::chrono::seconds(1);
    volume = MasterVolume::Open(VolumeMethod::Endpoint);
    return Reached(volume && call(*volume));
  }

  bool Reached(bool reached) {
    if (reached != available)
      platform::LogWarning(platform::category::kVolume, reached ? "the sound server is back"
                                                                : "the sound server is gone; reconnecting");
    available = reached;
    return reached;
  }
};

// The endpoint method whenever a sound server answers, the mixer otherwise.
VolumeControl::VolumeControl() : m_impl(std::make_unique<Impl>()) {
  m_impl->probe = MasterVolume::Open(VolumeMethod::Endpoint);
  m_impl->useEndpoint = m_impl->probe != nullptr;
}

VolumeControl::~VolumeControl() {
  close();
}

bool VolumeControl::usesEndpoint() const {
  return m_impl->useEndpoint;
}

bool VolumeControl::open(unsigned long long /*window*/) {
  if (m_impl->volume) return true;
  if (m_impl->probe) {
    m_impl->volume = std::move(m_impl->probe);
  } else {
    m_impl->volume = MasterVolume::Open(m_impl->useEndpoint ? VolumeMethod::Endpoint : VolumeMethod::Mixer);
  }
  m_impl->opened = m_impl->volume != nullptr;
  m_impl->available = m_impl->opened;
  return m_impl->opened;
}

bool VolumeControl::available() const {
  return m_impl->available;
}

bool VolumeControl::close() {
  const bool wasOpen = m_impl->volume != nullptr;
  m_impl->opened = false;
  m_impl->volume.reset();
  m_impl->probe.reset();
  // Releasing the endpoint always succeeds; closing a mixer that is not open does not.
  return m_impl->useEndpoint || wasOpen;
}

bool VolumeControl::getLevel(double& level) {
  const bool ok = m_impl->Run([&](MasterVolume& volume) { return volume.GetLevel(&level); });
  if (!ok && m_impl->useEndpoint) level = 0.0;
  return ok;
}

bool VolumeControl::setLevel(double level) {
  if (!m_impl->volume) return false;
  if (!m_impl->useEndpoint) {
    if (level != level) return false;  // not a number: nothing to clamp to
    level = std::clamp(level, 0.0, 1.0);
  }
  return m_impl->Run([&](MasterVolume& volume) { return volume.SetLevel(level); });
}

bool VolumeControl::isMuted() {
  bool muted = false;
  return m_impl->Run([&](MasterVolume& volume) { return volume.GetMuted(&muted); }) && muted;
}

bool VolumeControl::setMuted(bool muted) {
  return m_impl->Run([&](MasterVolume& volume) { return volume.SetMuted(muted); });
}
