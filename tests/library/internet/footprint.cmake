# Prints the flash (text + data) and RAM (data + bss, and the instance structures) of
# the internet modules for Cortex-M4 and ATmega2560 at -Os. A benchmark: it reports
# figures and fails only when a toolchain is missing or a file does not compile.
#   cmake -DARM=<arm-none-eabi-gcc> -DAVR=<avr-gcc> -DLIB=<resources/tarvex> -DFILES=<a.c;b.c>
#         -DOUT=<dir> -P footprint.cmake
file(MAKE_DIRECTORY "${OUT}")
set(SIZES_C "${OUT}/instance_sizes.c")
file(WRITE "${SIZES_C}" [[
#include "GSM_InternetConnection_Simcom.h"
#include "GSM_InternetConnection_Simcom2G.h"
#include "GSM_HttpClient_Simcom.h"
#include "GSM_MqttClient_Simcom.h"
#include "GSM_Ssl_Simcom.h"
/* One array per instance type: its size is the instance's RAM. */
char ram_GSM_InternetConnectionSimcom_Instance[sizeof(GSM_InternetConnectionSimcom_Instance)];
char ram_GSM_InternetConnectionSimcom2G_Instance[sizeof(GSM_InternetConnectionSimcom2G_Instance)];
char ram_GSM_HttpClientSimcom_Instance[sizeof(GSM_HttpClientSimcom_Instance)];
char ram_GSM_MqttClientSimcom_Instance[sizeof(GSM_MqttClientSimcom_Instance)];
char ram_GSM_SslSimcom_Instance[sizeof(GSM_SslSimcom_Instance)];
]])

foreach(target arm avr)
  if(target STREQUAL "arm")
    set(CC "${ARM}")
    set(FLAGS -std=c99 -mcpu=cortex-m4 -mthumb -Os -ffunction-sections -fdata-sections)
    set(TITLE "Cortex-M4 (arm-none-eabi-gcc -mcpu=cortex-m4 -mthumb -Os)")
  else()
    set(CC "${AVR}")
    set(FLAGS -std=c99 -mmcu=atmega2560 -Os -ffunction-sections -fdata-sections)
    set(TITLE "ATmega2560 (avr-gcc -mmcu=atmega2560 -Os)")
  endif()
  if(NOT CC OR NOT EXISTS "${CC}")
    message(FATAL_ERROR "compiler not found for ${target}: '${CC}'")
  endif()
  string(REGEX REPLACE "gcc$" "size" SIZE "${CC}")
  string(REGEX REPLACE "gcc$" "nm" NM "${CC}")
  set(objects)
  foreach(f IN LISTS FILES)
    set(o "${OUT}/${target}_${f}.o")
    execute_process(COMMAND "${CC}" ${FLAGS} -I${LIB} -c "${LIB}/${f}" -o "${o}" RESULT_VARIABLE rc ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "${f}: ${err}")
    endif()
    list(APPEND objects "${o}")
  endforeach()
  execute_process(COMMAND "${SIZE}" -t ${objects} OUTPUT_VARIABLE table)
  string(REPLACE "${OUT}/${target}_" "" table "${table}")
  execute_process(COMMAND "${CC}" ${FLAGS} -I${LIB} -c "${SIZES_C}" -o "${OUT}/${target}_sizes.o")
  execute_process(COMMAND "${NM}" -S --size-sort "${OUT}/${target}_sizes.o" OUTPUT_VARIABLE syms)
  set(ram "")
  string(REPLACE "\n" ";" lines "${syms}")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[0-9a-fA-F]+ ([0-9a-fA-F]+) . ram_(.*)$")
      math(EXPR bytes "0x${CMAKE_MATCH_1}")
      string(APPEND ram "  ${CMAKE_MATCH_2}: ${bytes} bytes\n")
    endif()
  endforeach()
  set(rodata 0)
  foreach(o IN LISTS objects)
    execute_process(COMMAND "${SIZE}" -A "${o}" OUTPUT_VARIABLE sections)
    string(REGEX MATCHALL "\\.rodata[^ \n]* +[0-9]+" found "${sections}")
    foreach(entry IN LISTS found)
      string(REGEX MATCH "[0-9]+$" n "${entry}")
      math(EXPR rodata "${rodata} + ${n}")
    endforeach()
  endforeach()
  set(note "")
  if(target STREQUAL "avr")
    set(note " (on AVR these constants are copied to RAM at start-up)")
  endif()
  message("== Internet modules, ${TITLE}\n${table}Constant data (.rodata, within text): ${rodata} bytes${note}\nInstance RAM (buffers included: GSM_HTTP_SIMCOM_READ_SIZE, GSM_HTTP_SIMCOM_MAX_URL, GSM_MQTT_SIMCOM_RX_SEGMENT):\n${ram}")
endforeach()
