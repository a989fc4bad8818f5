# Builds a Cortex-M4 firmware: arm-none-eabi-gcc -Os with function and data sections,
# --gc-sections, newlib-nano; the board start-up, main() and the project's sources.
#   cmake -DBOARD=<cm4 dir> -DMAIN=<main.c> -DOUT=<elf> [-DPROJECT=<project dir>]
#         [-DDEFINE=<name=value>] -P build_cm4.cmake
cmake_minimum_required(VERSION 3.16)
set(sources ${BOARD}/startup.c ${MAIN})
set(includes -I${BOARD})
if(DEFINE)
  list(APPEND includes -D${DEFINE})
endif()
if(PROJECT)
  file(GLOB_RECURSE project_sources ${PROJECT}/*.c)
  list(SORT project_sources)
  list(APPEND sources ${BOARD}/board.c ${project_sources})
  list(APPEND includes -I${PROJECT} -I${PROJECT}/Tarvex)
endif()
execute_process(COMMAND arm-none-eabi-gcc -std=c99 -mcpu=cortex-m4 -mthumb -Os -g -ffunction-sections -fdata-sections
                        ${includes} ${sources} -nostartfiles -T ${BOARD}/mps2.ld -Wl,--gc-sections
                        -Wl,--start-group -lc_nano -lgcc -lnosys -Wl,--end-group -o ${OUT}
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OUT} does not build:\n${err}")
endif()
