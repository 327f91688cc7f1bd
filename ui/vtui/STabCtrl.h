// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "tabctrl" without visible tabs: its pages lie on top of each other and one shows.

#include <QStackedWidget>

namespace vtui {

class STabCtrl : public QStackedWidget {
  Q_OBJECT

 public:
  explicit STabCtrl(QWidget* parent = nullptr);

  // Shows page `index`; false (nothing changes) for an index outside the pages.
  bool SetCurSel(int index);
  int GetCurSel() const { return currentIndex(); }
};

}  // namespace vtui
