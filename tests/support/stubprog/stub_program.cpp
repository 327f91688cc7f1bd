// SPDX-License-Identifier: GPL-3.0-or-later
// Records how it was started and then stays alive, like a program the user sees running.
//
// Writes "<cwd>\0<arg1>\0<arg2>\0..." to $VELTRIO_STUB_DIR/<own file name>.<pid> (written beside
// and renamed, so a reader never sees half a record), then sleeps until it is ended, or for
// $VELTRIO_STUB_SECONDS (default 60) so that a forgotten stub does not linger.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
  const char* folder = std::getenv("VELTRIO_STUB_DIR");
  if (folder && *folder) {
    std::string self = argv[0];
    char exe[4096];
    ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (length > 0) self.assign(exe, static_cast<size_t>(length));
    std::string name = self.substr(self.rfind('/') + 1);
    std::string record;
    char cwd[4096];
    record += getcwd(cwd, sizeof cwd) ? cwd : "";
    record += '\0';
    for (int i = 1; i < argc; ++i) {
      record += argv[i];
      record += '\0';
    }
    std::string path = std::string(folder) + "/" + name + "." + std::to_string(getpid());
    std::string temp = path + ".part";
    if (FILE* out = std::fopen(temp.c_str(), "wb")) {
      std::fwrite(record.data(), 1, record.size(), out);
      std::fclose(out);
      std::rename(temp.c_str(), path.c_str());
    }
  }
  const char* seconds = std::getenv("VELTRIO_STUB_SECONDS");
  unsigned left = seconds ? static_cast<unsigned>(std::atoi(seconds)) : 60u;
  while (left > 0) left = sleep(left);
  return 0;
}
