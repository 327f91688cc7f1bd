// SPDX-License-Identifier: GPL-3.0-or-later
// Functions performed for real on an X server: the key injector chosen for an X display sends
// through XTest, and an X client holding the focus records what arrives.

#include <gtest/gtest.h>

#include <cstdlib>

#include "PrivateXServer.h"
#include "XKeyRecorder.h"
#include "actions/ActionRuntime.h"

namespace {

using testsupport::RecordedKey;

std::vector<RecordedKey> Keys(std::initializer_list<std::pair<char, const char*>> list) {
  std::vector<RecordedKey> keys;
  for (auto [kind, sym] : list) keys.push_back({kind == '+', sym});
  return keys;
}

std::string Text(const std::vector<RecordedKey>& keys) {
  std::string text;
  for (const RecordedKey& key : keys) text += (key.press ? " +" : " -") + key.keysym;
  return text;
}

class XTestKeys : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_server = new testsupport::PrivateXServer;
    if (!s_server->Start()) return;
    ::setenv("DISPLAY", s_server->Display().c_str(), 1);
    ::unsetenv("WAYLAND_DISPLAY");
    ::unsetenv("XDG_SESSION_TYPE");
    s_keys = platform::CreateKeyInjector().release();
    s_recorder = new testsupport::XKeyRecorder;
    s_recorder->Open(s_server->Display());
  }
  static void TearDownTestSuite() {
    delete s_recorder;
    delete s_keys;
    delete s_server;
  }

  void SetUp() override {
    ASSERT_TRUE(!s_server->Display().empty()) << s_server->Error();
    ASSERT_TRUE(s_recorder->Error().empty()) << s_recorder->Error();
    ASSERT_EQ(s_keys->Name(), "xtest");
  }

  static inline testsupport::PrivateXServer* s_server = nullptr;
  static inline platform::KeyInjector* s_keys = nullptr;
  static inline testsupport::XKeyRecorder* s_recorder = nullptr;
  CGlobalSettings m_settings;
};

TEST_F(XTestKeys, FunctionsArriveAsTheirKeySymbols) {
  struct Case {
    int32_t id;
    KeyCombination combination;
    std::vector<RecordedKey> arrives;
  } cases[] = {
      {904, {}, Keys({{'+', "Shift_L"}, {'+', "F5"}, {'-', "F5"}, {'-', "Shift_L"}})},
      {906, {}, Keys({{'+', "Control_L"}, {'+', "p"}, {'-', "p"}, {'-', "Control_L"}})},
      {204, {}, Keys({{'+', "Super_L"}, {'+', "s"}, {'-', "s"}, {'-', "Super_L"}})},
      {902, {}, Keys({{'+', "Next"}, {'-', "Next"}})},
      {801, {}, Keys({{'+', "XF86AudioPlay"}, {'-', "XF86AudioPlay"}})},
      {803, {}, Keys({{'+', "XF86AudioNext"}, {'-', "XF86AudioNext"}})},
      {402, {}, Keys({{'+', "XF86AudioRaiseVolume"}, {'-', "XF86AudioRaiseVolume"}})},
      {404, {}, Keys({{'+', "XF86AudioMute"}, {'-', "XF86AudioMute"}})},
      {705, {}, Keys({{'+', "XF86Favorites"}, {'-', "XF86Favorites"}})},
      {601, {}, Keys({{'+', "Control_L"}, {'+', "c"}, {'-', "c"}, {'-', "Control_L"}})},
      {302, {0x11, 0x51, 0x37},
       Keys({{'+', "Control_L"}, {'+', "Control_R"}, {'+', "q"}, {'+', "7"},
             {'-', "q"}, {'-', "7"}, {'-', "Control_L"}, {'-', "Control_R"}})},
      {302, {0x88, 0x70, 0x2E},
       Keys({{'+', "Super_L"}, {'+', "Super_R"}, {'+', "F1"}, {'+', "Delete"},
             {'-', "F1"}, {'-', "Delete"}, {'-', "Super_L"}, {'-', "Super_R"}})},
      // Keysyms that minimal keymaps lack are bound to a free key code for the occasion.
      {302, {0, 0x2B, 0x29}, Keys({{'+', "Execute"}, {'+', "Select"}, {'-', "Execute"}, {'-', "Select"}})},
      {302, {0, 0x87, 0x6C}, Keys({{'+', "F24"}, {'+', "KP_Separator"}, {'-', "F24"}, {'-', "KP_Separator"}})},
      // A code without a mapping is skipped; the rest of the combination still arrives.
      {302, {0x01, 0x07, 0}, Keys({{'+', "Control_L"}, {'-', "Control_L"}})},
  };
  CActionRuntime runtime(m_settings, *s_keys);
  for (const Case& c : cases) {
    runtime.PerformFunction(c.id, c.combination, {}, L"");
    std::vector<RecordedKey> arrived = s_recorder->Take(c.arrives.size(), std::chrono::seconds(5));
    EXPECT_EQ(Text(arrived), Text(c.arrives)) << "function " << c.id;
  }
}

}  // namespace

namespace {

// Servers with a minimal keymap (some VNC servers, nested servers) lack the media keysyms.
TEST_F(XTestKeys, KeysymMissingFromTheKeymapStillArrives) {
  ASSERT_TRUE(s_recorder->RemoveFromKeymap("XF86AudioStop"));
  ASSERT_FALSE(s_recorder->KeymapHas("XF86AudioStop"));
  {
    auto keys = platform::CreateKeyInjector();
    CActionRuntime runtime(m_settings, *keys);
    runtime.PerformFunction(802, {}, {}, L"");
    EXPECT_EQ(Text(s_recorder->Take(2, std::chrono::seconds(5))),
              Text(Keys({{'+', "XF86AudioStop"}, {'-', "XF86AudioStop"}})));
  }
  // The borrowed key code is given back with the injector.
  EXPECT_FALSE(s_recorder->KeymapHas("XF86AudioStop"));
}

}  // namespace
