# Script mode (cmake -P): assembles one example archive. See TarvexExamples.cmake.
#   MODULE        module name, e.g. SMS_Read (archive and first folder name)
#   SOURCE_DIR    resources/examples-src
#   CODE_DIR      resources/code (the circular-buffer sources)
#   STAGE_DIR     scratch folder; <STAGE_DIR>/<MODULE> is rebuilt from scratch
#   OUTPUT        the archive to write
#   MANAGER_TOOL  tarvex-example-manager

set(_stage "${STAGE_DIR}/${MODULE}")
file(REMOVE_RECURSE "${_stage}")

# Copies a text file with CR LF line ends (the line ends of every bundle text).
function(copy_text from to)
  file(READ "${from}" _text)
  string(REPLACE "\r\n" "\n" _text "${_text}")
  string(REPLACE "\n" "\r\n" _text "${_text}")
  file(WRITE "${to}" "${_text}")
endfunction()

# Copies every file below `from` into `to`, except the folders and files named in
# the remaining arguments (relative paths).
function(copy_tree from to)
  file(GLOB_RECURSE _files LIST_DIRECTORIES false RELATIVE "${from}" "${from}/*")
  foreach(f IN LISTS _files)
    set(_skip FALSE)
    foreach(excluded IN LISTS ARGN)
      if(f STREQUAL excluded OR f MATCHES "^${excluded}/")
        set(_skip TRUE)
      endif()
    endforeach()
    if(NOT _skip)
      copy_text("${from}/${f}" "${to}/${f}")
    endif()
  endforeach()
endfunction()

# Generates the project's manager files: shared USER CODE first, then the project's.
function(generate_manager layout project_src header_out source_out source_ext)
  set(_args --module "${MODULE}" --layout "${layout}")
  foreach(dir "${SOURCE_DIR}/common/${layout}/usercode" "${project_src}/usercode")
    if(EXISTS "${dir}/gsm_manager.h")
      list(APPEND _args --header-code "${dir}/gsm_manager.h")
    endif()
    if(EXISTS "${dir}/gsm_manager.${source_ext}")
      list(APPEND _args --source-code "${dir}/gsm_manager.${source_ext}")
    endif()
  endforeach()
  execute_process(COMMAND "${MANAGER_TOOL}" ${_args} --header-out "${header_out}" --source-out "${source_out}"
                  RESULT_VARIABLE _rc)
  if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "Generating the manager files of ${project_src} failed")
  endif()
endfunction()

set(_found FALSE)
foreach(layout Arduino STM32CubeIDE)
  file(GLOB _projects LIST_DIRECTORIES true "${SOURCE_DIR}/${MODULE}/${layout}/*")
  list(SORT _projects)
  foreach(project_src IN LISTS _projects)
    if(NOT IS_DIRECTORY "${project_src}")
      continue()
    endif()
    set(_found TRUE)
    get_filename_component(_name "${project_src}" NAME)
    set(_dst "${_stage}/${MODULE}/${layout}/${_name}")
    copy_tree("${project_src}" "${_dst}" usercode)
    if(layout STREQUAL "Arduino")
      copy_text("${SOURCE_DIR}/common/Arduino/main.h" "${_dst}/main.h")
      generate_manager(Arduino "${project_src}" "${_dst}/gsm_manager.h" "${_dst}/gsm_manager.cpp" cpp)
    else()
      set(_common "${SOURCE_DIR}/common/STM32CubeIDE")
      copy_tree("${_common}" "${_dst}" usercode project.in cproject.in)
      set(PROJECT_NAME "${_name}")
      foreach(pair "project.in;.project" "cproject.in;.cproject")
        list(GET pair 0 _in)
        list(GET pair 1 _out)
        configure_file("${_common}/${_in}" "${_dst}/${_out}" @ONLY NEWLINE_STYLE CRLF)
      endforeach()
      copy_text("${CODE_DIR}/circbuff.h" "${_dst}/Core/Inc/circbuff.h")
      copy_text("${CODE_DIR}/circbuff.c" "${_dst}/Core/Src/circbuff.c")
      generate_manager(STM32CubeIDE "${project_src}" "${_dst}/Core/Inc/gsm_manager.h" "${_dst}/Core/Src/gsm_manager.c" c)
    endif()
  endforeach()
endforeach()
if(NOT _found)
  message(FATAL_ERROR "No example projects under ${SOURCE_DIR}/${MODULE}")
endif()

# Sorted entries and a fixed time stamp: the same sources give the same archive.
file(GLOB_RECURSE _entries LIST_DIRECTORIES false RELATIVE "${STAGE_DIR}/${MODULE}" "${_stage}/*")
list(SORT _entries)
string(REPLACE ";" "\n" _list "${_entries}")
file(WRITE "${STAGE_DIR}/${MODULE}.files" "${_list}\n")
file(REMOVE "${OUTPUT}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar cf "${OUTPUT}" --format=zip "--mtime=2024-01-01 00:00:00 UTC"
                        "--files-from=${STAGE_DIR}/${MODULE}.files"
                WORKING_DIRECTORY "${_stage}"
                RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "Writing ${OUTPUT} failed")
endif()
