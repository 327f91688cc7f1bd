// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The configuration program's main window: three pages (Buttons, Gestures, Settings) chosen in
// the left column, four mode buttons with their lamps, the profile comboboxes, the eleven
// function slots of the current mode with their function menus, and the receiver of device
// events, which it turns into performing the function bound to a slot.
//
// Closing the window only hides it; it lives, mostly hidden, until the program ends.
//
// Thread: the GUI thread; device events arrive as queued calls.
// Ownership: refers to the settings and the action runtime it is given, which must outlive
// it; owns the two device windows (Qt children). Registers itself as g_hMainWnd in
// OnInitDialog and unregisters in its destructor.
// Failure: nothing is shown to the user; a step that fails leaves the previous state.
// Tests subclass it and override the protected hooks (device windows, menu, dialogs,
// performing, the mouse settings).

#include <QString>
#include <vector>

#include "device/DeviceEvents.h"
#include "settings/Profile.h"
#include "vtui/SHostWnd.h"

class CActionRuntime;
class CGlobalSettings;
class QObject;
namespace vtui {
class SComboBox;
class SHostDialog;
class SMenuEx;
}  // namespace vtui

class CMainDlg : public vtui::SHostWnd, public CDeviceEventTarget {
  Q_OBJECT

 public:
  // The window is built hidden from its layout; OnInitDialog completes it. `runtime` may be
  // null: nothing is then performed and no overlay is ended.
  CMainDlg(CGlobalSettings& settings, CActionRuntime* runtime, QWidget* parent = nullptr);
  // The overlays outlive the window; the program ends them when it ends (CVeltrioApp).
  ~CMainDlg() override;

  // The initialisation a new main window runs once before it is shown; see the .cpp for the order.
  void OnInitDialog();

  // Pages by page id (widget_ids::kPageButtons, kPageGestures, kPageSettings). Other ids keep the
  // page but still apply the button and visibility rules.
  void SwitchPage(int pageId);
  int CurrentPageIndex() const;
  void SelectMode(int mode);
  void RefreshModeButtons();
  void RefreshModeLamps();
  void RefreshDeviceLabel() override;
  void RefreshDevicePictures();
  void FillProfileComboboxes();
  // Selection changes of "ProfileCombox" and "settingPageProfileCbx". True when a profile was
  // picked that was not the current one.
  bool OnProfileComboxSelChange(int index);
  bool OnSettingProfileCbxSelChange(int index);

  // Slots and their menus. `sender` is the clicked widget inside a slot window.
  void ShowFunctionMenu(QWidget* sender);
  void EditFunctionParameters(QWidget* sender);
  void ClearFunctionSlot(QWidget* sender);
  void RefreshFunctionSlots();
  void ToggleEnableGesture();

  // The Settings page's profile buttons: each asks with its dialog, then acts on "OK".
  void OnAddProfile();
  void OnDeleteProfile();
  void OnResetProfile();
  // The confirmed actions. A name that is empty or already stored adds nothing.
  void NewProfile(const std::wstring& name);
  void DeleteCurrentProfile();
  void ResetToDefault();

  // UM_DEVICE_FOUND: the device chooser, then the pictures and label of the model.
  void RunDeviceChooser();
  // The "Launch at start" check box: flips the autostart entry, then shows its real state.
  void ToggleLaunchAtStart();

  // Closes the raw-input and device link windows (the exit path), joining their threads.
  void CloseDeviceWindows();

  // The slot index (0-10) of the slot window that holds `widget`, or -1.
  int SlotOf(const QWidget* widget) const;
  QWidget* SlotWindow(int slot) const;

  // CDeviceEventTarget
  void OnDeviceEvent(int code) override;
  void OnDeviceFound() override;

  // Shows the window normally and brings it to the front (a second start, function 201).
  void ShowInstance();

  // The skins the code sets at run time (pictures by model, lamps, the empty slot).
  static std::vector<QString> SkinsNamedByCode();
  // The function menu resource of each mode.
  static QString FunctionMenuName(int mode);

  vtui::SComboBox* ProfileCombox() const { return m_pProfileCombox; }
  vtui::SComboBox* SettingProfileCombox() const { return m_pSettingProfileCombox; }

 protected:
  // The device link and raw-input windows, created during initialisation.
  virtual void CreateDeviceWindows();
  // Performs the slot's binding in the current mode (through the action runtime).
  virtual void PerformSlot(int slot);
  // Shows the menu at the cursor and returns the chosen command id, 0 when dismissed.
  virtual int TrackFunctionMenu(vtui::SMenuEx& menu, QPoint globalPos);
  // The parameter dialog of 101, 206 or 302 over `binding`; true when it was confirmed and
  // filled the binding.
  virtual bool RunParameterDialog(int functionId, Binding& binding);
  // Runs one of the window's dialogs modally over `owner` (null: none) and returns its code.
  virtual int RunDialog(vtui::SHostDialog& dialog, QWidget* owner);
  virtual void EndPointerOverlay();
  virtual void OpenMouseSettings();

  void closeEvent(QCloseEvent* event) override;

  CGlobalSettings& Settings() const { return m_settings; }

 private:
  void BindCommands();
  void SyncComboboxes();
  bool PickProfile(vtui::SComboBox* from, vtui::SComboBox* other, int index);
  Binding* SlotBinding(int slot) const;
  bool EditSlotParameters(int slot, int functionId);
  // Brings the window forward, runs `dialog` over it; true for "OK".
  bool Confirmed(vtui::SHostDialog& dialog);

  CGlobalSettings& m_settings;
  CActionRuntime* m_runtime;
  vtui::SComboBox* m_pProfileCombox = nullptr;
  vtui::SComboBox* m_pSettingProfileCombox = nullptr;
  QObject* m_pRawInputWnd = nullptr;
  QObject* m_pComWnd = nullptr;
  int m_pickedIndex = -1;  // the index a combobox pick moves the other combobox to
  bool m_choosingDevice = false;  // the device chooser is open
  bool m_initialised = false;
};
