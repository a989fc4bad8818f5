/*
 * GSM_SMS_Send.h - sending text messages (SMS) with delivery reports.
 *
 * gsmSmsSend() checks the number and text and returns at once (it keeps pointers to
 * them: see there how long they must stay unchanged); Poll then waits until
 * communication is established and the network is available (at most
 * GSM_SMS_SEND_NETWORK_WAIT_MS), sets text mode and delivery reports up once per
 * communication session (AT+CMGF=1, AT+CSCS="IRA", AT+CSMP=49,167,0,0 to request a
 * status report, AT+CNMI=2,1,0,1,0 to have reports shown as +CDS), and sends
 * AT+CMGS="<number>", the text after the "> " prompt and Ctrl-Z. "+CMGS: <mr>" ends in
 * SendSuccess with the message reference; an error, a timeout or gsmSmsSendCancel()
 * ends in SendFailed. When the network later reports delivery ("+CDS: ..." for one of
 * the last GSM_SMS_SEND_TRACKED_REFERENCES references sent), a DeliveryStatusReport
 * event follows; classify its MessageStatus with gsmSmsSendGetDeliveryStatusReportType()
 * and, when the handler wants the time stamps as numbers, call
 * gsmSmsSendParseDeliveryReportTimes() on it.
 *
 * Wiring (as generated into gsm_manager.c):
 *     mGsmSmsSendInst.Power = (&mGsmPwrInst._i);
 *     mGsmSmsSendInst.Prompt = (&mGsmPromptInst._i);
 *     mGsmSmsSendInst.BasicComms = (&mGsmBasicCommsInst._i);
 *     mGsmSmsSendInst.NetworkRegistration = (&mGsmNetworkRegistrationInst._i);
 *     mGsmSmsSendInst.EventHandler = &gsmSmsSendEventHandler;
 *     gsmSmsSendInit(&mGsmSmsSendInst);
 *     ... gsmSmsSendPoll(&mGsmSmsSendInst) from the main loop.
 */
#ifndef GSM_SMS_SEND_H_
#define GSM_SMS_SEND_H_

#include "GSM_Globals.h"
#include "GSM_Power_Interface.h"
#include "GSM_Prompt_Interface.h"
#include "GSM_BasicComms_Interface.h"
#include "GSM_NetworkRegistration_Interface.h"

#ifdef __cplusplus
extern "C" {
#endif

#ifndef GSM_SMS_SEND_MAX_TEXT
#define GSM_SMS_SEND_MAX_TEXT 160u          /* longest text accepted (one GSM 7-bit SMS) */
#endif
#ifndef GSM_SMS_MAX_PHONE_NUMBER
#define GSM_SMS_MAX_PHONE_NUMBER 20u        /* longest number accepted ('+' included) */
#endif
#ifndef GSM_SMS_SEND_TRACKED_REFERENCES
#define GSM_SMS_SEND_TRACKED_REFERENCES 4u  /* sent messages awaiting a delivery report (1..255) */
#endif
#ifndef GSM_SMS_SEND_NETWORK_WAIT_MS
#define GSM_SMS_SEND_NETWORK_WAIT_MS 60000u /* wait for communication + network, then fail */
#endif
#ifndef GSM_SMS_SEND_TIMEOUT_MS
#define GSM_SMS_SEND_TIMEOUT_MS 60000u      /* AT+CMGS answer after Ctrl-Z */
#endif
#ifndef GSM_SMS_SEND_REPORT_TIMES
#define GSM_SMS_SEND_REPORT_TIMES 1         /* 0: a delivery report's numeric times stay 0
                                               unless the handler asks (saves the date
                                               arithmetic, about 500 B on an 8-bit chip) */
#endif

/* Event codes passed to EventHandler. */
typedef uint8_t GSM_SmsSend_EventType;
enum
{
    GSM_SmsSend_EventType_SendSuccess = 0,         /* event_data: GSM_SmsSend_Event_SendSuccess* */
    GSM_SmsSend_EventType_SendFailed = 1,          /* event_data: GSM_SmsSend_Event_SendFailed* */
    GSM_SmsSend_EventType_DeliveryStatusReport = 2 /* event_data: GSM_SmsSend_Event_DeliveryStatusReport* */
};

typedef struct
{
    uint8_t MessageReference;  /* <mr> of +CMGS: matches a later delivery report */
} GSM_SmsSend_Event_SendSuccess;

typedef struct
{
    GSM_Result Result;   /* Error/CmsError/CmeError (ErrorCode holds <n>), Timeout, Aborted */
    uint16_t ErrorCode;  /* e.g. +CMS ERROR: 500 -> 500 */
} GSM_SmsSend_Event_SendFailed;

/* A delivery report. The two time stamps come as the modem's texts and as numbers. Built
 * with GSM_SMS_SEND_REPORT_TIMES 0, the four numeric time fields stay 0 until the
 * handler asks for them with gsmSmsSendParseDeliveryReportTimes(report), so firmware
 * that does not use them does not carry the date arithmetic. */
typedef struct
{
    char* PhoneNumber;                            /* recipient (<ra>), valid during the call */
    uint8_t MessageReference;                     /* <mr>, as reported by SendSuccess */
    uint8_t MessageStatus;                        /* <st> (TP-Status) */
    uint32_t ServiceCentreEpoch;                  /* <scts> in UTC seconds since 1970 (*) */
    int32_t ServiceCentreTimeZoneOffsetInSeconds; /* local time offset of <scts> (*) */
    uint32_t DischargeEpoch;                      /* <dt> (delivery/discharge time), UTC (*) */
    int32_t DischargeTimeZoneOffsetInSeconds;     /* local time offset of <dt> (*) */
    char* ServiceCentreTimeStamp;                 /* <scts> text "yy/MM/dd,hh:mm:ss+zz",
                                                     valid during the call */
    char* DischargeTimeStamp;                     /* <dt> text, valid during the call */
} GSM_SmsSend_Event_DeliveryStatusReport;
/* (*) 0 when a stamp is missing or malformed; with GSM_SMS_SEND_REPORT_TIMES 0, filled
 * only by gsmSmsSendParseDeliveryReportTimes() */

/* Meaning of a delivery report's MessageStatus. */
typedef enum
{
    GSM_SmsSend_DeliveryStatusReportType_Delivered = 0, /* 0..31: delivered to the recipient */
    GSM_SmsSend_DeliveryStatusReportType_Pending,       /* 32..63: not yet, still trying */
    GSM_SmsSend_DeliveryStatusReportType_Failed         /* 64..: failed, no further attempts */
} GSM_SmsSend_DeliveryStatusReportType;

typedef struct GSM_SmsSend_Instance_s
{
    GSM_Prompt_Client Client; /* private; first, so that the Prompt's client is the instance */
    GSM_Power_Interface* Power;
    GSM_Prompt_Interface* Prompt;
    GSM_BasicComms_Interface* BasicComms;
    GSM_NetworkRegistration_Interface* NetworkRegistration;
    void (*EventHandler)(struct GSM_SmsSend_Instance_s* inst, GSM_SmsSend_EventType event_type, void* event_data);

    /* Private state. */
    const char* PhoneNumber;  /* the caller's texts (see gsmSmsSend) */
    const char* Text;
    uint8_t Phase;
    uint8_t Step;             /* set-up command in flight; then the <mr> of "+CMGS:" */
    uint8_t Session;          /* communication session whose set-up is done */
    uint8_t References[GSM_SMS_SEND_TRACKED_REFERENCES];
    uint8_t ReferenceCount;
    uint32_t Start_ms;
} GSM_SmsSend_Instance;

void gsmSmsSendInit(GSM_SmsSend_Instance* inst);
void gsmSmsSendPoll(GSM_SmsSend_Instance* inst);

/* Queues a text message. The number may hold '+', digits, '*' and '#' (at most
 * GSM_SMS_MAX_PHONE_NUMBER characters); the text at most GSM_SMS_SEND_MAX_TEXT
 * characters, no Ctrl-Z or ESC (CR LF and CR are sent as LF). Returns false - nothing
 * queued, no event - when a message is still being sent or the number or text is not
 * acceptable (a long text is rejected, never truncated). Outcome: SendSuccess or
 * SendFailed. Neither text is copied: both must stay valid and unchanged until that
 * event (a static or global array, or a string literal; not a local array of a function
 * that returns first). */
bool gsmSmsSend(GSM_SmsSend_Instance* inst, const char* phoneNumber, const char* textBody);

/* Cancels the message being sent: before the text is complete it is abandoned (ESC)
 * and SendFailed (Result Aborted) is reported; once the text has gone to the modem the
 * send can no longer be stopped and ends as it ends. */
void gsmSmsSendCancel(GSM_SmsSend_Instance* inst);

/* True while a message is queued or being sent. */
bool gsmSmsSendIsBusy(GSM_SmsSend_Instance* inst);

/* Classifies a delivery report's MessageStatus (<st>). */
GSM_SmsSend_DeliveryStatusReportType gsmSmsSendGetDeliveryStatusReportType(uint8_t messageStatus);

/* Fills the numeric time fields of a delivery report (in the handler, while its texts
 * are valid) from ServiceCentreTimeStamp and DischargeTimeStamp: seconds since
 * 1970-01-01 UTC and the local time offsets in seconds (see gsmUtilParseScts). Returns
 * false when a stamp is missing or malformed; its two fields then stay 0. */
bool gsmSmsSendParseDeliveryReportTimes(GSM_SmsSend_Event_DeliveryStatusReport* report);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GSM_SMS_SEND_H_ */
