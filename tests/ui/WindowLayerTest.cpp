// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "vtui/NamedIdTable.h"
#include "vtui/SHostWnd.h"
#include "vtui/SImage.h"
#include "vtui/SImageButton.h"
#include "vtui/SMenuEx.h"
#include "vtui/SkinTable.h"

namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "ui_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

QString Write(const QTemporaryDir& dir, const char* name, const char* text) {
  const QString path = dir.filePath(QString::fromLatin1(name));
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text);
  return path;
}

TEST(SkinStates, WidgetStatesPickFrames) {
  using namespace vtui;
  struct Case {
    int states;
    std::vector<int> map;
    int widgetState;
    int frame;
  } cases[] = {
      {4, {}, kStateHover, 1},
      {4, {}, kStateDisabled, 3},
      {3, {}, kStateDisabled, 2},                       // clamped to the last frame
      {4, {}, kStateChecked | kStateHover, kStatePushed},  // checked looks pushed without a map
      {8, {}, kStateChecked | kStateHover, 5},
      {2, {1, 1, 1, 1}, kStateNormal, 1},
      {2, {1, 1, 1, 1}, kStateChecked | kStatePushed, 1},  // short map: its last entry
      {4, {0, 1, 2, 0, 3, 3, 3, 3}, kStateChecked, 3},
      {2, {5}, kStateNormal, 1},                        // map beyond the strip: clamped
      {1, {}, kStateHover, 0},
  };
  for (const Case& c : cases) {
    SkinInfo info;
    info.states = c.states;
    info.stateMap = c.map;
    EXPECT_EQ(info.FrameFor(c.widgetState), c.frame) << c.states << " " << c.widgetState;
  }
}

TEST(SkinTableFile, ReadsKindsAndKeepsTheTableOnBadInput) {
  App();
  QTemporaryDir dir;
  vtui::SkinTable table;
  ASSERT_TRUE(table.Load(Write(dir, "good.xml", R"(<skin>
      <imglist name="a" src="img_a" states="3" statemap="0,1,2" margin="4"/>
      <imgframe name="b" src="img_b" fit="contain"/>
      <colorrect name="c" normal="#112233" hover="#445566" radius="3"/>
      <unknownkind name="d" src="x"/>
    </skin>)")));
  ASSERT_NE(table.Find(u"a"), nullptr);
  EXPECT_EQ(table.Find(u"a")->states, 3);
  EXPECT_EQ(table.Find(u"a")->margin, QMargins(4, 4, 4, 4));
  EXPECT_TRUE(table.Find(u"b")->keepAspect);
  EXPECT_EQ(table.Find(u"c")->colors[1], QColor("#445566"));
  EXPECT_EQ(table.Find(u"c")->colors[2], QColor("#112233"));  // unset states take the normal colour
  EXPECT_EQ(table.Find(u"d"), nullptr);

  for (const char* bad : {"<skin><imglist name=\"x\"", "<notaskin/>", ""}) {
    EXPECT_FALSE(table.Load(Write(dir, "bad.xml", bad))) << bad;
    EXPECT_NE(table.Find(u"a"), nullptr) << "a bad file leaves the table as it was";
  }
  EXPECT_FALSE(table.Load(dir.filePath("missing.xml")));

  // Unknown skins and images that do not load draw nothing and do not crash.
  QImage image(20, 20, QImage::Format_ARGB32);
  QPainter painter(&image);
  EXPECT_FALSE(table.Draw(painter, image.rect(), u"nope", 0));
  EXPECT_FALSE(table.Draw(painter, image.rect(), u"a", 0));
  EXPECT_TRUE(table.Draw(painter, image.rect(), u"c", 0));
}

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    static const vtui::NamedId ids[] = {{"ok", 70001}, {"shared", 70002}, {"other", 70003}};
    vtui::NamedIdTable::Install(ids);
  }
};

class Host : public vtui::SHostWnd {
 public:
  Host() {
    auto* a = new vtui::SImageButton(this);
    a->setObjectName("ok");
    auto* panel = new QWidget(this);
    auto* b = new vtui::SImageButton(panel);
    b->setObjectName("b_1");
    b->setProperty("name", "shared");
    auto* c = new vtui::SImageButton(panel);
    c->setObjectName("c_2");
    c->setProperty("name", "shared");
    image = new vtui::SImage(this);
    image->setObjectName("other");
    InitLayout();
  }
  vtui::SImage* image;
};

TEST_F(HostTest, FindsByNameAndIdAndTakesSharedLayoutNames) {
  Host host;
  QWidget* ok = host.FindChildByName(u"ok");
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(host.FindChildById(70001), ok);
  EXPECT_EQ(vtui::SHostWnd::IdOf(ok), 70001);
  EXPECT_EQ(host.findChildren<QWidget*>("shared").size(), 2);
  EXPECT_EQ(host.FindChildById(70002), host.findChildren<QWidget*>("shared").first());
  EXPECT_EQ(host.FindChildByName(u"missing"), nullptr);
  EXPECT_EQ(host.FindChildById(12), nullptr);
  EXPECT_EQ(vtui::SHostWnd::FindIn(nullptr, u"ok"), nullptr);
}

TEST_F(HostTest, ClicksGoToTheNameHandlerBeforeTheIdHandler) {
  Host host;
  std::vector<std::string> calls;
  host.OnCommand(QStringLiteral("ok"), [&](QWidget*) { calls.push_back("name ok"); });
  host.OnCommand(70001, [&](QWidget*) { calls.push_back("id ok"); });
  host.OnCommand(70002, [&](QWidget* w) { calls.push_back("id shared " + w->parentWidget()->objectName().toStdString()); });
  qobject_cast<QAbstractButton*>(host.FindChildByName(u"ok"))->click();
  for (QWidget* shared : host.findChildren<QWidget*>("shared")) qobject_cast<QAbstractButton*>(shared)->click();
  EXPECT_EQ(calls, (std::vector<std::string>{"name ok", "id shared ", "id shared "}));
  EXPECT_FALSE(host.DispatchCommand(host.image)) << "a widget without a handler is not handled";
  EXPECT_FALSE(host.DispatchCommand(nullptr));
}

TEST_F(HostTest, AttributesAreSetByName) {
  Host host;
  QWidget* ok = host.FindChildByName(u"ok");
  EXPECT_TRUE(vtui::SHostWnd::SetAttribute(ok, "skin", "skin_x"));
  EXPECT_EQ(ok->property("skin").toString(), "skin_x");
  EXPECT_TRUE(vtui::SHostWnd::SetAttribute(ok, "colorText", "#FF0000f0"));
  EXPECT_EQ(vtui::ParseColor("#FF0000f0"), QColor(255, 0, 0, 240));
  EXPECT_FALSE(vtui::SHostWnd::SetAttribute(ok, "noSuchAttribute", "1"));
  EXPECT_FALSE(vtui::SHostWnd::SetAttribute(nullptr, "skin", "x"));
}

TEST(Menus, BuiltFromADescription) {
  App();
  QTemporaryDir dir;
  auto menu = vtui::SMenuEx::LoadFile(Write(dir, "m.xml", R"(<menuRoot itemHeight="28" width="138" itemSkin="s_item">
      <menuItem text="Group"><menuItem id="7" icon="s_icon" text="Seven" fontSize="10"/></menuItem>
      <sep/>
      <menuItem id="9" text="Nine"/>
    </menuRoot>)"));
  ASSERT_NE(menu, nullptr);
  const QList<QAction*> actions = menu->Menu()->actions();
  ASSERT_EQ(actions.size(), 3);
  ASSERT_NE(actions[0]->menu(), nullptr);
  EXPECT_EQ(actions[0]->menu()->actions()[0]->data().toInt(), 7);
  EXPECT_EQ(actions[0]->menu()->actions()[0]->font().pixelSize(), 10);
  EXPECT_TRUE(actions[1]->isSeparator());
  EXPECT_EQ(actions[2]->data().toInt(), 9);
  EXPECT_EQ(menu->Look().width, 138);
  EXPECT_EQ(menu->Menu()->width(), 138);
  EXPECT_EQ(menu->SkinNames(), (std::vector<QString>{"s_icon", "s_item"}));

  EXPECT_EQ(vtui::SMenuEx::LoadFile(dir.filePath("missing.xml")), nullptr);
  EXPECT_EQ(vtui::SMenuEx::LoadFile(Write(dir, "bad.xml", "<menuRoot><menuItem text=\"x\">")), nullptr);
  EXPECT_EQ(vtui::SMenuEx::LoadFile(Write(dir, "other.xml", "<layout/>")), nullptr);
}

}  // namespace
