// SPDX-License-Identifier: GPL-3.0-or-later
#include "Profile.h"

#include "SettingsDocument.h"
#include "platform/utf.h"

#include <cstdio>

namespace {

// "customKey1_1" (mode 0, media button 1) to "customKey4_11" (mode 3, NW swipe).
std::string BindingElementName(int index) {
  char name[32];
  std::snprintf(name, sizeof name, "customKey%d_%d", index / kSlotCount + 1, index % kSlotCount + 1);
  return name;
}

bool HasName(const pugi::xml_node& profile, const std::string& name) {
  return name == profile.attribute("name").value();
}

void WriteBinding(pugi::xml_node& parent, int index, const Binding& binding) {
  pugi::xml_node node = parent.append_child(BindingElementName(index).c_str());
  AppendAttribute(node, "value", binding.functionId);
  AppendAttribute(node, "SystemKey", binding.keys.systemKey);
  AppendAttribute(node, "SingleKey1", binding.keys.singleKey1);
  AppendAttribute(node, "SingleKey2", binding.keys.singleKey2);
  AppendAttribute(node, "appPath", binding.application.appPath);
  AppendAttribute(node, "bMultiInst", binding.application.bMultiInst ? 1 : 0);
  AppendAttribute(node, "pointepngPath", binding.pointerImagePath);
}

void ReadBinding(const pugi::xml_node& node, Binding& binding) {
  binding.functionId = IntegerAttribute(node, "value");
  // Only the low 8 bits of a key value are kept: "300" reads as 44.
  binding.keys.systemKey = static_cast<uint8_t>(IntegerAttribute(node, "SystemKey"));
  binding.keys.singleKey1 = static_cast<uint8_t>(IntegerAttribute(node, "SingleKey1"));
  binding.keys.singleKey2 = static_cast<uint8_t>(IntegerAttribute(node, "SingleKey2"));
  binding.application.appPath = TextAttribute(node, "appPath");
  binding.application.bMultiInst = IntegerAttribute(node, "bMultiInst") != 0;
  binding.pointerImagePath = TextAttribute(node, "pointepngPath");
}

}  // namespace

void CProfile::AssignFunction(int index, int32_t functionId) {
  Binding& binding = m_bindings.at(index);
  binding = Binding{};
  binding.functionId = functionId;
}

void CProfile::Clear() { m_bindings.fill(Binding{}); }

bool CProfile::Save() const {
  if (m_strName.empty()) return false;
  SettingsDocument file(GetSettingsFilePath());
  pugi::xml_document& document = file.Document();

  // A new `profilecfg` is written with the profile below; a save of its own first would only
  // write the same file twice.
  pugi::xml_node profiles = document.child("profilecfg");
  if (!profiles) profiles = document.append_child("profilecfg");

  const std::string name = platform::ToUtf8(m_strName);
  pugi::xml_node element;
  for (pugi::xml_node profile = profiles.child("profile"); profile;) {
    pugi::xml_node next = profile.next_sibling("profile");
    if (HasName(profile, name)) {
      if (!element) element = profile;
      else profiles.remove_child(profile);  // a later duplicate
    }
    profile = next;
  }

  if (element) {
    while (pugi::xml_node child = element.find_child([](pugi::xml_node n) { return n.type() == pugi::node_element; })) {
      element.remove_child(child);
    }
  } else {
    element = profiles.append_child("profile");
    element.append_attribute("name").set_value(name.c_str());
  }

  for (int index = 0; index < kBindingCount; ++index) WriteBinding(element, index, m_bindings[index]);
  return file.Save();
}

bool CProfile::Load() { return LoadFrom(SettingsDocument(GetSettingsFilePath())); }

bool CProfile::LoadFrom(const SettingsDocument& file) {
  if (m_strName.empty() || !file.FileExists()) return false;

  // Parameters of bindings the file lacks stay as they were; ids and keys do not.
  for (Binding& binding : m_bindings) {
    binding.functionId = 0;
    binding.keys = {};
  }

  if (!file.Parsed()) return false;
  const std::string name = platform::ToUtf8(m_strName);
  pugi::xml_node element = file.Document().child("profilecfg").find_child(
      [&](pugi::xml_node n) { return std::string_view(n.name()) == "profile" && HasName(n, name); });
  if (!element) return false;

  for (int index = 0; index < kBindingCount; ++index) {
    if (pugi::xml_node node = element.child(BindingElementName(index).c_str())) ReadBinding(node, m_bindings[index]);
  }
  return true;
}
