// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/cursor.h"

#include <windows.h>

#include <mutex>

namespace platform {
namespace {

std::mutex g_lock;
int g_count = 0;  // the process's count; user32 keeps its own, which follows the same calls

}  // namespace

int ShowCursor(bool show) {
  std::lock_guard lock(g_lock);
  ::ShowCursor(show ? TRUE : FALSE);
  g_count += show ? 1 : -1;
  return g_count;
}

int CursorDisplayCount() {
  std::lock_guard lock(g_lock);
  return g_count;
}

bool IsClickThrough(NativeWindow window) {
  HWND handle = reinterpret_cast<HWND>(window);
  if (!IsWindow(handle)) return false;
  return (GetWindowLongPtrW(handle, GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0;
}

bool SetClickThrough(NativeWindow window, bool through) {
  std::lock_guard lock(g_lock);
  HWND handle = reinterpret_cast<HWND>(window);
  if (!IsWindow(handle)) return false;
  const LONG_PTR style = GetWindowLongPtrW(handle, GWL_EXSTYLE);
  const LONG_PTR wanted = through ? (style | WS_EX_TRANSPARENT) : (style & ~static_cast<LONG_PTR>(WS_EX_TRANSPARENT));
  if (wanted == style) return true;
  SetLastError(0);
  if (SetWindowLongPtrW(handle, GWL_EXSTYLE, wanted) == 0 && GetLastError() != 0) return false;
  return true;
}

bool ToggleClickThrough(NativeWindow window) {
  const bool through = !IsClickThrough(window);
  SetClickThrough(window, through);
  return IsClickThrough(window);
}

}  // namespace platform
