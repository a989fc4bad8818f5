/*
 * GSM_Power.h - modem power control through the power key, status input and optional
 * reset line.
 *
 * Wiring (as generated into gsm_manager.c):
 *     mGsmPwrInst.SetPowerKey = &gsmSetPowerKey;   // drive the PWRKEY output
 *     mGsmPwrInst.SetReset    = &gsmSetReset;      // optional (may stay null)
 *     mGsmPwrInst.ReadStatus  = &gsmReadStatus;    // read the STATUS input
 *     gsmPowerInit(&mGsmPwrInst);
 *     ... gsmPowerPoll(&mGsmPwrInst) from the main loop.
 *
 * After gsmPowerInit() the modem is wanted ON: if the status input reads low, Poll
 * presses the power key (PowerOn press time, default 1200 ms), then waits up to
 * GSM_POWER_STATUS_TIMEOUT_MS for the status input to go high; without a reaction it
 * presses again, up to GSM_POWER_MAX_ATTEMPTS times, then pauses (state Failed) for
 * GSM_POWER_RETRY_PAUSE_MS before trying anew. Without ReadStatus the modem is assumed
 * to follow each pulse after GSM_POWER_NO_STATUS_WAIT_MS. Switching
 * off works the same way with the PowerOff press time (default 1500 ms). When the status
 * input drops while the modem should be on, it is switched on again. Other modules ask
 * for a restart through gsmPowerIfRequestRestart() when the modem stops answering.
 * "activated" passed to SetPowerKey/SetReset means "key pressed / reset asserted"; any
 * inversion your hardware needs belongs in the callback.
 * The times below may be defined in the compiler flags; each is at most 65535 ms.
 */
#ifndef GSM_POWER_H_
#define GSM_POWER_H_

#include "GSM_Globals.h"
#include "GSM_Power_Interface.h"

#ifdef __cplusplus
extern "C" {
#endif

#ifndef GSM_POWER_DEFAULT_ON_PRESS_MS
#define GSM_POWER_DEFAULT_ON_PRESS_MS 1200u   /* SIM800 needs > 1 s, SIM7600 > 0.5 s */
#endif
#ifndef GSM_POWER_DEFAULT_OFF_PRESS_MS
#define GSM_POWER_DEFAULT_OFF_PRESS_MS 1500u  /* SIM800 1-1.5 s; set 2500 for SIM7600 */
#endif
#ifndef GSM_POWER_STATUS_TIMEOUT_MS
#define GSM_POWER_STATUS_TIMEOUT_MS 10000u    /* wait for the status input after a pulse */
#endif
#ifndef GSM_POWER_NO_STATUS_WAIT_MS
#define GSM_POWER_NO_STATUS_WAIT_MS 3000u     /* without ReadStatus: assumed switched after */
#endif
#ifndef GSM_POWER_RESET_SETTLE_MS
#define GSM_POWER_RESET_SETTLE_MS 3000u       /* after a reset pulse, before counting as on */
#endif
#ifndef GSM_POWER_RESET_PULSE_MS
#define GSM_POWER_RESET_PULSE_MS 300u         /* reset line asserted this long */
#endif
#ifndef GSM_POWER_MAX_ATTEMPTS
#define GSM_POWER_MAX_ATTEMPTS 3u             /* pulses before giving up for a while */
#endif
#ifndef GSM_POWER_RETRY_PAUSE_MS
#define GSM_POWER_RETRY_PAUSE_MS 30000u       /* pause after GSM_POWER_MAX_ATTEMPTS failures */
#endif

typedef struct GSM_Power_Instance_s
{
    GSM_Power_Interface _i;  /* interface for other modules; must stay the first member */

    /* Hardware callbacks (set before gsmPowerInit). */
    void (*SetPowerKey)(struct GSM_Power_Instance_s* inst, bool activated);
    void (*SetReset)(struct GSM_Power_Instance_s* inst, bool activated);   /* optional */
    bool (*ReadStatus)(struct GSM_Power_Instance_s* inst);                 /* true = on */

    /* Private state. */
    uint16_t PowerOnPressTime_ms;
    uint16_t PowerOffPressTime_ms;
    uint8_t  WantOn;
    uint8_t  Phase;
    uint8_t  Attempts;
    uint8_t  AssumedOn;   /* without ReadStatus: the state the last pulse should have set (0/1) */
    uint32_t PhaseStart_ms;
} GSM_Power_Instance;

/* Initialises the instance (press times to their defaults unless set before, wanted
 * state ON) and releases the power key and reset line. */
void gsmPowerInit(GSM_Power_Instance* inst);

/* Runs the power state machine; call from the main loop. */
void gsmPowerPoll(GSM_Power_Instance* inst);

/* True when the modem is switched on and running. */
bool gsmPowerGet(GSM_Power_Instance* inst);

/* Requests the modem on (true) or off (false); Poll carries it out. */
void gsmPowerSet(GSM_Power_Instance* inst, bool powered_on);

/* Sets how long the power key is held to switch on and to switch off (0 keeps the
 * current value). */
void gsmPowerSetPowerKeyPressDurations(GSM_Power_Instance* inst, uint16_t powerOnPressTime_ms,
                                       uint16_t powerOffPressTime_ms);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GSM_POWER_H_ */
