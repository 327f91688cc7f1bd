// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ProfileDialogs.h"

#include <QLineEdit>

#include "ui_xml_dlgDelCurrentProfile.h"
#include "ui_xml_dlgNewProfile.h"
#include "ui_xml_dlgResetToDefault.h"

namespace MOUSEFUCTION {
namespace {

void BindOkCancel(vtui::SHostDialog& dialog) {
  dialog.OnCommand(QStringLiteral("btn_OK"), [&dialog](QWidget*) { dialog.EndDialog(vtui::kDialogOk); });
  dialog.OnCommand(QStringLiteral("btn_CANCEL"), [&dialog](QWidget*) { dialog.EndDialog(vtui::kDialogCancel); });
}

}  // namespace

CNewProfileDialog::CNewProfileDialog(QWidget* parent) : SHostDialog(parent) {
  Ui::xml_dlgNewProfile form;
  SetUpDialog(form, tr("New profile"));
  m_edit = form.edit;
  BindOkCancel(*this);
  OnCommand(QStringLiteral("btn_OK"), [this](QWidget*) { Confirm(); });
  // Typing a name and pressing Enter is the quick way.
  connect(m_edit, &QLineEdit::returnPressed, this, &CNewProfileDialog::Confirm);
  m_edit->setFocus();
}

void CNewProfileDialog::Confirm() {
  // Blanks around a name are a slip of the keyboard, not part of the name.
  m_strProfileName = m_edit->text().trimmed().toStdWString();
  EndDialog(vtui::kDialogOk);
}

CDelCurrentProfileDialog::CDelCurrentProfileDialog(QWidget* parent) : SHostDialog(parent) {
  Ui::xml_dlgDelCurrentProfile form;
  SetUpDialog(form, tr("Delete profile"));
  BindOkCancel(*this);
}

CResetToDefaultDialog::CResetToDefaultDialog(QWidget* parent) : SHostDialog(parent) {
  Ui::xml_dlgResetToDefault form;
  SetUpDialog(form, tr("Reset to default"));
  BindOkCancel(*this);
  OnCommand(QStringLiteral("btn_close"), [this](QWidget*) { EndDialog(vtui::kDialogCancel); });
}

}  // namespace MOUSEFUCTION
