// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell_xdg_linux.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::linux_shell {
namespace fs = std::filesystem;
namespace {

std::vector<fs::path> SplitList(const char* value, const std::vector<fs::path>& fallback) {
  if (!value || !*value) return fallback;
  std::vector<fs::path> parts;
  std::string_view rest = value;
  while (!rest.empty()) {
    size_t colon = rest.find(':');
    std::string_view part = rest.substr(0, colon);
    // XDG base directories must be absolute; relative PATH entries are skipped too.
    if (!part.empty() && part.front() == '/') parts.emplace_back(part);
    rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
  }
  return parts.empty() ? fallback : parts;
}

fs::path AbsoluteOr(const char* value, const fs::path& fallback) {
  return value && value[0] == '/' ? fs::path(value) : fallback;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

// The value of `key` in group `group` of a key file (desktop entry, mimeapps.list); nullopt when
// the file, the group or the key is missing. Localised keys ("Name[de]") are other keys.
std::optional<std::string> ReadKey(const fs::path& file, std::string_view group, std::string_view key) {
  std::ifstream in(file);
  if (!in) return std::nullopt;
  std::string line;
  bool inGroup = false;
  while (std::getline(in, line)) {
    std::string_view text = Trim(line);
    if (text.empty() || text.front() == '#') continue;
    if (text.front() == '[') {
      inGroup = text == "[" + std::string(group) + "]";
      continue;
    }
    if (!inGroup) continue;
    size_t equals = text.find('=');
    if (equals == std::string_view::npos) continue;
    if (Trim(text.substr(0, equals)) == key) return std::string(Trim(text.substr(equals + 1)));
  }
  return std::nullopt;
}

std::vector<std::string> SplitSemicolons(std::string_view value) {
  std::vector<std::string> items;
  while (!value.empty()) {
    size_t semi = value.find(';');
    std::string_view item = Trim(value.substr(0, semi));
    if (!item.empty()) items.emplace_back(item);
    value = semi == std::string_view::npos ? std::string_view{} : value.substr(semi + 1);
  }
  return items;
}

// The string escapes of key files, undone before the Exec line is split.
std::string UnescapeString(std::string_view value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    switch (char c = value[++i]) {
      case 's': out += ' '; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case '\\': out += '\\'; break;
      default: out += '\\'; out += c; break;  // left for the quoting rules
    }
  }
  return out;
}

struct Candidate {
  std::string_view desktop;               // for the mouse settings: the desktop it belongs to
  std::string_view mimeType;              // a default handler, or
  std::vector<std::string_view> command;  // a known program and its arguments
};

std::vector<Candidate> Candidates(DesktopTarget target) {
  using V = std::vector<std::string_view>;
  switch (target) {
    case DesktopTarget::WebBrowser:
      return {{{}, "x-scheme-handler/http", {}}, {{}, "x-scheme-handler/https", {}},
              {{}, {}, V{"x-www-browser"}}, {{}, {}, V{"firefox-esr"}}, {{}, {}, V{"firefox"}},
              {{}, {}, V{"chromium"}}, {{}, {}, V{"xdg-open", "http://"}}};
    case DesktopTarget::MailProgram:
      return {{{}, "x-scheme-handler/mailto", {}}, {{}, {}, V{"xdg-open", "mailto:"}}};
    case DesktopTarget::MediaPlayer: {
      std::vector<Candidate> list;
      for (std::string_view mime : {"audio/mpeg", "audio/x-vorbis+ogg", "audio/flac", "audio/x-wav"})
        list.push_back({{}, mime, {}});
      for (std::string_view program : {"vlc", "totem", "celluloid", "rhythmbox", "audacious", "elisa",
                                        "parole", "strawberry", "clementine"})
        list.push_back({{}, {}, V{program}});
      return list;
    }
    case DesktopTarget::OnScreenKeyboard: {
      std::vector<Candidate> list;
      for (std::string_view program : {"onboard", "florence", "matchbox-keyboard", "xvkbd", "kvkbd"})
        list.push_back({{}, {}, V{program}});
      return list;
    }
    case DesktopTarget::MouseSettings:
      return {{"gnome", {}, V{"gnome-control-center", "mouse"}},
              {"kde", {}, V{"systemsettings", "kcm_mouse"}},
              {"kde", {}, V{"kcmshell6", "kcm_mouse"}},
              {"kde", {}, V{"kcmshell5", "mouse"}},
              {"xfce", {}, V{"xfce4-mouse-settings"}},
              {"mate", {}, V{"mate-mouse-properties"}},
              {"lxqt", {}, V{"lxqt-config-input"}},
              {"x-cinnamon", {}, V{"cinnamon-settings", "mouse"}}};
  }
  return {};
}

std::vector<std::string> Resolve(const Candidate& candidate, const XdgEnvironment& env) {
  if (!candidate.mimeType.empty()) {
    fs::path entry = DefaultHandler(candidate.mimeType, env);
    return entry.empty() ? std::vector<std::string>{} : DesktopEntryCommand(entry, env);
  }
  fs::path program = FindProgram(candidate.command.front(), env);
  if (program.empty()) return {};
  std::vector<std::string> argv{program.native()};
  argv.insert(argv.end(), candidate.command.begin() + 1, candidate.command.end());
  return argv;
}

}  // namespace

bool IsExecutableFile(const fs::path& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

XdgEnvironment XdgEnvironment::FromProcess() {
  XdgEnvironment env;
  const char* homeVar = std::getenv("HOME");
  fs::path home = homeVar && *homeVar ? fs::path(homeVar) : fs::path();
  env.searchPath = SplitList(std::getenv("PATH"), {"/usr/local/bin", "/usr/bin", "/bin"});
  env.configHome = AbsoluteOr(std::getenv("XDG_CONFIG_HOME"), home.empty() ? fs::path() : home / ".config");
  env.configDirs = SplitList(std::getenv("XDG_CONFIG_DIRS"), {"/etc/xdg"});
  env.dataHome = AbsoluteOr(std::getenv("XDG_DATA_HOME"), home.empty() ? fs::path() : home / ".local/share");
  env.dataDirs = SplitList(std::getenv("XDG_DATA_DIRS"), {"/usr/local/share", "/usr/share"});
  if (const char* desktops = std::getenv("XDG_CURRENT_DESKTOP"); desktops && *desktops) {
    std::string_view rest = desktops;
    while (!rest.empty()) {
      size_t colon = rest.find(':');
      if (colon != 0) env.desktops.push_back(Lower(rest.substr(0, colon)));
      rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
    }
  }
  return env;
}

fs::path FindProgram(std::string_view name, const XdgEnvironment& env) {
  if (name.empty()) return {};
  if (name.find('/') != std::string_view::npos) {
    fs::path path(name);
    return path.is_absolute() && IsExecutableFile(path) ? path : fs::path();
  }
  for (const fs::path& folder : env.searchPath) {
    fs::path candidate = folder / name;
    if (IsExecutableFile(candidate)) return candidate;
  }
  return {};
}

std::vector<std::string> SplitExecLine(std::string_view exec) {
  const std::string text = UnescapeString(exec);
  std::vector<std::string> args;
  std::string current;
  bool inArgument = false, quoted = false, onlyFieldCodes = true;
  auto finish = [&] {
    // An argument that was nothing but field codes stood for files; none are passed.
    if (inArgument && !(current.empty() && onlyFieldCodes)) args.push_back(current);
    current.clear();
    inArgument = false;
    onlyFieldCodes = true;
  };
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else if (c == '\\' && i + 1 < text.size() && std::string_view("\"`$\\").find(text[i + 1]) != std::string_view::npos) {
        current += text[++i];
        onlyFieldCodes = false;
      } else {
        current += c;
        onlyFieldCodes = false;
      }
      continue;
    }
    if (c == ' ' || c == '\t' || c == '\n') {
      finish();
      continue;
    }
    inArgument = true;
    if (c == '"') {
      quoted = true;
      onlyFieldCodes = false;  // "" is an empty argument on purpose
    } else if (c == '%' && i + 1 < text.size()) {
      if (text[++i] == '%') {
        current += '%';
        onlyFieldCodes = false;
      }
    } else {
      current += c;
      onlyFieldCodes = false;
    }
  }
  finish();
  return args;
}

fs::path FindDesktopEntry(std::string_view desktopId, const XdgEnvironment& env) {
  if (desktopId.empty() || desktopId.find('/') != std::string_view::npos) return {};
  std::vector<fs::path> folders;
  if (!env.dataHome.empty()) folders.push_back(env.dataHome);
  folders.insert(folders.end(), env.dataDirs.begin(), env.dataDirs.end());
  std::error_code error;
  for (const fs::path& folder : folders) {
    fs::path entry = folder / "applications" / desktopId;
    if (fs::is_regular_file(entry, error)) return entry;
  }
  return {};
}

std::vector<std::string> DesktopEntryCommand(const fs::path& entry, const XdgEnvironment& env) {
  constexpr std::string_view group = "Desktop Entry";
  if (ReadKey(entry, group, "Hidden").value_or("") == "true") return {};
  if (ReadKey(entry, group, "Type").value_or("Application") != "Application") return {};
  std::optional<std::string> exec = ReadKey(entry, group, "Exec");
  if (!exec) return {};
  std::vector<std::string> argv = SplitExecLine(*exec);
  if (argv.empty()) return {};
  fs::path program = FindProgram(argv.front(), env);
  if (program.empty()) return {};
  argv.front() = program.native();
  return argv;
}

fs::path DefaultHandler(std::string_view mimeType, const XdgEnvironment& env) {
  // The lookup order of the XDG MIME application associations: per folder, the
  // desktop-specific list before the common one; user folders before system ones.
  std::vector<fs::path> lists;
  auto addFolder = [&](const fs::path& folder) {
    if (folder.empty()) return;
    for (const std::string& desktop : env.desktops) lists.push_back(folder / (desktop + "-mimeapps.list"));
    lists.push_back(folder / "mimeapps.list");
  };
  addFolder(env.configHome);
  for (const fs::path& folder : env.configDirs) addFolder(folder);
  addFolder(env.dataHome.empty() ? fs::path() : env.dataHome / "applications");
  for (const fs::path& folder : env.dataDirs) addFolder(folder / "applications");
  const std::string key(mimeType);
  for (const fs::path& list : lists) {
    if (auto value = ReadKey(list, "Default Applications", key)) {
      for (const std::string& id : SplitSemicolons(*value)) {
        if (fs::path entry = FindDesktopEntry(id, env); !entry.empty()) return entry;
      }
    }
  }
  // No default set: any application the desktop database lists for the type.
  std::vector<fs::path> caches;
  if (!env.dataHome.empty()) caches.push_back(env.dataHome / "applications/mimeinfo.cache");
  for (const fs::path& folder : env.dataDirs) caches.push_back(folder / "applications/mimeinfo.cache");
  for (const fs::path& cache : caches) {
    if (auto value = ReadKey(cache, "MIME Cache", key)) {
      for (const std::string& id : SplitSemicolons(*value)) {
        if (fs::path entry = FindDesktopEntry(id, env); !entry.empty()) return entry;
      }
    }
  }
  return {};
}

std::vector<std::string> DesktopCommand(DesktopTarget target, const XdgEnvironment& env) {
  std::vector<Candidate> candidates = Candidates(target);
  // The current desktop's own tools come first; the rest keep their order.
  std::stable_partition(candidates.begin(), candidates.end(), [&](const Candidate& c) {
    return !c.desktop.empty() &&
           std::find(env.desktops.begin(), env.desktops.end(), c.desktop) != env.desktops.end();
  });
  for (const Candidate& candidate : candidates) {
    std::vector<std::string> argv = Resolve(candidate, env);
    if (!argv.empty()) return argv;
  }
  return {};
}

}  // namespace platform::linux_shell
