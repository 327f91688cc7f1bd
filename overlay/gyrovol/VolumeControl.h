// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The master volume and mute state of the default output, as the air volume overlay reads and
// sets them. Two methods, chosen once at construction:
//  - endpoint (useEndpoint true): the default render endpoint (Windows Core Audio; on Linux the
//    PulseAudio default sink, which PipeWire serves too). Used whenever the system has one.
//  - mixer: the speakers line of the first mixer (Windows winmm; on Linux the "Master" control
//    of ALSA's default mixer).
//
// Levels are 0.0 to 1.0. setLevel of the endpoint method refuses a value outside that range
// (the volume stays); the mixer method clamps it. getLevel of the endpoint method writes the
// out value even when it fails (0.0 then); the mixer method leaves it untouched.
//
// The endpoint's connection ends when the sound server goes away (it restarts, the user's
// session changes it): a call that fails then connects afresh, at most once a second, so the
// overlay takes the server that comes back. Losing and regaining it is logged.
//
// Thread: one object, used on one thread (the GUI thread). Calls block until the sound system
// has answered, never longer than a short time-out. Failure: the boolean results; isMuted
// reads a failure as not muted.

#include <memory>

class VolumeControl {
 public:
  VolumeControl();
  ~VolumeControl();  // closes
  VolumeControl(const VolumeControl&) = delete;
  VolumeControl& operator=(const VolumeControl&) = delete;

  bool usesEndpoint() const;

  // Connects to the system volume. window: the native window handle for the mixer's
  // notifications on Windows; unused on Linux.
  bool open(unsigned long long window);
  bool close();

  // False once a call failed to reach the sound system, until one reaches it again.
  bool available() const;

  bool getLevel(double& level);
  bool setLevel(double level);
  bool isMuted();
  bool setMuted(bool muted);

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};
