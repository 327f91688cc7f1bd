// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/volume.h"

#include "platform/log.h"
#include "win32_windows.h"

#include <endpointvolume.h>
#include <mmdeviceapi.h>
#include <mmsystem.h>

#include <cmath>
#include <vector>

namespace platform {
namespace {

constexpr const char* kCategory = category::kVolume;
constexpr long kNorm = 1000000;  // channel scalars as integers for the shared level arithmetic

bool InRange(double level) { return !std::isnan(level) && level >= 0.0 && level <= 1.0; }

void LogFailure(const char* operation, HRESULT result) {
  LogWarning(kCategory, win32::Failure(operation, static_cast<DWORD>(result)));
}

// Core Audio's endpoint volume of the default render endpoint (console role).
class EndpointVolume final : public MasterVolume {
 public:
  EndpointVolume(bool comStarted, IAudioEndpointVolume* volume) : m_comStarted(comStarted), m_volume(volume) {}
  ~EndpointVolume() override {
    m_volume->Release();
    if (m_comStarted) CoUninitialize();
  }

  VolumeMethod Method() const override { return VolumeMethod::Endpoint; }

  bool GetLevel(double* level) override {
    std::vector<long> channels;
    if (!Channels(&channels)) return false;
    *level = LevelOfChannels(channels.data(), static_cast<int>(channels.size()), 0, kNorm);
    return true;
  }

  bool SetLevel(double level) override {
    if (!InRange(level)) return false;
    std::vector<long> channels;
    if (!Channels(&channels)) return false;
    ScaleChannels(channels.data(), static_cast<int>(channels.size()), 0, kNorm, level);
    for (UINT i = 0; i < channels.size(); ++i) {
      const float scalar = static_cast<float>(channels[i]) / kNorm;
      const HRESULT result = m_perChannel ? m_volume->SetChannelVolumeLevelScalar(i, scalar, nullptr)
                                          : m_volume->SetMasterVolumeLevelScalar(scalar, nullptr);
      if (FAILED(result)) {
        LogFailure("set the endpoint volume", result);
        return false;
      }
    }
    return true;
  }

  bool GetMuted(bool* muted) override {
    BOOL state = FALSE;
    const HRESULT result = m_volume->GetMute(&state);
    if (FAILED(result)) {
      LogFailure("read the endpoint mute", result);
      return false;
    }
    *muted = state != FALSE;
    return true;
  }

  bool SetMuted(bool muted) override {
    const HRESULT result = m_volume->SetMute(muted ? TRUE : FALSE, nullptr);
    if (FAILED(result)) LogFailure("set the endpoint mute", result);
    return SUCCEEDED(result);
  }

 private:
  bool Channels(std::vector<long>* channels) {
    UINT count = 0;
    HRESULT result = m_volume->GetChannelCount(&count);
    if (result == E_NOTIMPL) return Master(channels);
    if (FAILED(result) || count == 0) {
      LogFailure("count the endpoint channels", result);
      return false;
    }
    channels->resize(count);
    for (UINT i = 0; i < count; ++i) {
      float scalar = 0;
      result = m_volume->GetChannelVolumeLevelScalar(i, &scalar);
      if (FAILED(result)) {
        LogFailure("read the endpoint volume", result);
        return false;
      }
      (*channels)[i] = std::lround(static_cast<double>(scalar) * kNorm);
    }
    return true;
  }

  // The endpoint's master level as its one channel, where the channels cannot be read one by one.
  bool Master(std::vector<long>* channels) {
    float scalar = 0;
    const HRESULT result = m_volume->GetMasterVolumeLevelScalar(&scalar);
    if (FAILED(result)) {
      LogFailure("read the endpoint volume", result);
      return false;
    }
    m_perChannel = false;
    channels->assign(1, std::lround(static_cast<double>(scalar) * kNorm));
    return true;
  }

  bool m_comStarted;
  bool m_perChannel = true;
  IAudioEndpointVolume* m_volume;
};

std::unique_ptr<MasterVolume> OpenEndpoint() {
  const HRESULT started = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  const bool comStarted = SUCCEEDED(started);  // RPC_E_CHANGED_MODE: the thread has COM already
  auto fail = [comStarted](const char* operation, HRESULT result) -> std::unique_ptr<MasterVolume> {
    LogFailure(operation, result);
    if (comStarted) CoUninitialize();
    return nullptr;
  };
  IMMDeviceEnumerator* enumerator = nullptr;
  HRESULT result = CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                                    reinterpret_cast<void**>(&enumerator));
  if (FAILED(result)) return fail("create the audio device enumerator", result);
  IMMDevice* device = nullptr;
  result = enumerator->GetDefaultAudioEndpoint(eRender, eConsole, &device);
  enumerator->Release();
  if (FAILED(result)) return fail("find the default audio endpoint", result);
  IAudioEndpointVolume* volume = nullptr;
  result = device->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr, reinterpret_cast<void**>(&volume));
  device->Release();
  if (FAILED(result)) return fail("open the endpoint volume", result);
  return std::make_unique<EndpointVolume>(comStarted, volume);
}

// The winmm mixer's speakers line: its volume control (one value per channel) and mute switch.
class MixerVolume final : public MasterVolume {
 public:
  MixerVolume(HMIXER mixer, DWORD channels, MIXERCONTROLW volume, bool hasMute, MIXERCONTROLW mute)
      : m_mixer(mixer), m_channels(channels), m_volume(volume), m_hasMute(hasMute), m_mute(mute) {}
  ~MixerVolume() override { mixerClose(m_mixer); }

  VolumeMethod Method() const override { return VolumeMethod::Mixer; }

  bool GetLevel(double* level) override {
    std::vector<long> values;
    if (!Values(&values)) return false;
    *level = LevelOfChannels(values.data(), static_cast<int>(values.size()), static_cast<long>(m_volume.Bounds.dwMinimum),
                             static_cast<long>(m_volume.Bounds.dwMaximum));
    return true;
  }

  bool SetLevel(double level) override {
    if (!InRange(level)) return false;
    std::vector<long> values;
    if (!Values(&values)) return false;
    ScaleChannels(values.data(), static_cast<int>(values.size()), static_cast<long>(m_volume.Bounds.dwMinimum),
                  static_cast<long>(m_volume.Bounds.dwMaximum), level);
    std::vector<MIXERCONTROLDETAILS_UNSIGNED> details(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) details[i].dwValue = static_cast<DWORD>(values[i]);
    return Transfer(m_volume.dwControlID, m_channels, sizeof(MIXERCONTROLDETAILS_UNSIGNED), details.data(), false);
  }

  bool GetMuted(bool* muted) override {
    if (!m_hasMute) return false;
    MIXERCONTROLDETAILS_BOOLEAN state{};
    if (!Transfer(m_mute.dwControlID, 1, sizeof state, &state, true)) return false;
    *muted = state.fValue != 0;
    return true;
  }

  bool SetMuted(bool muted) override {
    if (!m_hasMute) return false;
    MIXERCONTROLDETAILS_BOOLEAN state{};
    state.fValue = muted ? 1 : 0;
    return Transfer(m_mute.dwControlID, 1, sizeof state, &state, false);
  }

 private:
  bool Values(std::vector<long>* values) {
    std::vector<MIXERCONTROLDETAILS_UNSIGNED> details(m_channels);
    if (!Transfer(m_volume.dwControlID, m_channels, sizeof(MIXERCONTROLDETAILS_UNSIGNED), details.data(), true))
      return false;
    values->clear();
    for (const auto& detail : details) values->push_back(static_cast<long>(detail.dwValue));
    return true;
  }

  bool Transfer(DWORD control, DWORD channels, DWORD itemSize, void* items, bool read) {
    MIXERCONTROLDETAILS details{};
    details.cbStruct = sizeof details;
    details.dwControlID = control;
    details.cChannels = channels;
    details.cbDetails = itemSize;
    details.paDetails = items;
    const DWORD flags = MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE;
    const MMRESULT result = read ? mixerGetControlDetailsW(reinterpret_cast<HMIXEROBJ>(m_mixer), &details, flags)
                                 : mixerSetControlDetails(reinterpret_cast<HMIXEROBJ>(m_mixer), &details, flags);
    if (result != MMSYSERR_NOERROR) LogWarning(kCategory, std::string(read ? "read" : "set") + " the mixer control: error " + std::to_string(result));
    return result == MMSYSERR_NOERROR;
  }

  HMIXER m_mixer;
  DWORD m_channels;
  MIXERCONTROLW m_volume;
  bool m_hasMute;
  MIXERCONTROLW m_mute;
};

bool FindControl(HMIXER mixer, DWORD line, DWORD type, MIXERCONTROLW* control) {
  MIXERLINECONTROLSW controls{};
  controls.cbStruct = sizeof controls;
  controls.dwLineID = line;
  controls.dwControlType = type;
  controls.cControls = 1;
  controls.cbmxctrl = sizeof *control;
  controls.pamxctrl = control;
  control->cbStruct = sizeof *control;
  return mixerGetLineControlsW(reinterpret_cast<HMIXEROBJ>(mixer), &controls,
                               MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) == MMSYSERR_NOERROR;
}

std::unique_ptr<MasterVolume> OpenMixer() {
  HMIXER mixer = nullptr;
  if (mixerOpen(&mixer, 0, 0, 0, MIXER_OBJECTF_MIXER) != MMSYSERR_NOERROR) {
    LogWarning(kCategory, "no mixer to open");
    return nullptr;
  }
  MIXERLINEW line{};
  line.cbStruct = sizeof line;
  line.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
  MIXERCONTROLW volume{};
  MIXERCONTROLW mute{};
  if (mixerGetLineInfoW(reinterpret_cast<HMIXEROBJ>(mixer), &line,
                        MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE) != MMSYSERR_NOERROR ||
      !FindControl(mixer, line.dwLineID, MIXERCONTROL_CONTROLTYPE_VOLUME, &volume) ||
      volume.Bounds.dwMaximum <= volume.Bounds.dwMinimum) {
    LogWarning(kCategory, "the mixer has no speakers volume");
    mixerClose(mixer);
    return nullptr;
  }
  const bool hasMute = FindControl(mixer, line.dwLineID, MIXERCONTROL_CONTROLTYPE_MUTE, &mute);
  // A control that sets all channels at once (MIXERCONTROL_CONTROLF_UNIFORM) has one value.
  const DWORD channels = (volume.fdwControl & MIXERCONTROL_CONTROLF_UNIFORM) || line.cChannels == 0 ? 1 : line.cChannels;
  return std::make_unique<MixerVolume>(mixer, channels, volume, hasMute, mute);
}

}  // namespace

std::unique_ptr<MasterVolume> MasterVolume::Open(VolumeMethod method) {
  return method == VolumeMethod::Endpoint ? OpenEndpoint() : OpenMixer();
}

}  // namespace platform
