#include "platform/files.h"

#include "platform/log.h"
#include "posix_linux.h"

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

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& link, std::string_view bytes) {
  if (link.empty()) return false;
  // A file that is a symbolic link (to a synced folder, say) is replaced where it really lives;
  // renaming over the link would turn it into a plain file and leave the real one behind.
  std::error_code error;
  std::filesystem::path path = link;
  if (std::filesystem::is_symlink(link, error)) {
    path = std::filesystem::weakly_canonical(link, error);
    if (error) {
      LogWarning(kCategory, "resolve " + link.native() + ": " + error.message());
      return false;
    }
  }
  std::string temp = path.native() + ".XXXXXX";
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

}  // namespace platform
