// SPDX-License-Identifier: GPL-3.0-or-later
// The `global` element, the integer rule and the start-up sequence.

#include "settings/SettingsDocument.h"
#include "SettingsFolder.h"

namespace {

using GlobalSettingsTest = SettingsFolder;

const char* kDeclaration = "<?xml version=\"1.0\"?>\n";

TEST_F(GlobalSettingsTest, NoFileGivesTheInitialValuesAndTheDefaultProfile) {
  CGlobalSettings& s = Started();
  EXPECT_EQ(s.m_nDevStyeID, 2);
  EXPECT_FALSE(s.m_blaunchstart);
  EXPECT_FALSE(s.m_benablegesture);
  EXPECT_EQ(s.m_strCurrentprofileName, L"");
  EXPECT_TRUE(s.m_profileNames.empty());
  EXPECT_EQ(s.m_currentProfile.Name(), L"defalut");
  EXPECT_EQ(s.m_currentProfile.At(0).functionId, 901);
  EXPECT_EQ(s.m_currentProfile.At(1).functionId, 904);
  EXPECT_EQ(s.m_currentProfile.At(2).functionId, 902);
  for (int i = 3; i < kBindingCount; ++i) EXPECT_EQ(s.m_currentProfile.At(i).functionId, 0) << i;
  EXPECT_FALSE(s.LoadGlobalSettings());
  EXPECT_FALSE(std::filesystem::exists(File())) << "reading never writes";
}

struct GlobalCase {
  const char* name;
  const char* file;
  bool loads;
  int style;
  bool launch;
  bool gesture;
  const wchar_t* profile;
};

class GlobalElementTest : public SettingsFolder, public ::testing::WithParamInterface<GlobalCase> {};

TEST_P(GlobalElementTest, ReadsAsTheRulesSay) {
  WriteFile(GetParam().file);
  CGlobalSettings settings;
  EXPECT_EQ(settings.LoadGlobalSettings(), GetParam().loads);
  EXPECT_EQ(settings.m_nDevStyeID, GetParam().style);
  EXPECT_EQ(settings.m_blaunchstart, GetParam().launch);
  EXPECT_EQ(settings.m_benablegesture, GetParam().gesture);
  EXPECT_EQ(settings.m_strCurrentprofileName, GetParam().profile);
}

INSTANTIATE_TEST_SUITE_P(
    Files, GlobalElementTest,
    ::testing::Values(
        GlobalCase{"all", R"(<global m_nDevStyeID="1" m_blaunchstart="1" m_benablegesture="1" m_strCurrentprofileName="Work"/>)",
                   true, 1, true, true, L"Work"},
        GlobalCase{"onlyStyle", R"(<global m_nDevStyeID="3"/>)", true, 3, false, false, L""},
        // A present element without attributes overrides the initial style 2 with 0.
        GlobalCase{"noAttributes", "<global/>", true, 0, false, false, L""},
        GlobalCase{"noGlobal", "<profilecfg/>", false, 2, false, false, L""},
        GlobalCase{"unparsable", "<global m_nDevStyeID=\"3\"", false, 2, false, false, L""},
        GlobalCase{"wordsAndNumbers", R"(<global m_nDevStyeID="2abc" m_blaunchstart="true" m_benablegesture="2"/>)",
                   true, 2, false, true, L""},
        GlobalCase{"firstOfTwo", R"(<global m_nDevStyeID="1"/><global m_nDevStyeID="3"/>)", true, 1, false, false, L""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GlobalSettingsTest, DetectsTheEncodingOfAUtf16File) {
  const char bytes[] = "\xFF\xFE<\0g\0l\0o\0b\0a\0l\0 \0m\0_\0n\0D\0e\0v\0S\0t\0y\0e\0I\0D\0=\0\"\0003\0\"\0/\0>\0";
  WriteFile(std::string(bytes, sizeof bytes - 1));
  CGlobalSettings settings;
  EXPECT_TRUE(settings.LoadGlobalSettings());
  EXPECT_EQ(settings.m_nDevStyeID, 3);
}

TEST(SettingsIntegerTest, ReadsLikeADecimalConversionOfA32BitLong) {
  struct Case { const char* text; int32_t value; };
  const Case cases[] = {
      {"2", 2},          {"2abc", 2},     {"true", 0},         {"", 0},
      {"  \t42", 42},    {"-7", -7},      {"+5", 5},           {"- 5", 0},
      {"0x10", 0},       {"007", 7},      {"2147483647", 2147483647},
      {"99999999999999999999", 2147483647}, {"-2147483648", -2147483647 - 1},
      {"-99999999999", -2147483647 - 1},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseSettingsInteger(c.text), c.value) << '"' << c.text << '"';
  EXPECT_EQ(ParseSettingsInteger(nullptr), 0);
}

TEST_F(GlobalSettingsTest, SaveKeepsProfilesAndWritesGlobalLast) {
  WriteFile("<global m_nDevStyeID=\"1\"/>\n<profilecfg>\n\t<profile name=\"A\"/>\n</profilecfg>\n");
  CGlobalSettings& s = Started();
  s.m_nDevStyeID = 3;
  s.m_benablegesture = true;
  ASSERT_TRUE(s.SaveGlobalSettings());
  EXPECT_EQ(ReadFile(), std::string(kDeclaration) +
                            "<profilecfg>\n\t<profile name=\"A\" />\n</profilecfg>\n"
                            "<global m_nDevStyeID=\"3\" m_blaunchstart=\"0\" m_benablegesture=\"1\" "
                            "m_strCurrentprofileName=\"\" />\n");
}

TEST_F(GlobalSettingsTest, StartUpOpensTheNamedProfile) {
  WriteFile(R"(<global m_strCurrentprofileName="Work"/>
<profilecfg><profile name="Work"><customKey1_4 value="702"/></profile><profile name="Home"/></profilecfg>)");
  CGlobalSettings& s = Started();
  EXPECT_EQ(s.m_currentProfile.Name(), L"Work");
  EXPECT_EQ(s.m_currentProfile.At(BindingIndex(0, 3)).functionId, 702);
  EXPECT_EQ(s.m_currentProfile.At(0).functionId, 0) << "the stored profile replaces the default bindings";
  EXPECT_EQ(s.m_profileNames, (std::vector<std::wstring>{L"Work", L"Home"}));
}

// A start whose settings name a profile that is not stored keeps the remote's keys working:
// the default bindings, under the wanted name.
struct MissingProfileCase {
  const char* name;
  const char* file;
  const wchar_t* current;
};

class StartUpWithoutTheNamedProfile : public SettingsFolder, public ::testing::WithParamInterface<MissingProfileCase> {};

TEST_P(StartUpWithoutTheNamedProfile, KeepsTheNameAndTheDefaultBindings) {
  WriteFile(GetParam().file);
  CGlobalSettings& s = Started();
  EXPECT_EQ(s.m_currentProfile.Name(), GetParam().current);
  EXPECT_EQ(s.m_currentProfile.Bindings(), s.m_defaultProfile.Bindings());
  EXPECT_EQ(s.m_currentProfile.At(0).functionId, 901);
}

INSTANTIATE_TEST_SUITE_P(
    Files, StartUpWithoutTheNamedProfile,
    ::testing::Values(
        MissingProfileCase{"OtherProfilesStored",
                           R"(<global m_strCurrentprofileName="Gone"/><profilecfg><profile name="Home"/></profilecfg>)",
                           L"Gone"},
        // A fresh machine after the first check box: the file holds only the global element.
        MissingProfileCase{"OnlyTheGlobalElement",
                           R"(<global m_nDevStyeID="2" m_blaunchstart="0" m_benablegesture="1" m_strCurrentprofileName="defalut"/>)",
                           L"defalut"},
        MissingProfileCase{"NoNameAndNoProfiles", R"(<global m_benablegesture="1"/>)", L"defalut"}),
    [](const ::testing::TestParamInfo<MissingProfileCase>& info) { return std::string(info.param.name); });

TEST_F(GlobalSettingsTest, UnusableSettingsFolderReadsNothingAndWritesNothing) {
  // XDG_CONFIG_HOME names a file, so the Veltrio folder beneath it cannot be created.
  std::filesystem::path blocker = m_root / "not-a-folder";
  std::ofstream(blocker) << "x";
  setenv("XDG_CONFIG_HOME", blocker.c_str(), 1);
  EXPECT_EQ(GetSettingsFilePath(), L"");
  CGlobalSettings& s = Started();
  EXPECT_EQ(s.m_nDevStyeID, 2);
  EXPECT_FALSE(s.SaveGlobalSettings());
  EXPECT_FALSE(s.m_currentProfile.Save());
  EXPECT_EQ(ReadBytes(blocker), "x");
}

TEST_F(GlobalSettingsTest, SettingsPathIsBuiltOnEveryCall) {
  EXPECT_EQ(GetSettingsFilePath(), platform::FromPath(File()));
  EXPECT_TRUE(std::filesystem::is_directory(Folder())) << "the folder is created with its parents";
  std::filesystem::path other = m_root / "deeper" / "still";
  setenv("XDG_CONFIG_HOME", other.c_str(), 1);
  EXPECT_EQ(GetSettingsFilePath(), platform::FromPath(other / "Veltrio" / "global.xml"));
}

TEST_F(GlobalSettingsTest, SelectProfileRemembersLoadsAndNotifies) {
  WriteFile(R"(<profilecfg><profile name="Work"><customKey2_1 value="801"/></profile></profilecfg>)");
  CGlobalSettings& s = Started();
  int notified = 0;
  s.m_onCurrentProfileChanged = [&] { ++notified; };
  s.SelectProfile(L"");
  s.SelectProfile(L"defalut");  // already current
  EXPECT_EQ(notified, 0);
  EXPECT_FALSE(ReadFile().find("<global") != std::string::npos);

  s.SelectProfile(L"Work");
  EXPECT_EQ(notified, 1);
  EXPECT_EQ(s.m_currentProfile.Name(), L"Work");
  EXPECT_EQ(s.m_currentProfile.At(BindingIndex(1, 0)).functionId, 801);
  EXPECT_EQ(Started().m_currentProfile.Name(), L"Work") << "the next start reopens it";
}

TEST_F(GlobalSettingsTest, ProfileNamesAreCaseSensitive) {
  WriteFile(R"(<profilecfg><profile name="Work"/><profile/><profile name="Work"/></profilecfg>)");
  CGlobalSettings& s = Started();
  EXPECT_EQ(s.m_profileNames, (std::vector<std::wstring>{L"Work", L"", L"Work"})) << "file order, duplicates kept";
  EXPECT_FALSE(s.IsNewProfileName(L"Work"));
  EXPECT_TRUE(s.IsNewProfileName(L"work"));
  s.m_profileNames.clear();
  EXPECT_TRUE(s.IsNewProfileName(L"Work"));
}

}  // namespace
