// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The device object of the exported interface: hands every complete input report to the
// caller's callback on the reader thread.

#include <atomic>

#include "HIDMouse.h"

namespace devbridge {

class CHIDMouseEx : public CHIDMouse {
 public:
  CHIDMouseEx() = default;
  ~CHIDMouseEx() override;
  bool OnInputReport(const std::uint8_t* report, std::int32_t length) override;
  // Takes effect from the next report; may be changed while the reader runs.
  void SetReportCallback(ReportCallback callback) { m_pfnCallback.store(callback); }

 private:
  std::atomic<ReportCallback> m_pfnCallback{nullptr};
};

}  // namespace devbridge
