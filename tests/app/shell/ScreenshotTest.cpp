// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the finished windows, for a reviewer: the three pages with a bound profile and an
// open function menu. Written to VELTRIO_SCREENSHOTS (printed by the test).

#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QTimer>

#include "MainDlgFixture.h"
#include "shell/DefaultDeviceChooserDialog.h"
#include "shell/LaserPointSettingDialog.h"
#include "shell/MouseCombkeyDialog.h"
#include "shell/MyApplicationDialog.h"
#include "shell/ProfileDialogs.h"
#include "vtui/STabCtrl.h"

namespace {

QString ShotFolder() {
  QString folder = qEnvironmentVariable("VELTRIO_SCREENSHOTS", QDir::temp().filePath("veltrio-screenshots"));
  QDir().mkpath(folder);
  return folder;
}

// The window on a neutral backdrop, with any open popups drawn where they are on screen.
QImage Shot(QWidget* window, const std::vector<QWidget*>& popups = {}) {
  QRect area = window->frameGeometry();
  for (QWidget* popup : popups) area |= popup->frameGeometry();
  area.adjust(-24, -24, 24, 24);
  QImage image(area.size(), QImage::Format_ARGB32);
  image.fill(QColor("#8e97a8"));
  QPainter painter(&image);
  painter.drawPixmap(window->frameGeometry().topLeft() - area.topLeft(), window->grab());
  for (QWidget* popup : popups) painter.drawPixmap(popup->frameGeometry().topLeft() - area.topLeft(), popup->grab());
  return image;
}

class ScreenshotTest : public MainDlgTest {
 protected:
  void BeforeStart() override {
    for (const wchar_t* name : {L"Keynote", L"Lecture hall", L"Video night"}) ASSERT_TRUE(CProfile(name).Save());
    CGlobalSettings stored;
    stored.StartUp();
    stored.m_strCurrentprofileName = L"Keynote";
    stored.m_benablegesture = true;
    ASSERT_TRUE(stored.SaveGlobalSettings());
  }
  void BindSample() {
    const int buttons[3] = {901, 902, 101};
    for (int slot = 0; slot < 3; ++slot) Bind(slot, buttons[slot]);
    const int swipes[8] = {703, 702, 402, 403, 801, 803, 804, 504};
    for (int slot = 3; slot < 11; ++slot) Bind(slot, swipes[slot - 3]);
    ClearSlot(10);
  }
  void ClearSlot(int slot) { dlg->ClearFunctionSlot(InSlot(slot, "funcbtn_close")); }
  void Save(const QImage& image, const char* name) {
    const QString path = QDir(ShotFolder()).filePath(QString::fromLatin1(name));
    ASSERT_TRUE(image.save(path)) << path.toStdString();
    std::printf("screenshot: %s\n", qPrintable(path));
  }
};

TEST_F(ScreenshotTest, ThreePagesWithABoundProfile) {
  BindSample();
  g_bDevicePresent = true;
  dlg->ShowInstance();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
  Click(Find("btn_buttons"));
  Save(Shot(dlg.get()), "page-buttons.png");
  Click(Find("btn_gestures"));
  Save(Shot(dlg.get()), "page-gestures.png");
  Click(Find("btn_settings"));
  Save(Shot(dlg.get()), "page-settings.png");
}

TEST_F(ScreenshotTest, OpenFunctionMenu) {
  BindSample();
  g_bDevicePresent = true;
  dlg->ShowInstance();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
  Click(Find("btn_buttons"));
  Click(Find("btn_presentation"));
  QWidget* picture = InSlot(1, "pngshow");
  QCursor::setPos(picture->mapToGlobal(picture->rect().center()));
  QImage image;
  // While the menu runs: open the first group, take the picture, then dismiss everything.
  QTimer::singleShot(200, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QAction* group = menu->actions().value(0);
    menu->setActiveAction(group);
    QTimer::singleShot(400, [&, menu, group] {
      QMenu* sub = group->menu();
      sub->setActiveAction(sub->actions().value(2));
      QTest::qWait(100);
      image = Shot(dlg.get(), {menu, sub});
      sub->close();
      menu->close();
    });
  });
  dlg->menuChoice = nullptr;
  dlg->ShowFunctionMenu(picture);
  ASSERT_FALSE(image.isNull());
  Save(image, "function-menu.png");
}

// Each dialog as it opens over the window, filled as a user would have it.
TEST_F(ScreenshotTest, EveryDialog) {
  auto shoot = [&](vtui::SHostDialog& dialog, const char* name) {
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    Save(Shot(&dialog), name);
    dialog.hide();
  };
  MOUSEFUCTION::CNewProfileDialog newProfile;
  newProfile.NameEdit()->setText(QStringLiteral("Lecture hall"));
  shoot(newProfile, "dialog-new-profile.png");
  MOUSEFUCTION::CDelCurrentProfileDialog deleteProfile;
  shoot(deleteProfile, "dialog-delete-profile.png");
  MOUSEFUCTION::CResetToDefaultDialog reset;
  shoot(reset, "dialog-reset-to-default.png");
  MOUSEFUCTION::CMouseCombkeyDialog combkey;
  combkey.SetKeys({0x03, 0x4B, 0x70});
  shoot(combkey, "dialog-custom-key.png");
  MOUSEFUCTION::CMyApplicationDialog application;
  application.SetApplication(L"/usr/share/applications/org.kde.okular.desktop", true);
  shoot(application, "dialog-my-application.png");
  MOUSEFUCTION::CLaserPointSettingDialog pointer;
  pointer.SetImagePath(L"/home/teacher/Pictures/Veltrio/defaultpointer.png");
  shoot(pointer, "dialog-laser-pointer.png");
  MOUSEFUCTION::CDefaultDeviceChooserDialog chooser(*settings);
  shoot(chooser, "dialog-device-chooser.png");
}

}  // namespace
