/*
 * GSM_SignalQuality.h - signal quality query (AT+CSQ).
 *
 * gsmSignalQualityQuery() asks the modem for "+CSQ: <rssi>,<ber>"; the answer arrives as
 * a QuerySuccess event with Rssi (0..31 or 99 = unknown; convert with
 * gsmSignalQualityRssiTo_dBm) and Quality (the bit error rate class, 0..7 or 99 =
 * unknown). A query the modem rejects or does not answer ends with QueryFailed.
 *
 * Wiring (as generated into gsm_manager.c):
 *     mGsmSignalQualityInst.Power = (&mGsmPwrInst._i);
 *     mGsmSignalQualityInst.Prompt = (&mGsmPromptInst._i);
 *     mGsmSignalQualityInst.BasicComms = (&mGsmBasicCommsInst._i);
 *     mGsmSignalQualityInst.EventHandler = &gsmSignalQualityEventHandler;
 *     gsmSignalQualityInit(&mGsmSignalQualityInst);
 *     ... gsmSignalQualityPoll(&mGsmSignalQualityInst) from the main loop.
 */
#ifndef GSM_SIGNALQUALITY_H_
#define GSM_SIGNALQUALITY_H_

#include "GSM_Globals.h"
#include "GSM_Power_Interface.h"
#include "GSM_Prompt_Interface.h"
#include "GSM_BasicComms_Interface.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Returned by gsmSignalQualityRssiTo_dBm() when the level is not known (<rssi> 99): the
 * lowest int16_t, far below any real level, so a test such as "dBm > -70 means good"
 * never takes it for a signal. Compare with == to tell it apart from a weak signal. */
#define GSM_SIGNALQUALITY_DBM_UNKNOWN ((int16_t)(-32767 - 1))

/* Event codes passed to EventHandler. */
typedef uint8_t GSM_SignalQuality_EventType;
enum
{
    GSM_SignalQuality_EventType_QuerySuccess = 0, /* event_data: GSM_SignalQuality_Event_QuerySuccess* */
    GSM_SignalQuality_EventType_QueryFailed = 1   /* no valid answer; event_data null */
};

typedef struct
{
    uint8_t Rssi;     /* <rssi>: 0 (-113 dBm or less) .. 31 (-51 dBm or more), 99 unknown */
    uint8_t Quality;  /* <ber>: bit error rate class 0..7, 99 unknown */
} GSM_SignalQuality_Event_QuerySuccess;

typedef struct GSM_SignalQuality_Instance_s
{
    GSM_Power_Interface* Power;
    GSM_Prompt_Interface* Prompt;
    GSM_BasicComms_Interface* BasicComms;
    void (*EventHandler)(struct GSM_SignalQuality_Instance_s* inst, GSM_SignalQuality_EventType event_type,
                         void* event_data);

    /* Private state. */
    GSM_Prompt_Client Client;
    uint8_t Rssi;
    uint8_t Quality;
    uint8_t Flags;
} GSM_SignalQuality_Instance;

void gsmSignalQualityInit(GSM_SignalQuality_Instance* inst);
void gsmSignalQualityPoll(GSM_SignalQuality_Instance* inst);

/* Starts a query. Returns false when communication is not established or a query is
 * already running. Outcome: QuerySuccess or QueryFailed. */
bool gsmSignalQualityQuery(GSM_SignalQuality_Instance* inst);

/* Converts <rssi> to dBm: 0 -> -113, 1 -> -111, ... 31 -> -51 (2*rssi - 113); the
 * extended range 100..191 -> -116..-25; 99 and anything else ->
 * GSM_SIGNALQUALITY_DBM_UNKNOWN (-32768). */
int16_t gsmSignalQualityRssiTo_dBm(uint8_t rssi);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GSM_SIGNALQUALITY_H_ */
