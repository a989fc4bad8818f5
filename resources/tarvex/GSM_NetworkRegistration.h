/*
 * GSM_NetworkRegistration.h - follows the modem's network registration.
 *
 * At every new communication session Poll enables the registration URCs (AT+CREG=1,
 * AT+CGREG=1, AT+CEREG=1; a modem without LTE rejects the last one, which is fine) and
 * reads the current state (AT+CREG?, AT+CGREG?, AT+CEREG?). Afterwards the URCs
 * "+CREG: <stat>" keep the state current, and the state is re-read every
 * GSM_NETREG_POLL_UNREGISTERED_MS while unregistered (GSM_NETREG_POLL_REGISTERED_MS
 * while registered) in case a URC was lost. No events: ask
 * gsmNetworkRegistrationIsRegistered() or gsmNetworkRegistrationGetStatus().
 *
 * Wiring (as generated into gsm_manager.c):
 *     mGsmNetworkRegistrationInst.Power = (&mGsmPwrInst._i);
 *     mGsmNetworkRegistrationInst.Prompt = (&mGsmPromptInst._i);
 *     mGsmNetworkRegistrationInst.BasicComms = (&mGsmBasicCommsInst._i);
 *     gsmNetworkRegistrationInit(&mGsmNetworkRegistrationInst);
 *     ... gsmNetworkRegistrationPoll(&mGsmNetworkRegistrationInst) from the main loop.
 */
#ifndef GSM_NETWORKREGISTRATION_H_
#define GSM_NETWORKREGISTRATION_H_

#include "GSM_Globals.h"
#include "GSM_Power_Interface.h"
#include "GSM_Prompt_Interface.h"
#include "GSM_BasicComms_Interface.h"
#include "GSM_NetworkRegistration_Interface.h"

#ifdef __cplusplus
extern "C" {
#endif

#ifndef GSM_NETREG_POLL_UNREGISTERED_MS
#define GSM_NETREG_POLL_UNREGISTERED_MS 10000u
#endif
#ifndef GSM_NETREG_POLL_REGISTERED_MS
#define GSM_NETREG_POLL_REGISTERED_MS 60000u
#endif

typedef struct GSM_NetworkRegistration_Instance_s
{
    GSM_NetworkRegistration_Interface _i;  /* interface for other modules; must stay first */
    GSM_Power_Interface* Power;
    GSM_Prompt_Interface* Prompt;
    GSM_BasicComms_Interface* BasicComms;

    /* Private state. */
    GSM_Prompt_Client Client;
    uint8_t Phase;
    uint8_t Step;             /* set-up or query command in flight */
    uint32_t LastQuery_ms;
} GSM_NetworkRegistration_Instance;

/* Initialises the instance and registers for the registration URCs. */
void gsmNetworkRegistrationInit(GSM_NetworkRegistration_Instance* inst);

/* Keeps the registration state current; call from the main loop. */
void gsmNetworkRegistrationPoll(GSM_NetworkRegistration_Instance* inst);

/* True when registered with a network (home or roaming) in any domain. */
bool gsmNetworkRegistrationIsRegistered(GSM_NetworkRegistration_Instance* inst);

/* Last known registration status of one domain (NotQueried until read). */
GSM_NetworkRegistration_Status gsmNetworkRegistrationGetStatus(GSM_NetworkRegistration_Instance* inst,
                                                               GSM_NetworkRegistration_Domain domain);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GSM_NETWORKREGISTRATION_H_ */
