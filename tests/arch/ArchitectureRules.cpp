// SPDX-License-Identifier: GPL-3.0-or-later
#include "ArchitectureRules.h"

#include <algorithm>
#include <cctype>
#include <deque>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <sstream>

namespace arch {
namespace fs = std::filesystem;
namespace {

// Folders whose code builds without Qt: the platform layer, devbridge, the core of the
// configuration program and the overlays' device layer.
constexpr std::string_view kQtFreeFolders[] = {
    "platform/", "devlib/", "app/settings/", "app/actions/", "overlay/common/device/",
};
// app/device mixes both: the report decoding and the swipe recogniser (compiled into
// veltrio_core) and the devbridge link are Qt-free; the device windows are Qt objects.
constexpr std::string_view kQtFreeFiles[] = {
    "app/device/DeviceEvents.h",      "app/device/DeviceReport.h",        "app/device/DeviceReport.cpp",
    "app/device/GestureRecognizer.h", "app/device/GestureRecognizer.cpp", "app/device/MouseDevLink.h",
    "app/device/MouseDevLink.cpp",
};

// How many leading folders name the component, by the folder a path starts with; the first
// prefix that fits counts.
struct ComponentDepth {
  std::string_view prefix;
  std::size_t folders;
};
constexpr ComponentDepth kComponentDepths[] = {
    {"overlay/common/", 3}, {"overlay/", 2}, {"app/", 2}, {"tools/", 2}, {"ui/", 1},
    {"platform/", 1},       {"devlib/", 1},
};

constexpr std::string_view kOsSuffixes[] = {"_linux", "_win"};

// The macros that tell one OS or compiler from another.
constexpr std::string_view kOsMacros[] = {
    "_WIN32",   "_WIN64",   "WIN32",       "__linux__",   "__linux",  "__APPLE__",
    "__MACH__", "_MSC_VER", "__MINGW32__", "__MINGW64__", "__unix__", "__CYGWIN__",
};
constexpr std::string_view kQtOsMacroPrefix = "Q_OS_";

constexpr std::string_view kConditionals[] = {"if", "ifdef", "ifndef", "elif", "elifdef", "elifndef"};

constexpr std::string_view kSourceFolders[] = {"app",   "devlib", "overlay", "platform",
                                               "tests", "tools",  "ui"};
constexpr std::string_view kSourceExtensions[] = {".h",   ".hh", ".hpp", ".hxx", ".inl",
                                                  ".ipp", ".c",  ".cc",  ".cpp", ".cxx"};

template <typename List>
bool Contains(const List& list, std::string_view value) {
  return std::find(std::begin(list), std::end(list), value) != std::end(list);
}

bool IsIdentifierChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

std::string_view Folder(std::string_view path) {
  const auto slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

std::string_view BaseName(std::string_view path) {
  const auto slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  while (true) {
    const auto at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

// The lines of a text with a backslash-newline joined to the next, each with the number of
// its first line.
std::vector<std::pair<int, std::string>> LogicalLines(std::string_view text) {
  std::vector<std::pair<int, std::string>> lines;
  std::string pending;
  int first = 0, number = 0;
  for (std::string_view line : Split(text, '\n')) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (pending.empty()) first = number;
    if (!line.empty() && line.back() == '\\') {
      line.remove_suffix(1);
      pending.append(line).push_back(' ');
      continue;
    }
    pending.append(line);
    lines.emplace_back(first, std::move(pending));
    pending.clear();
  }
  return lines;
}

// A preprocessor directive: its keyword and what follows it, without a trailing comment.
struct Directive {
  std::string_view keyword;
  std::string_view rest;
};

std::optional<Directive> DirectiveOf(std::string_view line) {
  auto skipBlanks = [&line] {
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  };
  skipBlanks();
  if (line.empty() || line.front() != '#') return std::nullopt;
  line.remove_prefix(1);
  skipBlanks();
  std::size_t length = 0;
  while (length < line.size() && IsIdentifierChar(line[length])) ++length;
  Directive directive{line.substr(0, length), line.substr(length)};
  for (std::string_view comment : {"//", "/*"}) {
    if (const auto at = directive.rest.find(comment); at != std::string_view::npos)
      directive.rest = directive.rest.substr(0, at);
  }
  return directive;
}

std::vector<std::string_view> Identifiers(std::string_view text) {
  std::vector<std::string_view> names;
  for (std::size_t i = 0; i < text.size();) {
    if (!IsIdentifierChar(text[i])) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < text.size() && IsIdentifierChar(text[end])) ++end;
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) names.push_back(text.substr(i, end - i));
    i = end;
  }
  return names;
}

bool IsOsMacro(std::string_view name) {
  return Contains(kOsMacros, name) || name.starts_with(kQtOsMacroPrefix);
}

std::string Shown(const Include& include) {
  return include.angled ? "<" + include.name + ">" : "\"" + include.name + "\"";
}

// How many leading folders two paths share.
std::size_t SharedFolders(std::string_view a, std::string_view b) {
  const auto x = Split(Folder(a), '/'), y = Split(Folder(b), '/');
  std::size_t shared = 0;
  while (shared < x.size() && shared < y.size() && x[shared] == y[shared]) ++shared;
  return shared;
}

std::string Join(const std::set<std::string>& members) {
  std::string text;
  for (const std::string& member : members) text += (text.empty() ? "" : ", ") + member;
  return text;
}

// The shortest way from the group's first member around the group back to it, with the
// include behind every step.
std::string ShowCycle(const IncludeGraph& graph, const std::set<std::string>& group) {
  const std::string& start = *group.begin();
  std::map<std::string, std::string> cameFrom;
  std::deque<std::string> queue{start};
  std::optional<std::string> last;  // the member whose edge closes the cycle
  while (!queue.empty() && !last) {
    const std::string node = queue.front();
    queue.pop_front();
    const auto out = graph.edges.find(node);
    if (out == graph.edges.end()) continue;
    for (const auto& [to, evidence] : out->second) {
      if (to == start) {
        last = node;
        break;
      }
      if (group.count(to) && !cameFrom.count(to)) {
        cameFrom[to] = node;
        queue.push_back(to);
      }
    }
  }
  if (!last) return Join(group);
  std::vector<std::string> path{start};
  for (std::string node = *last; node != start; node = cameFrom.at(node)) path.insert(path.begin() + 1, node);
  path.push_back(start);
  std::string steps, evidence;
  for (std::size_t i = 0; i < path.size(); ++i) {
    steps += (i ? " -> " : "") + path[i];
    if (i + 1 < path.size()) evidence += (i ? "; " : "") + graph.edges.at(path[i]).at(path[i + 1]);
  }
  return steps + " (" + evidence + ")";
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const Violation& violation) {
  if (!violation.path.empty()) out << violation.path << ':' << violation.line << ": ";
  return out << violation.what;
}

bool IsQtFree(std::string_view path) {
  return Contains(kQtFreeFiles, path) ||
         std::any_of(std::begin(kQtFreeFolders), std::end(kQtFreeFolders),
                     [path](std::string_view folder) { return path.starts_with(folder); });
}

std::span<const std::string_view> QtFreeFiles() {
  return kQtFreeFiles;
}

bool IsPlatformLayer(std::string_view path) {
  return path.starts_with("platform/") || path.ends_with("_linux.cpp") || path.ends_with("_windows.cpp");
}

std::string ComponentOf(std::string_view path) {
  for (const ComponentDepth& rule : kComponentDepths) {
    if (!path.starts_with(rule.prefix)) continue;
    const std::vector<std::string_view> folders = Split(Folder(path), '/');
    std::string component;
    for (std::size_t i = 0; i < std::min(rule.folders, folders.size()); ++i)
      component.append(i ? "/" : "").append(folders[i]);
    return component;
  }
  return {};
}

std::string ClassOf(std::string_view path) {
  if (ComponentOf(path).empty()) return {};
  std::string_view name = BaseName(path);
  name = name.substr(0, name.find('.'));
  for (std::string_view suffix : kOsSuffixes) {
    if (name.ends_with(suffix)) name.remove_suffix(suffix.size());
  }
  return std::string(Folder(path)) + "/" + std::string(name);
}

std::vector<Include> IncludesOf(std::string_view text) {
  std::vector<Include> includes;
  int number = 0;
  for (std::string_view line : Split(text, '\n')) {
    ++number;
    const std::optional<Directive> directive = DirectiveOf(line);
    if (!directive || directive->keyword != "include") continue;
    std::string_view rest = directive->rest;
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
    if (rest.empty() || (rest.front() != '<' && rest.front() != '"')) continue;
    const bool angled = rest.front() == '<';
    const auto end = rest.find(angled ? '>' : '"', 1);
    if (end == std::string_view::npos) continue;
    includes.push_back({number, std::string(rest.substr(1, end - 1)), angled});
  }
  return includes;
}

bool IsQtHeader(const Include& include) {
  const std::string_view name = include.name;
  const std::string_view base = BaseName(name);
  if ((base.starts_with("ui_") && base.ends_with(".h")) || base.starts_with("moc_") || base.ends_with(".moc"))
    return true;
  const std::string_view first = name.substr(0, name.find('/'));
  auto upperAt = [](std::string_view text, std::size_t at) {
    return at < text.size() && std::isupper(static_cast<unsigned char>(text[at]));
  };
  auto word = [](std::string_view text) { return std::all_of(text.begin(), text.end(), IsIdentifierChar); };
  // QtWidgets, QtCore/QObject
  if (first.starts_with("Qt") && upperAt(first, 2) && word(first)) return true;
  // QString, QTimer: Qt's class headers have no extension.
  if (name.starts_with('Q') && upperAt(name, 1) && word(name)) return true;
  // <qglobal.h>, <qobject.h>
  return include.angled && name.starts_with('q') && name.ends_with(".h") &&
         name.find('/') == std::string_view::npos && std::all_of(name.begin(), name.end() - 2, [](char c) {
           return std::islower(static_cast<unsigned char>(c)) ||
                  std::isdigit(static_cast<unsigned char>(c)) || c == '_';
         });
}

std::vector<Violation> QtIncludes(const SourceFile& file) {
  std::vector<Violation> found;
  if (!IsQtFree(file.path)) return found;
  for (const Include& include : IncludesOf(file.text)) {
    if (IsQtHeader(include))
      found.push_back({file.path, include.line, "includes " + Shown(include) + " in a Qt-free folder"});
  }
  return found;
}

std::vector<Violation> QtThroughProjectHeaders(const std::vector<SourceFile>& files) {
  std::set<std::string> paths;
  for (const SourceFile& file : files) paths.insert(file.path);
  // Per file: the project files it includes, and where it includes a Qt header itself
  // ("app/shell/Window.h:1 <QWidget>"; empty when it does not).
  struct Resolved {
    std::vector<std::pair<Include, std::string>> includes;
    std::string qt;
  };
  std::map<std::string, Resolved> resolved;
  for (const SourceFile& file : files) {
    Resolved& entry = resolved[file.path];
    for (const Include& include : IncludesOf(file.text)) {
      if (IsQtHeader(include)) {
        if (entry.qt.empty())
          entry.qt = file.path + ":" + std::to_string(include.line) + " " + Shown(include);
      } else if (std::string target = ResolveInclude(include, file.path, paths); !target.empty()) {
        entry.includes.emplace_back(include, std::move(target));
      }
    }
  }
  // A Qt include reached from a file, searched depth first in include order.
  auto qtReachedFrom = [&resolved](const std::string& start) {
    std::set<std::string> seen{start};
    std::vector<std::string> pending{start};
    while (!pending.empty()) {
      const Resolved& entry = resolved.at(pending.back());
      pending.pop_back();
      if (!entry.qt.empty()) return entry.qt;
      for (auto it = entry.includes.rbegin(); it != entry.includes.rend(); ++it) {
        if (seen.insert(it->second).second) pending.push_back(it->second);
      }
    }
    return std::string();
  };

  std::vector<Violation> found;
  for (const SourceFile& file : files) {
    if (!IsQtFree(file.path)) continue;
    for (const auto& [include, target] : resolved.at(file.path).includes) {
      // A Qt-free header answers for its own includes.
      if (IsQtFree(target)) continue;
      if (const std::string through = qtReachedFrom(target); !through.empty())
        found.push_back({file.path, include.line,
                         "includes " + Shown(include) + ", which brings in Qt (" + through + ")"});
    }
  }
  return found;
}

std::vector<Violation> OsConditionals(const SourceFile& file) {
  std::vector<Violation> found;
  if (IsPlatformLayer(file.path)) return found;
  for (const auto& [number, line] : LogicalLines(file.text)) {
    const std::optional<Directive> directive = DirectiveOf(line);
    if (!directive || !Contains(kConditionals, directive->keyword)) continue;
    for (std::string_view name : Identifiers(directive->rest)) {
      if (!IsOsMacro(name)) continue;
      found.push_back({file.path, number,
                       "#" + std::string(directive->keyword) + " on " + std::string(name) +
                           " outside the platform layer"});
      break;
    }
  }
  return found;
}

std::string ResolveInclude(const Include& include, const std::string& from,
                           const std::set<std::string>& paths) {
  if (!include.angled) {
    const std::string beside =
        (fs::path(std::string(Folder(from))) / include.name).lexically_normal().generic_string();
    if (paths.count(beside)) return beside;
  }
  const std::string ending = "/" + include.name;
  const std::string* best = nullptr;
  for (const std::string& path : paths) {
    if (path != include.name && !path.ends_with(ending)) continue;
    if (!best) {
      best = &path;
      continue;
    }
    const std::size_t shared = SharedFolders(path, from), bestShared = SharedFolders(*best, from);
    if (shared > bestShared || (shared == bestShared && path.size() < best->size())) best = &path;
  }
  return best ? *best : std::string();
}

IncludeGraph BuildIncludeGraph(const std::vector<SourceFile>& files, NodeOf nodeOf) {
  std::set<std::string> paths;
  for (const SourceFile& file : files) paths.insert(file.path);
  std::vector<const SourceFile*> ordered;
  for (const SourceFile& file : files) ordered.push_back(&file);
  std::sort(ordered.begin(), ordered.end(),
            [](const SourceFile* a, const SourceFile* b) { return a->path < b->path; });

  IncludeGraph graph;
  for (const SourceFile* file : ordered) {
    const std::string from = nodeOf(file->path);
    if (from.empty()) continue;
    for (const Include& include : IncludesOf(file->text)) {
      const std::string target = ResolveInclude(include, file->path, paths);
      if (target.empty()) continue;
      const std::string to = nodeOf(target);
      if (to.empty() || to == from) continue;
      graph.edges[from].try_emplace(to,
                                    file->path + ":" + std::to_string(include.line) + " includes " + target);
    }
  }
  return graph;
}

std::vector<std::set<std::string>> IncludeCycles(const IncludeGraph& graph) {
  std::set<std::string> nodes;
  for (const auto& [from, targets] : graph.edges) {
    nodes.insert(from);
    for (const auto& [to, evidence] : targets) nodes.insert(to);
  }
  // Tarjan's strongly connected components.
  std::map<std::string, int> index, low;
  std::vector<std::string> stack;
  std::set<std::string> onStack;
  std::vector<std::set<std::string>> groups;
  int next = 0;
  std::function<void(const std::string&)> visit = [&](const std::string& node) {
    index[node] = low[node] = next++;
    stack.push_back(node);
    onStack.insert(node);
    if (const auto out = graph.edges.find(node); out != graph.edges.end()) {
      for (const auto& [to, evidence] : out->second) {
        if (!index.count(to)) {
          visit(to);
          low[node] = std::min(low[node], low[to]);
        } else if (onStack.count(to)) {
          low[node] = std::min(low[node], index[to]);
        }
      }
    }
    if (low[node] != index[node]) return;
    std::set<std::string> group;
    std::string member;
    do {
      member = stack.back();
      stack.pop_back();
      onStack.erase(member);
      group.insert(member);
    } while (member != node);
    if (group.size() > 1) groups.push_back(std::move(group));
  };
  for (const std::string& node : nodes) {
    if (!index.count(node)) visit(node);
  }
  std::sort(groups.begin(), groups.end());
  return groups;
}

std::vector<Violation> CycleViolations(const IncludeGraph& graph, const std::vector<AllowedCycle>& allowed) {
  const std::vector<std::set<std::string>> groups = IncludeCycles(graph);
  std::vector<Violation> found;
  for (const std::set<std::string>& group : groups) {
    const bool isAllowed = std::any_of(allowed.begin(), allowed.end(), [&group](const AllowedCycle& entry) {
      return entry.members == group;
    });
    if (!isAllowed)
      found.push_back({"", 0, "include cycle not on the allow list: " + ShowCycle(graph, group)});
  }
  for (const AllowedCycle& entry : allowed) {
    if (entry.reason.empty())
      found.push_back({"", 0, "allowed cycle without a reason: " + Join(entry.members)});
    if (std::find(groups.begin(), groups.end(), entry.members) == groups.end())
      found.push_back(
          {"", 0,
           "no include cycle has exactly these members any more, so the allow list must change: " +
               Join(entry.members)});
  }
  return found;
}

// --- The build graph ---------------------------------------------------------------------------

namespace {

// One CMake command: its name (lower case), its arguments with the line of each, comments and
// quotes removed. Good enough for the project's own files; bracket arguments are not used there.
struct CMakeCommand {
  std::string name;
  int line = 0;
  std::vector<std::pair<std::string, int>> arguments;
};

std::vector<CMakeCommand> CMakeCommands(std::string_view text) {
  std::vector<CMakeCommand> commands;
  int line = 1;
  std::size_t at = 0;
  auto skipComment = [&] {
    while (at < text.size() && text[at] != '\n') ++at;
  };
  while (at < text.size()) {
    const char c = text[at];
    if (c == '\n') { ++line; ++at; continue; }
    if (c == '#') { skipComment(); continue; }
    if (!(std::isalpha(static_cast<unsigned char>(c)) || c == '_')) { ++at; continue; }
    CMakeCommand command;
    command.line = line;
    while (at < text.size() && (std::isalnum(static_cast<unsigned char>(text[at])) || text[at] == '_'))
      command.name += char(std::tolower(static_cast<unsigned char>(text[at++])));
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    if (at >= text.size() || text[at] != '(') continue;
    ++at;
    int depth = 1;
    std::string word;
    int wordLine = line;
    auto endWord = [&] {
      if (!word.empty()) command.arguments.emplace_back(word, wordLine);
      word.clear();
    };
    while (at < text.size() && depth > 0) {
      const char d = text[at];
      if (d == '#') { endWord(); skipComment(); continue; }
      if (d == '"') {
        endWord();
        wordLine = line;
        for (++at; at < text.size() && text[at] != '"'; ++at) {
          if (text[at] == '\\' && at + 1 < text.size()) word += text[++at];
          else { if (text[at] == '\n') ++line; word += text[at]; }
        }
        ++at;
        endWord();
        continue;
      }
      if (d == '(') ++depth;
      if (d == ')' && --depth == 0) { ++at; break; }
      if (d == '(' || d == ')' || std::isspace(static_cast<unsigned char>(d))) {
        endWord();
        if (d == '\n') ++line;
      } else {
        if (word.empty()) wordLine = line;
        word += d;
      }
      ++at;
    }
    endWord();
    commands.push_back(std::move(command));
  }
  return commands;
}

bool IsKeyword(const std::string& word) {
  return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
    return std::isupper(static_cast<unsigned char>(c)) || c == '_';
  });
}

}  // namespace

std::vector<Violation> BuildGraphBreaches(const std::vector<SourceFile>& cmakeFiles) {
  std::set<std::string> libraries;  // the project's, by their own names
  for (const SourceFile& file : cmakeFiles)
    for (const CMakeCommand& command : CMakeCommands(file.text))
      if (command.name == "add_library" && command.arguments.size() == 3 &&
          command.arguments[0].first.starts_with("Veltrio::") && command.arguments[1].first == "ALIAS")
        libraries.insert(command.arguments[2].first);

  std::vector<Violation> found;
  for (const SourceFile& file : cmakeFiles) {
    for (const CMakeCommand& command : CMakeCommands(file.text)) {
      const auto& args = command.arguments;
      auto has = [&](std::string_view word) {
        return std::any_of(args.begin(), args.end(), [word](const auto& a) { return a.first == word; });
      };
      // `if(NOT EXISTS ...)` checks for a file and stops; `if(EXISTS ...)` takes it when it is there.
      if (command.name == "if" || command.name == "elseif") {
        for (std::size_t i = 0; i < args.size(); ++i)
          if (args[i].first == "EXISTS" && (i == 0 || args[i - 1].first != "NOT"))
            found.push_back({file.path, command.line, "a folder or file taken only if it exists: name it"});
      }
      if (command.name == "include" && has("OPTIONAL"))
        found.push_back({file.path, command.line, "an optional include: a renamed file would drop silently"});
      for (std::size_t i = 0; command.name == "file" && i + 1 < args.size(); ++i)
        if (args[i].first == "LIST_DIRECTORIES" && args[i + 1].first != "false")
          found.push_back({file.path, command.line, "a glob over folders: add each folder by name"});
      const bool links = command.name == "target_link_libraries";
      const bool helper = command.name.starts_with("veltrio_add_");
      if (!links && !helper) continue;
      bool inLibs = links;
      for (std::size_t i = links ? 1 : 0; i < args.size(); ++i) {
        const std::string& word = args[i].first;
        if (helper && IsKeyword(word)) {
          inLibs = word == "LIBS";
          continue;
        }
        if (inLibs && libraries.count(word))
          found.push_back({file.path, args[i].second, "links " + word + " by its own name, not through its Veltrio:: alias"});
      }
    }
  }
  return found;
}

namespace {

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The files under root/folder that `wanted` takes, relative to root, skipping hidden folders and
// build trees.
void ReadFolder(const fs::path& root, std::string_view folder, bool (*wanted)(const fs::path&),
                std::vector<SourceFile>* files) {
  const fs::path top = root / folder;
  if (!fs::is_directory(top)) return;
  for (auto it = fs::recursive_directory_iterator(top); it != fs::recursive_directory_iterator(); ++it) {
    const fs::path& path = it->path();
    if (it->is_directory()) {
      if (path.filename().string().starts_with('.') || fs::exists(path / "CMakeCache.txt"))
        it.disable_recursion_pending();
      continue;
    }
    if (!it->is_regular_file() || !wanted(path)) continue;
    files->push_back({path.lexically_relative(root).generic_string(), ReadText(path)});
  }
}

void SortByPath(std::vector<SourceFile>* files) {
  std::sort(files->begin(), files->end(), [](const SourceFile& a, const SourceFile& b) { return a.path < b.path; });
}

bool IsSourceFile(const fs::path& path) {
  return Contains(kSourceExtensions, path.extension().string());
}

bool IsCMakeFile(const fs::path& path) {
  return path.filename() == "CMakeLists.txt" || path.extension() == ".cmake";
}

}  // namespace

std::vector<SourceFile> ReadSourceTree(const fs::path& root) {
  std::vector<SourceFile> files;
  for (std::string_view folder : kSourceFolders) ReadFolder(root, folder, IsSourceFile, &files);
  SortByPath(&files);
  return files;
}

std::vector<SourceFile> ReadBuildFiles(const fs::path& root) {
  std::vector<SourceFile> files;
  if (const fs::path top = root / "CMakeLists.txt"; fs::is_regular_file(top))
    files.push_back({"CMakeLists.txt", ReadText(top)});
  ReadFolder(root, "cmake", IsCMakeFile, &files);
  ReadFolder(root, "packaging", IsCMakeFile, &files);
  for (std::string_view folder : kSourceFolders) ReadFolder(root, folder, IsCMakeFile, &files);
  SortByPath(&files);
  return files;
}

}  // namespace arch
