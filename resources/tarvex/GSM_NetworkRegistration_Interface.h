/*
 * GSM_NetworkRegistration_Interface.h - what other modules may use of
 * NetworkRegistration.
 *
 * Modules receive a GSM_NetworkRegistration_Interface* (the _i member of
 * GSM_NetworkRegistration_Instance). It tells whether the modem is registered with a
 * network, per domain: circuit switched (+CREG: calls, SMS, USSD), GPRS packet
 * (+CGREG) and LTE/EPS (+CEREG). It also mirrors the communication session, for modules
 * that are wired to NetworkRegistration instead of BasicComms.
 */
#ifndef GSM_NETWORKREGISTRATION_INTERFACE_H_
#define GSM_NETWORKREGISTRATION_INTERFACE_H_

#include "GSM_Globals.h"

#ifdef __cplusplus
extern "C" {
#endif

/* <stat> of +CREG/+CGREG/+CEREG (3GPP TS 27.007). */
typedef enum
{
    GSM_NetworkRegistration_Status_NotSearching = 0,   /* not registered, not searching */
    GSM_NetworkRegistration_Status_Home = 1,           /* registered, home network */
    GSM_NetworkRegistration_Status_Searching = 2,      /* not registered, searching */
    GSM_NetworkRegistration_Status_Denied = 3,         /* registration denied */
    GSM_NetworkRegistration_Status_Unknown = 4,        /* unknown (e.g. out of coverage) */
    GSM_NetworkRegistration_Status_Roaming = 5,        /* registered, roaming */
    GSM_NetworkRegistration_Status_SmsOnlyHome = 6,    /* registered for SMS only, home */
    GSM_NetworkRegistration_Status_SmsOnlyRoaming = 7, /* registered for SMS only, roaming */
    GSM_NetworkRegistration_Status_EmergencyOnly = 8,  /* attached for emergency bearers only */
    GSM_NetworkRegistration_Status_NotQueried = 0xFF   /* not known yet / not supported */
} GSM_NetworkRegistration_Status;

/* Registration domains. */
typedef enum
{
    GSM_NetworkRegistration_Domain_CS = 0,  /* +CREG */
    GSM_NetworkRegistration_Domain_GPRS,    /* +CGREG */
    GSM_NetworkRegistration_Domain_EPS      /* +CEREG */
} GSM_NetworkRegistration_Domain;

typedef struct GSM_NetworkRegistration_Interface_s
{
    uint8_t Status[3];    /* GSM_NetworkRegistration_Status per domain */
    uint8_t Established;  /* communication established */
    uint8_t Session;      /* communication session (see GSM_BasicComms_Interface.h) */
} GSM_NetworkRegistration_Interface;

/* True when registered (home or roaming) in any domain, with communication up. */
bool gsmNetworkRegistrationIfIsRegistered(const GSM_NetworkRegistration_Interface* nr);

/* True when registered (home or roaming) for packet data (+CGREG or +CEREG). */
bool gsmNetworkRegistrationIfIsPacketRegistered(const GSM_NetworkRegistration_Interface* nr);

/* True when SMS can be sent/received: registered in any domain, or SMS-only. */
bool gsmNetworkRegistrationIfIsSmsAvailable(const GSM_NetworkRegistration_Interface* nr);

/* Last known status of one domain. */
GSM_NetworkRegistration_Status gsmNetworkRegistrationIfGetStatus(const GSM_NetworkRegistration_Interface* nr,
                                                                 GSM_NetworkRegistration_Domain domain);

/* Communication state and session, mirrored from the Prompt engine. */
bool gsmNetworkRegistrationIfIsEstablished(const GSM_NetworkRegistration_Interface* nr);
uint8_t gsmNetworkRegistrationIfSession(const GSM_NetworkRegistration_Interface* nr);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GSM_NETWORKREGISTRATION_INTERFACE_H_ */
