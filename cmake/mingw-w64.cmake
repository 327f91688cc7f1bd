# SPDX-License-Identifier: GPL-3.0-or-later
# Cross build for 64-bit Windows with MinGW-w64 (Debian's g++-mingw-w64-x86-64-posix: the
# POSIX thread model, which std::thread and std::mutex need).
#
#   cmake -S . -B build/win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
#
# Only the Qt-free targets are built (see the top-level CMakeLists.txt). The tests run under Wine:
# CTest starts each one through scripts/lib/wine-run, in the Wine prefix VELTRIO_WINEPREFIX
# (default: wineprefix/ in the build folder).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELTRIO_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELTRIO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELTRIO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELTRIO_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELTRIO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes and winpthread are linked in, so that the programs and devbridge.dll
# need no MinGW DLL beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/lib/wine-run)
