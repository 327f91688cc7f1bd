// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The architecture rules of docs/ARCHITECTURE.md as checks over source text, so that a test can
// run them over the tree and over small file sets of its own:
//  - Qt-free folders include no Qt header, neither directly nor through a project header;
//  - OS conditionals (#if on _WIN32, __linux__, ...) appear only in the platform layer;
//  - the include graph between components (and between the classes inside them) has no cycle
//    that is not on an allow list;
//  - the build graph is explicit: every folder is added by name, and a project library is
//    linked through its Veltrio:: alias.
//
// Paths are relative to the source tree, with '/' separators. Every check is a pure function of
// the files it is given; only ReadSourceTree touches the disk.

#include <filesystem>
#include <map>
#include <ostream>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace arch {

struct SourceFile {
  std::string path;
  std::string text;
};

// One breach of a rule, at a line of a file (line 0: the file or the graph as a whole).
struct Violation {
  std::string path;
  int line = 0;
  std::string what;
};
std::ostream& operator<<(std::ostream& out, const Violation& violation);

// Where the rules draw their lines.
bool IsQtFree(std::string_view path);
// The files named one by one as Qt-free (in folders that otherwise may use Qt).
std::span<const std::string_view> QtFreeFiles();
bool IsPlatformLayer(std::string_view path);
// The component a file belongs to: app/<sub>, overlay/common/<sub>, overlay/<sub>, tools/<sub>,
// ui, platform or devlib. Empty for tests and anything else.
std::string ComponentOf(std::string_view path);
// The class a file belongs to: its folder and name without the extension and without an OS
// suffix, so that Foo.h, Foo.cpp and Foo_linux.cpp are one. Empty outside the components.
std::string ClassOf(std::string_view path);

// An #include directive: its line (from 1), the name between the quotes or brackets, and which.
struct Include {
  int line = 0;
  std::string name;
  bool angled = false;
};
std::vector<Include> IncludesOf(std::string_view text);

// Whether an included name is a Qt header (a class header such as QString, a module path such
// as QtWidgets/QStyle, a lower-case <qglobal.h>) or a file that Qt's tools generate (ui_*.h,
// moc_*.cpp, *.moc).
bool IsQtHeader(const Include& include);

// Qt headers included by a file in a Qt-free folder.
std::vector<Violation> QtIncludes(const SourceFile& file);
// Project headers through which a file in a Qt-free folder reaches a Qt header.
std::vector<Violation> QtThroughProjectHeaders(const std::vector<SourceFile>& files);

// OS conditionals (#if, #ifdef, #ifndef, #elif...) of a file outside the platform layer.
std::vector<Violation> OsConditionals(const SourceFile& file);

// The file an include names: beside the including file for a quoted name, otherwise the file
// whose path ends with the name (the tree's include roots, app/, overlay/common/,
// platform/include/, ..., make every project include such an ending); of several, the one
// nearest the including file. Empty for a name outside the tree (the C++ library, Qt, a file
// the build generates).
std::string ResolveInclude(const Include& include, const std::string& from,
                           const std::set<std::string>& paths);

// The include graph over nodes (components or classes): an edge from one node to another when
// a file of the first includes a file of the second, with the first such include as evidence
// ("app/shell/MainDlg.h:20 includes app/device/DeviceEvents.h"). Files whose node is empty take
// no part.
struct IncludeGraph {
  std::map<std::string, std::map<std::string, std::string>> edges;  // from -> to -> evidence
};
using NodeOf = std::string (*)(std::string_view path);
IncludeGraph BuildIncludeGraph(const std::vector<SourceFile>& files, NodeOf nodeOf);

// The groups of nodes that include each other, directly or around a cycle (the strongly
// connected groups of two or more nodes), each sorted, in order.
std::vector<std::set<std::string>> IncludeCycles(const IncludeGraph& graph);

// A cycle that may stay for now: exactly these members, and why.
struct AllowedCycle {
  std::set<std::string> members;
  std::string reason;
};
// A group that is not allowed exactly as it is (a new cycle, or an allowed one that has grown),
// an allowed cycle that no longer exists, and an allowed cycle without a reason.
std::vector<Violation> CycleViolations(const IncludeGraph& graph, const std::vector<AllowedCycle>& allowed);

// Breaches of the explicit build graph in CMake files (CMakeLists.txt, *.cmake): a folder or
// file added only if it exists (`if(EXISTS`, `include(... OPTIONAL)`), a glob that lists
// folders (`LIST_DIRECTORIES true`), and a project library linked by its own name where its
// Veltrio:: alias is meant (in target_link_libraries and in the LIBS of the veltrio_add_*
// helpers). The libraries are those the files give an alias (`add_library(Veltrio::x ALIAS y)`).
std::vector<Violation> BuildGraphBreaches(const std::vector<SourceFile>& cmakeFiles);

// The C and C++ files under the source folders of the tree (app, devlib, overlay, platform,
// tests, tools, ui), in path order; build trees inside them (a folder with a CMakeCache.txt)
// and hidden folders are skipped.
std::vector<SourceFile> ReadSourceTree(const std::filesystem::path& root);
// The CMake files of the tree: the top-level CMakeLists.txt, cmake/*.cmake, and those under the
// source folders and packaging/, in path order, skipping build trees as above.
std::vector<SourceFile> ReadBuildFiles(const std::filesystem::path& root);

}  // namespace arch
