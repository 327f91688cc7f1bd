// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The document rules every reader and writer of the settings file follows: the whole file is
// loaded into a document with pugixml's default parse options and automatic encoding
// detection, edited, and saved whole with one tab of indentation, each node on its own line,
// UTF-8 without a byte-order mark and LF line ends, after the declaration line.
//
// Two guarantees beyond a plain save: the write is atomic (a temporary file beside the settings
// file, flushed, then renamed over it), and a file that exists but could not be read as a
// document is copied aside before the first write over it ("global.xml.unreadable-<time>").
// Thread: the GUI thread. Failure: false; the file on disk is then unchanged.

#include <pugixml.hpp>

#include <cstdint>
#include <string>

// The settings file, built anew on every call: the settings folder's "global.xml", or the empty
// string when the folder cannot be determined or created.
std::wstring GetSettingsFilePath();

// Removes the temporary files that writes of the settings file, interrupted part-way, left
// beside it. Only the instance that holds the single-instance lock may call it: no other
// process writes the file then. Returns how many it removed.
int RemoveInterruptedSettingsWrites();

class SettingsDocument {
 public:
  enum class Source { Missing, Parsed, Unreadable };

  // Loads the file at `path`; the empty path counts as a missing file. After a failed parse the
  // document holds whatever the parser kept.
  explicit SettingsDocument(const std::wstring& path);

  bool FileExists() const { return m_source != Source::Missing; }
  bool Parsed() const { return m_source == Source::Parsed; }
  pugi::xml_document& Document() { return m_document; }
  const pugi::xml_document& Document() const { return m_document; }

  // Writes the document over the file. Before the first write over an unreadable file, that
  // file is kept aside; when it cannot be kept aside, nothing is written.
  bool Save();

 private:
  bool KeepUnreadableFileAside();

  std::wstring m_path;
  pugi::xml_document m_document;
  Source m_source = Source::Missing;
};

// A decimal integer read the way a base-10 wide-string-to-long conversion of a 32-bit `long`
// reads it: leading white space, an optional sign, digits up to the first non-digit; no digits
// read as 0, and values beyond the 32-bit range are clamped to it. "2abc" is 2, "true" is 0.
int32_t ParseSettingsInteger(const char* text);

// Attribute helpers in the program's wide strings; a missing attribute reads as 0 or empty.
int32_t IntegerAttribute(const pugi::xml_node& node, const char* name);
std::wstring TextAttribute(const pugi::xml_node& node, const char* name);
void AppendAttribute(pugi::xml_node& node, const char* name, int32_t value);
void AppendAttribute(pugi::xml_node& node, const char* name, const std::wstring& value);
