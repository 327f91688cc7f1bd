// SPDX-License-Identifier: GPL-3.0-or-later
// What a plain "load, edit, save over the file" would lose, and what the settings file does
// instead: unreadable files are kept aside, every `global` element is replaced, and writes are
// atomic.

#include "SettingsFolder.h"
#include "settings/SettingsDocument.h"

#include <csignal>
#include <sys/resource.h>

namespace {

using SettingsFileWrites = SettingsFolder;

// Limits the size of files this process may write, so that writes fail as on a full disk.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &m_saved);
    m_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{bytes, m_saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &m_saved);
    std::signal(SIGXFSZ, m_handler);
  }

 private:
  rlimit m_saved{};
  void (*m_handler)(int) = nullptr;
};

std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) files.push_back(entry.path().filename());
  std::sort(files.begin(), files.end());
  return files;
}

TEST_F(SettingsFileWrites, AnUnreadableFileIsKeptAsideBeforeItIsOverwritten) {
  // Truncated mid-way, as after a crash of an older version: the profiles are still readable
  // by a person, and the parser keeps only part of them.
  const std::string broken = R"(<profilecfg><profile name="Lecture"><customKey1_1 value="902"/></profile>)"
                             R"(<profile name="Talk"><customKey1_1 value="90)";
  WriteFile(broken);
  CGlobalSettings& s = Started();
  EXPECT_TRUE(s.m_profileNames.empty()) << "an unreadable file yields no profiles";
  ASSERT_TRUE(s.SaveGlobalSettings());

  std::vector<std::filesystem::path> files = FilesIn(Folder());
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0], "global.xml");
  EXPECT_TRUE(files[1].string().starts_with("global.xml.unreadable-")) << files[1];
  EXPECT_EQ(ReadBytes(Folder() / files[1]), broken) << "the old file is kept byte for byte";
  EXPECT_NE(ReadFile().find("<global "), std::string::npos) << "then the write goes on";

  ASSERT_TRUE(s.SaveGlobalSettings());
  EXPECT_EQ(FilesIn(Folder()).size(), 2u) << "a readable file is never kept aside";
}

TEST_F(SettingsFileWrites, NothingIsWrittenWhenTheUnreadableFileCannotBeKeptAside) {
  const std::string broken = "<profilecfg><profile name=\"Lecture\">" + std::string(4096, ' ');
  WriteFile(broken);
  CGlobalSettings& s = Started();
  {
    FileSizeLimit limit(1024);  // too small for the copy
    EXPECT_FALSE(s.SaveGlobalSettings());
    EXPECT_FALSE(s.m_currentProfile.Save());
  }
  EXPECT_EQ(ReadFile(), broken);
  EXPECT_EQ(FilesIn(Folder()), std::vector<std::filesystem::path>{"global.xml"}) << "no partial copy is left";
}

TEST_F(SettingsFileWrites, AnEmptyFileIsSimplyReplaced) {
  WriteFile("");
  ASSERT_TRUE(Started().SaveGlobalSettings());
  EXPECT_EQ(FilesIn(Folder()), std::vector<std::filesystem::path>{"global.xml"});
}

TEST_F(SettingsFileWrites, TheValueJustSavedIsReadAtTheNextStartWhenTheFileHasTwoGlobals) {
  WriteFile(R"(<global m_nDevStyeID="1"/><profilecfg/><global m_nDevStyeID="3"/>)");
  CGlobalSettings& s = Started();
  ASSERT_EQ(s.m_nDevStyeID, 1);
  s.m_nDevStyeID = 2;
  ASSERT_TRUE(s.SaveGlobalSettings());
  EXPECT_EQ(Started().m_nDevStyeID, 2);
  const std::string text = ReadFile();
  EXPECT_EQ(text.find("<global"), text.rfind("<global")) << "one global element remains";
}

TEST_F(SettingsFileWrites, AFailedWriteLeavesThePreviousFileWhole) {
  CGlobalSettings& s = Started();
  s.m_currentProfile.AssignFunction(0, 903);
  ASSERT_TRUE(s.m_currentProfile.Save());
  const std::string before = ReadFile();
  ASSERT_GT(before.size(), 1000u);

  s.m_currentProfile.AssignFunction(1, 905);
  {
    FileSizeLimit limit(before.size() / 2);  // the disk fills up half-way through the write
    EXPECT_FALSE(s.m_currentProfile.Save());
    EXPECT_FALSE(s.SaveGlobalSettings());
  }
  EXPECT_EQ(ReadFile(), before);
  EXPECT_EQ(FilesIn(Folder()), std::vector<std::filesystem::path>{"global.xml"}) << "no temporary file is left";
  EXPECT_TRUE(s.m_currentProfile.Save()) << "and the next write succeeds";
}

}  // namespace

namespace {

TEST_F(SettingsFileWrites, TheInstanceRemovesWhatInterruptedWritesLeftAndNothingElse) {
  WriteFile(R"(<profilecfg><profile name="Talk"/></profilecfg>)");
  // What a write killed between creating its temporary file and renaming it leaves, beside
  // names that only look alike and files of the user's.
  const std::vector<std::string> interrupted = {"global.xml.a1B2c3", "global.xml.ZZZZZZ"};
  const std::vector<std::string> kept = {"global.xml.unreadable-20240101-120000", "global.xml.bak", "global.xml.a1B2c",
                                         "global.xml.a1B2c3d", "global.xml.a1B-c3", "notes.txt.a1B2c3"};
  for (const auto& name : interrupted) std::ofstream(Folder() / name) << "<profilecfg><prof";
  for (const auto& name : kept) std::ofstream(Folder() / name) << "mine";

  EXPECT_EQ(RemoveInterruptedSettingsWrites(), 2);
  std::vector<std::filesystem::path> expected = {"global.xml"};
  expected.insert(expected.end(), kept.begin(), kept.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(FilesIn(Folder()), expected);
  EXPECT_EQ(ReadFile(), R"(<profilecfg><profile name="Talk"/></profilecfg>)");
}

TEST_F(SettingsFileWrites, ASettingsFileThatIsALinkStaysALink) {
  // The settings kept in a synced folder, linked into place.
  const std::filesystem::path synced = m_root / "synced" / "global.xml";
  std::filesystem::create_directories(synced.parent_path());
  std::ofstream(synced) << R"(<profilecfg><profile name="Talk"/></profilecfg>)";
  std::filesystem::create_directories(Folder());
  std::filesystem::create_symlink(synced, File());

  CGlobalSettings& s = Started();
  ASSERT_EQ(s.m_profileNames, std::vector<std::wstring>{L"Talk"});
  s.m_nDevStyeID = 3;
  ASSERT_TRUE(s.SaveGlobalSettings());
  EXPECT_TRUE(std::filesystem::is_symlink(File()));
  EXPECT_NE(ReadBytes(synced).find("m_nDevStyeID=\"3\""), std::string::npos) << "the linked file got the save";
  EXPECT_EQ(Started().m_nDevStyeID, 3);
}

}  // namespace
