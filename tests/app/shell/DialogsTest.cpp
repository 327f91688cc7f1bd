// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's dialogs as a user works them: the Settings page's profile buttons, the
// parameter dialogs of 101, 206 and 302 opened from a function menu and from the set button,
// and the device chooser. Every dialog is the real one, run modally; the test clicks and types
// into it while it runs, then looks at the settings file.

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include "MainDlgFixture.h"
#include "actions/FunctionCatalogue.h"
#include "shell/DefaultDeviceChooserDialog.h"
#include "shell/LaserPointSettingDialog.h"
#include "shell/MouseCombkeyDialog.h"
#include "shell/MyApplicationDialog.h"
#include "settings/SettingsDocument.h"
#include "vtui/SComboBox.h"
#include "vtui/SGifPlayer.h"

namespace {

namespace fs = std::filesystem;
using Act = std::function<void(vtui::SHostDialog&)>;

QWidget* In(vtui::SHostDialog& d, const char* name) { return d.FindChildByName(QString::fromLatin1(name)); }

void ClickIn(vtui::SHostDialog& d, const char* name) {
  QWidget* widget = In(d, name);
  ASSERT_NE(widget, nullptr) << name;
  QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

// Presses keys into a box of a dialog the way a user does: the box has the focus first.
void TypeInto(vtui::SHostDialog& d, const char* name, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
  QWidget* box = In(d, name);
  ASSERT_NE(box, nullptr) << name;
  d.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
  box->setFocus(Qt::MouseFocusReason);
  ASSERT_TRUE(box->hasFocus());
  QTest::keyClick(box, key, modifiers);
}

// The open file picker, once it shows: the path typed into it and accepted, as a user does.
void PickInFileDialog(const QString& path) {
  QFileDialog* picker = nullptr;
  ASSERT_TRUE(QTest::qWaitFor([&] { return (picker = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) != nullptr; }));
  picker->selectFile(path);
  QMetaObject::invokeMethod(picker, "accept");
}

class DialogTest : public MainDlgTest {
 protected:
  void SetUp() override {
    MainDlgTest::SetUp();
    // The pictures folder lives in the home folder: this test's own.
    m_home = m_root / "home";
    fs::create_directories(m_home);
    m_oldHome = qEnvironmentVariable("HOME");
    ::setenv("HOME", m_home.c_str(), 1);
  }
  void TearDown() override {
    ::setenv("HOME", m_oldHome.toLocal8Bit().constData(), 1);
    MainDlgTest::TearDown();
  }

  // The next dialogs run for real: shown, then `act` inside their modal loop.
  void Answer(Act act) {
    dlg->runDialog = [act](vtui::SHostDialog& d) {
      QTimer::singleShot(0, &d, [&d, act] {
        if (QTest::qWaitForWindowExposed(&d)) act(d);
        if (d.IsRunning()) d.EndDialog(0);  // the act failed: never hang the test
      });
      return d.DoModal();
    };
  }

  QStringList BoxItems(vtui::SComboBox* box) const {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
  }
  std::string Current(vtui::SComboBox* box) const { return box->currentText().toStdString(); }

  // The stored profile `name`: its binding elements, or -1 when it is not stored.
  int StoredBindingCount(const char* name) const {
    const SettingsDocument file(GetSettingsFilePath());
    for (pugi::xml_node profile : file.Document().child("profilecfg").children("profile")) {
      if (std::string(profile.attribute("name").value()) != name) continue;
      int count = 0, bound = 0;
      for (pugi::xml_node binding : profile.children()) {
        ++count;
        if (binding.attribute("value").as_int() != 0) ++bound;
      }
      return bound == 0 ? count : -2;
    }
    return -1;
  }

  fs::path m_home;
  QString m_oldHome;
};

// --- the profile buttons ---------------------------------------------------------------------

TEST_F(DialogTest, AddingAProfileStoresItEmptyListsItInBothBoxesAndKeepsItCurrent) {
  Answer([](vtui::SHostDialog& d) {
    auto* edit = qobject_cast<QLineEdit*>(In(d, "edit"));
    ASSERT_NE(edit, nullptr);
    QTest::keyClicks(edit, "Lecture hall");
    ClickIn(d, "btn_OK");
  });
  Click(Find("btnsettingPage_add"));
  EXPECT_EQ(dlg->dialogsShown, std::vector<QString>{"New profile"});
  EXPECT_EQ(settings->m_currentProfile.Name(), L"Lecture hall");
  for (const Binding& b : settings->m_currentProfile.Bindings()) EXPECT_EQ(b, Binding{});
  EXPECT_EQ(StoredBindingCount("Lecture hall"), 44) << "stored at once, with 44 empty bindings";
  for (vtui::SComboBox* box : {dlg->ProfileCombox(), dlg->SettingProfileCombox()}) {
    EXPECT_EQ(BoxItems(box), QStringList{"Lecture hall"});
    EXPECT_EQ(Current(box), "Lecture hall");
  }
  EXPECT_EQ(settings->m_strCurrentprofileName, L"") << "the settings still name the profile last picked";
}

struct NameCase {
  const char* name;
  const char* typed;  // into the box, then "OK" (or Enter)
  bool confirmWithEnter;
  bool cancel;
  bool added;
};

class NewProfileName : public DialogTest, public ::testing::WithParamInterface<NameCase> {
 protected:
  void BeforeStart() override { ASSERT_TRUE(CProfile(L"Work").Save()); }
};

TEST_P(NewProfileName, IsAddedOnlyWhenNewAndConfirmed) {
  const NameCase& c = GetParam();
  const std::string before = ReadFile();
  Answer([&c](vtui::SHostDialog& d) {
    auto* edit = qobject_cast<QLineEdit*>(In(d, "edit"));
    ASSERT_NE(edit, nullptr);
    QTest::keyClicks(edit, c.typed);
    if (c.cancel) ClickIn(d, "btn_CANCEL");
    else if (c.confirmWithEnter) QTest::keyClick(edit, Qt::Key_Return);
    else ClickIn(d, "btn_OK");
  });
  Click(Find("btnsettingPage_add"));
  const QString expected = QString::fromUtf8(c.typed).trimmed();
  if (c.added) {
    EXPECT_EQ(QString::fromStdWString(settings->m_currentProfile.Name()), expected);
    EXPECT_EQ(StoredBindingCount(c.typed), 44);
    EXPECT_EQ(BoxItems(dlg->SettingProfileCombox()), (QStringList{"Work", expected}));
  } else {
    EXPECT_EQ(ReadFile(), before) << "nothing is written";
    EXPECT_EQ(settings->m_currentProfile.Name(), L"defalut");
    EXPECT_EQ(settings->m_currentProfile.At(0).functionId, 901) << "the bindings stay";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, NewProfileName,
    ::testing::Values(NameCase{"New", "Home", false, false, true}, NameCase{"NewWithEnter", "Home", true, false, true},
                      NameCase{"SameNameOtherCase", "work", false, false, true},
                      NameCase{"StoredName", "Work", false, false, false},
                      NameCase{"StoredNameWithBlanks", "  Work ", false, false, false},
                      NameCase{"Empty", "", false, false, false}, NameCase{"OnlyBlanks", "   ", false, false, false},
                      NameCase{"Cancelled", "Home", false, true, false},
                      NameCase{"DefaultNameNotStored", "defalut", false, false, true}),
    [](const ::testing::TestParamInfo<NameCase>& info) { return std::string(info.param.name); });

// "Work" stored with one binding and named by the settings, current since the start.
class StoredWorkProfile : public DialogTest {
 protected:
  void BeforeStart() override {
    CProfile work(L"Work");
    work.AssignFunction(BindingIndex(1, 4), 702);
    ASSERT_TRUE(work.Save());
    ASSERT_TRUE(CProfile(L"Home").Save());
    CGlobalSettings stored;
    stored.StartUp();
    stored.m_strCurrentprofileName = L"Work";
    ASSERT_TRUE(stored.SaveGlobalSettings());
  }
  void Confirm(const char* button) {
    Answer([](vtui::SHostDialog& d) { ClickIn(d, "btn_OK"); });
    Click(Find(button));
  }
};

TEST_F(StoredWorkProfile, DeletingTheCurrentProfileMakesTheDefaultsCurrentAndTheNextStartOpensThem) {
  ASSERT_EQ(settings->m_currentProfile.Name(), L"Work");
  Confirm("btnsettingPage_del");
  EXPECT_EQ(dlg->dialogsShown, std::vector<QString>{"Delete profile"});
  EXPECT_EQ(StoredBindingCount("Work"), -1) << "gone from the file";
  EXPECT_EQ(settings->m_currentProfile.Name(), L"defalut");
  EXPECT_EQ(settings->m_currentProfile.Bindings(), settings->m_defaultProfile.Bindings());
  EXPECT_EQ(StoredBindingCount("defalut"), -1) << "the default bindings are not written";
  EXPECT_EQ(BoxItems(dlg->SettingProfileCombox()), QStringList{"Home"});
  EXPECT_EQ(settings->m_strCurrentprofileName, L"defalut") << "the settings no longer name the deleted profile";

  CGlobalSettings next;
  next.StartUp();
  EXPECT_EQ(next.m_currentProfile.Name(), L"defalut");
  EXPECT_EQ(next.m_currentProfile.At(0).functionId, 901) << "media key 1 sends Page Up after the restart";
}

TEST_F(StoredWorkProfile, DeletingAProfileTheSettingsDoNotNameLeavesTheirName) {
  dlg->SettingProfileCombox()->setCurrentIndex(1);  // "Home", remembered in the settings
  ASSERT_EQ(settings->m_currentProfile.Name(), L"Home");
  settings->m_strCurrentprofileName = L"Work";  // as if the pick had been of another run
  Confirm("btnsettingPage_del");
  EXPECT_EQ(StoredBindingCount("Home"), -1);
  EXPECT_EQ(settings->m_strCurrentprofileName, L"Work");
}

TEST_F(StoredWorkProfile, DeletingIsRefusedForTheDefaultAndCancelChangesNothing) {
  Answer([](vtui::SHostDialog& d) { ClickIn(d, "btn_CANCEL"); });
  const std::string before = ReadFile();
  Click(Find("btnsettingPage_del"));
  EXPECT_EQ(ReadFile(), before);
  EXPECT_EQ(settings->m_currentProfile.Name(), L"Work");

  settings->m_currentProfile.SetName(L"defalut");
  Confirm("btnsettingPage_del");
  EXPECT_EQ(ReadFile(), before);
}

TEST_F(StoredWorkProfile, ResetKeepsTheNameAndStoresTheDefaultBindings) {
  Confirm("btnsettingPage_reset");
  EXPECT_EQ(dlg->dialogsShown, std::vector<QString>{"Reset to default"});
  EXPECT_EQ(settings->m_currentProfile.Name(), L"Work");
  CProfile stored(L"Work");
  ASSERT_TRUE(stored.Load());
  EXPECT_EQ(stored.Bindings(), settings->m_defaultProfile.Bindings());
  EXPECT_EQ(stored.At(BindingIndex(1, 4)).functionId, 0);
  EXPECT_EQ(Skin(InSlot(0, "pngshow")), QString::fromStdWString(GetFunctionSkinName(901)));
}

TEST_F(StoredWorkProfile, ResetClosedWithEscapeChangesNothing) {
  const std::string before = ReadFile();
  Answer([](vtui::SHostDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
  Click(Find("btnsettingPage_reset"));
  EXPECT_EQ(ReadFile(), before);
  EXPECT_EQ(settings->m_currentProfile.At(BindingIndex(1, 4)).functionId, 702);
}

// --- the custom key combination --------------------------------------------------------------

class CombkeyTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    dlg->dialog = nullptr;  // the real parameter dialogs
  }
};

TEST_F(CombkeyTest, PickedFromTheMenuTheChordIsCapturedInTheDialogAndStored) {
  Answer([](vtui::SHostDialog& d) {
    ClickIn(d, "btn_left_Ctrl");
    ClickIn(d, "btn_left_Shift");
    TypeInto(d, "edit_key1", Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    ClickIn(d, "btn_OK");
  });
  Bind(0, 302);
  EXPECT_EQ(dlg->dialogsShown, std::vector<QString>{"Custom key combination"});
  EXPECT_EQ(BindingOf(0, 0).keys, (KeyCombination{0x03, 0x4B, 0}));
  CProfile stored(settings->m_currentProfile.Name());
  ASSERT_TRUE(stored.Load());
  EXPECT_EQ(stored.At(0).keys, (KeyCombination{0x03, 0x4B, 0}));
}

struct KeyCase {
  const char* name;
  Qt::Key key;
  uint8_t stored;
  const char* shown;
};

class CapturedKey : public CombkeyTest, public ::testing::WithParamInterface<KeyCase> {};

// Only letters and digits become a key; any other key clears the box that has the focus.
TEST_P(CapturedKey, FillsOrClearsTheFocusedBox) {
  const KeyCase& c = GetParam();
  MOUSEFUCTION::CMouseCombkeyDialog d;
  d.SetKeys({0, 0x41, 0x42});
  QTimer::singleShot(0, &d, [&] {
    if (QTest::qWaitForWindowExposed(&d)) TypeInto(d, "edit_key2", c.key);
    d.EndDialog(vtui::kDialogOk);
  });
  ASSERT_EQ(d.DoModal(), vtui::kDialogOk);
  EXPECT_EQ(d.Keys(), (KeyCombination{0, 0x41, c.stored}));
  EXPECT_EQ(qobject_cast<QLineEdit*>(In(d, "edit_key2"))->text().toStdString(), c.shown);
  EXPECT_EQ(qobject_cast<QLineEdit*>(In(d, "edit_key1"))->text().toStdString(), "A") << "the other box keeps its key";
}

INSTANTIATE_TEST_SUITE_P(Keys, CapturedKey,
                         ::testing::Values(KeyCase{"Letter", Qt::Key_Z, 0x5A, "Z"}, KeyCase{"Digit", Qt::Key_7, 0x37, "7"},
                                           KeyCase{"FunctionKey", Qt::Key_F1, 0, ""},
                                           KeyCase{"Space", Qt::Key_Space, 0, ""},
                                           KeyCase{"Modifier", Qt::Key_Control, 0, ""},
                                           KeyCase{"Backspace", Qt::Key_Backspace, 0, ""}),
                         [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

TEST_F(CombkeyTest, TheSetButtonShowsTheStoredRecordAndCancelKeepsIt) {
  Bind(2, 302);
  BindingOf(0, 2).keys = {0x81, 0x70, 0x41};  // left Ctrl, right Windows key; F1 from a hand-edited file
  settings->m_currentProfile.Save();
  std::vector<bool> ticked;
  QString key1, key2;
  Answer([&](vtui::SHostDialog& d) {
    for (const char* box : {"btn_left_Ctrl", "btn_left_Shift", "btn_left_Alt", "btn_left_Winkey", "btn_right_Ctrl",
                            "btn_right_Shift", "btn_right_Alt", "btn_right_Winkey"}) {
      ticked.push_back(qobject_cast<QAbstractButton*>(In(d, box))->isChecked());
    }
    key1 = qobject_cast<QLineEdit*>(In(d, "edit_key1"))->text();
    key2 = qobject_cast<QLineEdit*>(In(d, "edit_key2"))->text();
    ClickIn(d, "btn_left_Alt");
    ClickIn(d, "btn_left_Ctrl");
    ClickIn(d, "btn_left_Ctrl");  // twice: as it was
    ClickIn(d, "btn_CANCEL");
  });
  dlg->EditFunctionParameters(InSlot(2, "funcbtn_set"));
  EXPECT_EQ(ticked, (std::vector<bool>{true, false, false, false, false, false, false, true}));
  EXPECT_EQ(key1, "F1");
  EXPECT_EQ(key2, "A");
  EXPECT_EQ(BindingOf(0, 2).keys, (KeyCombination{0x81, 0x70, 0x41})) << "cancelled: the binding stays";
}

TEST_F(CombkeyTest, ModifierClicksToggleTheirBitTwiceMeansUnchanged) {
  MOUSEFUCTION::CMouseCombkeyDialog d;
  QTimer::singleShot(0, &d, [&] {
    if (QTest::qWaitForWindowExposed(&d)) {
      ClickIn(d, "btn_right_Alt");
      ClickIn(d, "btn_left_Winkey");
      ClickIn(d, "btn_left_Winkey");
    }
    d.EndDialog(vtui::kDialogOk);
  });
  ASSERT_EQ(d.DoModal(), vtui::kDialogOk);
  EXPECT_EQ(d.Keys(), (KeyCombination{0x40, 0, 0}));
}

// --- my application and the laser pointer ----------------------------------------------------

TEST_F(CombkeyTest, MyApplicationTakesTheProgramFromThePickerAndTheFlag) {
  const fs::path program = m_root / "bin" / "slides";
  fs::create_directories(program.parent_path());
  std::ofstream(program) << "#!/bin/sh\n";
  fs::permissions(program, fs::perms::owner_all);
  bool pathTypable = true;
  Answer([&](vtui::SHostDialog& d) {
    pathTypable = !qobject_cast<QLineEdit*>(In(d, "edit"))->isReadOnly();
    QTimer::singleShot(0, [&] { PickInFileDialog(QString::fromStdString(program.string())); });
    ClickIn(d, "openfiledlgbtn");
    ClickIn(d, "check_AllowMultInstance");
    ClickIn(d, "okbtn");
  });
  Bind(1, 206);
  EXPECT_FALSE(pathTypable);
  EXPECT_EQ(dlg->dialogsShown, std::vector<QString>{"My application"});
  EXPECT_EQ(BindingOf(0, 1).application, (ApplicationEntry{true, program.wstring()}));
  CProfile stored(settings->m_currentProfile.Name());
  ASSERT_TRUE(stored.Load());
  EXPECT_EQ(stored.At(1).application, (ApplicationEntry{true, program.wstring()}));
}

TEST_F(CombkeyTest, MyApplicationPickedThenCancelledLeavesTheBinding) {
  Bind(1, 206);
  BindingOf(0, 1).application = {false, L"/usr/bin/true"};
  settings->m_currentProfile.Save();
  Answer([&](vtui::SHostDialog& d) {
    QTimer::singleShot(0, [] { PickInFileDialog(QStringLiteral("/bin/sh")); });
    ClickIn(d, "openfiledlgbtn");
    ClickIn(d, "canclebtn");
  });
  dlg->EditFunctionParameters(InSlot(1, "funcbtn_set"));
  EXPECT_EQ(BindingOf(0, 1).application, (ApplicationEntry{false, L"/usr/bin/true"}));
}

TEST_F(CombkeyTest, LaserPointerDefaultImageLiesInThePicturesFolderAndIsProvided) {
  std::string shownPath;
  Answer([&](vtui::SHostDialog& d) {
    // Typed text is never read back.
    QTest::keyClicks(In(d, "edit"), "/typed/elsewhere.png");
    ClickIn(d, "defaultbtn");
    shownPath = qobject_cast<QLineEdit*>(In(d, "edit"))->text().toStdString();
    ClickIn(d, "okbtn");
  });
  Bind(0, 101);
  const fs::path expected = m_home / "Pictures" / "Veltrio" / "defaultpointer.png";
  EXPECT_EQ(dlg->dialogsShown, std::vector<QString>{"Laser pointer"});
  EXPECT_EQ(BindingOf(0, 0).pointerImagePath, expected.wstring());
  EXPECT_EQ(shownPath, expected.string());
  EXPECT_FALSE(QImage(QString::fromStdString(expected.string())).isNull()) << "the default image is there to show";
}

TEST_F(CombkeyTest, LaserPointerImageFromThePickerAndTypedTextIgnored) {
  const fs::path image = m_root / "dot.png";
  QImage dot(16, 16, QImage::Format_ARGB32);
  dot.fill(Qt::green);
  ASSERT_TRUE(dot.save(QString::fromStdString(image.string())));
  Answer([&](vtui::SHostDialog& d) {
    QTimer::singleShot(0, [&] { PickInFileDialog(QString::fromStdString(image.string())); });
    ClickIn(d, "openfiledlgbtn");
    QTest::keyClicks(In(d, "edit"), "x");
    ClickIn(d, "okbtn");
  });
  Bind(0, 101);
  EXPECT_EQ(BindingOf(0, 0).pointerImagePath, image.wstring());

  // Confirmed right after the menu without browsing: empty, the overlay's own image.
  Answer([](vtui::SHostDialog& d) { ClickIn(d, "okbtn"); });
  Bind(0, 101);
  EXPECT_EQ(BindingOf(0, 0).pointerImagePath, L"");
}

// --- the device chooser ----------------------------------------------------------------------

class ChooserTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    ResetStatus();
  }
  void TearDown() override {
    ResetStatus();
    DialogTest::TearDown();
  }
  static void ResetStatus() {
    DeviceStatus.bLinked = false;
    DeviceStatus.nModelId = 0;
  }
};

TEST_F(ChooserTest, AReportedModelIsTakenAndTheChooserClosesByItselfAfterASecond) {
  g_bDevicePresent = true;
  DeviceStatus.bLinked = true;
  DeviceStatus.nModelId = 3;
  bool closedAtOnce = true;
  dlg->runDialog = [&](vtui::SHostDialog& d) {
    QTimer::singleShot(300, &d, [&] { closedAtOnce = !d.IsRunning(); });
    return d.DoModal();
  };
  dlg->RunDeviceChooser();
  EXPECT_FALSE(closedAtOnce) << "it stays a moment, so the user sees the model";
  EXPECT_EQ(settings->m_nDevStyeID, 3);
  EXPECT_EQ(Skin(Find("img_mousepic")), "skin_mouseC_msC");
  EXPECT_EQ(Skin(Find("pagegestures_img_bk")), "skin_pagegestures_imgC_bk");
  CGlobalSettings next;
  next.StartUp();
  EXPECT_EQ(next.m_nDevStyeID, 3) << "the model is kept for the next start";
}

struct ChooserCase {
  const char* name;
  bool linked;
  int reportedModel;
  const char* click;  // null: closed with Escape
  int style;
  const char* label;
};

class ChooserByHand : public ChooserTest, public ::testing::WithParamInterface<ChooserCase> {};

// Without a usable report the chooser waits for the user.
TEST_P(ChooserByHand, WaitsForAClickOrKeepsTheStyleWhenClosed) {
  const ChooserCase& c = GetParam();
  g_bDevicePresent = true;
  DeviceStatus.bLinked = c.linked;
  DeviceStatus.nModelId = static_cast<uint8_t>(c.reportedModel);
  Answer([&c](vtui::SHostDialog& d) {
    QTest::qWait(3 * MOUSEFUCTION::CDefaultDeviceChooserDialog::kPollMs);
    ASSERT_TRUE(d.IsRunning()) << "still waiting";
    if (c.click) ClickIn(d, c.click);
    else QTest::keyClick(&d, Qt::Key_Escape);
  });
  dlg->RunDeviceChooser();
  EXPECT_EQ(settings->m_nDevStyeID, c.style);
  EXPECT_EQ(dlg->FindChildByName(u"DevName")->property("text").toString().toStdString(), c.label);
}

INSTANTIATE_TEST_SUITE_P(
    Reports, ChooserByHand,
    ::testing::Values(ChooserCase{"NoReportClickA", false, 0, "btn_mouseA", 1, ""},
                      ChooserCase{"UnknownModelClickC", true, 7, "btn_mouseC", 3, ""},
                      ChooserCase{"NotLinkedClickB", false, 1, "btn_mouseB", 2, "Tarsel Remote"},
                      ChooserCase{"ClosedKeepsTheStyle", false, 0, nullptr, 2, "Tarsel Remote"}),
    [](const ::testing::TestParamInfo<ChooserCase>& info) { return std::string(info.param.name); });

TEST_F(ChooserTest, OnlyOneChooserAtATime) {
  g_bDevicePresent = true;
  int nested = 0;
  Answer([&](vtui::SHostDialog& d) {
    dlg->runDialog = [&](vtui::SHostDialog&) { return ++nested, vtui::kDialogCancel; };
    dlg->OnDeviceFound();  // a replug while the chooser is open
    ClickIn(d, "btn_mouseA");
  });
  dlg->OnDeviceFound();
  EXPECT_EQ(nested, 0);
  EXPECT_EQ(settings->m_nDevStyeID, 1);
}

}  // namespace
