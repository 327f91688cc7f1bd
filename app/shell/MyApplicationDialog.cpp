// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/MyApplicationDialog.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QSortFilterProxyModel>
#include <QStandardPaths>

#include "shell/FilePicker.h"
#include "ui_xml_dlg_myapplicationdialog.h"

namespace MOUSEFUCTION {
namespace {

// Keeps folders, programs and launchers in the picker's list.
class ProgramFilter : public QSortFilterProxyModel {
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
    if (!files) return true;
    const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
    if (info.isDir()) return true;
    return info.suffix() == QLatin1String("desktop") || info.suffix().compare(QLatin1String("exe"), Qt::CaseInsensitive) == 0 ||
           info.isExecutable();
  }
};

// Where the picker opens: the chosen program's folder, else the desktop's launchers.
QString StartFolder(const std::wstring& path) {
  if (!path.empty()) {
    const QFileInfo chosen(QString::fromStdWString(path));
    if (chosen.dir().exists()) return chosen.absolutePath();
  }
  for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
    if (QDir(folder).exists() && !QDir(folder).isEmpty()) return folder;
  }
  return QDir::homePath();
}

}  // namespace

CMyApplicationDialog::CMyApplicationDialog(QWidget* parent) : SHostDialog(parent) {
  Ui::xml_dlg_myapplicationdialog form;
  SetUpDialog(form, tr("My application"));
  m_edit = form.edit;
  m_edit->setReadOnly(true);
  m_check = form.check_AllowMultInstance;
  m_check->setCheckable(true);
  OnCommand(QStringLiteral("check_AllowMultInstance"), [this](QWidget*) { m_bMultiInst = m_check->isChecked(); });
  OnCommand(QStringLiteral("openfiledlgbtn"), [this](QWidget*) { Browse(); });
  OnCommand(QStringLiteral("okbtn"), [this](QWidget*) { EndDialog(vtui::kDialogOk); });
  OnCommand(QStringLiteral("canclebtn"), [this](QWidget*) { EndDialog(vtui::kDialogCancel); });
}

void CMyApplicationDialog::SetApplication(const std::wstring& path, bool allowMultiple) {
  m_strAppPath = path;
  m_bMultiInst = allowMultiple;
  ShowApplication();
}

void CMyApplicationDialog::ShowApplication() {
  m_edit->setText(QString::fromStdWString(m_strAppPath));
  m_edit->setCursorPosition(0);
  m_edit->setToolTip(m_edit->text());
  m_check->setChecked(m_bMultiInst);
}

void CMyApplicationDialog::Browse() {
  const QString chosen = PickProgram(StartFolder(m_strAppPath));
  if (chosen.isEmpty()) return;
  m_strAppPath = chosen.toStdWString();
  ShowApplication();
}

QString CMyApplicationDialog::PickProgram(const QString& folder) {
  // The row filter works on Qt's own dialog; a desktop's native one shows all files instead.
  return PickExistingFile(this, tr("Choose a program"), folder, tr("Programs and launchers (*)"), {},
                          new ProgramFilter);
}

}  // namespace MOUSEFUCTION
