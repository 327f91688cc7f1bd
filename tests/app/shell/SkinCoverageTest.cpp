// SPDX-License-Identifier: GPL-3.0-or-later
// Every skin that a layout, a menu, the catalogue or the code names has an entry in the skin
// table, and every entry draws an image of the resources that loads.

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <set>

#include "MainDlgFixture.h"
#include "actions/FunctionCatalogue.h"
#include "vtui/SkinTable.h"

namespace {

QString ResourceFolder() { return qEnvironmentVariable("VELTRIO_RESOURCES", QStringLiteral("app/resources")); }

// The skins the forms set: skin="..." and btnSkin="..." properties.
std::set<QString> SkinsOfLayouts() {
  std::set<QString> skins;
  const QDir layouts(ResourceFolder() + "/layouts");
  const QRegularExpression property(R"re(<property name="(?:skin|btnSkin)"[^>]*>\s*<string>([^<]+)</string>)re");
  for (const QString& name : layouts.entryList({"*.ui"})) {
    QFile file(layouts.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    const QString text = QString::fromUtf8(file.readAll());
    for (const auto& match : property.globalMatch(text)) skins.insert(match.captured(1));
  }
  EXPECT_GT(skins.size(), 30u) << "the forms were not found under " << ResourceFolder().toStdString();
  return skins;
}

class SkinCoverageTest : public MainDlgTest {};

TEST_F(SkinCoverageTest, EverySkinOfTheTableDrawsAnImageThatLoads) {
  const vtui::SkinTable& table = vtui::SkinTable::Instance();
  ASSERT_GT(table.Names().size(), 80);
  for (const QString& name : table.Names()) {
    const vtui::SkinInfo* info = table.Find(name);
    if (info->kind == vtui::SkinKind::ColorRect) continue;
    EXPECT_TRUE(vtui::SkinTable::ImageExists(info->image)) << name.toStdString() << " -> " << info->image.toStdString();
    QSvgRenderer svg(vtui::SkinTable::ImagePath(info->image));
    EXPECT_TRUE(svg.isValid()) << info->image.toStdString();
    EXPECT_FALSE(table.FrameSize(name).isEmpty()) << name.toStdString();
  }
}

TEST_F(SkinCoverageTest, EverySkinNamedAnywhereIsInTheTable) {
  std::set<QString> named = SkinsOfLayouts();
  for (const char* menu : {"menuex_general", "menuex_internet", "menuex_Media", "menuex_presentation", "menu_tray"}) {
    auto loaded = vtui::SMenuEx::Load(QString::fromLatin1(menu));
    ASSERT_NE(loaded, nullptr) << menu;
    for (const QString& skin : loaded->SkinNames()) named.insert(skin);
  }
  for (const FunctionInfo& function : FunctionCatalogue()) named.insert(QString::fromStdWString(std::wstring(function.skinName)));
  for (const QString& skin : CMainDlg::SkinsNamedByCode()) named.insert(skin);
  // And whatever the live window's widgets carry after every style and a binding per slot.
  for (int style : {1, 2, 3, 0}) {
    settings->m_nDevStyeID = style;
    dlg->RefreshDevicePictures();
    for (QWidget* widget : dlg->findChildren<QWidget*>()) {
      for (const char* attribute : {"skin", "btnSkin"}) {
        const QString skin = widget->property(attribute).toString();
        if (!skin.isEmpty()) named.insert(skin);
      }
    }
  }
  for (const QString& skin : named) {
    EXPECT_NE(vtui::SkinTable::Instance().Find(skin), nullptr) << "skin without an image: " << skin.toStdString();
  }
}

}  // namespace
