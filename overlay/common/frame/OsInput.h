// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The operating system's mouse cursor, as the overlay frames use it.
//
// Thread: the GUI thread.

namespace osUtils {

class OsInput {
 public:
  virtual ~OsInput() = default;

  // true: raises the cursor display count by one (platform/cursor.h). false: lowers it until it
  // is negative, at least once, so the cursor is hidden however often it was shown before.
  void showCursor(bool show);
};

}  // namespace osUtils
