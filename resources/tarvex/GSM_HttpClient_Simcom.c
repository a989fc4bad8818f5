/*
 * GSM_HttpClient_Simcom.c - HTTP GET/POST through the SIMCom HTTP service (see the
 * header for the command flow).
 *
 * One state, the step: Idle (with a request queued: waiting for the connection), a
 * command of the request that holds or awaits the turn, Wait (waiting for
 * "+HTTPACTION:"), or AT+HTTPTERM after a request (a new request waits for it).
 */
#include "GSM_HttpClient_Simcom.h"
#include "GSM_Internet_Helper.h"
#include "GSM_Util.h"
#include <string.h>

enum
{
    S_TERM_FIRST = 0,  /* AT+HTTPTERM before AT+HTTPINIT (service left initialised) */
    S_INIT,            /* AT+HTTPINIT */
    S_CID,             /* AT+HTTPPARA="CID",1 (2G) */
    S_URL,             /* AT+HTTPPARA="URL","<url>" */
    S_CONTENT,         /* AT+HTTPPARA="CONTENT","<type>" (POST) */
    S_DATA,            /* AT+HTTPDATA=<n>,<time>, DOWNLOAD, body (POST) */
    S_ACTION,          /* AT+HTTPACTION=<0|1> */
    S_READ,            /* AT+HTTPREAD=<offset>,<size> */
    S_TERM,            /* AT+HTTPTERM after a request */
    S_SSL,             /* AT+HTTPPARA="SSLCFG",<ctx> (LTE) or AT+HTTPSSL=1 (2G), https only */
    S_IDLE = S_SSL + 2u, /* no command (S_SSL + 1 is the text of S_SSL on a 2G modem) */
    S_WAIT             /* AT+HTTPACTION accepted: "+HTTPACTION:" awaited */
};

/* The commands of the steps after "AT+HTTP", in step order; S_SSL of a 2G modem is the
 * one after the last. */
static const char kCommands[] GSM_FLASH = "TERM\0INIT\0PARA=\"CID\",1\0PARA=\"URL\",\0PARA=\"CONTENT\",\0DATA=\0"
                                          "ACTION=\0READ=\0TERM\0PARA=\"SSLCFG\",\0SSL=1\0";

#define F_PENDING     0x0001u  /* a request is queued or running */
#define F_STARTED     0x0002u  /* ... and has started talking to the modem */
#define F_POST        0x0004u
#define F_INIT        0x0008u  /* the modem's HTTP service is (or may be) initialised */
#define F_KEEP        0x0010u  /* keep the service initialised after a request */
#define F_INIT_RETRY  0x0020u  /* AT+HTTPINIT failed once: terminate and try again */
#define F_READ_OK     0x0040u  /* the running AT+HTTPREAD answered OK */
#define F_READ_END    0x0080u  /* ... and its data is complete ("+HTTPREAD: 0") */
#define F_STRAY_RAW   0x0100u  /* data announced outside a read: consumed and dropped */
#define F_DIRTY       0x0200u  /* the last request failed: terminate before the next */
#define F_READ_LOST   0x0800u  /* the running read's data did not fit the Prompt buffer */
#define F_TLS         0x1000u  /* an https:// URL */
#define F_2G          0x2000u  /* the connection is a 2G one (its dialect, set by Init: the
                                  connection module is initialised first) */

/* Smallest read worth asking for when the Prompt buffer is too small for the last one. */
#define READ_SIZE_MIN 16u

#define METHOD_GET 0
#define METHOD_POST 1

/* Where a request ends or moves on, which decides what happens to the turn. */
enum
{
    CTX_OUTSIDE = 0, /* Poll, an API call or a URC: a command of ours in flight is aborted */
    CTX_FINAL,       /* our Final event: the turn ends by itself, or the next command keeps it */
    CTX_LINE         /* a line during our turn after OK (gsmPromptContinue): release it */
};

/* The entries are also the prefixes the line handlers check (each up to its NUL). */
static const char kUrcPrefixList[] GSM_FLASH = "+HTTPACTION:\0+HTTPREAD:\0";
#define kActionPrefix kUrcPrefixList
#define kReadPrefix (kUrcPrefixList + sizeof("+HTTPACTION:"))

typedef GSM_HttpClientSimcom_Instance Inst;

static bool is2G(const Inst* inst)
{
    return (inst->Flags & F_2G) != 0u;
}

static uint16_t familyFlag(const Inst* inst)
{
    return (gsmInternetConnectionIfFamily(inst->InternetConnection) == GSM_InternetConnection_Family_2G) ? F_2G : 0u;
}

static void emit(Inst* inst, uint16_t status, bool last)
{
    static char empty[1];
    GSM_HttpClientSimcom_Event_HttpResult* ev = &inst->Result;

    ev->ResultStatusCode = status;
    ev->LastSegment = last;
    /* The piece is kept in the Prompt buffer, NUL-terminated, until the read's turn ends. */
    empty[0] = '\0';
    if (ev->DataLength == 0u)
    {
        ev->DataResult = empty;
    }
    if (inst->EventHandler != 0)
    {
        inst->EventHandler(inst, GSM_HttpClientSimcom_EventType_HttpResult, ev);
    }
}

static bool sendStep(Inst* inst);

/* Ends our part in the current turn. */
static void endTurn(Inst* inst, uint8_t ctx)
{
    if (ctx == CTX_LINE)
    {
        gsmPromptRelease(inst->Prompt, &inst->Client);
    }
    else if (ctx == CTX_OUTSIDE && gsmPromptIsBusy(inst->Prompt, &inst->Client))
    {
        gsmPromptAbort(inst->Prompt, &inst->Client);
    }
}

/* Sends `step` now when called from our Final event (the turn is kept), else asks for
 * a turn. */
static void next(Inst* inst, uint8_t step, uint8_t ctx)
{
    inst->Step = step;
    if (ctx == CTX_FINAL && sendStep(inst))
    {
        return;
    }
    /* Outside our Final event, or the engine took nothing (after a timeout nothing may
     * be written before the next turn): ask for a turn. */
    endTurn(inst, ctx);
    gsmPromptRequest(inst->Prompt, &inst->Client);
}

/* True when the modem's HTTP service is to be terminated (before a request or after
 * one). */
static bool termNeeded(const Inst* inst)
{
    return (inst->Flags & F_INIT) && (!(inst->Flags & F_KEEP) || (inst->Flags & F_DIRTY));
}

/* After a request has ended: AT+HTTPTERM when the service is to be terminated, else
 * idle (a request queued meanwhile starts from there). */
static void afterRequest(Inst* inst, uint8_t ctx)
{
    if (termNeeded(inst))
    {
        next(inst, S_TERM, ctx);
    }
    else
    {
        inst->Step = S_IDLE;
        endTurn(inst, ctx);
    }
}

/* No piece and no body length: how a request starts. Cleared when a request has
 * ended, not when one is queued, so that the event a handler is given stays as it is
 * when the handler queues the next request. */
static void clearResult(Inst* inst)
{
    inst->Result.ContentLength = 0;
    inst->Result.DataOffset = 0;
    inst->Result.DataLength = 0;
}

/* Ends the running request with its last event. */
static void finish(Inst* inst, uint16_t status, bool failed, uint8_t ctx)
{
    bool started = (inst->Flags & F_STARTED) != 0u;

    inst->Flags &= (uint16_t)~(F_PENDING | F_STARTED | F_READ_OK | F_READ_END | F_INIT_RETRY);
    if (failed)
    {
        if (started)
        {
            /* Whatever command was cut short, the service may be initialised. */
            inst->Flags |= F_INIT | F_DIRTY;
        }
        inst->Result.DataLength = 0;
    }
    afterRequest(inst, ctx);
    emit(inst, status, true);
    clearResult(inst);
}

static void fail(Inst* inst, uint16_t status, uint8_t ctx)
{
    finish(inst, status, true, ctx);
}

static uint16_t nextReadSize(const Inst* inst)
{
    uint32_t rest = inst->Result.ContentLength - inst->Result.DataOffset;
    return (rest > inst->ReadSize) ? inst->ReadSize : (uint16_t)rest;
}

/* The command of `step` after "AT+HTTP" (in flash). */
static const char* stepCommand(uint8_t step)
{
    return gsmInternetHelperText(kCommands, step);
}

/* The parts of a POST (reached through PostPart, so that a firmware without POST does
 * not carry them): with no line, the arguments of S_CONTENT or S_DATA; with a line of
 * S_DATA, the body after the modem's "DOWNLOAD". */
static bool postPart(Inst* inst, char* line)
{
    GSM_Prompt_Interface* p = inst->Prompt;

    if (line != 0)
    {
        if (gsmUtilStartsWith_P(line, GSM_F("DOWNLOAD")) && line[8] == '\0')
        {
            (void)gsmPromptWriteData(p, inst->PostData, inst->PostLength, 0);
            return true;
        }
        return false;
    }
    if (inst->Step == S_DATA)
    {
        /* The input time is in seconds on LTE modems, in milliseconds on 2G modems. */
        gsmPromptWriteInt(p, (int32_t)inst->PostLength);
        gsmPromptWriteText_P(p, is2G(inst) ? GSM_F(",30000") : GSM_F(",30"));
    }
    else if (inst->ContentType != 0)
    {
        gsmPromptWriteQuoted(p, inst->ContentType);
    }
    else
    {
        gsmPromptWriteText_P(p, GSM_F("\"" GSM_HTTP_SIMCOM_DEFAULT_CONTENT_TYPE "\""));
    }
    return true;
}

static bool sendStep(Inst* inst)
{
    GSM_Prompt_Interface* p = inst->Prompt;
    uint8_t step = inst->Step;
    bool g2 = is2G(inst);
    uint32_t timeout = GSM_HTTP_SIMCOM_COMMAND_TIMEOUT_MS;

    gsmPromptWriteText_P(p, GSM_F("AT+HTTP"));
    gsmPromptWriteText_P(p, stepCommand((step == S_SSL && g2) ? (uint8_t)(S_SSL + 1u) : step));
    switch (step)
    {
    case S_URL:
        gsmPromptWriteQuoted(p, inst->Url);
        break;
    case S_CONTENT:
    case S_DATA:
        (void)inst->PostPart(inst, 0);
        break;
    case S_SSL:
        if (!g2)
        {
            gsmPromptWriteInt(p, inst->Ssl->Config->ContextId);
        }
        break;
    case S_ACTION:
        inst->StatusCode = 0;
        gsmPromptWriteChar(p, (inst->Flags & F_POST) ? (char)('0' + METHOD_POST) : (char)('0' + METHOD_GET));
        break;
    case S_READ:
        inst->ReadRequested = nextReadSize(inst);
        inst->Result.DataLength = 0;
        inst->LostPiece = 0;
        inst->Flags &= (uint16_t)~(F_READ_OK | F_READ_END | F_READ_LOST);
        gsmPromptWriteInt(p, (int32_t)inst->Result.DataOffset);
        gsmPromptWriteChar(p, ',');
        gsmPromptWriteInt(p, (int32_t)inst->ReadRequested);
        timeout = inst->ReadTimeout_ms;
        break;
    default:
        break;
    }
    return gsmPromptSend(p, timeout, 0);
}

/* The first HTTPPARA step of a request. */
static uint8_t firstParameter(const Inst* inst)
{
    return is2G(inst) ? (uint8_t)S_CID : (uint8_t)S_URL;
}

/* The step after `step` once it succeeded, from CID to DATA. */
static uint8_t nextStep(const Inst* inst, uint8_t step)
{
    if (step == S_URL && (inst->Flags & F_TLS) && (is2G(inst) || inst->Ssl != 0))
    {
        return S_SSL;
    }
    if (step == S_URL || step == S_SSL)
    {
        return (inst->Flags & F_POST) ? (uint8_t)S_CONTENT : (uint8_t)S_ACTION;
    }
    if (step == S_CONTENT && inst->PostLength == 0u)
    {
        return S_ACTION;
    }
    return (uint8_t)(step + 1u); /* CID -> URL, CONTENT -> DATA -> ACTION */
}

/* Keeps "+HTTPACTION: <method>,<status>,<length>" of our request (a status that is no
 * number counts as a rejected command). */
static void actionResult(Inst* inst, const int32_t* v)
{
    inst->StatusCode = (v[1] > 0 && v[1] < 0xFFFF) ? (uint16_t)v[1] : (uint16_t)GSM_HTTP_SIMCOM_STATUS_COMMAND_FAILED;
    inst->Result.ContentLength = (v[2] > 0) ? (uint32_t)v[2] : 0u;
}

/* The body from Offset on: the piece at Offset (ReadLength bytes, none before the first
 * read) is reported, the last one with the request's end, and the next one read. */
static void bodyOn(Inst* inst, uint8_t ctx)
{
    if (inst->Result.DataOffset + inst->Result.DataLength >= inst->Result.ContentLength)
    {
        finish(inst, inst->StatusCode, false, ctx);
        return;
    }
    if (inst->Result.DataLength > 0u)
    {
        emit(inst, inst->StatusCode, false);
        if (inst->Step != S_READ)
        {
            return; /* cancelled from the event handler (a request it queued then waits) */
        }
        inst->Result.DataOffset += inst->Result.DataLength;
    }
    next(inst, S_READ, ctx); /* (the read clears ReadLength) */
}

/* The request's outcome is known (StatusCode, ContentLength): read the body, if any
 * (Offset and ReadLength are still 0 from the request's start). */
static void onAction(Inst* inst, uint8_t ctx)
{
    if (inst->StatusCode == 601u)
    {
        /* Network error: let the connection module verify the connection. */
        gsmInternetConnectionIfRequestCheck(inst->InternetConnection);
    }
    bodyOn(inst, ctx);
}

/* One AT+HTTPREAD exchange is complete: report its piece and read on. */
static void readDone(Inst* inst, uint8_t ctx)
{
    if (inst->Flags & F_READ_LOST)
    {
        /* The Prompt buffer could not hold this read: ask again for a piece that fits
         * (remembered for later reads), or give up when even a small one does not. */
        uint16_t size = (uint16_t)(inst->ReadRequested / 2u);
        if (inst->LostPiece > 64u && (uint16_t)(inst->LostPiece - 40u) < inst->ReadRequested)
        {
            size = (uint16_t)(inst->LostPiece - 40u);
        }
        if (size < READ_SIZE_MIN)
        {
            fail(inst, GSM_HTTP_SIMCOM_STATUS_READ_FAILED, ctx);
            return;
        }
        inst->ReadSize = size;
        next(inst, S_READ, ctx); /* the same piece again */
    }
    else if (inst->Result.DataLength == 0u)
    {
        fail(inst, GSM_HTTP_SIMCOM_STATUS_READ_FAILED, ctx);
    }
    else
    {
        bodyOn(inst, ctx);
    }
}

static bool onReadHeader(Inst* inst, char* line, bool ours)
{
    char* args = gsmUtilAfterPrefix_P(line, kReadPrefix);
    int32_t n;
    bool data;

    if (args == 0)
    {
        return false;
    }
    data = gsmUtilStartsWith_P(args, GSM_F("DATA,"));
    if (!gsmUtilParseInt(data ? args + 5 : args, &n) || n < 0)
    {
        return true;
    }
    if ((data || is2G(inst)) && n > 0)
    {
        /* Data of our read; data nobody asked for is consumed all the same, so that it is
         * not taken for lines. */
        inst->Flags = ours ? (uint16_t)(inst->Flags & ~F_STRAY_RAW) : (uint16_t)(inst->Flags | F_STRAY_RAW);
        gsmPromptReadRaw(inst->Prompt, (uint32_t)n);
    }
    else if (ours && !data && n == 0)
    {
        /* LTE: end of this read's data; 2G: nothing to read. */
        inst->Flags |= F_READ_END;
        if (inst->Flags & F_READ_OK)
        {
            readDone(inst, CTX_LINE);
        }
    }
    return true;
}

static void onRawData(Inst* inst, const GSM_Prompt_Event* ev)
{
    uint16_t room;
    uint16_t n;

    if (inst->Flags & F_STRAY_RAW)
    {
        if (ev->RawRemaining == 0u)
        {
            inst->Flags &= (uint16_t)~F_STRAY_RAW;
        }
        return;
    }
    if (inst->Step != S_READ)
    {
        return;
    }
    if (inst->Flags & F_READ_LOST)
    {
        return;
    }
    /* The data stays where the engine put it: a block that arrived whole is kept in the
     * Prompt buffer until the read's turn ends. A block split by the buffer's end, one
     * that left no room for the final result, or one not right behind the block before
     * it (LTE may send several) is lost, and the read is repeated smaller. */
    if (ev->RawRemaining != 0u || ev->Line == 0 ||
        (inst->Result.DataLength > 0u && ev->Line != inst->ReadNext))
    {
        if (ev->DataLength > inst->LostPiece)
        {
            inst->LostPiece = ev->DataLength;
        }
        inst->Flags |= F_READ_LOST;
        return;
    }
    gsmPromptKeepLine(inst->Prompt);
    /* Never more than asked for. */
    room = (uint16_t)(inst->ReadRequested - inst->Result.DataLength);
    n = (ev->DataLength < room) ? ev->DataLength : room;
    if (inst->Result.DataLength == 0u)
    {
        inst->Result.DataResult = ev->Line;
    }
    else
    {
        /* Join it to the block before, over that block's NUL. */
        memmove(inst->Result.DataResult + inst->Result.DataLength, ev->Line, n);
    }
    inst->ReadNext = ev->Line + ev->DataLength + 1u; /* where the engine keeps the next one */
    inst->Result.DataLength = (uint16_t)(inst->Result.DataLength + n);
    inst->Result.DataResult[inst->Result.DataLength] = '\0';
}

/* Lines during our command ("+HTTPACTION:" before the OK is left to onUrc, where the
 * engine offers it next). */
static bool onLine(Inst* inst, char* line)
{
    if (gsmUtilFindPrefix(line, gsmInternetHelperIpError) == 0)
    {
        /* SIM7600: "+IP ERROR: Network not opened" before ERROR - the data connection
         * is gone although it was thought up: let the connection module check it at
         * once (the ERROR ends the request). */
        gsmInternetConnectionIfRequestCheck(inst->InternetConnection);
        return true;
    }
    switch (inst->Step)
    {
    case S_DATA:
        return inst->PostPart(inst, line);
    case S_READ:
        return onReadHeader(inst, line, true);
    default:
        break;
    }
    return false;
}

static bool onUrc(Inst* inst, char* line)
{
    int32_t v[3];

    if (gsmInternetHelperParseUrc(line, kActionPrefix, v, 3) == 3u)
    {
        if (v[0] == ((inst->Flags & F_POST) ? METHOD_POST : METHOD_GET))
        {
            /* Also before the OK (some firmware): kept for the Final event. */
            if (inst->Step == S_WAIT || (inst->Step == S_ACTION && gsmPromptIsBusy(inst->Prompt, &inst->Client)))
            {
                actionResult(inst, v);
            }
            if (inst->Step == S_WAIT)
            {
                onAction(inst, CTX_OUTSIDE);
            }
        }
        return true;
    }
    return onReadHeader(inst, line, false);
}

static void onFinal(Inst* inst, const GSM_Prompt_Event* ev)
{
    bool ok = ev->Result == GSM_Result_Ok;
    bool silent = ev->Result == GSM_Result_Timeout || ev->Result == GSM_Result_Aborted;
    /* What the request ends with when the step does not go on. */
    uint16_t status = silent ? ((ev->Result == GSM_Result_Timeout) ? (uint16_t)GSM_HTTP_SIMCOM_STATUS_TIMEOUT
                                                                   : (uint16_t)GSM_HTTP_SIMCOM_STATUS_CONNECTION_LOST)
                             : (uint16_t)GSM_HTTP_SIMCOM_STATUS_COMMAND_FAILED;

    if (inst->Step == S_TERM)
    {
        inst->Flags &= (uint16_t)~(F_INIT | F_DIRTY);
        inst->Step = S_IDLE;
        return;
    }
    if (inst->Step >= S_IDLE)
    {
        return; /* idle or waiting: no command of ours */
    }
    switch (inst->Step)
    {
    case S_TERM_FIRST:
        if (!silent)
        {
            inst->Flags &= (uint16_t)~(F_INIT | F_DIRTY);
            next(inst, S_INIT, CTX_FINAL);
            return;
        }
        break;
    case S_INIT:
        if (ok)
        {
            inst->Flags |= F_INIT;
            next(inst, firstParameter(inst), CTX_FINAL);
            return;
        }
        if (!silent && !(inst->Flags & F_INIT_RETRY))
        {
            /* Most likely initialised by an earlier run: terminate and start again. */
            inst->Flags |= F_INIT_RETRY;
            next(inst, S_TERM_FIRST, CTX_FINAL);
            return;
        }
        break;
    case S_CID:
    case S_URL:
    case S_SSL:
    case S_CONTENT:
    case S_DATA:
        if (inst->Step == S_SSL && !silent)
        {
            /* No "SSLCFG" parameter: such firmware applies context 0 to HTTPS. */
            ok = ok || (!is2G(inst) && inst->Ssl->Config->ContextId == 0u);
            status = GSM_HTTP_SIMCOM_STATUS_TLS_SETUP;
        }
        if (ok)
        {
            next(inst, nextStep(inst, inst->Step), CTX_FINAL);
            return;
        }
        break;
    case S_ACTION:
        if (ok)
        {
            if (inst->StatusCode != 0u)
            {
                onAction(inst, CTX_FINAL); /* the outcome came before the OK */
            }
            else
            {
                inst->Step = S_WAIT;
                gsmUtilStamp(&inst->Timer_ms);
            }
            return;
        }
        break;
    default: /* S_READ */
        if (ok)
        {
            if (is2G(inst) || (inst->Flags & F_READ_END))
            {
                readDone(inst, CTX_FINAL);
            }
            else
            {
                /* LTE: the data follows the OK; wait for it and "+HTTPREAD: 0". */
                inst->Flags |= F_READ_OK;
                gsmPromptContinue(inst->Prompt, inst->ReadTimeout_ms);
            }
            return;
        }
        if (ev->Result == GSM_Result_Timeout && inst->Result.DataLength > 0u)
        {
            status = GSM_HTTP_SIMCOM_STATUS_READ_FAILED;
        }
        break;
    }
    fail(inst, status, CTX_FINAL);
}

static bool handler(GSM_Prompt_Client* client, GSM_Prompt_Event* ev)
{
    Inst* inst = GSM_CONTAINER_OF(client, Inst, Client);

    switch (ev->Type)
    {
    case GSM_Prompt_EventType_Start:
        if (inst->Step < S_IDLE)
        {
            (void)sendStep(inst);
        }
        return true;
    case GSM_Prompt_EventType_Line:
        return onLine(inst, ev->Line);
    case GSM_Prompt_EventType_Urc:
        return onUrc(inst, ev->Line);
    case GSM_Prompt_EventType_RawData:
        onRawData(inst, ev);
        return true;
    case GSM_Prompt_EventType_Final:
        onFinal(inst, ev);
        return true;
    default:
        return false;
    }
}

/* https: the SSL context must be ready before the request starts. True while it is
 * being set up; a request that cannot run over TLS as asked has then ended. */
static bool tlsWait(Inst* inst)
{
    GSM_SslSimcom_State st;

    if (!(inst->Flags & F_TLS) || (is2G(inst) && !gsmSslSimcomVerifies(inst->Ssl)) ||
        (!is2G(inst) && inst->Ssl == 0))
    {
        return false; /* 2G without verification; LTE with the modem's own settings */
    }
    if (is2G(inst))
    {
        fail(inst, GSM_HTTP_SIMCOM_STATUS_TLS_UNSUPPORTED, CTX_OUTSIDE);
        return true;
    }
    st = gsmSslSimcomPrepareLinked(inst->Ssl); /* fails without a usable configuration */
    if (st == GSM_SslSimcom_State_Failed)
    {
        fail(inst, GSM_HTTP_SIMCOM_STATUS_TLS_SETUP, CTX_OUTSIDE);
    }
    return st != GSM_SslSimcom_State_Ready;
}

/* True for the scheme "https:" (in any case). */
static bool isHttps(const char* url)
{
    /* (An entry ending in ':' matches the text it starts.) */
    return gsmUtilFindText(url, GSM_F("https:\0"), true) == 0;
}

void gsmHttpClientSimcomInit(GSM_HttpClientSimcom_Instance* inst)
{
    if (inst == 0)
    {
        return;
    }
    inst->Step = S_IDLE;
    inst->Flags = familyFlag(inst);
    inst->ReadSize = (GSM_HTTP_SIMCOM_READ_SIZE >= READ_SIZE_MIN) ? (uint16_t)GSM_HTTP_SIMCOM_READ_SIZE : (uint16_t)READ_SIZE_MIN;
    inst->ContentType = 0; /* the default, sent from flash */
    clearResult(inst);
    inst->ActionTimeout_ms = GSM_HTTP_SIMCOM_ACTION_TIMEOUT_MS;
    inst->ReadTimeout_ms = GSM_HTTP_SIMCOM_READ_TIMEOUT_MS;
    inst->PromptSession = gsmPromptSession(inst->Prompt); /* (ConnectionSession: when a request starts) */
    gsmPromptRegisterHandler(inst->Prompt, &inst->Client, &handler, kUrcPrefixList);
}

void gsmHttpClientSimcomPoll(GSM_HttpClientSimcom_Instance* inst)
{
    GSM_Prompt_Interface* p;
    uint8_t session;
    bool restarted;
    bool connected;
    uint8_t connection;
    uint32_t limit;
    uint16_t status;

    if (inst == 0 || inst->Prompt == 0)
    {
        return;
    }
    p = inst->Prompt;

    /* A restarted or re-synchronised modem has lost its HTTP service state; a request
     * that has started is lost with it, or with the internet connection. */
    session = gsmPromptSession(p);
    restarted = session != inst->PromptSession;
    connected = gsmInternetConnectionIfIsConnected(inst->InternetConnection);
    connection = gsmInternetConnectionIfSession(inst->InternetConnection);
    if ((inst->Flags & F_STARTED) && (restarted || !connected || connection != inst->ConnectionSession))
    {
        fail(inst, GSM_HTTP_SIMCOM_STATUS_CONNECTION_LOST, CTX_OUTSIDE);
    }
    if (restarted)
    {
        inst->PromptSession = session;
        inst->Flags &= (uint16_t)~(F_INIT | F_DIRTY);
        if (inst->Step == S_TERM)
        {
            endTurn(inst, CTX_OUTSIDE);
            inst->Step = S_IDLE;
        }
    }

    /* Waiting for the connection or for "+HTTPACTION:" is timed from Timer_ms. */
    limit = inst->ActionTimeout_ms;
    status = GSM_HTTP_SIMCOM_STATUS_TIMEOUT;
    switch (inst->Step)
    {
    case S_IDLE: /* a queued request waits for the connection */
        if (!(inst->Flags & F_PENDING))
        {
            return;
        }
        if (connected && gsmPromptIsReady(p) && !tlsWait(inst))
        {
            inst->Flags |= F_STARTED;
            inst->ConnectionSession = connection;
            next(inst,
                 termNeeded(inst)          ? (uint8_t)S_TERM_FIRST
                 : (inst->Flags & F_INIT) ? firstParameter(inst)
                                          : (uint8_t)S_INIT,
                 CTX_OUTSIDE);
            return;
        }
        limit = GSM_HTTP_SIMCOM_CONNECTION_WAIT_MS;
        status = GSM_HTTP_SIMCOM_STATUS_NO_CONNECTION;
        break;
    case S_WAIT:
        break;
    default: /* a command of ours: it decides */
        return;
    }
    /* (Not when tlsWait() has just ended the request.) */
    if ((inst->Flags & F_PENDING) && gsmUtilExpired(&inst->Timer_ms, limit))
    {
        fail(inst, status, CTX_OUTSIDE);
    }
}

static bool queueRequest(Inst* inst, const char* url, bool post)
{
    if (inst == 0 || (inst->Flags & F_PENDING) || !gsmInternetHelperIsQuotable(url, GSM_HTTP_SIMCOM_MAX_URL))
    {
        return false;
    }
    inst->Url = url; /* (the result is clear: see clearResult()) */
    inst->Flags = (uint16_t)((inst->Flags & (F_INIT | F_KEEP | F_DIRTY)) | F_PENDING | (post ? F_POST : 0u) |
                             (isHttps(url) ? F_TLS : 0u) | (inst->Flags & F_2G));
    gsmUtilStamp(&inst->Timer_ms);
    return true;
}

bool gsmHttpClientSimcomGet(GSM_HttpClientSimcom_Instance* inst, const char* url)
{
    return queueRequest(inst, url, false);
}

bool gsmHttpClientSimcomPost(GSM_HttpClientSimcom_Instance* inst, const char* url, const char* postData)
{
    size_t postLength;

    if (postData == 0 || (postLength = strlen(postData)) > 0xFFFFu || !queueRequest(inst, url, true))
    {
        return false;
    }
    inst->PostData = (const uint8_t*)postData;
    inst->PostLength = (uint16_t)postLength;
    inst->PostPart = &postPart;
    return true;
}

void gsmHttpClientSimcomPostSetContentType(GSM_HttpClientSimcom_Instance* inst, const char* contentTypeOrNullForDefault)
{
    if (inst == 0)
    {
        return;
    }
    if (!gsmInternetHelperIsQuotable(contentTypeOrNullForDefault, GSM_HTTP_SIMCOM_MAX_CONTENT_TYPE))
    {
        contentTypeOrNullForDefault = 0; /* the default */
    }
    inst->ContentType = contentTypeOrNullForDefault;
}

bool gsmHttpClientSimcomHttpOperationPending(GSM_HttpClientSimcom_Instance* inst)
{
    return inst != 0 && (inst->Flags & F_PENDING) != 0u;
}

bool gsmHttpClientSimcomHttpOperationStarted(GSM_HttpClientSimcom_Instance* inst)
{
    return inst != 0 && (inst->Flags & F_STARTED) != 0u;
}

bool gsmHttpClientSimcomCancel(GSM_HttpClientSimcom_Instance* inst)
{
    bool started;

    if (inst == 0 || !(inst->Flags & F_PENDING))
    {
        return false;
    }
    started = (inst->Flags & F_STARTED) != 0u;
    clearResult(inst);
    inst->Flags &= (uint16_t)~(F_PENDING | F_STARTED | F_READ_OK | F_READ_END | F_INIT_RETRY);
    if (inst->Step == S_TERM)
    {
        return true; /* the request had not started: the cleanup runs on */
    }
    if (started)
    {
        inst->Flags |= F_INIT | F_DIRTY; /* a command may have been cut short */
    }
    endTurn(inst, CTX_OUTSIDE);
    afterRequest(inst, CTX_OUTSIDE);
    return true;
}

void gsmHttpClientSimcomHttpTermWhenDone(GSM_HttpClientSimcom_Instance* inst, bool termWhenDone)
{
    if (inst == 0)
    {
        return;
    }
    if (termWhenDone)
    {
        inst->Flags &= (uint16_t)~F_KEEP;
    }
    else
    {
        inst->Flags |= F_KEEP;
    }
}

void gsmHttpClientSimcomSetTimeouts(GSM_HttpClientSimcom_Instance* inst, uint32_t httpActionTimeout_ms,
                                   uint32_t httpReadTimeout_ms)
{
    if (inst == 0)
    {
        return;
    }
    if (httpActionTimeout_ms != 0u)
    {
        inst->ActionTimeout_ms = httpActionTimeout_ms;
    }
    if (httpReadTimeout_ms != 0u)
    {
        inst->ReadTimeout_ms = httpReadTimeout_ms;
    }
}
