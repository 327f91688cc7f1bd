# SPDX-License-Identifier: GPL-3.0-or-later
# cmake -DBUILD_DIR=... -DPREFIX=... [-DSTUB=...] -P InstallPrefix.cmake
#
# Installs the build into PREFIX afresh. With STUB, copies the stub program over the overlays
# in its bin folder, for the tests that must see which overlays run and end without the real
# ones taking the pointer.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                OUTPUT_QUIET RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install ${BUILD_DIR} failed (${result}); is the whole build done?")
endif()
if(NOT EXISTS "${PREFIX}/bin/veltrio")
  message(FATAL_ERROR "the install has no bin/veltrio")
endif()
foreach(overlay VtaPointer VtaGyroVol)
  if(NOT EXISTS "${PREFIX}/bin/${overlay}")
    message(FATAL_ERROR "the install has no bin/${overlay}")
  endif()
  if(STUB)
    file(COPY_FILE "${STUB}" "${PREFIX}/bin/${overlay}")
  endif()
endforeach()
