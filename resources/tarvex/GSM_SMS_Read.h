/*
 * GSM_SMS_Read.h - receiving text messages (SMS).
 *
 * At every new communication session Poll sets text mode and new-message indications
 * up (AT+CMGF=1, AT+CSCS="IRA", AT+CNMI=2,1,0,1,0, AT+CSDH=1) and lists the unread messages
 * already stored (AT+CMGL="REC UNREAD",1, which leaves them unread; a modem that refuses
 * the ",1" is listed with AT+CMGL="REC UNREAD" until the next session, and what such a
 * listing marks read without room in the queue is listed again with AT+CMGL="REC READ"
 * from the lowest such index on, and reported with SmsStatus ReceivedRead; "+CMTI: ,-1"
 * or a notice during a listing has the storage listed again). Each stored message - from that list or
 * announced by "+CMTI: <mem>,<index>" - is read with AT+CMGR (the text by the <length>
 * the header announces, line breaks included; by lines when a modem gives no <length> or
 * shows the data in hexadecimal), reported with a ReadSuccess event and
 * then deleted (AT+CMGD) so that the storage never fills up. The sender is copied from
 * the header (GSM_SMS_READ_MAX_SENDER characters), so the whole Prompt buffer is free for
 * the text. The module does not use Network Registration. Up to
 * GSM_SMS_READ_QUEUE indexes wait at a time; when more arrive the storage is listed
 * again later, so no message is missed.
 *
 * Wiring (as generated into gsm_manager.c):
 *     mGsmSmsReadInst.Power = (&mGsmPwrInst._i);
 *     mGsmSmsReadInst.Prompt = (&mGsmPromptInst._i);
 *     mGsmSmsReadInst.BasicComms = (&mGsmBasicCommsInst._i);
 *     mGsmSmsReadInst.EventHandler = &gsmSmsReadEventHandler;
 *     gsmSmsReadInit(&mGsmSmsReadInst);
 *     ... gsmSmsReadPoll(&mGsmSmsReadInst) from the main loop.
 */
#ifndef GSM_SMS_READ_H_
#define GSM_SMS_READ_H_

#include "GSM_Globals.h"
#include "GSM_Power_Interface.h"
#include "GSM_Prompt_Interface.h"
#include "GSM_BasicComms_Interface.h"

#ifdef __cplusplus
extern "C" {
#endif

#ifndef GSM_SMS_READ_QUEUE
#define GSM_SMS_READ_QUEUE 8u  /* stored-message indexes waiting to be read */
#endif
#ifndef GSM_SMS_READ_MAX_SENDER
#define GSM_SMS_READ_MAX_SENDER 20u  /* longest sender kept (a longer one is cut) */
#endif

/* Event codes passed to EventHandler. */
typedef uint8_t GSM_SmsRead_EventType;
enum
{
    GSM_SmsRead_EventType_ReadSuccess = 0  /* event_data: GSM_SmsRead_Event_ReadSuccess* */
};

/* <stat> of the message read (the text-mode names of 3GPP TS 27.005). */
typedef enum
{
    GSM_SmsRead_SmsStatus_ReceivedUnread = 0, /* "REC UNREAD" */
    GSM_SmsRead_SmsStatus_ReceivedRead = 1,   /* "REC READ" */
    GSM_SmsRead_SmsStatus_StoredUnsent = 2,   /* "STO UNSENT" */
    GSM_SmsRead_SmsStatus_StoredSent = 3,     /* "STO SENT" */
    GSM_SmsRead_SmsStatus_Unknown = 4
} GSM_SmsRead_SmsStatus;

typedef struct
{
    GSM_SmsRead_SmsStatus SmsStatus;
    char* PhoneNumber;             /* sender (<oa>, at most GSM_SMS_READ_MAX_SENDER characters),
                                      valid during the call */
    char* SmsData;                 /* message text, valid during the call */
    uint32_t EpochTime;            /* service-centre time stamp, UTC seconds since 1970
                                      (0 when the modem gave none) */
    int32_t TimeZoneCompensation;  /* sender's local time offset from UTC, in seconds */
    uint16_t StorageIndex;         /* where the message was stored (deleted afterwards) */
} GSM_SmsRead_Event_ReadSuccess;

typedef struct GSM_SmsRead_Instance_s
{
    GSM_Power_Interface* Power;
    GSM_Prompt_Interface* Prompt;
    GSM_BasicComms_Interface* BasicComms;
    void (*EventHandler)(struct GSM_SmsRead_Instance_s* inst, GSM_SmsRead_EventType event_type, void* event_data);

    /* Private state. */
    GSM_Prompt_Client Client;
    uint16_t Queue[GSM_SMS_READ_QUEUE];
    uint16_t ReadFrom;        /* "REC READ" listing: entries from this index on */
    uint16_t Overflowed;      /* lowest index the running listing could not queue */
    uint8_t QueueCount;
    uint8_t Phase;
    uint8_t Step;             /* set-up command in flight */
    uint8_t Flags;
    uint8_t Session;
    uint8_t Quirks;           /* what this modem refused (see GSM_SMS_Read.c) */
    char Storage[3];          /* storage the modem reads from ("SM", "ME", ...) */
    char PendingStorage[3];   /* storage named by the queued +CMTI */
    GSM_SmsRead_Event_ReadSuccess Message;  /* message being read */
    char Sender[GSM_SMS_READ_MAX_SENDER + 1u];  /* Message.PhoneNumber points here */
    uint32_t Retry_ms;
} GSM_SmsRead_Instance;

void gsmSmsReadInit(GSM_SmsRead_Instance* inst);
void gsmSmsReadPoll(GSM_SmsRead_Instance* inst);

/* True while received messages are waiting to be read. */
bool gsmSmsReadIsBusy(GSM_SmsRead_Instance* inst);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GSM_SMS_READ_H_ */
