/*
 * GSM_Internet_Helper.h - pieces shared by the internet connection modules and the
 * HTTP and MQTT clients: the functions of GSM_InternetConnection_Interface.h, the
 * checks that make text safe to send inside a quoted AT parameter, and parsing of the
 * "<index>,<code>,..." lists that SIMCom's internet URCs carry.
 *
 * Shipped with both connection modules (GSM_InternetConnection_Simcom and
 * GSM_InternetConnection_Simcom2G); the clients always come with one of them.
 */
#ifndef GSM_INTERNET_HELPER_H_
#define GSM_INTERNET_HELPER_H_

#include "GSM_Globals.h"
#include "GSM_Prompt_Interface.h"
#include "GSM_NetworkRegistration_Interface.h"
#include "GSM_InternetConnection_Interface.h"

#ifdef __cplusplus
extern "C" {
#endif

/* "+IP ERROR:" in flash, the start of SIM7600's answer to a command that needs the data
 * connection when the connection is not there; one copy for the modules that check it.
 * It is also a prefix list of one entry (ended by an empty text) for gsmUtilFindPrefix. */
extern const char gsmInternetHelperIpError[] GSM_FLASH;

/* True when `text` is not null, holds 1..maxLength characters and no character that
 * would break out of a quoted AT parameter or the command line: no '"', no control
 * characters (CR, LF, Ctrl-Z, ESC, ...) and no DEL. */
bool gsmInternetHelperIsQuotable(const char* text, size_t maxLength);

/* Parses up to `maxValues` comma-separated integers from `args` (only read). Returns how
 * many leading fields were plain integers (a quoted or empty field ends them). */
uint8_t gsmInternetHelperParseInts(char* args, int32_t* values, uint8_t maxValues);

/* When `line` starts with `prefix` (a text in flash ending in ':', GSM_F("+NETOPEN:"),
 * see GSM_Globals.h; or null for any line), parses the integers after the line's first
 * ':' (see above) and returns their count; otherwise returns 0. */
uint8_t gsmInternetHelperParseUrc(char* line, const char* prefix, int32_t* values, uint8_t maxValues);

/* The text number `index` (0 = first) of `list`: texts in flash, packed one after the
 * other, each ended by NUL (GSM_FLASH "AT+A\0AT+B\0"). Used for the command tables. */
const char* gsmInternetHelperText(const char* list, uint8_t index);

/* True when `text` appears anywhere in `line`; `text` is in flash (GSM_F). */
bool gsmInternetHelperContains(const char* line, const char* text);

/* The connection modules' APN checks and interface set-up are inline: each project has
 * one connection module, so out-of-line copies would only add call overhead. */

/* True when `apn` names an access point (not null and not ""). */
static inline bool gsmInternetHelperHasApn(const char* apn)
{
    return apn != 0 && apn[0] != '\0';
}

/* True when `apn` may be used to open a connection: none is given, or it can be sent
 * inside quotes (see gsmInternetHelperIsQuotable) and has at most maxLength characters.
 * An APN that fails this is never sent, so no connection is opened. */
static inline bool gsmInternetHelperApnAcceptable(const char* apn, size_t maxLength)
{
    return !gsmInternetHelperHasApn(apn) || gsmInternetHelperIsQuotable(apn, maxLength);
}

/* True when the modem is registered with a network (a null NetworkRegistration counts
 * as registered): with communication established, commands may then be sent for an
 * internet connection. */
bool gsmInternetHelperRegistered(const GSM_NetworkRegistration_Interface* nr);

/* Used by the connection modules at Init: sets the family and marks the connection
 * down with no check requested (the Session counter is kept). */
static inline void gsmInternetHelperInitConnection(GSM_InternetConnection_Interface* ic,
                                                   GSM_InternetConnection_Family family)
{
    ic->Family = (uint8_t)family;
    ic->Connected = 0u;
    ic->CheckRequest = 0u;
}

/* Used by the connection modules: the pause before the next opening attempt after
 * `failures` failed attempts in a row - base_ms, doubled with every further failure, at
 * most max_ms - so that a modem that keeps refusing is asked less and less often. */
uint32_t gsmInternetHelperBackoff(uint8_t failures, uint32_t base_ms, uint32_t max_ms);

/* Used by the connection modules (`ic` is their _i member): records the connection
 * state; the Session counter advances when the connection comes up. */
void gsmInternetHelperSetConnected(GSM_InternetConnection_Interface* ic, bool connected);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GSM_INTERNET_HELPER_H_ */
