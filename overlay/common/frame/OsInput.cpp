// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/OsInput.h"

#include "platform/cursor.h"

namespace osUtils {

void OsInput::showCursor(bool show) {
  if (show) {
    platform::ShowCursor(true);
    return;
  }
  while (platform::ShowCursor(false) >= 0) {
  }
}

}  // namespace osUtils
