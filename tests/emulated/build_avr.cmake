# Builds an Arduino Mega 2560 firmware the way the Arduino IDE 1.8 does, with
# Debian's avr-gcc and arduino-core-avr: the core compiled into an archive, the
# sketch and the project's sources with the IDE's flags, the sketch first on the
# link line.
#   cmake -DCORE=<core dir> -DVARIANT=<variant dir> -DARCHIVE=<core.a> -DWORK=<object dir>
#         [-DSKETCH=<sketch.cpp> -DOUT=<elf> [-DPROJECT=<project dir>] [-DDEFINE=<name=value>]]
#         -P build_avr.cmake
# Without SKETCH only the core archive is built.
cmake_minimum_required(VERSION 3.16)
set(mcu -mmcu=atmega2560 -DF_CPU=16000000L -DARDUINO=10819 -DARDUINO_AVR_MEGA2560 -DARDUINO_ARCH_AVR
        -DDECIMAL_DIG=__DECIMAL_DIG__)
if(DEFINE)
  list(APPEND mcu -D${DEFINE})
endif()
set(cflags -c -g -Os -w -std=gnu11 -ffunction-sections -fdata-sections -MMD -flto -fno-fat-lto-objects)
set(cxxflags -c -g -Os -w -std=gnu++11 -fpermissive -fno-exceptions -ffunction-sections -fdata-sections
             -fno-threadsafe-statics -Wno-error=narrowing -MMD -flto)
set(sflags -c -g -x assembler-with-cpp -flto -MMD)
set(includes -I${CORE} -I${VARIANT})
if(PROJECT)
  list(APPEND includes -I${PROJECT})
endif()

function(compile src obj)
  get_filename_component(ext "${src}" LAST_EXT)
  if(ext STREQUAL ".c")
    set(cmd avr-gcc ${cflags})
  elseif(ext STREQUAL ".S")
    set(cmd avr-gcc ${sflags})
  else()
    set(cmd avr-g++ ${cxxflags})
  endif()
  execute_process(COMMAND ${cmd} ${mcu} ${includes} ${src} -o ${obj} RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${src} does not compile:\n${err}")
  endif()
endfunction()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
if(NOT SKETCH)
  file(REMOVE "${ARCHIVE}")
  file(GLOB core_sources ${CORE}/*.c ${CORE}/*.cpp ${CORE}/*.S)
  foreach(src IN LISTS core_sources)
    get_filename_component(name "${src}" NAME)
    compile(${src} ${WORK}/${name}.o)
    execute_process(COMMAND avr-gcc-ar rcs ${ARCHIVE} ${WORK}/${name}.o RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "avr-gcc-ar failed on ${name}")
    endif()
  endforeach()
  return()
endif()
# The sketch first, then the project's own sources.
set(objects)
compile(${SKETCH} ${WORK}/sketch.cpp.o)
list(APPEND objects ${WORK}/sketch.cpp.o)
if(PROJECT)
  file(GLOB_RECURSE project_sources ${PROJECT}/*.c ${PROJECT}/*.cpp)
  list(SORT project_sources)
  foreach(src IN LISTS project_sources)
    file(RELATIVE_PATH rel ${PROJECT} ${src})
    string(REPLACE "/" "_" rel "${rel}")
    compile(${src} ${WORK}/${rel}.o)
    list(APPEND objects ${WORK}/${rel}.o)
  endforeach()
endif()
execute_process(COMMAND avr-gcc -w -Os -g -flto -fuse-linker-plugin -Wl,--gc-sections -mmcu=atmega2560
                        -o ${OUT} ${objects} ${ARCHIVE} -L${WORK} -lm
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OUT} does not link:\n${err}")
endif()
