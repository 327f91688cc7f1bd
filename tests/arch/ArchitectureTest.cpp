// SPDX-License-Identifier: GPL-3.0-or-later
// The architecture rules of docs/ARCHITECTURE.md: each rule first on small file sets that
// break it on purpose, then over the source tree, where it holds.

#include "ArchitectureRules.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

using arch::AllowedCycle;
using arch::SourceFile;
using arch::Violation;
using testing::ElementsAreArray;
using testing::HasSubstr;
using testing::IsEmpty;

// A file that consists of quoted includes, one a line.
SourceFile Including(std::string path, const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += "#include \"" + name + "\"\n";
  return {std::move(path), text};
}

std::vector<int> Lines(const std::vector<Violation>& violations) {
  std::vector<int> lines;
  for (const Violation& violation : violations) lines.push_back(violation.line);
  return lines;
}

std::vector<std::string> Whats(const std::vector<Violation>& violations) {
  std::vector<std::string> whats;
  for (const Violation& violation : violations) whats.push_back(violation.what);
  return whats;
}

std::vector<testing::Matcher<std::string>> Containing(const std::vector<std::string>& parts) {
  std::vector<testing::Matcher<std::string>> matchers;
  for (const std::string& part : parts) matchers.push_back(HasSubstr(part));
  return matchers;
}

// --- Qt-free folders ---------------------------------------------------------------------------

TEST(QtFreeFolders, QtHeadersAreFoundWhereQtIsNotAllowed) {
  struct Case {
    const char* path;
    const char* text;
    std::vector<int> lines;  // where a Qt include is reported
  };
  const Case cases[] = {
      {"app/settings/Profile.cpp", "#include <QString>\n", {1}},
      {"app/actions/ActionRuntime.cpp", "#include <vector>\n  #  include <QTimer>\n", {2}},
      {"platform/linux/hid_linux.cpp", "#include <QtCore/QObject>\n", {1}},
      {"platform/include/platform/log.h", "#include <QtGlobal>\n", {1}},
      {"devlib/src/HIDComm.cpp", "#include \"QMutex\"\n", {1}},
      {"overlay/common/device/DeviceModel.cpp", "#include <qglobal.h>\n", {1}},
      {"app/device/DeviceReport.cpp",
       "#include \"ui_XML_MAINWND.h\"\n#include \"moc_DeviceReport.cpp\"\n",
       {1, 2}},
      {"app/device/GestureRecognizer.cpp", "#include <cmath>\n#include <QLineF>\n", {2}},
      // Qt is at home here.
      {"app/device/MouseComWnd.cpp", "#include <QMetaObject>\n", {}},
      {"app/shell/MainDlg.cpp", "#include <QWidget>\n", {}},
      {"ui/vtui/SImage.cpp", "#include <QPixmap>\n", {}},
      {"overlay/common/frame/OsInput.cpp", "#include <QCursor>\n", {}},
      // Not Qt.
      {"app/settings/Profile.cpp",
       "#include <queue>\n#include <pugixml.hpp>\n#include \"platform/log.h\"\n",
       {}},
      {"platform/linux/keys_xtest_linux.cpp", "#include <X11/Xlib.h>\n#include \"keys_linux.h\"\n", {}},
      {"app/settings/Profile.cpp", "// #include <QString>\n", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Lines(arch::QtIncludes({c.path, c.text})), c.lines) << c.path << ":\n" << c.text;
  }
}

TEST(QtFreeFolders, QtReachedThroughAProjectHeaderIsFound) {
  const std::vector<SourceFile> files = {
      {"app/shell/Window.h", "#include <QWidget>\n"},
      {"app/device/Link.h", "#include <memory>\n#include \"shell/Window.h\"\n"},
      {"app/device/Plain.h", "#include <cstdint>\n"},
      // Include each other and reach nothing.
      {"app/device/Left.h", "#include \"Right.h\"\n"},
      {"app/device/Right.h", "#include \"Left.h\"\n"},
      Including("app/settings/Direct.cpp", {"platform/log.h", "shell/Window.h"}),
      Including("app/actions/Chain.cpp", {"device/Link.h"}),
      Including("app/actions/Clean.cpp", {"platform/log.h", "device/Plain.h", "device/Left.h"}),
      Including("app/shell/MainDlg.cpp", {"shell/Window.h"}),
      {"platform/include/platform/log.h", "#include <string>\n"},
  };
  const std::vector<Violation> found = arch::QtThroughProjectHeaders(files);
  ASSERT_EQ(found.size(), 2u) << testing::PrintToString(found);
  EXPECT_EQ(found[0].path, "app/settings/Direct.cpp");
  EXPECT_EQ(found[0].line, 2);
  EXPECT_THAT(found[0].what, HasSubstr("app/shell/Window.h:1 <QWidget>"));
  EXPECT_EQ(found[1].path, "app/actions/Chain.cpp");
  EXPECT_EQ(found[1].line, 1);
  EXPECT_THAT(found[1].what,
              HasSubstr("\"device/Link.h\", which brings in Qt (app/shell/Window.h:1 <QWidget>)"));
}

// --- OS conditionals -----------------------------------------------------------------------------

TEST(OsConditionals, AreFoundOutsideThePlatformLayer) {
  struct Case {
    const char* path;
    const char* text;
    std::vector<int> lines;  // where an OS conditional is reported
  };
  const Case cases[] = {
      {"app/shell/MainDlg.cpp", "#ifdef _WIN32\n#endif\n", {1}},
      {"ui/vtui/SWindow.cpp", "#if defined(__linux__) && !defined(NDEBUG)\n", {1}},
      {"overlay/pointer/main.cpp", "#if 0\n#elif defined(__APPLE__)\n#endif\n", {2}},
      {"devlib/src/HIDComm.cpp", "#include <cstdint>\n#ifndef WIN32\n", {2}},
      {"tests/app/shell/MainDlgTest.cpp", "  # if _MSC_VER >= 1900\n", {1}},
      {"app/actions/KeyName.cpp", "#if defined(FOO) && \\\n    defined(_WIN64)\n#endif\n", {1}},
      {"overlay/common/frame/OsInput.cpp", "#ifdef Q_OS_WIN\n", {1}},
      {"overlay/common/device/DeviceIdentity_linux.h", "#ifdef __linux__\n", {1}},  // a header is shared
      // The platform layer.
      {"platform/common/log.cpp", "#if defined(_WIN32)\n", {}},
      {"platform/include/platform/hid.h", "#ifdef _WIN32\n", {}},
      {"overlay/common/device/DeviceIdentity_linux.cpp", "#ifdef __linux__\n", {}},
      {"app/shell/Tray_windows.cpp", "#ifdef _MSC_VER\n", {}},
      {"app/shell/Tray_win.cpp", "#ifdef _MSC_VER\n", {1}},  // not a backend name
      // No OS conditional.
      {"app/settings/Profile.cpp", "// nothing else has #ifdef _WIN32\n", {}},
      {"app/settings/Profile.cpp", "#if VELTRIO_WIN32_COMPAT\n#ifdef NDEBUG\n", {}},
      {"app/settings/Profile.cpp", "#endif  // _WIN32\n#include \"win32/keys.h\"\n", {}},
      {"app/settings/Profile.cpp", "#if 1  // not on _WIN32\n", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Lines(arch::OsConditionals({c.path, c.text})), c.lines) << c.path << ":\n" << c.text;
  }
}

// --- Components and include cycles ---------------------------------------------------------------

TEST(Components, AFileBelongsToTheComponentAndClassOfItsFolder) {
  struct Case {
    const char* path;
    const char* component;
    const char* clazz;
  };
  const Case cases[] = {
      {"app/settings/GlobalSettings.cpp", "app/settings", "app/settings/GlobalSettings"},
      {"app/device/DeviceEvents.h", "app/device", "app/device/DeviceEvents"},
      {"overlay/common/device/DeviceIdentity_linux.cpp", "overlay/common/device",
       "overlay/common/device/DeviceIdentity"},
      {"overlay/common/frame/FrameEngineRT.h", "overlay/common/frame", "overlay/common/frame/FrameEngineRT"},
      {"overlay/pointer/main.cpp", "overlay/pointer", "overlay/pointer/main"},
      {"platform/linux/hid_linux.cpp", "platform", "platform/linux/hid"},
      {"platform/include/platform/hid.h", "platform", "platform/include/platform/hid"},
      {"devlib/include/devbridge/MyDllMouseDevice.h", "devlib", "devlib/include/devbridge/MyDllMouseDevice"},
      {"ui/vtui/SImage.h", "ui", "ui/vtui/SImage"},
      {"tools/remote-sim/main.cpp", "tools/remote-sim", "tools/remote-sim/main"},
      {"tests/app/settings/ProfileTest.cpp", "", ""},
      {"tests/support/remotesim/RemoteSim.cpp", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(arch::ComponentOf(c.path), c.component) << c.path;
    EXPECT_EQ(arch::ClassOf(c.path), c.clazz) << c.path;
  }
}

TEST(Components, AnIncludeNamesTheNearestFileItFits) {
  const std::set<std::string> paths = {
      "app/device/DeviceEvents.h",
      "app/shell/MainDlg.h",
      "app/shell/Window.h",
      "overlay/common/device/DeviceEvents.h",
      "overlay/pointer/Window.h",
      "platform/include/platform/log.h",
      "tests/app/actions/RecordingKeyInjector.h",
      "tests/app/shell/MainDlgFixture.h",
  };
  struct Case {
    const char* from;
    const char* name;
    bool angled;
    const char* resolved;
  };
  const Case cases[] = {
      {"app/shell/MainDlg.cpp", "MainDlg.h", false, "app/shell/MainDlg.h"},
      {"app/shell/MainDlg.cpp", "device/DeviceEvents.h", false, "app/device/DeviceEvents.h"},
      {"overlay/pointer/PointerFrame.h", "device/DeviceEvents.h", false,
       "overlay/common/device/DeviceEvents.h"},
      {"overlay/pointer/PointerFrame.h", "Window.h", false, "overlay/pointer/Window.h"},
      {"app/shell/MainDlg.cpp", "Window.h", false, "app/shell/Window.h"},
      {"devlib/src/HIDComm.cpp", "platform/log.h", true, "platform/include/platform/log.h"},
      {"tests/app/shell/MainDlgFixture.h", "../actions/RecordingKeyInjector.h", false,
       "tests/app/actions/RecordingKeyInjector.h"},
      {"app/shell/MainDlg.cpp", "vector", true, ""},
      {"app/shell/MainDlg.cpp", "veltrio/DeviceIds.h", false, ""},  // generated by the build
  };
  for (const Case& c : cases) {
    EXPECT_EQ(arch::ResolveInclude({1, c.name, c.angled}, c.from, paths), c.resolved)
        << c.from << " " << c.name;
  }
}

TEST(IncludeCycles, AreFoundUnlessAllowedExactlyAsTheyAre) {
  const std::vector<SourceFile> settingsAndActions = {
      Including("app/settings/Profile.h", {"actions/Catalogue.h"}),
      Including("app/actions/Catalogue.h", {"settings/Profile.h"}),
  };
  std::vector<SourceFile> grown = settingsAndActions;
  grown.push_back(Including("app/device/Report.h", {"settings/Profile.h"}));
  grown.push_back(Including("app/settings/Store.cpp", {"device/Report.h"}));

  struct Case {
    const char* name;
    std::vector<SourceFile> files;
    arch::NodeOf nodeOf;
    std::vector<AllowedCycle> allowed;
    std::vector<std::string> found;  // parts of the violations, in order
  };
  const Case cases[] = {
      {"two components that include each other",
       settingsAndActions,
       arch::ComponentOf,
       {},
       {"not on the allow list: app/actions -> app/settings -> app/actions (app/actions/Catalogue.h:1 "
        "includes app/settings/Profile.h; app/settings/Profile.h:1 includes app/actions/Catalogue.h)"}},
      {"the same cycle allowed",
       settingsAndActions,
       arch::ComponentOf,
       {{{"app/actions", "app/settings"}, "why"}},
       {}},
      {"an allowed cycle that has grown",
       grown,
       arch::ComponentOf,
       {{{"app/actions", "app/settings"}, "why"}},
       {"not on the allow list: app/actions -> app/settings -> app/actions",
        "no include cycle has exactly these members any more, so the allow list must change: app/actions, "
        "app/settings"}},
      {"an allowed cycle without a reason",
       settingsAndActions,
       arch::ComponentOf,
       {{{"app/actions", "app/settings"}, ""}},
       {"allowed cycle without a reason: app/actions, app/settings"}},
      {"an allowed cycle that is gone",
       {Including("app/shell/MainDlg.h", {"vtui/SHostWnd.h"}), {"ui/vtui/SHostWnd.h", ""}},
       arch::ComponentOf,
       {{{"app/shell", "ui"}, "why"}},
       {"no include cycle has exactly these members any more, so the allow list must change: app/shell, ui"}},
      {"dependencies one way only",
       {Including("app/shell/MainDlg.h", {"settings/Profile.h", "vtui/SHostWnd.h"}),
        Including("app/settings/Profile.h", {"platform/log.h"}),
        Including("ui/vtui/SHostWnd.h", {"platform/log.h"}),
        {"platform/include/platform/log.h", ""}},
       arch::ComponentOf,
       {},
       {}},
      {"tests are no component",
       {Including("app/settings/Profile.h", {"SettingsFolder.h"}),
        Including("tests/app/settings/SettingsFolder.h", {"settings/Profile.h"})},
       arch::ComponentOf,
       {},
       {}},
      {"classes of one component that include each other",
       {Including("overlay/common/device/Group.h", {"device/Listener.h"}),
        Including("overlay/common/device/Listener.h", {}),
        Including("overlay/common/device/Listener_linux.cpp", {"device/Listener.h", "device/Group.h"})},
       arch::ClassOf,
       {},
       {"not on the allow list: overlay/common/device/Group -> overlay/common/device/Listener -> "
        "overlay/common/device/Group"}},
      {"the same files as components",
       {Including("overlay/common/device/Group.h", {"device/Listener.h"}),
        Including("overlay/common/device/Listener_linux.cpp", {"device/Group.h"}),
        {"overlay/common/device/Listener.h", ""}},
       arch::ComponentOf,
       {},
       {}},
  };
  for (const Case& c : cases) {
    const std::vector<Violation> found =
        arch::CycleViolations(arch::BuildIncludeGraph(c.files, c.nodeOf), c.allowed);
    EXPECT_THAT(Whats(found), ElementsAreArray(Containing(c.found))) << c.name;
  }
}

// --- Reading the tree ----------------------------------------------------------------------------

TEST(SourceTree, ReadsTheSourceFoldersAndSkipsBuildTrees) {
  namespace fs = std::filesystem;
  const fs::path root = fs::path(testing::TempDir()) / ("architecture-tree-" + std::to_string(::getpid()));
  fs::remove_all(root);
  auto write = [&root](const std::string& path, const std::string& text) {
    fs::create_directories((root / path).parent_path());
    std::ofstream(root / path) << text;
  };
  write("app/settings/Profile.cpp", "#include \"Profile.h\"\n");
  write("app/settings/notes.txt", "not a source\n");
  write("app/settings/.cache/Stale.cpp", "");
  write("platform/include/platform/log.h", "");
  write("tests/arch/Check.cpp", "");
  write("tests/build-x/CMakeCache.txt", "");
  write("tests/build-x/app/moc_MainDlg.cpp", "#include <QObject>\n");
  write("packaging/helper.cpp", "");
  write("build/main/app/moc_MainDlg.cpp", "");

  const std::vector<SourceFile> files = arch::ReadSourceTree(root);
  std::vector<std::string> paths;
  for (const SourceFile& file : files) paths.push_back(file.path);
  EXPECT_EQ(paths, (std::vector<std::string>{"app/settings/Profile.cpp", "platform/include/platform/log.h",
                                             "tests/arch/Check.cpp"}));
  ASSERT_FALSE(files.empty());
  EXPECT_EQ(files[0].text, "#include \"Profile.h\"\n");
  fs::remove_all(root);
}

// --- The source tree -----------------------------------------------------------------------------

// Cycles between components: none. The components include each other one way only.
const std::vector<AllowedCycle> kAllowedComponentCycles = {};

// Cycles between the classes of one component, for now.
const std::vector<AllowedCycle> kAllowedClassCycles = {
    {{"overlay/common/frame/FrameEngineRT", "overlay/common/frame/FrameEngineSS",
      "overlay/common/frame/TransparentFrame"},
     "the frame creates its painting engines, which reach back into the frame they paint"},
};

// --- The build graph -----------------------------------------------------------------------------

TEST(BuildGraph, ImplicitFoldersAndUnaliasedLinksAreFound) {
  const SourceFile libraries{"platform/CMakeLists.txt",
                             "add_library(platform_base STATIC log.cpp)\n"
                             "add_library(Veltrio::platform_base ALIAS platform_base)\n"
                             "add_library(veltrio_core STATIC a.cpp)  # no alias: not checked\n"};
  struct Case {
    const char* text;
    std::vector<std::string> whats;  // what is reported, in order
  };
  const Case cases[] = {
      {"foreach(dir a b)\n  if(EXISTS \"${dir}/CMakeLists.txt\")\n    add_subdirectory(${dir})\n  endif()\nendforeach()\n",
       {"only if it exists"}},
      {"if(NOT EXISTS \"${PREFIX}/bin/veltrio\")\n  message(FATAL_ERROR \"missing\")\nendif()\n", {}},
      {"include(${CMAKE_CURRENT_SOURCE_DIR}/volume.cmake OPTIONAL)\n", {"optional include"}},
      {"include(volume.cmake)\n", {}},
      {"file(GLOB pieces LIST_DIRECTORIES true RELATIVE ${dir} ${dir}/*)\n", {"glob over folders"}},
      {"file(GLOB images CONFIGURE_DEPENDS ${dir}/*.svg)\n", {}},
      {"target_link_libraries(platform_hid PUBLIC platform_base PRIVATE Threads::Threads)\n",
       {"links platform_base by its own name"}},
      {"target_link_libraries(platform_base PUBLIC Veltrio::platform_base)\n", {}},
      {"target_link_libraries(x PRIVATE veltrio_core)\n", {}},
      {"veltrio_add_test(NAME t\n  SOURCES platform_base.cpp\n  LIBS Veltrio::core\n    platform_base\n  LABELS unit)\n",
       {"links platform_base"}},
      {"# target_link_libraries(x platform_base)\nmessage(\"platform_base (\")\n", {}},
  };
  for (const Case& c : cases) {
    const std::vector<SourceFile> files = {libraries, {"tests/CMakeLists.txt", c.text}};
    EXPECT_THAT(Whats(arch::BuildGraphBreaches(files)), ElementsAreArray(Containing(c.whats))) << c.text;
  }
}

TEST(BuildGraph, ABreachIsReportedAtItsLine) {
  const std::vector<SourceFile> files = {
      {"a/CMakeLists.txt", "add_library(Veltrio::hid ALIAS platform_hid)\n"},
      {"b/CMakeLists.txt", "veltrio_add_test(NAME t\n  SOURCES t.cpp\n  LIBS\n    platform_hid)\n"}};
  const std::vector<Violation> found = arch::BuildGraphBreaches(files);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].path, "b/CMakeLists.txt");
  EXPECT_EQ(found[0].line, 4);
}

class RealTree : public testing::Test {
 protected:
  static void SetUpTestSuite() { s_files = arch::ReadSourceTree(VELTRIO_SOURCE_DIR); }

  void SetUp() override {
    ASSERT_TRUE(Has("app/settings/GlobalSettings.cpp")) << "no source tree at " << VELTRIO_SOURCE_DIR;
  }

  static bool Has(std::string_view path) {
    return std::any_of(s_files.begin(), s_files.end(),
                       [path](const SourceFile& file) { return file.path == path; });
  }

  static inline std::vector<SourceFile> s_files;
};

TEST_F(RealTree, QtFreeFoldersReachNoQtHeader) {
  for (std::string_view path : arch::QtFreeFiles())
    EXPECT_TRUE(Has(path)) << path << " is listed as Qt-free but gone";
  std::vector<Violation> found;
  for (const SourceFile& file : s_files) {
    for (Violation& violation : arch::QtIncludes(file)) found.push_back(std::move(violation));
  }
  for (Violation& violation : arch::QtThroughProjectHeaders(s_files)) found.push_back(std::move(violation));
  EXPECT_THAT(found, IsEmpty());
}

TEST_F(RealTree, OsConditionalsOnlyInThePlatformLayer) {
  std::vector<Violation> found;
  for (const SourceFile& file : s_files) {
    for (Violation& violation : arch::OsConditionals(file)) found.push_back(std::move(violation));
  }
  EXPECT_THAT(found, IsEmpty());
}

TEST_F(RealTree, ComponentsIncludeEachOtherOnlyAsAllowed) {
  EXPECT_THAT(
      arch::CycleViolations(arch::BuildIncludeGraph(s_files, arch::ComponentOf), kAllowedComponentCycles),
      IsEmpty());
}

TEST_F(RealTree, ClassesIncludeEachOtherOnlyAsAllowed) {
  EXPECT_THAT(arch::CycleViolations(arch::BuildIncludeGraph(s_files, arch::ClassOf), kAllowedClassCycles),
              IsEmpty());
}

TEST_F(RealTree, TheBuildGraphIsExplicit) {
  const std::vector<SourceFile> cmakeFiles = arch::ReadBuildFiles(VELTRIO_SOURCE_DIR);
  ASSERT_TRUE(std::any_of(cmakeFiles.begin(), cmakeFiles.end(),
                          [](const SourceFile& file) { return file.path == "platform/CMakeLists.txt"; }));
  EXPECT_THAT(arch::BuildGraphBreaches(cmakeFiles), IsEmpty());
}

}  // namespace
