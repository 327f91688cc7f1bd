// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The numeric id of every widget name of the program's layouts, and the ids the windows'
// handlers use. The table is installed once, before the first window is created.

#include <span>

#include "vtui/NamedIdTable.h"

namespace widget_ids {

inline constexpr int kNameStart = 65535;  // marker entry "_name_start"

inline constexpr int kPageButtons = 65539;
inline constexpr int kPageGestures = 65540;
inline constexpr int kPageSettings = 65541;

inline constexpr int kProfileCombox = 65562;
inline constexpr int kSettingProfileCbx = 65623;

// The slot windows, by slot index.
inline constexpr int kSlotWindows[11] = {65596, 65602, 65604, 65610, 65611, 65612, 65613, 65614, 65615, 65616, 65617};

// The 94 entries, sorted by name.
std::span<const vtui::NamedId> Table();

// Hands the table to the window layer.
void Install();

}  // namespace widget_ids
