// SPDX-License-Identifier: GPL-3.0-or-later
// VtaPointer: the laser pointer overlay. Argument: the pointer image's path (a file, or a ":/"
// resource path); without one the built-in image is used, and further arguments are ignored.
// Exit status: the event loop's result.

#include <QSettings>

#include <memory>

#include "PointerFrame.h"
#include "PointerGeometry.h"
#include "device/HIDEventsThread.h"
#include "frame/DornicApplication.h"

int main(int argc, char** argv) {
  auto settings = std::make_unique<QSettings>("Spindra", "VTaPointer");
  settings->setValue("resourceFile", "veltrio.rcc");
  // On disk now: the program is usually ended from outside, with no chance to write later.
  settings->sync();

  auto app = std::make_unique<Helpers::MQt::DornicApplication>(settings.get(), argc, argv);
  QString imagePath = VtAction::Frame::kDefaultPointerImage;
  const QStringList arguments = app->arguments();
  if (arguments.size() > 1) imagePath = arguments.at(1);

  auto events = std::make_unique<HIDEventsThread>();
  auto frame = std::make_unique<VtAction::Frame::PointerFrame>(
      nullptr, VtAction::Frame::PointerGeometry::kStartSize, imagePath);
  frame->start(true);
  const int result = app->exec();

  frame.reset();
  events.reset();
  app.reset();
  settings.reset();
  return result;
}
