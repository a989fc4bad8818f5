/*
 * GSM_InternetConnection_Interface.h - what the internet clients may use of an internet
 * connection module.
 *
 * Both connection modules, GSM_InternetConnection_Simcom (LTE modems, SIM7600 family)
 * and GSM_InternetConnection_Simcom2G (2G modems, SIM800 family), expose this interface
 * as the _i member of their instance, so the HTTP and MQTT clients work over either:
 *     mGsmHttpClientSimcomInst.InternetConnection = (&mGsmInternetConnectionSimcomInst._i);
 * The clients only read it through the functions below (implemented in
 * GSM_Internet_Helper.c, which both connection modules ship).
 */
#ifndef GSM_INTERNETCONNECTION_INTERFACE_H_
#define GSM_INTERNETCONNECTION_INTERFACE_H_

#include "GSM_Globals.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Modem family behind the connection: the AT command dialects differ. */
typedef enum
{
    GSM_InternetConnection_Family_Lte = 0, /* SIM7600 family: AT+NETOPEN, AT+HTTPREAD DATA chunks, AT+CMQTT */
    GSM_InternetConnection_Family_2G = 1   /* SIM800 family: AT+SAPBR bearer, AT+HTTPPARA="CID" */
} GSM_InternetConnection_Family;

typedef struct GSM_InternetConnection_Interface_s
{
    uint8_t Family;        /* GSM_InternetConnection_Family, set by the module's Init */
    uint8_t Connected;     /* bool: the data connection is up */
    uint8_t Session;       /* incremented every time the connection comes up */
    uint8_t CheckRequest;  /* set by a client that suspects the connection is gone */
} GSM_InternetConnection_Interface;

/* True while the data connection is up (a null interface counts as not connected). */
bool gsmInternetConnectionIfIsConnected(const GSM_InternetConnection_Interface* ic);

/* Counter that changes every time the connection comes up: a client that saw a
 * different value before knows the connection was lost in between. */
uint8_t gsmInternetConnectionIfSession(const GSM_InternetConnection_Interface* ic);

/* Which AT command dialect the modem speaks. */
GSM_InternetConnection_Family gsmInternetConnectionIfFamily(const GSM_InternetConnection_Interface* ic);

/* Asks the connection module to verify the connection soon (e.g. after an HTTP
 * network error); it reconnects when the check finds the connection down. */
void gsmInternetConnectionIfRequestCheck(GSM_InternetConnection_Interface* ic);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GSM_INTERNETCONNECTION_INTERFACE_H_ */
