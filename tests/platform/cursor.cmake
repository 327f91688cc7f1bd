# SPDX-License-Identifier: GPL-3.0-or-later
# The cursor concern against a private X server: the display count and click-through windows.
pkg_check_modules(CURSOR_TEST_X11 REQUIRED IMPORTED_TARGET x11 xext)
veltrio_add_test(NAME cursor_linux_test
  SOURCES CursorTest.cpp
  LIBS Veltrio::platform_cursor Veltrio::xclient PkgConfig::CURSOR_TEST_X11
  LABELS integration SANITIZE)
