// SPDX-License-Identifier: GPL-3.0-or-later
// devbridge.dll as the program loads it: what it exports, and the device object on a machine
// without the receiver (Wine has no HID devices of its own).

#include "devbridge/MyDllMouseDevice.h"
#include "veltrio/DeviceIds.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

namespace {

// The names in the DLL's export directory.
std::set<std::string> ExportedNames(HMODULE module) {
  std::set<std::string> names;
  const auto* base = reinterpret_cast<const unsigned char*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (entry.Size == 0) return names;
  const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
  const auto* nameTable = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) names.insert(reinterpret_cast<const char*>(base + nameTable[i]));
  return names;
}

TEST(DevbridgeDll, ExportsTheClassAndNothingElse) {
  HMODULE module = LoadLibraryW(L"" VELTRIO_DEVBRIDGE_DLL);
  ASSERT_NE(module, nullptr) << "error " << GetLastError();
  const std::set<std::string> names = ExportedNames(module);
  EXPECT_TRUE(names.count("_ZN17CMyDllMouseDevice6CreateEv")) << "Create";
  EXPECT_TRUE(names.count("_ZTV17CMyDllMouseDevice")) << "the dispatch table";
  for (const std::string& name : names)
    EXPECT_NE(name.find("17CMyDllMouseDevice"), std::string::npos) << name << " is not part of the class";
  FreeLibrary(module);
}

struct Sink : devbridge::DeviceChangeSink {
  void OnDeviceChange(std::uintptr_t, std::intptr_t) override {}
};

TEST(DevbridgeDll, WithoutTheReceiverNothingOpens) {
  CMyDllMouseDevice* device = CMyDllMouseDevice::Create();
  ASSERT_NE(device, nullptr);
  Sink sink;
  const veltrio::DeviceId id = veltrio::kRemoteDeviceId;
  EXPECT_EQ(device->OpenById(id.vendorId, id.productId, &sink, 0), devbridge::kStatusNotFound);
  EXPECT_FALSE(device->IsOpen());
  wchar_t path[devbridge::kPathCapacity] = {};
  EXPECT_FALSE(device->FindByOutputCaps(id.vendorId, id.productId, 0xFF00, 1, 16, 16, 0, 0, path));
  EXPECT_EQ(device->OpenByPath(L"\\\\?\\hid#vid_25a7&pid_0134#0#{4d1e55b2-f16f-11cf-88cb-001111000030}", &sink),
            devbridge::kStatusNoCapabilities)
      << "a path whose capabilities cannot be read, as on Linux";
  device->Close();
  device->Release();
}

}  // namespace
