// SPDX-License-Identifier: GPL-3.0-or-later
#include "GlobalSettings.h"

#include "SettingsDocument.h"
#include "platform/utf.h"

#include <algorithm>

CGlobalSettings::CGlobalSettings() = default;

void CGlobalSettings::StartUp() {
  m_defaultProfile = CProfile(kDefaultProfileName);
  m_currentProfile = CProfile();
  m_nCurMode = 0;
  m_nDevStyeID = 2;
  m_blaunchstart = false;
  m_benablegesture = false;
  m_strCurrentprofileName.clear();
  // One read of the file serves the whole sequence; nothing writes to it in between.
  const SettingsDocument file(GetSettingsFilePath());
  ReadGlobalSettings(file);

  m_defaultProfile.AssignFunction(BindingIndex(0, 0), 901);  // Page Up
  m_defaultProfile.AssignFunction(BindingIndex(0, 1), 904);  // Fullscreen
  m_defaultProfile.AssignFunction(BindingIndex(0, 2), 902);  // Page Down

  ReadProfileNames(file);
  CopyDefaultToCurrent();
  m_currentProfile.SetName(m_strCurrentprofileName.empty() ? kDefaultProfileName : m_strCurrentprofileName);
  // A profile that is not stored would load as no bindings at all; the default bindings,
  // under the wanted name, keep the remote's keys working instead.
  if (!IsNewProfileName(m_currentProfile.Name())) m_currentProfile.LoadFrom(file);
}

bool CGlobalSettings::LoadGlobalSettings() { return ReadGlobalSettings(SettingsDocument(GetSettingsFilePath())); }

bool CGlobalSettings::ReadGlobalSettings(const SettingsDocument& file) {
  if (!file.Parsed()) return false;
  pugi::xml_node global = file.Document().child("global");
  if (!global) return false;
  m_nDevStyeID = IntegerAttribute(global, "m_nDevStyeID");
  m_blaunchstart = IntegerAttribute(global, "m_blaunchstart") != 0;
  m_benablegesture = IntegerAttribute(global, "m_benablegesture") != 0;
  m_strCurrentprofileName = TextAttribute(global, "m_strCurrentprofileName");
  return true;
}

bool CGlobalSettings::SaveGlobalSettings() {
  SettingsDocument file(GetSettingsFilePath());
  pugi::xml_document& document = file.Document();
  // Every `global` goes, not only the first: otherwise an older second one would be read first
  // at the next start and the value just saved would be lost.
  while (pugi::xml_node old = document.child("global")) document.remove_child(old);
  pugi::xml_node global = document.append_child("global");
  AppendAttribute(global, "m_nDevStyeID", m_nDevStyeID);
  AppendAttribute(global, "m_blaunchstart", m_blaunchstart ? 1 : 0);
  AppendAttribute(global, "m_benablegesture", m_benablegesture ? 1 : 0);
  AppendAttribute(global, "m_strCurrentprofileName", m_strCurrentprofileName);
  return file.Save();
}

bool CGlobalSettings::DeleteProfile(const std::wstring& name) {
  if (name.empty() || name == kDefaultProfileName) return false;
  SettingsDocument file(GetSettingsFilePath());
  if (!file.Parsed()) return false;
  pugi::xml_node profiles = file.Document().child("profilecfg");
  if (!profiles) return false;
  const std::string wanted = platform::ToUtf8(name);
  bool removed = false;
  for (pugi::xml_node profile = profiles.child("profile"); profile;) {
    pugi::xml_node next = profile.next_sibling("profile");
    if (wanted == profile.attribute("name").value()) removed = profiles.remove_child(profile) || removed;
    profile = next;
  }
  return removed && file.Save();
}

void CGlobalSettings::EnumProfileNames() { ReadProfileNames(SettingsDocument(GetSettingsFilePath())); }

void CGlobalSettings::ReadProfileNames(const SettingsDocument& file) {
  m_profileNames.clear();
  if (!file.Parsed()) return;
  for (pugi::xml_node profile : file.Document().child("profilecfg").children("profile")) {
    m_profileNames.push_back(TextAttribute(profile, "name"));
  }
}

bool CGlobalSettings::IsNewProfileName(const std::wstring& name) const {
  return std::find(m_profileNames.begin(), m_profileNames.end(), name) == m_profileNames.end();
}

void CGlobalSettings::CopyDefaultToCurrent() { m_currentProfile.CopyBindingsFrom(m_defaultProfile); }

void CGlobalSettings::SelectProfile(const std::wstring& name) {
  if (name.empty() || name == m_currentProfile.Name()) return;
  m_strCurrentprofileName = name;
  SaveGlobalSettings();
  m_currentProfile.SetName(name);
  m_currentProfile.Load();
  if (m_onCurrentProfileChanged) m_onCurrentProfileChanged();
}

CGlobalSettings& GlobalSettings() {
  static CGlobalSettings* settings = [] {
    auto* s = new CGlobalSettings();  // lives until process exit, never destroyed mid-teardown
    s->StartUp();
    return s;
  }();
  return *settings;
}
