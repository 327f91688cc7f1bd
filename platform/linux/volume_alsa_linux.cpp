// SPDX-License-Identifier: GPL-3.0-or-later
// The mixer method: the "Master" simple control of ALSA's default mixer.
//
// ALSA has no time-outs of its own, and a plugin can block for as long as the server behind it
// does (the pulse plugin waits on its server). So the mixer lives on a thread of its own and
// each call waits for its answer only up to the time-out; a call that ran out of time leaves the
// mixer marked as hung, and every later call fails at once.

#include <alsa/asoundlib.h>

#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/log.h"
#include "volume_linux.h"

namespace platform {
namespace {

// alsa-lib prints its own errors to stderr; they belong in the debug log.
void AlsaErrorToLog(const char* file, int line, const char* function, int error, const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  std::string message(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
  LogDebug(kVolumeLog, "alsa: " + message + (error != 0 ? std::string(": ") + snd_strerror(error) : "") +
                           " (" + function + " " + file + ":" + std::to_string(line) + ")");
}

// The mixer itself; only ever touched on the worker thread.
class AlsaMixer {
 public:
  ~AlsaMixer() { Close(); }

  bool Open() {
    static std::once_flag quiet;
    std::call_once(quiet, [] { snd_lib_error_set_handler(AlsaErrorToLog); });
    snd_hctl_t* hctl = nullptr;
    // Non-blocking, so that picking up changes made elsewhere never waits for an event.
    int error = snd_hctl_open(&hctl, "default", SND_CTL_NONBLOCK);
    if (error < 0) return Fail("open the default control", error);
    if ((error = snd_mixer_open(&m_mixer, 0)) < 0) {
      snd_hctl_close(hctl);
      return Fail("open a mixer", error);
    }
    if ((error = snd_mixer_attach_hctl(m_mixer, hctl)) < 0) return Fail("attach the default control", error);
    if ((error = snd_mixer_selem_register(m_mixer, nullptr, nullptr)) < 0) return Fail("register", error);
    if ((error = snd_mixer_load(m_mixer)) < 0) return Fail("load the mixer", error);
    snd_mixer_selem_id_t* id = nullptr;
    snd_mixer_selem_id_alloca(&id);
    snd_mixer_selem_id_set_index(id, 0);
    snd_mixer_selem_id_set_name(id, "Master");
    m_master = snd_mixer_find_selem(m_mixer, id);
    if (m_master == nullptr || !snd_mixer_selem_has_playback_volume(m_master) ||
        !snd_mixer_selem_has_playback_switch(m_master)) {
      return Fail("find the Master playback volume and switch", 0);
    }
    if ((error = snd_mixer_selem_get_playback_volume_range(m_master, &m_min, &m_max)) < 0 || m_max <= m_min) {
      return Fail("read the Master volume range", error);
    }
    for (int c = SND_MIXER_SCHN_FRONT_LEFT; c <= SND_MIXER_SCHN_LAST; ++c) {
      const auto channel = static_cast<snd_mixer_selem_channel_id_t>(c);
      if (snd_mixer_selem_has_playback_channel(m_master, channel)) m_channels.push_back(channel);
    }
    if (m_channels.empty()) return Fail("find a Master channel", 0);
    return true;
  }

  void Close() {
    if (m_mixer != nullptr) snd_mixer_close(m_mixer);
    m_mixer = nullptr;
    m_master = nullptr;
  }

  bool GetLevel(double* level) {
    std::vector<long> values;
    if (!Read(&values)) return false;
    *level = LevelOfChannels(values.data(), static_cast<int>(values.size()), m_min, m_max);
    return true;
  }

  bool SetLevel(double level) {
    std::vector<long> values;
    if (!Read(&values)) return false;
    ScaleChannels(values.data(), static_cast<int>(values.size()), m_min, m_max, level);
    for (size_t i = 0; i < m_channels.size(); ++i) {
      const int error = snd_mixer_selem_set_playback_volume(m_master, m_channels[i], values[i]);
      if (error < 0) return Fail("set the Master volume", error);
    }
    return true;
  }

  // Muted when no channel plays.
  bool GetMuted(bool* muted) {
    if (!Refresh()) return false;
    bool playing = false;
    for (auto channel : m_channels) {
      int on = 0;
      const int error = snd_mixer_selem_get_playback_switch(m_master, channel, &on);
      if (error < 0) return Fail("read the Master switch", error);
      playing = playing || on != 0;
    }
    *muted = !playing;
    return true;
  }

  bool SetMuted(bool muted) {
    const int error = snd_mixer_selem_set_playback_switch_all(m_master, muted ? 0 : 1);
    return error >= 0 || Fail("set the Master switch", error);
  }

 private:
  static bool Fail(const char* what, int error) {
    LogDebug(kVolumeLog, std::string("mixer: cannot ") + what +
                             (error < 0 ? std::string(": ") + snd_strerror(error) : ""));
    return false;
  }

  // Takes in the changes other programs made since the last call.
  bool Refresh() {
    if (m_master == nullptr) return false;
    const int error = snd_mixer_handle_events(m_mixer);
    return error >= 0 || Fail("read the mixer's events", error);
  }

  bool Read(std::vector<long>* values) {
    if (!Refresh()) return false;
    for (auto channel : m_channels) {
      long value = 0;
      const int error = snd_mixer_selem_get_playback_volume(m_master, channel, &value);
      if (error < 0) return Fail("read the Master volume", error);
      values->push_back(value);
    }
    return true;
  }

  snd_mixer_t* m_mixer = nullptr;
  snd_mixer_elem_t* m_master = nullptr;
  long m_min = 0;
  long m_max = 0;
  std::vector<snd_mixer_selem_channel_id_t> m_channels;
};

// One job at a time on the mixer's thread. The state is shared with the thread, so that a
// thread stuck in ALSA can outlive the object that gave up on it.
struct Worker {
  struct Answer {
    double level = 0.0;
    bool muted = false;
  };
  using Job = std::function<bool(AlsaMixer&, Answer&)>;

  std::mutex mutex;
  std::condition_variable wake;
  std::condition_variable done;
  Job job;
  bool stop = false;
  bool hung = false;
  unsigned long long posted = 0;
  unsigned long long finished = 0;
  bool result = false;
  Answer answer;

  static void Loop(std::shared_ptr<Worker> self) {
    AlsaMixer mixer;
    std::unique_lock lock(self->mutex);
    for (;;) {
      self->wake.wait(lock, [&] { return self->stop || self->job; });
      if (!self->job) break;
      Job job = std::move(self->job);
      self->job = nullptr;
      lock.unlock();
      Answer answer;
      const bool result = job(mixer, answer);
      lock.lock();
      self->result = result;
      self->answer = answer;
      ++self->finished;
      self->done.notify_all();
      if (self->stop) break;
    }
  }

  // Runs job on the thread and waits up to the time-out; false when it failed or ran out of time.
  bool Run(Job next, Answer* out) {
    std::unique_lock lock(mutex);
    if (hung) return false;
    job = std::move(next);
    const unsigned long long ticket = ++posted;
    wake.notify_one();
    const bool answered =
        done.wait_for(lock, std::chrono::milliseconds(kVolumeTimeoutMs), [&] { return finished == ticket; });
    if (!answered) {
      hung = true;
      LogWarning(kVolumeLog, "the mixer did not answer in time; giving it up");
      return false;
    }
    if (out != nullptr) *out = answer;
    return result;
  }
};

class AlsaVolume final : public MasterVolume {
 public:
  AlsaVolume() : m_worker(std::make_shared<Worker>()), m_thread(Worker::Loop, m_worker) {}

  ~AlsaVolume() override {
    bool hung = false;
    {
      std::lock_guard lock(m_worker->mutex);
      m_worker->stop = true;
      hung = m_worker->hung;
    }
    m_worker->wake.notify_one();
    if (hung) {
      m_thread.detach();  // still inside ALSA; it ends on its own when the call returns
    } else {
      m_thread.join();
    }
  }

  bool Open() {
    return m_worker->Run([](AlsaMixer& mixer, Worker::Answer&) { return mixer.Open(); }, nullptr);
  }

  VolumeMethod Method() const override { return VolumeMethod::Mixer; }

  bool GetLevel(double* level) override {
    Worker::Answer answer;
    if (!m_worker->Run([](AlsaMixer& mixer, Worker::Answer& a) { return mixer.GetLevel(&a.level); }, &answer))
      return false;
    *level = answer.level;
    return true;
  }

  bool SetLevel(double level) override {
    if (!(level >= 0.0 && level <= 1.0)) return false;
    return m_worker->Run([level](AlsaMixer& mixer, Worker::Answer&) { return mixer.SetLevel(level); },
                         nullptr);
  }

  bool GetMuted(bool* muted) override {
    Worker::Answer answer;
    if (!m_worker->Run([](AlsaMixer& mixer, Worker::Answer& a) { return mixer.GetMuted(&a.muted); }, &answer))
      return false;
    *muted = answer.muted;
    return true;
  }

  bool SetMuted(bool muted) override {
    return m_worker->Run([muted](AlsaMixer& mixer, Worker::Answer&) { return mixer.SetMuted(muted); },
                         nullptr);
  }

 private:
  std::shared_ptr<Worker> m_worker;
  std::thread m_thread;
};

}  // namespace

std::unique_ptr<MasterVolume> OpenAlsaVolume() {
  auto volume = std::make_unique<AlsaVolume>();
  if (!volume->Open()) return nullptr;
  return volume;
}

}  // namespace platform
