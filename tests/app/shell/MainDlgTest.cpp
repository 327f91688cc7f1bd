// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as a user drives it: pages, modes and lamps, the profile boxes, binding and
// clearing slots through the function menus, the gesture switch, the device label, and the
// device events that perform the bound functions.

#include <QTimer>
#include <set>

#include "MainDlgFixture.h"
#include "actions/FunctionCatalogue.h"
#include "vtui/SCheckBox.h"
#include "vtui/SComboBox.h"
#include "vtui/SImageButton.h"
#include "vtui/SText.h"
#include "vtui/STabCtrl.h"

namespace {

using widget_ids::kPageButtons;
using widget_ids::kPageGestures;
using widget_ids::kPageSettings;

const char* const kModeButtons[4] = {"btn_general", "btn_internet", "btn_mediaplayer", "btn_presentation"};

bool Checked(QWidget* w) {
  auto* button = qobject_cast<QAbstractButton*>(w);
  return button && button->isChecked();
}

// Whether a widget shows when its page and window do (the tests mostly keep the window hidden).
bool Shown(QWidget* w) { return w && !w->isHidden(); }

TEST_F(MainDlgTest, StartsOnTheSettingsPageWithModeOneAndTheDeviceWindows) {
  EXPECT_EQ(dlg->CurrentPageIndex(), 2);
  EXPECT_TRUE(Checked(Find("btn_settings")));
  EXPECT_FALSE(Checked(Find("btn_buttons")));
  for (const char* name : kModeButtons) EXPECT_FALSE(Shown(Find(name))) << name;
  EXPECT_FALSE(Shown(Find("ProfileCombox")));
  EXPECT_FALSE(Shown(Find("Profiletext")));
  EXPECT_FALSE(Shown(Find("DevName")));
  EXPECT_FALSE(Shown(Find("img_devMSpic")));
  EXPECT_EQ(dlg->deviceWindowsCreated, 1);
  EXPECT_EQ(g_hMainWnd, dlg.get());
  EXPECT_TRUE(Checked(Find("btn_general")));
  EXPECT_EQ(Skin(Find("btn_general2")), "skin_lamps_pngOn");
  EXPECT_EQ(Skin(Find("btn_internet2")), "skin_lamps_pngOff");
  EXPECT_FALSE(dlg->isVisible());
}

TEST_F(MainDlgTest, PageButtonsLeadToSettingsWithoutADevice) {
  Click(Find("btn_buttons"));
  EXPECT_EQ(dlg->CurrentPageIndex(), 2);
  Click(Find("btn_gestures"));
  EXPECT_EQ(dlg->CurrentPageIndex(), 2);
  EXPECT_TRUE(Checked(Find("btn_settings")));
}

TEST_F(MainDlgTest, PageButtonsSwitchPagesWithADevice) {
  g_bDevicePresent = true;
  struct Case {
    const char* button;
    int index;
    bool modesShown;
  } cases[] = {{"btn_buttons", 0, true}, {"btn_gestures", 1, true}, {"btn_settings", 2, false}, {"btn_buttons", 0, true}};
  for (const Case& c : cases) {
    Click(Find(c.button));
    EXPECT_EQ(dlg->CurrentPageIndex(), c.index) << c.button;
    for (const char* page : {"btn_buttons", "btn_gestures", "btn_settings"}) {
      EXPECT_EQ(Checked(Find(page)), std::string(page) == c.button) << c.button << " " << page;
    }
    for (const char* mode : kModeButtons) EXPECT_EQ(Shown(Find(mode)), c.modesShown) << c.button;
    EXPECT_EQ(Shown(Find("ProfileCombox")), c.modesShown);
    EXPECT_EQ(Shown(Find("Profiletext")), c.modesShown);
  }
  // An id that is no page keeps the tab.
  dlg->SwitchPage(12345);
  EXPECT_EQ(dlg->CurrentPageIndex(), 0);
}

TEST_F(MainDlgTest, ButtonBoxAndArrowSelectTheirModeAndLightItsLamp) {
  for (const char* part : {"", "1", "3"}) {
    for (int mode : {2, 0, 3, 1}) {
      Click(Find((std::string(kModeButtons[mode]) + part).c_str()));
      EXPECT_EQ(settings->m_nCurMode, mode) << part;
      for (int other = 0; other < 4; ++other) {
        EXPECT_EQ(Checked(Find(kModeButtons[other])), other == mode);
        EXPECT_EQ(Skin(Find((std::string(kModeButtons[other]) + "2").c_str())),
                  other == mode ? "skin_lamps_pngOn" : "skin_lamps_pngOff");
      }
    }
  }
}

TEST_F(MainDlgTest, TheLampGivesNoEvent) {
  g_bDevicePresent = true;
  Click(Find("btn_buttons"));
  dlg->ShowInstance();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
  QWidget* lamp = Find("btn_mediaplayer2");
  EXPECT_FALSE(dlg->DispatchCommand(lamp));
  QTest::mouseClick(lamp, Qt::LeftButton);
  EXPECT_EQ(settings->m_nCurMode, 0);
  // The box around it does select the mode.
  QWidget* box = Find("btn_mediaplayer1");
  QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(19, 4));
  EXPECT_EQ(settings->m_nCurMode, 2);
}

TEST_F(MainDlgTest, DeviceLabelFollowsStyleAndPresence) {
  struct Case {
    int style;
    bool present;
    const char* text;
    const char* color;
  } cases[] = {
      {1, true, "", "#000000f0"},
      {2, true, "Tarsel Remote", "#000000f0"},
      {3, true, "", "#000000f0"},
      {9, true, "kept", "#000000f0"},
      {2, false, "no device connected", "#FF0000f0"},
      {1, false, "no device connected", "#FF0000f0"},
  };
  auto* label = Find<vtui::SText>("DevName");
  for (const Case& c : cases) {
    label->setText("kept");
    settings->m_nDevStyeID = c.style;
    g_bDevicePresent = c.present;
    Click(Find("btn_buttons"));
    dlg->OnDeviceEvent(kEventLinkChanged);
    EXPECT_EQ(label->text().toStdString(), c.text) << c.style << c.present;
    EXPECT_EQ(label->colorText().toStdString(), c.color) << c.style << c.present;
    EXPECT_EQ(dlg->CurrentPageIndex(), c.present ? 0 : 2) << "without a device the Settings page shows";
    EXPECT_FALSE(Shown(label));
  }
}

TEST_F(MainDlgTest, PicturesFollowTheDeviceStyle) {
  struct Case {
    int style;
    const char* model;
    const char* gestures;
  } cases[] = {{1, "A", "skin_pagegestures_img_bk"}, {2, "B", "skin_pagegestures_imgB_bk"},
               {3, "C", "skin_pagegestures_imgC_bk"}, {0, "B", "skin_pagegestures_img_bk"}};
  for (const Case& c : cases) {
    settings->m_nDevStyeID = c.style;
    dlg->RefreshDevicePictures();
    const std::string m = c.model;
    EXPECT_EQ(Skin(Find("img_mousepic")).toStdString(), "skin_mouse" + m + "_ms" + m);
    EXPECT_EQ(Skin(Find("img_devMSpic")).toStdString(), "skin_mouse" + m + "_ms" + m);
    for (int k = 1; k <= 3; ++k) {
      EXPECT_EQ(Skin(Find(("img_mediabtn" + std::to_string(k)).c_str())).toStdString(),
                "skin_mouse" + m + "_ms" + m + "_mediakey" + std::to_string(k));
    }
    EXPECT_EQ(Skin(Find("pagegestures_img_bk")).toStdString(), c.gestures);
    EXPECT_FALSE(Shown(Find("img_devMSpic")));
  }
}

TEST_F(MainDlgTest, CloseHidesAndTheCaptionButtonsHideAndMinimise) {
  dlg->ShowInstance();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
  dlg->close();
  EXPECT_FALSE(dlg->isVisible());
  dlg->ShowInstance();
  Click(Find("btn_close"));
  EXPECT_FALSE(dlg->isVisible());
  dlg->ShowInstance();
  Click(Find("btn_mini"));
  EXPECT_TRUE(dlg->isMinimized());
  Click(Find("btnsettingPage_change"));
  EXPECT_EQ(dlg->mouseSettingsOpened, 1);
}

// ----------------------------------------------------------------------------- profiles

class ProfileBoxTest : public MainDlgTest {
 protected:
  void BeforeStart() override {
    for (auto [name, id] : {std::pair{L"Work", 901}, std::pair{L"Slides", 902}, std::pair{L"Web", 703}}) {
      CProfile profile(name);
      profile.AssignFunction(BindingIndex(0, 0), id);
      ASSERT_TRUE(profile.Save());
    }
    CGlobalSettings stored;
    stored.StartUp();
    stored.m_strCurrentprofileName = L"Slides";
    ASSERT_TRUE(stored.SaveGlobalSettings());
  }
  static QStringList Items(vtui::SComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
  }
};

TEST_F(ProfileBoxTest, BothBoxesListTheStoredProfilesWithTheCurrentOneSelected) {
  for (vtui::SComboBox* box : {dlg->ProfileCombox(), dlg->SettingProfileCombox()}) {
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(Items(box), (QStringList{"Work", "Slides", "Web"}));
    EXPECT_EQ(box->currentIndex(), 1);
  }
  EXPECT_EQ(Skin(InSlot(0, "pngshow")).toStdString(), "skin_png_menux_msfuncs_Pagedown");
}

TEST_F(ProfileBoxTest, PickingTheCurrentProfileSavesNothing) {
  const std::string before = ReadFile();
  EXPECT_FALSE(dlg->OnProfileComboxSelChange(1));
  EXPECT_FALSE(dlg->OnSettingProfileCbxSelChange(1));
  EXPECT_EQ(ReadFile(), before);
}

TEST_F(ProfileBoxTest, PickingAnotherProfileInEitherBoxLoadsItSavesItsNameAndMovesTheOther) {
  struct Case {
    bool settingsBox;
    int index;
    const wchar_t* name;
    const char* skin;
  } cases[] = {{true, 0, L"Work", "skin_png_menux_msfuncs_Pageup"},
               {false, 2, L"Web", "skin_menux_msfuncs_Previous"},
               {true, 1, L"Slides", "skin_png_menux_msfuncs_Pagedown"}};
  for (const Case& c : cases) {
    vtui::SComboBox* picked = c.settingsBox ? dlg->SettingProfileCombox() : dlg->ProfileCombox();
    vtui::SComboBox* other = c.settingsBox ? dlg->ProfileCombox() : dlg->SettingProfileCombox();
    picked->setCurrentIndex(c.index);  // as the user's pick does, through the selection change
    EXPECT_EQ(other->currentIndex(), c.index);
    EXPECT_EQ(settings->m_strCurrentprofileName, c.name);
    EXPECT_EQ(settings->m_currentProfile.Name(), c.name);
    EXPECT_EQ(Skin(InSlot(0, "pngshow")).toStdString(), c.skin);
    CGlobalSettings reread;
    reread.StartUp();
    EXPECT_EQ(reread.m_strCurrentprofileName, c.name);
  }
}

TEST_F(MainDlgTest, NoStoredProfilesLeaveBothBoxesEmptyWithNoSelection) {
  EXPECT_EQ(dlg->ProfileCombox()->count(), 0);
  EXPECT_EQ(dlg->ProfileCombox()->currentIndex(), -1);
  EXPECT_EQ(dlg->SettingProfileCombox()->count(), 0);
}

// ----------------------------------------------------------------------------- slots and menus

class SlotTest : public MainDlgTest {
 protected:
  void BeforeStart() override {
    CGlobalSettings stored;
    stored.StartUp();
    stored.m_strCurrentprofileName = L"Mine";
    ASSERT_TRUE(stored.SaveGlobalSettings());
    ASSERT_TRUE(CProfile(L"Mine").Save());
  }
  // The binding as the settings file has it now.
  static Binding Stored(int mode, int slot) {
    CGlobalSettings reread;
    reread.StartUp();
    return reread.m_currentProfile.At(BindingIndex(mode, slot));
  }
};

// Drives the real menu with the keyboard: opens group `group`, picks its item `item`.
void PickFromMenu(int group, int item, QStringList* groupTitles, std::vector<std::vector<int>>* ids) {
  QTimer::singleShot(50, [=] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    for (QAction* a : menu->actions()) {
      if (a->isSeparator()) continue;
      if (groupTitles) *groupTitles << a->text();
      if (ids) {
        ids->emplace_back();
        for (QAction* f : a->menu()->actions()) ids->back().push_back(f->data().toInt());
      }
    }
    QList<QAction*> groups;
    for (QAction* a : menu->actions())
      if (!a->isSeparator()) groups << a;
    menu->setActiveAction(groups[group]);
    QTest::keyClick(menu, Qt::Key_Right);
    QTimer::singleShot(50, [=] {
      auto* sub = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      ASSERT_NE(sub, nullptr);
      sub->setActiveAction(sub->actions()[item]);
      QTest::keyClick(sub, Qt::Key_Return);
    });
  });
}

TEST_F(SlotTest, EachModesMenuHasItsGroupOrderAndBindsThroughTheRealMenu) {
  const QStringList base{"Graphic tools", " Applications", " Keyboard", " Volume", "Windows",
                         "Edit", " Web browsing", " Media", " Presenter"};
  struct Case {
    int mode;
    const char* front;
    int slot;
    int expectedId;  // the first function of the front group
  } cases[] = {{0, "Graphic tools", 4, 101}, {1, " Web browsing", 0, 701}, {2, " Media", 7, 801}, {3, "Windows", 10, 501}};
  for (const Case& c : cases) {
    dlg->SelectMode(c.mode);
    QStringList titles;
    std::vector<std::vector<int>> ids;
    PickFromMenu(0, 0, &titles, &ids);
    dlg->ShowFunctionMenu(InSlot(c.slot, "pngshow"));

    QStringList expected = base;
    expected.removeAll(QString::fromLatin1(c.front));
    expected.prepend(QString::fromLatin1(c.front));
    EXPECT_EQ(titles, expected) << "mode " << c.mode;
    ASSERT_EQ(ids.size(), 9u);
    for (size_t g = 0; g < ids.size(); ++g) {
      std::vector<int> catalogue;
      for (const FunctionInfo& f : FunctionCatalogue()) {
        if (QString::fromStdWString(std::wstring(FunctionGroupTitle(f.group))) == titles[g]) catalogue.push_back(f.id);
      }
      EXPECT_EQ(ids[g], catalogue) << "mode " << c.mode << " group " << titles[g].toStdString();
    }
    EXPECT_EQ(BindingOf(c.mode, c.slot).functionId, c.expectedId);
    EXPECT_EQ(Stored(c.mode, c.slot).functionId, c.expectedId);
    EXPECT_EQ(Skin(InSlot(c.slot, "pngshow")).toStdString(),
              std::string(QString::fromStdWString(GetFunctionSkinName(c.expectedId)).toStdString()));
  }
  // Each mode keeps its own binding of the same slot.
  EXPECT_EQ(BindingOf(0, 4).functionId, 101);
  EXPECT_EQ(BindingOf(1, 4).functionId, 0);
}

TEST_F(SlotTest, SmallButtonsShowByFunction) {
  struct Case {
    int id;
    bool set;
    bool close;
  } cases[] = {{901, false, true}, {101, true, true}, {206, true, true}, {302, true, true},
               {801, false, true}, {0, false, false}, {999, false, false}};
  for (const Case& c : cases) {
    BindingOf(0, 5).functionId = c.id;
    dlg->RefreshFunctionSlots();
    EXPECT_EQ(Shown(InSlot(5, "funcbtn_set")), c.set) << c.id;
    EXPECT_EQ(Shown(InSlot(5, "funcbtn_close")), c.close) << c.id;
    EXPECT_EQ(Skin(InSlot(5, "pngshow")), QString::fromStdWString(GetFunctionSkinName(c.id))) << c.id;
  }
  EXPECT_EQ(Skin(InSlot(5, "pngshow")), "skin_funcbtn_function");
}

TEST_F(SlotTest, ClearingRemovesTheBindingAndItsParameters) {
  Bind(2, 302);
  BindingOf(0, 2).keys = {1, 0x41, 0};
  settings->m_currentProfile.Save();
  dlg->ClearFunctionSlot(InSlot(2, "funcbtn_close"));
  EXPECT_EQ(BindingOf(0, 2), Binding{});
  EXPECT_EQ(Stored(0, 2), Binding{});
  EXPECT_EQ(Skin(InSlot(2, "pngshow")), "skin_funcbtn_function");
  EXPECT_FALSE(Shown(InSlot(2, "funcbtn_set")));
  EXPECT_FALSE(Shown(InSlot(2, "funcbtn_close")));
}

TEST_F(SlotTest, ADismissedMenuOrAnUnknownIdChangesNothing) {
  Bind(0, 901);
  const std::string before = ReadFile();
  for (int id : {0, 12345, -1, 100}) {
    Bind(0, id);
    EXPECT_EQ(BindingOf(0, 0).functionId, 901) << id;
  }
  EXPECT_EQ(ReadFile(), before);
  // A click outside any slot finds no slot.
  dlg->menuChoice = [](vtui::SMenuEx&) { return 902; };
  dlg->ShowFunctionMenu(Find("btn_mini"));
  EXPECT_EQ(ReadFile(), before);
}

TEST_F(SlotTest, PickingAFunctionWithParametersClearsThemAndOpensItsDialog) {
  Bind(1, 302);
  BindingOf(0, 1).keys = {2, 0x42, 0x43};
  settings->m_currentProfile.Save();
  dlg->dialogsRun.clear();
  Bind(1, 302);  // picked again: the old keys go, the dialog opens empty and is cancelled
  EXPECT_EQ(dlg->dialogsRun, std::vector<int>{302});
  EXPECT_EQ(BindingOf(0, 1).keys, KeyCombination{});
  EXPECT_EQ(Stored(0, 1).functionId, 302);
  EXPECT_EQ(Stored(0, 1).keys, KeyCombination{});

  // Confirmed, only the function's own parameter is taken and saved.
  dlg->dialog = [](int, Binding& b) {
    b.pointerImagePath = L"/pictures/dot.png";
    b.keys = {1, 2, 3};
    return true;
  };
  Bind(3, 101);
  EXPECT_EQ(dlg->pointerOverlaysEnded, 0);
  EXPECT_EQ(Stored(0, 3).pointerImagePath, L"/pictures/dot.png");
  EXPECT_EQ(Stored(0, 3).keys, KeyCombination{});
  Bind(3, 101);  // 101 over 101 ends the running pointer first
  EXPECT_EQ(dlg->pointerOverlaysEnded, 1);

  dlg->dialogsRun.clear();
  Bind(4, 901);
  EXPECT_TRUE(dlg->dialogsRun.empty());
}

TEST_F(SlotTest, TheSetButtonReopensTheDialogAndCancelKeepsTheSlot) {
  Bind(6, 206);
  BindingOf(0, 6).application = {true, L"/usr/bin/true"};
  settings->m_currentProfile.Save();
  Binding seen;
  dlg->dialogsRun.clear();
  dlg->dialog = [&seen](int, Binding& b) {
    seen = b;
    b.application = {false, L"/changed"};
    return false;
  };
  dlg->EditFunctionParameters(InSlot(6, "funcbtn_set"));
  EXPECT_EQ(dlg->dialogsRun, std::vector<int>{206});
  EXPECT_EQ(seen.application, (ApplicationEntry{true, L"/usr/bin/true"}));
  EXPECT_EQ(Stored(0, 6).application, (ApplicationEntry{true, L"/usr/bin/true"}));

  Bind(6, 901);
  dlg->dialogsRun.clear();
  dlg->EditFunctionParameters(InSlot(6, "funcbtn_set"));
  EXPECT_TRUE(dlg->dialogsRun.empty());
}

TEST_F(SlotTest, GesturesToggleWithTheCheckBoxAndAreSaved) {
  g_bDevicePresent = true;
  Click(Find("btn_gestures"));
  dlg->ShowInstance();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
  auto* box = Find<vtui::SCheckBox>("btnsettingPage_enablegesture");
  for (bool expected : {true, false, true}) {
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(settings->m_benablegesture, expected);
    EXPECT_EQ(box->isChecked(), expected);
    CGlobalSettings reread;
    reread.StartUp();
    EXPECT_EQ(reread.m_benablegesture, expected);
  }
}

// ----------------------------------------------------------------------------- device events

TEST_F(SlotTest, DeviceEventsPerformTheirSlotInTheCurrentMode) {
  // Eleven functions that differ in the keys they send.
  const int functions[11] = {901, 902, 402, 403, 404, 801, 802, 803, 804, 702, 703};
  const int mode = 2;
  dlg->SelectMode(mode);
  for (int slot = 0; slot < 11; ++slot) Bind(slot, functions[slot]);

  auto keysOfSlot = [&](int slot) {
    RecordingKeyInjector reference;
    CActionRuntime direct(*settings, reference);
    direct.SetKeyWait([] {});
    direct.PerformSlot(slot);
    return reference.Text();
  };
  std::set<std::string> distinct;
  for (int slot = 0; slot < 11; ++slot) distinct.insert(keysOfSlot(slot));
  ASSERT_EQ(distinct.size(), 11u) << "every slot must send keys of its own";
  struct Case {
    int code;
    int slot;  // -1: nothing happens
    bool gestures;
  } cases[] = {
      {2, 0, false},  {3, 1, false},  {4, 2, false},  {5, 1, false},  {6, 5, false},  {7, 7, false},
      {8, 4, false},  {9, 8, false},  {10, 6, false}, {11, 9, false}, {12, 3, false}, {13, 10, false},
      {3, -1, true},  {5, -1, true},  {2, 0, true},   {4, 2, true},   {6, 5, true},   {0, -1, false},
      {14, -1, false}, {-3, -1, false}, {1, -1, false},
  };
  for (const Case& c : cases) {
    settings->m_benablegesture = c.gestures;
    keys.steps.clear();
    dlg->OnDeviceEvent(c.code);
    EXPECT_EQ(keys.Text(), c.slot < 0 ? std::string() : keysOfSlot(c.slot)) << "code " << c.code;
    if (c.slot >= 0) {
      EXPECT_FALSE(keys.Text().empty());
    }
  }
  // The same event in another mode performs that mode's binding: none here.
  dlg->SelectMode(0);
  keys.steps.clear();
  dlg->OnDeviceEvent(2);
  EXPECT_EQ(keys.Text(), "");
}

TEST_F(SlotTest, DeviceEventsArePerformedWhileTheWindowIsHidden) {
  Bind(0, 902);
  dlg->hide();
  dlg->OnDeviceEvent(kEventMediaKey1);
  EXPECT_FALSE(keys.Text().empty());
}

}  // namespace
