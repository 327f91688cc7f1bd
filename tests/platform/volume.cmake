# SPDX-License-Identifier: GPL-3.0-or-later
veltrio_add_test(NAME volume_level_test
  SOURCES VolumeLevelTest.cpp
  LIBS Veltrio::platform_volume
  LABELS unit SANITIZE)

# Against the private sound server of the test run; they skip when there is none.
veltrio_add_test(NAME volume_endpoint_test
  SOURCES VolumeEndpointTest.cpp
  LIBS Veltrio::platform_volume Veltrio::soundserver
  LABELS integration SANITIZE
  TIMEOUT 120)

pkg_check_modules(ALSA REQUIRED IMPORTED_TARGET alsa)

# The mixer through ALSA's pulse plugin, in a process of its own: it points HOME at an ALSA
# configuration of its own before the first ALSA call.
veltrio_add_test(NAME volume_mixer_test
  SOURCES VolumeMixerTest.cpp
  LIBS Veltrio::platform_volume Veltrio::soundserver PkgConfig::ALSA
  LABELS integration
  TIMEOUT 120)

# They set and read the default sink of the run's one sound server.
set_tests_properties(volume_endpoint_test volume_mixer_test PROPERTIES RESOURCE_LOCK veltrio_default_sink)
