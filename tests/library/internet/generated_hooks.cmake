# The code a developer writes into the USER CODE sections of the generated
# gsm_manager.c; here it drives the modem simulator through testhal.h.
set(HOOK_SECTIONS Includes SysTime_ms SetPowerKey ReadStatus gsmRxPoll gsmTxPoll gsmWrite gsmWriteCompleted
    gsmCanRead gsmRead gsmGetAPN gsmHttpClientSimcomEventHandler)
set(HOOK_Includes [[#include "testhal.h"]])
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
