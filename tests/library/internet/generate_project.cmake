# Generates a C project with the 2G internet connection (APN required) and the HTTP
# client by running the real Generate Code workflow (tarvex-gen generate), then fills
# the USER CODE sections of gsm_manager.c with the hardware hooks of the test (they
# drive the modem simulator), as a developer fills them by hand.
#   cmake -DGEN=<tarvex-gen> -DDIR=<project folder> -P generate_project.cmake
file(REMOVE_RECURSE "${DIR}")
file(MAKE_DIRECTORY "${DIR}")
file(WRITE "${DIR}/.tarvex_codegenerator_settings" [[
{
    "CheckedModules": ["", "Power", "Prompt", "BasicComms", "NetworkRegistration",
                       "InternetConnection_SIMCom2G", "HTTP_Client_SIMCom"],
    "GettingStarted": {"IsDebugOutputSetupSelected": false, "DebugBufferSize": 1024},
    "InternetConnection_SIMCom2G": {"IsApnRequired": true},
    "IsArduino": "false",
    "Language": "C"
}
]])
execute_process(COMMAND "${GEN}" generate "${DIR}" --keep-stale
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "tarvex-gen generate failed (${rc}):\n${out}\n${err}")
endif()

set(HOOK_SECTIONS Includes SysTime_ms SetPowerKey ReadStatus gsmRxPoll gsmTxPoll gsmWrite gsmWriteCompleted
    gsmCanRead gsmRead gsmGetAPN gsmHttpClientSimcomEventHandler)
# The "hardware" behind the hooks, defined by tst_internet_manager2g.cpp.
set(HOOK_Includes [[uint32_t testhalNow(void);
void testhalSetPowerKey(bool activated);
bool testhalReadStatus(void);
void testhalRxPoll(CircBuff* rx);
void testhalTxPoll(CircBuff* tx);
void testhalTxOverflow(void);
void testhalHttpEvent(uint8_t eventType, void* eventData);]])
set(HOOK_SysTime_ms [[    return testhalNow();]])
set(HOOK_SetPowerKey [[    testhalSetPowerKey(activated);]])
set(HOOK_ReadStatus [[    return testhalReadStatus();]])
set(HOOK_gsmRxPoll [[    testhalRxPoll(&mcbfGsmRx);]])
set(HOOK_gsmTxPoll [[    testhalTxPoll(&mcbfGsmTx);]])
set(HOOK_gsmWrite [[    if (!cbufWrite(&mcbfGsmTx, _data))
    {
        testhalTxOverflow();
    }]])
set(HOOK_gsmWriteCompleted [[    return cbufBufferedSize(&mcbfGsmTx) == 0;]])
set(HOOK_gsmCanRead [[    return cbufCanRead(&mcbfGsmRx);]])
set(HOOK_gsmRead [[    return cbufRead(&mcbfGsmRx);]])
set(HOOK_gsmGetAPN [[    return "gprs.example";]])
set(HOOK_gsmHttpClientSimcomEventHandler [[    testhalHttpEvent(event_type, event_data);]])
file(READ "${DIR}/gsm_manager.c" src)
foreach(section IN LISTS HOOK_SECTIONS)
  set(begin "// USER CODE BEGIN ${section}\n")
  set(end "// USER CODE END ${section}\n")
  string(FIND "${src}" "${begin}" b)
  string(FIND "${src}" "${end}" e)
  if(b EQUAL -1 OR e EQUAL -1 OR e LESS b)
    message(FATAL_ERROR "USER CODE section ${section} not found in the generated gsm_manager.c")
  endif()
  string(LENGTH "${begin}" bl)
  math(EXPR contentStart "${b} + ${bl}")
  string(SUBSTRING "${src}" 0 ${contentStart} head)
  string(SUBSTRING "${src}" ${e} -1 tail)
  # Keep the indentation in front of the END marker.
  string(SUBSTRING "${src}" ${contentStart} -1 rest)
  string(FIND "${rest}" "${end}" e2)
  string(SUBSTRING "${rest}" 0 ${e2} body)
  string(REGEX MATCH " +$" endIndent "${body}")
  set(src "${head}${HOOK_${section}}\n${endIndent}${tail}")
endforeach()
file(WRITE "${DIR}/gsm_manager.c" "${src}")
