# The user manual of the bundle, "Tarvex User Manual.pdf", rendered at build time
# from tools/manual/user_manual.html by tarvex-manual (tools/manual) on the
# offscreen platform. Included by TarvexResources.cmake before the bundle
# description is written.
set(_manual_source "${CMAKE_SOURCE_DIR}/tools/manual/user_manual.html")
set(_manual_pdf "${CMAKE_BINARY_DIR}/user_manual/Tarvex User Manual.pdf")
add_custom_command(OUTPUT "${_manual_pdf}"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/user_manual"
  COMMAND "${CMAKE_COMMAND}" -E env QT_QPA_PLATFORM=offscreen QT_HASH_SEED=0
          "$<TARGET_FILE:tarvex-manual>" "${_manual_source}" "${_manual_pdf}"
  DEPENDS "${_manual_source}" tarvex-manual
  COMMENT "Rendering the user manual"
  VERBATIM)
add_custom_target(tarvex_user_manual DEPENDS "${_manual_pdf}")
set(TARVEX_GENERATED_RESOURCES_user_manual "${_manual_pdf}")
