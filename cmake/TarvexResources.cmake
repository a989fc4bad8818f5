# Builds the resource bundle description from the folders under resources/.
# Every file resources/<prefix>/<name> becomes ":/<prefix>/resources/<prefix>/<name>".
# The .qrc is written at configure time; CONFIGURE_DEPENDS re-runs the glob when
# files are added or removed.
set(TARVEX_RESOURCE_PREFIXES ico doc code tarvex examples license user_manual)

# Build-time products: the example archives and the user manual. They set
# TARVEX_GENERATED_RESOURCES_examples / _user_manual and the targets that make them.
include(${CMAKE_CURRENT_LIST_DIR}/TarvexExamples.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/TarvexManual.cmake OPTIONAL)

set(_qrc "<!DOCTYPE RCC><RCC version=\"1.0\">\n")
foreach(prefix IN LISTS TARVEX_RESOURCE_PREFIXES)
  file(GLOB_RECURSE _files CONFIGURE_DEPENDS LIST_DIRECTORIES false
       RELATIVE "${CMAKE_SOURCE_DIR}/resources/${prefix}"
       "${CMAKE_SOURCE_DIR}/resources/${prefix}/*")
  list(SORT _files)
  string(APPEND _qrc "<qresource prefix=\"/${prefix}\">\n")
  foreach(f IN LISTS _files)
    if(f MATCHES "(^|/)(README\\.md|\\.gitkeep|CMakeLists\\.txt)$")
      continue()
    endif()
    string(APPEND _qrc "  <file alias=\"resources/${prefix}/${f}\">${CMAKE_SOURCE_DIR}/resources/${prefix}/${f}</file>\n")
  endforeach()
  # Build-time products (archives, the manual) are added by their generators.
  foreach(extra IN LISTS TARVEX_GENERATED_RESOURCES_${prefix})
    get_filename_component(_name "${extra}" NAME)
    string(APPEND _qrc "  <file alias=\"resources/${prefix}/${_name}\">${extra}</file>\n")
  endforeach()
  string(APPEND _qrc "</qresource>\n")
endforeach()
string(APPEND _qrc "</RCC>\n")
file(CONFIGURE OUTPUT "${CMAKE_BINARY_DIR}/tarvex_resources.qrc" CONTENT "${_qrc}")

# One object library holds the compiled bundle; every executable adds its
# objects directly so the static registration is never dropped by the linker.
add_library(tarvexres OBJECT "${CMAKE_BINARY_DIR}/tarvex_resources.qrc")
set_target_properties(tarvexres PROPERTIES AUTORCC ON)
target_link_libraries(tarvexres PRIVATE Qt5::Core)
foreach(_product tarvex_examples tarvex_user_manual)
  if(TARGET ${_product})
    add_dependencies(tarvexres ${_product})
  endif()
endforeach()

function(tarvex_link_resources target)
  target_sources(${target} PRIVATE $<TARGET_OBJECTS:tarvexres>)
  add_dependencies(${target} tarvexres)
endfunction()
