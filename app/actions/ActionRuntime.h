// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Performs the function bound to a slot: key strokes through a key injector, programs and the
// two overlays through the platform shell.
//
// Thread: the GUI thread; calls block while their key strokes are sent (16 ms per wait) and,
// for the overlays, until the ended overlay processes are gone.
// Ownership: the runtime refers to the settings and the key injector it is given; both must
// outlive it.
// Failure: nothing is reported. A missing program, a failed start or a code that cannot be
// sent ends the function quietly; the platform layer logs the reason.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/keys.h"
#include "settings/GlobalSettings.h"
#include "settings/Profile.h"

// The pause between two key events of a sequence; WaitKeyInterval sleeps at least this long.
inline constexpr std::chrono::milliseconds kKeyInterval{16};
void WaitKeyInterval();

class CActionRuntime {
 public:
  CActionRuntime(const CGlobalSettings& settings, platform::KeyInjector& keys);

  // Performs the binding of `slot` (0-10) in the current mode of the current profile. Nothing
  // happens for a mode outside 0-3, a slot outside 0-10 or an unbound slot.
  void PerformSlot(int slot);

  // Performs one function with its parameters; ids outside the catalogue do nothing.
  void PerformFunction(int32_t functionId, const KeyCombination& keys, const ApplicationEntry& application,
                       const std::wstring& pointerImagePath);
  void PerformFunction(const Binding& binding);

  bool IsPointerOverlayRunning() const;
  bool IsProcessRunningByPath(const std::wstring& path) const;
  // End every running instance of the overlay and return once all are gone.
  void EndPointerOverlay();
  void EndVolumeOverlay();

  // The folder the overlays are started from: the running executable's own, unless set.
  const std::filesystem::path& GetProgramFolder() const { return m_programFolder; }
  void SetProgramFolder(std::filesystem::path folder) { m_programFolder = std::move(folder); }

  // Function 201: the main window shows and activates itself. Unset, 201 does nothing.
  void SetShowMainWindowHook(std::function<void()> hook) { m_showMainWindow = std::move(hook); }

  // The pause between key events; WaitKeyInterval unless replaced (benchmarks, tests).
  void SetKeyWait(std::function<void()> wait) { m_wait = std::move(wait); }

 private:
  void Press(uint8_t vk, platform::ScanCodeRule rule = platform::ScanCodeRule::Mapped);
  void Release(uint8_t vk, platform::ScanCodeRule rule = platform::ScanCodeRule::Mapped);
  void Wait() { m_wait(); }
  void Tap(uint8_t vk);
  void Chord(uint8_t first, uint8_t second);

  void TogglePointerOverlay(const std::wstring& pointerImagePath);
  void RestartVolumeOverlay();
  void StartApplication(const ApplicationEntry& application);
  void TypeKeyCombination(const KeyCombination& keys);
  void PreviousApplication();
  void CopyText();

  const CGlobalSettings& m_settings;
  platform::KeyInjector& m_keys;
  std::filesystem::path m_programFolder;
  std::function<void()> m_showMainWindow;
  std::function<void()> m_wait = WaitKeyInterval;
};
