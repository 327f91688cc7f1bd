# SPDX-License-Identifier: GPL-3.0-or-later
# veltrio_target_os(<out_var>)
#
# The operating system the build targets, as the name of its backend folder and file suffix:
# "linux" (platform/linux/*_linux.cpp) or "windows" (platform/windows/*_windows.cpp). The one
# place the OS is chosen; the platform layer, the overlays and their tests pick their backend
# files by the name it gives.
function(veltrio_target_os out_var)
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    set(${out_var} linux PARENT_SCOPE)
  elseif(CMAKE_SYSTEM_NAME STREQUAL "Windows")
    set(${out_var} windows PARENT_SCOPE)
  else()
    message(FATAL_ERROR "Veltrio builds for Linux and Windows, not for ${CMAKE_SYSTEM_NAME}")
  endif()
endfunction()
