# Generates a C project with the 2G internet connection (APN required) and the HTTP
# client by running the real Generate Code workflow (tarvex-gen generate), then fills
# the USER CODE sections of gsm_manager.c with the hardware hooks of the test (they
# drive the modem simulator), as a developer fills them by hand.
#   cmake -DGEN=<tarvex-gen> -DDIR=<project folder> -P generate_project.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../generate_filled.cmake)

# The "hardware" behind the hooks, defined by tst_internet_manager2g.cpp.
set(GLUE_hal_Includes [[uint32_t testhalNow(void);
void testhalSetPowerKey(bool activated);
bool testhalReadStatus(void);
void testhalRxPoll(CircBuff* rx);
void testhalTxPoll(CircBuff* tx);
void testhalTxOverflow(void);
void testhalHttpEvent(uint8_t eventType, void* eventData);]])
set(GLUE_hal_Variables [[// The hardware's state lives behind the testhal functions.]])
set(GLUE_hal_SysTime_ms [[    return testhalNow();]])
set(GLUE_hal_SetPowerKey [[    testhalSetPowerKey(activated);]])
set(GLUE_hal_ReadStatus [[    return testhalReadStatus();]])
set(GLUE_hal_gsmRxPoll [[    testhalRxPoll(&mcbfGsmRx);]])
set(GLUE_hal_gsmTxPoll [[    testhalTxPoll(&mcbfGsmTx);]])
set(GLUE_hal_gsmWrite [[    if (!cbufWrite(&mcbfGsmTx, _data))
    {
        testhalTxOverflow();
    }]])
set(GLUE_hal_gsmWriteCompleted [[    return cbufBufferedSize(&mcbfGsmTx) == 0;]])
set(GLUE_hal_gsmCanRead [[    return cbufCanRead(&mcbfGsmRx);]])
set(GLUE_hal_gsmRead [[    return cbufRead(&mcbfGsmRx);]])
set(GLUE_hal_gsmGetAPN [[    return "gprs.example";]])
set(GLUE_hal_gsmHttpClientSimcomEventHandler [[    testhalHttpEvent(event_type, event_data);]])
tarvex_generate_filled("${DIR}" [[
{
    "CheckedModules": ["", "Power", "Prompt", "BasicComms", "NetworkRegistration",
                       "InternetConnection_SIMCom2G", "HTTP_Client_SIMCom"],
    "GettingStarted": {"IsDebugOutputSetupSelected": false, "DebugBufferSize": 1024},
    "InternetConnection_SIMCom2G": {"IsApnRequired": true},
    "IsArduino": "false",
    "Language": "C"
}
]] gsm_manager.c hal)
