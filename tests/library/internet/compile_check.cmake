# Compiles the generator's HTTP and MQTT snippets against the internet modules'
# headers, and the 2G instance-name mapping, with one toolchain and the strict flags.
#   cmake -DCC=<compiler> -DFLAGS=<flags separated by |> -DLIB=<resources/tarvex>
#         -DCODE=<resources/code> -DSNIPPETS=<snippet_check.c> -DOUT=<dir>
#         -P compile_check.cmake
if(NOT CC OR NOT EXISTS "${CC}")
  message(FATAL_ERROR "compiler not found: '${CC}'")
endif()
string(REPLACE "|" ";" FLAGS "${FLAGS}")
file(MAKE_DIRECTORY "${OUT}")
get_filename_component(SNIPPET_DIR "${SNIPPETS}" DIRECTORY)

function(compile source object)
  execute_process(COMMAND "${CC}" ${FLAGS} ${ARGN} -I${LIB} -I${CODE} -c "${source}" -o "${OUT}/${object}"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT err STREQUAL "")
    message(FATAL_ERROR "${CC} ${source}:\n${out}${err}")
  endif()
  message(STATUS "ok: ${source} ${ARGN}")
endfunction()

# The shipped snippets assign event pointers they only use in example comments and
# take an instance parameter they do not use, and gsmGetAPN() returns nothing until
# the developer fills it in: those warnings belong to the snippets.
compile("${SNIPPETS}" snippet_check.o -Wno-unused-but-set-variable -Wno-unused-parameter -Wno-return-type)
compile("${SNIPPET_DIR}/snippet_check_2g.c" snippet_check_2g.o)
compile("${SNIPPET_DIR}/snippet_check_2g.c" snippet_check_2g_both1.o -DBOTH_2G_FIRST)
compile("${SNIPPET_DIR}/snippet_check_2g.c" snippet_check_2g_both2.o -DBOTH_LTE_FIRST)
