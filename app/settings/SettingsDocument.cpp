// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsDocument.h"

#include "platform/files.h"
#include "platform/log.h"
#include "platform/paths.h"
#include "platform/utf.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>

namespace {

constexpr const char* kCategory = "veltrio.settings";

struct StringWriter : pugi::xml_writer {
  std::string text;
  void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
};

std::string LocalTimestamp() {
  std::time_t now = std::time(nullptr);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y%m%d-%H%M%S", std::localtime(&now));
  return buffer;
}

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

std::wstring GetSettingsFilePath() {
  const std::filesystem::path folder = platform::SettingsFolder();
  return folder.empty() ? std::wstring() : platform::FromPath(folder / "global.xml");
}

SettingsDocument::SettingsDocument(const std::wstring& path) : m_path(path) {
  if (path.empty()) return;
  std::error_code error;
  if (!std::filesystem::exists(platform::ToPath(path), error)) return;
  pugi::xml_parse_result result =
      m_document.load_file(platform::ToPath(path).c_str(), pugi::parse_default, pugi::encoding_auto);
  m_source = result ? Source::Parsed : Source::Unreadable;
  if (!result) {
    platform::LogWarning(kCategory, "cannot read " + platform::ToUtf8(path) + ": " + result.description() +
                                        " at offset " + std::to_string(result.offset));
  }
}

bool SettingsDocument::KeepUnreadableFileAside() {
  std::filesystem::path file = platform::ToPath(m_path);
  // The whole file or nothing: a copy cut short by a read error would lose what it keeps.
  std::error_code error;
  const auto size = std::filesystem::file_size(file, error);
  std::ifstream in(file, std::ios::binary);
  std::string bytes(error ? 0 : size, '\0');
  if (error || !in || !in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())) ||
      in.peek() != std::char_traits<char>::eof()) {
    platform::LogWarning(kCategory, "cannot read the unreadable settings file " + file.string() + " to keep it");
    return false;
  }
  if (bytes.empty()) return true;  // nothing worth keeping

  std::string base = file.native() + ".unreadable-" + LocalTimestamp();
  for (int attempt = 1; attempt < 100; ++attempt) {
    std::filesystem::path aside = attempt == 1 ? base : base + "-" + std::to_string(attempt);
    if (std::filesystem::exists(aside, error)) continue;
    if (!platform::WriteFileAtomically(aside, bytes)) return false;
    platform::LogWarning(kCategory, "kept the unreadable settings file as " + aside.string());
    return true;
  }
  return false;
}

int RemoveInterruptedSettingsWrites() {
  const std::wstring path = GetSettingsFilePath();
  return path.empty() ? 0 : platform::RemoveInterruptedWrites(platform::ToPath(path));
}

bool SettingsDocument::Save() {
  if (m_path.empty()) return false;
  if (m_source == Source::Unreadable) {
    if (!KeepUnreadableFileAside()) return false;
  }
  StringWriter writer;
  m_document.save(writer, "\t", pugi::format_indent, pugi::encoding_auto);
  if (!platform::WriteFileAtomically(platform::ToPath(m_path), writer.text)) return false;
  m_source = Source::Parsed;  // what is on disk now is this document
  return true;
}

int32_t ParseSettingsInteger(const char* text) {
  if (!text) return 0;
  const char* p = text;
  while (IsSpace(*p)) ++p;
  bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t magnitude = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    magnitude = std::min<int64_t>(magnitude * 10 + (*p - '0'), kLimit);
  }
  int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<int32_t>::max()) value = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(value);
}

int32_t IntegerAttribute(const pugi::xml_node& node, const char* name) {
  pugi::xml_attribute attribute = node.attribute(name);
  return attribute ? ParseSettingsInteger(attribute.value()) : 0;
}

std::wstring TextAttribute(const pugi::xml_node& node, const char* name) {
  return platform::FromUtf8(node.attribute(name).value());
}

void AppendAttribute(pugi::xml_node& node, const char* name, int32_t value) {
  node.append_attribute(name).set_value(std::to_string(value).c_str());
}

void AppendAttribute(pugi::xml_node& node, const char* name, const std::wstring& value) {
  node.append_attribute(name).set_value(platform::ToUtf8(value).c_str());
}
