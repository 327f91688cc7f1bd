// SPDX-License-Identifier: GPL-3.0-or-later
// VtaGyroVol: the air volume overlay. Takes no arguments; ends with the event loop's result,
// or with 0 at once when the system volume cannot be reached.

#include <QSettings>

#include "GyroVolumeFrame.h"
#include "device/HIDEventsThread.h"
#include "frame/DornicApplication.h"

int main(int argc, char** argv) {
  HIDEventsThread eventsThread;
  auto* settings = new QSettings(QSettings::NativeFormat, QSettings::UserScope, "Spindra", "VTaGyroVol");
  settings->setValue("langFile", "veltrio");
  settings->setValue("resourceFile", "veltrio.rcc");
  // Stored now: the frame may end the process without returning here.
  settings->sync();
  auto* application = new Helpers::MQt::DornicApplication(settings, argc, argv);
  auto* frame = new VtAction::Frame::GyroVolumeFrame(nullptr, 0, 0);
  frame->start();
  const int result = application->exec();
  delete frame;
  delete application;
  delete settings;
  return result;
}
