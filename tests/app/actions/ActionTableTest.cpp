// SPDX-License-Identifier: GPL-3.0-or-later
// Every function of the catalogue, performed against a recording key injector: the exact key
// sequence, the scan code rule of each event and the waits between them.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "RecordingKeyInjector.h"
#include "StubPrograms.h"
#include "actions/ActionRuntime.h"
#include "actions/FunctionCatalogue.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A key combination that shows the mask order, both keys and the scan code 0 rule.
constexpr KeyCombination kCtrlAltDelete{5, 0x2E, 0};

struct FunctionCase {
  int32_t id;
  const char* keys;  // RecordingKeyInjector::Text()
};

const FunctionCase kFunctions[] = {
    {101, ""},  // the overlay is missing from the program folder: nothing starts
    {201, ""},
    {202, ""},
    {203, ""},
    {204, "+5B ~ +53 ~ -53 ~ -5B"},
    {205, ""},
    {206, ""},
    {301, ""},
    {302, "+A2z ~ +A4z ~ +2Ez ~ -2Ez ~ -A2z ~ -A4z ~"},
    {401, ""},
    {402, "+AF ~ -AF"},
    {403, "+AE ~ -AE"},
    {404, "+AD ~ -AD"},
    {501, "+A4 ~ +1B ~ -1B ~ -A4"},
    {502, "+A4 ~ +1B ~ +10 ~ -10 ~ -1B ~ -A4"},
    {503, "+12 ~ +73 ~ -73 ~ -12"},
    {504, "+5B ~ +44 ~ -44 ~ -5B"},
    {601, "+A2x +43z -43z -A2x"},
    {602, "+A2 ~ +58 ~ -58 ~ -A2"},
    {603, "+A2 ~ +56 ~ -56 ~ -A2"},
    {604, "+2C ~ -2C"},
    {701, ""},
    {702, "+A4 ~ +27 ~ -27 ~ -A4"},
    {703, "+A4 ~ +25 ~ -25 ~ -A4"},
    {704, "+74 ~ -74"},
    {705, "+AB ~ -AB"},
    {801, "+B3 ~ -B3"},
    {802, "+B2 ~ -B2"},
    {803, "+B0 ~ -B0"},
    {804, "+B1 ~ -B1"},
    {901, "+21 ~ -21 ~"},
    {902, "+22 ~ -22"},
    {903, "+10 ~ +42 ~ -42 ~ -10"},
    {904, "+10 ~ +74 ~ -74 ~ -10"},
    {905, "+1B ~ -1B"},
    {906, "+11 ~ +50 ~ -50 ~ -11"},
    {907, "+45 ~ -45"},
};

// The launching functions find nothing to start: an empty PATH, empty XDG folders and an empty
// program folder, so performing them here has no effect outside the test.
class ActionTable : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(m_scratch.Root() / "bin");
    for (const char* name : {"PATH", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS"})
      m_scratch.SetEnv(name, (m_scratch.Root() / "bin").native());
    m_runtime.SetProgramFolder(m_scratch.Programs());
    m_runtime.SetKeyWait([this] { m_keys.RecordWait(); });
    m_runtime.SetShowMainWindowHook([this] { ++m_shown; });
  }

  // Each wait lasts until the next step, or until the function returned after a final wait.
  void ExpectWaitsOfAtLeastTheInterval(Clock::time_point returned) {
    const auto& steps = m_keys.steps;
    for (size_t i = 0; i < steps.size(); ++i) {
      if (!steps[i].isWait) continue;
      Clock::time_point next = i + 1 < steps.size() ? steps[i + 1].at : returned;
      EXPECT_GE(next - steps[i].at, kKeyInterval) << "wait " << i;
    }
  }

  stubs::StubFolder m_scratch{"actions"};
  CGlobalSettings m_settings;
  RecordingKeyInjector m_keys;
  CActionRuntime m_runtime{m_settings, m_keys};
  int m_shown = 0;
};

TEST_F(ActionTable, EveryCatalogueFunctionSendsItsSequence) {
  std::map<int32_t, const char*> expected;
  for (const FunctionCase& c : kFunctions) expected[c.id] = c.keys;
  for (const FunctionInfo& function : FunctionCatalogue()) {
    ASSERT_TRUE(expected.count(function.id)) << "no expected sequence for " << function.id;
    m_keys.steps.clear();
    m_runtime.PerformFunction(function.id, kCtrlAltDelete, ApplicationEntry{}, L"");
    const Clock::time_point returned = Clock::now();
    EXPECT_EQ(m_keys.Text(), expected[function.id]) << "function " << function.id;
    ExpectWaitsOfAtLeastTheInterval(returned);
  }
  EXPECT_EQ(m_shown, 1);  // 201, through the main window's hook
}

TEST_F(ActionTable, CustomKeyCombinations) {
  struct Case {
    KeyCombination keys;
    const char* sent;
  } cases[] = {
      {{0, 0, 0}, ""},
      {{0, 0, 0x41}, "+41z ~ -41z ~"},
      {{0x81, 0x41, 0x42}, "+A2z ~ +5Cz ~ +41z ~ +42z ~ -41z ~ -42z ~ -A2z ~ -5Cz ~"},
      {{0xFF, 0, 0},
       "+A2z ~ +A0z ~ +A4z ~ +5Bz ~ +A3z ~ +A1z ~ +A5z ~ +5Cz ~ "
       "-A2z ~ -A0z ~ -A4z ~ -5Bz ~ -A3z ~ -A1z ~ -A5z ~ -5Cz ~"},
  };
  for (const Case& c : cases) {
    m_keys.steps.clear();
    m_runtime.PerformFunction(302, c.keys, {}, L"");
    EXPECT_EQ(m_keys.Text(), c.sent) << int(c.keys.systemKey) << " " << int(c.keys.singleKey1) << " "
                                     << int(c.keys.singleKey2);
  }
}

TEST_F(ActionTable, CopyByMessageSendsNoKeys) {
  m_keys.copiesByMessage = true;
  m_runtime.PerformFunction(601, {}, {}, L"");
  EXPECT_EQ(m_keys.Text(), "");
}

TEST_F(ActionTable, UnknownIdsDoNothing) {
  for (int32_t id : {0, -1, 100, 102, 207, 908, 1000, 2147483647}) {
    m_runtime.PerformFunction(id, kCtrlAltDelete, {}, L"");
    EXPECT_EQ(m_keys.Text(), "") << id;
  }
}

TEST_F(ActionTable, SlotPerformsTheBindingOfTheCurrentMode) {
  m_settings.m_currentProfile.At(BindingIndex(2, 5)).functionId = 907;
  m_settings.m_currentProfile.At(BindingIndex(1, 5)).functionId = 905;
  m_settings.m_currentProfile.At(BindingIndex(2, 10)).functionId = 302;
  m_settings.m_currentProfile.At(BindingIndex(2, 10)).keys = {2, 0x5A, 0};
  m_settings.m_nCurMode = 2;
  m_runtime.PerformSlot(5);
  EXPECT_EQ(m_keys.Text(), "+45 ~ -45");
  m_keys.steps.clear();
  m_runtime.PerformSlot(10);
  EXPECT_EQ(m_keys.Text(), "+A0z ~ +5Az ~ -5Az ~ -A0z ~");
}

TEST_F(ActionTable, SlotsOutsideTheProfileDoNothing) {
  for (int mode = 0; mode < kModeCount; ++mode)
    for (int slot = 0; slot < kSlotCount; ++slot) m_settings.m_currentProfile.At(BindingIndex(mode, slot)).functionId = 907;
  struct {
    int mode, slot;
  } outside[] = {{-1, 0}, {4, 0}, {100, 3}, {0, -1}, {0, 11}, {3, 1000}};
  for (auto [mode, slot] : outside) {
    m_settings.m_nCurMode = mode;
    m_runtime.PerformSlot(slot);
    EXPECT_EQ(m_keys.Text(), "") << mode << " " << slot;
  }
  m_settings.m_nCurMode = 0;
  m_settings.m_currentProfile.At(BindingIndex(0, 0)).functionId = 0;
  m_runtime.PerformSlot(0);
  EXPECT_EQ(m_keys.Text(), "");
}

TEST_F(ActionTable, ShowWindowWithoutHookDoesNothing) {
  m_runtime.SetShowMainWindowHook(nullptr);
  m_runtime.PerformFunction(201, {}, {}, L"");
  EXPECT_EQ(m_keys.Text(), "");
}

TEST(ActionRuntime, DefaultWaitSleepsTheInterval) {
  CGlobalSettings settings;
  RecordingKeyInjector keys;
  CActionRuntime runtime(settings, keys);
  runtime.PerformFunction(902, {}, {}, L"");
  ASSERT_EQ(keys.Text(), "+22 -22");
  EXPECT_GE(keys.steps[1].at - keys.steps[0].at, kKeyInterval);
}

}  // namespace
