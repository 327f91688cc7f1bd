// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The custom key combination of function 302: eight modifier check boxes (left and right
// Ctrl, Shift, Alt and Windows key) and two key boxes. A key is captured inside the dialog,
// not system-wide: while a key box has the focus, a pressed letter or digit becomes its key and
// any other key clears it. Tab moves between the boxes, Escape cancels.
//
// The caller sets the working record before DoModal and reads it back after kDialogOk (1);
// kDialogCancel (2) means the binding stays as it was.
// Thread: the GUI thread.

#include <array>

#include "settings/Profile.h"
#include "vtui/SHostDialog.h"

class QKeyEvent;
class QLineEdit;
class QAbstractButton;

namespace MOUSEFUCTION {

class CMouseCombkeyDialog : public vtui::SHostDialog {
  Q_OBJECT

 public:
  explicit CMouseCombkeyDialog(QWidget* parent = nullptr);

  // Sets the record and shows it.
  void SetKeys(const KeyCombination& keys);
  const KeyCombination& Keys() const { return m_keys; }

  // 0 no key box, 1 "edit_key1", 2 "edit_key2": the box a key press goes to.
  int CaptureTarget() const { return m_captureTarget; }
  // A key press while a box has the focus: `vk` is a Windows virtual-key code.
  void OnCapturedKey(uint8_t vk);

  // The virtual-key code of a key event: letters and digits by the key they are, whatever the
  // modifiers; 0 for every other key.
  static uint8_t VirtualKeyOf(const QKeyEvent& event);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowKeys();
  void ToggleModifier(int bit);

  KeyCombination m_keys;
  int m_captureTarget = 0;
  QLineEdit* m_pEditKey1 = nullptr;
  QLineEdit* m_pEditKey2 = nullptr;
  std::array<QAbstractButton*, 8> m_modifierBoxes{};  // by mask bit
};

}  // namespace MOUSEFUCTION
