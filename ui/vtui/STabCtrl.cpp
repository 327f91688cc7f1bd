// SPDX-License-Identifier: GPL-3.0-or-later
#include "vtui/STabCtrl.h"

namespace vtui {

STabCtrl::STabCtrl(QWidget* parent) : QStackedWidget(parent) {}

bool STabCtrl::SetCurSel(int index) {
  if (index < 0 || index >= count()) return false;
  setCurrentIndex(index);
  return true;
}

}  // namespace vtui
