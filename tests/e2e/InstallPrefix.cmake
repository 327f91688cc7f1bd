# cmake -DBUILD_DIR=... -DPREFIX=... -DSTUB=... -P InstallPrefix.cmake
#
# Installs the build into PREFIX afresh, then copies the stub program into its bin folder as
# VtaPointer and VtaGyroVol, since the tests must see which overlays run and end.
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
  file(COPY_FILE "${STUB}" "${PREFIX}/bin/${overlay}")
endforeach()
