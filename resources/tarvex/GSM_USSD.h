/*
 * GSM_USSD.h - USSD sessions (balance queries, operator menus).
 *
 * gsmUssdSend() sends AT+CUSD=1,"<code>",15 once the network is available (a modem that
 * rejects the <dcs> 15 is asked again, and from then on, with AT+CUSD=1,"<code>"). The
 * modem's OK gives UssdSent; the network's answer "+CUSD: <m>[,"<text>",<dcs>]" (which
 * some modems send before their OK, some without any OK) gives UssdResponse with
 * ResponseCode = <m> and the text in DataResult. With GSM_USSD_ResponseCode_ActionRequired the session stays open: reply
 * with gsmUssdSend() (e.g. a menu choice "1") or end it with gsmUssdCancelSession()
 * (AT+CUSD=2, then UssdCancelled). A request the modem rejects ends in UssdResponse with
 * GSM_USSD_ResponseCode_SendFailed; no answer within GSM_USSD_RESPONSE_TIMEOUT_MS in
 * UssdResponse with GSM_USSD_ResponseCode_NetworkTimeout.
 *
 * Wiring (as generated into gsm_manager.c):
 *     mGsmUssdInst.Power = (&mGsmPwrInst._i);
 *     mGsmUssdInst.Prompt = (&mGsmPromptInst._i);
 *     mGsmUssdInst.NetworkRegistration = (&mGsmNetworkRegistrationInst._i);
 *     mGsmUssdInst.EventHandler = &gsmUssdEventHandler;
 *     gsmUssdInit(&mGsmUssdInst);
 *     ... gsmUssdPoll(&mGsmUssdInst) from the main loop.
 */
#ifndef GSM_USSD_H_
#define GSM_USSD_H_

#include "GSM_Globals.h"
#include "GSM_Power_Interface.h"
#include "GSM_Prompt_Interface.h"
#include "GSM_NetworkRegistration_Interface.h"

#ifdef __cplusplus
extern "C" {
#endif

#ifndef GSM_USSD_MAX_CODE
#define GSM_USSD_MAX_CODE 32u                 /* longest code/reply accepted */
#endif
#ifndef GSM_USSD_RESPONSE_TIMEOUT_MS
#define GSM_USSD_RESPONSE_TIMEOUT_MS 60000u   /* network answer after the request */
#endif
#ifndef GSM_USSD_NETWORK_WAIT_MS
#define GSM_USSD_NETWORK_WAIT_MS 30000u       /* wait for registration before failing */
#endif

/* Event codes passed to EventHandler. */
typedef uint8_t GSM_USSD_EventType;
enum
{
    GSM_USSD_EventType_UssdSent = 0,      /* the modem accepted the request; event_data null */
    GSM_USSD_EventType_UssdResponse = 1,  /* event_data: GSM_USSD_Event_UssdResponse* */
    GSM_USSD_EventType_UssdCancelled = 2  /* session ended by gsmUssdCancelSession(); event_data null */
};

/* <m> of +CUSD (3GPP TS 27.007), plus one library code. */
typedef enum
{
    GSM_USSD_ResponseCode_NoFurtherAction = 0,      /* final answer, session closed */
    GSM_USSD_ResponseCode_ActionRequired = 1,       /* the network waits for a reply */
    GSM_USSD_ResponseCode_TerminatedByNetwork = 2,
    GSM_USSD_ResponseCode_OtherLocalClient = 3,     /* another local client has responded */
    GSM_USSD_ResponseCode_OperationNotSupported = 4,
    GSM_USSD_ResponseCode_NetworkTimeout = 5,       /* no answer from the network */
    GSM_USSD_ResponseCode_SendFailed = 16           /* the modem rejected the request (ERROR),
                                                       or no network to send it */
} GSM_USSD_ResponseCode;

typedef struct
{
    GSM_USSD_ResponseCode ResponseCode;
    char* DataResult;           /* the network's text ("" when none), valid during the call */
    uint8_t DataCodingScheme;   /* <dcs> (15 = GSM 7-bit default; 72 = UCS2 shown as hex) */
} GSM_USSD_Event_UssdResponse;

typedef struct GSM_USSD_Instance_s
{
    GSM_Power_Interface* Power;
    GSM_Prompt_Interface* Prompt;
    GSM_NetworkRegistration_Interface* NetworkRegistration;
    void (*EventHandler)(struct GSM_USSD_Instance_s* inst, GSM_USSD_EventType event_type, void* event_data);

    /* Private state. */
    GSM_Prompt_Client Client;
    char Code[GSM_USSD_MAX_CODE + 1];
    uint8_t Phase;
    uint8_t Flags;
    uint32_t Start_ms;
} GSM_USSD_Instance;

void gsmUssdInit(GSM_USSD_Instance* inst);
void gsmUssdPoll(GSM_USSD_Instance* inst);

/* Sends a USSD code or a reply within an open session: digits, '*', '#', '+' and
 * letters, at most GSM_USSD_MAX_CODE characters. Returns false when the text is not
 * acceptable or a request is still waiting for its answer. Outcome: UssdSent and then
 * UssdResponse. */
bool gsmUssdSend(GSM_USSD_Instance* inst, const char* ussd_payload);

/* Ends the session (AT+CUSD=2), also abandoning a request still waiting for its answer.
 * Returns false when a cancel is already running. Outcome: UssdCancelled. */
bool gsmUssdCancelSession(GSM_USSD_Instance* inst);

/* True while the network waits for a reply (last response was ActionRequired). */
bool gsmUssdIsSessionOpen(GSM_USSD_Instance* inst);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GSM_USSD_H_ */
