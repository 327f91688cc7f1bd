# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows backends of the platform layer under Wine, against the real Win32 calls: HID and
# hotplug, raw input, the cursor and window styles, master volume.
veltrio_add_test(NAME hid_windows_test
  SOURCES HidWindowsTest.cpp
  LIBS Veltrio::platform_hid Veltrio::platform_input Veltrio::platform_pointer
  LABELS integration)

veltrio_add_test(NAME cursor_windows_test
  SOURCES CursorWindowsTest.cpp
  LIBS Veltrio::platform_cursor
  LABELS integration)

veltrio_add_test(NAME volume_windows_test
  SOURCES VolumeWindowsTest.cpp
  LIBS Veltrio::platform_volume
  LABELS integration
  TIMEOUT 120)
set_tests_properties(volume_windows_test PROPERTIES RESOURCE_LOCK veltrio_default_sink)

veltrio_add_test(NAME volume_level_test
  SOURCES VolumeLevelTest.cpp
  LIBS Veltrio::platform_volume
  LABELS unit)
