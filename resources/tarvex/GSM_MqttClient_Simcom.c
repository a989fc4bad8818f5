/*
 * GSM_MqttClient_Simcom.c - MQTT through the SIMCom LTE MQTT service (see the header).
 *
 * One operation runs at a time (Operation); others wait in Pending. An operation is a
 * short sequence of commands (Step); a command answered by OK whose outcome comes
 * later as a "+CMQTTxxx: 0,<err>" URC waits in the Wait phase without holding the
 * command engine. What each step sends and how it ends is kept in flash tables.
 * Received messages are followed by RxState, independently of the operations.
 */
#include "GSM_MqttClient_Simcom.h"
#include "GSM_Prompt.h"
#include "GSM_Internet_Helper.h"
#include "GSM_Util.h"
#include <stddef.h>
#include <string.h>

/* Busy and Wait only while an operation runs. */
enum
{
    PH_IDLE = 0,
    PH_BUSY,  /* a command of the operation holds or awaits the turn */
    PH_WAIT   /* waiting for the result URC of Step */
};

/* Operations, in the order queued ones are run. */
#define OP_CONNECT     0x01u
#define OP_SUBSCRIBE   0x02u
#define OP_UNSUBSCRIBE 0x04u
#define OP_PUBLISH     0x08u
#define OP_DISCONNECT  0x10u

enum
{
    S_START = 0,  /* AT+CMQTTSTART               -> +CMQTTSTART: <err> */
    S_REL_FIRST,  /* AT+CMQTTREL=0 (before acquiring again) */
    S_ACCQ,       /* AT+CMQTTACCQ=0,"<id>" */
    S_SSLCFG,     /* AT+CMQTTSSLCFG=0,<ctx> (TLS) */
    S_WILLTOPIC,  /* AT+CMQTTWILLTOPIC=0,<n>    > topic */
    S_WILLMSG,    /* AT+CMQTTWILLMSG=0,<n>,<q>  > message */
    S_CONNECT,    /* AT+CMQTTCONNECT=0,...      -> +CMQTTCONNECT: 0,<err> */
    S_SUB,        /* AT+CMQTTSUB=0,<n>,<q>      > topic -> +CMQTTSUB: 0,<err> */
    S_UNSUB,      /* AT+CMQTTUNSUB=0,<n>,0      > topic -> +CMQTTUNSUB: 0,<err> */
    S_TOPIC,      /* AT+CMQTTTOPIC=0,<n>        > topic */
    S_PAYLOAD,    /* AT+CMQTTPAYLOAD=0,<n>      > payload */
    S_PUB,        /* AT+CMQTTPUB=0,<q>,<t>,<r>  -> +CMQTTPUB: 0,<err> */
    S_DISC,       /* AT+CMQTTDISC=0,<t>         -> +CMQTTDISC: 0,<err> */
    S_REL,        /* AT+CMQTTREL=0 */
    S_STOP        /* AT+CMQTTSTOP               -> +CMQTTSTOP: <err> */
};

/* The arguments a step's command takes, as codes inside its text (bytes below ' '); each
 * is written as ",<value>". A_*_DATA: the length of the text sent after "> " (kept for
 * the prompt). Codes index kArgs. */
#define A_WILLTOPIC_DATA "\x01"
#define A_WILLMSG_DATA   "\x02"
#define A_SUB_DATA       "\x03"
#define A_UNSUB_DATA     "\x04"
#define A_TOPIC_DATA     "\x05"
#define A_PAYLOAD_DATA   "\x06"
#define ARG_PAYLOAD_DATA 6u      /* the same code as a number */
#define A_CLIENT_ID      "\x07"
#define A_SERVER_URL     "\x08"
#define A_USER_NAME      "\x09" /* absent: this and the arguments after it are left out */
#define A_PASSWORD       "\x0A" /* likewise */
#define A_KEEP_ALIVE     "\x0B"
#define A_CLEAN          "\x0C"
#define A_WILL_QOS       "\x0D"
#define A_SUB_QOS        "\x0E"
#define A_PUB_QOS        "\x0F"
#define A_PUB_TIMEOUT    "\x10"
#define A_PUB_RETAIN     "\x11"
#define A_TLS            "\x12" /* ",1" (server type TLS) when Ssl is set */
#define A_SSL_CONTEXT    "\x13"

/* The commands of the steps after "AT+CMQTT", with their argument codes, in step order.
 * The result URC of a step that has one is "+CMQTT", the command's name and ':'
 * ("+CMQTTSUB: 0,<err>"). */
static const char kCommands[] GSM_FLASH =
    "START\0REL=0\0ACCQ=0" A_CLIENT_ID A_TLS "\0SSLCFG=0" A_SSL_CONTEXT "\0WILLTOPIC=0" A_WILLTOPIC_DATA "\0WILLMSG=0" A_WILLMSG_DATA A_WILL_QOS
    "\0CONNECT=0" A_SERVER_URL A_KEEP_ALIVE A_CLEAN A_USER_NAME A_PASSWORD "\0SUB=0" A_SUB_DATA A_SUB_QOS
    "\0UNSUB=0" A_UNSUB_DATA ",0\0TOPIC=0" A_TOPIC_DATA "\0PAYLOAD=0" A_PAYLOAD_DATA
    "\0PUB=0" A_PUB_QOS A_PUB_TIMEOUT A_PUB_RETAIN "\0DISC=0,60\0REL=0\0STOP";

/* Per argument code: where its value is (in the instance, or in the session with
 * K_SESSION) and what it is. */
#define K_DATA    0x00u /* const char*: sent after "> ", its length is the argument */
#define K_TEXT    0x01u /* const char*: quoted; null ends the arguments */
#define K_U8      0x02u
#define K_U16     0x03u
#define K_SPECIAL 0x04u /* A_TLS, A_SSL_CONTEXT */
#define K_KIND    0x07u
#define K_SESSION 0x80u
typedef GSM_MqttClientSimcom_Instance Inst;
typedef GSM_MqttClientSimcom_Connect_Session Session;
static const uint8_t kArgs[][2] GSM_FLASH = {
    {0, 0},
    {K_DATA | K_SESSION, offsetof(Session, WillTopic)},
    {K_DATA | K_SESSION, offsetof(Session, WillMessage)},
    {K_DATA, offsetof(Inst, SubscribeTopic)},
    {K_DATA, offsetof(Inst, UnsubscribeTopic)},
    {K_DATA, offsetof(Inst, Publish.Topic)},
    {K_DATA, offsetof(Inst, Publish.Payload)},
    {K_TEXT | K_SESSION, offsetof(Session, ClientId)},
    {K_TEXT | K_SESSION, offsetof(Session, ServerUrl)},
    {K_TEXT | K_SESSION, offsetof(Session, UserName)},
    {K_TEXT | K_SESSION, offsetof(Session, Password)},
    {K_U16 | K_SESSION, offsetof(Session, KeepAlive_s)},
    {K_U8 | K_SESSION, offsetof(Session, CleanSession)},
    {K_U8 | K_SESSION, offsetof(Session, WillQoS)},
    {K_U8, offsetof(Inst, SubscribeQoS)},
    {K_U8, offsetof(Inst, Publish.QoS)},
    {K_U8, offsetof(Inst, Publish.Timeout_s)},
    {K_U8, offsetof(Inst, Publish.Retain)},
    {K_SPECIAL, 0},
    {K_SPECIAL, 1}
};
/* The offsets fit in a byte. */
typedef char ArgOffsetsFit[(offsetof(Inst, Publish.Retain) < 256u) ? 1 : -1];

/* Per step: the GSM_MQTT_ErrorType of its failure, and whether the command takes data
 * after "> " (its length is the command's first parameter) and reports its outcome in
 * a result URC after OK. */
#define I_PROMPT 0x10u /* = GSM_PROMPT_SEND_DATA_PROMPT << 4 */
#define I_RESULT 0x20u
#define I_BARE   0x40u /* its result line has no client index ("+CMQTTSTART: <err>") */
#define I_TYPE   0x0Fu
static const uint8_t kStepInfo[] GSM_FLASH = {
    GSM_MQTT_ErrorType_Start | I_RESULT | I_BARE,         /* S_START */
    GSM_MQTT_ErrorType_AcquireClient,                     /* S_REL_FIRST */
    GSM_MQTT_ErrorType_AcquireClient,                     /* S_ACCQ */
    GSM_MQTT_ErrorType_Tls,                               /* S_SSLCFG */
    GSM_MQTT_ErrorType_Will | I_PROMPT,                   /* S_WILLTOPIC */
    GSM_MQTT_ErrorType_Will | I_PROMPT,                   /* S_WILLMSG */
    GSM_MQTT_ErrorType_Connect | I_RESULT,                /* S_CONNECT */
    GSM_MQTT_ErrorType_Subscribe | I_PROMPT | I_RESULT,   /* S_SUB */
    GSM_MQTT_ErrorType_Unsubscribe | I_PROMPT | I_RESULT, /* S_UNSUB */
    GSM_MQTT_ErrorType_Publish | I_PROMPT,                /* S_TOPIC */
    GSM_MQTT_ErrorType_Publish | I_PROMPT,                /* S_PAYLOAD */
    GSM_MQTT_ErrorType_Publish | I_RESULT,                /* S_PUB */
    GSM_MQTT_ErrorType_Disconnect | I_RESULT,             /* S_DISC */
    GSM_MQTT_ErrorType_Disconnect,                        /* S_REL */
    GSM_MQTT_ErrorType_Disconnect | I_RESULT | I_BARE     /* S_STOP */
};

/* Per step up to S_PUB: when the walk through an operation's steps (advance()) runs it,
 * and, for the last step of an operation (W_LAST), the event of its success. The
 * disconnection walks its steps itself (disconnection()). */
#define W_ALWAYS    0u
#define W_NEVER     1u /* only entered directly (a release before acquiring again) */
#define W_TLS       2u /* Ssl set */
#define W_WILL      3u /* the session has a will */
#define W_PAYLOAD   4u /* the publication has a payload */
#define W_WHEN      0x07u
#define W_LAST      0x80u
#define W_EVENT(e)  ((uint8_t)((e) << 3))
static const uint8_t kStepWalk[] GSM_FLASH = {
    W_ALWAYS,                                                                /* S_START */
    W_NEVER,                                                                 /* S_REL_FIRST */
    W_ALWAYS,                                                                /* S_ACCQ */
    W_TLS,                                                                   /* S_SSLCFG */
    W_WILL,                                                                  /* S_WILLTOPIC */
    W_WILL,                                                                  /* S_WILLMSG */
    W_LAST | W_EVENT(GSM_MqttClientSimcom_EventType_ConnectSuccess),         /* S_CONNECT */
    W_LAST | W_EVENT(GSM_MqttClientSimcom_EventType_SubscribeSuccess),       /* S_SUB */
    W_LAST | W_EVENT(GSM_MqttClientSimcom_EventType_UnsubscribeSuccess),     /* S_UNSUB */
    W_ALWAYS,                                                                /* S_TOPIC */
    W_PAYLOAD,                                                               /* S_PAYLOAD */
    W_LAST | W_EVENT(GSM_MqttClientSimcom_EventType_PublishSuccess)          /* S_PUB */
};

/* MQTT service state in the modem; each is also the first step of a connect from it. */
enum
{
    SV_STOPPED = S_START,      /* not started (or not known to be) */
    SV_ACQUIRED = S_REL_FIRST, /* client 0 acquired */
    SV_STARTED = S_ACCQ        /* AT+CMQTTSTART done */
};

enum
{
    RX_IDLE = 0,
    RX_TOPIC,    /* after +CMQTTRXSTART: topic chunks expected */
    RX_PAYLOAD,  /* payload chunks expected */
    RX_SKIP      /* an error was reported: the rest of the message is dropped */
};

#define F_ACCQ_RETRIED 0x01u  /* AT+CMQTTACCQ failed once: release and try again */
#define F_EARLY        0x02u  /* the result URC came before the command's OK (ErrorCode) */
#define F_DATA_SENT    0x04u  /* the prompt data of the running command was written */
#define F_DISC_ERROR   0x08u  /* the disconnect failed (ErrorCode/ErrorResult) */
#define F_RX_CHUNK     0x10u  /* a topic/payload chunk is being received */
#define F_SENT         0x20u  /* the command of Step went out: its answer or result may come */

#define ERR_NO_VALUE 0xFFFFu
#define MQTT_ERR_NETWORK_ALREADY_OPENED 23u
#define MQTT_ERR_HANDSHAKE 32u  /* TLS handshake or verification failed */
#define MQTT_ERR_NO_CERT 33u    /* certificate not set */
#define NO_STEP 0xFFu

/* The start of our commands; from its "+CMQTT" on, also the prefix list of our URCs (a
 * list ends with an empty text). */
static const char kAtCmqtt[] GSM_FLASH = "AT+CMQTT\0";
#define URC_PREFIXES (kAtCmqtt + 2)

static void emit(Inst* inst, GSM_MqttClientSimcom_EventType type, void* data)
{
    if (inst->EventHandler != 0)
    {
        inst->EventHandler(inst, type, data);
    }
}

/* An event without data. */
static GSM_NOINLINE void emitPlain(Inst* inst, uint8_t type)
{
    emit(inst, (GSM_MqttClientSimcom_EventType)type, 0);
}

/* The event handed over is the client's own record of the last failure. */
static GSM_NOINLINE void emitError(Inst* inst, uint8_t type, GSM_Result result, uint16_t code)
{
    GSM_MqttClientSimcom_Event_ErrorResponse* ev = &inst->Failure;

    ev->ErrorType = (GSM_MQTT_ErrorType)type;
    ev->ErrorCode = code;
    ev->Result = result;
    emit(inst, GSM_MqttClientSimcom_EventType_ErrorResponse, ev);
}

static uint8_t stepInfo(uint8_t step)
{
    return GSM_FLASH_BYTE(&kStepInfo[step]);
}

/* The command of `step` after "AT+CMQTT" (in flash). */
static const char* stepCommand(uint8_t step)
{
    return gsmInternetHelperText(kCommands, step);
}

/* The result URC of the current step: "+CMQTT" is already known, `name` is the rest. */
static bool isResultOfStep(const Inst* inst, const char* name)
{
    const char* c = stepCommand(inst->Step);
    for (;;)
    {
        char k = (char)GSM_FLASH_BYTE(c++);
        if (k < 'A') /* '=', an argument code or the end */
        {
            return *name == ':';
        }
        if (*name++ != k)
        {
            return false;
        }
    }
}

/* Withdraws the running step's request or ends its turn: it has one while the step is
 * busy (the wait for a result holds none). Out of line: the ends of an operation share
 * it. */
static GSM_NOINLINE void dropTurn(Inst* inst)
{
    if (inst->Phase == PH_BUSY)
    {
        gsmPromptAbort(inst->Prompt, &inst->Client);
    }
}

/* Ends every queued operation that needs a server connection with ErrorResponse
 * (OP_SUBSCRIBE, OP_UNSUBSCRIBE and OP_PUBLISH follow each other like their error
 * types). */
static void failQueued(Inst* inst)
{
    uint8_t op;
    uint8_t type = GSM_MQTT_ErrorType_Subscribe;

    for (op = OP_SUBSCRIBE; op <= OP_PUBLISH; op = (uint8_t)(op << 1))
    {
        if (inst->Pending & op)
        {
            inst->Pending &= (uint8_t)~op;
            emitError(inst, type, GSM_Result_Aborted, 0);
        }
        type++;
    }
}

/* Ends the running operation; the turn must already be settled by the caller. */
static void opEnded(Inst* inst)
{
    inst->Operation = 0;
    inst->Phase = PH_IDLE;
    inst->Flags &= (uint8_t)(F_RX_CHUNK);
}

/* Ends the running operation with ErrorResponse. */
static void opFailed(Inst* inst, GSM_Result result, uint16_t code)
{
    bool connecting = inst->Operation == OP_CONNECT;
    uint8_t type = stepInfo(inst->Step) & I_TYPE;

    if (inst->Step == S_CONNECT && (uint16_t)(code - MQTT_ERR_HANDSHAKE) <= MQTT_ERR_NO_CERT - MQTT_ERR_HANDSHAKE)
    {
        type = GSM_MQTT_ErrorType_Tls;
    }
    opEnded(inst);
    if (connecting)
    {
        inst->ServerStatus = GSM_MQTT_ServerStatus_Disconnected;
    }
    emitError(inst, type, result, code);
    if (connecting && inst->ServerStatus == GSM_MQTT_ServerStatus_Disconnected)
    {
        failQueued(inst);
    }
}

/* Ends the running operation, abandoning its command, with ErrorResponse (Aborted). */
static void opAborted(Inst* inst)
{
    dropTurn(inst);
    opFailed(inst, GSM_Result_Aborted, 0);
}

#define GONE_SERVICE 0x01u /* the modem's MQTT service is gone too (stopped for lack of network,
                              modem restart) */
#define GONE_REPORT  0x02u /* reported even when the connection was not up */

/* The server connection is gone (lost, no network, modem restart): reported when it
 * was up (or with GONE_REPORT). With GONE_SERVICE a running disconnection is over and a
 * running connect has failed before. */
static void connectionGone(Inst* inst, GSM_MqttClientSimcom_EventType type, uint8_t how)
{
    uint8_t op = inst->Operation;

    if (how & GONE_SERVICE)
    {
        inst->Service = SV_STOPPED;
        if (op == OP_DISCONNECT)
        {
            /* As if the stop had ended: the service is stopped. */
            dropTurn(inst);
            inst->Step = S_STOP;
            inst->Disconnection(inst, GSM_Result_Ok, 0, false);
        }
        else if (op == OP_CONNECT)
        {
            opAborted(inst);
        }
    }
    if (inst->ServerStatus != GSM_MQTT_ServerStatus_Connected && !(how & GONE_REPORT))
    {
        return;
    }
    if (inst->ServerStatus != GSM_MQTT_ServerStatus_Disconnecting)
    {
        inst->ServerStatus = GSM_MQTT_ServerStatus_Disconnected;
    }
    if (op & (OP_SUBSCRIBE | OP_UNSUBSCRIBE | OP_PUBLISH))
    {
        opAborted(inst);
    }
    emitPlain(inst, type);
    failQueued(inst);
}

/* Writes the argument `code` (kArgs) of the running step as ",<value>"; false when an
 * optional text is absent (the arguments end there). */
static bool writeArg(Inst* inst, uint8_t code)
{
    GSM_Prompt_Interface* p = inst->Prompt;
    uint8_t kind = GSM_FLASH_BYTE(&kArgs[code][0]);
    uint8_t at = GSM_FLASH_BYTE(&kArgs[code][1]);
    const uint8_t* base = (kind & K_SESSION) ? (const uint8_t*)inst->Session : (const uint8_t*)inst;
    const void* field = base + at;
    uint16_t value;

    switch (kind & K_KIND)
    {
    case K_DATA:
        inst->Data = *(const char* const*)field;
        value = (code == ARG_PAYLOAD_DATA) ? inst->Publish.PayloadLength : (uint16_t)strlen(inst->Data);
        inst->DataLength = value;
        break;
    case K_TEXT:
        if (*(const char* const*)field == 0)
        {
            return false;
        }
        gsmPromptWriteChar(p, ',');
        gsmPromptWriteQuoted(p, *(const char* const*)field);
        return true;
    case K_U8:
        value = *(const uint8_t*)field;
        break;
    case K_U16:
        value = *(const uint16_t*)field;
        break;
    default: /* K_SPECIAL */
        if (at != 0u)
        {
            value = inst->Ssl->Config->ContextId;
        }
        else if (inst->Ssl != 0)
        {
            value = 1u; /* server type: TLS */
        }
        else
        {
            return true;
        }
        break;
    }
    gsmPromptWriteChar(p, ',');
    gsmPromptWriteInt(p, (int32_t)value);
    return true;
}

static bool sendStep(Inst* inst)
{
    GSM_Prompt_Interface* p = inst->Prompt;
    const char* c = stepCommand(inst->Step);
    char k;

    gsmPromptWriteText_P(p, kAtCmqtt);
    while ((k = (char)GSM_FLASH_BYTE(c++)) != '\0')
    {
        if ((uint8_t)k >= (uint8_t)' ')
        {
            gsmPromptWriteChar(p, k);
        }
        else if (!writeArg(inst, (uint8_t)k))
        {
            break;
        }
    }
    if (!gsmPromptSend(p, GSM_MQTT_SIMCOM_COMMAND_TIMEOUT_MS, (uint8_t)((stepInfo(inst->Step) & I_PROMPT) >> 4)))
    {
        return false;
    }
    inst->Flags |= F_SENT;
    return true;
}

/* Moves to `step`: sent at once from our Final event (the turn is kept), otherwise
 * when the next turn is granted. Until it goes out, no answer or result line is its. */
static GSM_NOINLINE void goStep(Inst* inst, uint8_t step, bool inFinal)
{
    inst->Step = step;
    inst->Phase = PH_BUSY;
    inst->Flags &= (uint8_t)~(F_EARLY | F_DATA_SENT | F_SENT);
    if (!inFinal || !sendStep(inst))
    {
        /* Outside our Final event, or the engine took nothing: wait for a turn. */
        gsmPromptRequest(inst->Prompt, &inst->Client);
    }
}

/* Starts queued operation `op` at `step` (NO_STEP: the caller ends it at once). The
 * operation flags are clear: the operation before ended through opEnded(). */
static void opBegin(Inst* inst, uint8_t op, uint8_t step)
{
    inst->Pending &= (uint8_t)~op;
    inst->Operation = op;
    if (step != NO_STEP)
    {
        goStep(inst, step, false);
    }
}

/* Whether the walk through an operation runs `step` (kStepWalk). */
static bool stepWanted(const Inst* inst, uint8_t step)
{
    switch (GSM_FLASH_BYTE(&kStepWalk[step]) & W_WHEN)
    {
    case W_ALWAYS:
        return true;
    case W_TLS:
        return inst->Ssl != 0;
    case W_WILL:
        return inst->Session->WillTopic != 0;
    case W_PAYLOAD:
        return inst->Publish.PayloadLength != 0u;
    default: /* W_NEVER */
        return false;
    }
}

/* The running operation has succeeded (`last`: its last step). */
static void opDone(Inst* inst, uint8_t last)
{
    uint8_t type = (uint8_t)((GSM_FLASH_BYTE(&kStepWalk[last]) >> 3) & 0x0Fu);

    if (last == S_CONNECT)
    {
        inst->ServerStatus = GSM_MQTT_ServerStatus_Connected;
    }
    opEnded(inst);
    emitPlain(inst, type);
}

/* Goes on at `step`, passing the steps the operation does not need (the last step of
 * an operation is always needed). Out of line: the link copied it into both callers. */
static GSM_NOINLINE void advance(Inst* inst, uint8_t step, bool inFinal)
{
    while (!stepWanted(inst, step))
    {
        step++;
    }
    goStep(inst, step, inFinal);
}

/* The disconnection, reached only through inst->Disconnection, which
 * gsmMqttClientSimcomDisconnect() sets: a firmware that never disconnects does not link
 * it. Not running yet (no Operation): it starts. Otherwise its Step has ended as for
 * stepEnded(); it goes on whatever the outcome. The steps: AT+CMQTTDISC while connected,
 * AT+CMQTTREL while client 0 is acquired, AT+CMQTTSTOP while the service runs. A failed
 * AT+CMQTTDISC, or a stop whose result never came, is reported at the end (a stop's
 * "<err>" or refusal does not count: the service is stopped all the same). */
static void disconnection(Inst* inst, GSM_Result result, uint16_t code, bool inFinal)
{
    uint8_t step = inst->Step;
    bool failed;

    if (inst->Operation == 0u)
    {
        opBegin(inst, OP_DISCONNECT, NO_STEP);
        step = (inst->ServerStatus == GSM_MQTT_ServerStatus_Connected) ? (uint8_t)S_DISC : (uint8_t)S_REL;
        inst->ServerStatus = GSM_MQTT_ServerStatus_Disconnecting;
    }
    else
    {
        if (step == S_DISC ? (result != GSM_Result_Ok || code != 0u)
                           : (result == GSM_Result_Timeout && inst->Phase == PH_WAIT))
        {
            inst->Flags |= F_DISC_ERROR;
            inst->ErrorCode = code;
            inst->ErrorResult = (uint8_t)result;
        }
        if (step == S_REL)
        {
            inst->Service = SV_STARTED;
        }
        else if (step == S_STOP)
        {
            inst->Service = SV_STOPPED;
        }
        step++;
    }
    if (step == S_REL && inst->Service != SV_ACQUIRED)
    {
        step++;
    }
    if (step == S_STOP && inst->Service == SV_STOPPED)
    {
        step++;
    }
    if (step <= S_STOP)
    {
        goStep(inst, step, inFinal);
        return;
    }
    failed = (inst->Flags & F_DISC_ERROR) != 0u;
    inst->ServerStatus = GSM_MQTT_ServerStatus_Disconnected;
    opEnded(inst);
    if (failed)
    {
        emitError(inst, GSM_MQTT_ErrorType_Disconnect, (GSM_Result)inst->ErrorResult, inst->ErrorCode);
    }
    else
    {
        emitPlain(inst, GSM_MqttClientSimcom_EventType_DisconnectSuccess);
    }
}

/* The running step has ended: `result` Ok with the "<err>" of its result line (0:
 * success), or the command's failure, or Timeout when its result did not come in time.
 * `inFinal`: in our Final event with the turn kept (the next command goes out at once). */
static void stepEnded(Inst* inst, GSM_Result result, uint16_t code, bool inFinal)
{
    uint8_t step = inst->Step;
    bool ok = result == GSM_Result_Ok && code == 0u;

    if (step >= S_DISC)
    {
        inst->Disconnection(inst, result, code, inFinal);
        return;
    }
    if (!ok)
    {
        opFailed(inst, result, code);
        return;
    }
    if (step <= S_ACCQ)
    {
        inst->Service = (step == S_ACCQ) ? (uint8_t)SV_ACQUIRED : (uint8_t)SV_STARTED;
    }
    if (GSM_FLASH_BYTE(&kStepWalk[step]) & W_LAST)
    {
        opDone(inst, step);
    }
    else
    {
        advance(inst, (uint8_t)(step + 1u), inFinal);
    }
}

/* ---------------------------------------------------------------- receiving ---- */

/* The receive events follow the message parts: 3 * RX_TOPIC or 3 * RX_PAYLOAD plus
 * RXE_DATA (MsgRxTopic, MsgRxPayload), RXE_HEADER (...HeaderError) or RXE_MISSING
 * (...Error). */
#define RXE_DATA 0u
#define RXE_HEADER 1u
#define RXE_MISSING 2u

#define RX_EVENT(part, kind) ((uint8_t)(3u * (part) + (kind)))

static void rxEvent(Inst* inst, uint8_t part, uint8_t kind, void* data)
{
    emit(inst, (GSM_MqttClientSimcom_EventType)RX_EVENT(part, kind), data);
}

/* Reports an error of `part` and drops the rest of the message. */
static void rxFailed(Inst* inst, uint8_t part, uint8_t kind)
{
    emitPlain(inst, RX_EVENT(part, kind));
    inst->RxState = RX_SKIP;
}

/* Reports `n` bytes at `seg` (NUL-terminated) as the next topic or payload segment.
 * The event handed over is the client's own record of the part (the topic and the
 * payload event have the same layout); its offset then moves past the segment. Out of
 * line: rxData() reports from two places. */
static GSM_NOINLINE void rxEmit(Inst* inst, char* seg, uint16_t n)
{
    GSM_MqttClientSimcom_Event_MsgRxTopic* ev = &inst->Rx;

    ev->TopicLenSegment = n;
    ev->TopicSegment = seg;
    rxEvent(inst, inst->RxState, RXE_DATA, ev);
    ev->TopicSegmentOffset = (uint16_t)(ev->TopicSegmentOffset + n);
}

/* Received topic or payload bytes are reported where the engine put them, in the
 * Prompt buffer, in segments of at most GSM_MQTT_SIMCOM_RX_SEGMENT bytes: the byte
 * after a segment is set to NUL for the event and put back afterwards. A piece that
 * ends at the very end of the buffer has no byte after it: its last byte is reported
 * as a segment of its own, from a copy. */
static void rxData(Inst* inst, const GSM_Prompt_Event* ev)
{
    uint8_t state = inst->RxState;

    if ((state == RX_TOPIC || state == RX_PAYLOAD) && ev->DataLength > 0u)
    {
        GSM_Prompt_Instance* pi = GSM_CONTAINER_OF(inst->Prompt, GSM_Prompt_Instance, _i);
        char* d = (char*)pi->DataBuffer + (ev->Data - pi->DataBuffer);
        char* end = d + ev->DataLength;
        bool roomAfter = (size_t)(end - (char*)pi->DataBuffer) < pi->DataBufferSize;
        char* stop = roomAfter ? end : end - 1; /* the segments end before a last byte */

        while (d < stop && inst->RxState == state)
        {
            uint16_t n = (uint16_t)(stop - d);
            char saved;
            if (n > GSM_MQTT_SIMCOM_RX_SEGMENT)
            {
                n = GSM_MQTT_SIMCOM_RX_SEGMENT;
            }
            saved = d[n];
            d[n] = '\0';
            rxEmit(inst, d, n);
            d[n] = saved;
            d += n;
        }
        if (!roomAfter && inst->RxState == state)
        {
            inst->RxCarry[0] = *stop;
            inst->RxCarry[1] = '\0';
            rxEmit(inst, inst->RxCarry, 1u);
        }
    }
    if (ev->RawRemaining == 0u)
    {
        inst->Flags &= (uint8_t)~F_RX_CHUNK;
    }
}

/* Reports the error of an incomplete topic or payload, if one is being received, and
 * drops the rest. */
static void rxIncomplete(Inst* inst)
{
    inst->Flags &= (uint8_t)~F_RX_CHUNK;
    if (inst->RxState == RX_TOPIC || inst->RxState == RX_PAYLOAD)
    {
        emitPlain(inst, RX_EVENT(inst->RxState, RXE_MISSING));
    }
    inst->RxState = RX_SKIP;
}

/* ------------------------------------------------------------- engine events ---- */

/* The URCs onCmqtt() knows after "+CMQTT", in flash, in the order of the URC_ numbers. */
static const char kUrcs[] GSM_FLASH = "RXSTART:\0RXTOPIC:\0RXPAYLOAD:\0RXEND:\0CONNLOST:\0PING:\0NONET\0";
enum
{
    URC_RXSTART = 0,
    URC_RXTOPIC,    /* = RX_TOPIC */
    URC_RXPAYLOAD,  /* = RX_PAYLOAD */
    URC_RXEND,
    URC_CONNLOST,
    URC_PING,
    URC_NONET
};

/* A "+CMQTTRX..." line, `urc` (URC_RXSTART ... URC_RXEND) with the `count` integers
 * `v` after its colon:
 *   RXSTART: 0,<topic length>,<payload length>  a message begins (one that never ended
 *                                                is incomplete)
 *   RXTOPIC: 0,<n> / RXPAYLOAD: 0,<n>           a chunk of n bytes follows; they are
 *                                                always consumed, also when dropped
 *   RXEND: 0                                     the message is over
 * A chunk or the end also ends a chunk whose data never arrived whole, and a payload
 * chunk or the end ends the topic: the payload follows if it came whole, else the
 * message is dropped. */
static void rxHeader(Inst* inst, uint8_t urc, const int32_t* v, uint8_t count)
{
    bool valid;

    if (urc == URC_RXSTART || (inst->Flags & F_RX_CHUNK))
    {
        rxIncomplete(inst);
    }
    if (urc == URC_RXSTART)
    {
        if (count != 3u || (uint32_t)v[1] - 1u >= GSM_MQTT_SIMCOM_MAX_TOPIC || v[2] < 0)
        {
            rxFailed(inst, RX_TOPIC, RXE_HEADER);
        }
        else if (v[2] > (int32_t)GSM_MQTT_SIMCOM_MAX_PAYLOAD)
        {
            /* Too long to be reported: its chunks are read and dropped. */
            rxFailed(inst, RX_PAYLOAD, RXE_HEADER);
        }
        else
        {
            inst->Rx.TopicLenTotal = (uint16_t)v[1];
            inst->RxPayloadTotal = (uint16_t)v[2];
            inst->Rx.TopicSegmentOffset = 0;
            inst->RxState = RX_TOPIC;
        }
        return;
    }
    valid = count >= 2u && v[1] > 0;
    if (inst->RxState == RX_TOPIC && (urc == URC_RXEND || (urc == URC_RXPAYLOAD && valid)))
    {
        if (inst->Rx.TopicSegmentOffset != inst->Rx.TopicLenTotal)
        {
            rxIncomplete(inst);
        }
        else
        {
            inst->RxState = RX_PAYLOAD;
            inst->Rx.TopicLenTotal = inst->RxPayloadTotal;
            inst->Rx.TopicSegmentOffset = 0;
        }
    }
    if (urc == URC_RXEND)
    {
        if (inst->RxState == RX_PAYLOAD && inst->Rx.TopicSegmentOffset == inst->Rx.TopicLenTotal)
        {
            inst->RxState = RX_IDLE;
            emitPlain(inst, GSM_MqttClientSimcom_EventType_MsgRxEnd);
            return;
        }
        rxIncomplete(inst);
        inst->RxState = RX_IDLE;
        return;
    }
    /* A chunk (urc = RX_TOPIC or RX_PAYLOAD) of the part being received. What was
     * received never exceeds what was announced, so the room left is a plain
     * difference. */
    if (inst->RxState != RX_SKIP &&
        (!valid || inst->RxState != urc ||
         (uint32_t)v[1] > (uint16_t)(inst->Rx.TopicLenTotal - inst->Rx.TopicSegmentOffset)))
    {
        rxFailed(inst, urc, RXE_HEADER);
    }
    if (valid)
    {
        /* Every announced byte is read as data, whatever its length, so that payload
         * bytes are never taken for modem lines. */
        inst->Flags |= F_RX_CHUNK;
        gsmPromptReadRaw(inst->Prompt, (uint32_t)v[1]);
    }
}

/* Lines and URCs starting with "+CMQTT": all of them are ours. */
static GSM_NOINLINE void onCmqtt(Inst* inst, char* line)
{
    char* name = line + 6; /* after "+CMQTT" */
    int32_t v[3];
    int8_t k = gsmUtilFindPrefix(name, kUrcs);
    /* The integers after the colon, read once for whichever line it is (further
     * fields are ignored; a line without a colon has none). */
    uint8_t n = gsmInternetHelperParseUrc(name, 0, v, 3);
    uint8_t info;

    if ((uint8_t)k <= URC_RXEND)
    {
        rxHeader(inst, (uint8_t)k, v, n);
        return;
    }
    if ((uint8_t)k <= URC_NONET)
    {
        /* "+CMQTTPING: 0,<err>" other than 0: the keep-alive exchange failed. */
        if (k != URC_PING || n < 2u || v[1] != 0)
        {
            bool noNet = k == URC_NONET;
            connectionGone(inst, noNet ? GSM_MqttClientSimcom_EventType_NoNetwork : GSM_MqttClientSimcom_EventType_ConnectionLost,
                           noNet ? (uint8_t)(GONE_SERVICE | GONE_REPORT) : 0u);
        }
        return;
    }

    /* Result of the running operation's step: "+CMQTTxxx: 0,<err>" (START/STOP:
     * "<err>"). */
    info = stepInfo(inst->Step);
    if ((inst->Flags & F_SENT) && (info & I_RESULT) && isResultOfStep(inst, name))
    {
        if (n != 0u)
        {
            /* A missing or negative <err> is beyond every code: no value. */
            uint32_t err = (uint32_t)((info & I_BARE) ? v[0] : ((n >= 2u) ? v[1] : -1));
            uint16_t code = (err < ERR_NO_VALUE) ? (uint16_t)err : (uint16_t)ERR_NO_VALUE;
            if (inst->Step == S_START && code == MQTT_ERR_NETWORK_ALREADY_OPENED)
            {
                code = 0; /* started already: as good as started */
            }
            if (inst->Phase == PH_WAIT)
            {
                stepEnded(inst, GSM_Result_Ok, code, false);
            }
            else
            {
                /* Before the command's OK: applied when the OK comes. */
                inst->Flags |= F_EARLY;
                inst->ErrorCode = code;
            }
        }
    }
}

/* The "> " of our step's command (only a step with data asks for one). */
static void onDataPrompt(Inst* inst)
{
    inst->Flags |= F_DATA_SENT;
    (void)gsmPromptWriteData(inst->Prompt, (const uint8_t*)inst->Data, inst->DataLength, 0);
}

static void onFinal(Inst* inst, const GSM_Prompt_Event* ev)
{
    uint8_t step = inst->Step;
    GSM_Result result = ev->Result;
    bool silent = result == GSM_Result_Timeout || result == GSM_Result_Aborted;
    bool early = (inst->Flags & F_EARLY) != 0u;
    /* Some firmware answers a failure with its result line ("+CMQTTCONNECT: 0,3") and
     * ERROR instead of OK: that <err> is the cause reported. */
    uint16_t code = early ? inst->ErrorCode : (result == GSM_Result_CmeError) ? ev->ErrorCode : 0u;

    if (inst->Phase != PH_BUSY)
    {
        return;
    }
    if (result == GSM_Result_Ok && (stepInfo(step) & I_RESULT) && !early)
    {
        /* OK, then the result URC. */
        inst->Phase = PH_WAIT;
        gsmUtilStamp(&inst->Timer_ms);
        return;
    }
    if (result != GSM_Result_Ok && !silent)
    {
        if (step == S_ACCQ && !(inst->Flags & F_ACCQ_RETRIED))
        {
            /* Client 0 still held (e.g. from before a restart of this program). */
            inst->Flags |= F_ACCQ_RETRIED;
            goStep(inst, S_REL_FIRST, true);
            return;
        }
        if (step <= S_REL_FIRST && !(early && code != 0u))
        {
            /* A refused AT+CMQTTSTART without a cause most likely means started already
             * (e.g. before a restart of this program); the release may fail harmlessly. */
            result = GSM_Result_Ok;
            code = 0;
        }
    }
    stepEnded(inst, result, code, !silent);
}

static bool handler(GSM_Prompt_Client* client, GSM_Prompt_Event* ev)
{
    Inst* inst = GSM_CONTAINER_OF(client, Inst, Client);

    switch (ev->Type)
    {
    case GSM_Prompt_EventType_Start:
        if (inst->Phase == PH_BUSY)
        {
            (void)sendStep(inst);
        }
        return true;
    case GSM_Prompt_EventType_Line: /* during our command (F_SENT) */
    case GSM_Prompt_EventType_Urc:  /* "+CMQTT" already known: the test passes */
        if (gsmUtilFindPrefix(ev->Line, URC_PREFIXES) != 0) /* "+CMQTT", the list's one entry */
        {
            return false;
        }
        onCmqtt(inst, ev->Line);
        return true;
    case GSM_Prompt_EventType_DataPrompt:
        onDataPrompt(inst);
        return true;
    case GSM_Prompt_EventType_RawData:
        rxData(inst, ev);
        return true;
    case GSM_Prompt_EventType_Final:
        onFinal(inst, ev);
        return true;
    default:
        return false;
    }
}

/* ----------------------------------------------------------------- Poll ---- */

/* The queued connect ends before its first command, as if in `step`. */
static GSM_NOINLINE void connectEndsEarly(Inst* inst, uint8_t step, GSM_Result result, uint16_t code)
{
    opBegin(inst, OP_CONNECT, NO_STEP);
    inst->Step = step;
    opFailed(inst, result, code);
}

/* TLS: the SSL context must be ready before the connect sequence. True while it is
 * being set up, or when it failed (the connect has then ended with the Result and code
 * that the SSL module keeps for its clients). */
static bool tlsWait(Inst* inst)
{
    GSM_SslSimcom_Instance* ssl = inst->Ssl;
    GSM_SslSimcom_State st = gsmSslSimcomPrepareLinked(ssl);

    if (st == GSM_SslSimcom_State_Failed)
    {
        connectEndsEarly(inst, S_SSLCFG, (GSM_Result)(GSM_Result_Error + ssl->CmeFailure), ssl->ErrorCode);
    }
    return st != GSM_SslSimcom_State_Ready;
}

/* Starts the next queued operation when its conditions are met. */
static void startNext(Inst* inst)
{
    bool ready = gsmPromptIsReady(inst->Prompt);
    uint8_t pending = inst->Pending;

    if (pending & OP_CONNECT)
    {
        bool netUp = ready && (inst->InternetConnection == 0 || gsmInternetConnectionIfIsConnected(inst->InternetConnection));
        if (netUp)
        {
            if (inst->Ssl == 0 || !tlsWait(inst))
            {
                opBegin(inst, OP_CONNECT, inst->Service);
            }
        }
        else if (gsmUtilExpired(&inst->Timer_ms, GSM_MQTT_SIMCOM_CONNECTION_WAIT_MS))
        {
            connectEndsEarly(inst, S_CONNECT, GSM_Result_Aborted, 0);
        }
        return;
    }
    if (pending & (OP_SUBSCRIBE | OP_UNSUBSCRIBE | OP_PUBLISH))
    {
        /* They wait for the connection: while it is being made, or while the modem is not
         * ready. (Whatever ends a connection or a connect fails them, and none can be
         * queued without one.) */
        if (inst->ServerStatus == GSM_MQTT_ServerStatus_Connected && ready)
        {
            /* Their first steps follow each other like the operations. */
            uint8_t op = OP_SUBSCRIBE;
            uint8_t step = S_SUB;
            while (!(pending & op))
            {
                op = (uint8_t)(op << 1);
                step++;
            }
            opBegin(inst, op, step);
        }
        return;
    }
    if (ready) /* OP_DISCONNECT */
    {
        inst->Disconnection(inst, GSM_Result_Ok, 0, false);
    }
}

/* Init clears the eight state bytes from Pending to RxState: their idle values are zero. */
typedef char IdleIsZero[(PH_IDLE == 0 && SV_STOPPED == 0 && RX_IDLE == 0 && GSM_MQTT_ServerStatus_Disconnected == 0 &&
                         offsetof(Inst, RxState) - offsetof(Inst, Pending) == 7u) ? 1 : -1];

void gsmMqttClientSimcomInit(GSM_MqttClientSimcom_Instance* inst)
{
    if (inst == 0)
    {
        return;
    }
    /* Nothing queued or running, no flags, disconnected, service stopped, nothing being
     * received: all zero, from Pending to RxState. */
    memset(&inst->Pending, 0, offsetof(Inst, RxState) + 1u - offsetof(Inst, Pending));
    inst->PromptSession = gsmPromptSession(inst->Prompt);
    gsmPromptRegisterHandler(inst->Prompt, &inst->Client, &handler, URC_PREFIXES);
}

void gsmMqttClientSimcomPoll(GSM_MqttClientSimcom_Instance* inst)
{
    GSM_Prompt_Interface* p;

    if (inst == 0 || inst->Prompt == 0)
    {
        return;
    }
    p = inst->Prompt;

    /* A restarted or re-synchronised modem has lost the MQTT service. */
    if (gsmPromptSession(p) != inst->PromptSession)
    {
        inst->PromptSession = gsmPromptSession(p);
        inst->RxState = RX_IDLE;
        inst->Flags &= (uint8_t)~F_RX_CHUNK;
        connectionGone(inst, GSM_MqttClientSimcom_EventType_ConnectionLost, GONE_SERVICE);
    }

    if (inst->Phase == PH_WAIT)
    {
        uint32_t limit = GSM_MQTT_SIMCOM_RESULT_TIMEOUT_MS;
        if (inst->Step == S_PUB)
        {
            limit += (uint32_t)inst->Publish.Timeout_s * 1000u;
        }
        if (gsmUtilExpired(&inst->Timer_ms, limit))
        {
            stepEnded(inst, GSM_Result_Timeout, 0, false);
        }
    }
    if (inst->Operation == 0u && inst->Pending != 0u)
    {
        startNext(inst);
    }
}

/* ------------------------------------------------------------------ API ---- */

void gsmMqttClientSimcomInitConfigDefault(GSM_MqttClientSimcom_Connect_Session* session)
{
    if (session == 0)
    {
        return;
    }
    memset(session, 0, sizeof(*session));
    session->ClientId = "tarvex";
    session->KeepAlive_s = 60;
    session->CleanSession = true;
}

static bool topicAcceptable(const char* topic)
{
    return topic != 0 && topic[0] != '\0' && gsmUtilStrLenMax(topic, GSM_MQTT_SIMCOM_MAX_TOPIC + 1u) <= GSM_MQTT_SIMCOM_MAX_TOPIC;
}

bool gsmMqttClientSimcomConnect(GSM_MqttClientSimcom_Instance* inst, GSM_MqttClientSimcom_Connect_Session* connect_session)
{
    const GSM_MqttClientSimcom_Connect_Session* s = connect_session;

    /* Disconnected: no connect is queued or running. */
    if (inst == 0 || s == 0 || inst->ServerStatus != GSM_MQTT_ServerStatus_Disconnected ||
        !gsmInternetHelperIsQuotable(s->ServerUrl, GSM_MQTT_SIMCOM_MAX_SERVER_URL) ||
        !gsmInternetHelperIsQuotable(s->ClientId, GSM_MQTT_SIMCOM_MAX_CLIENT_ID) || s->KeepAlive_s == 0u ||
        s->KeepAlive_s > 64800u)
    {
        return false;
    }
    if ((s->UserName != 0 && !gsmInternetHelperIsQuotable(s->UserName, GSM_MQTT_SIMCOM_MAX_CREDENTIAL)) ||
        (s->Password != 0 && (s->UserName == 0 || !gsmInternetHelperIsQuotable(s->Password, GSM_MQTT_SIMCOM_MAX_CREDENTIAL))))
    {
        return false;
    }
    if (s->WillTopic != 0 && (!topicAcceptable(s->WillTopic) || !topicAcceptable(s->WillMessage) || s->WillQoS > 2u))
    {
        return false;
    }
    inst->Session = s;
    inst->Pending |= OP_CONNECT;
    gsmUtilStamp(&inst->Timer_ms); /* the wait for the internet connection */
    inst->ServerStatus = GSM_MQTT_ServerStatus_Connecting;
    return true;
}

/* True when an operation of kind `op` may be queued: the server is (being) connected
 * and no operation of that kind is queued or running. */
static GSM_NOINLINE bool canQueue(const Inst* inst, uint8_t op)
{
    return inst != 0 &&
           (inst->ServerStatus == GSM_MQTT_ServerStatus_Connected ||
            inst->ServerStatus == GSM_MQTT_ServerStatus_Connecting) &&
           !((inst->Pending | inst->Operation) & op);
}

bool gsmMqttClientSimcomSubscribe(GSM_MqttClientSimcom_Instance* inst, const char* subscribe_topic, uint8_t subscribe_QoS)
{
    if (!canQueue(inst, OP_SUBSCRIBE) || !topicAcceptable(subscribe_topic) || subscribe_QoS > 2u)
    {
        return false;
    }
    inst->SubscribeTopic = subscribe_topic;
    inst->SubscribeQoS = subscribe_QoS;
    inst->Pending |= OP_SUBSCRIBE;
    return true;
}

bool gsmMqttClientSimcomUnsubscribe(GSM_MqttClientSimcom_Instance* inst, const char* unsubscribe_topic)
{
    if (!canQueue(inst, OP_UNSUBSCRIBE) || !topicAcceptable(unsubscribe_topic))
    {
        return false;
    }
    inst->UnsubscribeTopic = unsubscribe_topic;
    inst->Pending |= OP_UNSUBSCRIBE;
    return true;
}

bool gsmMqttClientSimcomPublishEx(GSM_MqttClientSimcom_Instance* inst,
                                  GSM_MqttClientSimcom_Publish_Parameters* publish_parameters)
{
    const GSM_MqttClientSimcom_Publish_Parameters* pp = publish_parameters;
    GSM_MqttClientSimcom_Publish_Parameters* q;
    size_t length;

    if (pp == 0 || !canQueue(inst, OP_PUBLISH) || !topicAcceptable(pp->Topic) || pp->QoS > 2u)
    {
        return false;
    }
    length = pp->PayloadLength;
    if (length == 0u && pp->Payload != 0)
    {
        length = gsmUtilStrLenMax(pp->Payload, GSM_MQTT_SIMCOM_MAX_PAYLOAD + 1u);
    }
    if (length > GSM_MQTT_SIMCOM_MAX_PAYLOAD || (length > 0u && pp->Payload == 0))
    {
        return false;
    }
    /* No publication is queued or running: its parameters are free. */
    q = &inst->Publish;
    *q = *pp;
    q->PayloadLength = (uint16_t)length;
    if (q->Timeout_s == 0u)
    {
        q->Timeout_s = 60u;
    }
    else if (q->Timeout_s > 180u)
    {
        q->Timeout_s = 180u;
    }
    inst->Pending |= OP_PUBLISH;
    return true;
}

bool gsmMqttClientSimcomPublish(GSM_MqttClientSimcom_Instance* inst, const char* publish_topic, const char* publish_message)
{
    /* QoS 0, not retained, the default timeout; the length is the message's. */
    GSM_MqttClientSimcom_Publish_Parameters pp = {0, 0, 0u, 0u, false, 0u};

    pp.Topic = publish_topic;
    pp.Payload = publish_message;
    return publish_message != 0 && gsmMqttClientSimcomPublishEx(inst, &pp);
}

bool gsmMqttClientSimcomDisconnect(GSM_MqttClientSimcom_Instance* inst)
{
    if (inst == 0 || inst->ServerStatus == GSM_MQTT_ServerStatus_Disconnected ||
        inst->ServerStatus == GSM_MQTT_ServerStatus_Disconnecting || ((inst->Pending | inst->Operation) & OP_DISCONNECT))
    {
        return false;
    }
    inst->Disconnection = &disconnection;
    inst->Pending |= OP_DISCONNECT;
    return true;
}

/* Cancels a queued operation, or a running one whose data has not reached the server
 * (`lastCancellableStep`: the running step up to which it may still be stopped). */
static bool cancelOperation(Inst* inst, uint8_t op, uint8_t lastCancellableStep, bool beforeData)
{
    if (inst == 0)
    {
        return false;
    }
    if (inst->Pending & op)
    {
        inst->Pending &= (uint8_t)~op;
        return true;
    }
    if (inst->Operation == op && inst->Phase == PH_BUSY && inst->Step <= lastCancellableStep &&
        !(beforeData && (inst->Flags & F_DATA_SENT)))
    {
        dropTurn(inst);
        opEnded(inst);
        return true;
    }
    return false;
}

bool gsmMqttClientSimcomCancelPublish(GSM_MqttClientSimcom_Instance* inst)
{
    /* Topic and payload only fill the modem's buffers; AT+CMQTTPUB sends. */
    return cancelOperation(inst, OP_PUBLISH, S_PAYLOAD, false);
}

bool gsmMqttClientSimcomCancelSubscribe(GSM_MqttClientSimcom_Instance* inst)
{
    return cancelOperation(inst, OP_SUBSCRIBE, S_SUB, true);
}

bool gsmMqttClientSimcomCancelUnsubscribe(GSM_MqttClientSimcom_Instance* inst)
{
    return cancelOperation(inst, OP_UNSUBSCRIBE, S_UNSUB, true);
}

GSM_MQTT_ServerStatus gsmMqttClientServerConnectionState(GSM_MqttClientSimcom_Instance* inst)
{
    return (inst != 0) ? (GSM_MQTT_ServerStatus)inst->ServerStatus : GSM_MQTT_ServerStatus_Disconnected;
}
