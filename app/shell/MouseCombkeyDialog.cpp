// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/MouseCombkeyDialog.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLineEdit>

#include "actions/KeyName.h"
#include "ui_dlg_customkey.h"

namespace MOUSEFUCTION {
namespace {

// The check boxes by mask bit: left Ctrl, Shift, Alt, Windows key, then the right ones.
constexpr const char* kModifierBoxes[8] = {"btn_left_Ctrl",  "btn_left_Shift",  "btn_left_Alt",  "btn_left_Winkey",
                                           "btn_right_Ctrl", "btn_right_Shift", "btn_right_Alt", "btn_right_Winkey"};

QString KeyText(uint8_t vk) { return QString::fromStdWString(GetKeyName(vk)); }

}  // namespace

CMouseCombkeyDialog::CMouseCombkeyDialog(QWidget* parent) : SHostDialog(parent) {
  Ui::dlg_customkey form;
  SetUpDialog(form, tr("Custom key combination"));
  m_pEditKey1 = form.edit_key1;
  m_pEditKey2 = form.edit_key2;
  for (QLineEdit* edit : {m_pEditKey1, m_pEditKey2}) {
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::StrongFocus);
    edit->installEventFilter(this);
  }
  for (int bit = 0; bit < 8; ++bit) {
    const QString name = QString::fromLatin1(kModifierBoxes[bit]);
    m_modifierBoxes[bit] = FindChildByNameAs<QAbstractButton>(name);
    OnCommand(name, [this, bit](QWidget*) { ToggleModifier(bit); });
  }
  OnCommand(QStringLiteral("btn_OK"), [this](QWidget*) { EndDialog(vtui::kDialogOk); });
  OnCommand(QStringLiteral("btn_CANCEL"), [this](QWidget*) { EndDialog(vtui::kDialogCancel); });
  OnCommand(QStringLiteral("btn_close"), [this](QWidget*) { EndDialog(vtui::kDialogCancel); });
  ShowKeys();
}

void CMouseCombkeyDialog::SetKeys(const KeyCombination& keys) {
  m_keys = keys;
  ShowKeys();
}

void CMouseCombkeyDialog::ShowKeys() {
  for (int bit = 0; bit < 8; ++bit) {
    if (m_modifierBoxes[bit]) m_modifierBoxes[bit]->setChecked(m_keys.systemKey & (1u << bit));
  }
  // A key without a name leaves its box as it was, as when the dialog opens.
  if (m_keys.singleKey1 != 0 && !GetKeyName(m_keys.singleKey1).empty()) m_pEditKey1->setText(KeyText(m_keys.singleKey1));
  if (m_keys.singleKey2 != 0 && !GetKeyName(m_keys.singleKey2).empty()) m_pEditKey2->setText(KeyText(m_keys.singleKey2));
}

void CMouseCombkeyDialog::ToggleModifier(int bit) {
  // The click has already flipped the box; the record is the authority and redraws it.
  m_keys.systemKey ^= static_cast<uint8_t>(1u << bit);
  ShowKeys();
}

void CMouseCombkeyDialog::OnCapturedKey(uint8_t vk) {
  if (m_captureTarget == 0) return;
  const uint8_t stored = IsCombinationKey(vk) ? vk : 0;
  QLineEdit* edit = m_captureTarget == 1 ? m_pEditKey1 : m_pEditKey2;
  (m_captureTarget == 1 ? m_keys.singleKey1 : m_keys.singleKey2) = stored;
  edit->setText(KeyText(stored));
}

uint8_t CMouseCombkeyDialog::VirtualKeyOf(const QKeyEvent& event) {
  const int key = event.key();
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<uint8_t>('A' + (key - Qt::Key_A));
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<uint8_t>('0' + (key - Qt::Key_0));
  return 0;
}

bool CMouseCombkeyDialog::eventFilter(QObject* watched, QEvent* event) {
  const int target = watched == m_pEditKey1 ? 1 : watched == m_pEditKey2 ? 2 : 0;
  if (target == 0) return SHostDialog::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::FocusIn: m_captureTarget = target; break;
    case QEvent::FocusOut: m_captureTarget = 0; break;
    case QEvent::KeyPress: {
      const auto& key = static_cast<const QKeyEvent&>(*event);
      // Moving between the boxes and cancelling stay what they are everywhere.
      if (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab || key.key() == Qt::Key_Escape) break;
      OnCapturedKey(VirtualKeyOf(key));
      return true;
    }
    default: break;
  }
  return SHostDialog::eventFilter(watched, event);
}

}  // namespace MOUSEFUCTION
