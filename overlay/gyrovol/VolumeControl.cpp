#include "VolumeControl.h"

#include <algorithm>

#include "platform/volume.h"

using platform::MasterVolume;
using platform::VolumeMethod;

struct VolumeControl::Impl {
  bool useEndpoint = false;
  // The connection the method choice made, kept for the first open.
  std::unique_ptr<MasterVolume> probe;
  std::unique_ptr<MasterVolume> volume;
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
  return m_impl->volume != nullptr;
}

bool VolumeControl::close() {
  const bool wasOpen = m_impl->volume != nullptr;
  m_impl->volume.reset();
  m_impl->probe.reset();
  // Releasing the endpoint always succeeds; closing a mixer that is not open does not.
  return m_impl->useEndpoint || wasOpen;
}

bool VolumeControl::getLevel(double& level) {
  const bool ok = m_impl->volume && m_impl->volume->GetLevel(&level);
  if (!ok && m_impl->useEndpoint) level = 0.0;
  return ok;
}

bool VolumeControl::setLevel(double level) {
  if (!m_impl->volume) return false;
  if (!m_impl->useEndpoint) {
    if (level != level) return false;  // not a number: nothing to clamp to
    level = std::clamp(level, 0.0, 1.0);
  }
  return m_impl->volume->SetLevel(level);
}

bool VolumeControl::isMuted() {
  bool muted = false;
  return m_impl->volume && m_impl->volume->GetMuted(&muted) && muted;
}

bool VolumeControl::setMuted(bool muted) {
  return m_impl->volume && m_impl->volume->SetMuted(muted);
}
