// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/MainDlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QIcon>
#include <QSignalBlocker>
#include <filesystem>

#include "actions/ActionRuntime.h"
#include "actions/FunctionCatalogue.h"
#include "device/MouseComWnd.h"
#include "device/RawInputWnd.h"
#include "platform/autostart.h"
#include "platform/shell.h"
#include "settings/GlobalSettings.h"
#include "shell/DefaultDeviceChooserDialog.h"
#include "shell/LaserPointSettingDialog.h"
#include "shell/MouseCombkeyDialog.h"
#include "shell/MyApplicationDialog.h"
#include "shell/ProfileDialogs.h"
#include "shell/ShellLog.h"
#include "shell/WidgetIds.h"
#include "ui_XML_BUTTONSPAGE.h"
#include "ui_XML_MAINWND.h"
#include "ui_xml_Gesturespage.h"
#include "ui_xml_Settingspage.h"
#include "vtui/SCheckBox.h"
#include "vtui/SComboBox.h"
#include "vtui/SHostDialog.h"
#include "vtui/SImageButton.h"
#include "vtui/SMenuEx.h"
#include "vtui/STabCtrl.h"

Q_LOGGING_CATEGORY(lcShell, "veltrio.shell", QtWarningMsg)

namespace {

using widget_ids::kPageButtons;
using widget_ids::kPageGestures;
using widget_ids::kPageSettings;

// The four widgets of each mode: button, box, lamp (name + "2") and arrow (name + "3").
constexpr const char* kModeButtons[kModeCount] = {"btn_general", "btn_internet", "btn_mediaplayer", "btn_presentation"};

constexpr const char* kLampOn = "skin_lamps_pngOn";
constexpr const char* kLampOff = "skin_lamps_pngOff";

// The skin of each picture widget by device style 1, 2, 3; any other style draws like 2 except
// for the Gestures page background.
struct PictureRow {
  const char* widget;
  const char* skins[3];
  const char* otherStyle;
};
constexpr PictureRow kPictures[] = {
    {"img_devMSpic", {"skin_mouseA_msA", "skin_mouseB_msB", "skin_mouseC_msC"}, "skin_mouseB_msB"},
    {"img_mediabtn1",
     {"skin_mouseA_msA_mediakey1", "skin_mouseB_msB_mediakey1", "skin_mouseC_msC_mediakey1"},
     "skin_mouseB_msB_mediakey1"},
    {"img_mediabtn2",
     {"skin_mouseA_msA_mediakey2", "skin_mouseB_msB_mediakey2", "skin_mouseC_msC_mediakey2"},
     "skin_mouseB_msB_mediakey2"},
    {"img_mediabtn3",
     {"skin_mouseA_msA_mediakey3", "skin_mouseB_msB_mediakey3", "skin_mouseC_msC_mediakey3"},
     "skin_mouseB_msB_mediakey3"},
    {"img_mousepic", {"skin_mouseA_msA", "skin_mouseB_msB", "skin_mouseC_msC"}, "skin_mouseB_msB"},
    {"pagegestures_img_bk",
     {"skin_pagegestures_img_bk", "skin_pagegestures_imgB_bk", "skin_pagegestures_imgC_bk"},
     "skin_pagegestures_img_bk"},
};

// The slot a device event performs, -1 for none; codes 3 and 5 only while gestures are off.
int SlotOfEvent(int code) {
  switch (code) {
    case kEventMediaKey1: return 0;
    case kEventMediaKey2: return 1;
    case kEventMediaKey3: return 2;
    case kEventGestureKey: return 1;
    case kEventSwipeUp: return 5;
    case kEventSwipeUpRight: return 7;
    case kEventSwipeRight: return 4;
    case kEventSwipeDownRight: return 8;
    case kEventSwipeDown: return 6;
    case kEventSwipeDownLeft: return 9;
    case kEventSwipeLeft: return 3;
    case kEventSwipeUpLeft: return 10;
    default: return -1;
  }
}

void SetVisible(QWidget* widget, bool visible) {
  if (widget) widget->setVisible(visible);
}

void SetChecked(QWidget* widget, bool checked) {
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) button->setChecked(checked);
}

}  // namespace

CMainDlg::CMainDlg(CGlobalSettings& settings, CActionRuntime* runtime, QWidget* parent)
    : SHostWnd(parent), m_settings(settings), m_runtime(runtime) {
  Ui::XML_MAINWND main;
  main.setupUi(this);
  Ui::XML_BUTTONSPAGE buttons;
  buttons.setupUi(main.page_Buttons);
  Ui::xml_Gesturespage gestures;
  gestures.setupUi(main.page_Gestures);
  Ui::xml_Settingspage settingsPage;
  settingsPage.setupUi(main.page_Setttings);
  InitLayout();

  setWindowTitle(QStringLiteral("Veltrio"));
  setWindowIcon(QIcon(QStringLiteral(":/images/ICON_LOGO.svg")));
  setFixedSize(719, 500);
  BindCommands();
  m_settings.m_onCurrentProfileChanged = [this] { SyncComboboxes(); };
  if (m_runtime) m_runtime->SetShowMainWindowHook([this] { ShowInstance(); });
}

CMainDlg::~CMainDlg() {
  if (g_hMainWnd == this) g_hMainWnd = nullptr;
  m_settings.m_onCurrentProfileChanged = nullptr;
  if (m_runtime) m_runtime->SetShowMainWindowHook(nullptr);
}

void CMainDlg::BindCommands() {
  OnCommand(QStringLiteral("btn_close"), [this](QWidget*) { hide(); });
  OnCommand(QStringLiteral("btn_mini"), [this](QWidget*) { showMinimized(); });
  OnCommand(QStringLiteral("pngshow"), [this](QWidget* w) { ShowFunctionMenu(w); });
  OnCommand(QStringLiteral("funcbtn_set"), [this](QWidget* w) { EditFunctionParameters(w); });
  OnCommand(QStringLiteral("funcbtn_close"), [this](QWidget* w) { ClearFunctionSlot(w); });
  OnCommand(QStringLiteral("btn_buttons"),
            [this](QWidget*) { SwitchPage(g_bDevicePresent ? kPageButtons : kPageSettings); });
  OnCommand(QStringLiteral("btn_gestures"),
            [this](QWidget*) { SwitchPage(g_bDevicePresent ? kPageGestures : kPageSettings); });
  OnCommand(QStringLiteral("btn_settings"), [this](QWidget*) { SwitchPage(kPageSettings); });
  OnCommand(QStringLiteral("btnsettingPage_enablegesture"), [this](QWidget*) { ToggleEnableGesture(); });
  OnCommand(QStringLiteral("btnsettingPage_change"), [this](QWidget*) {
    activateWindow();
    OpenMouseSettings();
  });
  OnCommand(QStringLiteral("btnsettingPage_launchstart"), [this](QWidget*) { ToggleLaunchAtStart(); });
  OnCommand(QStringLiteral("btnsettingPage_add"), [this](QWidget*) { OnAddProfile(); });
  OnCommand(QStringLiteral("btnsettingPage_del"), [this](QWidget*) { OnDeleteProfile(); });
  OnCommand(QStringLiteral("btnsettingPage_reset"), [this](QWidget*) { OnResetProfile(); });
  // The mode button, its box and its arrow select the mode; the lamp is a picture.
  for (int mode = 0; mode < kModeCount; ++mode) {
    const QString name = QString::fromLatin1(kModeButtons[mode]);
    for (const QString& part : {name, name + '1', name + '3'}) {
      OnCommand(vtui::NamedIdTable::IdOf(part), [this, mode](QWidget*) { SelectMode(mode); });
    }
  }
}

void CMainDlg::OnInitDialog() {
  m_initialised = true;
  m_pProfileCombox = FindChildByIdAs<vtui::SComboBox>(widget_ids::kProfileCombox);
  m_pSettingProfileCombox = FindChildByIdAs<vtui::SComboBox>(widget_ids::kSettingProfileCbx);
  SetVisible(FindChildByName(u"DevName"), false);
  RefreshDevicePictures();
  // No device is open yet (the device link comes below), so this always lands on Settings.
  SwitchPage(g_bDevicePresent ? kPageButtons : kPageSettings);
  FillProfileComboboxes();
  if (m_pProfileCombox) {
    connect(m_pProfileCombox, &QComboBox::currentIndexChanged, this,
            [this](int index) { OnProfileComboxSelChange(index); });
  }
  if (m_pSettingProfileCombox) {
    connect(m_pSettingProfileCombox, &QComboBox::currentIndexChanged, this,
            [this](int index) { OnSettingProfileCbxSelChange(index); });
  }
  RefreshModeButtons();
  RefreshFunctionSlots();
  CreateDeviceWindows();
  g_hMainWnd = this;
  RefreshDeviceLabel();
  // The autostart entry is the authority; the stored flag only mirrors it.
  m_settings.m_blaunchstart = platform::IsLaunchAtStartRegistered();
  SetChecked(FindChildByName(u"btnsettingPage_launchstart"), m_settings.m_blaunchstart);
  SetChecked(FindChildByName(u"btnsettingPage_enablegesture"), m_settings.m_benablegesture);
}

void CMainDlg::CreateDeviceWindows() {
  m_pRawInputWnd = new MOUSEFUCTION::CRawInputWnd(GlobalSettings(), this);
  m_pComWnd = new MOUSEFUCTION::CMouseComWnd(GlobalSettings(), this);
}

int CMainDlg::CurrentPageIndex() const {
  auto* tab = FindChildByNameAs<vtui::STabCtrl>(u"tab_main");
  return tab ? tab->GetCurSel() : -1;
}

void CMainDlg::SwitchPage(int pageId) {
  SetChecked(FindChildByName(u"btn_buttons"), pageId == kPageButtons);
  SetChecked(FindChildByName(u"btn_gestures"), pageId == kPageGestures);
  SetChecked(FindChildByName(u"btn_settings"), pageId == kPageSettings);
  const bool notSettings = pageId != kPageSettings;
  for (const char* name : kModeButtons) SetVisible(FindChildByName(QString::fromLatin1(name)), notSettings);
  if (auto* tab = FindChildByNameAs<vtui::STabCtrl>(u"tab_main")) {
    if (pageId == kPageButtons) tab->SetCurSel(0);
    else if (pageId == kPageGestures) tab->SetCurSel(1);
    else if (pageId == kPageSettings) tab->SetCurSel(2);
  }
  SetVisible(FindChildByName(u"ProfileCombox"), notSettings);
  SetVisible(FindChildByName(u"Profiletext"), notSettings);
}

void CMainDlg::SelectMode(int mode) {
  m_settings.m_nCurMode = mode;
  RefreshModeButtons();
  RefreshFunctionSlots();
}

void CMainDlg::RefreshModeButtons() {
  for (int mode = 0; mode < kModeCount; ++mode) {
    SetChecked(FindChildByName(QString::fromLatin1(kModeButtons[mode])), mode == m_settings.m_nCurMode);
  }
}

void CMainDlg::RefreshModeLamps() {
  for (int mode = 0; mode < kModeCount; ++mode) {
    QWidget* lamp = FindChildByName(QString::fromLatin1(kModeButtons[mode]) + '2');
    SetAttribute(lamp, "skin", QString::fromLatin1(mode == m_settings.m_nCurMode ? kLampOn : kLampOff));
  }
}

void CMainDlg::RefreshDeviceLabel() {
  QWidget* label = FindChildByName(u"DevName");
  switch (m_settings.m_nDevStyeID) {
    case 1:
    case 3: SetAttribute(label, "text", QString()); break;
    case 2: SetAttribute(label, "text", QStringLiteral("Tarsel Remote")); break;
    default: break;
  }
  if (g_bDevicePresent) {
    SetAttribute(label, "colorText", QStringLiteral("#000000f0"));
    return;
  }
  SetAttribute(label, "colorText", QStringLiteral("#FF0000f0"));
  SetAttribute(label, "text", QStringLiteral("no device connected"));
  SwitchPage(kPageSettings);
}

void CMainDlg::RefreshDevicePictures() {
  const int style = m_settings.m_nDevStyeID;
  SetVisible(FindChildByName(u"img_devMSpic"), false);
  for (const PictureRow& row : kPictures) {
    const char* skin = style >= 1 && style <= 3 ? row.skins[style - 1] : row.otherStyle;
    if (QWidget* widget = FindChildByName(QString::fromLatin1(row.widget))) SetAttribute(widget, "skin", skin);
  }
}

void CMainDlg::FillProfileComboboxes() {
  m_settings.EnumProfileNames();
  QStringList names;
  for (const std::wstring& name : m_settings.m_profileNames) names << QString::fromStdWString(name);
  const QString current = QString::fromStdWString(m_settings.m_currentProfile.Name());
  for (vtui::SComboBox* box : {m_pProfileCombox, m_pSettingProfileCombox}) {
    if (!box) continue;
    // Filling is not a pick: the selection-change handlers must not see it.
    const QSignalBlocker quiet(box);
    box->ResetContent();
    box->addItems(names);
    box->setCurrentIndex(static_cast<int>(names.indexOf(current)));
  }
}

bool CMainDlg::OnProfileComboxSelChange(int index) {
  return PickProfile(m_pProfileCombox, m_pSettingProfileCombox, index);
}

bool CMainDlg::OnSettingProfileCbxSelChange(int index) {
  return PickProfile(m_pSettingProfileCombox, m_pProfileCombox, index);
}

bool CMainDlg::PickProfile(vtui::SComboBox* from, vtui::SComboBox*, int index) {
  if (!from || index < 0) return false;
  const std::wstring name = from->itemText(index).toStdWString();
  if (name.empty() || name == m_settings.m_currentProfile.Name()) return false;
  m_pickedIndex = index;
  m_settings.SelectProfile(name);  // calls SyncComboboxes through the settings' hook
  m_pickedIndex = -1;
  return true;
}

void CMainDlg::SyncComboboxes() {
  int index = m_pickedIndex;
  if (index < 0 && m_pProfileCombox) {
    index = m_pProfileCombox->findText(QString::fromStdWString(m_settings.m_currentProfile.Name()),
                                       Qt::MatchExactly | Qt::MatchCaseSensitive);
  }
  // Both lists hold the same names in the same order, so one index names one profile in both.
  // Moving a box raises its selection change, which finds the profile already current.
  for (vtui::SComboBox* box : {m_pProfileCombox, m_pSettingProfileCombox}) {
    if (box && index >= 0 && box->currentIndex() != index) box->setCurrentIndex(index);
  }
  RefreshFunctionSlots();
}

QWidget* CMainDlg::SlotWindow(int slot) const {
  if (slot < 0 || slot >= kSlotCount) return nullptr;
  return FindChildById(widget_ids::kSlotWindows[slot]);
}

int CMainDlg::SlotOf(const QWidget* widget) const {
  const int parentId = widget ? IdOf(widget->parentWidget()) : 0;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (parentId != 0 && widget_ids::kSlotWindows[slot] == parentId) return slot;
  }
  return -1;
}

Binding* CMainDlg::SlotBinding(int slot) const {
  const int mode = m_settings.m_nCurMode;
  if (mode < 0 || mode >= kModeCount || slot < 0 || slot >= kSlotCount) return nullptr;
  return &m_settings.m_currentProfile.At(BindingIndex(mode, slot));
}

QString CMainDlg::FunctionMenuName(int mode) {
  static const char* kMenus[kModeCount] = {"menuex_general", "menuex_internet", "menuex_Media", "menuex_presentation"};
  return mode >= 0 && mode < kModeCount ? QString::fromLatin1(kMenus[mode]) : QString();
}

void CMainDlg::ShowFunctionMenu(QWidget* sender) {
  const int mode = m_settings.m_nCurMode;
  if (mode < 0 || mode >= kModeCount) return;
  std::unique_ptr<vtui::SMenuEx> menu = vtui::SMenuEx::Load(FunctionMenuName(mode));
  if (!menu) return;
  const QPoint at = QCursor::pos();
  activateWindow();
  const int id = TrackFunctionMenu(*menu, at);
  if (!IsKnownFunctionId(id)) return;
  const int slot = SlotOf(sender);
  Binding* binding = SlotBinding(slot);
  if (!binding) return;
  if (id == 101 && binding->functionId == 101) EndPointerOverlay();
  m_settings.m_currentProfile.AssignFunction(BindingIndex(mode, slot), id);
  m_settings.m_currentProfile.Save();
  RefreshFunctionSlots();
  if (HasFunctionParameters(id)) EditSlotParameters(slot, id);
}

void CMainDlg::EditFunctionParameters(QWidget* sender) {
  const int slot = SlotOf(sender);
  const Binding* binding = SlotBinding(slot);
  if (!binding || !IsKnownFunctionId(binding->functionId)) return;
  if (HasFunctionParameters(binding->functionId)) EditSlotParameters(slot, binding->functionId);
}

bool CMainDlg::EditSlotParameters(int slot, int functionId) {
  Binding* binding = SlotBinding(slot);
  if (!binding) return false;
  activateWindow();
  Binding edited = *binding;
  if (!RunParameterDialog(functionId, edited)) return false;
  // A dialog returns only the parameter of its own function.
  switch (FindFunction(functionId)->parameters) {
    case FunctionParameters::PointerImage: binding->pointerImagePath = edited.pointerImagePath; break;
    case FunctionParameters::Application: binding->application = edited.application; break;
    case FunctionParameters::KeyCombination: binding->keys = edited.keys; break;
    case FunctionParameters::None: return false;
  }
  m_settings.m_currentProfile.Save();
  return true;
}

void CMainDlg::ClearFunctionSlot(QWidget* sender) {
  const int slot = SlotOf(sender);
  if (!SlotBinding(slot)) return;
  m_settings.m_currentProfile.ClearBinding(BindingIndex(m_settings.m_nCurMode, slot));
  m_settings.m_currentProfile.Save();
  RefreshFunctionSlots();
}

void CMainDlg::RefreshFunctionSlots() {
  const int mode = m_settings.m_nCurMode;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    QWidget* window = SlotWindow(slot);
    if (!window) continue;
    const int id = mode >= 0 && mode < kModeCount ? m_settings.m_currentProfile.At(BindingIndex(mode, slot)).functionId : 0;
    const bool known = IsKnownFunctionId(id);
    SetVisible(FindIn(window, u"funcbtn_set"), known && HasFunctionParameters(id));
    SetVisible(FindIn(window, u"funcbtn_close"), known);
    SetAttribute(FindIn(window, u"pngshow"), "skin", QString::fromStdWString(GetFunctionSkinName(id)));
  }
  RefreshModeLamps();
}

void CMainDlg::ToggleEnableGesture() {
  m_settings.m_benablegesture = !m_settings.m_benablegesture;
  m_settings.SaveGlobalSettings();
  SetChecked(FindChildByName(u"btnsettingPage_enablegesture"), m_settings.m_benablegesture);
}

void CMainDlg::OnDeviceEvent(int code) {
  if (code == kEventLinkChanged) {
    RefreshDeviceLabel();
    return;
  }
  const int slot = SlotOfEvent(code);
  if (slot < 0) return;
  // With gestures on, the second media key and the gesture key belong to the swipes.
  if ((code == kEventMediaKey2 || code == kEventGestureKey) && m_settings.m_benablegesture) return;
  PerformSlot(slot);
}

void CMainDlg::CloseDeviceWindows() {
  delete m_pRawInputWnd;
  m_pRawInputWnd = nullptr;
  delete m_pComWnd;
  m_pComWnd = nullptr;
}

void CMainDlg::ToggleLaunchAtStart() {
  const std::filesystem::path executable = QCoreApplication::applicationFilePath().toStdString();
  if (!platform::SetLaunchAtStart(!platform::IsLaunchAtStartRegistered(), executable)) {
    qCWarning(lcShell) << "launch at start could not be changed";
  }
  m_settings.m_blaunchstart = platform::IsLaunchAtStartRegistered();
  m_settings.SaveGlobalSettings();
  SetChecked(FindChildByName(u"btnsettingPage_launchstart"), m_settings.m_blaunchstart);
}

void CMainDlg::OnDeviceFound() { RunDeviceChooser(); }

void CMainDlg::RunDeviceChooser() {
  // A replug while the chooser is still open is answered by the one already there.
  if (m_choosingDevice) return;
  m_choosingDevice = true;
  const int styleBefore = m_settings.m_nDevStyeID;
  {
    MOUSEFUCTION::CDefaultDeviceChooserDialog chooser(m_settings);
    RunDialog(chooser, nullptr);
  }
  m_choosingDevice = false;
  // The model is kept at once: a choice that waited for the next save of some other setting
  // would be lost whenever the program ends before one.
  if (m_settings.m_nDevStyeID != styleBefore) m_settings.SaveGlobalSettings();
  RefreshDevicePictures();
  RefreshDeviceLabel();
}

bool CMainDlg::Confirmed(vtui::SHostDialog& dialog) {
  activateWindow();
  return RunDialog(dialog, this) == vtui::kDialogOk;
}

void CMainDlg::OnAddProfile() {
  MOUSEFUCTION::CNewProfileDialog dialog(this);
  if (Confirmed(dialog)) NewProfile(dialog.ProfileName());
}

void CMainDlg::OnDeleteProfile() {
  MOUSEFUCTION::CDelCurrentProfileDialog dialog(this);
  if (Confirmed(dialog)) DeleteCurrentProfile();
}

void CMainDlg::OnResetProfile() {
  MOUSEFUCTION::CResetToDefaultDialog dialog(this);
  if (Confirmed(dialog)) ResetToDefault();
}

void CMainDlg::NewProfile(const std::wstring& name) {
  if (name.empty() || !m_settings.IsNewProfileName(name)) return;
  CProfile& current = m_settings.m_currentProfile;
  current.Clear();
  current.SetName(name);
  current.Save();
  FillProfileComboboxes();
  RefreshFunctionSlots();
}

void CMainDlg::DeleteCurrentProfile() {
  CProfile& current = m_settings.m_currentProfile;
  if (current.Name() == kDefaultProfileName) return;
  const std::wstring deleted = current.Name();
  m_settings.DeleteProfile(deleted);
  m_settings.CopyDefaultToCurrent();
  current.SetName(kDefaultProfileName);
  // The next start must not look for the profile that is gone: it opens the default bindings.
  if (m_settings.m_strCurrentprofileName == deleted) {
    m_settings.m_strCurrentprofileName = kDefaultProfileName;
    m_settings.SaveGlobalSettings();
  }
  FillProfileComboboxes();
  RefreshFunctionSlots();
}

void CMainDlg::ResetToDefault() {
  m_settings.CopyDefaultToCurrent();
  m_settings.SaveGlobalSettings();
  m_settings.m_currentProfile.Save();
  RefreshFunctionSlots();
  RefreshModeLamps();
}

void CMainDlg::ShowInstance() {
  showNormal();
  raise();
  activateWindow();
}

void CMainDlg::PerformSlot(int slot) {
  if (m_runtime) m_runtime->PerformSlot(slot);
}

int CMainDlg::TrackFunctionMenu(vtui::SMenuEx& menu, QPoint globalPos) { return menu.Exec(globalPos); }

bool CMainDlg::RunParameterDialog(int functionId, Binding& binding) {
  switch (functionId) {
    case 101: {
      MOUSEFUCTION::CLaserPointSettingDialog dialog(this);
      dialog.SetImagePath(binding.pointerImagePath);
      if (RunDialog(dialog, this) != vtui::kDialogOk) return false;
      binding.pointerImagePath = dialog.ImagePath();
      return true;
    }
    case 206: {
      MOUSEFUCTION::CMyApplicationDialog dialog(this);
      dialog.SetApplication(binding.application.appPath, binding.application.bMultiInst);
      if (RunDialog(dialog, this) != vtui::kDialogOk) return false;
      binding.application.appPath = dialog.ApplicationPath();
      binding.application.bMultiInst = dialog.AllowMultipleInstances();
      return true;
    }
    case 302: {
      MOUSEFUCTION::CMouseCombkeyDialog dialog(this);
      dialog.SetKeys(binding.keys);
      if (RunDialog(dialog, this) != vtui::kDialogOk) return false;
      binding.keys = dialog.Keys();
      return true;
    }
    default: return false;
  }
}

int CMainDlg::RunDialog(vtui::SHostDialog& dialog, QWidget* owner) { return dialog.DoModal(owner); }

void CMainDlg::EndPointerOverlay() {
  if (m_runtime) m_runtime->EndPointerOverlay();
}

void CMainDlg::OpenMouseSettings() {
  if (!platform::OpenDesktopTarget(platform::DesktopTarget::MouseSettings)) {
    qCInfo(lcShell) << "no mouse settings program could be started";
  }
}

void CMainDlg::closeEvent(QCloseEvent* event) {
  // Closing hides: the program keeps running in the notification area.
  event->ignore();
  hide();
}

std::vector<QString> CMainDlg::SkinsNamedByCode() {
  std::vector<QString> skins{QString::fromLatin1(kLampOn), QString::fromLatin1(kLampOff),
                             QString::fromStdWString(std::wstring(kEmptySlotSkin))};
  for (const PictureRow& row : kPictures) {
    for (const char* skin : row.skins) skins.push_back(QString::fromLatin1(skin));
    skins.push_back(QString::fromLatin1(row.otherStyle));
  }
  return skins;
}
