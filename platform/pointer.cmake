# SPDX-License-Identifier: GPL-3.0-or-later
# Raw pointer input of every mouse, for the overlays (XInput2 on Linux).
add_library(platform_pointer STATIC
  ${VELTRIO_OS}/rawpointer_${VELTRIO_OS}.cpp
)
target_link_libraries(platform_pointer PUBLIC Veltrio::platform_base PRIVATE Threads::Threads)
if(VELTRIO_OS STREQUAL "linux")
  pkg_check_modules(X11_XI REQUIRED IMPORTED_TARGET x11 xi)
  target_link_libraries(platform_pointer PRIVATE PkgConfig::X11_XI)
else()
  target_link_libraries(platform_pointer PRIVATE user32)
endif()
add_library(Veltrio::platform_pointer ALIAS platform_pointer)
