# Compiles every library source and header with one toolchain; fails on any warning.
#   cmake -DCOMPILER=<name> -DLANG=c|cxx -DFLAGS=<flags separated by blanks> -DLIB_DIR=<dir> -DCODE_DIR=<dir>
#         -DCONTRACT=<manager_contract.c> -DWORK_DIR=<dir> [-DSNIPPETS=<snippet_check.c>] -P compile_check.cmake
# Sources: every .c of the library folder and circbuff.c (as C++ when LANG is cxx).
# Headers: each included alone (inside extern "C" for C++), so each is self-contained.
# The generated-manager contract file: the names the generator's fragments use.
# With SNIPPETS, instead: the generator's HTTP and MQTT snippets against the internet
# modules' headers, and the 2G mapping of the connection instance name (alone, and
# with both connection headers in either order).
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

if(SNIPPETS)
  # The shipped snippets assign event pointers they only use in example comments and
  # take an instance parameter they do not use, and gsmGetAPN() returns nothing until
  # the developer fills it in: those warnings belong to the snippets.
  get_filename_component(dir ${SNIPPETS} DIRECTORY)
  check(snippets ${SNIPPETS} -Wno-unused-but-set-variable -Wno-unused-parameter -Wno-return-type)
  check("2G mapping" ${dir}/snippet_check_2g.c)
  check("2G mapping, 2G header first" ${dir}/snippet_check_2g.c -DBOTH_2G_FIRST)
  check("2G mapping, LTE header first" ${dir}/snippet_check_2g.c -DBOTH_LTE_FIRST)
  set(sources "")
  set(headers "")
  set(CONTRACT "")
endif()

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
if(CONTRACT AND LANG STREQUAL "cxx")
  check(manager_contract ${CONTRACT} -Wno-missing-field-initializers)
elseif(CONTRACT)
  check(manager_contract ${CONTRACT})
endif()

if(failures)
  message(FATAL_ERROR "${COMPILER}: compile failures:${failures}")
endif()
message(STATUS "${COMPILER}: ${count} files compiled without warnings")
