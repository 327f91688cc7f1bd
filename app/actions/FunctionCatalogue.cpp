// SPDX-License-Identifier: GPL-3.0-or-later
#include "FunctionCatalogue.h"

#include <algorithm>
#include <array>

namespace {

using G = FunctionGroup;
using P = FunctionParameters;

constexpr std::array<FunctionInfo, 37> kCatalogue{{
    {101, G::GraphicTools, L"Laser Pointer", L"skin_menux_msfuncs_LaserPointer", P::PointerImage},
    {201, G::Applications, L"Veltrio", L"skin_menux_msfuncs_veltrio", P::None},
    {202, G::Applications, L"Web Browser", L"skin_menux_msfuncs_WebBrowser", P::None},
    {203, G::Applications, L"Email", L"skin_menux_msfuncs_Email", P::None},
    {204, G::Applications, L"Search", L"skin_menux_msfuncs_Search", P::None},
    {205, G::Applications, L"Multimedia", L"skin_menux_msfuncs_Multimedia", P::None},
    {206, G::Applications, L"My Application", L"skin_menux_msfuncs_MyApplication", P::Application},
    {301, G::Keyboard, L"Keyboard", L"skin_menux_msfuncs_Keyboard", P::None},
    {302, G::Keyboard, L"Customkey", L"skin_menux_msfuncs_Customkey", P::KeyCombination},
    {401, G::Volume, L"Air Volume", L"skin_menux_msfuncs_AirVolume", P::None},
    {402, G::Volume, L"Increase Volume", L"skin_menux_msfuncs_IncreaseVolume", P::None},
    {403, G::Volume, L"Decrease Volume", L"skin_menux_msfuncs_DecreaseVolume", P::None},
    {404, G::Volume, L"Muter Volume", L"skin_menux_msfuncs_MuterVolume", P::None},
    {501, G::Windows, L"Next application", L"skin_menux_msfuncs_Nextapplication", P::None},
    {502, G::Windows, L"Previous application", L"skin_menux_msfuncs_Previrousapllication", P::None},
    {503, G::Windows, L"Close application", L"skin_menux_msfuncs_Closeapplication", P::None},
    {504, G::Windows, L"Desktop", L"skin_menux_msfuncs_Desktop", P::None},
    {601, G::Edit, L"Copy Text", L"skin_menux_msfuncs_CopyText", P::None},
    {602, G::Edit, L"Cut Text", L"skin_menux_msfuncs_CutText", P::None},
    {603, G::Edit, L"Paste Text", L"skin_menux_msfuncs_PasteText", P::None},
    {604, G::Edit, L"Print screen", L"skin_menux_msfuncs_Printscreen", P::None},
    {701, G::WebBrowsing, L"Homepage", L"skin_menux_msfuncs_Homepage", P::None},
    {702, G::WebBrowsing, L"Next", L"skin_menux_msfuncs_Next", P::None},
    {703, G::WebBrowsing, L"Previous", L"skin_menux_msfuncs_Previous", P::None},
    {704, G::WebBrowsing, L"Refresh", L"skin_menux_msfuncs_Refresh", P::None},
    {705, G::WebBrowsing, L"Bookmarks", L"skin_menux_msfuncs_Bookmarks", P::None},
    {801, G::Media, L"Play / Pause", L"skin_menux_msfuncs_PlayPause", P::None},
    {802, G::Media, L"Stop", L"skin_menux_msfuncs_Stop", P::None},
    {803, G::Media, L"Next track", L"skin_menux_msfuncs_Nexttrack", P::None},
    {804, G::Media, L"Previous track", L"skin_menux_msfuncs_Previoustrack", P::None},
    {901, G::Presenter, L"Page Up", L"skin_png_menux_msfuncs_Pageup", P::None},
    {902, G::Presenter, L"Page Down", L"skin_png_menux_msfuncs_Pagedown", P::None},
    {903, G::Presenter, L"Blackscreen", L"skin_png_menux_msfuncs_balckscreen01", P::None},
    {904, G::Presenter, L"Fullscreen", L"skin_png_menux_msfuncs_Fullscreen01", P::None},
    {905, G::Presenter, L"Exit", L"skin_png_menux_msfuncs_Exit", P::None},
    {906, G::Presenter, L"Pen", L"skin_png_menux_msfuncs_pen01", P::None},
    {907, G::Presenter, L"Undo", L"skin_png_menux_msfuncs_Undo", P::None},
}};

constexpr std::array kGroups{G::GraphicTools, G::Applications, G::Keyboard, G::Volume, G::Windows,
                             G::Edit,         G::WebBrowsing,  G::Media,    G::Presenter};

}  // namespace

std::span<const FunctionInfo> FunctionCatalogue() { return kCatalogue; }

std::span<const FunctionGroup> FunctionGroups() { return kGroups; }

const FunctionInfo* FindFunction(int32_t id) {
  auto it = std::find_if(kCatalogue.begin(), kCatalogue.end(), [id](const FunctionInfo& f) { return f.id == id; });
  return it == kCatalogue.end() ? nullptr : &*it;
}

std::wstring GetFunctionSkinName(int32_t id) {
  const FunctionInfo* info = FindFunction(id);
  return std::wstring(info ? info->skinName : kEmptySlotSkin);
}

bool IsKnownFunctionId(int32_t id) { return FindFunction(id) != nullptr; }

bool HasFunctionParameters(int32_t id) { return id == 101 || id == 206 || id == 302; }

std::wstring SkinImageName(std::wstring_view skinName) {
  for (std::wstring_view prefix : {std::wstring_view(L"skin_png_"), std::wstring_view(L"skin_")}) {
    if (skinName.starts_with(prefix)) return L"png_" + std::wstring(skinName.substr(prefix.size()));
  }
  return std::wstring(skinName);
}

std::wstring_view FunctionGroupTitle(FunctionGroup group) {
  switch (group) {
    case G::GraphicTools: return L"Graphic tools";
    case G::Applications: return L" Applications";
    case G::Keyboard: return L" Keyboard";
    case G::Volume: return L" Volume";
    case G::Windows: return L"Windows";
    case G::Edit: return L"Edit";
    case G::WebBrowsing: return L" Web browsing";
    case G::Media: return L" Media";
    case G::Presenter: return L" Presenter";
  }
  return {};
}
