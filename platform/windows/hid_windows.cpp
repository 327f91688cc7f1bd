// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid.h"

#include "platform/log.h"
#include "platform/utf.h"
#include "win32_windows.h"

// MinGW's HID headers declare no C linkage of their own.
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}
#include <setupapi.h>

#include <algorithm>
#include <atomic>
#include <cstring>

namespace platform {
namespace {

constexpr const char* kCategory = category::kHid;

// The fields button and value capabilities have in common.
template <typename Out, typename In>
void CopyCommonCaps(const In& in, Out* out) {
  out->UsagePage = in.UsagePage;
  out->ReportID = in.ReportID;
  out->IsAlias = in.IsAlias;
  out->BitField = in.BitField;
  out->LinkCollection = in.LinkCollection;
  out->LinkUsage = in.LinkUsage;
  out->LinkUsagePage = in.LinkUsagePage;
  out->IsRange = in.IsRange;
  out->IsStringRange = in.IsStringRange;
  out->IsDesignatorRange = in.IsDesignatorRange;
  out->IsAbsolute = in.IsAbsolute;
  out->UsageMin = in.IsRange ? in.Range.UsageMin : in.NotRange.Usage;
  out->UsageMax = in.IsRange ? in.Range.UsageMax : in.NotRange.Usage;
  out->DataIndexMin = in.IsRange ? in.Range.DataIndexMin : in.NotRange.DataIndex;
  out->DataIndexMax = in.IsRange ? in.Range.DataIndexMax : in.NotRange.DataIndex;
}

HidButtonCaps ButtonCaps(const HIDP_BUTTON_CAPS& in) {
  HidButtonCaps out;
  CopyCommonCaps(in, &out);
  // Newer SDKs name the first 16 bits of the reserved block ReportCount; MinGW's header does not.
  std::memcpy(&out.ReportCount, &in.Reserved[0], sizeof out.ReportCount);
  return out;
}

HidValueCaps ValueCaps(const HIDP_VALUE_CAPS& in) {
  HidValueCaps out;
  CopyCommonCaps(in, &out);
  out.HasNull = in.HasNull;
  out.BitSize = in.BitSize;
  out.ReportCount = in.ReportCount;
  out.UnitsExp = in.UnitsExp;
  out.Units = in.Units;
  out.LogicalMin = in.LogicalMin;
  out.LogicalMax = in.LogicalMax;
  out.PhysicalMin = in.PhysicalMin;
  out.PhysicalMax = in.PhysicalMax;
  return out;
}

void AddIds(std::vector<std::uint8_t>* ids, std::uint8_t id) {
  if (std::find(ids->begin(), ids->end(), id) == ids->end()) ids->push_back(id);
}

// The capabilities of one report type, with the report ids they use.
void ReadCaps(HIDP_REPORT_TYPE type, USHORT buttons, USHORT values, PHIDP_PREPARSED_DATA data,
              std::vector<HidButtonCaps>* buttonCaps, std::vector<HidValueCaps>* valueCaps,
              std::vector<std::uint8_t>* ids) {
  if (buttons > 0) {
    std::vector<HIDP_BUTTON_CAPS> caps(buttons);
    USHORT count = buttons;
    if (HidP_GetButtonCaps(type, caps.data(), &count, data) == HIDP_STATUS_SUCCESS)
      for (USHORT i = 0; i < count; ++i) {
        buttonCaps->push_back(ButtonCaps(caps[i]));
        AddIds(ids, caps[i].ReportID);
      }
  }
  if (values > 0) {
    std::vector<HIDP_VALUE_CAPS> caps(values);
    USHORT count = values;
    if (HidP_GetValueCaps(type, caps.data(), &count, data) == HIDP_STATUS_SUCCESS)
      for (USHORT i = 0; i < count; ++i) {
        valueCaps->push_back(ValueCaps(caps[i]));
        AddIds(ids, caps[i].ReportID);
      }
  }
  std::sort(ids->begin(), ids->end());
}

HidStatus ReadInfo(HANDLE handle, const std::string& path, HidInterfaceInfo* info) {
  HIDD_ATTRIBUTES attributes{};
  attributes.Size = sizeof attributes;
  if (!HidD_GetAttributes(handle, &attributes)) return kHidGenFailure;
  PHIDP_PREPARSED_DATA data = nullptr;
  if (!HidD_GetPreparsedData(handle, &data)) return kHidGenFailure;
  HIDP_CAPS caps{};
  if (HidP_GetCaps(data, &caps) != HIDP_STATUS_SUCCESS) {
    HidD_FreePreparsedData(data);
    return kHidGenFailure;
  }
  HidInterfaceInfo out;
  out.path = path;
  out.attributes = {attributes.VendorID, attributes.ProductID, attributes.VersionNumber};
  HidCaps& c = out.collection.caps;
  c.Usage = caps.Usage;
  c.UsagePage = caps.UsagePage;
  c.InputReportByteLength = caps.InputReportByteLength;
  c.OutputReportByteLength = caps.OutputReportByteLength;
  c.FeatureReportByteLength = caps.FeatureReportByteLength;
  c.NumberLinkCollectionNodes = caps.NumberLinkCollectionNodes;
  c.NumberInputButtonCaps = caps.NumberInputButtonCaps;
  c.NumberInputValueCaps = caps.NumberInputValueCaps;
  c.NumberInputDataIndices = caps.NumberInputDataIndices;
  c.NumberOutputButtonCaps = caps.NumberOutputButtonCaps;
  c.NumberOutputValueCaps = caps.NumberOutputValueCaps;
  c.NumberOutputDataIndices = caps.NumberOutputDataIndices;
  c.NumberFeatureButtonCaps = caps.NumberFeatureButtonCaps;
  c.NumberFeatureValueCaps = caps.NumberFeatureValueCaps;
  c.NumberFeatureDataIndices = caps.NumberFeatureDataIndices;
  HidCollectionInfo& k = out.collection;
  ReadCaps(HidP_Input, caps.NumberInputButtonCaps, caps.NumberInputValueCaps, data, &k.inputButtonCaps,
           &k.inputValueCaps, &k.inputReportIds);
  ReadCaps(HidP_Output, caps.NumberOutputButtonCaps, caps.NumberOutputValueCaps, data, &k.outputButtonCaps,
           &k.outputValueCaps, &k.outputReportIds);
  ReadCaps(HidP_Feature, caps.NumberFeatureButtonCaps, caps.NumberFeatureValueCaps, data, &k.featureButtonCaps,
           &k.featureValueCaps, &k.featureReportIds);
  HidD_FreePreparsedData(data);
  auto anyId = [](const std::vector<std::uint8_t>& ids) {
    return std::any_of(ids.begin(), ids.end(), [](std::uint8_t id) { return id != 0; });
  };
  k.usesReportIds = anyId(k.inputReportIds) || anyId(k.outputReportIds) || anyId(k.featureReportIds);
  *info = std::move(out);
  return kHidSuccess;
}

HANDLE OpenPath(const std::string& path, DWORD access, DWORD flags) {
  const std::wstring wide = FromUtf8(path);
  return CreateFileW(wide.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags, nullptr);
}

// Waits for an overlapped transfer up to timeoutMs (negative: without limit), or until `cancel`
// is set; a transfer that did not finish is cancelled and collected before this returns.
HidStatus Finish(HANDLE handle, OVERLAPPED* overlapped, HANDLE cancel, int timeoutMs, DWORD* transferred) {
  HANDLE events[2] = {overlapped->hEvent, cancel};
  const DWORD wait = WaitForMultipleObjects(cancel ? 2 : 1, events, FALSE, timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
  if (wait == WAIT_OBJECT_0) {
    if (GetOverlappedResult(handle, overlapped, transferred, FALSE)) return kHidSuccess;
    return static_cast<HidStatus>(GetLastError());
  }
  CancelIoEx(handle, overlapped);
  if (GetOverlappedResult(handle, overlapped, transferred, TRUE)) return kHidSuccess;  // finished meanwhile
  return wait == WAIT_OBJECT_0 + 1 ? kHidOperationAborted : kHidTimeout;
}

}  // namespace

struct HidDevice {
  HidInterfaceInfo info;
  win32::UniqueHandle handle;
  win32::UniqueHandle cancel;  // manual reset: set by HidCancelRead, for good
  win32::UniqueHandle readDone;
  win32::UniqueHandle writeDone;
  std::vector<std::uint8_t> readBuffer;
};

HidStatus HidStatusFromSystemError(int error) { return static_cast<HidStatus>(error); }

std::vector<std::string> HidEnumerate() {
  GUID hidGuid;
  HidD_GetHidGuid(&hidGuid);
  std::vector<std::string> paths;
  HDEVINFO set = SetupDiGetClassDevsW(&hidGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (set == INVALID_HANDLE_VALUE) {
    LogWarning(kCategory, win32::Failure("list the HID interfaces"));
    return paths;
  }
  int unreadable = 0;
  SP_DEVICE_INTERFACE_DATA item{};
  item.cbSize = sizeof item;
  for (DWORD index = 0; SetupDiEnumDeviceInterfaces(set, nullptr, &hidGuid, index, &item); ++index) {
    DWORD size = 0;
    SetupDiGetDeviceInterfaceDetailW(set, &item, nullptr, 0, &size, nullptr);
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
    std::vector<unsigned char> buffer(size);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!SetupDiGetDeviceInterfaceDetailW(set, &item, detail, size, nullptr, nullptr)) continue;
    const std::string path = ToUtf8(detail->DevicePath);
    HidInterfaceInfo info;
    if (HidGetInterfaceInfo(path, &info) == kHidSuccess) paths.push_back(path);
    else ++unreadable;
  }
  SetupDiDestroyDeviceInfoList(set);
  if (unreadable > 0) LogDebug(kCategory, std::to_string(unreadable) + " HID interfaces could not be read");
  std::sort(paths.begin(), paths.end());
  return paths;
}

HidStatus HidGetInterfaceInfo(const std::string& path, HidInterfaceInfo* info) {
  if (!info) return kHidInvalidParameter;
  // No access rights: attributes and capabilities only, also of devices the system holds open.
  win32::UniqueHandle handle(OpenPath(path, 0, 0));
  if (!handle) {
    const DWORD error = GetLastError();
    return error == ERROR_PATH_NOT_FOUND ? kHidFileNotFound : static_cast<HidStatus>(error);
  }
  return ReadInfo(handle.get(), path, info);
}

HidStatus HidOpen(const std::string& path, unsigned access, HidDevice** device) {
  if (!device) return kHidInvalidParameter;
  *device = nullptr;
  DWORD rights = 0;
  if (access & kHidAccessRead) rights |= GENERIC_READ;
  if (access & kHidAccessWrite) rights |= GENERIC_WRITE;
  auto opened = std::make_unique<HidDevice>();
  opened->handle = win32::UniqueHandle(OpenPath(path, rights, FILE_FLAG_OVERLAPPED));
  if (!opened->handle) {
    const DWORD error = GetLastError();
    return error == ERROR_PATH_NOT_FOUND ? kHidFileNotFound : static_cast<HidStatus>(error);
  }
  if (const HidStatus status = ReadInfo(opened->handle.get(), path, &opened->info); status != kHidSuccess) return status;
  opened->cancel = win32::UniqueHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  opened->readDone = win32::UniqueHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  opened->writeDone = win32::UniqueHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!opened->cancel || !opened->readDone || !opened->writeDone) return static_cast<HidStatus>(GetLastError());
  opened->readBuffer.resize(opened->info.collection.caps.InputReportByteLength);
  *device = opened.release();
  return kHidSuccess;
}

void HidClose(HidDevice* device) { delete device; }

const HidInterfaceInfo& HidDeviceInfo(const HidDevice* device) { return device->info; }

HidStatus HidRead(HidDevice* device, std::uint8_t* buffer, std::size_t length, std::size_t* transferred, int timeoutMs) {
  if (!device || !buffer || !transferred) return kHidInvalidParameter;
  *transferred = 0;
  const std::size_t reportLength = device->readBuffer.size();
  if (reportLength == 0 || length < reportLength) return kHidInvalidUserBuffer;
  if (WaitForSingleObject(device->cancel.get(), 0) == WAIT_OBJECT_0) return kHidOperationAborted;
  OVERLAPPED overlapped{};
  overlapped.hEvent = device->readDone.get();
  ResetEvent(overlapped.hEvent);
  DWORD got = 0;
  HidStatus status = kHidSuccess;
  if (!ReadFile(device->handle.get(), device->readBuffer.data(), static_cast<DWORD>(reportLength), &got, &overlapped)) {
    const DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING) return static_cast<HidStatus>(error);
    status = Finish(device->handle.get(), &overlapped, device->cancel.get(), timeoutMs, &got);
  } else if (!GetOverlappedResult(device->handle.get(), &overlapped, &got, TRUE)) {
    status = static_cast<HidStatus>(GetLastError());
  }
  if (status != kHidSuccess) return status;
  std::memcpy(buffer, device->readBuffer.data(), got);
  *transferred = got;
  return kHidSuccess;
}

void HidCancelRead(HidDevice* device) {
  if (device) SetEvent(device->cancel.get());
}

HidStatus HidWrite(HidDevice* device, const std::uint8_t* data, std::size_t length, std::size_t* transferred,
                   int timeoutMs) {
  if (!device || !data || !transferred) return kHidInvalidParameter;
  *transferred = 0;
  const std::size_t reportLength = device->info.collection.caps.OutputReportByteLength;
  if (reportLength == 0 || length != reportLength) return kHidInvalidUserBuffer;
  OVERLAPPED overlapped{};
  overlapped.hEvent = device->writeDone.get();
  ResetEvent(overlapped.hEvent);
  DWORD written = 0;
  HidStatus status = kHidSuccess;
  if (!WriteFile(device->handle.get(), data, static_cast<DWORD>(length), &written, &overlapped)) {
    const DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING) return static_cast<HidStatus>(error);
    status = Finish(device->handle.get(), &overlapped, nullptr, timeoutMs, &written);
  } else if (!GetOverlappedResult(device->handle.get(), &overlapped, &written, TRUE)) {
    status = static_cast<HidStatus>(GetLastError());
  }
  *transferred = written;
  return status;
}

HidStatus HidGetInputReport(HidDevice* device, std::uint8_t* buffer, std::size_t length, std::size_t* transferred) {
  if (!device || !buffer || !transferred || length == 0) return kHidInvalidParameter;
  *transferred = 0;
  if (!HidD_GetInputReport(device->handle.get(), buffer, static_cast<ULONG>(length))) return static_cast<HidStatus>(GetLastError());
  *transferred = length;
  return kHidSuccess;
}

}  // namespace platform
