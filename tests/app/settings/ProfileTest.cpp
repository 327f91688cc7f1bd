// SPDX-License-Identifier: GPL-3.0-or-later
// Profiles in the settings file: the stored form byte for byte, loading, duplicates, deletion.

#include "SettingsFolder.h"

namespace {

class ProfileTest : public SettingsFolder {
 protected:
  // Fills every field of one binding so that a round trip shows each attribute.
  static Binding FullBinding(int32_t id, std::wstring path) {
    Binding b;
    b.functionId = id;
    b.keys = {5, 0x2E, 0x41};
    b.application = {true, path};
    b.pointerImagePath = path + L".png";
    return b;
  }
};

TEST_F(ProfileTest, FirstBindingEditOnAFreshMachine) {
  CGlobalSettings& s = Started();
  s.m_currentProfile.AssignFunction(BindingIndex(0, 3), 702);
  ASSERT_TRUE(s.m_currentProfile.Save());
  ExpectFileMatchesFixture("first-edit.xml");
}

TEST_F(ProfileTest, SaveOverAnExistingProfileReplacesItsBindingsOnly) {
  WriteFile(Fixture("two-profiles.xml"));
  CGlobalSettings& s = Started();
  ASSERT_EQ(s.m_currentProfile.Name(), L"Work");
  s.m_currentProfile.AssignFunction(BindingIndex(3, 10), 907);
  s.m_currentProfile.At(BindingIndex(1, 2)) = FullBinding(206, L"/usr/bin/gedit");
  ASSERT_TRUE(s.m_currentProfile.Save());
  ExpectFileMatchesFixture("two-profiles-saved.xml");
}

TEST_F(ProfileTest, NamesAndPathsWithMarkupAndNonAsciiCharacters) {
  const std::wstring name = L"Tom & \"Jerry\" <Vortr\u00e4ge> \u65e5\u672c \U0001F600";
  const std::wstring path = L"/home/\u00fcser/it's <&> \"here\"/\u0444\u0430\u0439\u043b";
  CGlobalSettings& s = Started();
  s.m_currentProfile.SetName(name);
  s.m_currentProfile.At(7) = FullBinding(101, path);
  ASSERT_TRUE(s.m_currentProfile.Save());
  ExpectFileMatchesFixture("markup-names.xml");

  CProfile loaded(name);
  ASSERT_TRUE(loaded.Load());
  EXPECT_EQ(loaded.Bindings(), s.m_currentProfile.Bindings());
  s.EnumProfileNames();
  EXPECT_EQ(s.m_profileNames, std::vector<std::wstring>{name});
}

TEST_F(ProfileTest, LongPathsAreKeptWhole) {
  std::wstring path = L"/media/usb";
  while (path.size() < 1000) path += L"/a folder with a long name";
  CProfile profile(L"long");
  profile.At(43) = FullBinding(206, path);
  ASSERT_TRUE(profile.Save());
  ExpectFileMatchesFixture("long-path.xml");
  CProfile loaded(L"long");
  ASSERT_TRUE(loaded.Load());
  EXPECT_EQ(loaded.At(43).application.appPath, path);
  EXPECT_EQ(loaded.At(43).pointerImagePath, path + L".png");
}

TEST_F(ProfileTest, StoredValuesReadAsTheRulesSay) {
  WriteFile(R"(<profilecfg><profile name="P">
    <customKey1_1 value="302" SystemKey="300" SingleKey1="-1" SingleKey2="65x" bMultiInst="7"/>
    <customKey1_2 value="9999"/>
    <customKey4_11 value=" 906"/>
  </profile></profilecfg>)");
  CProfile p(L"P");
  ASSERT_TRUE(p.Load());
  EXPECT_EQ(p.At(0).keys, (KeyCombination{44, 255, 65})) << "low 8 bits of each key value";
  EXPECT_TRUE(p.At(0).application.bMultiInst);
  EXPECT_EQ(p.At(1).functionId, 9999) << "unknown ids are kept as stored";
  EXPECT_EQ(p.At(43).functionId, 906);
}

TEST_F(ProfileTest, LoadKeepsTheParametersOfBindingsTheFileLacks) {
  WriteFile(R"(<profilecfg><profile name="P"><customKey1_1 value="904"/></profile></profilecfg>)");
  CProfile p(L"P");
  p.At(0) = FullBinding(206, L"/bin/a");
  p.At(1) = FullBinding(302, L"/bin/b");
  ASSERT_TRUE(p.Load());
  EXPECT_EQ(p.At(0), (Binding{904, {}, {}, L""})) << "a stored binding replaces its parameters";
  EXPECT_EQ(p.At(1).functionId, 0);
  EXPECT_EQ(p.At(1).keys, KeyCombination{});
  EXPECT_EQ(p.At(1).application.appPath, L"/bin/b") << "a missing binding keeps its parameters";
  EXPECT_EQ(p.At(1).pointerImagePath, L"/bin/b.png");
}

TEST_F(ProfileTest, LoadFailures) {
  CProfile p(L"P");
  p.AssignFunction(0, 901);
  EXPECT_FALSE(p.Load()) << "no file";
  EXPECT_EQ(p.At(0).functionId, 901) << "nothing changes without a file";

  WriteFile(R"(<profilecfg><profile name="Q"/></profilecfg>)");
  EXPECT_FALSE(p.Load()) << "no such profile";
  EXPECT_EQ(p.At(0).functionId, 0) << "ids are zeroed before the search";

  CProfile unnamed;
  EXPECT_FALSE(unnamed.Load());
  EXPECT_FALSE(unnamed.Save());
  EXPECT_EQ(ReadFile(), R"(<profilecfg><profile name="Q"/></profilecfg>)");
}

TEST_F(ProfileTest, SavingADuplicatedProfileLeavesTheFirstElement) {
  WriteFile(R"(<profilecfg><profile name="D" first="yes"><customKey1_1 value="801"/></profile>)"
            R"(<profile name="E"/><profile name="D"><customKey1_1 value="802"/></profile></profilecfg>)");
  CProfile d(L"D");
  ASSERT_TRUE(d.Load());
  EXPECT_EQ(d.At(0).functionId, 801) << "the first element is read";
  d.AssignFunction(0, 803);
  ASSERT_TRUE(d.Save());

  CGlobalSettings& s = Started();
  EXPECT_EQ(s.m_profileNames, (std::vector<std::wstring>{L"D", L"E"}));
  const std::string text = ReadFile();
  EXPECT_NE(text.find(R"(<profile name="D" first="yes">)"), std::string::npos);
  CProfile again(L"D");
  ASSERT_TRUE(again.Load());
  EXPECT_EQ(again.At(0).functionId, 803);
}

TEST_F(ProfileTest, AssigningAFunctionClearsItsParameters) {
  CProfile p(L"P");
  p.At(4) = FullBinding(302, L"/x");
  p.AssignFunction(4, 101);
  EXPECT_EQ(p.At(4), (Binding{101, {}, {}, L""}));
  p.At(4) = FullBinding(302, L"/x");
  p.ClearBinding(4);
  EXPECT_EQ(p.At(4), Binding{});
  p.At(5) = FullBinding(302, L"/x");
  p.Clear();
  EXPECT_EQ(p.At(5), Binding{});
  EXPECT_EQ(p.Name(), L"P");
}

TEST_F(ProfileTest, DeleteProfile) {
  const std::string file = R"(<profilecfg><profile name="A"/><profile name="defalut"/><profile name="A"/>)"
                           R"(<profile name="B"/></profilecfg>)";
  WriteFile(file);
  CGlobalSettings& s = Started();
  for (const wchar_t* refused : {L"", L"defalut", L"missing", L"a"}) {
    EXPECT_FALSE(s.DeleteProfile(refused)) << platform::ToUtf8(refused);
    EXPECT_EQ(ReadFile(), file) << "a refused delete writes nothing";
  }
  EXPECT_TRUE(s.DeleteProfile(L"A"));
  s.EnumProfileNames();
  EXPECT_EQ(s.m_profileNames, (std::vector<std::wstring>{L"defalut", L"B"})) << "every copy goes";
}

TEST_F(ProfileTest, DeleteWithoutProfilesOrFile) {
  CGlobalSettings& s = Started();
  EXPECT_FALSE(s.DeleteProfile(L"A"));
  EXPECT_FALSE(std::filesystem::exists(File()));
  WriteFile("<global/>");
  EXPECT_FALSE(s.DeleteProfile(L"A"));
}

TEST_F(ProfileTest, SelectingAProfileTheFileNoLongerHolds) {
  WriteFile(R"(<profilecfg><profile name="A"><customKey1_1 value="206" appPath="/bin/a"/></profile></profilecfg>)");
  CGlobalSettings& s = Started();
  s.SelectProfile(L"A");
  ASSERT_EQ(s.m_currentProfile.At(0).application.appPath, L"/bin/a");
  ASSERT_TRUE(s.DeleteProfile(L"A"));
  s.SelectProfile(L"Gone");
  EXPECT_EQ(s.m_currentProfile.Name(), L"Gone");
  EXPECT_EQ(s.m_currentProfile.At(0).functionId, 0);
  EXPECT_EQ(s.m_currentProfile.At(0).application.appPath, L"/bin/a") << "parameters of the previous profile remain";
}

}  // namespace
