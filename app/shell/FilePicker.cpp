// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/FilePicker.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSortFilterProxyModel>

namespace MOUSEFUCTION {

QString PickExistingFile(QWidget* parent, const QString& title, const QString& folder, const QString& nameFilter,
                         const QString& defaultSuffix, QSortFilterProxyModel* rows) {
  QFileDialog picker(parent, title, QDir(folder).exists() ? folder : QDir::homePath());
  picker.setFileMode(QFileDialog::ExistingFile);
  picker.setAcceptMode(QFileDialog::AcceptOpen);
  picker.setNameFilter(nameFilter);
  if (!defaultSuffix.isEmpty()) picker.setDefaultSuffix(defaultSuffix);
  if (rows) {
    rows->setParent(&picker);
    picker.setProxyModel(rows);
  }
  if (picker.exec() != QDialog::Accepted || picker.selectedFiles().isEmpty()) return {};
  return QFileInfo(picker.selectedFiles().constFirst()).absoluteFilePath();
}

}  // namespace MOUSEFUCTION
