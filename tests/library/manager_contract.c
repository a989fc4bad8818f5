/*
 * A gsm_manager as the code generator writes it for the core and cellular modules,
 * with the callback stubs filled in. Compiled as C and as C++ with every toolchain by
 * the compile checks: it proves that every name the generated fragments use exists in
 * the library with a fitting type. The event handlers use every event field that the
 * generated example comments mention.
 */
#include <stdint.h>
#include <stdbool.h>
#include <string.h>
#ifdef __cplusplus
extern "C" {
#endif
#include "GSM_Power.h"
#include "GSM_Prompt.h"
#include "GSM_BasicComms.h"
#include "GSM_PIN.h"
#include "GSM_SignalQuality.h"
#include "GSM_NetworkRegistration.h"
#include "GSM_SMS_Send.h"
#include "GSM_SMS_Read.h"
#include "GSM_USSD.h"
#include "circbuff.h"
#ifdef __cplusplus
} // extern "C"
#endif

/* Function prototypes of gsm_manager.h */
extern void gsmmgrInit(void);
extern void gsmmgrPoll(void);
extern bool gsmmgrPowerGet(void);
extern void gsmmgrPowerSet(bool powered_on);
extern void gsmmgrPowerSetPowerKeyPressDurations(uint16_t powerOnPressTime_ms, uint16_t powerOffPressTime_ms);
extern bool gsmmgrBasicCommsCommunicationEstablished(void);
extern void gsmmgrPinEnter(uint16_t sim_pin);
extern GSM_PIN_SimStatus gsmmgrPinStatus(void);
#define gsmmgrSignalQualityRssiTo_dBm gsmSignalQualityRssiTo_dBm
extern bool gsmmgrSignalQualityQuery(void);
extern bool gsmmgrNetworkRegistrationIsRegistered(void);
#define gsmmgrSmsSendGetDeliveryStatusReportType gsmSmsSendGetDeliveryStatusReportType
extern bool gsmmgrSmsSend(char* phoneNumber, char* textBody);
extern void gsmmgrSmsSendCancel(void);
extern bool gsmmgrUssdSend(char* ussd_payload);
extern bool gsmmgrUssdCancelSession(void);

/* General variables */
static uint8_t mau8UartDebugTxBuff[256];
CircBuff mcbfDebugTx;
static uint8_t mau8GsmPromptBuff[1024];
static uint8_t mau8UartGsmEchoCancelBuff[1024];
static uint8_t mau8UartGsmTxBuff[1024];
CircBuff mcbfGsmTx;
static uint8_t mau8UartGsmRxBuff[1024];
CircBuff mcbfGsmRx;

/* Instance variables */
GSM_Power_Instance mGsmPwrInst = {0};
GSM_Prompt_Instance mGsmPromptInst = {0};
GSM_BasicComms_Instance mGsmBasicCommsInst = {0};
GSM_PIN_Instance mGsmPinInst = {0};
GSM_SignalQuality_Instance mGsmSignalQualityInst = {0};
GSM_NetworkRegistration_Instance mGsmNetworkRegistrationInst = {0};
GSM_SmsSend_Instance mGsmSmsSendInst = {0};
GSM_SmsRead_Instance mGsmSmsReadInst = {0};
GSM_USSD_Instance mGsmUssdInst = {0};

#ifdef __cplusplus
extern "C" {
#endif
uint32_t gsm__SysTime_ms() {
    static uint32_t t;
    return t++;
}
#ifdef __cplusplus
} // extern "C"
#endif

/* General callback functions */
void gsmDebugTxPoll()
{
    uint32_t u32NumberOfBytes;
    uint8_t* pu8Segment = 0;
    if (cbufCanRead(&mcbfDebugTx))
    {
        cbufReleaseLock(&mcbfDebugTx);
        u32NumberOfBytes = cbufReadContinuousSegmentAndLock(&mcbfDebugTx, &pu8Segment, 63);
        (void)u32NumberOfBytes;
    }
}

void gsmDebugWrite(uint8_t _data)
{
    (void)cbufWrite(&mcbfDebugTx, _data);
}

void gsmDebugWriteText(char* text)
{
    while (*text)
    {
        gsmDebugWrite(*text++);
    }
}

void gsmSetPowerKey(GSM_Power_Instance* inst, bool activated) { (void)inst; (void)activated; }
void gsmSetReset(GSM_Power_Instance* inst, bool activated) { (void)inst; (void)activated; }
bool gsmReadStatus(GSM_Power_Instance* inst) { (void)inst; return true; }

void gsmRxPoll()
{
}

void gsmTxPoll()
{
    uint8_t byte;
    cbufReleaseLock(&mcbfGsmTx);
    while (cbufCanRead(&mcbfGsmTx))
    {
        byte = cbufRead(&mcbfGsmTx);
        (void)byte;
    }
}

void gsmWrite(GSM_Prompt_Instance* inst, uint8_t _data)
{
    (void)inst;
    (void)cbufWrite(&mcbfGsmTx, _data);
    gsmTxPoll();
}

bool gsmWriteCompleted(GSM_Prompt_Instance* inst)
{
    (void)inst;
    return cbufBufferedSize(&mcbfGsmTx) == 0;
}

bool gsmCanRead(GSM_Prompt_Instance* inst)
{
    (void)inst;
    gsmRxPoll();
    return cbufCanRead(&mcbfGsmRx);
}

uint8_t gsmRead(GSM_Prompt_Instance* inst)
{
    (void)inst;
    return cbufRead(&mcbfGsmRx);
}

/* Event handlers, with the fields the generated examples print. */
static volatile int32_t sink;

void gsmPinEventHandler(GSM_PIN_Instance* inst, GSM_PIN_EventType event_type, void* event_data)
{
    GSM_PIN_Event_SimStatus* pevntPinSimStatus;
    (void)inst;
    switch(event_type)
    {
    case GSM_PIN_EventType_SimStatus:
        pevntPinSimStatus = (GSM_PIN_Event_SimStatus*)event_data;
        sink = pevntPinSimStatus->SimStatus;
        break;
    case GSM_PIN_EventType_PinSuccess:
        break;
    case GSM_PIN_EventType_PinFailed:
        break;
    }
}

void gsmSignalQualityEventHandler(GSM_SignalQuality_Instance* inst, GSM_SignalQuality_EventType event_type, void* event_data)
{
    GSM_SignalQuality_Event_QuerySuccess* pevntSignalQualityQuerySuccess;
    (void)inst;
    switch(event_type)
    {
    case GSM_SignalQuality_EventType_QuerySuccess:
        pevntSignalQualityQuerySuccess = (GSM_SignalQuality_Event_QuerySuccess*)event_data;
        sink = pevntSignalQualityQuerySuccess->Rssi + pevntSignalQualityQuerySuccess->Quality;
        sink = gsmmgrSignalQualityRssiTo_dBm(pevntSignalQualityQuerySuccess->Rssi);
        break;
    }
}

void gsmSmsSendEventHandler(GSM_SmsSend_Instance* inst, GSM_SmsSend_EventType event_type, void* event_data)
{
    GSM_SmsSend_Event_SendSuccess* pevntSmsSendSuccess;
    GSM_SmsSend_Event_DeliveryStatusReport* pevntDeliveryStatusReport;
    char txt[64];
    (void)inst;
    switch(event_type)
    {
    case GSM_SmsSend_EventType_SendSuccess:
        pevntSmsSendSuccess = (GSM_SmsSend_Event_SendSuccess*)event_data;
        sink = pevntSmsSendSuccess->MessageReference;
        break;
    case GSM_SmsSend_EventType_SendFailed:
        break;
    case GSM_SmsSend_EventType_DeliveryStatusReport:
        pevntDeliveryStatusReport = (GSM_SmsSend_Event_DeliveryStatusReport*)event_data;
        strcpy(txt, "Phone number: ");
        strncat(txt, pevntDeliveryStatusReport->PhoneNumber, 40);
        sink = pevntDeliveryStatusReport->MessageReference + pevntDeliveryStatusReport->MessageStatus;
        sink = (int32_t)pevntDeliveryStatusReport->ServiceCentreEpoch;
        sink = pevntDeliveryStatusReport->ServiceCentreTimeZoneOffsetInSeconds;
        sink = (int32_t)pevntDeliveryStatusReport->DischargeEpoch;
        sink = pevntDeliveryStatusReport->DischargeTimeZoneOffsetInSeconds;
        sink = gsmmgrSmsSendGetDeliveryStatusReportType(pevntDeliveryStatusReport->MessageStatus);
        gsmDebugWriteText(txt);
        break;
    }
}

void gsmSmsReadEventHandler(GSM_SmsRead_Instance* inst, GSM_SmsRead_EventType event_type, void* event_data)
{
    GSM_SmsRead_Event_ReadSuccess* pevntSmsReadSuccess;
    (void)inst;
    switch(event_type)
    {
    case GSM_SmsRead_EventType_ReadSuccess:
        pevntSmsReadSuccess = (GSM_SmsRead_Event_ReadSuccess*)event_data;
        sink = pevntSmsReadSuccess->SmsStatus;
        gsmDebugWriteText(pevntSmsReadSuccess->PhoneNumber);
        gsmDebugWriteText(pevntSmsReadSuccess->SmsData);
        sink = (int32_t)pevntSmsReadSuccess->EpochTime;
        sink = pevntSmsReadSuccess->TimeZoneCompensation;
        break;
    }
}

void gsmUssdEventHandler(GSM_USSD_Instance* inst, GSM_USSD_EventType event_type, void* event_data)
{
    GSM_USSD_Event_UssdResponse* pevntUssdResponse;
    (void)inst;
    switch(event_type)
    {
    case GSM_USSD_EventType_UssdSent:
        break;
    case GSM_USSD_EventType_UssdResponse:
        pevntUssdResponse = (GSM_USSD_Event_UssdResponse*)event_data;
        sink = pevntUssdResponse->ResponseCode;
        gsmDebugWriteText(pevntUssdResponse->DataResult);
        if (pevntUssdResponse->ResponseCode == GSM_USSD_ResponseCode_ActionRequired)
        {
            (void)gsmmgrUssdCancelSession();
        }
        break;
    case GSM_USSD_EventType_UssdCancelled:
        break;
    }
}

/* gsmmgrInit / gsmmgrPoll */
void gsmmgrInit() {

    // DEBUG Tx buffer setup
    mcbfDebugTx.Buffer = mau8UartDebugTxBuff;
    mcbfDebugTx.BufferSize = sizeof(mau8UartDebugTxBuff);
    cbufInit(&mcbfDebugTx);
    
    // Power
    mGsmPwrInst.SetPowerKey = &gsmSetPowerKey;
    mGsmPwrInst.SetReset = &gsmSetReset;
    mGsmPwrInst.ReadStatus = &gsmReadStatus;
    gsmPowerInit(&mGsmPwrInst);
    
    // Prompt
    mGsmPromptInst.Power = &(mGsmPwrInst._i);
    mGsmPromptInst.DataBuffer = mau8GsmPromptBuff;
    mGsmPromptInst.DataBufferSize = sizeof(mau8GsmPromptBuff);
    mGsmPromptInst.Write = &gsmWrite;
    mGsmPromptInst.WriteCompleted = &gsmWriteCompleted;
    mGsmPromptInst.CanRead = &gsmCanRead;
    mGsmPromptInst.Read = &gsmRead;
    mGsmPromptInst.EchoCancellationBuffer = mau8UartGsmEchoCancelBuff;
    mGsmPromptInst.EchoCancellationBufferSize = sizeof(mau8UartGsmEchoCancelBuff);
    gsmPromptInit(&mGsmPromptInst);

    // GSM Tx buffer setup
    mcbfGsmTx.Buffer = mau8UartGsmTxBuff;
    mcbfGsmTx.BufferSize = sizeof(mau8UartGsmTxBuff);
    cbufInit(&mcbfGsmTx);

    // GSM Rx buffer setup
    mcbfGsmRx.Buffer = mau8UartGsmRxBuff;
    mcbfGsmRx.BufferSize = sizeof(mau8UartGsmRxBuff);
    cbufInit(&mcbfGsmRx);
    
    // BasicComms
    mGsmBasicCommsInst.Power = &(mGsmPwrInst._i);
    mGsmBasicCommsInst.Prompt = &(mGsmPromptInst._i);
    mGsmBasicCommsInst.EchoOn = 1;
    gsmBasicCommsInit(&mGsmBasicCommsInst);
    
    // PIN
    mGsmPinInst.Power = (&mGsmPwrInst._i);
    mGsmPinInst.Prompt = (&mGsmPromptInst._i);
    mGsmPinInst.BasicComms = (&mGsmBasicCommsInst._i);
    mGsmPinInst.EventHandler = &gsmPinEventHandler;
    gsmPinInit(&mGsmPinInst);
    
    // Signal Quality
    mGsmSignalQualityInst.Power = (&mGsmPwrInst._i);
    mGsmSignalQualityInst.Prompt = (&mGsmPromptInst._i);
    mGsmSignalQualityInst.BasicComms = (&mGsmBasicCommsInst._i);
    mGsmSignalQualityInst.EventHandler = &gsmSignalQualityEventHandler;
    gsmSignalQualityInit(&mGsmSignalQualityInst);
    
    // Network Registration
    mGsmNetworkRegistrationInst.Power = (&mGsmPwrInst._i);
    mGsmNetworkRegistrationInst.Prompt = (&mGsmPromptInst._i);
    mGsmNetworkRegistrationInst.BasicComms = (&mGsmBasicCommsInst._i);
    gsmNetworkRegistrationInit(&mGsmNetworkRegistrationInst);
    
    // SMS Send
    mGsmSmsSendInst.Power = (&mGsmPwrInst._i);
    mGsmSmsSendInst.Prompt = (&mGsmPromptInst._i);
    mGsmSmsSendInst.BasicComms = (&mGsmBasicCommsInst._i);
    mGsmSmsSendInst.NetworkRegistration = (&mGsmNetworkRegistrationInst._i);
    mGsmSmsSendInst.EventHandler = &gsmSmsSendEventHandler;
    gsmSmsSendInit(&mGsmSmsSendInst);
    
    // SMS Read
    mGsmSmsReadInst.Power = (&mGsmPwrInst._i);
    mGsmSmsReadInst.Prompt = (&mGsmPromptInst._i);
    mGsmSmsReadInst.BasicComms = (&mGsmBasicCommsInst._i);
    mGsmSmsReadInst.EventHandler = &gsmSmsReadEventHandler;
    gsmSmsReadInit(&mGsmSmsReadInst);
    
    // USSD
    mGsmUssdInst.Power = (&mGsmPwrInst._i);
    mGsmUssdInst.Prompt = (&mGsmPromptInst._i);
    mGsmUssdInst.NetworkRegistration = (&mGsmNetworkRegistrationInst._i);
    mGsmUssdInst.EventHandler = &gsmUssdEventHandler;
    gsmUssdInit(&mGsmUssdInst);
}

void gsmmgrPoll() {

    gsmDebugTxPoll();
    gsmPowerPoll(&mGsmPwrInst);
    gsmRxPoll();
    gsmPromptPoll(&mGsmPromptInst);
    gsmTxPoll();
    gsmBasicCommsPoll(&mGsmBasicCommsInst);
    gsmPinPoll(&mGsmPinInst);
    gsmSignalQualityPoll(&mGsmSignalQualityInst);
    gsmNetworkRegistrationPoll(&mGsmNetworkRegistrationInst);
    gsmSmsSendPoll(&mGsmSmsSendInst);
    gsmSmsReadPoll(&mGsmSmsReadInst);
    gsmUssdPoll(&mGsmUssdInst);
}

/* Convenience functions */
bool gsmmgrPowerGet()
{
   return gsmPowerGet(&mGsmPwrInst);
}

void gsmmgrPowerSet(bool powered_on)
{
gsmPowerSet(&mGsmPwrInst, powered_on);
}

void gsmmgrPowerSetPowerKeyPressDurations(uint16_t powerOnPressTime_ms, uint16_t powerOffPressTime_ms)
{
gsmPowerSetPowerKeyPressDurations(&mGsmPwrInst, powerOnPressTime_ms, powerOffPressTime_ms);
}

bool gsmmgrBasicCommsCommunicationEstablished()
{
   return gsmBasicCommsCommunicationEstablished(&mGsmBasicCommsInst);
}

void gsmmgrPinEnter(uint16_t sim_pin)
{
    gsmPinEnter(&mGsmPinInst, sim_pin);
}

GSM_PIN_SimStatus gsmmgrPinStatus()
{
    return gsmPinStatus(&mGsmPinInst);
}

bool gsmmgrSignalQualityQuery()
{
return gsmSignalQualityQuery(&mGsmSignalQualityInst);
}

bool gsmmgrNetworkRegistrationIsRegistered()
{
   return gsmNetworkRegistrationIsRegistered(&mGsmNetworkRegistrationInst);
}

bool gsmmgrSmsSend(char* phoneNumber, char* textBody)
{
    return gsmSmsSend(&mGsmSmsSendInst, phoneNumber, textBody);
}

void gsmmgrSmsSendCancel()
{
    gsmSmsSendCancel(&mGsmSmsSendInst);
}

bool gsmmgrUssdSend(char* ussd_payload)
{
   return gsmUssdSend(&mGsmUssdInst, ussd_payload);
}

bool gsmmgrUssdCancelSession()
{
   return gsmUssdCancelSession(&mGsmUssdInst);
}
