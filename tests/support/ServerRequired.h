// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A test that needs a server (an X display, the sound server) skips where none answers, and
// fails instead where the run started them: scripts/test sets VELTRIO_REQUIRE_SERVERS=1, and
// there a missing server is a broken run, not a passed test.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

inline bool ServersRequired() {
  const char* value = std::getenv("VELTRIO_REQUIRE_SERVERS");
  return value != nullptr && *value != '\0' && std::string(value) != "0";
}

// Skips (or, with servers required, fails) the test when `why` (the reason no server can be
// used, empty when one can) is not empty. Use in SetUp or at the top of a test body.
#define VELTRIO_NEED_SERVER(why)                                                      \
  do {                                                                                \
    const std::string veltrioWhy = (why);                                             \
    if (!veltrioWhy.empty()) {                                                        \
      if (ServersRequired()) GTEST_FAIL() << veltrioWhy << " (VELTRIO_REQUIRE_SERVERS)"; \
      GTEST_SKIP() << veltrioWhy;                                                     \
    }                                                                                 \
  } while (0)
