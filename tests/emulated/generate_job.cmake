# Generates one job's project with tarvex-gen (the real Generate Code workflow) and
# fills the USER CODE sections of its manager source with the glue, as a firmware
# developer fills them by hand: the glue of every target, the target's hardware glue,
# then the job's code. A generated section that still holds its "ToDo" stub is an error.
#   cmake -DGEN=<tarvex-gen> -DDIR=<folder> -DJOB=<job> -DPLATFORM=avr|cm4 -P generate_job.cmake
cmake_minimum_required(VERSION 3.16)
include(${CMAKE_CURRENT_LIST_DIR}/jobs.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/glue_jobs.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/glue_${PLATFORM}.cmake)

set(modules "\"\"")
foreach(m IN LISTS EMU_CORE_MODULES EMU_MODULES_${JOB})
  string(APPEND modules ", \"${m}\"")
endforeach()
if(PLATFORM STREQUAL "avr")
  set(language "C++")
  set(arduino "true")
  set(source gsm_manager.cpp)
else()
  set(language "C")
  set(arduino "false")
  set(source gsm_manager.c)
endif()
file(REMOVE_RECURSE "${DIR}")
file(MAKE_DIRECTORY "${DIR}")
file(WRITE "${DIR}/.tarvex_codegenerator_settings" "{
    \"CheckedModules\": [${modules}],
    \"GettingStarted\": {\"IsDebugOutputSetupSelected\": false, \"DebugBufferSize\": 1024},
    \"Prompt\": {\"IsPromptSetupSelected\": true, \"PromptBufferSize\": 256,
               \"IsEchoCancSetupSelected\": true, \"EchoCancellationBufferSize\": 64,
               \"IsCircularTxSetupSelected\": true, \"CircularTxBufferSize\": 128,
               \"IsCircularRxSetupSelected\": true, \"CircularRxBufferSize\": 256},
    \"IsArduino\": \"${arduino}\",
    \"Language\": \"${language}\"
}
")
execute_process(COMMAND "${GEN}" generate "${DIR}" --keep-stale
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "tarvex-gen generate failed (${rc}):\n${out}\n${err}")
endif()

file(READ "${DIR}/${source}" src)
set(result "")
while(TRUE)
  string(REGEX MATCH "// USER CODE BEGIN ([A-Za-z0-9_ ]+)\n" marker "${src}")
  if(NOT marker)
    break()
  endif()
  set(section "${CMAKE_MATCH_1}")
  string(FIND "${src}" "${marker}" b)
  string(LENGTH "${marker}" ml)
  math(EXPR bodyStart "${b} + ${ml}")
  string(SUBSTRING "${src}" ${bodyStart} -1 rest)
  string(FIND "${rest}" "// USER CODE END ${section}\n" e)
  if(e EQUAL -1)
    message(FATAL_ERROR "USER CODE section ${section} has no end marker")
  endif()
  string(SUBSTRING "${rest}" 0 ${e} body)
  string(SUBSTRING "${src}" 0 ${bodyStart} head)
  string(SUBSTRING "${rest}" ${e} -1 src)
  set(glue "")
  foreach(scope all ${PLATFORM} ${JOB})
    if(DEFINED GLUE_${scope}_${section})
      string(APPEND glue "${GLUE_${scope}_${section}}\n")
    endif()
  endforeach()
  if(glue STREQUAL "")
    if(body MATCHES "ToDo")
      message(FATAL_ERROR "${JOB}/${PLATFORM}: no glue for the USER CODE section ${section}")
    endif()
    set(glue "${body}")
  else()
    if(body MATCHES "( +)$")
      string(APPEND glue "${CMAKE_MATCH_1}")
    endif()
  endif()
  string(APPEND result "${head}${glue}")
endwhile()
string(APPEND result "${src}")
file(WRITE "${DIR}/${source}" "${result}")
