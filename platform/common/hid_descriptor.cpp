// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid_descriptor.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <tuple>

namespace platform {
namespace {

enum ReportType { kInput = 0, kOutput = 1, kFeature = 2 };

struct Globals {
  std::uint16_t usagePage = 0;
  std::int32_t logicalMin = 0, logicalMax = 0;
  std::int32_t physicalMin = 0, physicalMax = 0;
  std::uint32_t unitExponent = 0, unit = 0;
  std::uint32_t reportSize = 0;
  std::uint32_t reportCount = 0;
  std::uint8_t reportId = 0;
};

// A usage as declared: a single usage or a range, with the page resolved when it was read.
struct UsageEntry {
  std::uint16_t page = 0;
  std::uint16_t min = 0, max = 0;
  bool isRange = false;
  std::uint32_t size() const { return isRange ? std::uint32_t(max) - min + 1 : 1; }
};

struct Locals {
  std::vector<UsageEntry> usages;
  std::optional<std::uint32_t> usageMin, usageMax;
  bool stringRange = false, designatorRange = false;
};

struct OpenCollection {
  std::uint16_t linkIndex;  // node index inside the top-level collection
  std::uint16_t usagePage, usage;
};

class Parser {
 public:
  Parser(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  HidDescriptorParse Run() {
    HidDescriptorParse result;
    if (size_ > kHidMaxDescriptorSize) {
      result.error = "descriptor of " + std::to_string(size_) + " bytes exceeds " +
                     std::to_string(kHidMaxDescriptorSize);
      return result;
    }
    while (pos_ < size_ && error_.empty()) Item();
    if (error_.empty() && !stack_.empty()) Fail(size_, "Collection not closed at the end");
    if (error_.empty() && collections_.empty()) Fail(size_, "no top-level collection");
    if (!error_.empty()) {
      result.error = error_;
      return result;
    }
    Finish();
    result.ok = true;
    result.collections = std::move(collections_);
    return result;
  }

 private:
  void Fail(std::size_t offset, std::string_view what) {
    if (error_.empty()) error_ = "offset " + std::to_string(offset) + ": " + std::string(what);
  }

  void Item() {
    const std::size_t start = pos_;
    const std::uint8_t prefix = data_[pos_++];
    if (prefix == 0xFE) {  // long item: no long items are defined, skip its data
      if (size_ - pos_ < 2) return Fail(start, "truncated long item");
      const std::size_t length = data_[pos_];
      pos_ += 2;
      if (size_ - pos_ < length) return Fail(start, "truncated long item");
      pos_ += length;
      return;
    }
    static constexpr std::size_t kSizes[4] = {0, 1, 2, 4};
    const std::size_t length = kSizes[prefix & 3];
    if (size_ - pos_ < length) return Fail(start, "truncated item");
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < length; ++i) value |= std::uint32_t(data_[pos_ + i]) << (8 * i);
    pos_ += length;
    std::int32_t signedValue = std::int32_t(value);
    if (length == 1) signedValue = std::int8_t(value);
    if (length == 2) signedValue = std::int16_t(value);

    const int tag = prefix >> 4;
    switch ((prefix >> 2) & 3) {
      case 0: return Main(start, tag, value);
      case 1: return Global(start, tag, value, signedValue);
      case 2: return Local(start, tag, value, length);
      default: return Fail(start, "reserved item type");
    }
  }

  void Global(std::size_t at, int tag, std::uint32_t value, std::int32_t signedValue) {
    switch (tag) {
      case 0x0: globals_.usagePage = std::uint16_t(value); break;
      case 0x1: globals_.logicalMin = signedValue; break;
      case 0x2: globals_.logicalMax = signedValue; break;
      case 0x3: globals_.physicalMin = signedValue; break;
      case 0x4: globals_.physicalMax = signedValue; break;
      case 0x5: globals_.unitExponent = value; break;
      case 0x6: globals_.unit = value; break;
      case 0x7:
        if (value == 0 || value > 255) return Fail(at, "Report Size out of range 1..255");
        globals_.reportSize = value;
        break;
      case 0x8:
        if (value == 0 || value > 255) return Fail(at, "Report ID out of range 1..255");
        if (!usesReportIds_ && itemsWithoutId_) return Fail(at, "Report ID after data items without one");
        usesReportIds_ = true;
        globals_.reportId = std::uint8_t(value);
        break;
      case 0x9:
        if (value > 0xFFFF) return Fail(at, "Report Count out of range");
        globals_.reportCount = value;
        break;
      case 0xA:
        if (pushed_.size() >= kHidMaxPushDepth) return Fail(at, "Push nested too deep");
        pushed_.push_back(globals_);
        break;
      case 0xB:
        if (pushed_.empty()) return Fail(at, "Pop without Push");
        globals_ = pushed_.back();
        pushed_.pop_back();
        break;
      default: return Fail(at, "reserved global item");
    }
  }

  void Local(std::size_t at, int tag, std::uint32_t value, std::size_t length) {
    auto page = [&] { return length == 4 ? std::uint16_t(value >> 16) : globals_.usagePage; };
    switch (tag) {
      case 0x0:
        if (locals_.usages.size() >= kHidMaxUsagesPerItem) return Fail(at, "too many usages");
        locals_.usages.push_back({page(), std::uint16_t(value), std::uint16_t(value), false});
        break;
      case 0x1: locals_.usageMin = (std::uint32_t(page()) << 16) | (value & 0xFFFF); break;
      case 0x2: locals_.usageMax = (std::uint32_t(page()) << 16) | (value & 0xFFFF); break;
      case 0x8: case 0x9: locals_.stringRange = true; break;
      case 0x4: case 0x5: locals_.designatorRange = true; break;
      default: break;  // designator and string indices, delimiters: no bearing on capabilities
    }
    if (locals_.usageMin && locals_.usageMax) {
      const std::uint32_t min = *locals_.usageMin, max = *locals_.usageMax;
      if ((min >> 16) != (max >> 16) || (min & 0xFFFF) > (max & 0xFFFF))
        return Fail(at, "Usage Minimum above Usage Maximum");
      if (locals_.usages.size() >= kHidMaxUsagesPerItem) return Fail(at, "too many usages");
      locals_.usages.push_back(
          {std::uint16_t(min >> 16), std::uint16_t(min & 0xFFFF), std::uint16_t(max & 0xFFFF), true});
      locals_.usageMin.reset();
      locals_.usageMax.reset();
    }
  }

  void Main(std::size_t at, int tag, std::uint32_t value) {
    switch (tag) {
      case 0x8: DataItem(at, kInput, value); break;
      case 0x9: DataItem(at, kOutput, value); break;
      case 0xB: DataItem(at, kFeature, value); break;
      case 0xA: Collection(at); break;
      case 0xC:
        if (stack_.empty()) return Fail(at, "End Collection without Collection");
        stack_.pop_back();
        break;
      default: return Fail(at, "reserved main item");
    }
    locals_ = Locals{};
  }

  void Collection(std::size_t at) {
    if (int(stack_.size()) >= kHidMaxCollectionDepth) return Fail(at, "Collections nested too deep");
    UsageEntry usage{globals_.usagePage, 0, 0, false};
    if (!locals_.usages.empty()) usage = locals_.usages.front();
    if (stack_.empty()) {
      collections_.emplace_back();
      collections_.back().caps.UsagePage = usage.page;
      collections_.back().caps.Usage = usage.min;
    }
    HidCaps& caps = collections_.back().caps;
    if (caps.NumberLinkCollectionNodes == 0xFFFF) return Fail(at, "too many collections");
    stack_.push_back({caps.NumberLinkCollectionNodes++, usage.page, usage.min});
  }

  void DataItem(std::size_t at, ReportType type, std::uint32_t flags) {
    if (stack_.empty()) return Fail(at, "main item outside a collection");
    if (globals_.reportSize == 0 && globals_.reportCount != 0) return Fail(at, "data item without Report Size");
    if (!usesReportIds_) itemsWithoutId_ = true;
    const std::size_t top = collections_.size() - 1;
    std::uint32_t& bits = reportBits_[{top, type, globals_.reportId}];
    bits += globals_.reportSize * globals_.reportCount;
    if (bits > 8u * 0xFFFE) return Fail(at, "report longer than 65534 bytes");
    reportIds_[type].insert({top, globals_.reportId});
    const bool constant = flags & 0x01;
    if (constant || globals_.reportCount == 0) return;

    const bool array = !(flags & 0x02);
    const bool button = array || globals_.reportSize == 1;
    std::vector<UsageEntry> usages = locals_.usages;
    if (usages.empty()) usages.push_back({globals_.usagePage, 0, 0, false});

    HidCollectionInfo& collection = collections_.back();
    if (array) {
      // One array field selects among all the usages: every usage entry is one capability.
      for (const UsageEntry& usage : usages) AddButton(collection, type, usage, flags, globals_.reportCount);
      return;
    }
    // Variable fields take the usages in order; the last usage covers any fields left over.
    std::uint32_t fieldsLeft = globals_.reportCount;
    for (std::size_t i = 0; i < usages.size() && fieldsLeft > 0; ++i) {
      std::uint32_t fields = std::min(usages[i].size(), fieldsLeft);
      fieldsLeft -= fields;
      if (i + 1 == usages.size()) fields += fieldsLeft, fieldsLeft = 0;
      if (button)
        AddButton(collection, type, usages[i], flags, fields);
      else
        AddValue(collection, type, usages[i], flags, fields);
    }
  }

  template <typename Caps>
  void FillCommon(Caps& caps, const UsageEntry& usage, std::uint32_t flags, std::uint32_t count) {
    const OpenCollection& link = stack_.back();
    caps.UsagePage = usage.page;
    caps.ReportID = globals_.reportId;
    caps.BitField = std::uint16_t(flags & 0x1FF);
    caps.LinkCollection = link.linkIndex;
    caps.LinkUsage = link.usage;
    caps.LinkUsagePage = link.usagePage;
    caps.IsRange = usage.isRange;
    caps.IsStringRange = locals_.stringRange;
    caps.IsDesignatorRange = locals_.designatorRange;
    caps.IsAbsolute = !(flags & 0x04);
    caps.ReportCount = std::uint16_t(count);
    caps.UsageMin = usage.min;
    caps.UsageMax = usage.max;
  }

  void AddButton(HidCollectionInfo& c, ReportType type, const UsageEntry& usage, std::uint32_t flags,
                 std::uint32_t count) {
    HidButtonCaps caps;
    FillCommon(caps, usage, flags, count);
    std::vector<HidButtonCaps>* lists[3] = {&c.inputButtonCaps, &c.outputButtonCaps, &c.featureButtonCaps};
    lists[type]->push_back(caps);
  }

  void AddValue(HidCollectionInfo& c, ReportType type, const UsageEntry& usage, std::uint32_t flags,
                std::uint32_t count) {
    HidValueCaps caps;
    FillCommon(caps, usage, flags, count);
    caps.HasNull = flags & 0x40;
    caps.BitSize = std::uint16_t(globals_.reportSize);
    caps.UnitsExp = globals_.unitExponent;
    caps.Units = globals_.unit;
    caps.LogicalMin = globals_.logicalMin;
    caps.LogicalMax = globals_.logicalMax;
    caps.PhysicalMin = globals_.physicalMin;
    caps.PhysicalMax = globals_.physicalMax;
    std::vector<HidValueCaps>* lists[3] = {&c.inputValueCaps, &c.outputValueCaps, &c.featureValueCaps};
    lists[type]->push_back(caps);
  }

  // Lengths, counts and data indices once every item is known.
  void Finish() {
    for (const auto& [key, bits] : reportBits_) {
      const auto& [top, type, id] = key;
      HidCaps& caps = collections_[top].caps;
      std::uint16_t* lengths[3] = {&caps.InputReportByteLength, &caps.OutputReportByteLength,
                                   &caps.FeatureReportByteLength};
      const std::uint16_t length = std::uint16_t((bits + 7) / 8 + 1);
      *lengths[type] = std::max(*lengths[type], length);
    }
    for (int type = 0; type < 3; ++type)
      for (const auto& [top, id] : reportIds_[type]) {
        HidCollectionInfo& c = collections_[top];
        std::vector<std::uint8_t>* ids[3] = {&c.inputReportIds, &c.outputReportIds, &c.featureReportIds};
        ids[type]->push_back(id);  // std::set order: sorted and unique
      }
    for (HidCollectionInfo& c : collections_) {
      c.usesReportIds = usesReportIds_;
      HidCaps& caps = c.caps;
      caps.NumberInputDataIndices = Index(c.inputButtonCaps, c.inputValueCaps);
      caps.NumberOutputDataIndices = Index(c.outputButtonCaps, c.outputValueCaps);
      caps.NumberFeatureDataIndices = Index(c.featureButtonCaps, c.featureValueCaps);
      caps.NumberInputButtonCaps = std::uint16_t(c.inputButtonCaps.size());
      caps.NumberInputValueCaps = std::uint16_t(c.inputValueCaps.size());
      caps.NumberOutputButtonCaps = std::uint16_t(c.outputButtonCaps.size());
      caps.NumberOutputValueCaps = std::uint16_t(c.outputValueCaps.size());
      caps.NumberFeatureButtonCaps = std::uint16_t(c.featureButtonCaps.size());
      caps.NumberFeatureValueCaps = std::uint16_t(c.featureValueCaps.size());
    }
  }

  // Data indices run through the buttons, then the values, of one report type.
  static std::uint16_t Index(std::vector<HidButtonCaps>& buttons, std::vector<HidValueCaps>& values) {
    std::uint32_t next = 0;
    auto assign = [&next](auto& caps) {
      const std::uint32_t count = caps.IsRange ? std::uint32_t(caps.UsageMax) - caps.UsageMin + 1 : 1;
      caps.DataIndexMin = std::uint16_t(next);
      caps.DataIndexMax = std::uint16_t(std::min<std::uint32_t>(next + count - 1, 0xFFFF));
      next = std::min<std::uint32_t>(next + count, 0xFFFF);
    };
    for (auto& caps : buttons) assign(caps);
    for (auto& caps : values) assign(caps);
    return std::uint16_t(next);
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  std::string error_;
  Globals globals_;
  std::vector<Globals> pushed_;
  Locals locals_;
  std::vector<OpenCollection> stack_;
  bool usesReportIds_ = false;
  bool itemsWithoutId_ = false;
  std::vector<HidCollectionInfo> collections_;
  std::map<std::tuple<std::size_t, int, std::uint8_t>, std::uint32_t> reportBits_;
  std::set<std::pair<std::size_t, std::uint8_t>> reportIds_[3];
};

std::string Hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*x", digits, value);
  return text;
}

std::string Ids(const std::vector<std::uint8_t>& ids) {
  if (ids.empty()) return " none";
  std::string text;
  for (std::uint8_t id : ids) text += " " + Hex(id, 2);
  return text;
}

std::string Usages(const auto& caps) {
  std::string text = "page " + Hex(caps.UsagePage, 4);
  if (caps.IsRange) return text + " usages " + Hex(caps.UsageMin, 4) + ".." + Hex(caps.UsageMax, 4);
  return text + " usage " + Hex(caps.UsageMin, 4);
}

std::string Common(const auto& caps) {
  return "id " + Hex(caps.ReportID, 2) + " " + Usages(caps) + " count " + std::to_string(caps.ReportCount) +
         " link " + std::to_string(caps.LinkCollection) + " (" + Hex(caps.LinkUsagePage, 4) + ":" +
         Hex(caps.LinkUsage, 4) + ")" + (caps.IsAbsolute ? " abs" : " rel") + " flags " +
         Hex(caps.BitField, 3) + " index " + std::to_string(caps.DataIndexMin) + ".." +
         std::to_string(caps.DataIndexMax);
}

}  // namespace

HidDescriptorParse ParseHidReportDescriptor(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr && size != 0) return {false, "no descriptor bytes", {}};
  return Parser(data, size).Run();
}

std::string DescribeHidDescriptorParse(const HidDescriptorParse& parse) {
  if (!parse.ok) return "error: " + parse.error + "\n";
  std::string out;
  for (std::size_t i = 0; i < parse.collections.size(); ++i) {
    const HidCollectionInfo& c = parse.collections[i];
    const HidCaps& caps = c.caps;
    out += "collection " + std::to_string(i) + ": page " + Hex(caps.UsagePage, 4) + " usage " +
           Hex(caps.Usage, 4) + "\n";
    out += "  lengths: input " + std::to_string(caps.InputReportByteLength) + " output " +
           std::to_string(caps.OutputReportByteLength) + " feature " +
           std::to_string(caps.FeatureReportByteLength) + "\n";
    out += "  report ids: " + std::string(c.usesReportIds ? "yes" : "no") + ", input" +
           Ids(c.inputReportIds) + ", output" + Ids(c.outputReportIds) + ", feature" +
           Ids(c.featureReportIds) + "\n";
    out += "  link nodes " + std::to_string(caps.NumberLinkCollectionNodes) + ", data indices input " +
           std::to_string(caps.NumberInputDataIndices) + " output " +
           std::to_string(caps.NumberOutputDataIndices) + " feature " +
           std::to_string(caps.NumberFeatureDataIndices) + "\n";
    const char* names[3] = {"input", "output", "feature"};
    const std::vector<HidButtonCaps>* buttons[3] = {&c.inputButtonCaps, &c.outputButtonCaps,
                                                    &c.featureButtonCaps};
    const std::vector<HidValueCaps>* values[3] = {&c.inputValueCaps, &c.outputValueCaps,
                                                  &c.featureValueCaps};
    for (int t = 0; t < 3; ++t) {
      for (const HidButtonCaps& b : *buttons[t]) out += std::string("  ") + names[t] + " button " + Common(b) + "\n";
      for (const HidValueCaps& v : *values[t])
        out += std::string("  ") + names[t] + " value " + Common(v) + " bits " + std::to_string(v.BitSize) +
               " logical " + std::to_string(v.LogicalMin) + ".." + std::to_string(v.LogicalMax) +
               " physical " + std::to_string(v.PhysicalMin) + ".." + std::to_string(v.PhysicalMax) +
               (v.HasNull ? " null" : "") + "\n";
    }
  }
  return out;
}

}  // namespace platform
