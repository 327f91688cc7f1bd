// SPDX-License-Identifier: GPL-3.0-or-later
// The cursor concern on Windows: the display count, and click-through by WS_EX_TRANSPARENT on a
// real window.

#include "platform/cursor.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

TEST(CursorWindows, EveryHideNeedsItsOwnShow) {
  const int start = platform::CursorDisplayCount();
  const struct {
    bool show;
    int change;
  } steps[] = {{false, -1}, {false, -2}, {true, -1}, {true, 0}, {true, 1}, {false, 0}};
  for (const auto& step : steps) {
    EXPECT_EQ(platform::ShowCursor(step.show), start + step.change);
    EXPECT_EQ(platform::CursorDisplayCount(), start + step.change);
  }
}

TEST(CursorWindows, ClickThroughIsTheTransparentStyle) {
  HWND window = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"overlay", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  const auto native = reinterpret_cast<platform::NativeWindow>(window);
  EXPECT_FALSE(platform::IsClickThrough(native));
  EXPECT_TRUE(platform::SetClickThrough(native, true));
  EXPECT_TRUE(platform::IsClickThrough(native));
  EXPECT_NE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "other style bits stay";
  EXPECT_FALSE(platform::ToggleClickThrough(native));
  EXPECT_TRUE(platform::ToggleClickThrough(native));
  EXPECT_TRUE(platform::SetClickThrough(native, false));
  EXPECT_FALSE(platform::IsClickThrough(native));
  DestroyWindow(window);

  EXPECT_FALSE(platform::SetClickThrough(native, true)) << "a window that is gone";
  EXPECT_FALSE(platform::IsClickThrough(native));
  EXPECT_FALSE(platform::IsClickThrough(0));
}

}  // namespace
