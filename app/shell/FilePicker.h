// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The open-file picker of the parameter dialogs: Qt's file dialog, native where the desktop
// provides one.
// Thread: the GUI thread; it runs a modal loop of its own.

#include <QString>

class QSortFilterProxyModel;
class QWidget;

namespace MOUSEFUCTION {

// Shows the picker over `parent`, starting in `folder` (the home folder when that does not
// exist), with `nameFilter` and, when given, only the rows `rows` keeps (the picker takes it).
// `defaultSuffix` completes a typed name without one. The chosen file's absolute path, empty
// when cancelled.
QString PickExistingFile(QWidget* parent, const QString& title, const QString& folder, const QString& nameFilter,
                         const QString& defaultSuffix = {}, QSortFilterProxyModel* rows = nullptr);

}  // namespace MOUSEFUCTION
