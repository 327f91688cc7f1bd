// SPDX-License-Identifier: GPL-3.0-or-later
#include "vtui/NamedIdTable.h"

#include <QHash>

namespace vtui {
namespace {

struct Table {
  QHash<QString, int> ids;
  QHash<int, QString> names;
};

Table& Installed() {
  static Table table;
  return table;
}

}  // namespace

void NamedIdTable::Install(std::span<const NamedId> entries) {
  Table table;
  for (const NamedId& entry : entries) {
    QString name = QString::fromUtf8(entry.name);
    table.ids.insert(name, entry.id);
    table.names.insert(entry.id, name);
  }
  Installed() = std::move(table);
}

int NamedIdTable::IdOf(QStringView name) { return Installed().ids.value(name.toString(), 0); }

QString NamedIdTable::NameOf(int id) { return Installed().names.value(id); }

int NamedIdTable::Size() { return static_cast<int>(Installed().ids.size()); }

}  // namespace vtui
