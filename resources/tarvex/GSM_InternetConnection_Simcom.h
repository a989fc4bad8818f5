/*
 * GSM_InternetConnection_Simcom.h - the data connection of SIMCom LTE modems (SIM7600
 * family): PDP context and the modem's TCP/IP stack (AT+NETOPEN / AT+NETCLOSE).
 *
 * Once communication is established and the modem is registered with a network, Poll
 * asks whether the stack is already open (AT+NETOPEN?); if not, it sets the PDP context
 * when an APN is given (AT+CGDCONT=1,"IP","<apn>"; without an APN the network's default
 * is used), selects it for the stack (AT+CSOCKSETPN=1) and opens the stack
 * (AT+NETOPEN, answered by OK and "+NETOPEN: <err>" - before or after the OK, as the
 * firmware prints it - up to GSM_INETCONN_NETOPEN_TIMEOUT_MS). An "already opened"
 * answer counts as success. A refused attempt (a failing "+NETOPEN: <err>", or a bare
 * ERROR, which some SIM7600 firmware gives) is closed with AT+NETCLOSE (whose
 * "+NETCLOSE: 2" and ERROR when nothing is open are fine) and tried again after a
 * pause: GSM_INETCONN_RETRY_MS, doubled with every further failure in a row up to
 * GSM_INETCONN_RETRY_MAX_MS; gsmInternetConnectionSimcomFailedAttempts() and
 * gsmInternetConnectionSimcomLastError() report it. The connection is then watched:
 * "+CIPEVENT: NETWORK CLOSED UNEXPECTEDLY", an unsolicited "+NETCLOSE:", a lost
 * registration, a modem restart, a failed periodic check (AT+NETOPEN? every
 * GSM_INETCONN_CHECK_MS) or a failed check requested by a client (e.g. after the HTTP
 * client saw "+IP ERROR: Network not opened") mark it down. A stack closed by the
 * network is closed on our side too (AT+NETCLOSE) and opened again; after a restart or
 * a new registration the query decides whether opening is needed. No events: ask
 * gsmInternetConnectionSimcomIsConnected(); the HTTP and MQTT clients follow the state
 * through the _i interface.
 *
 * Wiring (as generated into gsm_manager.c; the APN line only when an APN is needed):
 *     mGsmInternetConnectionSimcomInst.Power = (&mGsmPwrInst._i);
 *     mGsmInternetConnectionSimcomInst.Prompt = (&mGsmPromptInst._i);
 *     mGsmInternetConnectionSimcomInst.NetworkRegistration = (&mGsmNetworkRegistrationInst._i);
 *     mGsmInternetConnectionSimcomInst.APN_IfAny = gsmGetAPN();
 *     gsmInternetConnectionSimcomInit(&mGsmInternetConnectionSimcomInst);
 *     ... gsmInternetConnectionSimcomPoll(&mGsmInternetConnectionSimcomInst) from the main loop.
 */
#ifndef GSM_INTERNETCONNECTION_SIMCOM_H_
#define GSM_INTERNETCONNECTION_SIMCOM_H_

/* The 2G connection's header may have mapped the LTE instance name onto the 2G
 * instance (for a project without the LTE module); with the LTE module present the
 * name means the LTE instance again. */
#ifdef mGsmInternetConnectionSimcomInst
#undef mGsmInternetConnectionSimcomInst
#endif

#include "GSM_Globals.h"
#include "GSM_Power_Interface.h"
#include "GSM_Prompt_Interface.h"
#include "GSM_NetworkRegistration_Interface.h"
#include "GSM_InternetConnection_Interface.h"

#ifdef __cplusplus
extern "C" {
#endif

#ifndef GSM_INETCONN_COMMAND_TIMEOUT_MS
#define GSM_INETCONN_COMMAND_TIMEOUT_MS 10000u   /* ordinary commands */
#endif
#ifndef GSM_INETCONN_NETOPEN_TIMEOUT_MS
#define GSM_INETCONN_NETOPEN_TIMEOUT_MS 120000u  /* "+NETOPEN: <err>" after AT+NETOPEN */
#endif
#ifndef GSM_INETCONN_RETRY_MS
#define GSM_INETCONN_RETRY_MS 10000u             /* pause after a failed attempt, doubled with */
#endif                                           /* every further failure in a row ... */
#ifndef GSM_INETCONN_RETRY_MAX_MS
#define GSM_INETCONN_RETRY_MAX_MS 160000u        /* ... up to this pause */
#endif
#ifndef GSM_INETCONN_CHECK_MS
#define GSM_INETCONN_CHECK_MS 60000u             /* periodic check while connected */
#endif
#ifndef GSM_INETCONN_MAX_APN
#define GSM_INETCONN_MAX_APN 99u                 /* longest APN accepted */
#endif

typedef struct GSM_InternetConnectionSimcom_Instance_s
{
    GSM_InternetConnection_Interface _i;  /* interface for the clients; must stay first */
    GSM_Power_Interface* Power;
    GSM_Prompt_Interface* Prompt;
    GSM_NetworkRegistration_Interface* NetworkRegistration;  /* may be null: taken as registered */
    const char* APN_IfAny;  /* access point name, or null (or "") for the network's default */

    /* Private state. */
    GSM_Prompt_Client Client;
    uint8_t Step;
    uint8_t Flags;
    uint8_t PromptSession;
    uint8_t Failures;     /* failed opening attempts in a row */
    uint16_t LastError;   /* cause of the last refused attempt */
    uint32_t Timer_ms;
} GSM_InternetConnectionSimcom_Instance;

/* Initialises the instance (enabled, not connected) and registers for the URCs. */
void gsmInternetConnectionSimcomInit(GSM_InternetConnectionSimcom_Instance* inst);

/* Opens, watches and reopens the connection; call from the main loop. */
void gsmInternetConnectionSimcomPoll(GSM_InternetConnectionSimcom_Instance* inst);

/* True while the data connection is up. */
bool gsmInternetConnectionSimcomIsConnected(GSM_InternetConnectionSimcom_Instance* inst);

/* Opening attempts that failed in a row (0 while connected, and once an attempt
 * succeeds); each adds to the pause before the next attempt. */
uint8_t gsmInternetConnectionSimcomFailedAttempts(GSM_InternetConnectionSimcom_Instance* inst);

/* Cause of the last refused AT+NETOPEN: the <err> of "+NETOPEN: <err>" or the <n> of
 * "+CME ERROR: <n>"; 0 for a bare ERROR or no answer. */
uint16_t gsmInternetConnectionSimcomLastError(GSM_InternetConnectionSimcom_Instance* inst);

/* Enabled (the default after Init) keeps the connection up; disabled closes it
 * (AT+NETCLOSE) and leaves it closed, e.g. to save power. */
void gsmInternetConnectionSimcomSetEnabled(GSM_InternetConnectionSimcom_Instance* inst, bool enabled);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GSM_INTERNETCONNECTION_SIMCOM_H_ */
