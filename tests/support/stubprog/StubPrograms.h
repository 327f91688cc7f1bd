// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Real processes for the launch tests: copies of the stub program under the names Veltrio
// starts, the records they write when they start, and a look at /proc for what runs.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace stubs {

namespace fs = std::filesystem;

struct StubRecord {
  pid_t pid = 0;
  std::string cwd;
  std::vector<std::string> args;  // argv[1..]
};

// The records of stubs named `name` in `folder`, oldest first by pid order of appearance.
inline std::vector<StubRecord> Records(const fs::path& folder, const std::string& name) {
  std::vector<StubRecord> records;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    std::string file = entry.path().filename().native();
    if (file.rfind(name + ".", 0) != 0 || file.ends_with(".part")) continue;
    StubRecord record;
    record.pid = static_cast<pid_t>(std::atoi(file.c_str() + name.size() + 1));
    std::ifstream in(entry.path(), std::ios::binary);
    std::string field;
    bool first = true;
    while (std::getline(in, field, '\0')) {
      if (first) record.cwd = field;
      else record.args.push_back(field);
      first = false;
    }
    records.push_back(record);
  }
  return records;
}

// Waits (bounded, so a broken launch fails instead of hanging) until `count` records exist.
inline std::vector<StubRecord> WaitForRecords(const fs::path& folder, const std::string& name, size_t count) {
  for (int i = 0; i < 1000; ++i) {
    auto records = Records(folder, name);
    if (records.size() >= count) return records;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return Records(folder, name);
}

// True while `pid` runs (a zombie has ended).
inline bool IsAlive(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  if (!std::getline(in, text)) return false;
  size_t close = text.rfind(')');
  return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z';
}

// The running processes whose executable is `program`.
inline std::vector<pid_t> ProcessesOf(const fs::path& program) {
  std::vector<pid_t> pids;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/proc", error)) {
    pid_t pid = static_cast<pid_t>(std::atoi(entry.path().filename().c_str()));
    if (pid <= 0) continue;
    std::error_code readError;
    fs::path exe = fs::read_symlink(entry.path() / "exe", readError);
    if (!readError && exe == program && IsAlive(pid)) pids.push_back(pid);
  }
  return pids;
}

// A scratch folder with a program folder and a record folder, the environment set so that
// stubs write their records there. Every stub started from it is ended at the end.
class StubFolder {
 public:
  explicit StubFolder(const std::string& tag) {
    m_root = fs::temp_directory_path() / ("veltrio-" + tag + "-" + std::to_string(::getpid()));
    fs::remove_all(m_root);
    fs::create_directories(Records());
    fs::create_directories(Programs());
    Save("VELTRIO_STUB_DIR");
    ::setenv("VELTRIO_STUB_DIR", Records().c_str(), 1);
  }
  ~StubFolder() {
    for (const fs::path& program : m_programs)
      for (pid_t pid : ProcessesOf(program)) ::kill(pid, SIGKILL);
    for (const auto& [name, value] : m_saved) {
      if (value) ::setenv(name.c_str(), value->c_str(), 1);
      else ::unsetenv(name.c_str());
    }
    std::error_code error;
    fs::remove_all(m_root, error);
  }

  const fs::path& Root() const { return m_root; }
  fs::path Records() const { return m_root / "records"; }
  fs::path Programs() const { return m_root / "program"; }

  // Copies the stub to `path` (a copy, not a link: a process's executable is the file itself).
  fs::path Install(const fs::path& path) {
    fs::create_directories(path.parent_path());
    fs::copy_file(VELTRIO_STUB_PROGRAM, path, fs::copy_options::overwrite_existing);
    m_programs.push_back(path);
    return path;
  }

  void SetEnv(const std::string& name, const std::string& value) {
    Save(name);
    ::setenv(name.c_str(), value.c_str(), 1);
  }

 private:
  void Save(const std::string& name) {
    if (m_saved.count(name)) return;
    const char* value = std::getenv(name.c_str());
    m_saved[name] = value ? std::optional<std::string>(value) : std::nullopt;
  }

  fs::path m_root;
  std::vector<fs::path> m_programs;
  std::map<std::string, std::optional<std::string>> m_saved;
};

}  // namespace stubs
