# Compiles every library source and header with one toolchain; fails on any warning.
#   cmake -DCOMPILER=<name> -DLANG=c|cxx -DFLAGS=<flags separated by blanks> -DLIB_DIR=<dir> -DCODE_DIR=<dir>
#         -DCONTRACT=<manager_contract.c> -DWORK_DIR=<dir> -P compile_check.cmake
# Sources: every .c of the library folder and circbuff.c (as C++ when LANG is cxx).
# Headers: each included alone (inside extern "C" for C++), so each is self-contained.
# The generated-manager contract file: the names the generator's fragments use.
separate_arguments(FLAGS UNIX_COMMAND "${FLAGS}")
find_program(CC_PATH NAMES ${COMPILER})
if(NOT CC_PATH)
  message(FATAL_ERROR "${COMPILER} is not installed: the library must compile with it "
                      "(make test installs it, see PACKAGES in the Makefile).")
endif()

file(MAKE_DIRECTORY ${WORK_DIR})
file(GLOB sources ${LIB_DIR}/*.c)
file(GLOB headers ${LIB_DIR}/*.h)
list(APPEND sources ${CODE_DIR}/circbuff.c)
list(APPEND headers ${CODE_DIR}/circbuff.h)
list(SORT sources)
list(SORT headers)

set(lang_flags -std=c99)
if(LANG STREQUAL "cxx")
  set(lang_flags -x c++ -std=c++11)
endif()

set(failures "")
set(count 0)
function(check label file)
  execute_process(
    COMMAND ${CC_PATH} ${lang_flags} ${FLAGS} ${ARGN} -I${LIB_DIR} -I${CODE_DIR} -c ${file} -o ${WORK_DIR}/check.o
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  math(EXPR n "${count} + 1")
  set(count ${n} PARENT_SCOPE)
  if(NOT rc EQUAL 0)
    set(failures "${failures}\n--- ${label}\n${out}${err}" PARENT_SCOPE)
  endif()
endfunction()

foreach(src IN LISTS sources)
  get_filename_component(name ${src} NAME)
  check(${name} ${src})
endforeach()

foreach(hdr IN LISTS headers)
  get_filename_component(name ${hdr} NAME)
  if(LANG STREQUAL "cxx")
    set(text "extern \"C\" {\n#include \"${name}\"\n}\nint main() { return 0; }\n")
  else()
    set(text "#include \"${name}\"\nint main(void) { return 0; }\n")
  endif()
  file(WRITE ${WORK_DIR}/header_${name}.c "${text}")
  check("${name} (alone)" ${WORK_DIR}/header_${name}.c)
endforeach()

# In C++ the generated "= {0}" initialisers draw -Wmissing-field-initializers from -Wextra
# for every struct; that is the generated file's matter, not the library's.
if(LANG STREQUAL "cxx")
  check(manager_contract ${CONTRACT} -Wno-missing-field-initializers)
else()
  check(manager_contract ${CONTRACT})
endif()

if(failures)
  message(FATAL_ERROR "${COMPILER}: compile failures:${failures}")
endif()
message(STATUS "${COMPILER}: ${count} files compiled without warnings")
