// SPDX-License-Identifier: GPL-3.0-or-later
#include "MouseDevLink.h"

CMouseDevLink::CMouseDevLink(ReportCallback callback) : m_pDevice(CMyDllMouseDevice::Create()) {
  if (m_pDevice) m_pDevice->SetReportCallback(callback);
}

CMouseDevLink::~CMouseDevLink() {
  if (m_pDevice) m_pDevice->Release();
}

bool CMouseDevLink::Connect(NotifyWindow window) {
  if (!m_pDevice) return false;
  if (!m_pDevice->IsOpen()) {
    wchar_t path[devbridge::kPathCapacity] = {};
    if (m_pDevice->FindByOutputCaps(kVendorId, kProductId, kUsagePage, kUsage, kInputReportLength,
                                    kOutputReportLength, 1, kReportId, path)) {
      m_pDevice->OpenByPath(path, window);
    }
  }
  return m_pDevice->IsOpen();
}

void CMouseDevLink::SendHeartbeat() {
  if (IsOpen()) m_pDevice->WriteReport(kHeartbeat, sizeof kHeartbeat, nullptr, nullptr, 100);
}
