// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The simulated presenter remote: serves a device root (platform/linux/hid_devroot.h) in which
// the remote's USB receiver and, on request, two other devices appear and disappear, so that the
// HID, hotplug and evdev backends run unchanged against it.
//
// The remote's receiver (vendor id 0x25A7, product id 0x0134) has two interfaces:
//  - the mouse interface: hidraw node without report ids (buttons, X, Y, wheel) and the evdev
//    node input/eventN (one struct input_event per message: REL_X, REL_Y, SYN_REPORT per move);
//  - the vendor interface: one hidraw node with two top-level collections, the vendor collection
//    (usage page 0xFF01, usage 0, report id 0x0A, 16-byte input and output reports) and a
//    consumer-control collection (report id 3), i.e. paths ".../hidrawN#col01" and "#col02".
//
// Status reports (16 bytes, id 0x0A): byte 1 bit 0 link, byte 3 bits 4..7 media keys 1..3 and
// the gesture key, bytes 6/7 signed X/Y deltas of this report, byte 8 the model id. The state
// starts linked with model 1 and no key held; every state change sends one status report.
//
// Thread: the public functions may be called from any thread; a thread of the simulator's own
// accepts connections and receives output reports. The received-report handler runs there.
// Failure: setting up the root or a device node throws std::runtime_error (it is a test tool);
// sends to an unplugged device are dropped and return false.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "veltrio/DeviceIds.h"

namespace remotesim {

inline constexpr std::uint16_t kVendorId = veltrio::kRemoteDeviceId.vendorId;
inline constexpr std::uint16_t kProductId = veltrio::kRemoteDeviceId.productId;
inline constexpr std::uint8_t kStatusReportId = 0x0A;
inline constexpr std::size_t kStatusReportLength = 16;

enum class Key { Media1, Media2, Media3, Gesture };

// The devices besides the remote that a test can plug in.
enum class ExtraDevice {
  RemoteWithoutVendor,  // the remote's ids, but no vendor collection: must never be taken as it
  OtherMouse,           // an unrelated mouse (vendor 0x1209, product 0x0001)
};

// A remote of the overlays' family: vendor id kOverlayVendorId and a product id of the test's
// choosing. One hidraw node with two top-level collections: a mouse (report id 1: buttons, X,
// Y, wheel) and the vendor collection of the product (usage page 0xFF00, 0xFF01 or 0xFF02 as
// the product has it, 0xFF00 for products without one; usage 1) with 2-byte input reports
// 5 (buttons), 14 (state) and 0x21; the node has an evdev node beside it. It answers a request
// for input report 14 with its state.
inline constexpr std::uint16_t kOverlayVendorId = 0x0C16;
std::uint16_t OverlayVendorUsagePage(std::uint16_t productId);
std::vector<std::uint8_t> OverlayRemoteDescriptor(std::uint16_t productId);

// Report descriptors as served, for tests that compare them with golden files.
std::vector<std::uint8_t> VendorInterfaceDescriptor();
std::vector<std::uint8_t> MouseInterfaceDescriptor();
std::vector<std::uint8_t> RemoteWithoutVendorDescriptor();

using Report = std::vector<std::uint8_t>;

class RemoteSim {
 public:
  struct Options {
    std::string root;             // empty: a fresh folder under $TMPDIR, removed at destruction
    bool plugged = true;          // plug the remote at once
    bool setEnvironment = true;   // set VELTRIO_DEVICE_ROOT to the root (and restore it after)
  };

  RemoteSim();
  explicit RemoteSim(Options options);
  ~RemoteSim();  // unplugs everything; removes a root it created
  RemoteSim(const RemoteSim&) = delete;
  RemoteSim& operator=(const RemoteSim&) = delete;

  const std::string& Root() const;

  // The remote's receiver. Plugging creates sysfs entries first and the nodes last; unplugging
  // closes every connection (readers see the device gone) and removes the nodes first.
  void Plug();
  void Unplug();
  bool IsPlugged() const;
  // Plugs the receiver with `descriptor` in place of its vendor interface's report descriptor
  // (a malformed one, say); the nodes are served as usual.
  void PlugWithVendorDescriptor(const std::vector<std::uint8_t>& descriptor);

  // A stalled remote: while paused the simulator neither accepts connections nor reads what the
  // host writes (its writes queue up in the sockets), as a device that stopped answering; on
  // resuming it reads what queued and goes on.
  void SetPaused(bool paused);
  // Nodes plugged while this is set accept no connection at all: their backlog is full from the
  // start, so an open waits (or, non-blocking, fails) until the device goes.
  void SetNodesAcceptNothing(bool acceptNothing);

  // Interface paths as the HID backend names them; empty while unplugged.
  std::string VendorPath() const;        // ROOT/dev/hidrawN#col01
  std::string ConsumerPath() const;      // ROOT/dev/hidrawN#col02
  std::string MousePath() const;         // ROOT/dev/hidrawM
  std::string MouseEventNode() const;    // ROOT/dev/input/eventK

  // Extra devices, plugged at once; the handle unplugs one again.
  int AddDevice(ExtraDevice device);
  void RemoveDevice(int handle);
  std::string ExtraDevicePath(int handle, int collection = 0) const;
  std::string ExtraDeviceEventNode(int handle) const;  // empty when it has none

  // An overlay-family remote (above) in the given state; returns its handle for RemoveDevice.
  int AddOverlayRemote(std::uint16_t productId, std::uint8_t state = 0);
  // The state it answers with from now on; sends nothing.
  bool SetOverlayState(int handle, std::uint8_t state);
  // One 2-byte input report of its vendor collection: {reportId, value}. Like a device, it
  // reaches only the readers that have the node open by then.
  bool SendVendorReport(int handle, std::uint8_t reportId, std::uint8_t value);
  // Open connections to an extra device's hidraw node (its first interface).
  std::size_t ExtraDeviceConnections(int handle) const;

  // Remote state; each call sends one status report (Move also a mouse report and evdev events).
  bool SetLink(bool linked);
  bool SetModel(std::uint8_t model);
  bool Press(Key key);
  bool Release(Key key);
  bool Move(int dx, int dy);  // deltas beyond -127..127 go out as several reports

  std::array<std::uint8_t, kStatusReportLength> StatusReport(int dx = 0, int dy = 0) const;

  // Sends raw bytes on the vendor interface node as one input report (report id first).
  bool SendReport(const Report& report);
  // Sends on the consumer-control collection: id 3, a 16-bit usage.
  bool SendConsumer(std::uint16_t usage);

  // Output reports written to the vendor interface (the heartbeat), oldest first.
  std::vector<Report> ReceivedReports() const;
  bool WaitForReports(std::size_t count, std::chrono::milliseconds timeout) const;
  void ClearReceived();
  void SetReceivedHandler(std::function<void(const Report&)> handler);

  // Open connections to the vendor interface node (each open handle is one).
  std::size_t VendorConnections() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace remotesim
