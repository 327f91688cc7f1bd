// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The master volume and mute switch of the default output, by one of two methods:
//  - Endpoint: the default render endpoint. Linux: the PulseAudio default sink (PipeWire serves
//    the same protocol); Windows: Core Audio's endpoint volume.
//  - Mixer: the master control of the default mixer. Linux: ALSA's default mixer, simple
//    control "Master" (playback volume and playback switch); Windows: the winmm mixer's
//    speakers line.
//
// Levels are the loudest channel's volume relative to normal, 0.0 to 1.0; a channel above
// normal (a PulseAudio sink at 150%) reads as 1.0. Setting a level scales every channel by the
// same factor, so their balance stays; only a silent output, which has no balance left, gets
// the level on every channel.
//
// Thread: one object is used by one thread at a time. Every call returns within about a
// second, whether the sound server answers, hangs or is gone (kVolumeTimeoutMs); a call that
// ran out of time fails, and a mixer whose server hung stays failed until it is opened again.
// Failure: results; nothing throws. Failures are logged under "veltrio.volume".

#include <memory>

namespace platform {

enum class VolumeMethod { Endpoint, Mixer };

// The most one call may block, in milliseconds.
inline constexpr int kVolumeTimeoutMs = 800;

class MasterVolume {
 public:
  // Connects by the given method; nullptr when that method has no master volume here (no
  // server answering, no mixer, no "Master" control).
  static std::unique_ptr<MasterVolume> Open(VolumeMethod method);

  virtual ~MasterVolume() = default;

  virtual VolumeMethod Method() const = 0;

  // The current level, 0.0 to 1.0. On failure false and *level untouched.
  virtual bool GetLevel(double* level) = 0;
  // Sets the level; false without a change when level is outside 0.0 to 1.0 (or not a number),
  // and when the output refused it.
  virtual bool SetLevel(double level) = 0;
  // The mute state. On failure false and *muted untouched.
  virtual bool GetMuted(bool* muted) = 0;
  virtual bool SetMuted(bool muted) = 0;

 protected:
  MasterVolume() = default;
  MasterVolume(const MasterVolume&) = delete;
  MasterVolume& operator=(const MasterVolume&) = delete;
};

// The level arithmetic both Linux methods share, over raw channel values in [floor, norm]
// (PulseAudio: 0..PA_VOLUME_NORM; ALSA: the control's range). Pure, for tests.
//
// LevelOfChannels: the loudest channel relative to norm, clamped to 0.0..1.0; 0.0 for none.
// ScaleChannels: new values for `count` channels so that the loudest one is at `level` (already
// in 0.0..1.0), the others in proportion; every channel at the level when all are at floor.
double LevelOfChannels(const long* values, int count, long floor, long norm);
void ScaleChannels(long* values, int count, long floor, long norm, double level);

}  // namespace platform
