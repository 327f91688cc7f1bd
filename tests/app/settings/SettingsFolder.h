// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A private settings folder for one test: XDG_CONFIG_HOME points into a fresh temporary
// folder, so global.xml lives in <tmp>/Veltrio/global.xml and nothing of the user's is touched.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/utf.h"
#include "settings/GlobalSettings.h"

class SettingsFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "veltrio-settings-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_root = pattern;
    setenv("XDG_CONFIG_HOME", m_root.c_str(), 1);
  }
  void TearDown() override {
    std::filesystem::permissions(m_root, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
    std::filesystem::remove_all(m_root);
  }

  std::filesystem::path Folder() const { return m_root / "Veltrio"; }
  std::filesystem::path File() const { return Folder() / "global.xml"; }

  void WriteFile(const std::string& text) const {
    std::filesystem::create_directories(Folder());
    std::ofstream(File(), std::ios::binary) << text;
  }
  std::string ReadFile() const { return ReadBytes(File()); }

  static std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static std::filesystem::path FixturePath(const std::string& name) {
    const char* folder = std::getenv("VELTRIO_FIXTURES");
    return std::filesystem::path(folder ? folder : "tests/fixtures/settings") / name;
  }
  static std::string Fixture(const std::string& name) { return ReadBytes(FixturePath(name)); }

  // Compares the settings file byte for byte with an expected file. With VELTRIO_UPDATE_FIXTURES=1
  // set, writes the expected file instead (review the diff before committing it).
  void ExpectFileMatchesFixture(const std::string& name) const {
    if (const char* update = std::getenv("VELTRIO_UPDATE_FIXTURES"); update && *update == '1') {
      std::filesystem::copy_file(File(), FixturePath(name), std::filesystem::copy_options::overwrite_existing);
      return;
    }
    EXPECT_EQ(ReadFile(), Fixture(name)) << "expected file " << name;
  }

  // A settings object after the start-up sequence, as the program has it before its window.
  CGlobalSettings& Started() {
    m_settings = std::make_unique<CGlobalSettings>();
    m_settings->StartUp();
    return *m_settings;
  }

  std::filesystem::path m_root;
  std::unique_ptr<CGlobalSettings> m_settings;
};
