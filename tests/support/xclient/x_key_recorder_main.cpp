// SPDX-License-Identifier: GPL-3.0-or-later
// x-key-recorder [seconds]: holds the focus on $DISPLAY and prints each key event that arrives
// as "press <keysym>" or "release <keysym>", one per line; "ready" once it has the focus.

#include <cstdio>
#include <cstdlib>

#include "XKeyRecorder.h"

int main(int argc, char** argv) {
  const char* display = std::getenv("DISPLAY");
  int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
  testsupport::XKeyRecorder recorder;
  if (!display || !recorder.Open(display)) {
    std::fprintf(stderr, "x-key-recorder: %s\n", display ? recorder.Error().c_str() : "DISPLAY is not set");
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);
  for (int i = 0; i < seconds * 10; ++i) {
    for (const auto& key : recorder.Take(1, std::chrono::milliseconds(100))) {
      std::printf("%s %s\n", key.press ? "press" : "release", key.keysym.c_str());
    }
    std::fflush(stdout);
  }
  return 0;
}
