// SPDX-License-Identifier: GPL-3.0-or-later
#include "ActionRuntime.h"

#include <array>
#include <system_error>
#include <thread>

#include "FunctionCatalogue.h"
#include "platform/log.h"
#include "platform/shell.h"
#include "platform/utf.h"

namespace {

constexpr const char* kCategory = "veltrio.actions";
constexpr std::string_view kPointerOverlay = "VtaPointer";
constexpr std::string_view kVolumeOverlay = "VtaGyroVol";

// Windows virtual-key codes, the codes profiles store.
namespace vk {
constexpr uint8_t Shift = 0x10, Control = 0x11, Menu = 0x12, Escape = 0x1B, Prior = 0x21, Next = 0x22;
constexpr uint8_t Left = 0x25, Right = 0x27, Snapshot = 0x2C;
constexpr uint8_t B = 0x42, C = 0x43, D = 0x44, E = 0x45, P = 0x50, S = 0x53, V = 0x56, X = 0x58;
constexpr uint8_t LWin = 0x5B, F4 = 0x73, F5 = 0x74;
constexpr uint8_t LShift = 0xA0, RShift = 0xA1, LControl = 0xA2, RControl = 0xA3, LMenu = 0xA4, RMenu = 0xA5;
constexpr uint8_t RWin = 0x5C;
constexpr uint8_t BrowserFavorites = 0xAB, VolumeMute = 0xAD, VolumeDown = 0xAE, VolumeUp = 0xAF;
constexpr uint8_t MediaNext = 0xB0, MediaPrev = 0xB1, MediaStop = 0xB2, MediaPlayPause = 0xB3;
}  // namespace vk

// The functions that are one tap or one chord.
struct KeyStroke {
  int32_t id;
  uint8_t first;
  uint8_t second;  // 0: a tap of `first`
};

constexpr auto kKeyStrokes = std::to_array<KeyStroke>({
    {204, vk::LWin, vk::S},
    {402, vk::VolumeUp, 0},
    {403, vk::VolumeDown, 0},
    {404, vk::VolumeMute, 0},
    {501, vk::LMenu, vk::Escape},
    {503, vk::Menu, vk::F4},
    {504, vk::LWin, vk::D},
    {602, vk::LControl, vk::X},
    {603, vk::LControl, vk::V},
    {604, vk::Snapshot, 0},
    {702, vk::LMenu, vk::Right},
    {703, vk::LMenu, vk::Left},
    {704, vk::F5, 0},
    {705, vk::BrowserFavorites, 0},
    {801, vk::MediaPlayPause, 0},
    {802, vk::MediaStop, 0},
    {803, vk::MediaNext, 0},
    {804, vk::MediaPrev, 0},
    {902, vk::Next, 0},
    {903, vk::Shift, vk::B},
    {904, vk::Shift, vk::F5},
    {905, vk::Escape, 0},
    {906, vk::Control, vk::P},
    {907, vk::E, 0},
});

// The keys of the modifier mask of a custom combination, bit 0 first.
constexpr std::array<uint8_t, 8> kModifierKeys = {vk::LControl, vk::LShift, vk::LMenu, vk::LWin,
                                                  vk::RControl, vk::RShift, vk::RMenu, vk::RWin};

const KeyStroke* FindKeyStroke(int32_t id) {
  for (const KeyStroke& stroke : kKeyStrokes) {
    if (stroke.id == id) return &stroke;
  }
  return nullptr;
}

}  // namespace

void WaitKeyInterval() {
  // sleep_for may wake early on some systems; the interval is a lower bound, so check the clock.
  const auto end = std::chrono::steady_clock::now() + kKeyInterval;
  for (auto now = std::chrono::steady_clock::now(); now < end; now = std::chrono::steady_clock::now())
    std::this_thread::sleep_for(end - now);
}

CActionRuntime::CActionRuntime(const CGlobalSettings& settings, platform::KeyInjector& keys)
    : m_settings(settings), m_keys(keys), m_programFolder(platform::ProgramFolder()) {}

void CActionRuntime::PerformSlot(int slot) {
  const int mode = m_settings.m_nCurMode;
  if (mode < 0 || mode >= kModeCount || slot < 0 || slot >= kSlotCount) return;
  const Binding& binding = m_settings.m_currentProfile.At(BindingIndex(mode, slot));
  if (binding.functionId == kNoFunction) return;
  PerformFunction(binding);
}

void CActionRuntime::PerformFunction(const Binding& binding) {
  PerformFunction(binding.functionId, binding.keys, binding.application, binding.pointerImagePath);
}

void CActionRuntime::PerformFunction(int32_t functionId, const KeyCombination& keys,
                                     const ApplicationEntry& application, const std::wstring& pointerImagePath) {
  if (const KeyStroke* stroke = FindKeyStroke(functionId)) {
    if (stroke->second == 0) Tap(stroke->first);
    else Chord(stroke->first, stroke->second);
    return;
  }
  using platform::DesktopTarget;
  switch (functionId) {
    case 101: TogglePointerOverlay(pointerImagePath); break;
    case 201:
      if (m_showMainWindow) m_showMainWindow();
      break;
    case 202:
    case 701: platform::OpenDesktopTarget(DesktopTarget::WebBrowser); break;
    case 203: platform::OpenDesktopTarget(DesktopTarget::MailProgram); break;
    case 205: platform::OpenDesktopTarget(DesktopTarget::MediaPlayer); break;
    case 206: StartApplication(application); break;
    case 301: platform::OpenDesktopTarget(DesktopTarget::OnScreenKeyboard); break;
    case 302: TypeKeyCombination(keys); break;
    case 401: RestartVolumeOverlay(); break;
    case 502: PreviousApplication(); break;
    case 601: CopyText(); break;
    case 901:
      // Page Up alone waits after its release.
      Tap(vk::Prior);
      Wait();
      break;
    default:
      if (functionId != kNoFunction) {
        platform::LogDebug(kCategory, "function " + std::to_string(functionId) + " is not in the catalogue");
      }
      break;
  }
}

void CActionRuntime::Press(uint8_t code, platform::ScanCodeRule rule) {
  m_keys.Send({.vk = code, .down = true, .scanCode = rule});
}

void CActionRuntime::Release(uint8_t code, platform::ScanCodeRule rule) {
  m_keys.Send({.vk = code, .down = false, .scanCode = rule});
}

void CActionRuntime::Tap(uint8_t code) {
  Press(code);
  Wait();
  Release(code);
}

void CActionRuntime::Chord(uint8_t first, uint8_t second) {
  Press(first);
  Wait();
  Press(second);
  Wait();
  Release(second);
  Wait();
  Release(first);
}

// Alt and Escape are down before Shift, so the window switcher sees Alt+Esc turned backwards.
void CActionRuntime::PreviousApplication() {
  Press(vk::LMenu);
  Wait();
  Press(vk::Escape);
  Wait();
  Press(vk::Shift);
  Wait();
  Release(vk::Shift);
  Wait();
  Release(vk::Escape);
  Wait();
  Release(vk::LMenu);
}

void CActionRuntime::TypeKeyCombination(const KeyCombination& keys) {
  constexpr auto zero = platform::ScanCodeRule::Zero;
  auto step = [&](uint8_t code, bool down) {
    if (down) Press(code, zero);
    else Release(code, zero);
    Wait();
  };
  for (int bit = 0; bit < 8; ++bit)
    if (keys.systemKey & (1u << bit)) step(kModifierKeys[bit], true);
  if (keys.singleKey1 != 0) step(keys.singleKey1, true);
  if (keys.singleKey2 != 0) step(keys.singleKey2, true);
  if (keys.singleKey1 != 0) step(keys.singleKey1, false);
  if (keys.singleKey2 != 0) step(keys.singleKey2, false);
  for (int bit = 0; bit < 8; ++bit)
    if (keys.systemKey & (1u << bit)) step(kModifierKeys[bit], false);
}

void CActionRuntime::CopyText() {
  if (m_keys.CopyByMessage()) return;
  using platform::ScanCodeRule;
  m_keys.Send({.vk = vk::LControl, .down = true, .scanCode = ScanCodeRule::Mapped, .extended = true});
  m_keys.Send({.vk = vk::C, .down = true, .scanCode = ScanCodeRule::Zero});
  m_keys.Send({.vk = vk::C, .down = false, .scanCode = ScanCodeRule::Zero});
  m_keys.Send({.vk = vk::LControl, .down = false, .scanCode = ScanCodeRule::Mapped, .extended = true});
}

void CActionRuntime::StartApplication(const ApplicationEntry& application) {
  if (application.appPath.empty()) return;
  const std::filesystem::path path = platform::ToPath(application.appPath);
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    platform::LogDebug(kCategory, "application " + path.native() + " does not exist");
    return;
  }
  if (!application.bMultiInst && IsProcessRunningByPath(application.appPath)) return;
  platform::LaunchApplication(path);
}

bool CActionRuntime::IsPointerOverlayRunning() const {
  return platform::IsProcessRunningByName(platform::ExecutableFileName(kPointerOverlay));
}

bool CActionRuntime::IsProcessRunningByPath(const std::wstring& path) const {
  return platform::IsProcessRunningByPath(platform::ToPath(path));
}

void CActionRuntime::EndPointerOverlay() { platform::EndProcessesByName(platform::ExecutableFileName(kPointerOverlay)); }

void CActionRuntime::EndVolumeOverlay() { platform::EndProcessesByName(platform::ExecutableFileName(kVolumeOverlay)); }

void CActionRuntime::TogglePointerOverlay(const std::wstring& pointerImagePath) {
  if (IsPointerOverlayRunning()) {
    EndPointerOverlay();
    return;
  }
  std::vector<std::wstring> arguments;
  if (!pointerImagePath.empty()) arguments.push_back(pointerImagePath);
  platform::StartProgram(m_programFolder / platform::ExecutableFileName(kPointerOverlay), arguments, m_programFolder);
}

// Restarted, never toggled: a press always leaves one fresh volume overlay.
void CActionRuntime::RestartVolumeOverlay() {
  EndVolumeOverlay();
  platform::StartProgram(m_programFolder / platform::ExecutableFileName(kVolumeOverlay), {}, m_programFolder);
}
