// SPDX-License-Identifier: GPL-3.0-or-later
// Loading and saving a settings file that holds 100 profiles of 44 bindings each.

#include "platform/log.h"
#include "settings/GlobalSettings.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr int kProfiles = 100;

// A settings folder with the 100 profiles, made once for the whole run.
void MakeSettingsFile() {
  static bool made = false;
  if (made) return;
  made = true;
  std::string pattern = (std::filesystem::temp_directory_path() / "veltrio-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) std::abort();
  setenv("XDG_CONFIG_HOME", pattern.c_str(), 1);
  for (int i = 0; i < kProfiles; ++i) {
    CProfile profile(L"Profile " + std::to_wstring(i));
    for (int b = 0; b < kBindingCount; ++b) {
      profile.AssignFunction(b, 206);
      profile.At(b).application.appPath = L"/opt/presenter/bin/slides-" + std::to_wstring(b);
    }
    profile.Save();
  }
  CGlobalSettings settings;
  settings.m_strCurrentprofileName = L"Profile 50";
  settings.SaveGlobalSettings();
}

void BM_StartUp(benchmark::State& state) {
  MakeSettingsFile();
  for (auto _ : state) {
    CGlobalSettings settings;
    settings.StartUp();
    benchmark::DoNotOptimize(settings.m_profileNames.size());
  }
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond);

void BM_SaveProfile(benchmark::State& state) {
  MakeSettingsFile();
  CGlobalSettings settings;
  settings.StartUp();
  int id = 901;
  for (auto _ : state) {
    settings.m_currentProfile.AssignFunction(0, id = id == 901 ? 902 : 901);
    benchmark::DoNotOptimize(settings.m_currentProfile.Save());
  }
}
BENCHMARK(BM_SaveProfile)->Unit(benchmark::kMillisecond);

void BM_SaveGlobalSettings(benchmark::State& state) {
  MakeSettingsFile();
  CGlobalSettings settings;
  settings.StartUp();
  for (auto _ : state) {
    settings.m_benablegesture = !settings.m_benablegesture;
    benchmark::DoNotOptimize(settings.SaveGlobalSettings());
  }
}
BENCHMARK(BM_SaveGlobalSettings)->Unit(benchmark::kMillisecond);

}  // namespace
