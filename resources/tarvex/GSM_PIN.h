/*
 * GSM_PIN.h - SIM card status and PIN entry.
 *
 * At every new communication session Poll reads the SIM status (AT+CPIN?) and reports
 * it with a SimStatus event; while the SIM is not ready the status is re-read every
 * GSM_PIN_POLL_NOT_READY_MS, afterwards every GSM_PIN_POLL_READY_MS (to notice a removed
 * SIM), and "+CPIN: ..." URCs are followed at once. A SimStatus event is sent whenever
 * the status changes.
 * gsmPinEnter() sends the PIN once (AT+CPIN="nnnn") as soon as the SIM asks for it and
 * reports PinSuccess or PinFailed. The library never repeats a PIN on its own: a wrong
 * PIN entered again and again would block the SIM (PUK required). When PinSuccess (or a
 * SimStatus event) is delivered, gsmPinStatus() already returns the new status, so code
 * that enters the PIN whenever the status is PinRequired enters it exactly once per
 * start of the modem (after a modem restart the SIM asks again and so does the status).
 * The status follows verbose errors too ("+CME ERROR: SIM busy" is Busy) and a
 * "+CPIN: READY" that arrives inside another answer.
 *
 * Wiring (as generated into gsm_manager.c):
 *     mGsmPinInst.Power = (&mGsmPwrInst._i);
 *     mGsmPinInst.Prompt = (&mGsmPromptInst._i);
 *     mGsmPinInst.BasicComms = (&mGsmBasicCommsInst._i);
 *     mGsmPinInst.EventHandler = &gsmPinEventHandler;
 *     gsmPinInit(&mGsmPinInst);
 *     ... gsmPinPoll(&mGsmPinInst) from the main loop.
 */
#ifndef GSM_PIN_H_
#define GSM_PIN_H_

#include "GSM_Globals.h"
#include "GSM_Power_Interface.h"
#include "GSM_Prompt_Interface.h"
#include "GSM_BasicComms_Interface.h"

#ifdef __cplusplus
extern "C" {
#endif

#ifndef GSM_PIN_POLL_NOT_READY_MS
#define GSM_PIN_POLL_NOT_READY_MS 5000u
#endif
#ifndef GSM_PIN_POLL_READY_MS
#define GSM_PIN_POLL_READY_MS 60000u
#endif
#ifndef GSM_PIN_ENTER_TIMEOUT_MS
#define GSM_PIN_ENTER_TIMEOUT_MS 30000u  /* a PIN waiting for a SIM that never asks fails */
#endif

/* SIM card status (+CPIN, and the +CME errors of AT+CPIN?). */
typedef enum
{
    GSM_PIN_SimStatus_Unknown = 0,  /* not read yet, or communication down */
    GSM_PIN_SimStatus_Ready,        /* "READY": no PIN needed, or PIN accepted */
    GSM_PIN_SimStatus_PinRequired,  /* "SIM PIN": waiting for the PIN */
    GSM_PIN_SimStatus_PukRequired,  /* "SIM PUK": PIN blocked after wrong entries */
    GSM_PIN_SimStatus_NotInserted,  /* no SIM card (+CME ERROR: 10) */
    GSM_PIN_SimStatus_Busy,         /* SIM busy, e.g. just after start-up (+CME ERROR: 14) */
    GSM_PIN_SimStatus_Error,        /* SIM failure or wrong SIM (+CME ERROR: 13, 15, other) */
    GSM_PIN_SimStatus_OtherLock     /* another code needed: SIM PIN2/PUK2, PH-SIM PIN, ... */
} GSM_PIN_SimStatus;

/* Event codes passed to EventHandler. */
typedef uint8_t GSM_PIN_EventType;
enum
{
    GSM_PIN_EventType_SimStatus = 0,  /* event_data: GSM_PIN_Event_SimStatus* */
    GSM_PIN_EventType_PinSuccess = 1, /* PIN sent and accepted; event_data null */
    GSM_PIN_EventType_PinFailed = 2   /* PIN rejected, or not sent (the SIM needed none after
                                         all, needs the PUK or is missing); event_data null */
};

typedef struct
{
    GSM_PIN_SimStatus SimStatus;
} GSM_PIN_Event_SimStatus;

typedef struct GSM_PIN_Instance_s
{
    GSM_Power_Interface* Power;
    GSM_Prompt_Interface* Prompt;
    GSM_BasicComms_Interface* BasicComms;
    void (*EventHandler)(struct GSM_PIN_Instance_s* inst, GSM_PIN_EventType event_type, void* event_data);

    /* Private state. */
    GSM_Prompt_Client Client;
    uint16_t Pin;
    uint8_t Status;
    uint8_t Phase;
    uint8_t Flags;
    uint8_t Session;
    uint32_t LastQuery_ms;
    uint32_t PinRequested_ms;
} GSM_PIN_Instance;

/* Initialises the instance; the SIM status is read once communication is up. */
void gsmPinInit(GSM_PIN_Instance* inst);

/* Reads the SIM status and enters a requested PIN; call from the main loop. */
void gsmPinPoll(GSM_PIN_Instance* inst);

/* Enters `sim_pin` (sent with at least four digits: 123 -> "0123") once the SIM asks for
 * it. Returns false (no event) when a PIN entry is already in progress or the SIM is
 * ready. Outcome: PinSuccess or PinFailed (at once PinFailed when the SIM needs the PUK,
 * is missing, or turned ready before the PIN was sent). */
bool gsmPinEnter(GSM_PIN_Instance* inst, uint16_t sim_pin);

/* Last known SIM status. */
GSM_PIN_SimStatus gsmPinStatus(GSM_PIN_Instance* inst);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GSM_PIN_H_ */
