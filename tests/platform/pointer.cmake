# SPDX-License-Identifier: GPL-3.0-or-later
# Raw pointer input: needs the X server of scripts/test (skipped without one).
pkg_check_modules(POINTER_TEST_XTST REQUIRED IMPORTED_TARGET x11 xtst)
veltrio_add_test(NAME rawpointer_linux_test
  SOURCES RawPointerLinuxTest.cpp
  LIBS Veltrio::platform_pointer Veltrio::remotesim PkgConfig::POINTER_TEST_XTST
  LABELS integration SANITIZE
  TIMEOUT 60)
