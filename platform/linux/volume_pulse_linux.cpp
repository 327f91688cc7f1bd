// SPDX-License-Identifier: GPL-3.0-or-later
// The endpoint method: the PulseAudio default sink, over the native protocol with a private,
// single-threaded main loop that is only iterated inside a call, up to that call's deadline.

#include <pulse/pulseaudio.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <string>

#include "platform/log.h"
#include "volume_linux.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point Deadline() {
  return Clock::now() + std::chrono::milliseconds(kVolumeTimeoutMs);
}

struct SinkState {
  bool done = false;
  bool found = false;
  std::string name;
  pa_cvolume volume{};
  bool muted = false;
};

struct SuccessState {
  bool done = false;
  bool ok = false;
};

void OnSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* userdata) {
  auto* state = static_cast<SinkState*>(userdata);
  if (eol != 0) {
    state->done = true;
    return;
  }
  if (info == nullptr || state->found) return;
  state->found = true;
  state->name = info->name;
  state->volume = info->volume;
  state->muted = info->mute != 0;
}

void OnSuccess(pa_context*, int success, void* userdata) {
  auto* state = static_cast<SuccessState*>(userdata);
  state->done = true;
  state->ok = success != 0;
}

class PulseVolume final : public MasterVolume {
 public:
  PulseVolume() : m_loop(pa_mainloop_new()) {}

  ~PulseVolume() override {
    if (m_context != nullptr) {
      pa_context_disconnect(m_context);
      pa_context_unref(m_context);
    }
    if (m_loop != nullptr) pa_mainloop_free(m_loop);
  }

  // Connects to the server libpulse finds (PULSE_SERVER, the user's runtime folder, ...) and
  // checks that it has a default sink.
  bool Connect() {
    if (m_loop == nullptr) return false;
    m_context = pa_context_new(pa_mainloop_get_api(m_loop), "Veltrio");
    if (m_context == nullptr) return false;
    const auto deadline = Deadline();
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
      LogDebug(kVolumeLog, std::string("no sound server: ") + pa_strerror(pa_context_errno(m_context)));
      return false;
    }
    const bool ready = Iterate(deadline, [this] {
      const pa_context_state_t state = pa_context_get_state(m_context);
      return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
    });
    if (!ready || pa_context_get_state(m_context) != PA_CONTEXT_READY) {
      LogDebug(kVolumeLog, "the sound server did not answer");
      return false;
    }
    SinkState sink;
    if (!QuerySink(deadline, &sink)) {
      LogWarning(kVolumeLog, "the sound server has no default sink");
      return false;
    }
    return true;
  }

  VolumeMethod Method() const override { return VolumeMethod::Endpoint; }

  bool GetLevel(double* level) override {
    SinkState sink;
    if (!QuerySink(Deadline(), &sink)) return false;
    *level = LevelOf(sink.volume);
    return true;
  }

  bool SetLevel(double level) override {
    if (!(level >= 0.0 && level <= 1.0)) return false;
    const auto deadline = Deadline();
    SinkState sink;
    if (!QuerySink(deadline, &sink)) return false;
    pa_cvolume volume = sink.volume;
    long values[PA_CHANNELS_MAX];
    for (int i = 0; i < volume.channels; ++i) values[i] = static_cast<long>(volume.values[i]);
    ScaleChannels(values, volume.channels, PA_VOLUME_MUTED, PA_VOLUME_NORM, level);
    for (int i = 0; i < volume.channels; ++i) volume.values[i] = static_cast<pa_volume_t>(values[i]);
    return RunSuccess(deadline, [&](SuccessState* state) {
      return pa_context_set_sink_volume_by_name(m_context, sink.name.c_str(), &volume, OnSuccess, state);
    });
  }

  bool GetMuted(bool* muted) override {
    SinkState sink;
    if (!QuerySink(Deadline(), &sink)) return false;
    *muted = sink.muted;
    return true;
  }

  bool SetMuted(bool muted) override {
    return RunSuccess(Deadline(), [&](SuccessState* state) {
      return pa_context_set_sink_mute_by_name(m_context, "@DEFAULT_SINK@", muted ? 1 : 0, OnSuccess, state);
    });
  }

 private:
  static double LevelOf(const pa_cvolume& volume) {
    long values[PA_CHANNELS_MAX];
    for (int i = 0; i < volume.channels; ++i) values[i] = static_cast<long>(volume.values[i]);
    return LevelOfChannels(values, volume.channels, PA_VOLUME_MUTED, PA_VOLUME_NORM);
  }

  bool Usable() const { return m_context != nullptr && pa_context_get_state(m_context) == PA_CONTEXT_READY; }

  // Runs the main loop until finished() holds, the connection breaks or the deadline passes.
  bool Iterate(Clock::time_point deadline, const std::function<bool()>& finished) {
    while (!finished()) {
      if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context))) return false;
      const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
      if (left.count() <= 0) return false;
      if (pa_mainloop_prepare(m_loop, static_cast<int>(left.count())) < 0) return false;
      if (pa_mainloop_poll(m_loop) < 0) return false;
      if (pa_mainloop_dispatch(m_loop) < 0) return false;
    }
    return true;
  }

  // Waits for an operation; a late answer must not reach the caller's stack, so an operation
  // that ran out of time is cancelled before returning.
  bool Await(pa_operation* operation, Clock::time_point deadline, const bool& done) {
    if (operation == nullptr) {
      LogWarning(kVolumeLog, std::string("request refused: ") + pa_strerror(pa_context_errno(m_context)));
      return false;
    }
    const bool finished = Iterate(deadline, [&] { return done; });
    if (!finished) {
      pa_operation_cancel(operation);
      LogWarning(kVolumeLog, "the sound server did not answer in time");
    }
    pa_operation_unref(operation);
    return finished;
  }

  bool QuerySink(Clock::time_point deadline, SinkState* sink) {
    if (!Usable()) return false;
    pa_operation* operation = pa_context_get_sink_info_by_name(m_context, "@DEFAULT_SINK@", OnSinkInfo, sink);
    return Await(operation, deadline, sink->done) && sink->found;
  }

  bool RunSuccess(Clock::time_point deadline, const std::function<pa_operation*(SuccessState*)>& start) {
    if (!Usable()) return false;
    SuccessState state;
    if (!Await(start(&state), deadline, state.done)) return false;
    if (!state.ok)
      LogWarning(kVolumeLog,
                 std::string("the sound server refused: ") + pa_strerror(pa_context_errno(m_context)));
    return state.ok;
  }

  pa_mainloop* m_loop = nullptr;
  pa_context* m_context = nullptr;
};

}  // namespace

std::unique_ptr<MasterVolume> OpenPulseVolume() {
  auto volume = std::make_unique<PulseVolume>();
  if (!volume->Connect()) return nullptr;
  return volume;
}

}  // namespace platform
