// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The start of an in-process overlay test: a private X server of its own (the tests move the
// pointer and take the focus, which must not disturb tests beside them), a settings store in a
// scratch folder naming the built resource file, and the overlays' application object over both.
// Include from the one file of a test program that defines main:
//
//   int main(int argc, char** argv) { return overlaytest::RunTests(argc, argv); }

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdlib>
#include <functional>
#include <memory>

#include "PrivateXServer.h"
#include "frame/DornicApplication.h"

namespace overlaytest {

inline constexpr int kScreenWidth = 1024;
inline constexpr int kScreenHeight = 768;

// What the event loop returns when nothing ended it in time.
inline constexpr int kNotQuit = 77;

// Runs the event loop, does `action` in it and reports how the loop ended: 0 when the action (or
// what it set off) quit the program, kNotQuit when nothing did within `within` ms.
inline int RunAndSee(const std::function<void()>& action, int within = 300) {
  QTimer::singleShot(0, action);
  QTimer stop;
  stop.setSingleShot(true);
  QObject::connect(&stop, &QTimer::timeout, [] { QCoreApplication::exit(kNotQuit); });
  stop.start(within);
  return QCoreApplication::exec();
}

inline int RunTests(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  testsupport::PrivateXServer server;
  if (!server.Start(std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "x24")) {
    std::fprintf(stderr, "no X server: %s\n", server.Error().c_str());
    return 1;
  }
  ::setenv("DISPLAY", server.Display().c_str(), 1);
  ::setenv("QT_QPA_PLATFORM", "xcb", 1);
  ::unsetenv("WAYLAND_DISPLAY");
  QTemporaryDir config;
  ::setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);

  auto settings = std::make_unique<QSettings>("Spindra", "VTaPointer");
  settings->setValue("resourceFile", VELTRIO_OVERLAY_RCC);
  auto app = std::make_unique<Helpers::MQt::DornicApplication>(settings.get(), argc, argv);
  const int result = RUN_ALL_TESTS();
  app.reset();
  return result;
}

}  // namespace overlaytest
