/*
 * GSM_Prompt.c - the AT command engine (see GSM_Prompt.h for the model).
 *
 * Receive path: bytes are assembled into lines in DataBuffer (CR or LF ends a line,
 * empty lines are skipped, NUL/Ctrl-Z/ESC never enter a line, an over-long line is
 * dropped whole). A complete line is checked, in this order, against the echo of what
 * was written, the final result codes, the client holding the turn (Line event) and the
 * clients' URC prefixes (Urc event). A '>' at the start of a line while a data command
 * waits for its prompt raises the DataPrompt event at once (the prompt has no line end).
 * A raw read takes the next N bytes as they are.
 *
 * Transmit path: commands are written byte by byte through Write() during the client's
 * turn; data after a prompt is written in pieces whenever WriteCompleted() says the
 * previous piece has gone, so the transmit buffer never overflows.
 */
#include "GSM_Prompt.h"
#include "GSM_Prompt_Helper.h"
#include "GSM_Util.h"
#include <string.h>

/* Room left after a kept raw piece for the final result ("+CMS ERROR: 65535"). */
#ifndef GSM_PROMPT_KEEP_RESERVE
#define GSM_PROMPT_KEEP_RESERVE 24u
#endif

/* Phase */
enum
{
    PH_IDLE = 0,       /* no command in flight */
    PH_RESPONSE,       /* waiting for the final result (or data is being written) */
    PH_PROMPT,         /* waiting for "> " */
    PH_RECOVERY        /* after a timeout/abort: stray result codes are ignored */
};

/* RxFlags */
#define RX_DISCARD    0x01u  /* over-long line: drop bytes until the line end */
#define RX_LAST_CR    0x02u  /* the last line end was a CR */
#define RX_SKIP_SPACE 0x04u  /* swallow the blank after the '>' prompt */
#define RX_KEEP       0x08u  /* the line being dispatched is kept */
#define RX_RAW_SKIPLF 0x10u  /* raw read: skip the LF that completes the header's CR LF */
#define RX_ECHO_TRUNC 0x20u  /* the echo buffer was too small for what was written */
#define RX_IN_HANDLER 0x40u  /* a Final handler is running (writes allowed, chaining) */
#define RX_MUTE       0x80u  /* writes are suppressed (Final after timeout/power loss) */

/* SendFlags (low bits: GSM_PROMPT_SEND_...) */
#define SF_OPEN     0x80u  /* a command line is being written */
#define SF_SENT     0x40u  /* gsmPromptSend() ran during the current handler */
#define SF_CONTINUE 0x20u  /* gsmPromptContinue() ran during the current handler */
#define SF_DATA_CMD 0x10u  /* the command in flight takes data after "> " */

/* TxFlags (low bits: GSM_PROMPT_DATA_...) */
#define TX_ACTIVE   0x80u
#define TX_STARTED  0x40u  /* the first piece has been written */

/* Client EngineFlags */
#define CL_REGISTERED 0x01u
#define CL_PENDING    0x02u

#define ASCII_CTRL_Z 0x1Au
#define ASCII_ESC    0x1Bu

static GSM_Prompt_Instance* instOf(GSM_Prompt_Interface* p)
{
    return GSM_CONTAINER_OF(p, GSM_Prompt_Instance, _i);
}

static bool bufferUsable(const GSM_Prompt_Instance* inst)
{
    return inst->DataBuffer != 0 && inst->DataBufferSize >= GSM_PROMPT_MIN_BUFFER;
}

/* Usable buffer size (line positions are 16-bit). */
static uint16_t bufferSize(const GSM_Prompt_Instance* inst)
{
    return (inst->DataBufferSize > 0xFFFFu) ? 0xFFFFu : (uint16_t)inst->DataBufferSize;
}

static bool powered(const GSM_Prompt_Instance* inst)
{
    return inst->Power == 0 || gsmPowerIfIsOn(inst->Power);
}

/* ---------------------------------------------------------------- writing ---- */

static void writeByte(GSM_Prompt_Instance* inst, uint8_t b, bool echoed)
{
    if (inst->RxFlags & RX_MUTE)
    {
        return;
    }
    if (inst->Write != 0)
    {
        inst->Write(inst, b);
    }
    GSM_DEBUG_BYTE(b);
    if (echoed)
    {
        if (inst->EchoCancellationBuffer != 0 && inst->EchoLen < inst->EchoCancellationBufferSize &&
            inst->EchoLen < 0xFFFFu)
        {
            inst->EchoCancellationBuffer[inst->EchoLen++] = b;
        }
        else
        {
            inst->RxFlags |= RX_ECHO_TRUNC;
        }
    }
}

/* Starts a new command line: the echo of the previous one has come (or never will). */
static bool openCommand(GSM_Prompt_Instance* inst)
{
    if (inst->_i.Current == 0 || (inst->RxFlags & RX_MUTE))
    {
        return false;
    }
    if (!(inst->SendFlags & SF_OPEN))
    {
        inst->SendFlags |= SF_OPEN;
        inst->EchoLen = 0;
        inst->EchoPos = 0;
        inst->RxFlags &= (uint8_t)~RX_ECHO_TRUNC;
        GSM_DEBUG_TEXT("[GSM] > ");
    }
    return true;
}

/* Writes a NUL-terminated text, from flash when `flash`. */
static void writeText(GSM_Prompt_Interface* p, const char* text, bool flash)
{
    GSM_Prompt_Instance* inst = instOf(p);
    uint8_t b;

    if (text == 0 || !openCommand(inst))
    {
        return;
    }
    (void)flash;
    while ((b = GSM_FLASH_SEPARATE && flash ? GSM_FLASH_BYTE(text) : (uint8_t)*text) != 0u)
    {
        writeByte(inst, b, true);
        text++;
    }
}

void gsmPromptWriteText(GSM_Prompt_Interface* p, const char* text)
{
    writeText(p, text, false);
}

void gsmPromptWriteChar(GSM_Prompt_Interface* p, char c)
{
    GSM_Prompt_Instance* inst = instOf(p);
    if (openCommand(inst))
    {
        writeByte(inst, (uint8_t)c, true);
    }
}

void gsmPromptWriteInt(GSM_Prompt_Interface* p, int32_t value)
{
    char buf[12];
    (void)gsmUtilIntToStr(value, buf);
    gsmPromptWriteText(p, buf);
}

void gsmPromptWriteQuoted(GSM_Prompt_Interface* p, const char* text)
{
    gsmPromptWriteChar(p, '"');
    gsmPromptWriteText(p, text);
    gsmPromptWriteChar(p, '"');
}

bool gsmPromptSend(GSM_Prompt_Interface* p, uint32_t timeout_ms, uint8_t flags)
{
    GSM_Prompt_Instance* inst = instOf(p);
    if (!openCommand(inst))
    {
        return false;
    }
    writeByte(inst, '\r', true);
    GSM_DEBUG_BYTE('\n');
    inst->SendFlags = (uint8_t)(SF_SENT | ((flags & GSM_PROMPT_SEND_DATA_PROMPT) ? SF_DATA_CMD : 0u));
    inst->Phase = (flags & GSM_PROMPT_SEND_DATA_PROMPT) ? PH_PROMPT : PH_RESPONSE;
    inst->PhaseStart_ms = gsm__SysTime_ms();
    inst->Timeout_ms = timeout_ms;
    inst->TxRemaining = 0;
    inst->TxFlags = 0;
    return true;
}

bool gsmPromptSendCommand(GSM_Prompt_Interface* p, const char* command, uint32_t timeout_ms)
{
    writeText(p, command, false);
    return gsmPromptSend(p, timeout_ms, 0);
}

#if GSM_FLASH_SEPARATE
void gsmPromptWriteText_P(GSM_Prompt_Interface* p, const char* text)
{
    writeText(p, text, true);
}

bool gsmPromptSendCommand_P(GSM_Prompt_Interface* p, const char* command, uint32_t timeout_ms)
{
    writeText(p, command, true);
    return gsmPromptSend(p, timeout_ms, 0);
}
#endif

bool gsmPromptWriteData(GSM_Prompt_Interface* p, const uint8_t* data, uint16_t length, uint8_t flags)
{
    GSM_Prompt_Instance* inst = instOf(p);
    if (inst->_i.Current == 0 || (inst->RxFlags & RX_MUTE) || (inst->TxFlags & TX_ACTIVE) ||
        (data == 0 && length != 0))
    {
        return false;
    }
    if (inst->EchoPos >= inst->EchoLen)
    {
        /* Everything written so far has been echoed (or echo is off): start afresh. */
        inst->EchoPos = 0;
        inst->EchoLen = 0;
        inst->RxFlags &= (uint8_t)~RX_ECHO_TRUNC;
    }
    inst->TxData = data;
    inst->TxRemaining = length;
    inst->TxFlags = (uint8_t)(TX_ACTIVE | (flags & (GSM_PROMPT_DATA_ECHOED | GSM_PROMPT_DATA_CTRL_Z |
                                                     GSM_PROMPT_DATA_LF | GSM_PROMPT_DATA_FLASH)));
    inst->Phase = PH_RESPONSE;
    inst->PhaseStart_ms = gsm__SysTime_ms();
    return true;
}

/* Writes the next piece of pending data once the previous one has gone. */
static void pumpData(GSM_Prompt_Instance* inst)
{
    uint16_t n;

    if (!(inst->TxFlags & TX_ACTIVE))
    {
        return;
    }
    if (!(inst->TxFlags & TX_STARTED) && !gsmUtilTimedOut(inst->PhaseStart_ms, GSM_PROMPT_PROMPT_SETTLE_MS))
    {
        return; /* give the modem a moment after its prompt */
    }
    if (inst->WriteCompleted != 0 && !inst->WriteCompleted(inst))
    {
        return;
    }
    inst->TxFlags |= TX_STARTED;
    n = (inst->TxRemaining > GSM_PROMPT_TX_PIECE) ? (uint16_t)GSM_PROMPT_TX_PIECE : inst->TxRemaining;
    while (n-- > 0u)
    {
        uint8_t b = (inst->TxFlags & GSM_PROMPT_DATA_FLASH) ? GSM_FLASH_BYTE(inst->TxData) : *inst->TxData;
        inst->TxData++;
        inst->TxRemaining--;
        if (b == '\r' && (inst->TxFlags & GSM_PROMPT_DATA_LF))
        {
            if (inst->TxRemaining != 0u &&
                ((inst->TxFlags & GSM_PROMPT_DATA_FLASH) ? GSM_FLASH_BYTE(inst->TxData) : *inst->TxData) == '\n')
            {
                continue; /* the LF follows */
            }
            b = '\n';
        }
        writeByte(inst, b, (inst->TxFlags & GSM_PROMPT_DATA_ECHOED) != 0u);
    }
    if (inst->TxRemaining == 0u)
    {
        if (inst->TxFlags & GSM_PROMPT_DATA_CTRL_Z)
        {
            writeByte(inst, ASCII_CTRL_Z, false);
        }
        inst->TxFlags = 0;
        inst->TxData = 0;
    }
    /* The response timeout counts from the last byte written. */
    inst->PhaseStart_ms = gsm__SysTime_ms();
}

/* ------------------------------------------------------------ turn control ---- */

static bool dispatch(GSM_Prompt_Client* c, GSM_Prompt_Event* ev)
{
    if (c == 0 || c->Handler == 0)
    {
        return false;
    }
    return c->Handler(c, ev);
}

static void releaseKeptLines(GSM_Prompt_Instance* inst)
{
    inst->LineStart = 0;
}

static void enterRecovery(GSM_Prompt_Instance* inst)
{
    inst->_i.Current = 0;
    inst->Phase = PH_RECOVERY;
    inst->PhaseStart_ms = gsm__SysTime_ms();
    inst->TxFlags = 0;
    inst->TxRemaining = 0;
    inst->SendFlags = 0;
}

/* Ends the command in flight with `result` and lets the client chain its next one. */
static void finishCommand(GSM_Prompt_Instance* inst, GSM_Result result, uint16_t code)
{
    GSM_Prompt_Client* c = inst->_i.Current;
    GSM_Prompt_Event ev;
    bool chainAllowed = (result != GSM_Result_Timeout && result != GSM_Result_Aborted);
    bool dataCommand = (inst->SendFlags & SF_DATA_CMD) != 0u;

    memset(&ev, 0, sizeof(ev));
    ev.Type = GSM_Prompt_EventType_Final;
    ev.Result = result;
    ev.ErrorCode = code;

    if (result == GSM_Result_Timeout)
    {
        if (inst->_i.ConsecutiveTimeouts < 0xFFu)
        {
            inst->_i.ConsecutiveTimeouts++;
        }
        GSM_DEBUG_TEXT("[GSM] timeout\n");
    }
    else if (result != GSM_Result_Aborted)
    {
        inst->_i.ConsecutiveTimeouts = 0;
        inst->_i.LastResponse_ms = gsm__SysTime_ms();
    }

    inst->Phase = PH_IDLE;
    inst->TxFlags = 0;
    inst->TxRemaining = 0;
    inst->SendFlags = 0;
    if (!chainAllowed)
    {
        inst->RxFlags |= RX_MUTE;
    }
    inst->RxFlags |= RX_IN_HANDLER;
    (void)dispatch(c, &ev);
    inst->RxFlags &= (uint8_t)~(RX_IN_HANDLER | RX_MUTE);
    releaseKeptLines(inst);

    if (inst->_i.Current != c)
    {
        return; /* the handler aborted or released its turn */
    }
    if (!chainAllowed)
    {
        /* Ignore whatever belated result arrives; a data command may have left the
         * modem waiting for input: leave it with ESC. */
        if (result == GSM_Result_Timeout && powered(inst))
        {
            if (dataCommand && inst->Write != 0)
            {
                inst->Write(inst, ASCII_ESC);
            }
            enterRecovery(inst);
        }
        else
        {
            inst->_i.Current = 0;
        }
        return;
    }
    if (inst->SendFlags & SF_SENT)
    {
        return; /* next command of the same client is in flight */
    }
    if (inst->SendFlags & SF_CONTINUE)
    {
        inst->SendFlags = 0;
        inst->Phase = PH_RESPONSE;
        inst->PhaseStart_ms = gsm__SysTime_ms();
        return;
    }
    inst->_i.Current = 0;
}

void gsmPromptRegisterClient(GSM_Prompt_Interface* p, GSM_Prompt_Client* client)
{
    GSM_Prompt_Client* c;

    if (p == 0 || client == 0)
    {
        return;
    }
    for (c = p->Clients; c != 0; c = c->Next)
    {
        if (c == client)
        {
            return;
        }
    }
    client->Next = 0;
    client->EngineFlags = CL_REGISTERED;
    if (p->Clients == 0)
    {
        p->Clients = client;
    }
    else
    {
        for (c = p->Clients; c->Next != 0; c = c->Next)
        {
        }
        c->Next = client;
    }
}

void gsmPromptRequest(GSM_Prompt_Interface* p, GSM_Prompt_Client* client)
{
    if (p != 0 && client != 0 && (client->EngineFlags & CL_REGISTERED))
    {
        client->EngineFlags |= CL_PENDING;
    }
}

bool gsmPromptIsBusy(const GSM_Prompt_Interface* p, const GSM_Prompt_Client* client)
{
    if (p == 0 || client == 0)
    {
        return false;
    }
    return (client->EngineFlags & CL_PENDING) != 0u || p->Current == client;
}

void gsmPromptAbort(GSM_Prompt_Interface* p, GSM_Prompt_Client* client)
{
    GSM_Prompt_Instance* inst;

    if (p == 0 || client == 0)
    {
        return;
    }
    inst = instOf(p);
    client->EngineFlags &= (uint8_t)~CL_PENDING;
    if (inst->RawClient == client)
    {
        inst->RawClient = 0;
        inst->RawRemaining = 0;
    }
    if (p->Current != client)
    {
        return;
    }
    if ((inst->SendFlags & SF_DATA_CMD) && inst->Write != 0 && powered(inst))
    {
        inst->Write(inst, ASCII_ESC); /* leave the modem's data input */
    }
    releaseKeptLines(inst);
    enterRecovery(inst);
}

void gsmPromptRelease(GSM_Prompt_Interface* p, GSM_Prompt_Client* client)
{
    GSM_Prompt_Instance* inst;

    if (p == 0 || client == 0 || p->Current != client)
    {
        return;
    }
    inst = instOf(p);
    p->Current = 0;
    inst->Phase = PH_IDLE;
    inst->TxFlags = 0;
    inst->TxRemaining = 0;
    inst->SendFlags = 0;
    releaseKeptLines(inst);
}

bool gsmPromptIsReady(const GSM_Prompt_Interface* p)
{
    return p != 0 && p->Ready != 0u;
}

uint8_t gsmPromptSession(const GSM_Prompt_Interface* p)
{
    return (p != 0) ? p->Session : 0u;
}

void gsmPromptSetReady(GSM_Prompt_Interface* p, bool ready)
{
    if (p == 0)
    {
        return;
    }
    if (ready && !p->Ready)
    {
        p->Session++;
    }
    p->Ready = ready ? 1u : 0u;
}

void gsmPromptContinue(GSM_Prompt_Interface* p, uint32_t timeout_ms)
{
    GSM_Prompt_Instance* inst = instOf(p);
    if (p->Current != 0 && (inst->RxFlags & RX_IN_HANDLER) && !(inst->RxFlags & RX_MUTE))
    {
        inst->SendFlags |= SF_CONTINUE;
        inst->Timeout_ms = timeout_ms;
    }
}

void gsmPromptSetTimeout(GSM_Prompt_Interface* p, uint32_t timeout_ms)
{
    GSM_Prompt_Instance* inst = instOf(p);
    inst->Timeout_ms = timeout_ms;
    inst->PhaseStart_ms = gsm__SysTime_ms();
}

/* ---------------------------------------------------------------- reading ---- */

void gsmPromptReadRaw(GSM_Prompt_Interface* p, uint32_t count)
{
    GSM_Prompt_Instance* inst = instOf(p);
    if (inst->Dispatching == 0 || count == 0u)
    {
        return;
    }
    inst->RawClient = inst->Dispatching;
    inst->RawRemaining = count;
    inst->RawLast_ms = gsm__SysTime_ms();
    if (inst->RxFlags & RX_LAST_CR)
    {
        inst->RxFlags |= RX_RAW_SKIPLF;
    }
    else
    {
        inst->RxFlags &= (uint8_t)~RX_RAW_SKIPLF;
    }
}

void gsmPromptKeepLine(GSM_Prompt_Interface* p)
{
    GSM_Prompt_Instance* inst = instOf(p);
    if (inst->Dispatching != 0)
    {
        inst->RxFlags |= RX_KEEP;
    }
}

static bool isEchoTerminator(uint8_t b)
{
    return b == '\r' || b == '\n' || b == ASCII_CTRL_Z || b == ASCII_ESC;
}

/* True (and the echo consumed) when the line is the modem's echo of what was written. */
static bool consumeEcho(GSM_Prompt_Instance* inst, const char* line, uint16_t len)
{
    const uint8_t* echo = inst->EchoCancellationBuffer;
    uint16_t rem;

    if (echo == 0)
    {
        /* No echo buffer: the echo of a command line starts with "AT". */
        return inst->Phase != PH_IDLE && (line[0] == 'A' || line[0] == 'a') &&
               (line[1] == 'T' || line[1] == 't');
    }
    if (inst->EchoPos >= inst->EchoLen)
    {
        return false;
    }
    rem = (uint16_t)(inst->EchoLen - inst->EchoPos);
    echo += inst->EchoPos;
    if (len <= rem && memcmp(echo, line, len) == 0 && (len == rem || isEchoTerminator(echo[len])))
    {
        inst->EchoPos = (uint16_t)(inst->EchoPos + len);
        while (inst->EchoPos < inst->EchoLen && isEchoTerminator(inst->EchoCancellationBuffer[inst->EchoPos]))
        {
            inst->EchoPos++;
        }
        return true;
    }
    if ((inst->RxFlags & RX_ECHO_TRUNC) && len > rem && memcmp(echo, line, rem) == 0)
    {
        inst->EchoPos = inst->EchoLen;
        return true;
    }
    return false;
}

/* The index of the client's URC prefix that starts the line, or -1. */
static int8_t matchUrc(const GSM_Prompt_Client* c, const char* line)
{
    uint8_t i;
    if (c->UrcPrefixList != 0)
    {
        return gsmUtilFindPrefix(line, c->UrcPrefixList);
    }
    if (c->UrcPrefixes == 0)
    {
        return -1;
    }
    for (i = 0; c->UrcPrefixes[i] != 0 && i < 8u; i++)
    {
        if (gsmUtilStartsWith(line, c->UrcPrefixes[i]))
        {
            return (int8_t)i;
        }
    }
    return -1;
}

/* Finds the client whose URC prefix starts the line; *multiLine tells whether that
 * prefix may continue across line breaks inside quotes. */
static GSM_Prompt_Client* findUrcClient(GSM_Prompt_Instance* inst, const char* line, GSM_Prompt_Client* after,
                                        bool* multiLine)
{
    GSM_Prompt_Client* c = (after != 0) ? after->Next : inst->_i.Clients;

    for (; c != 0; c = c->Next)
    {
        int8_t i = matchUrc(c, line);
        if (i >= 0)
        {
            if (multiLine != 0)
            {
                *multiLine = i < 8 && (c->UrcMultiLineMask & (1u << (uint8_t)i)) != 0u;
            }
            return c;
        }
    }
    return 0;
}

/* Unsolicited lines no module owns (start-up and network notices). They are never an
 * answer to a command: dropped wherever they arrive. An entry ending in ':' is a
 * prefix, any other must be the whole line. */
static const char kNoise[] GSM_FLASH = "Call Ready\0SMS Ready\0SMS DONE\0PB DONE\0RING\0+CFUN:\0+CGEV:\0+PDP:\0";

static bool isNoise(const char* line)
{
    return gsmUtilFindText(line, kNoise, false) >= 0;
}

bool gsmPromptIsUrc(GSM_Prompt_Interface* p, const char* line)
{
    return p != 0 && line != 0 && (findUrcClient(instOf(p), line, 0, 0) != 0 || isNoise(line));
}

/* Offers the line to every client whose URC prefix starts it; true when one took it. */
static bool dispatchUrc(GSM_Prompt_Instance* inst, GSM_Prompt_Event* ev)
{
    GSM_Prompt_Client* c = 0;
    bool taken = false;

    ev->Type = GSM_Prompt_EventType_Urc;
    while (!taken && (c = findUrcClient(inst, ev->Line, c, 0)) != 0)
    {
        inst->Dispatching = c;
        taken = dispatch(c, ev);
    }
    inst->Dispatching = 0;
    return taken;
}

static void dispatchLine(GSM_Prompt_Instance* inst, char* line, uint16_t len)
{
    GSM_Prompt_Event ev;
    GSM_Result result;
    uint16_t code;
    GSM_Prompt_Client* cur;
    GSM_Prompt_Client* owner;

#if GSM_DEBUG_OUTPUT
    GSM_DEBUG_TEXT("[GSM] < ");
    GSM_DEBUG_TEXT(line);
    GSM_DEBUG_TEXT("\n");
#endif

    if (consumeEcho(inst, line, len))
    {
        return;
    }
    if (gsmPromptHelperParseFinal(line, &result, &code))
    {
        if (inst->_i.Current != 0 && (inst->Phase == PH_RESPONSE || inst->Phase == PH_PROMPT))
        {
            finishCommand(inst, result, code);
        }
        return; /* a result nobody waits for (late, or during recovery) */
    }

    memset(&ev, 0, sizeof(ev));
    ev.Line = line;
    ev.LineLength = len;
    cur = (inst->Phase == PH_RESPONSE || inst->Phase == PH_PROMPT) ? inst->_i.Current : 0;
    owner = findUrcClient(inst, line, 0, 0);

    if (owner == 0 && isNoise(line))
    {
        return;
    }
    /* A known URC reaches its owner whatever command is in flight: only when the client
     * holding the turn owns the prefix itself (its command's answer has that form) does
     * it see the line first. */
    if (owner != 0 && (cur == 0 || matchUrc(cur, line) < 0) && dispatchUrc(inst, &ev))
    {
        return;
    }
    if (cur != 0)
    {
        ev.Type = GSM_Prompt_EventType_Line;
        inst->Dispatching = cur;
        if (dispatch(cur, &ev))
        {
            inst->Dispatching = 0;
            return;
        }
        inst->Dispatching = 0;
        if (owner != 0 && matchUrc(cur, line) >= 0)
        {
            (void)dispatchUrc(inst, &ev);
        }
    }
}

static void storeByte(GSM_Prompt_Instance* inst, uint8_t b)
{
    uint16_t size = bufferSize(inst);
    if ((uint32_t)inst->LineStart + inst->LineLen + 1u >= size)
    {
        /* Over-long line: drop it whole, never write past the buffer. */
        inst->RxFlags |= RX_DISCARD;
        inst->LineLen = 0;
        inst->Quotes = 0;
        if (inst->DiscardedLines < 0xFFFFu)
        {
            inst->DiscardedLines++;
        }
        return;
    }
    inst->DataBuffer[inst->LineStart + inst->LineLen++] = b;
    if (b == '"')
    {
        inst->Quotes ^= 1u;
    }
}

static void lineEnd(GSM_Prompt_Instance* inst, uint8_t b)
{
    bool afterCr = (inst->RxFlags & RX_LAST_CR) != 0u;
    char* line;
    uint16_t len;
    bool multiLine = false;

    if (b == '\r')
    {
        inst->RxFlags |= RX_LAST_CR;
    }
    else
    {
        inst->RxFlags &= (uint8_t)~RX_LAST_CR;
    }
    if (inst->RxFlags & RX_DISCARD)
    {
        inst->RxFlags &= (uint8_t)~RX_DISCARD;
        inst->LineLen = 0;
        inst->Quotes = 0;
        return;
    }
    if (inst->LineLen == 0u)
    {
        return;
    }
    line = (char*)inst->DataBuffer + inst->LineStart;
    line[inst->LineLen] = '\0';

    /* A quoted text of some URCs (e.g. a USSD menu) may contain line breaks. */
    if (inst->Quotes & 1u)
    {
        if (findUrcClient(inst, line, 0, &multiLine) != 0 && multiLine)
        {
            if (!(b == '\n' && afterCr && line[inst->LineLen - 1u] == '\n'))
            {
                storeByte(inst, '\n');
            }
            return;
        }
    }

    len = inst->LineLen;
    inst->RxFlags &= (uint8_t)~RX_KEEP;
    dispatchLine(inst, line, len);
    if ((inst->RxFlags & RX_KEEP) && inst->_i.Current != 0)
    {
        /* Keep this line (with its NUL); the next one is assembled after it. */
        inst->LineStart = (uint16_t)(inst->LineStart + len + 1u);
    }
    inst->RxFlags &= (uint8_t)~RX_KEEP;
    inst->LineLen = 0;
    inst->Quotes = 0;
}

static void rawByte(GSM_Prompt_Instance* inst, uint8_t b)
{
    uint16_t size = bufferSize(inst);
    uint16_t room;

    if (inst->RxFlags & RX_RAW_SKIPLF)
    {
        inst->RxFlags &= (uint8_t)~RX_RAW_SKIPLF;
        if (b == '\n')
        {
            return;
        }
    }
    if (inst->LineStart + 1u >= size)
    {
        releaseKeptLines(inst); /* no room left behind kept lines: give them up */
    }
    room = (uint16_t)(size - inst->LineStart);
    inst->DataBuffer[inst->LineStart + inst->LineLen++] = b;
    inst->RawRemaining--;
    inst->RawLast_ms = gsm__SysTime_ms();
    if (inst->RawRemaining == 0u || inst->LineLen >= room)
    {
        GSM_Prompt_Event ev;
        GSM_Prompt_Client* c = inst->RawClient;
        memset(&ev, 0, sizeof(ev));
        ev.Type = GSM_Prompt_EventType_RawData;
        ev.Data = inst->DataBuffer + inst->LineStart;
        ev.DataLength = inst->LineLen;
        ev.RawRemaining = inst->RawRemaining;
        inst->LineLen = 0;
        if (inst->RawRemaining == 0u)
        {
            inst->RawClient = 0;
            inst->RxFlags &= (uint8_t)~RX_LAST_CR;
        }
        /* The last piece may be kept when a NUL and the final result still fit after it. */
        if (ev.RawRemaining == 0u && inst->_i.Current == c &&
            (uint32_t)inst->LineStart + ev.DataLength + 1u + GSM_PROMPT_KEEP_RESERVE <= size)
        {
            ev.Line = (char*)inst->DataBuffer + inst->LineStart;
        }
        inst->RxFlags &= (uint8_t)~RX_KEEP;
        inst->Dispatching = c;
        (void)dispatch(c, &ev);
        inst->Dispatching = 0;
        if ((inst->RxFlags & RX_KEEP) && ev.Line != 0)
        {
            /* Keep the last piece (NUL-terminated) like a kept line. */
            inst->DataBuffer[inst->LineStart + ev.DataLength] = 0u;
            inst->LineStart = (uint16_t)(inst->LineStart + ev.DataLength + 1u);
        }
        inst->RxFlags &= (uint8_t)~RX_KEEP;
    }
}

static void rxByte(GSM_Prompt_Instance* inst, uint8_t b)
{
    if (inst->RawRemaining != 0u)
    {
        rawByte(inst, b);
        return;
    }
    if (b == '\r' || b == '\n')
    {
        lineEnd(inst, b);
        return;
    }
    if (inst->RxFlags & RX_SKIP_SPACE)
    {
        inst->RxFlags &= (uint8_t)~RX_SKIP_SPACE;
        if (b == ' ')
        {
            return;
        }
    }
    if ((inst->RxFlags & RX_DISCARD) || b == 0u || b == ASCII_CTRL_Z || b == ASCII_ESC)
    {
        return;
    }
    if (b == '>' && inst->LineLen == 0u && inst->Phase == PH_PROMPT && inst->_i.Current != 0)
    {
        GSM_Prompt_Event ev;
        memset(&ev, 0, sizeof(ev));
        ev.Type = GSM_Prompt_EventType_DataPrompt;
        inst->RxFlags |= RX_SKIP_SPACE;
        inst->Phase = PH_RESPONSE;
        inst->PhaseStart_ms = gsm__SysTime_ms();
        (void)dispatch(inst->_i.Current, &ev);
        return;
    }
    storeByte(inst, b);
}

void gsmPromptFeed(GSM_Prompt_Instance* inst, const uint8_t* data, size_t length)
{
    if (inst == 0 || data == 0 || !bufferUsable(inst))
    {
        return;
    }
    while (length-- > 0u)
    {
        rxByte(inst, *data++);
    }
}

/* ------------------------------------------------------------ init / poll ---- */

void gsmPromptInit(GSM_Prompt_Instance* inst)
{
    if (inst == 0)
    {
        return;
    }
    inst->_i.Current = 0;
    inst->_i.ConsecutiveTimeouts = 0;
    inst->_i.LastResponse_ms = gsm__SysTime_ms();
    if (inst->_i.Session == 0u)
    {
        /* Without BasicComms nobody establishes communication: serve at once.
         * BasicComms closes the gate again in its Init. */
        inst->_i.Ready = 1u;
    }
    inst->LineStart = 0;
    inst->LineLen = 0;
    inst->RxFlags = 0;
    inst->Phase = PH_IDLE;
    inst->SendFlags = 0;
    inst->TxFlags = 0;
    inst->TxRemaining = 0;
    inst->TxData = 0;
    inst->Quotes = 0;
    inst->EchoLen = 0;
    inst->EchoPos = 0;
    inst->RawRemaining = 0;
    inst->RawClient = 0;
    inst->Dispatching = 0;
    inst->PowerSession = (inst->Power != 0) ? gsmPowerIfSession(inst->Power) : 0u;
    inst->PhaseStart_ms = gsm__SysTime_ms();
    inst->Timeout_ms = 0;
}

static void grantTurn(GSM_Prompt_Instance* inst)
{
    GSM_Prompt_Interface* p = &inst->_i;
    GSM_Prompt_Client* start;
    GSM_Prompt_Client* c;

    if (p->Clients == 0)
    {
        return;
    }
    start = (p->LastServed != 0 && p->LastServed->Next != 0) ? p->LastServed->Next : p->Clients;
    c = start;
    do
    {
        if ((c->EngineFlags & CL_PENDING) && (p->Ready || (c->Options & GSM_PROMPT_CLIENT_UNGATED)))
        {
            GSM_Prompt_Event ev;
            c->EngineFlags &= (uint8_t)~CL_PENDING;
            p->Current = c;
            p->LastServed = c;
            inst->SendFlags = 0;
            memset(&ev, 0, sizeof(ev));
            ev.Type = GSM_Prompt_EventType_Start;
            inst->RxFlags |= RX_IN_HANDLER;
            (void)dispatch(c, &ev);
            inst->RxFlags &= (uint8_t)~RX_IN_HANDLER;
            if (p->Current == c && (inst->SendFlags & SF_SENT))
            {
                return; /* command in flight */
            }
            if (p->Current == c)
            {
                p->Current = 0; /* nothing written: turn given back */
                inst->SendFlags = 0;
            }
            if (p->Current != 0 || inst->Phase != PH_IDLE)
            {
                return;
            }
        }
        c = (c->Next != 0) ? c->Next : p->Clients;
    } while (c != start);
}

void gsmPromptPoll(GSM_Prompt_Instance* inst)
{
    uint16_t budget = GSM_PROMPT_RX_BUDGET;
    bool on;

    if (inst == 0 || !bufferUsable(inst))
    {
        return;
    }

    /* Receive. */
    if (inst->CanRead != 0 && inst->Read != 0)
    {
        while (budget-- > 0u && inst->CanRead(inst))
        {
            rxByte(inst, inst->Read(inst));
        }
    }

    /* A command cannot survive the modem being switched off or restarted. */
    on = powered(inst);
    if (inst->Power != 0 && gsmPowerIfSession(inst->Power) != inst->PowerSession)
    {
        inst->PowerSession = gsmPowerIfSession(inst->Power);
        if (inst->_i.Current != 0 && inst->Phase != PH_IDLE)
        {
            finishCommand(inst, GSM_Result_Aborted, 0);
        }
        inst->RawRemaining = 0;
        inst->RawClient = 0;
    }
    if (!on)
    {
        if (inst->_i.Current != 0 && inst->Phase != PH_IDLE)
        {
            finishCommand(inst, GSM_Result_Aborted, 0);
        }
        inst->_i.Current = 0;
        inst->Phase = PH_IDLE;
        inst->RawRemaining = 0;
        inst->RawClient = 0;
        return;
    }

    /* Transmit pending data, then check the timeout. */
    pumpData(inst);
    if (inst->RawRemaining != 0u && gsmUtilTimedOut(inst->RawLast_ms, GSM_PROMPT_RAW_IDLE_MS))
    {
        /* The announced data never came: stop counting bytes as raw data. */
        inst->RawRemaining = 0;
        inst->RawClient = 0;
        inst->LineLen = 0;
    }
    if ((inst->Phase == PH_RESPONSE || inst->Phase == PH_PROMPT) &&
        gsmUtilTimedOut(inst->PhaseStart_ms, inst->Timeout_ms))
    {
        inst->RawRemaining = 0;
        inst->RawClient = 0;
        finishCommand(inst, GSM_Result_Timeout, 0);
    }
    if (inst->Phase == PH_RECOVERY && gsmUtilTimedOut(inst->PhaseStart_ms, GSM_PROMPT_RECOVERY_MS))
    {
        inst->Phase = PH_IDLE;
    }

    /* Next turn. */
    if (inst->Phase == PH_IDLE && inst->_i.Current == 0 && inst->RawRemaining == 0u)
    {
        grantTurn(inst);
    }
}
