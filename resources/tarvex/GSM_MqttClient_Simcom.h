/*
 * GSM_MqttClient_Simcom.h - MQTT client through the MQTT service of SIMCom LTE modems
 * (SIM7600 family, AT+CMQTT* commands, client index 0).
 *
 * Connect: fill a GSM_MqttClientSimcom_Connect_Session (start from
 * gsmMqttClientSimcomInitConfigDefault()) and pass it to gsmMqttClientSimcomConnect().
 * Once the internet connection is up, Poll starts the service (AT+CMQTTSTART, then
 * "+CMQTTSTART: <err>"), acquires the client (AT+CMQTTACCQ=0,"<client id>"), sets the
 * optional will (AT+CMQTTWILLTOPIC / AT+CMQTTWILLMSG) and connects
 * (AT+CMQTTCONNECT=0,"<url>",<keep-alive>,<clean>[,"<user>"[,"<password>"]], then
 * "+CMQTTCONNECT: 0,<err>"): ConnectSuccess or ErrorResponse. Result lines are taken
 * after the OK or before it, as the firmware prints them; a result line followed by ERROR
 * instead of OK ("+CMQTTCONNECT: 0,3", ERROR) reports its <err> as the ErrorCode, and
 * "+CMQTTSTART: 23" (already started) with ERROR is no failure.
 * Subscribe (AT+CMQTTSUB), unsubscribe (AT+CMQTTUNSUB) and publish (AT+CMQTTTOPIC,
 * AT+CMQTTPAYLOAD, AT+CMQTTPUB) send their topic and payload as length-counted input
 * after the modem's "> " prompt and end in SubscribeSuccess, UnsubscribeSuccess,
 * PublishSuccess or ErrorResponse. Disconnect (AT+CMQTTDISC, AT+CMQTTREL, AT+CMQTTSTOP)
 * ends in DisconnectSuccess (or ErrorResponse; the client is disconnected either way).
 * Each kind of operation has one slot: a second request of the same kind is refused
 * until the first has ended. Queued operations run in the order connect, subscribe,
 * unsubscribe, publish, disconnect, one at a time.
 *
 * Strings are NOT copied: the session's strings must stay unchanged until
 * ConnectSuccess (or the connect's ErrorResponse), a topic or payload until its
 * operation's outcome event.
 *
 * Received messages ("+CMQTTRXSTART", "+CMQTTRXTOPIC", "+CMQTTRXPAYLOAD",
 * "+CMQTTRXEND"; topic and payload may come in several chunks) are delivered as
 * MsgRxTopic events, then MsgRxPayload events, then MsgRxEnd, each topic or payload
 * event holding a segment of at most GSM_MQTT_SIMCOM_RX_SEGMENT bytes with the total
 * length and the segment's offset (the event is the client's own record of the part:
 * read it, do not change it). The client has no receive buffer of its own: a
 * segment is reported where the Prompt module's buffer holds it, so segments are also
 * bounded by that buffer (one that reaches the buffer's very end gives its last byte
 * as a segment of its own); reassemble by offset. A malformed or inconsistent header gives
 * MsgRxTopicHeaderError / MsgRxPayloadHeaderError, missing data MsgRxTopicError /
 * MsgRxPayloadError (the rest of that message is then skipped). A message whose payload
 * is longer than GSM_MQTT_SIMCOM_MAX_PAYLOAD gives MsgRxPayloadHeaderError and no
 * topic or payload events. Every byte a chunk header announces is read as data, whatever
 * its length, so payload bytes are never taken for modem output.
 *
 * Losses: "+CMQTTCONNLOST: 0,<cause>" and a failed keep-alive ("+CMQTTPING: 0,<err>")
 * give ConnectionLost; "+CMQTTNONET" (the modem stopped the MQTT service) gives
 * NoNetwork. A modem restart gives ConnectionLost when connected. Operations waiting
 * for the connection then end in ErrorResponse. Connect again to recover (the service
 * is restarted with AT+CMQTTSTART when needed).
 *
 * TLS: set Ssl (in USER CODE) to an SSL module instance (GSM_Ssl_Simcom.h) and the
 * connection runs over TLS inside the modem: before the connect sequence the SSL
 * module puts missing certificate files into the modem and configures its context
 * (once per modem start), the client is acquired as a TLS client
 * (AT+CMQTTACCQ=0,"<client id>",1) and tied to the context (AT+CMQTTSSLCFG=0,<ctx>).
 * With GSM_SslSimcom_Auth_ServerAndClient the modem also shows the client certificate
 * and key (mutual TLS). The server URL keeps the form "tcp://host:port" (usually port
 * 8883). A failed handshake or verification ("+CMQTTCONNECT: 0,32" handshake failed,
 * 33 certificate not set) ends the connect with ErrorResponse of ErrorType
 * GSM_MQTT_ErrorType_Tls and the modem's code; so does a context that could not be set
 * up (Result Error or CmeError, ErrorCode from gsmSslSimcomErrorCode()).
 *
 * Wiring (as generated into gsm_manager.c):
 *     mGsmMqttClientSimcomInst.Power = (&mGsmPwrInst._i);
 *     mGsmMqttClientSimcomInst.Prompt = (&mGsmPromptInst._i);
 *     mGsmMqttClientSimcomInst.NetworkRegistration = (&mGsmNetworkRegistrationInst._i);
 *     mGsmMqttClientSimcomInst.InternetConnection = (&mGsmInternetConnectionSimcomInst._i);
 *     mGsmMqttClientSimcomInst.EventHandler = &gsmMqttClientSimcomEventHandler;
 *     gsmMqttClientSimcomInit(&mGsmMqttClientSimcomInst);
 *     ... gsmMqttClientSimcomPoll(&mGsmMqttClientSimcomInst) from the main loop.
 */
#ifndef GSM_MQTTCLIENT_SIMCOM_H_
#define GSM_MQTTCLIENT_SIMCOM_H_

#include "GSM_Globals.h"
#include "GSM_Power_Interface.h"
#include "GSM_Prompt_Interface.h"
#include "GSM_NetworkRegistration_Interface.h"
#include "GSM_InternetConnection_Interface.h"
#include "GSM_Ssl_Simcom.h"

#ifdef __cplusplus
extern "C" {
#endif

#ifndef GSM_MQTT_SIMCOM_RX_SEGMENT
#define GSM_MQTT_SIMCOM_RX_SEGMENT 256u            /* most bytes of topic/payload per receive event */
#endif
#ifndef GSM_MQTT_SIMCOM_COMMAND_TIMEOUT_MS
#define GSM_MQTT_SIMCOM_COMMAND_TIMEOUT_MS 10000u   /* ordinary commands */
#endif
#ifndef GSM_MQTT_SIMCOM_RESULT_TIMEOUT_MS
#define GSM_MQTT_SIMCOM_RESULT_TIMEOUT_MS 60000u    /* "+CMQTTxxx: 0,<err>" after a command's OK */
#endif
#ifndef GSM_MQTT_SIMCOM_CONNECTION_WAIT_MS
#define GSM_MQTT_SIMCOM_CONNECTION_WAIT_MS 120000u  /* wait for the internet connection */
#endif

#define GSM_MQTT_SIMCOM_MAX_TOPIC 1024u        /* longest topic */
#define GSM_MQTT_SIMCOM_MAX_PAYLOAD 10240u     /* longest payload */
#define GSM_MQTT_SIMCOM_MAX_CLIENT_ID 128u     /* longest client id */
#define GSM_MQTT_SIMCOM_MAX_SERVER_URL 256u    /* longest server URL */
#define GSM_MQTT_SIMCOM_MAX_CREDENTIAL 256u    /* longest user name or password */

/* Event codes passed to EventHandler. */
typedef uint8_t GSM_MqttClientSimcom_EventType;
enum
{
    GSM_MqttClientSimcom_EventType_ConnectSuccess = 0,          /* event_data null */
    GSM_MqttClientSimcom_EventType_SubscribeSuccess = 1,        /* event_data null */
    GSM_MqttClientSimcom_EventType_PublishSuccess = 2,          /* event_data null */
    GSM_MqttClientSimcom_EventType_MsgRxTopic = 3,              /* GSM_MqttClientSimcom_Event_MsgRxTopic* */
    GSM_MqttClientSimcom_EventType_MsgRxTopicHeaderError = 4,   /* event_data null */
    GSM_MqttClientSimcom_EventType_MsgRxTopicError = 5,         /* event_data null */
    GSM_MqttClientSimcom_EventType_MsgRxPayload = 6,            /* GSM_MqttClientSimcom_Event_MsgRxPayload* */
    GSM_MqttClientSimcom_EventType_MsgRxPayloadHeaderError = 7, /* event_data null */
    GSM_MqttClientSimcom_EventType_MsgRxPayloadError = 8,       /* event_data null */
    GSM_MqttClientSimcom_EventType_MsgRxEnd = 9,                /* event_data null */
    GSM_MqttClientSimcom_EventType_UnsubscribeSuccess = 10,     /* event_data null */
    GSM_MqttClientSimcom_EventType_DisconnectSuccess = 11,      /* event_data null */
    GSM_MqttClientSimcom_EventType_ConnectionLost = 12,         /* event_data null */
    GSM_MqttClientSimcom_EventType_NoNetwork = 13,              /* event_data null */
    GSM_MqttClientSimcom_EventType_ErrorResponse = 14           /* GSM_MqttClientSimcom_Event_ErrorResponse* */
};

/* Connection state towards the MQTT server. */
typedef enum
{
    GSM_MQTT_ServerStatus_Disconnected = 0,
    GSM_MQTT_ServerStatus_Connecting,     /* gsmMqttClientSimcomConnect() accepted, not yet connected */
    GSM_MQTT_ServerStatus_Connected,
    GSM_MQTT_ServerStatus_Disconnecting   /* the disconnection is being carried out */
} GSM_MQTT_ServerStatus;

/* The operation an ErrorResponse is about. */
typedef enum
{
    GSM_MQTT_ErrorType_Start = 0,      /* AT+CMQTTSTART (service start) */
    GSM_MQTT_ErrorType_AcquireClient,  /* AT+CMQTTACCQ */
    GSM_MQTT_ErrorType_Will,           /* AT+CMQTTWILLTOPIC / AT+CMQTTWILLMSG */
    GSM_MQTT_ErrorType_Connect,        /* AT+CMQTTCONNECT, or no internet connection */
    GSM_MQTT_ErrorType_Subscribe,      /* AT+CMQTTSUB */
    GSM_MQTT_ErrorType_Unsubscribe,    /* AT+CMQTTUNSUB */
    GSM_MQTT_ErrorType_Publish,        /* AT+CMQTTTOPIC / AT+CMQTTPAYLOAD / AT+CMQTTPUB */
    GSM_MQTT_ErrorType_Disconnect,     /* AT+CMQTTDISC */
    GSM_MQTT_ErrorType_Tls             /* TLS: context setup, AT+CMQTTSSLCFG, handshake or verification */
} GSM_MQTT_ErrorType;

/* The ErrorResponse event (the client's own record of the failure: read it, do not
 * change it). */
typedef struct
{
    GSM_MQTT_ErrorType ErrorType;  /* which operation failed */
    uint16_t ErrorCode;            /* the modem's <err> (e.g. 3 or 11 no connection, 17 timeout, 26
                                      closed by server, 28 identifier rejected, 30 bad user name
                                      or password) from the result line, also when the modem
                                      answered that line with ERROR instead of OK
                                      ("+CMQTTCONNECT: 0,3", ERROR); else <n> of +CME ERROR: n;
                                      else 0 */
    GSM_Result Result;             /* Ok: the modem reported <err> after OK; Error/CmeError: command
                                      rejected (ErrorCode holds the <err> of a result line that
                                      came with the ERROR); Timeout: no answer; Aborted: no
                                      connection, connection lost or modem restarted before the
                                      operation completed */
} GSM_MqttClientSimcom_Event_ErrorResponse;

typedef struct
{
    uint16_t TopicLenTotal;       /* length of the whole topic */
    uint16_t TopicLenSegment;     /* bytes in TopicSegment */
    uint16_t TopicSegmentOffset;  /* where TopicSegment belongs in the topic */
    char* TopicSegment;           /* NUL-terminated; valid during the call */
} GSM_MqttClientSimcom_Event_MsgRxTopic;

typedef struct
{
    uint16_t PayloadLenTotal;       /* length of the whole payload */
    uint16_t PayloadLenSegment;     /* bytes in PayloadSegment (it may hold NUL bytes) */
    uint16_t PayloadSegmentOffset;  /* where PayloadSegment belongs in the payload */
    char* PayloadSegment;           /* NUL-terminated; valid during the call */
} GSM_MqttClientSimcom_Event_MsgRxPayload;

/* Connection parameters. */
typedef struct
{
    const char* ServerUrl;     /* "tcp://host:port", e.g. "tcp://test.example.com:1883" */
    const char* ClientId;      /* 1..128 characters */
    uint16_t KeepAlive_s;      /* keep-alive interval, 1..64800 s */
    bool CleanSession;         /* start without a stored session */
    const char* UserName;      /* null: no user name (then no password either) */
    const char* Password;      /* null: no password */
    const char* WillTopic;     /* null: no will */
    const char* WillMessage;   /* the will's payload (with WillTopic) */
    uint8_t WillQoS;           /* 0..2 */
} GSM_MqttClientSimcom_Connect_Session;

/* Publication parameters of gsmMqttClientSimcomPublishEx(). */
typedef struct
{
    const char* Topic;        /* 1..1024 bytes */
    const char* Payload;      /* the message (may be null when PayloadLength is 0) */
    uint16_t PayloadLength;   /* bytes of Payload to send, up to 10240; 0: strlen(Payload) */
    uint8_t QoS;              /* 0..2 */
    bool Retain;              /* the server keeps the message for later subscribers */
    uint8_t Timeout_s;        /* publish timeout, 1..180 s; 0: 60 s */
} GSM_MqttClientSimcom_Publish_Parameters;

typedef struct GSM_MqttClientSimcom_Instance_s
{
    GSM_Power_Interface* Power;
    GSM_Prompt_Interface* Prompt;
    GSM_NetworkRegistration_Interface* NetworkRegistration;
    GSM_InternetConnection_Interface* InternetConnection;  /* may be null: not waited for */
    void (*EventHandler)(struct GSM_MqttClientSimcom_Instance_s* inst, GSM_MqttClientSimcom_EventType event_type,
                         void* event_data);
    GSM_SslSimcom_Instance* Ssl;  /* null: plain TCP; else TLS with these settings (see above) */

    /* Private state (the fields used most first: on the ATmega2560 the first 64 bytes of
     * the instance are reached by the shortest instructions). */
    uint8_t Pending;         /* queued operations */
    uint8_t Operation;       /* operation running */
    uint8_t Phase;
    uint8_t Step;
    uint8_t Flags;
    uint8_t ServerStatus;    /* GSM_MQTT_ServerStatus */
    uint8_t Service;         /* MQTT service state in the modem */
    uint8_t RxState;         /* Pending ... RxState: cleared together by Init */
    uint8_t PromptSession;
    uint8_t ErrorResult;
    uint8_t SubscribeQoS;
    uint16_t ErrorCode;      /* result kept for later (early result, disconnect error) */
    /* The topic or payload being received (its length and the bytes received so far, as
     * TopicLenTotal and TopicSegmentOffset): the record its events hand over. */
    GSM_MqttClientSimcom_Event_MsgRxTopic Rx;
    uint16_t RxPayloadTotal; /* length of the payload, while the topic is received */
    uint16_t DataLength;
    char RxCarry[2];         /* a one-byte segment from the Prompt buffer's last byte */
    uint32_t Timer_ms;       /* the wait for a result, or for the internet connection */
    const GSM_MqttClientSimcom_Connect_Session* Session;
    const char* SubscribeTopic;
    const char* UnsubscribeTopic;
    const char* Data;        /* what the running step sends after "> " */
    /* The disconnection's steps, set by gsmMqttClientSimcomDisconnect(): a firmware that
     * never disconnects does not link them. */
    void (*Disconnection)(struct GSM_MqttClientSimcom_Instance_s* inst, GSM_Result result, uint16_t code, bool inFinal);
    GSM_MqttClientSimcom_Publish_Parameters Publish;
    GSM_Prompt_Client Client;
    GSM_MqttClientSimcom_Event_ErrorResponse Failure; /* the record ErrorResponse hands over */
} GSM_MqttClientSimcom_Instance;

/* Initialises the instance (disconnected, nothing queued) and registers for the URCs. */
void gsmMqttClientSimcomInit(GSM_MqttClientSimcom_Instance* inst);

/* Runs the queued operations; call from the main loop. */
void gsmMqttClientSimcomPoll(GSM_MqttClientSimcom_Instance* inst);

/* Fills `session` with defaults: no server URL, client id "tarvex", keep-alive 60 s,
 * clean session, no user name, password or will. */
void gsmMqttClientSimcomInitConfigDefault(GSM_MqttClientSimcom_Connect_Session* session);

/* Queues a connection to the server. Returns false - nothing queued, no event - when
 * the client is not disconnected, or the session is not acceptable (URL, client id,
 * user name or password missing where required, too long, or holding '"' or control
 * characters; keep-alive 0; will QoS above 2). Outcome: ConnectSuccess or
 * ErrorResponse. */
bool gsmMqttClientSimcomConnect(GSM_MqttClientSimcom_Instance* inst, GSM_MqttClientSimcom_Connect_Session* connect_session);

/* Queues a subscription to `subscribe_topic` (1..1024 bytes) with QoS 0..2. Allowed
 * while connecting or connected; returns false when a subscription is still queued or
 * running, or the arguments are not acceptable. Outcome: SubscribeSuccess or
 * ErrorResponse. */
bool gsmMqttClientSimcomSubscribe(GSM_MqttClientSimcom_Instance* inst, const char* subscribe_topic, uint8_t subscribe_QoS);

/* Queues a publication of the NUL-terminated `publish_message` to `publish_topic`,
 * QoS 0, not retained. Returns false like gsmMqttClientSimcomPublishEx(). */
bool gsmMqttClientSimcomPublish(GSM_MqttClientSimcom_Instance* inst, const char* publish_topic, const char* publish_message);

/* Queues a publication with all parameters (the structure is copied, the strings are
 * not). Allowed while connecting or connected; returns false when a publication is
 * still queued or running, or the parameters are not acceptable. Outcome:
 * PublishSuccess or ErrorResponse. */
bool gsmMqttClientSimcomPublishEx(GSM_MqttClientSimcom_Instance* inst,
                                  GSM_MqttClientSimcom_Publish_Parameters* publish_parameters);

/* Queues the removal of a subscription. Like gsmMqttClientSimcomSubscribe(). Outcome:
 * UnsubscribeSuccess or ErrorResponse. */
bool gsmMqttClientSimcomUnsubscribe(GSM_MqttClientSimcom_Instance* inst, const char* unsubscribe_topic);

/* Queues the disconnection (after the operations already queued). Returns false when
 * the client is disconnected or already disconnecting. Outcome: DisconnectSuccess (or
 * ErrorResponse). */
bool gsmMqttClientSimcomDisconnect(GSM_MqttClientSimcom_Instance* inst);

/* Withdraw a queued publication, subscription or unsubscription, or stop one that
 * has not yet been handed to the server (no event). Returns false when there is
 * nothing to cancel or it is too late. */
bool gsmMqttClientSimcomCancelPublish(GSM_MqttClientSimcom_Instance* inst);
bool gsmMqttClientSimcomCancelSubscribe(GSM_MqttClientSimcom_Instance* inst);
bool gsmMqttClientSimcomCancelUnsubscribe(GSM_MqttClientSimcom_Instance* inst);

/* Connection state towards the MQTT server. */
GSM_MQTT_ServerStatus gsmMqttClientServerConnectionState(GSM_MqttClientSimcom_Instance* inst);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GSM_MQTTCLIENT_SIMCOM_H_ */
