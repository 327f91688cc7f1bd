// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// HID report descriptor parsing: pure functions over bytes, shared by every backend that has to
// compute capabilities itself (Linux hidraw hands out only the descriptor).
//
// The results are shaped like the capabilities Windows' HID parser gives for a top-level
// collection, so that code matching collections by capabilities behaves the same on every OS:
//  - every top-level collection is one interface;
//  - report byte lengths are the largest report of that type in the collection, in bytes, plus
//    one byte for the report id, also when the collection uses no report ids (id 0), and 0 when
//    the collection has no report of that type;
//  - a main item with 1-bit fields or an array item gives button capabilities, any other data
//    item value capabilities; padding (constant items) gives none but counts towards lengths;
//  - capability records come in the order the descriptor declares them.
//
// Thread: any; no state. Failure: a malformed descriptor gives ok == false and a one-line error
// naming the byte offset; no partial result is returned.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct HidButtonCaps {
  std::uint16_t UsagePage = 0;
  std::uint8_t ReportID = 0;
  bool IsAlias = false;
  std::uint16_t BitField = 0;  // the main item's data bits (Data/Constant, Array/Variable, ...)
  std::uint16_t LinkCollection = 0;  // index of the collection node inside the top-level one
  std::uint16_t LinkUsage = 0;
  std::uint16_t LinkUsagePage = 0;
  bool IsRange = false;
  bool IsStringRange = false;
  bool IsDesignatorRange = false;
  bool IsAbsolute = false;
  std::uint16_t ReportCount = 0;
  std::uint16_t UsageMin = 0;  // the usage when !IsRange
  std::uint16_t UsageMax = 0;
  std::uint16_t DataIndexMin = 0;
  std::uint16_t DataIndexMax = 0;
};

struct HidValueCaps {
  std::uint16_t UsagePage = 0;
  std::uint8_t ReportID = 0;
  bool IsAlias = false;
  std::uint16_t BitField = 0;
  std::uint16_t LinkCollection = 0;
  std::uint16_t LinkUsage = 0;
  std::uint16_t LinkUsagePage = 0;
  bool IsRange = false;
  bool IsStringRange = false;
  bool IsDesignatorRange = false;
  bool IsAbsolute = false;
  bool HasNull = false;
  std::uint16_t BitSize = 0;
  std::uint16_t ReportCount = 0;
  std::uint32_t UnitsExp = 0;
  std::uint32_t Units = 0;
  std::int32_t LogicalMin = 0;
  std::int32_t LogicalMax = 0;
  std::int32_t PhysicalMin = 0;
  std::int32_t PhysicalMax = 0;
  std::uint16_t UsageMin = 0;  // the usage when !IsRange
  std::uint16_t UsageMax = 0;
  std::uint16_t DataIndexMin = 0;
  std::uint16_t DataIndexMax = 0;
};

struct HidCaps {
  std::uint16_t Usage = 0;
  std::uint16_t UsagePage = 0;
  std::uint16_t InputReportByteLength = 0;
  std::uint16_t OutputReportByteLength = 0;
  std::uint16_t FeatureReportByteLength = 0;
  std::uint16_t NumberLinkCollectionNodes = 0;
  std::uint16_t NumberInputButtonCaps = 0;
  std::uint16_t NumberInputValueCaps = 0;
  std::uint16_t NumberInputDataIndices = 0;
  std::uint16_t NumberOutputButtonCaps = 0;
  std::uint16_t NumberOutputValueCaps = 0;
  std::uint16_t NumberOutputDataIndices = 0;
  std::uint16_t NumberFeatureButtonCaps = 0;
  std::uint16_t NumberFeatureValueCaps = 0;
  std::uint16_t NumberFeatureDataIndices = 0;
};

// One top-level collection with everything a backend needs to serve it as an interface.
struct HidCollectionInfo {
  HidCaps caps;
  std::vector<HidButtonCaps> inputButtonCaps, outputButtonCaps, featureButtonCaps;
  std::vector<HidValueCaps> inputValueCaps, outputValueCaps, featureValueCaps;
  bool usesReportIds = false;
  std::vector<std::uint8_t> inputReportIds;  // sorted, unique; {0} when usesReportIds is false
  std::vector<std::uint8_t> outputReportIds;
  std::vector<std::uint8_t> featureReportIds;
};

struct HidDescriptorParse {
  bool ok = false;
  std::string error;  // set when !ok, e.g. "offset 7: End Collection without Collection"
  std::vector<HidCollectionInfo> collections;  // top-level collections in declaration order
};

// Bounds that keep a hostile descriptor from costing unbounded memory or time.
inline constexpr std::size_t kHidMaxDescriptorSize = 4096;  // the size hidraw itself allows
inline constexpr std::size_t kHidMaxUsagesPerItem = 1024;
inline constexpr int kHidMaxCollectionDepth = 32;
inline constexpr int kHidMaxPushDepth = 16;

HidDescriptorParse ParseHidReportDescriptor(const std::uint8_t* data, std::size_t size);

// A stable text form of a parse result, one fact per line: what the golden files hold.
std::string DescribeHidDescriptorParse(const HidDescriptorParse& parse);

}  // namespace platform
