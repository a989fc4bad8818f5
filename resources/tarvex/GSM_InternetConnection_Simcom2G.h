/*
 * GSM_InternetConnection_Simcom2G.h - the data connection of SIMCom 2G modems (SIM800
 * family): the GPRS bearer of the modem's application profile 1 (AT+SAPBR).
 *
 * Once communication is established and the modem is registered with a network, Poll
 * queries the bearer (AT+SAPBR=2,1 -> "+SAPBR: 1,<status>,<ip>"); when it is not open it
 * sets the connection type (AT+SAPBR=3,1,"Contype","GPRS"), the APN when one is given
 * (AT+SAPBR=3,1,"APN","<apn>"), opens the bearer (AT+SAPBR=1,1, up to
 * GSM_INETCONN_2G_OPEN_TIMEOUT_MS) and queries it again to confirm (also when the open
 * is refused, as firmware refuses a bearer that is open already). The bearer is then
 * watched: the URCs "+SAPBR 1: DEACT" and "+PDP: DEACT", a lost registration, a modem
 * restart, a failed periodic query (every GSM_INETCONN_CHECK_MS) or a failed check
 * requested by a client mark it down, and it is queried and opened again. After a
 * failed attempt the next one waits GSM_INETCONN_RETRY_MS, doubled with every further
 * failure in a row up to GSM_INETCONN_RETRY_MAX_MS
 * (gsmInternetConnectionSimcom2GFailedAttempts() counts them). No events: ask
 * gsmInternetConnectionSimcom2GIsConnected(); the HTTP client follows the state through
 * the _i interface.
 *
 * Wiring (as generated into gsm_manager.c; the APN line only when an APN is needed):
 *     mGsmInternetConnectionSimcom2GInst.Power = (&mGsmPwrInst._i);
 *     mGsmInternetConnectionSimcom2GInst.Prompt = (&mGsmPromptInst._i);
 *     mGsmInternetConnectionSimcom2GInst.NetworkRegistration = (&mGsmNetworkRegistrationInst._i);
 *     mGsmInternetConnectionSimcom2GInst.APN_IfAny = gsmGetAPN();
 *     gsmInternetConnectionSimcom2GInit(&mGsmInternetConnectionSimcom2GInst);
 *     ... gsmInternetConnectionSimcom2GPoll(&mGsmInternetConnectionSimcom2GInst) from the main loop.
 *
 * The HTTP client's generated wiring names the connection instance
 * mGsmInternetConnectionSimcomInst. In a project with the 2G connection only, this
 * header makes that name refer to mGsmInternetConnectionSimcom2GInst, so the generated
 * line  mGsmHttpClientSimcomInst.InternetConnection = (&mGsmInternetConnectionSimcomInst._i);
 * wires the HTTP client to the 2G connection. When the LTE module's header is included
 * too, the name keeps its own meaning.
 */
#ifndef GSM_INTERNETCONNECTION_SIMCOM2G_H_
#define GSM_INTERNETCONNECTION_SIMCOM2G_H_

#include "GSM_Globals.h"
#include "GSM_Power_Interface.h"
#include "GSM_Prompt_Interface.h"
#include "GSM_NetworkRegistration_Interface.h"
#include "GSM_InternetConnection_Interface.h"

#ifndef GSM_INTERNETCONNECTION_SIMCOM_H_
#define mGsmInternetConnectionSimcomInst mGsmInternetConnectionSimcom2GInst
#endif

#ifdef __cplusplus
extern "C" {
#endif

#ifndef GSM_INETCONN_COMMAND_TIMEOUT_MS
#define GSM_INETCONN_COMMAND_TIMEOUT_MS 10000u   /* ordinary commands */
#endif
#ifndef GSM_INETCONN_2G_OPEN_TIMEOUT_MS
#define GSM_INETCONN_2G_OPEN_TIMEOUT_MS 90000u   /* AT+SAPBR=1,1 (the modem allows 85 s) */
#endif
#ifndef GSM_INETCONN_RETRY_MS
#define GSM_INETCONN_RETRY_MS 10000u             /* pause after a failed attempt, doubled with */
#endif                                           /* every further failure in a row ... */
#ifndef GSM_INETCONN_RETRY_MAX_MS
#define GSM_INETCONN_RETRY_MAX_MS 160000u        /* ... up to this pause */
#endif
#ifndef GSM_INETCONN_CHECK_MS
#define GSM_INETCONN_CHECK_MS 60000u             /* periodic query while connected */
#endif
#ifndef GSM_INETCONN_MAX_APN
#define GSM_INETCONN_MAX_APN 99u                 /* longest APN accepted */
#endif

typedef struct GSM_InternetConnectionSimcom2G_Instance_s
{
    GSM_InternetConnection_Interface _i;  /* interface for the clients; must stay first */
    GSM_Power_Interface* Power;
    GSM_Prompt_Interface* Prompt;
    GSM_NetworkRegistration_Interface* NetworkRegistration;  /* may be null: taken as registered */
    const char* APN_IfAny;  /* access point name, or null (or "") when the network needs none */

    /* Private state. */
    GSM_Prompt_Client Client;
    uint8_t Step;
    uint8_t Flags;
    uint8_t PromptSession;
    uint8_t BearerStatus;
    uint8_t Failures;     /* failed opening attempts in a row */
    uint32_t Timer_ms;
} GSM_InternetConnectionSimcom2G_Instance;

/* Initialises the instance (enabled, not connected) and registers for the URCs. */
void gsmInternetConnectionSimcom2GInit(GSM_InternetConnectionSimcom2G_Instance* inst);

/* Opens, watches and reopens the bearer; call from the main loop. */
void gsmInternetConnectionSimcom2GPoll(GSM_InternetConnectionSimcom2G_Instance* inst);

/* True while the GPRS bearer is open. */
bool gsmInternetConnectionSimcom2GIsConnected(GSM_InternetConnectionSimcom2G_Instance* inst);

/* Opening attempts that failed in a row (0 while connected, and once an attempt
 * succeeds); each adds to the pause before the next attempt. */
uint8_t gsmInternetConnectionSimcom2GFailedAttempts(GSM_InternetConnectionSimcom2G_Instance* inst);

/* Enabled (the default after Init) keeps the bearer open; disabled closes it
 * (AT+SAPBR=0,1) and leaves it closed. */
void gsmInternetConnectionSimcom2GSetEnabled(GSM_InternetConnectionSimcom2G_Instance* inst, bool enabled);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GSM_INTERNETCONNECTION_SIMCOM2G_H_ */
