// SPDX-License-Identifier: GPL-3.0-or-later
#include "HIDMouseEx.h"

namespace devbridge {

CHIDMouseEx::~CHIDMouseEx() { Shutdown(); }

bool CHIDMouseEx::OnInputReport(const std::uint8_t* report, std::int32_t length) {
  if (const ReportCallback callback = m_pfnCallback.load()) return callback(report, length);
  return CHIDMouse::OnInputReport(report, length);
}

}  // namespace devbridge
