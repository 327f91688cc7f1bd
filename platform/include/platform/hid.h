// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// HID interfaces: enumeration, attributes, capabilities and report transfer.
//
// An interface is one top-level collection of a HID device. On Linux its path is the hidraw
// node ("/dev/hidraw3"), with "#col01", "#col02", ... added when the node has several top-level
// collections; on Windows it is the device interface path. Paths are UTF-8.
//
// Results are Windows error numbers on every OS (0 success), so that callers can pass them on
// unchanged; the constants below name the ones the backends produce.
//
// Reports are exchanged as Windows does it: byte 0 is the report id, 0 when the collection uses
// none (the backend adds or strips it where the OS does not).
//
// Linux test root: when VELTRIO_DEVICE_ROOT is set, sysfs and /dev are read under that folder
// (ROOT/sys, ROOT/dev) and a device node may be a SOCK_SEQPACKET Unix socket; see
// platform/linux/hid_devroot.h.
//
// Thread: every function may be called from any thread. One HidDevice may be used by one reader
// and one writer thread at a time; HidCancelRead may be called from any thread while a read runs.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/hid_descriptor.h"

namespace platform {

using HidStatus = std::int32_t;

inline constexpr HidStatus kHidSuccess = 0;
inline constexpr HidStatus kHidFileNotFound = 2;          // ERROR_FILE_NOT_FOUND
inline constexpr HidStatus kHidAccessDenied = 5;          // ERROR_ACCESS_DENIED
inline constexpr HidStatus kHidInvalidHandle = 6;         // ERROR_INVALID_HANDLE
inline constexpr HidStatus kHidNotEnoughMemory = 8;       // ERROR_NOT_ENOUGH_MEMORY
inline constexpr HidStatus kHidGenFailure = 31;           // ERROR_GEN_FAILURE
inline constexpr HidStatus kHidInvalidParameter = 87;     // ERROR_INVALID_PARAMETER
inline constexpr HidStatus kHidInsufficientBuffer = 122;  // ERROR_INSUFFICIENT_BUFFER
inline constexpr HidStatus kHidBusy = 170;                // ERROR_BUSY
inline constexpr HidStatus kHidMoreData = 234;            // ERROR_MORE_DATA
inline constexpr HidStatus kHidOperationAborted = 995;    // ERROR_OPERATION_ABORTED
inline constexpr HidStatus kHidDeviceNotConnected = 1167; // ERROR_DEVICE_NOT_CONNECTED
inline constexpr HidStatus kHidTimeout = 1460;            // ERROR_TIMEOUT
inline constexpr HidStatus kHidInvalidUserBuffer = 1784;  // ERROR_INVALID_USER_BUFFER

// The OS error number of the calling thread (errno, GetLastError) as a HidStatus.
HidStatus HidStatusFromSystemError(int error);

struct HidAttributes {
  std::uint16_t VendorID = 0;
  std::uint16_t ProductID = 0;
  std::uint16_t VersionNumber = 0;  // the USB device's bcdDevice, 0 where there is none
};

struct HidInterfaceInfo {
  std::string path;
  HidAttributes attributes;
  HidCollectionInfo collection;  // capabilities, capability records and report ids
};

// Paths of every present interface, in a stable order (on Linux: node number, then collection).
// Nodes whose descriptor cannot be read or parsed are left out (and logged once per call).
std::vector<std::string> HidEnumerate();

// Attributes and capabilities of one interface without opening it for transfer.
// kHidFileNotFound when the interface is not present, another status when it cannot be read.
HidStatus HidGetInterfaceInfo(const std::string& path, HidInterfaceInfo* info);

enum HidAccess : unsigned {
  kHidAccessNone = 0,  // attributes only, like a Windows handle opened without access rights
  kHidAccessRead = 1,
  kHidAccessWrite = 2,
};

struct HidDevice;  // an open interface; owned by the caller until HidClose

// Opens an interface. On failure *device is null and the status says why.
HidStatus HidOpen(const std::string& path, unsigned access, HidDevice** device);

// Closes and frees. Null is accepted. No other call on the device may run or follow.
void HidClose(HidDevice* device);

// The capabilities the device was opened with.
const HidInterfaceInfo& HidDeviceInfo(const HidDevice* device);

// Reads one input report of this interface's collection into buffer, waiting up to timeoutMs
// (negative: without limit). The buffer must hold the collection's input report length
// (kHidInvalidUserBuffer otherwise). *transferred is the report's own length; a report longer
// than the buffer is cut and gives kHidMoreData. Reports of other collections of the same node
// are skipped. kHidTimeout when nothing arrived, kHidDeviceNotConnected once the device is gone,
// kHidOperationAborted after HidCancelRead.
HidStatus HidRead(HidDevice* device, std::uint8_t* buffer, std::size_t length, std::size_t* transferred,
                  int timeoutMs);

// Makes the read running now, and every later one, return kHidOperationAborted at once; for a
// thread that wants to stop a reader without waiting for its time-out.
void HidCancelRead(HidDevice* device);

// Writes one output report (byte 0 the report id) of exactly the collection's output report
// length (kHidInvalidUserBuffer otherwise), waiting up to timeoutMs for the device to take it.
HidStatus HidWrite(HidDevice* device, const std::uint8_t* data, std::size_t length, std::size_t* transferred,
                   int timeoutMs);

// Asks the device for the current input report whose id is buffer[0] (HIDIOCGINPUT on Linux,
// HidD_GetInputReport on Windows).
HidStatus HidGetInputReport(HidDevice* device, std::uint8_t* buffer, std::size_t length,
                            std::size_t* transferred);

}  // namespace platform
