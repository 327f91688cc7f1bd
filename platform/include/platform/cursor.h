// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The mouse cursor of the overlays: counted hiding, and windows that let clicks through.
//
// Cursor display count: one process-wide counter, 0 at start. ShowCursor(true) raises it by one,
// ShowCursor(false) lowers it by one; the cursor is shown while the count is 0 or more and hidden
// while it is negative, so every hide needs its own show. Windows: the user32 call of that name.
// Linux (X11): XFixes hides the cursor on every screen when the count drops below 0 and shows it
// when it climbs back to 0; the server shows it again by itself when the process ends.
//
// Click-through: a top-level native window (an X11 window id, an HWND on Windows) passes mouse
// clicks to whatever lies beneath it. Windows: the extended style bit WS_EX_TRANSPARENT. Linux:
// the window's X input shape, emptied for click-through and reset to the window's own shape.
//
// Thread: any; the calls are serialised. Failure: without a display (no X server, or a server
// without XFixes or the shape extension) the counter still counts and nothing else happens; a
// window that does not exist leaves the state unchanged. Warnings go to "veltrio.cursor".

#include <cstdint>

namespace platform {

// Changes the display count and returns its new value.
int ShowCursor(bool show);

// The current display count, without changing it.
int CursorDisplayCount();

using NativeWindow = std::uintptr_t;

// True when `window` lets mouse clicks through now.
bool IsClickThrough(NativeWindow window);

// Makes `window` let clicks through or take them; false when the window could not be changed.
bool SetClickThrough(NativeWindow window, bool through);

// Flips the window's click-through state and returns the new one: called twice, the window is
// as it was before.
bool ToggleClickThrough(NativeWindow window);

}  // namespace platform
