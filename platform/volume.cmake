# SPDX-License-Identifier: GPL-3.0-or-later
# Master volume and mute of the default output (the air volume overlay): two methods, the
# sound server's default output and the mixer.
add_library(platform_volume STATIC
  common/volume_level.cpp
  ${VELTRIO_OS}/volume_${VELTRIO_OS}.cpp
)
target_link_libraries(platform_volume PUBLIC Veltrio::platform_base PRIVATE Threads::Threads)
if(VELTRIO_OS STREQUAL "linux")
  pkg_check_modules(PULSE REQUIRED IMPORTED_TARGET libpulse)
  pkg_check_modules(ALSA REQUIRED IMPORTED_TARGET alsa)
  target_sources(platform_volume PRIVATE
    linux/volume_pulse_linux.cpp
    linux/volume_alsa_linux.cpp
  )
  target_link_libraries(platform_volume PRIVATE PkgConfig::PULSE PkgConfig::ALSA)
else()
  target_link_libraries(platform_volume PRIVATE ole32 winmm)
endif()
add_library(Veltrio::platform_volume ALIAS platform_volume)
