// SPDX-License-Identifier: GPL-3.0-or-later
// A second start of the program, for the instance tests: a process of its own.
//   veltrio_instance_peer lock NAME          exit 0: took the lock, 3: another holds it
//   veltrio_instance_peer send NAME MESSAGE  exit 10 + the answer, 1: no instance answered

#include "platform/instance.h"

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string mode = argv[1];
  const std::string name = argv[2];
  if (mode == "lock") return platform::InstanceLock::Acquire(name) ? 0 : 3;
  if (mode == "send" && argc == 4) {
    const std::optional<int> answer = platform::SendToRunningInstance(name, std::atoi(argv[3]));
    return answer ? 10 + *answer : 1;
  }
  return 2;
}
