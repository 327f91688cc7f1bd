// Placeholder bodies: the device layer fills these in. They let the frame layer build and run
// with a listener that receives nothing.
#include "device/DornicDevicesInterface.h"

#include "device/HIDEventsThread.h"

class DornicComposite {};

DornicDevicesInterface::DornicDevicesInterface() : m_eventsThread(HIDEventsThread::instance()) {}
DornicDevicesInterface::~DornicDevicesInterface() { stopListening(); }

bool DornicDevicesInterface::acceptDevice(const DeviceDescriptor&) { return false; }
void DornicDevicesInterface::onDeviceAdded(const DeviceDescriptor&) {}
void DornicDevicesInterface::onDeviceRemoved(const DeviceDescriptor&) {}
void DornicDevicesInterface::onModelChanged(const DeviceDescriptor&) {}
void DornicDevicesInterface::onWheel(const DeviceDescriptor&, unsigned) {}
void DornicDevicesInterface::onButtonEvent(const DeviceDescriptor&, MouseButtonEvent_t) {}
void DornicDevicesInterface::onMotion(const DeviceDescriptor&, int, int) {}
void DornicDevicesInterface::onReport(const DeviceDescriptor&, int, int) {}

void DornicDevicesInterface::startListening() {}
void DornicDevicesInterface::stopListening() {}
void DornicDevicesInterface::addDevice(const DeviceDescriptor&) {}
void DornicDevicesInterface::removeDevice(const DeviceDescriptor&) {}
void DornicDevicesInterface::dispatchMotion(std::uint32_t, std::uint32_t, std::uint32_t, int, int) {}
void DornicDevicesInterface::dispatchButton(std::uint32_t, std::uint32_t, std::uint32_t, MouseButtonEvent_t) {}
void DornicDevicesInterface::dispatchWheel(std::uint32_t, std::uint32_t, std::uint32_t, unsigned) {}
void DornicDevicesInterface::onVendorReport(std::uint32_t, int, int) {}
