# The example archives of the bundle, built from the plain source folders under
# resources/examples-src/ (see its README.md). Included by TarvexResources.cmake
# before the bundle description is written, so the archives can be listed in it.
#
# Each archive <Module>.zip is assembled by TarvexBuildExampleArchive.cmake: it
# copies the project files with CR LF line ends, adds the shared board files,
# generates the manager files with tarvex-example-manager (tools/examples) and
# zips the result with sorted entries and a fixed time stamp, so the same sources
# always give the same archive.
set(TARVEX_EXAMPLES_SOURCE_DIR "${CMAKE_SOURCE_DIR}/resources/examples-src")
set(TARVEX_EXAMPLE_MODULES Pin RSSI SMS_Send SMS_Read USSD HTTP_Client_SIMCom MQTT_Client_SIMCom)

set(TARVEX_GENERATED_RESOURCES_examples "")
file(GLOB_RECURSE _common_example_files CONFIGURE_DEPENDS "${TARVEX_EXAMPLES_SOURCE_DIR}/common/*")
foreach(module IN LISTS TARVEX_EXAMPLE_MODULES)
  if(NOT IS_DIRECTORY "${TARVEX_EXAMPLES_SOURCE_DIR}/${module}")
    message(FATAL_ERROR "No example sources for ${module} in ${TARVEX_EXAMPLES_SOURCE_DIR}")
  endif()
  set(_archive "${CMAKE_BINARY_DIR}/examples/${module}.zip")
  file(GLOB_RECURSE _module_files CONFIGURE_DEPENDS "${TARVEX_EXAMPLES_SOURCE_DIR}/${module}/*")
  add_custom_command(OUTPUT "${_archive}"
    COMMAND "${CMAKE_COMMAND}"
            "-DMODULE=${module}"
            "-DSOURCE_DIR=${TARVEX_EXAMPLES_SOURCE_DIR}"
            "-DCODE_DIR=${CMAKE_SOURCE_DIR}/resources/code"
            "-DSTAGE_DIR=${CMAKE_BINARY_DIR}/examples/stage"
            "-DOUTPUT=${_archive}"
            "-DMANAGER_TOOL=$<TARGET_FILE:tarvex-example-manager>"
            -P "${CMAKE_SOURCE_DIR}/cmake/TarvexBuildExampleArchive.cmake"
    DEPENDS ${_module_files} ${_common_example_files}
            "${CMAKE_SOURCE_DIR}/resources/code/circbuff.c" "${CMAKE_SOURCE_DIR}/resources/code/circbuff.h"
            "${CMAKE_SOURCE_DIR}/cmake/TarvexBuildExampleArchive.cmake"
            tarvex-example-manager
    COMMENT "Building example archive ${module}.zip"
    VERBATIM)
  list(APPEND TARVEX_GENERATED_RESOURCES_examples "${_archive}")
endforeach()
add_custom_target(tarvex_examples DEPENDS ${TARVEX_GENERATED_RESOURCES_examples})
