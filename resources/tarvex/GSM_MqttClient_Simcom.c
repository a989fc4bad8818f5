/*
 * GSM_MqttClient_Simcom.c - MQTT through the SIMCom LTE MQTT service (see the header).
 *
 * One operation runs at a time (Operation); others wait in Pending. An operation is a
 * short sequence of commands (Step); a command answered by OK whose outcome comes
 * later as a "+CMQTTxxx: 0,<err>" URC waits in the Wait phase without holding the
 * command engine. Received messages are followed by RxState, independently of the
 * operations.
 */
#include "GSM_MqttClient_Simcom.h"
#include "GSM_Prompt.h"
#include "GSM_Internet_Helper.h"
#include "GSM_Util.h"
#include <string.h>

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
    S_STOP,       /* AT+CMQTTSTOP               -> +CMQTTSTOP: <err> */
    S_SSLCFG      /* AT+CMQTTSSLCFG=0,<ctx> (TLS) */
};

/* MQTT service state in the modem. */
enum
{
    SV_STOPPED = 0,  /* not started (or not known to be) */
    SV_STARTED,      /* AT+CMQTTSTART done */
    SV_ACQUIRED      /* client 0 acquired */
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
#define F_SENT         0x20u  /* the command of Step is on its way (its answer may come) */

#define ERR_NO_VALUE 0xFFFFu
#define MQTT_ERR_NETWORK_ALREADY_OPENED 23
#define MQTT_ERR_HANDSHAKE 32u  /* TLS handshake or verification failed */
#define MQTT_ERR_NO_CERT 33u    /* certificate not set */

static const char kUrcPrefixList[] GSM_FLASH = "+CMQTT\0";

typedef GSM_MqttClientSimcom_Instance Inst;

static void emit(Inst* inst, GSM_MqttClientSimcom_EventType type, void* data)
{
    if (inst->EventHandler != 0)
    {
        inst->EventHandler(inst, type, data);
    }
}

static void emitError(Inst* inst, GSM_MQTT_ErrorType type, GSM_Result result, uint16_t code)
{
    GSM_MqttClientSimcom_Event_ErrorResponse ev;
    ev.ErrorType = type;
    ev.ErrorCode = code;
    ev.Result = result;
    emit(inst, GSM_MqttClientSimcom_EventType_ErrorResponse, &ev);
}

static GSM_MQTT_ErrorType errorTypeOf(uint8_t op, uint8_t step)
{
    switch (op)
    {
    case OP_CONNECT:
        return (step == S_START)                                  ? GSM_MQTT_ErrorType_Start
               : (step == S_ACCQ || step == S_REL_FIRST)          ? GSM_MQTT_ErrorType_AcquireClient
               : (step == S_WILLTOPIC || step == S_WILLMSG)       ? GSM_MQTT_ErrorType_Will
               : (step == S_SSLCFG)                               ? GSM_MQTT_ErrorType_Tls
                                                                  : GSM_MQTT_ErrorType_Connect;
    case OP_SUBSCRIBE:
        return GSM_MQTT_ErrorType_Subscribe;
    case OP_UNSUBSCRIBE:
        return GSM_MQTT_ErrorType_Unsubscribe;
    case OP_PUBLISH:
        return GSM_MQTT_ErrorType_Publish;
    default:
        return GSM_MQTT_ErrorType_Disconnect;
    }
}

static void dropTurn(Inst* inst)
{
    if (gsmPromptIsBusy(inst->Prompt, &inst->Client))
    {
        gsmPromptAbort(inst->Prompt, &inst->Client);
    }
}

/* Ends every queued operation that needs a server connection with ErrorResponse. */
static void failQueued(Inst* inst, GSM_Result result)
{
    static const uint8_t kOps[] GSM_FLASH = {OP_SUBSCRIBE, OP_UNSUBSCRIBE, OP_PUBLISH};
    uint8_t i;

    for (i = 0; i < sizeof(kOps); i++)
    {
        uint8_t op = GSM_FLASH_BYTE(&kOps[i]);
        if (inst->Pending & op)
        {
            inst->Pending &= (uint8_t)~op;
            emitError(inst, errorTypeOf(op, 0), result, 0);
        }
    }
}

/* Ends the running operation; the turn must already be settled by the caller. */
static void opEnded(Inst* inst)
{
    inst->Operation = 0;
    inst->Phase = PH_IDLE;
    inst->Flags &= (uint8_t)(F_RX_CHUNK);
}

static void opSucceeded(Inst* inst, GSM_MqttClientSimcom_EventType type)
{
    opEnded(inst);
    emit(inst, type, 0);
}

/* Ends the running operation with ErrorResponse (abandoning its command, if any, when
 * `abandon`). */
static void opFailed(Inst* inst, GSM_Result result, uint16_t code, bool abandon)
{
    uint8_t op = inst->Operation;
    GSM_MQTT_ErrorType type = errorTypeOf(op, inst->Step);

    if (op == OP_CONNECT && inst->Step == S_CONNECT && (code == MQTT_ERR_HANDSHAKE || code == MQTT_ERR_NO_CERT))
    {
        type = GSM_MQTT_ErrorType_Tls;
    }

    if (abandon)
    {
        dropTurn(inst);
    }
    opEnded(inst);
    if (op == OP_CONNECT)
    {
        inst->ServerStatus = GSM_MQTT_ServerStatus_Disconnected;
    }
    emitError(inst, type, result, code);
    if (op == OP_CONNECT && inst->ServerStatus == GSM_MQTT_ServerStatus_Disconnected)
    {
        failQueued(inst, GSM_Result_Aborted);
    }
}

/* The server connection is gone (lost, no network, modem restart). */
static void connectionGone(Inst* inst, GSM_MqttClientSimcom_EventType type, bool always)
{
    bool wasConnected = inst->ServerStatus == GSM_MQTT_ServerStatus_Connected;
    uint8_t op = inst->Operation;

    if (!wasConnected && !always)
    {
        return;
    }
    if (inst->ServerStatus != GSM_MQTT_ServerStatus_Disconnecting)
    {
        inst->ServerStatus = GSM_MQTT_ServerStatus_Disconnected;
    }
    if (op == OP_SUBSCRIBE || op == OP_UNSUBSCRIBE || op == OP_PUBLISH || (op == OP_CONNECT && always))
    {
        opFailed(inst, GSM_Result_Aborted, 0, true);
    }
    if (wasConnected || always)
    {
        emit(inst, type, 0);
    }
    failQueued(inst, GSM_Result_Aborted);
}

static void writeQuotedArg(GSM_Prompt_Interface* p, const char* text)
{
    gsmPromptWriteChar(p, ',');
    gsmPromptWriteQuoted(p, text);
}

static void writeIntArg(GSM_Prompt_Interface* p, int32_t value)
{
    gsmPromptWriteChar(p, ',');
    gsmPromptWriteInt(p, value);
}

static uint16_t publishLength(const Inst* inst)
{
    return inst->Publish.PayloadLength;
}

static bool sendStep(Inst* inst)
{
    GSM_Prompt_Interface* p = inst->Prompt;
    const GSM_MqttClientSimcom_Connect_Session* s = inst->Session;
    uint8_t flags = 0;

    inst->Flags &= (uint8_t)~(F_EARLY | F_DATA_SENT | F_SENT);
    switch (inst->Step)
    {
    case S_START:
        gsmPromptWriteText_P(p, GSM_F("AT+CMQTTSTART"));
        break;
    case S_REL_FIRST:
    case S_REL:
        gsmPromptWriteText_P(p, GSM_F("AT+CMQTTREL=0"));
        break;
    case S_ACCQ:
        gsmPromptWriteText_P(p, GSM_F("AT+CMQTTACCQ=0"));
        writeQuotedArg(p, s->ClientId);
        if (inst->Ssl != 0)
        {
            writeIntArg(p, 1); /* server type: TLS */
        }
        break;
    case S_SSLCFG:
        gsmPromptWriteText_P(p, GSM_F("AT+CMQTTSSLCFG=0"));
        writeIntArg(p, inst->Ssl->Config->ContextId);
        break;
    case S_WILLTOPIC:
        gsmPromptWriteText_P(p, GSM_F("AT+CMQTTWILLTOPIC=0"));
        writeIntArg(p, (int32_t)strlen(s->WillTopic));
        flags = GSM_PROMPT_SEND_DATA_PROMPT;
        break;
    case S_WILLMSG:
        gsmPromptWriteText_P(p, GSM_F("AT+CMQTTWILLMSG=0"));
        writeIntArg(p, (int32_t)strlen(s->WillMessage));
        writeIntArg(p, s->WillQoS);
        flags = GSM_PROMPT_SEND_DATA_PROMPT;
        break;
    case S_CONNECT:
        gsmPromptWriteText_P(p, GSM_F("AT+CMQTTCONNECT=0"));
        writeQuotedArg(p, s->ServerUrl);
        writeIntArg(p, s->KeepAlive_s);
        writeIntArg(p, s->CleanSession ? 1 : 0);
        if (s->UserName != 0)
        {
            writeQuotedArg(p, s->UserName);
            if (s->Password != 0)
            {
                writeQuotedArg(p, s->Password);
            }
        }
        break;
    case S_SUB:
        gsmPromptWriteText_P(p, GSM_F("AT+CMQTTSUB=0"));
        writeIntArg(p, (int32_t)strlen(inst->SubscribeTopic));
        writeIntArg(p, inst->SubscribeQoS);
        flags = GSM_PROMPT_SEND_DATA_PROMPT;
        break;
    case S_UNSUB:
        gsmPromptWriteText_P(p, GSM_F("AT+CMQTTUNSUB=0"));
        writeIntArg(p, (int32_t)strlen(inst->UnsubscribeTopic));
        gsmPromptWriteText_P(p, GSM_F(",0"));
        flags = GSM_PROMPT_SEND_DATA_PROMPT;
        break;
    case S_TOPIC:
        gsmPromptWriteText_P(p, GSM_F("AT+CMQTTTOPIC=0"));
        writeIntArg(p, (int32_t)strlen(inst->Publish.Topic));
        flags = GSM_PROMPT_SEND_DATA_PROMPT;
        break;
    case S_PAYLOAD:
        gsmPromptWriteText_P(p, GSM_F("AT+CMQTTPAYLOAD=0"));
        writeIntArg(p, publishLength(inst));
        flags = GSM_PROMPT_SEND_DATA_PROMPT;
        break;
    case S_PUB:
        gsmPromptWriteText_P(p, GSM_F("AT+CMQTTPUB=0"));
        writeIntArg(p, inst->Publish.QoS);
        writeIntArg(p, inst->Publish.Timeout_s);
        writeIntArg(p, inst->Publish.Retain ? 1 : 0);
        break;
    case S_DISC:
        gsmPromptWriteText_P(p, GSM_F("AT+CMQTTDISC=0,60"));
        break;
    default: /* S_STOP */
        gsmPromptWriteText_P(p, GSM_F("AT+CMQTTSTOP"));
        break;
    }
    if (!gsmPromptSend(p, GSM_MQTT_SIMCOM_COMMAND_TIMEOUT_MS, flags))
    {
        return false;
    }
    inst->Flags |= F_SENT;
    return true;
}

/* Moves to `step`: sent at once from our Final event (the turn is kept), otherwise
 * when the next turn is granted. */
static void goStep(Inst* inst, uint8_t step, bool inFinal)
{
    inst->Step = step;
    inst->Phase = PH_BUSY;
    inst->Flags &= (uint8_t)~F_SENT;
    if (!inFinal || !sendStep(inst))
    {
        /* Outside our Final event, or the engine took nothing: wait for a turn. */
        gsmPromptRequest(inst->Prompt, &inst->Client);
    }
}

static void waitResult(Inst* inst)
{
    inst->Phase = PH_WAIT;
    inst->Timer_ms = gsm__SysTime_ms();
}

/* First step of the connect sequence for the current service state. */
static uint8_t connectFirstStep(const Inst* inst)
{
    return (inst->Service == SV_STOPPED) ? (uint8_t)S_START
           : (inst->Service == SV_ACQUIRED) ? (uint8_t)S_REL_FIRST
                                            : (uint8_t)S_ACCQ;
}

static uint8_t afterAcquire(const Inst* inst)
{
    return (inst->Session->WillTopic != 0) ? (uint8_t)S_WILLTOPIC : (uint8_t)S_CONNECT;
}

/* Disconnect sequence: DISC while connected, then REL and STOP as far as needed. */
static uint8_t disconnectNextStep(const Inst* inst, uint8_t after)
{
    if (after < S_DISC && inst->ServerStatus == GSM_MQTT_ServerStatus_Connected)
    {
        return S_DISC;
    }
    if (after < S_REL && inst->Service == SV_ACQUIRED)
    {
        return S_REL;
    }
    if (after < S_STOP && inst->Service != SV_STOPPED)
    {
        return S_STOP;
    }
    return 0xFFu;
}

static void disconnectFinished(Inst* inst)
{
    inst->ServerStatus = GSM_MQTT_ServerStatus_Disconnected;
    if (inst->Flags & F_DISC_ERROR)
    {
        uint16_t code = inst->ErrorCode;
        GSM_Result result = (GSM_Result)inst->ErrorResult;
        opEnded(inst);
        emitError(inst, GSM_MQTT_ErrorType_Disconnect, result, code);
    }
    else
    {
        opSucceeded(inst, GSM_MqttClientSimcom_EventType_DisconnectSuccess);
    }
}

static void disconnectContinue(Inst* inst, uint8_t after, bool inFinal)
{
    uint8_t step = disconnectNextStep(inst, after);
    if (step == 0xFFu)
    {
        disconnectFinished(inst);
    }
    else
    {
        goStep(inst, step, inFinal);
    }
}

/* The result "<err>" of the step waited for (from a URC, or kept from before OK). */
static void onResult(Inst* inst, int32_t err, bool inFinal)
{
    uint16_t code = (err >= 0 && err < 0xFFFF) ? (uint16_t)err : (uint16_t)ERR_NO_VALUE;

    switch (inst->Step)
    {
    case S_START:
        if (err == 0 || err == MQTT_ERR_NETWORK_ALREADY_OPENED)
        {
            inst->Service = SV_STARTED;
            goStep(inst, S_ACCQ, inFinal);
        }
        else
        {
            opFailed(inst, GSM_Result_Ok, code, false);
        }
        break;
    case S_CONNECT:
        if (err == 0)
        {
            inst->ServerStatus = GSM_MQTT_ServerStatus_Connected;
            opSucceeded(inst, GSM_MqttClientSimcom_EventType_ConnectSuccess);
        }
        else
        {
            opFailed(inst, GSM_Result_Ok, code, false);
        }
        break;
    case S_SUB:
    case S_UNSUB:
    case S_PUB:
        if (err == 0)
        {
            opSucceeded(inst, (inst->Step == S_SUB)     ? GSM_MqttClientSimcom_EventType_SubscribeSuccess
                              : (inst->Step == S_UNSUB) ? GSM_MqttClientSimcom_EventType_UnsubscribeSuccess
                                                        : GSM_MqttClientSimcom_EventType_PublishSuccess);
        }
        else
        {
            opFailed(inst, GSM_Result_Ok, code, false);
        }
        break;
    case S_DISC:
        if (err != 0)
        {
            inst->Flags |= F_DISC_ERROR;
            inst->ErrorCode = code;
            inst->ErrorResult = (uint8_t)GSM_Result_Ok;
        }
        inst->ServerStatus = GSM_MQTT_ServerStatus_Disconnecting;
        inst->Service = SV_ACQUIRED;
        disconnectContinue(inst, S_DISC, inFinal);
        break;
    case S_STOP:
        inst->Service = SV_STOPPED;
        disconnectFinished(inst);
        break;
    default:
        break;
    }
}

/* Result URCs and the step that waits for each (a table in flash). */
static const char kResultPrefixes[] GSM_FLASH =
    "+CMQTTSTART:\0+CMQTTCONNECT:\0+CMQTTSUB:\0+CMQTTUNSUB:\0+CMQTTPUB:\0+CMQTTDISC:\0+CMQTTSTOP:\0";
static const uint8_t kResultSteps[] GSM_FLASH = {S_START, S_CONNECT, S_SUB, S_UNSUB, S_PUB, S_DISC, S_STOP};

/* ---------------------------------------------------------------- receiving ---- */

/* Reports `n` bytes at `seg` (NUL-terminated) as the next topic or payload segment. */
static void rxEmit(Inst* inst, char* seg, uint16_t n)
{
    uint16_t offset = inst->RxReceived;

    inst->RxReceived = (uint16_t)(inst->RxReceived + n);
    if (inst->RxState == RX_TOPIC)
    {
        GSM_MqttClientSimcom_Event_MsgRxTopic ev;
        ev.TopicLenTotal = inst->RxTopicTotal;
        ev.TopicLenSegment = n;
        ev.TopicSegmentOffset = offset;
        ev.TopicSegment = seg;
        emit(inst, GSM_MqttClientSimcom_EventType_MsgRxTopic, &ev);
    }
    else
    {
        GSM_MqttClientSimcom_Event_MsgRxPayload ev;
        ev.PayloadLenTotal = inst->RxPayloadTotal;
        ev.PayloadLenSegment = n;
        ev.PayloadSegmentOffset = offset;
        ev.PayloadSegment = seg;
        emit(inst, GSM_MqttClientSimcom_EventType_MsgRxPayload, &ev);
    }
}

/* Received topic or payload bytes are reported where the engine put them, in the
 * Prompt buffer, in segments of at most GSM_MQTT_SIMCOM_RX_SEGMENT bytes: the byte
 * after a segment is set to NUL for the event and put back afterwards. A piece that
 * ends at the very end of the buffer has no byte after it: its last byte is reported
 * as a segment of its own. */
static void rxData(Inst* inst, const GSM_Prompt_Event* ev)
{
    uint8_t state = inst->RxState;

    if ((state == RX_TOPIC || state == RX_PAYLOAD) && ev->DataLength > 0u)
    {
        GSM_Prompt_Instance* pi = GSM_CONTAINER_OF(inst->Prompt, GSM_Prompt_Instance, _i);
        char* d = (char*)pi->DataBuffer + (ev->Data - pi->DataBuffer);
        char* end = d + ev->DataLength;
        bool roomAfter = (size_t)(end - (char*)pi->DataBuffer) < pi->DataBufferSize;

        while (d < end && inst->RxState == state)
        {
            uint16_t n = (uint16_t)(end - d);
            if (n > GSM_MQTT_SIMCOM_RX_SEGMENT)
            {
                n = GSM_MQTT_SIMCOM_RX_SEGMENT;
            }
            if (d + n < end || roomAfter)
            {
                char saved = d[n];
                d[n] = '\0';
                rxEmit(inst, d, n);
                if (d + n < end)
                {
                    d[n] = saved;
                }
            }
            else
            {
                inst->RxCarry[0] = d[n - 1u];
                inst->RxCarry[1] = '\0';
                d[n - 1u] = '\0';
                if (n > 1u)
                {
                    rxEmit(inst, d, (uint16_t)(n - 1u));
                }
                if (inst->RxState == state)
                {
                    rxEmit(inst, inst->RxCarry, 1u);
                }
            }
            d += n;
        }
    }
    if (ev->RawRemaining == 0u)
    {
        inst->Flags &= (uint8_t)~F_RX_CHUNK;
    }
}

/* Reports the error of an incomplete topic or payload and drops the rest. */
static void rxIncomplete(Inst* inst)
{
    if (inst->RxState == RX_TOPIC)
    {
        emit(inst, GSM_MqttClientSimcom_EventType_MsgRxTopicError, 0);
    }
    else if (inst->RxState == RX_PAYLOAD)
    {
        emit(inst, GSM_MqttClientSimcom_EventType_MsgRxPayloadError, 0);
    }
    inst->RxState = RX_SKIP;
    inst->Flags &= (uint8_t)~F_RX_CHUNK;
}

/* A chunk header "+CMQTTRXTOPIC: 0,<n>" or "+CMQTTRXPAYLOAD: 0,<n>"; the n bytes
 * that follow are always consumed, also when they are dropped. */
static void rxChunk(Inst* inst, const int32_t* v, uint8_t count, bool payload)
{
    uint16_t total = payload ? inst->RxPayloadTotal : inst->RxTopicTotal;
    bool valid = count == 2u && v[1] > 0;

    if (inst->Flags & F_RX_CHUNK)
    {
        rxIncomplete(inst); /* the previous chunk's data never arrived whole */
    }
    if (payload && inst->RxState == RX_TOPIC && valid)
    {
        if (inst->RxReceived != inst->RxTopicTotal)
        {
            rxIncomplete(inst);
        }
        else
        {
            inst->RxState = RX_PAYLOAD;
            inst->RxReceived = 0;
        }
    }
    if (inst->RxState != RX_SKIP)
    {
        if (!valid || inst->RxState != (payload ? RX_PAYLOAD : RX_TOPIC) ||
            (uint32_t)inst->RxReceived + (uint32_t)v[1] > total)
        {
            emit(inst,
                 payload ? GSM_MqttClientSimcom_EventType_MsgRxPayloadHeaderError
                         : GSM_MqttClientSimcom_EventType_MsgRxTopicHeaderError,
                 0);
            inst->RxState = RX_SKIP;
        }
    }
    if (count == 2u && v[1] > 0)
    {
        /* Every announced byte is read as data, whatever its length, so that payload
         * bytes are never taken for modem lines. */
        inst->Flags |= F_RX_CHUNK;
        gsmPromptReadRaw(inst->Prompt, (uint32_t)v[1]);
    }
}

static void rxStart(Inst* inst, const int32_t* v, uint8_t count)
{
    if ((inst->Flags & F_RX_CHUNK) || inst->RxState == RX_TOPIC || inst->RxState == RX_PAYLOAD)
    {
        rxIncomplete(inst); /* the previous message never ended */
    }
    if (count != 3u || v[1] < 1 || v[1] > (int32_t)GSM_MQTT_SIMCOM_MAX_TOPIC || v[2] < 0)
    {
        emit(inst, GSM_MqttClientSimcom_EventType_MsgRxTopicHeaderError, 0);
        inst->RxState = RX_SKIP;
        return;
    }
    if (v[2] > (int32_t)GSM_MQTT_SIMCOM_MAX_PAYLOAD)
    {
        /* Too long to be reported: its chunks are read and dropped. */
        emit(inst, GSM_MqttClientSimcom_EventType_MsgRxPayloadHeaderError, 0);
        inst->RxState = RX_SKIP;
        return;
    }
    inst->RxTopicTotal = (uint16_t)v[1];
    inst->RxPayloadTotal = (uint16_t)v[2];
    inst->RxReceived = 0;
    inst->RxState = RX_TOPIC;
}

static void rxEnd(Inst* inst)
{
    if (inst->Flags & F_RX_CHUNK)
    {
        rxIncomplete(inst);
    }
    if (inst->RxState == RX_TOPIC && inst->RxReceived == inst->RxTopicTotal && inst->RxPayloadTotal == 0u)
    {
        inst->RxState = RX_IDLE;
        emit(inst, GSM_MqttClientSimcom_EventType_MsgRxEnd, 0);
        return;
    }
    if (inst->RxState == RX_PAYLOAD && inst->RxReceived == inst->RxPayloadTotal)
    {
        inst->RxState = RX_IDLE;
        emit(inst, GSM_MqttClientSimcom_EventType_MsgRxEnd, 0);
        return;
    }
    if (inst->RxState == RX_TOPIC && inst->RxReceived == inst->RxTopicTotal)
    {
        inst->RxState = RX_PAYLOAD; /* the payload announced never came */
    }
    rxIncomplete(inst);
    inst->RxState = RX_IDLE;
}

/* ------------------------------------------------------------- engine events ---- */

/* The URCs onCmqtt() knows, in flash, in the order of the URC_ numbers. */
static const char kUrcs[] GSM_FLASH = "+CMQTTRXSTART:\0+CMQTTRXTOPIC:\0+CMQTTRXPAYLOAD:\0+CMQTTRXEND:\0"
                                      "+CMQTTCONNLOST:\0+CMQTTPING:\0+CMQTTNONET\0";
enum
{
    URC_RXSTART = 0,
    URC_RXTOPIC,
    URC_RXPAYLOAD,
    URC_RXEND,
    URC_CONNLOST,
    URC_PING,
    URC_NONET
};

/* Parses the integers after the colon of `line` (whose prefix has been recognised). */
static uint8_t argsOf(char* line, int32_t* v, uint8_t maxValues)
{
    char* args = strchr(line, ':');
    if (args == 0)
    {
        return 0;
    }
    args++;
    while (*args == ' ')
    {
        args++;
    }
    return gsmInternetHelperParseInts(args, v, maxValues);
}

/* Lines and URCs starting with "+CMQTT". Returns false for what is not ours. */
static bool onCmqtt(Inst* inst, char* line, bool duringCommand)
{
    int32_t v[3];
    uint8_t n;
    int8_t k;

    k = gsmUtilFindPrefix(line, kUrcs);
    switch (k)
    {
    case URC_RXSTART:
        rxStart(inst, v, argsOf(line, v, 3));
        return true;
    case URC_RXTOPIC:
    case URC_RXPAYLOAD:
        rxChunk(inst, v, argsOf(line, v, 2), k == URC_RXPAYLOAD);
        return true;
    case URC_RXEND:
        rxEnd(inst);
        return true;
    case URC_CONNLOST:
        connectionGone(inst, GSM_MqttClientSimcom_EventType_ConnectionLost, false);
        return true;
    case URC_PING:
        /* "+CMQTTPING: 0,<err>": the keep-alive exchange failed. */
        if (argsOf(line, v, 2) != 2u || v[1] != 0)
        {
            connectionGone(inst, GSM_MqttClientSimcom_EventType_ConnectionLost, false);
        }
        return true;
    default:
        break;
    }
    if (k == URC_NONET)
    {
        bool disconnecting = inst->Operation == OP_DISCONNECT;
        inst->Service = SV_STOPPED;
        if (disconnecting)
        {
            dropTurn(inst);
            disconnectFinished(inst);
        }
        connectionGone(inst, GSM_MqttClientSimcom_EventType_NoNetwork, true);
        return true;
    }

    /* Result of the operation's step: "+CMQTTxxx: 0,<err>" (START/STOP: "<err>"). */
    k = gsmUtilFindPrefix(line, kResultPrefixes);
    if (inst->Operation != 0u && k >= 0 && GSM_FLASH_BYTE(&kResultSteps[k]) == inst->Step &&
        (inst->Phase == PH_WAIT || duringCommand || (inst->Phase == PH_BUSY && (inst->Flags & F_SENT))))
    {
        n = argsOf(line, v, 2);
        if (n != 0u)
        {
            int32_t err = (inst->Step == S_START || inst->Step == S_STOP) ? v[0] : ((n == 2u) ? v[1] : -1);
            if (inst->Phase == PH_WAIT)
            {
                onResult(inst, err, false);
            }
            else
            {
                /* Before the command's OK: applied when the OK comes. */
                inst->Flags |= F_EARLY;
                inst->ErrorCode = (err >= 0 && err < 0xFFFF) ? (uint16_t)err : (uint16_t)ERR_NO_VALUE;
            }
            return true;
        }
    }
    return gsmUtilStartsWith_P(line, GSM_F("+CMQTT"));
}

static void onDataPrompt(Inst* inst)
{
    const char* text;
    uint16_t length;

    switch (inst->Step)
    {
    case S_WILLTOPIC:
        text = inst->Session->WillTopic;
        break;
    case S_WILLMSG:
        text = inst->Session->WillMessage;
        break;
    case S_SUB:
        text = inst->SubscribeTopic;
        break;
    case S_UNSUB:
        text = inst->UnsubscribeTopic;
        break;
    case S_TOPIC:
        text = inst->Publish.Topic;
        break;
    case S_PAYLOAD:
        text = inst->Publish.Payload;
        break;
    default:
        return;
    }
    length = (inst->Step == S_PAYLOAD) ? publishLength(inst) : (uint16_t)strlen(text);
    inst->Flags |= F_DATA_SENT;
    (void)gsmPromptWriteData(inst->Prompt, (const uint8_t*)text, length, 0);
}

static void onFinal(Inst* inst, const GSM_Prompt_Event* ev)
{
    bool ok = ev->Result == GSM_Result_Ok;
    bool silent = ev->Result == GSM_Result_Timeout || ev->Result == GSM_Result_Aborted;
    bool early = (inst->Flags & F_EARLY) != 0u;
    /* Some firmware answers a failure with its result line ("+CMQTTCONNECT: 0,3") and
     * ERROR instead of OK: that <err> is the cause reported. */
    uint16_t code = early ? inst->ErrorCode : (ev->Result == GSM_Result_CmeError) ? ev->ErrorCode : 0u;

    if (inst->Phase != PH_BUSY || inst->Operation == 0u)
    {
        return;
    }
    inst->Flags &= (uint8_t)~F_SENT;
    switch (inst->Step)
    {
    case S_START:
        if (ok && early)
        {
            onResult(inst, (int32_t)inst->ErrorCode, true);
        }
        else if (ok)
        {
            waitResult(inst);
        }
        else if (early && code != 0u && code != MQTT_ERR_NETWORK_ALREADY_OPENED)
        {
            opFailed(inst, ev->Result, code, false);
        }
        else if (!silent)
        {
            /* Most likely started already (e.g. before a restart of this program). */
            inst->Service = SV_STARTED;
            goStep(inst, S_ACCQ, true);
        }
        else
        {
            opFailed(inst, ev->Result, code, false);
        }
        break;
    case S_REL_FIRST:
        if (silent)
        {
            opFailed(inst, ev->Result, code, false);
        }
        else
        {
            inst->Service = SV_STARTED;
            goStep(inst, S_ACCQ, true);
        }
        break;
    case S_ACCQ:
        if (ok)
        {
            inst->Service = SV_ACQUIRED;
            goStep(inst, (inst->Ssl != 0) ? (uint8_t)S_SSLCFG : afterAcquire(inst), true);
        }
        else if (!silent && !(inst->Flags & F_ACCQ_RETRIED))
        {
            /* Client 0 still held (e.g. from before a restart of this program). */
            inst->Flags |= F_ACCQ_RETRIED;
            goStep(inst, S_REL_FIRST, true);
        }
        else
        {
            opFailed(inst, ev->Result, code, false);
        }
        break;
    case S_SSLCFG:
        if (ok)
        {
            goStep(inst, afterAcquire(inst), true);
        }
        else
        {
            opFailed(inst, ev->Result, code, false);
        }
        break;
    case S_WILLTOPIC:
    case S_WILLMSG:
    case S_TOPIC:
    case S_PAYLOAD:
        /* A part sent after the "> " prompt: on to the next part or to the command that
         * uses them (a publish without payload goes from its topic to AT+CMQTTPUB). */
        if (ok)
        {
            goStep(inst,
                   (inst->Step == S_WILLTOPIC)                             ? (uint8_t)S_WILLMSG
                   : (inst->Step == S_WILLMSG)                             ? (uint8_t)S_CONNECT
                   : (inst->Step == S_TOPIC && publishLength(inst) > 0u)   ? (uint8_t)S_PAYLOAD
                                                                           : (uint8_t)S_PUB,
                   true);
        }
        else
        {
            opFailed(inst, ev->Result, code, false);
        }
        break;
    case S_REL:
        inst->Service = SV_STARTED;
        disconnectContinue(inst, S_REL, !silent);
        break;
    case S_STOP:
        if (ok && !(inst->Flags & F_EARLY))
        {
            waitResult(inst);
        }
        else
        {
            inst->Service = SV_STOPPED;
            disconnectFinished(inst);
        }
        break;
    case S_DISC:
        if (ok && (inst->Flags & F_EARLY))
        {
            onResult(inst, (int32_t)inst->ErrorCode, true);
        }
        else if (ok)
        {
            waitResult(inst);
        }
        else
        {
            inst->Flags |= F_DISC_ERROR;
            inst->ErrorCode = code;
            inst->ErrorResult = (uint8_t)ev->Result;
            inst->ServerStatus = GSM_MQTT_ServerStatus_Disconnecting;
            disconnectContinue(inst, S_DISC, !silent);
        }
        break;
    default: /* S_CONNECT, S_SUB, S_UNSUB, S_PUB: OK, then the result URC */
        if (ok && (inst->Flags & F_EARLY))
        {
            onResult(inst, (int32_t)inst->ErrorCode, true);
        }
        else if (ok)
        {
            waitResult(inst);
        }
        else
        {
            opFailed(inst, ev->Result, code, false);
        }
        break;
    }
}

static bool handler(GSM_Prompt_Client* client, GSM_Prompt_Event* ev)
{
    Inst* inst = GSM_CONTAINER_OF(client, Inst, Client);

    switch (ev->Type)
    {
    case GSM_Prompt_EventType_Start:
        if (inst->Phase == PH_BUSY && inst->Operation != 0u)
        {
            (void)sendStep(inst);
        }
        return true;
    case GSM_Prompt_EventType_Line:
        return gsmUtilStartsWith_P(ev->Line, GSM_F("+CMQTT")) && onCmqtt(inst, ev->Line, true);
    case GSM_Prompt_EventType_Urc:
        return onCmqtt(inst, ev->Line, false);
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

/* TLS: the SSL context must be ready before the connect sequence. True while it is
 * being set up, or when it failed (the connect has then ended). */
static bool tlsWait(Inst* inst)
{
    GSM_SslSimcom_State st = gsmSslSimcomPrepareLinked(inst->Ssl);
    uint16_t code = gsmSslSimcomErrorCode(inst->Ssl);

    if (st == GSM_SslSimcom_State_Failed)
    {
        inst->Pending &= (uint8_t)~OP_CONNECT;
        inst->Operation = OP_CONNECT;
        inst->Step = S_SSLCFG;
        opFailed(inst, (code == 0u || code == 0xFFFFu) ? GSM_Result_Error : GSM_Result_CmeError, code, false);
    }
    return st != GSM_SslSimcom_State_Ready;
}

/* Starts the next queued operation when its conditions are met. */
static void startNext(Inst* inst)
{
    GSM_Prompt_Interface* p = inst->Prompt;
    bool netUp = gsmPromptIsReady(p) &&
                 (inst->InternetConnection == 0 || gsmInternetConnectionIfIsConnected(inst->InternetConnection));

    if (inst->Pending & OP_CONNECT)
    {
        if (netUp && inst->Ssl != 0 && tlsWait(inst))
        {
            return;
        }
        if (netUp)
        {
            inst->Pending &= (uint8_t)~OP_CONNECT;
            inst->Operation = OP_CONNECT;
            inst->Flags &= (uint8_t)F_RX_CHUNK;
            goStep(inst, connectFirstStep(inst), false);
        }
        else if (gsmUtilTimedOut(inst->WaitStart_ms, GSM_MQTT_SIMCOM_CONNECTION_WAIT_MS))
        {
            inst->Pending &= (uint8_t)~OP_CONNECT;
            inst->Operation = OP_CONNECT;
            inst->Step = S_CONNECT;
            opFailed(inst, GSM_Result_Aborted, 0, false);
        }
        return;
    }
    if (inst->Pending & (OP_SUBSCRIBE | OP_UNSUBSCRIBE | OP_PUBLISH))
    {
        uint8_t op = (inst->Pending & OP_SUBSCRIBE)     ? (uint8_t)OP_SUBSCRIBE
                     : (inst->Pending & OP_UNSUBSCRIBE) ? (uint8_t)OP_UNSUBSCRIBE
                                                        : (uint8_t)OP_PUBLISH;
        if (inst->ServerStatus == GSM_MQTT_ServerStatus_Connected && gsmPromptIsReady(p))
        {
            inst->Pending &= (uint8_t)~op;
            inst->Operation = op;
            inst->Flags &= (uint8_t)F_RX_CHUNK;
            goStep(inst, (op == OP_SUBSCRIBE) ? (uint8_t)S_SUB : (op == OP_UNSUBSCRIBE) ? (uint8_t)S_UNSUB : (uint8_t)S_TOPIC,
                   false);
            return;
        }
        if (inst->ServerStatus != GSM_MQTT_ServerStatus_Connecting)
        {
            failQueued(inst, GSM_Result_Aborted);
        }
        return;
    }
    if ((inst->Pending & OP_DISCONNECT) && gsmPromptIsReady(p))
    {
        inst->Pending &= (uint8_t)~OP_DISCONNECT;
        inst->Operation = OP_DISCONNECT;
        inst->Flags &= (uint8_t)F_RX_CHUNK;
        {
            uint8_t step = disconnectNextStep(inst, 0);
            inst->ServerStatus = GSM_MQTT_ServerStatus_Disconnecting;
            if (step == 0xFFu)
            {
                disconnectFinished(inst);
            }
            else
            {
                inst->Step = step;
                goStep(inst, step, false);
            }
        }
    }
}

void gsmMqttClientSimcomInit(GSM_MqttClientSimcom_Instance* inst)
{
    if (inst == 0)
    {
        return;
    }
    inst->Pending = 0;
    inst->Operation = 0;
    inst->Phase = PH_IDLE;
    inst->Step = S_START;
    inst->Flags = 0;
    inst->ServerStatus = GSM_MQTT_ServerStatus_Disconnected;
    inst->Service = SV_STOPPED;
    inst->RxState = RX_IDLE;
    inst->PromptSession = gsmPromptSession(inst->Prompt);
    inst->Client.Handler = &handler;
    inst->Client.UrcPrefixList = kUrcPrefixList;
    gsmPromptRegisterClient(inst->Prompt, &inst->Client);
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
        inst->Service = SV_STOPPED;
        inst->RxState = RX_IDLE;
        inst->Flags &= (uint8_t)~F_RX_CHUNK;
        if (inst->Operation == OP_DISCONNECT)
        {
            dropTurn(inst);
            disconnectFinished(inst);
        }
        else if (inst->Operation == OP_CONNECT)
        {
            opFailed(inst, GSM_Result_Aborted, 0, true);
        }
        connectionGone(inst, GSM_MqttClientSimcom_EventType_ConnectionLost, false);
    }

    if (inst->Phase == PH_WAIT)
    {
        uint32_t limit = GSM_MQTT_SIMCOM_RESULT_TIMEOUT_MS;
        if (inst->Step == S_PUB)
        {
            limit += (uint32_t)inst->Publish.Timeout_s * 1000u;
        }
        if (gsmUtilTimedOut(inst->Timer_ms, limit))
        {
            if (inst->Step == S_DISC || inst->Step == S_STOP)
            {
                inst->Flags |= F_DISC_ERROR;
                inst->ErrorCode = 0;
                inst->ErrorResult = (uint8_t)GSM_Result_Timeout;
                if (inst->Step == S_STOP)
                {
                    inst->Service = SV_STOPPED;
                    disconnectFinished(inst);
                }
                else
                {
                    inst->Service = SV_ACQUIRED;
                    disconnectContinue(inst, S_DISC, false);
                }
            }
            else
            {
                opFailed(inst, GSM_Result_Timeout, 0, false);
            }
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

    if (inst == 0 || s == 0 || inst->ServerStatus != GSM_MQTT_ServerStatus_Disconnected ||
        (inst->Pending & OP_CONNECT) || inst->Operation == OP_CONNECT ||
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
    inst->WaitStart_ms = gsm__SysTime_ms();
    inst->ServerStatus = GSM_MQTT_ServerStatus_Connecting;
    return true;
}

static bool serverUsable(const Inst* inst)
{
    return inst->ServerStatus == GSM_MQTT_ServerStatus_Connected ||
           inst->ServerStatus == GSM_MQTT_ServerStatus_Connecting;
}

bool gsmMqttClientSimcomSubscribe(GSM_MqttClientSimcom_Instance* inst, const char* subscribe_topic, uint8_t subscribe_QoS)
{
    if (inst == 0 || !serverUsable(inst) || (inst->Pending & OP_SUBSCRIBE) || inst->Operation == OP_SUBSCRIBE ||
        !topicAcceptable(subscribe_topic) || subscribe_QoS > 2u)
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
    if (inst == 0 || !serverUsable(inst) || (inst->Pending & OP_UNSUBSCRIBE) || inst->Operation == OP_UNSUBSCRIBE ||
        !topicAcceptable(unsubscribe_topic))
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
    GSM_MqttClientSimcom_Publish_Parameters pp;
    size_t length;

    if (inst == 0 || publish_parameters == 0 || !serverUsable(inst) || (inst->Pending & OP_PUBLISH) ||
        inst->Operation == OP_PUBLISH)
    {
        return false;
    }
    pp = *publish_parameters;
    if (!topicAcceptable(pp.Topic) || pp.QoS > 2u)
    {
        return false;
    }
    length = pp.PayloadLength;
    if (length == 0u && pp.Payload != 0)
    {
        length = gsmUtilStrLenMax(pp.Payload, GSM_MQTT_SIMCOM_MAX_PAYLOAD + 1u);
    }
    if (length > GSM_MQTT_SIMCOM_MAX_PAYLOAD || (length > 0u && pp.Payload == 0))
    {
        return false;
    }
    pp.PayloadLength = (uint16_t)length;
    if (pp.Timeout_s == 0u)
    {
        pp.Timeout_s = 60u;
    }
    else if (pp.Timeout_s > 180u)
    {
        pp.Timeout_s = 180u;
    }
    inst->Publish = pp;
    inst->Pending |= OP_PUBLISH;
    return true;
}

bool gsmMqttClientSimcomPublish(GSM_MqttClientSimcom_Instance* inst, const char* publish_topic, const char* publish_message)
{
    GSM_MqttClientSimcom_Publish_Parameters pp;

    if (publish_message == 0)
    {
        return false;
    }
    memset(&pp, 0, sizeof(pp));
    pp.Topic = publish_topic;
    pp.Payload = publish_message;
    return gsmMqttClientSimcomPublishEx(inst, &pp);
}

bool gsmMqttClientSimcomDisconnect(GSM_MqttClientSimcom_Instance* inst)
{
    if (inst == 0 || inst->ServerStatus == GSM_MQTT_ServerStatus_Disconnected ||
        inst->ServerStatus == GSM_MQTT_ServerStatus_Disconnecting || (inst->Pending & OP_DISCONNECT) ||
        inst->Operation == OP_DISCONNECT)
    {
        return false;
    }
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
