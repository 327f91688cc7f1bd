// Placeholder bodies: the device layer fills these in.
#include "device/HIDEventsThread.h"

HIDEventsThread::HIDEventsThread() = default;
HIDEventsThread::~HIDEventsThread() = default;
bool HIDEventsThread::isRunning() const { return false; }
bool HIDEventsThread::isStopped() const { return true; }
void HIDEventsThread::registerListener(DornicDevicesInterface*) {}
void HIDEventsThread::unregisterListener(DornicDevicesInterface*) {}
void HIDEventsThread::startIfIdle() {}
void HIDEventsThread::stopIfIdle() {}
