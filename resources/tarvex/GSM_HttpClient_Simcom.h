/*
 * GSM_HttpClient_Simcom.h - HTTP GET and POST through the modem's own HTTP service, for
 * SIMCom LTE modems (SIM7600 family) and SIMCom 2G modems (SIM800 family) alike; the
 * connection module tells which dialect to speak.
 *
 * gsmHttpClientSimcomGet()/Post() queue the request and return at once (the URL, the
 * content type and the POST body are not copied: see their lifetimes below); it waits
 * for the internet connection (at most GSM_HTTP_SIMCOM_CONNECTION_WAIT_MS) and then runs:
 * AT+HTTPINIT, AT+HTTPPARA="CID",1 (2G only), AT+HTTPPARA="URL","<url>", for a POST
 * AT+HTTPPARA="CONTENT","<type>" and AT+HTTPDATA=<n>,<time> (the body follows the
 * modem's "DOWNLOAD"), then AT+HTTPACTION=<0|1>, whose outcome arrives as
 * "+HTTPACTION: <method>,<status>,<length>" (after the OK, or before it on some firmware;
 * with or without a space after the colon). A command answered with "+IP ERROR: <text>"
 * and ERROR (SIM7600: "Network not opened") fails the request and asks the connection
 * module to check the connection at once. The response body is read in pieces of at
 * most GSM_HTTP_SIMCOM_READ_SIZE bytes with AT+HTTPREAD=<offset>,<size> (LTE: OK, then
 * "+HTTPREAD: DATA,<n>" and n bytes, possibly several times, then "+HTTPREAD: 0"; 2G:
 * "+HTTPREAD: <n>", n bytes, then OK), and each piece is reported as one HttpResult
 * event; AT+HTTPTERM ends the service (see gsmHttpClientSimcomHttpTermWhenDone()).
 * The client has no read buffer of its own: a piece is reported from the Prompt
 * module's buffer, where the engine keeps it. When that buffer cannot hold a piece of
 * GSM_HTTP_SIMCOM_READ_SIZE bytes together with the modem's final answer, the read is
 * repeated smaller and later reads keep the smaller size, so a larger Prompt buffer
 * means fewer, larger pieces.
 *
 * Every request ends with exactly one HttpResult event whose LastSegment is true; a
 * body larger than one read gives several events, in order, with DataOffset telling
 * where each piece belongs. ResultStatusCode holds the HTTP status (200, 404, ...), the
 * modem's own codes (601 network error, 602 no memory, 603 DNS error, 604 stack busy,
 * ...) or one of the library codes GSM_HTTP_SIMCOM_STATUS_... below for failures found
 * by the library (no connection, connection lost, command rejected, timeout).
 *
 * Wiring (as generated into gsm_manager.c):
 *     mGsmHttpClientSimcomInst.Power = (&mGsmPwrInst._i);
 *     mGsmHttpClientSimcomInst.Prompt = (&mGsmPromptInst._i);
 *     mGsmHttpClientSimcomInst.InternetConnection = (&mGsmInternetConnectionSimcomInst._i);
 *     mGsmHttpClientSimcomInst.EventHandler = &gsmHttpClientSimcomEventHandler;
 *     gsmHttpClientSimcomInit(&mGsmHttpClientSimcomInst);
 *     ... gsmHttpClientSimcomPoll(&mGsmHttpClientSimcomInst) from the main loop.
 * (With the 2G connection module only, GSM_InternetConnection_Simcom2G.h makes the
 * instance name above refer to the 2G connection.)
 *
 * HTTPS. An "https://" URL runs over TLS inside the modem.
 * LTE: set Ssl (in USER CODE) to an SSL module instance (GSM_Ssl_Simcom.h) whose
 * configuration names the SSL context, TLS version, verification, SNI and certificate
 * files; before the first request after a modem start the SSL module puts missing
 * files into the modem and configures the context, and every https request ties it
 * to the HTTP service with AT+HTTPPARA="SSLCFG",<ctx> after the URL. Firmware without
 * that parameter (e.g. SIM7600G V2.0.2) answers it with ERROR and runs HTTPS with the
 * settings of context 0: with context 0 the request goes on, with any other it ends
 * with GSM_HTTP_SIMCOM_STATUS_TLS_SETUP (it is never sent with settings other than the
 * ones asked for) - use context 0 where such firmware may be met. Without Ssl an https
 * request runs with the modem's own settings (no verification unless configured
 * otherwise). A configuration the SSL module cannot apply also ends the request with
 * GSM_HTTP_SIMCOM_STATUS_TLS_SETUP.
 * 2G (SIM800): AT+HTTPSSL=1 after the CID. That modem offers old TLS versions only
 * (depending on firmware SSL 3.0 to TLS 1.2 at best) and cannot verify the server: it
 * accepts any certificate and shows none of its own. Ssl may be null there (encrypted,
 * not verified); an Ssl configuration that asks for verification makes the request end
 * with GSM_HTTP_SIMCOM_STATUS_TLS_UNSUPPORTED before anything is sent.
 * A failed TLS handshake or server verification arrives as the modem's status in
 * ResultStatusCode (SIM7600: 715; SIM800: 605 or 606): GSM_HTTP_SIMCOM_IS_TLS_FAILURE()
 * tells it from a lost connection (601, GSM_HTTP_SIMCOM_STATUS_CONNECTION_LOST) or a
 * timeout (GSM_HTTP_SIMCOM_STATUS_TIMEOUT).
 */
#ifndef GSM_HTTPCLIENT_SIMCOM_H_
#define GSM_HTTPCLIENT_SIMCOM_H_

#include "GSM_Globals.h"
#include "GSM_Power_Interface.h"
#include "GSM_Prompt_Interface.h"
#include "GSM_InternetConnection_Interface.h"
#include "GSM_Ssl_Simcom.h"

#ifdef __cplusplus
extern "C" {
#endif

#ifndef GSM_HTTP_SIMCOM_MAX_URL
#define GSM_HTTP_SIMCOM_MAX_URL 255u                 /* longest URL accepted */
#endif
#ifndef GSM_HTTP_SIMCOM_MAX_CONTENT_TYPE
#define GSM_HTTP_SIMCOM_MAX_CONTENT_TYPE 47u         /* longest POST content type accepted */
#endif
#ifndef GSM_HTTP_SIMCOM_READ_SIZE
#define GSM_HTTP_SIMCOM_READ_SIZE 256u               /* most body bytes per AT+HTTPREAD and per event */
#endif
#ifndef GSM_HTTP_SIMCOM_DEFAULT_CONTENT_TYPE
#define GSM_HTTP_SIMCOM_DEFAULT_CONTENT_TYPE "text/plain"
#endif
#ifndef GSM_HTTP_SIMCOM_ACTION_TIMEOUT_MS
#define GSM_HTTP_SIMCOM_ACTION_TIMEOUT_MS 120000u    /* default: "+HTTPACTION:" after AT+HTTPACTION */
#endif
#ifndef GSM_HTTP_SIMCOM_READ_TIMEOUT_MS
#define GSM_HTTP_SIMCOM_READ_TIMEOUT_MS 30000u       /* default: one AT+HTTPREAD exchange */
#endif
#ifndef GSM_HTTP_SIMCOM_COMMAND_TIMEOUT_MS
#define GSM_HTTP_SIMCOM_COMMAND_TIMEOUT_MS 10000u    /* the other commands */
#endif
#ifndef GSM_HTTP_SIMCOM_CONNECTION_WAIT_MS
#define GSM_HTTP_SIMCOM_CONNECTION_WAIT_MS 120000u   /* wait for the internet connection */
#endif

/* Library status codes in HttpResult.ResultStatusCode (outside the HTTP and modem
 * ranges). */
#define GSM_HTTP_SIMCOM_STATUS_NO_CONNECTION 900u    /* no internet connection within the wait */
#define GSM_HTTP_SIMCOM_STATUS_CONNECTION_LOST 901u  /* connection lost or modem restarted mid-request */
#define GSM_HTTP_SIMCOM_STATUS_COMMAND_FAILED 902u   /* the modem rejected a command (ERROR) */
#define GSM_HTTP_SIMCOM_STATUS_TIMEOUT 903u          /* no answer within the timeouts */
#define GSM_HTTP_SIMCOM_STATUS_READ_FAILED 904u      /* the response body could not be read whole */
#define GSM_HTTP_SIMCOM_STATUS_TLS_SETUP 905u        /* the SSL context or its files could not be set up */
#define GSM_HTTP_SIMCOM_STATUS_TLS_UNSUPPORTED 906u  /* verification asked of a modem that cannot verify */

/* True for the modem's statuses of a failed TLS handshake or server verification. */
#define GSM_HTTP_SIMCOM_IS_TLS_FAILURE(status) ((status) == 715u || (status) == 605u || (status) == 606u)

/* Event codes passed to EventHandler. */
typedef uint8_t GSM_HttpClientSimcom_EventType;
enum
{
    GSM_HttpClientSimcom_EventType_HttpResult = 0  /* event_data: GSM_HttpClientSimcom_Event_HttpResult* */
};

/* The event is the client's own record of the piece (Result in the instance), not a
 * copy: read it during the call and do not change it. It stays as it is while the
 * handler runs, also when the handler queues the next request; a call of
 * gsmHttpClientSimcomCancel() from the handler clears it. */
typedef struct
{
    uint16_t ResultStatusCode;  /* HTTP status, modem code (6xx) or GSM_HTTP_SIMCOM_STATUS_... */
    uint32_t DataOffset;        /* where DataResult belongs in the response body */
    uint16_t DataLength;        /* bytes in DataResult (the body may hold NUL bytes) */
    char* DataResult;           /* this piece of the body, NUL-terminated; valid during the call
                                   (it lies in the Prompt module's buffer) */
    uint32_t ContentLength;     /* whole body length reported by the modem (0 when no
                                   length was reported, e.g. a failure before the answer) */
    bool LastSegment;           /* true for the request's last event */
} GSM_HttpClientSimcom_Event_HttpResult;

typedef struct GSM_HttpClientSimcom_Instance_s
{
    GSM_Power_Interface* Power;
    GSM_Prompt_Interface* Prompt;
    GSM_InternetConnection_Interface* InternetConnection;
    void (*EventHandler)(struct GSM_HttpClientSimcom_Instance_s* inst, GSM_HttpClientSimcom_EventType event_type,
                         void* event_data);
    GSM_SslSimcom_Instance* Ssl;  /* TLS settings for https:// URLs (may be null; see above) */

    /* Private state (the members used most come first: on AVR they are reached in one
     * instruction; the order also leaves no padding on 32-bit targets). */
    uint16_t Flags;
    uint16_t ReadRequested;  /* size of the running AT+HTTPREAD */
    uint16_t StatusCode;
    uint8_t Step;
    uint8_t PromptSession;
    uint8_t ConnectionSession;
    char* ReadNext;          /* where the engine keeps the read's next block */
    uint32_t Timer_ms;
    /* The piece read (DataOffset, DataLength, DataResult: the running read's data, kept
     * in the Prompt buffer) and the body length: the event handed to EventHandler. */
    GSM_HttpClientSimcom_Event_HttpResult Result;
    const char* Url;          /* the caller's URL (kept until the last event) */
    const char* ContentType;  /* the caller's content type, or null for the default */
    const uint8_t* PostData;
    uint16_t PostLength;
    uint16_t ReadSize;       /* size of the next reads: what fits the Prompt buffer */
    uint16_t LostPiece;      /* longest block of the running read that did not fit */
    GSM_Prompt_Client Client;
    uint32_t ActionTimeout_ms;
    uint32_t ReadTimeout_ms;
    /* The POST steps, set by gsmHttpClientSimcomPost() (a firmware without POST does
     * not link them). */
    bool (*PostPart)(struct GSM_HttpClientSimcom_Instance_s* inst, char* line);
} GSM_HttpClientSimcom_Instance;

/* Initialises the instance: idle, default content type, default timeouts, HTTP
 * service terminated after every request. Call it after the Init of the connection
 * module (as the generated manager does): it takes the modem's dialect from there. */
void gsmHttpClientSimcomInit(GSM_HttpClientSimcom_Instance* inst);

/* Runs the request; call from the main loop. */
void gsmHttpClientSimcomPoll(GSM_HttpClientSimcom_Instance* inst);

/* Queues a GET of `url` (at most GSM_HTTP_SIMCOM_MAX_URL characters, no '"' or control
 * characters; "http://" may be omitted). The URL is NOT copied: it must stay unchanged
 * until the request's last HttpResult event (or gsmHttpClientSimcomCancel()); a string
 * literal or a static array is the usual choice. Returns false - nothing queued, no
 * event - when a request is still pending or the URL is not acceptable. Outcome: one or
 * more HttpResult events. */
bool gsmHttpClientSimcomGet(GSM_HttpClientSimcom_Instance* inst, const char* url);

/* Queues a POST of the NUL-terminated `postData` to `url` with the content type set by
 * gsmHttpClientSimcomPostSetContentType(). Neither the URL nor the body is copied: both
 * must stay unchanged until the request's last HttpResult event. Returns false like
 * gsmHttpClientSimcomGet() (also for a null body or one longer than 65535 bytes). */
bool gsmHttpClientSimcomPost(GSM_HttpClientSimcom_Instance* inst, const char* url, const char* postData);

/* Sets the Content-Type of later POSTs (no '"' or control characters, at most
 * GSM_HTTP_SIMCOM_MAX_CONTENT_TYPE characters); null, "" or an unacceptable text
 * restores the default GSM_HTTP_SIMCOM_DEFAULT_CONTENT_TYPE. The text is NOT copied: it
 * must stay unchanged while it is set and a POST may use it, i.e. until it is replaced
 * and the last POST queued with it has had its last HttpResult event. */
void gsmHttpClientSimcomPostSetContentType(GSM_HttpClientSimcom_Instance* inst, const char* contentTypeOrNullForDefault);

/* True from a successful Get/Post until its last HttpResult event. */
bool gsmHttpClientSimcomHttpOperationPending(GSM_HttpClientSimcom_Instance* inst);

/* True once the pending request has started talking to the modem. */
bool gsmHttpClientSimcomHttpOperationStarted(GSM_HttpClientSimcom_Instance* inst);

/* Abandons the pending request without an event; a started one is stopped and the
 * modem's HTTP service terminated before the next request. Returns false when no
 * request was pending. */
bool gsmHttpClientSimcomCancel(GSM_HttpClientSimcom_Instance* inst);

/* true (the default): AT+HTTPTERM after every request; false: the HTTP service stays
 * initialised for the next request (AT+HTTPTERM only after a failure). */
void gsmHttpClientSimcomHttpTermWhenDone(GSM_HttpClientSimcom_Instance* inst, bool termWhenDone);

/* Sets the time allowed for the server's answer ("+HTTPACTION:") and for each
 * AT+HTTPREAD exchange; 0 keeps the current value. */
void gsmHttpClientSimcomSetTimeouts(GSM_HttpClientSimcom_Instance* inst, uint32_t httpActionTimeout_ms,
                                   uint32_t httpReadTimeout_ms);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GSM_HTTPCLIENT_SIMCOM_H_ */
