// SPDX-License-Identifier: GPL-3.0-or-later
// The HID side on Windows: interface paths, enumeration and opening without the receiver, and the
// message-only windows of hotplug and raw input, created and destroyed with their monitors.

#include "platform/hid.h"
#include "platform/hotplug.h"
#include "platform/log.h"
#include "platform/rawmouse.h"
#include "platform/rawpointer.h"
#include "platform/windows/hid_path.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

namespace {

int g_warnings = 0;
void CountWarnings(platform::LogLevel level, const char*, std::string_view) {
  if (level == platform::LogLevel::Warning) ++g_warnings;
}

// The message-only windows of this process's monitors.
int MessageWindows() {
  int count = 0;
  for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, L"VeltrioMessageWindow", nullptr); window;
       window = FindWindowExW(HWND_MESSAGE, window, L"VeltrioMessageWindow", nullptr)) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) ++count;
  }
  return count;
}

TEST(HidInterfacePath, ReadsIdsAndCollection) {
  struct Case {
    const char* path;
    bool ok;
    std::uint16_t vendor, product;
    int collection;
  } cases[] = {
      {"\\\\?\\hid#vid_25a7&pid_0134&mi_01&col02#8&1f2e3d4c&0&0001#{4d1e55b2-f16f-11cf-88cb-001111000030}", true,
       0x25A7, 0x0134, 2},
      {"\\\\?\\HID#VID_25A7&PID_0134&MI_00#7&2a3b&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}", true, 0x25A7, 0x0134,
       0},
      {"\\\\?\\HID#{00001812-0000-1000-8000-00805f9b34fb}_Dev_VID&02046d_PID&b023_REV&0001_c0ffee&Col03#9&1&0&0002#{4d1e55b2}",
       true, 0x046D, 0xB023, 3},
      {"\\\\?\\HID#VID_25A7#0", false, 0, 0, 0},
      {"\\\\?\\HID#VID_&PID_0134#0", false, 0, 0, 0},
      {"/dev/hidraw3#col02", false, 0, 0, 0},
      {"", false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const platform::HidInterfacePath parsed = platform::ParseHidInterfacePath(c.path);
    EXPECT_EQ(parsed.ok, c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(parsed.vendorId, c.vendor);
    EXPECT_EQ(parsed.productId, c.product);
    EXPECT_EQ(parsed.collection, c.collection);
  }
}

TEST(HidWindows, WithoutTheReceiverNothingIsFoundAndNothingFails) {
  g_warnings = 0;
  platform::SetLogSink(CountWarnings);
  for (const std::string& path : platform::HidEnumerate()) {
    platform::HidInterfaceInfo info;
    ASSERT_EQ(platform::HidGetInterfaceInfo(path, &info), platform::kHidSuccess) << path;
    EXPECT_NE(info.attributes.VendorID, 0x25A7) << "a receiver in the test machine: " << path;
  }
  const std::string missing = "\\\\?\\hid#vid_25a7&pid_0134#0#{4d1e55b2-f16f-11cf-88cb-001111000030}";
  platform::HidInterfaceInfo info;
  EXPECT_EQ(platform::HidGetInterfaceInfo(missing, &info), platform::kHidFileNotFound);
  platform::HidDevice* device = reinterpret_cast<platform::HidDevice*>(1);
  EXPECT_NE(platform::HidOpen(missing, platform::kHidAccessRead, &device), platform::kHidSuccess);
  EXPECT_EQ(device, nullptr);
  platform::HidClose(nullptr);
  platform::SetLogSink(nullptr);
  EXPECT_EQ(g_warnings, 0);
}

TEST(HidWindows, MonitorsCreateAndDestroyTheirMessageWindows) {
  ASSERT_EQ(MessageWindows(), 0);
  std::atomic<int> calls{0};
  {
    auto hotplug = platform::HotplugMonitor::Start([&](platform::HotplugEvent, const std::string&) { ++calls; });
    if (!hotplug) GTEST_SKIP() << "Wine refused RegisterDeviceNotificationW for the HID class";
    EXPECT_EQ(MessageWindows(), 1);
    auto mouse = platform::RawMouseMonitor::Start(0x25A7, 0x0134, [&](const platform::RawMouseTick&) { ++calls; });
    ASSERT_NE(mouse, nullptr) << "RegisterRawInputDevices";
    EXPECT_EQ(mouse->OpenDevices(), 0) << "no receiver";
    auto pointer = platform::RawPointerMonitor::Start([&](const platform::RawPointerEvent&) {});
    ASSERT_NE(pointer, nullptr);
    EXPECT_EQ(MessageWindows(), 3);
  }
  EXPECT_EQ(MessageWindows(), 0) << "every window went with its monitor";
  EXPECT_EQ(calls.load(), 0);
  // Started again after a stop, as the program does after a replug.
  auto again = platform::HotplugMonitor::Start([](platform::HotplugEvent, const std::string&) {});
  EXPECT_NE(again, nullptr);
}

}  // namespace
