// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fixed catalogue of the 37 functions a slot can be bound to. Profiles store the ids, the
// function menus list the entries, the slots show the icons, the action runtime performs them.
// Thread: any (the catalogue is constant data).

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The hundreds digit of a function id.
enum class FunctionGroup : int {
  GraphicTools = 1,
  Applications = 2,
  Keyboard = 3,
  Volume = 4,
  Windows = 5,
  Edit = 6,
  WebBrowsing = 7,
  Media = 8,
  Presenter = 9,
};

// What a binding stores for its function besides the id.
enum class FunctionParameters { None, PointerImage, Application, KeyCombination };

struct FunctionInfo {
  int32_t id;
  FunctionGroup group;
  std::wstring_view displayName;  // the menu text, never translated
  std::wstring_view skinName;     // single-state icon skin
  FunctionParameters parameters;
};

inline constexpr int32_t kNoFunction = 0;
inline constexpr std::wstring_view kEmptySlotSkin = L"skin_funcbtn_function";

// All 37 functions, in catalogue order (ids ascending within and across groups).
std::span<const FunctionInfo> FunctionCatalogue();

// The entry of `id`, or nullptr for 0 and every id outside the catalogue.
const FunctionInfo* FindFunction(int32_t id);

std::wstring GetFunctionSkinName(int32_t id);  // kEmptySlotSkin for unknown ids
bool IsKnownFunctionId(int32_t id);
bool HasFunctionParameters(int32_t id);         // 101, 206 and 302 only

// The image a skin draws: the leading "skin_" or "skin_png_" becomes "png_".
std::wstring SkinImageName(std::wstring_view skinName);

// The header text of a group in the function menus, exactly as shown (some begin with a blank).
std::wstring_view FunctionGroupTitle(FunctionGroup group);

// The nine groups in catalogue order.
std::span<const FunctionGroup> FunctionGroups();
