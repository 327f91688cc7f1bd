// SPDX-License-Identifier: GPL-3.0-or-later
// The function catalogue and its look-ups.

#include "actions/FunctionCatalogue.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(CatalogueTest, HoldsThirtySevenFunctionsInCatalogueOrder) {
  auto catalogue = FunctionCatalogue();
  ASSERT_EQ(catalogue.size(), 37u);
  for (size_t i = 1; i < catalogue.size(); ++i) EXPECT_LT(catalogue[i - 1].id, catalogue[i].id);
  std::set<std::wstring_view> skins;
  for (const FunctionInfo& f : catalogue) {
    EXPECT_EQ(static_cast<int>(f.group), f.id / 100) << f.id;
    EXPECT_EQ(HasFunctionParameters(f.id), f.parameters != FunctionParameters::None) << f.id;
    EXPECT_FALSE(f.displayName.empty()) << f.id;
    skins.insert(f.skinName);
  }
  EXPECT_EQ(skins.size(), 37u) << "every function has an icon of its own";
}

TEST(CatalogueTest, LookUps) {
  struct Case { int32_t id; bool known; const wchar_t* skin; bool parameters; };
  const Case cases[] = {
      {0, false, L"skin_funcbtn_function", false},
      {100, false, L"skin_funcbtn_function", false},
      {908, false, L"skin_funcbtn_function", false},
      {-101, false, L"skin_funcbtn_function", false},
      {101, true, L"skin_menux_msfuncs_LaserPointer", true},
      {206, true, L"skin_menux_msfuncs_MyApplication", true},
      {302, true, L"skin_menux_msfuncs_Customkey", true},
      {502, true, L"skin_menux_msfuncs_Previrousapllication", false},
      {903, true, L"skin_png_menux_msfuncs_balckscreen01", false},
      {907, true, L"skin_png_menux_msfuncs_Undo", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsKnownFunctionId(c.id), c.known) << c.id;
    EXPECT_EQ(GetFunctionSkinName(c.id), c.skin) << c.id;
    EXPECT_EQ(HasFunctionParameters(c.id), c.parameters) << c.id;
  }
}

TEST(CatalogueTest, BrowserAndHomepageDifferInNameAndIcon) {
  ASSERT_TRUE(FindFunction(201) && FindFunction(701));
  EXPECT_NE(FindFunction(201)->displayName, FindFunction(701)->displayName);
  EXPECT_NE(FindFunction(201)->skinName, FindFunction(701)->skinName);
}

TEST(CatalogueTest, SkinImageNames) {
  EXPECT_EQ(SkinImageName(L"skin_png_menux_msfuncs_Pageup"), L"png_menux_msfuncs_Pageup");
  EXPECT_EQ(SkinImageName(L"skin_menux_msfuncs_Email"), L"png_menux_msfuncs_Email");
  EXPECT_EQ(SkinImageName(kEmptySlotSkin), L"png_funcbtn_function");
}

TEST(CatalogueTest, GroupTitles) {
  std::vector<std::wstring_view> titles;
  for (FunctionGroup g : FunctionGroups()) titles.push_back(FunctionGroupTitle(g));
  EXPECT_EQ(titles, (std::vector<std::wstring_view>{L"Graphic tools", L" Applications", L" Keyboard", L" Volume",
                                                    L"Windows", L"Edit", L" Web browsing", L" Media", L" Presenter"}));
}

}  // namespace
