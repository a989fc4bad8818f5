# Generates one job's project and fills its USER CODE sections with the glue of every
# target, the target's hardware glue, then the job's code (../library/generate_filled.cmake).
#   cmake -DGEN=<tarvex-gen> -DDIR=<folder> -DJOB=<job> -DPLATFORM=avr|cm4 -P generate_job.cmake
cmake_minimum_required(VERSION 3.16)
include(${CMAKE_CURRENT_LIST_DIR}/../library/generate_filled.cmake)
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
tarvex_generate_filled("${DIR}" "{
    \"CheckedModules\": [${modules}],
    \"GettingStarted\": {\"IsDebugOutputSetupSelected\": false, \"DebugBufferSize\": 1024},
    \"Prompt\": {\"IsPromptSetupSelected\": true, \"PromptBufferSize\": 256,
               \"IsEchoCancSetupSelected\": true, \"EchoCancellationBufferSize\": 64,
               \"IsCircularTxSetupSelected\": true, \"CircularTxBufferSize\": 128,
               \"IsCircularRxSetupSelected\": true, \"CircularRxBufferSize\": 256},
    \"IsArduino\": \"${arduino}\",
    \"Language\": \"${language}\"
}
" ${source} "all;${PLATFORM};${JOB}")
