// SPDX-License-Identifier: GPL-3.0-or-later
// Started by the shell tests: writes the arguments it got after the first, as the Windows
// command line splits them (CommandLineToArgvW), to the file the first one names, one per line
// in UTF-8 with every line break written as "\n"; then waits until it is ended.

#include "platform/utf.h"

#include <windows.h>
#include <shellapi.h>

#include <fstream>
#include <string>

int main() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!arguments || count < 2) return 2;
  const std::wstring target = arguments[1];
  const std::wstring partial = target + L".part";
  {
    std::ofstream out(partial.c_str(), std::ios::binary);
    for (int i = 2; i < count; ++i) out << "[" << platform::ToUtf8(arguments[i]) << "]\n";
  }
  // Renamed into place, so a reader never sees half the list.
  MoveFileExW(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
  LocalFree(arguments);
  Sleep(INFINITE);
  return 0;
}
