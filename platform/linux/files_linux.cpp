// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/files.h"

#include "platform/log.h"
#include "posix_linux.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace platform {
namespace {

constexpr const char* kCategory = category::kFiles;

void LogFailure(const char* operation, const std::string& path, int error) {
  LogWarning(kCategory, posix::Failure(std::string(operation) + " " + path, error));
}

// mkstemp's template: the file's name, a dot and six characters it picks.
constexpr const char* kTemporarySuffix = ".XXXXXX";
constexpr std::size_t kTemporaryLetters = 6;

// The file a write of `link` replaces: the target of a symbolic link, else `link` itself.
bool WrittenFile(const std::filesystem::path& link, std::filesystem::path* path) {
  std::error_code error;
  *path = link;
  if (!std::filesystem::is_symlink(link, error)) return true;
  *path = std::filesystem::weakly_canonical(link, error);
  if (!error) return true;
  LogWarning(kCategory, "resolve " + link.native() + ": " + error.message());
  return false;
}

bool IsTemporaryOf(const std::string& name, const std::string& file) {
  if (name.size() != file.size() + 1 + kTemporaryLetters || name.compare(0, file.size() + 1, file + ".") != 0)
    return false;
  return std::all_of(name.end() - kTemporaryLetters, name.end(),
                     [](unsigned char c) { return std::isalnum(c) != 0; });
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& link, std::string_view bytes) {
  if (link.empty()) return false;
  // A file that is a symbolic link (to a synced folder, say) is replaced where it really lives;
  // renaming over the link would turn it into a plain file and leave the real one behind.
  std::filesystem::path path;
  if (!WrittenFile(link, &path)) return false;
  std::string temp = path.native() + kTemporarySuffix;
  int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    LogFailure("create", temp, errno);
    return false;
  }
  // mkstemp creates the file 0600; settings files are the user's own, so that is right.
  bool ok = posix::WriteAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
  int failure = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    failure = errno;
  }
  if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
    ok = false;
    failure = errno;
  }
  if (!ok) {
    LogFailure("write", path.native(), failure);
    ::unlink(temp.c_str());
    return false;
  }
  // Make the rename itself durable.
  std::string folder = path.has_parent_path() ? path.parent_path().native() : std::string(".");
  if (int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

int RemoveInterruptedWrites(const std::filesystem::path& link) {
  std::filesystem::path path;
  if (link.empty() || !WrittenFile(link, &path)) return 0;
  const std::string file = path.filename().native();
  std::error_code error;
  int removed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(path.parent_path(), error)) {
    std::error_code typeError;
    if (!IsTemporaryOf(entry.path().filename().native(), file) || !entry.is_regular_file(typeError)) continue;
    if (::unlink(entry.path().c_str()) == 0) {
      ++removed;
      LogWarning(kCategory, "removed " + entry.path().native() + ", left by an interrupted write");
    } else {
      LogFailure("remove", entry.path().native(), errno);
    }
  }
  return removed;
}

}  // namespace platform
