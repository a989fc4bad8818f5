/*
 * GSM_BasicComms.h - establishes and supervises communication with the modem.
 *
 * Once the modem is powered, Poll sends "AT" every GSM_BASICCOMMS_SYNC_INTERVAL_MS until
 * it answers OK (this also lets auto-bauding modems lock on), then applies ATE1 or ATE0
 * (per EchoOn) and AT+CMEE=1 (numeric +CME ERROR codes). Communication is then
 * established and the Prompt engine starts serving the other modules.
 * Supervision: when commands time out GSM_BASICCOMMS_LOST_TIMEOUTS times in a row, or
 * nothing was answered for GSM_BASICCOMMS_KEEPALIVE_MS (an "AT" probe is sent then),
 * or the modem announces a restart ("RDY"), communication counts as lost and is
 * re-synchronised; when the modem stays silent for GSM_BASICCOMMS_SYNC_ATTEMPTS probes,
 * a restart is requested from the Power module (reset line or power cycle).
 *
 * Wiring (as generated into gsm_manager.c):
 *     mGsmBasicCommsInst.Power = &(mGsmPwrInst._i);
 *     mGsmBasicCommsInst.Prompt = &(mGsmPromptInst._i);
 *     mGsmBasicCommsInst.EchoOn = 1;
 *     gsmBasicCommsInit(&mGsmBasicCommsInst);
 *     ... gsmBasicCommsPoll(&mGsmBasicCommsInst) from the main loop.
 */
#ifndef GSM_BASICCOMMS_H_
#define GSM_BASICCOMMS_H_

#include "GSM_Globals.h"
#include "GSM_Power_Interface.h"
#include "GSM_Prompt_Interface.h"
#include "GSM_BasicComms_Interface.h"

#ifdef __cplusplus
extern "C" {
#endif

#ifndef GSM_BASICCOMMS_SYNC_INTERVAL_MS
#define GSM_BASICCOMMS_SYNC_INTERVAL_MS 1000u  /* between "AT" probes while synchronising */
#endif
#ifndef GSM_BASICCOMMS_SYNC_ATTEMPTS
#define GSM_BASICCOMMS_SYNC_ATTEMPTS 15u       /* silent probes before a modem restart */
#endif
#ifndef GSM_BASICCOMMS_LOST_TIMEOUTS
#define GSM_BASICCOMMS_LOST_TIMEOUTS 2u        /* timed-out commands in a row = link lost */
#endif
#ifndef GSM_BASICCOMMS_KEEPALIVE_MS
#define GSM_BASICCOMMS_KEEPALIVE_MS 60000u     /* idle time before an "AT" probe */
#endif
#ifndef GSM_BASICCOMMS_BOOT_DELAY_MS
#define GSM_BASICCOMMS_BOOT_DELAY_MS 2000u     /* after power-up, before the first probe */
#endif
#ifndef GSM_BASICCOMMS_SETUP_TIMEOUT_MS
#define GSM_BASICCOMMS_SETUP_TIMEOUT_MS 5000u  /* answer to each set-up command (echo, error
                                                  reports, and the other modules' sequences);
                                                  at most 65535 */
#endif

typedef struct GSM_BasicComms_Instance_s
{
    GSM_BasicComms_Interface _i;  /* interface for other modules; must stay the first member */
    GSM_Power_Interface* Power;
    GSM_Prompt_Interface* Prompt;
    uint8_t EchoOn;               /* 1: ATE1 (modem echoes commands), 0: ATE0 */

    /* Private state. */
    GSM_Prompt_Client Client;
    uint8_t Phase;
    uint8_t Step;             /* probes unanswered while synchronising, then the set-up
                                 command in flight */
    uint8_t PowerSession;
    uint32_t PhaseStart_ms;
} GSM_BasicComms_Instance;

/* Initialises the instance and closes the Prompt gate until communication is up. */
void gsmBasicCommsInit(GSM_BasicComms_Instance* inst);

/* Runs synchronisation and supervision; call from the main loop. */
void gsmBasicCommsPoll(GSM_BasicComms_Instance* inst);

/* True when communication with the modem is established. */
bool gsmBasicCommsCommunicationEstablished(GSM_BasicComms_Instance* inst);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GSM_BASICCOMMS_H_ */
