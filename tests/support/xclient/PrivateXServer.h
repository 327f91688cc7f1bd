// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An Xvfb of the test's own, so that tests that need the keyboard focus do not take it from
// each other when CTest runs them side by side. Ended when the object goes.

#include <string>
#include <sys/types.h>

namespace testsupport {

class PrivateXServer {
 public:
  PrivateXServer() = default;
  PrivateXServer(const PrivateXServer&) = delete;
  PrivateXServer& operator=(const PrivateXServer&) = delete;
  ~PrivateXServer();

  // Starts Xvfb with one screen of `screen` (WIDTHxHEIGHTxDEPTH) on a free display number and
  // waits until it answers; its output goes to `log` (discarded when empty). False with Error()
  // set when Xvfb is missing or does not start.
  bool Start(const std::string& screen = "640x480x24", const std::string& log = {});
  const std::string& Display() const { return m_display; }
  const std::string& Error() const { return m_error; }

 private:
  pid_t m_pid = 0;
  std::string m_display;
  std::string m_error;
};

}  // namespace testsupport
