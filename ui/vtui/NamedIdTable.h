// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The numeric id of each widget name. A program installs its table once at start-up, before it
// creates a window; host windows use it for look-up by id and for click dispatch by id.
// A name that occurs in several places of the layouts has one id for all of them.
//
// Thread: the GUI thread. Failure: names outside the table have id 0; ids outside it have the
// empty name.

#include <QString>
#include <QStringView>
#include <span>

namespace vtui {

struct NamedId {
  const char* name;
  int id;
};

class NamedIdTable {
 public:
  // Replaces the installed table; the entries are copied.
  static void Install(std::span<const NamedId> entries);
  static int IdOf(QStringView name);
  static QString NameOf(int id);
  static int Size();
};

}  // namespace vtui
