// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The configuration program's persistent state: the four program-wide settings of the
// settings file's `global` element, the built-in default profile, the current profile and the
// names of the stored profiles.
//
// One process-wide object, reached through GlobalSettings(); the first call runs the start-up
// sequence (settings read, current profile picked), and the program makes that call before it
// creates any window. Tests construct their own object and call StartUp().
// Thread: the GUI thread. Failure: booleans; no failure is shown to the user.

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "Profile.h"

class SettingsDocument;

class CGlobalSettings {
 public:
  CGlobalSettings();  // initial values only; no file access

  // The start-up sequence: load the settings, build the default profile, list the stored
  // profiles and make the one named in the settings (or the default) current. A name that no
  // stored profile has gets the default bindings.
  void StartUp();

  // Reads the `global` element. False when the file, its document or the element is missing.
  bool LoadGlobalSettings();
  // Replaces the `global` element with the members' values. False when the write fails.
  bool SaveGlobalSettings();

  // Removes every stored profile of that name; refuses the empty name and "defalut".
  bool DeleteProfile(const std::wstring& name);
  // Replaces m_profileNames with the stored profiles' names, in file order.
  void EnumProfileNames();
  bool IsNewProfileName(const std::wstring& name) const;
  void CopyDefaultToCurrent();

  // Makes the stored profile `name` current and remembers it for the next start. Does nothing
  // for the empty name or the current one. Calls m_onCurrentProfileChanged afterwards, where the
  // window syncs its comboboxes and redraws its slots.
  void SelectProfile(const std::wstring& name);
  std::function<void()> m_onCurrentProfileChanged;

  // The reading halves of the operations above, over a file loaded once.
  bool ReadGlobalSettings(const SettingsDocument& file);
  void ReadProfileNames(const SettingsDocument& file);

  CProfile m_defaultProfile{kDefaultProfileName};
  CProfile m_currentProfile;
  int m_nCurMode = 0;        // 0-3, not persisted
  // Device model 1, 2 or 3. Atomic because the devbridge reader thread reads it to decode
  // the remote's reports while the GUI thread may change it.
  std::atomic<int> m_nDevStyeID{2};
  bool m_blaunchstart = false;
  bool m_benablegesture = false;
  std::wstring m_strCurrentprofileName;
  std::vector<std::wstring> m_profileNames;
};

// The process-wide settings; the first call runs StartUp().
CGlobalSettings& GlobalSettings();
