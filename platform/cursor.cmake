# SPDX-License-Identifier: GPL-3.0-or-later
# Counted cursor hiding and click-through windows of the overlays.
add_library(platform_cursor STATIC ${VELTRIO_OS}/cursor_${VELTRIO_OS}.cpp)
target_link_libraries(platform_cursor PUBLIC Veltrio::platform_base)
if(VELTRIO_OS STREQUAL "linux")
  # XFixes for hiding the cursor, the shape extension (libXext) for the input shape.
  pkg_check_modules(CURSOR_X11 REQUIRED IMPORTED_TARGET x11 xfixes xext)
  target_link_libraries(platform_cursor PRIVATE PkgConfig::CURSOR_X11 Threads::Threads)
else()
  target_link_libraries(platform_cursor PRIVATE user32)
endif()
add_library(Veltrio::platform_cursor ALIAS platform_cursor)
