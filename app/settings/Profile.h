// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A named profile: for each of the 4 modes and 11 slots, the bound function and its parameters.
// Stored in the settings file's `profilecfg` element; every write is a full load, edit and save
// of that file, so the other profiles and the `global` element always survive.
// Thread: the GUI thread (all profile operations and the action runtime run there).
// Failure: booleans, which callers may ignore; a failed operation leaves the file as it was.

#include <array>
#include <cstdint>
#include <string>

class SettingsDocument;

inline constexpr int kModeCount = 4;
inline constexpr int kSlotCount = 11;  // 0-2 media buttons, 3-10 the Left..NW swipes
inline constexpr int kBindingCount = kModeCount * kSlotCount;

inline constexpr int BindingIndex(int mode, int slot) { return mode * kSlotCount + slot; }

// The custom key combination of function 302: modifier bits and up to two virtual-key codes.
struct KeyCombination {
  uint8_t systemKey = 0;   // bit 0 LCtrl, 1 LShift, 2 LAlt, 3 LWin, 4 RCtrl, 5 RShift, 6 RAlt, 7 RWin
  uint8_t singleKey1 = 0;
  uint8_t singleKey2 = 0;
  bool operator==(const KeyCombination&) const = default;
};

// The program of function 206.
struct ApplicationEntry {
  bool bMultiInst = false;   // allow a second instance when one already runs
  std::wstring appPath;      // kept whole, whatever its length
  bool operator==(const ApplicationEntry&) const = default;
};

struct Binding {
  int32_t functionId = 0;    // 0 = no function
  KeyCombination keys;
  ApplicationEntry application;
  std::wstring pointerImagePath;  // function 101; empty = the overlay's own image
  bool operator==(const Binding&) const = default;
};

class CProfile {
 public:
  explicit CProfile(std::wstring name = {}) : m_strName(std::move(name)) {}

  const std::wstring& Name() const { return m_strName; }
  void SetName(std::wstring name) { m_strName = std::move(name); }

  Binding& At(int index) { return m_bindings.at(index); }
  const Binding& At(int index) const { return m_bindings.at(index); }
  const std::array<Binding, kBindingCount>& Bindings() const { return m_bindings; }

  // Binds `functionId` to binding `index` with empty parameters; 0 clears the binding.
  void AssignFunction(int index, int32_t functionId);
  void ClearBinding(int index) { AssignFunction(index, 0); }

  // Zeroes every binding; the name stays.
  void Clear();
  // Copies every binding of `other`; the name stays.
  void CopyBindingsFrom(const CProfile& other) { m_bindings = other.m_bindings; }

  // Writes this profile into the settings file, replacing the stored profile of the same name
  // (and dropping later duplicates). False for an empty name or when the write fails.
  bool Save() const;

  // Replaces the bindings with the stored profile of this name. Function ids and keys are zeroed
  // first; the parameters of a binding the file lacks are kept. False when the file, the
  // profile or the name is missing, or the file does not parse.
  bool Load();
  // The same from a settings file already loaded (the start-up sequence reads it once).
  bool LoadFrom(const SettingsDocument& file);

 private:
  std::wstring m_strName;
  std::array<Binding, kBindingCount> m_bindings{};
};

inline constexpr const wchar_t* kDefaultProfileName = L"defalut";
