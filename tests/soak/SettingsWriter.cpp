// SPDX-License-Identifier: GPL-3.0-or-later
// The settings code in a process of its own, for the soak scenarios that kill it mid-save or
// starve its writes. XDG_CONFIG_HOME names the settings folder.
//
//   veltrio-settings-writer save N      N saves: the two states by turns (N 0: until killed)
//   veltrio-settings-writer check       exit 0 when global.xml holds one whole state
//   veltrio-settings-writer start       what the instance does at its start: removes the
//                                       leftovers of interrupted writes
//   veltrio-settings-writer starved     one save of the other state that must fail (the caller
//                                       limited the disk or the folder); exit 0 when both writes
//                                       reported failure and the settings still read
//
// A state is the `global` element and two profiles, every binding of a profile bound to one
// function: state 0 binds Page Up (901) and model 2, state 1 Page Down (902) and model 3. The
// global element and each profile are saved apart, as the window saves them, so a file on disk
// may mix the states across elements but never within one.

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "settings/GlobalSettings.h"
#include "settings/SettingsDocument.h"

namespace {

const wchar_t* const kProfiles[] = {L"Lecture", L"Talk"};

int FunctionOf(int state) { return state == 0 ? 901 : 902; }
int ModelOf(int state) { return state == 0 ? 2 : 3; }

bool SaveState(CGlobalSettings& settings, int state) {
  settings.m_nDevStyeID = ModelOf(state);
  bool ok = settings.SaveGlobalSettings();
  for (const wchar_t* name : kProfiles) {
    CProfile profile(name);
    for (int index = 0; index < kBindingCount; ++index) profile.AssignFunction(index, FunctionOf(state));
    ok = profile.Save() && ok;
  }
  return ok;
}

// Which state the file's element holds whole: 0 or 1, -1 for none.
int StateOfProfile(const pugi::xml_node& profile) {
  int state = -1, bindings = 0;
  for (pugi::xml_node binding : profile.children()) {
    const int function = IntegerAttribute(binding, "value");
    const int found = function == FunctionOf(0) ? 0 : function == FunctionOf(1) ? 1 : -1;
    if (found < 0 || (state >= 0 && found != state)) return -1;
    state = found;
    ++bindings;
  }
  return bindings == kBindingCount ? state : -1;
}

int Check() {
  const SettingsDocument file(GetSettingsFilePath());
  if (!file.Parsed()) return std::puts("global.xml does not parse"), 1;
  const pugi::xml_node global = file.Document().child("global");
  if (!global || global.next_sibling("global")) return std::puts("not exactly one global element"), 1;
  const int model = IntegerAttribute(global, "m_nDevStyeID");
  if (model != ModelOf(0) && model != ModelOf(1)) return std::printf("global holds model %d\n", model), 1;
  for (const wchar_t* name : kProfiles) {
    int found = 0;
    for (pugi::xml_node profile : file.Document().child("profilecfg").children("profile")) {
      if (TextAttribute(profile, "name") != name) continue;
      ++found;
      if (StateOfProfile(profile) < 0) return std::puts("a profile holds neither state whole"), 1;
    }
    if (found != 1) return std::printf("a profile is stored %d times\n", found), 1;
  }
  return 0;
}

// Root may write anywhere; without these capabilities a read-only folder holds for it too.
void DropFileCapabilities() {
  if (::geteuid() != 0) return;
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2]{};
  if (::syscall(SYS_capget, &header, data) != 0) return;
  for (int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER}) {
    data[capability / 32].effective &= ~(1u << (capability % 32));
  }
  ::syscall(SYS_capset, &header, data);
}

int Starved() {
  std::signal(SIGXFSZ, SIG_IGN);  // a write past RLIMIT_FSIZE fails with EFBIG instead
  DropFileCapabilities();
  CGlobalSettings settings;
  settings.StartUp();
  const int state = settings.m_nDevStyeID == ModelOf(0) ? 1 : 0;
  settings.m_nDevStyeID = ModelOf(state);
  const bool globalSaved = settings.SaveGlobalSettings();
  CProfile profile(kProfiles[0]);
  for (int index = 0; index < kBindingCount; ++index) profile.AssignFunction(index, FunctionOf(state));
  const bool profileSaved = profile.Save();
  if (globalSaved || profileSaved) return std::puts("a save reported success"), 1;
  // The program goes on: the settings still read as they were.
  CGlobalSettings again;
  again.StartUp();
  if (again.m_nDevStyeID == ModelOf(state)) return std::puts("the failed save is read back"), 1;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "save" && argc == 3) {
    CGlobalSettings settings;
    settings.StartUp();
    const long count = std::strtol(argv[2], nullptr, 10);
    for (long i = 0; count == 0 || i < count; ++i) {
      if (!SaveState(settings, int(i % 2))) return std::puts("a save failed"), 1;
    }
    return 0;
  }
  if (command == "check") return Check();
  if (command == "start") return std::printf("%d\n", RemoveInterruptedSettingsWrites()), 0;
  if (command == "starved") return Starved();
  std::fputs("usage: veltrio-settings-writer save N | check | start | starved\n", stderr);
  return 2;
}
