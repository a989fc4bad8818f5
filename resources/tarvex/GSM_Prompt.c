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
 *
 * The state is kept small for 8-bit targets: line positions are 16-bit, the phases of a
 * command are one byte, and the fields shared by every end of a turn are reset in one
 * place (endTurn). Outside the handlers a client holds the turn exactly while a command
 * is in flight (PH_RESPONSE or PH_PROMPT).
 */
#include "GSM_Prompt.h"
#include "GSM_Prompt_Helper.h"
#include "GSM_Util.h"
#include <string.h>

/* Room left after a kept raw piece for the final result ("+CMS ERROR: 65535"). */
#ifndef GSM_PROMPT_KEEP_RESERVE
#define GSM_PROMPT_KEEP_RESERVE 24u
#endif

/* Phase; a command is in flight from PH_RESPONSE on. */
enum
{
    PH_IDLE = 0,       /* no command in flight */
    PH_RECOVERY,       /* after a timeout/abort: stray result codes are ignored */
    PH_RESPONSE,       /* waiting for the final result (or data is being written) */
    PH_PROMPT          /* waiting for "> " (PH_RESPONSE + SF_DATA_CMD) */
};

/* RxFlags */
#define RX_DISCARD    0x01u  /* over-long line: drop bytes until the line end */
#define RX_LAST_CR    0x02u  /* the last line end was a CR (a raw read's first byte clears it) */
#define RX_SKIP_SPACE 0x04u  /* swallow the blank after the '>' prompt */
#define RX_KEEP       0x08u  /* the line being dispatched is kept (clear outside a handler) */
#define RX_ECHO_TRUNC 0x20u  /* the echo buffer was too small for what was written */
#define RX_IN_HANDLER 0x40u  /* a Start or Final handler is running (writes allowed, chaining) */
#define RX_MUTE       0x80u  /* writes are suppressed (Final after timeout/power loss) */
/* A line end sets RX_LAST_CR from its inverted byte: CR (0x0D) has that bit clear, LF (0x0A)
 * set. */
typedef char LastCrFromLineEnd[((~(unsigned)'\r' & RX_LAST_CR) != 0u && (~(unsigned)'\n' & RX_LAST_CR) == 0u) ? 1 : -1];

/* SendFlags */
#define SF_DATA_CMD GSM_PROMPT_SEND_DATA_PROMPT  /* the command in flight takes data after "> " */
#define SF_OPEN     0x80u  /* a command line is being written */
#define SF_SENT     0x40u  /* gsmPromptSend() ran during the current handler */
#define SF_CONTINUE 0x20u  /* gsmPromptContinue() ran during the current handler */

/* TxFlags (low bits: GSM_PROMPT_DATA_...) */
#define TX_ACTIVE   0x80u
#define TX_STARTED  0x40u  /* the first piece has been written */
#define TX_AFTER_CR 0x20u  /* the last data byte was a CR (written as LF) */

/* Client EngineFlags */
#define CL_REGISTERED 0x01u
#define CL_PENDING    0x02u

#define ASCII_CTRL_Z 0x1Au
#define ASCII_ESC    0x1Bu

static GSM_Prompt_Instance* instOf(GSM_Prompt_Interface* p)
{
    return GSM_CONTAINER_OF(p, GSM_Prompt_Instance, _i);
}

/* Set by gsmPromptKeepLine, the only way to keep a line. A firmware that never keeps one
 * does not link it: the link then knows this stays false and drops the keeping after a
 * line end. */
static bool sKeeping;

/* Set by gsmPromptContinue, in the same way: where nothing links it, a handler's turn
 * never goes on without a command. */
static bool sContinuing;

/* Set by gsmPromptAllowMultiLine, in the same way: where nothing links it, no URC
 * continues across line breaks. */
static bool sMultiLine;

/* (Early returns: from one && chain the AVR compiler builds a flag and tests it.) */
static bool bufferUsable(const GSM_Prompt_Instance* inst)
{
    if (inst->DataBuffer == 0)
    {
        return false;
    }
    return inst->DataBufferSize >= GSM_PROMPT_MIN_BUFFER;
}

/* A buffer size as the 16-bit positions can use it (free where size_t is 16-bit). */
static uint16_t usableSize(size_t size)
{
    return (size > 0xFFFFu) ? 0xFFFFu : (uint16_t)size;
}

static uint16_t bufferSize(const GSM_Prompt_Instance* inst)
{
    return usableSize(inst->DataBufferSize);
}

static bool powered(const GSM_Prompt_Instance* inst)
{
    /* (Early return, as in bufferUsable.) */
    if (inst->Power == 0)
    {
        return true;
    }
    return gsmPowerIfIsOn(inst->Power);
}

/* A command is in flight (waiting for its result or its "> "). */
static bool inCommand(const GSM_Prompt_Instance* inst)
{
    return inst->Phase >= PH_RESPONSE;
}

static void restartTimer(GSM_Prompt_Instance* inst)
{
    gsmUtilStamp(&inst->PhaseStart_ms);
}

static GSM_NOINLINE void startTimeout(GSM_Prompt_Instance* inst, uint32_t timeout_ms)
{
    inst->Timeout_ms = timeout_ms;
    restartTimer(inst);
}

/* Ends the turn held (if any): nothing is written any more and kept lines are given up.
 * The recovery phase runs on the same timer as a command, so Poll checks one timeout. */
static void endTurn(GSM_Prompt_Instance* inst, uint8_t phase)
{
    inst->_i.Current = 0;
    inst->Phase = phase;
    inst->SendFlags = 0;
    inst->TxFlags = 0;
    inst->LineStart = 0;
    startTimeout(inst, GSM_PROMPT_RECOVERY_MS);
}

/* RawClient is set exactly while a raw read runs; RawRemaining counts only then. */
static void stopRaw(GSM_Prompt_Instance* inst)
{
    inst->RawClient = 0;
}

/* A registered client always has its handler (see GSM_Prompt_Client). */
static bool callHandler(GSM_Prompt_Client* c, GSM_Prompt_Event* ev)
{
    return c->Handler(c, ev);
}

/* Hands a Line, Urc or RawData event to a client; meanwhile Dispatching names the
 * client that may read raw data or keep the line. */
static GSM_NOINLINE bool deliver(GSM_Prompt_Instance* inst, GSM_Prompt_Client* c, GSM_Prompt_Event* ev)
{
    bool taken;

    inst->Dispatching = c;
    taken = callHandler(c, ev);
    inst->Dispatching = 0;
    return taken;
}

/* An event of the given type with every other field empty. */
static void newEvent(GSM_Prompt_Event* ev, GSM_Prompt_EventType type)
{
    memset(ev, 0, sizeof(*ev));
    ev->Type = type;
}


/* ---------------------------------------------------------------- writing ---- */

/* Writes one byte of a command or of data, and keeps a copy for the echo check when
 * `flags` has GSM_PROMPT_DATA_ECHOED (the data writer passes its TxFlags as they are).
 * Its callers have made sure that writing is allowed (a turn is held and the Final
 * handler after a timeout or power loss is not running). */
static void writeByte(GSM_Prompt_Instance* inst, uint8_t b, uint8_t flags)
{
    inst->Write(inst, b);
    GSM_DEBUG_BYTE(b);
    if (flags & GSM_PROMPT_DATA_ECHOED)
    {
        uint16_t n = inst->EchoLen;
        if (inst->EchoCancellationBuffer != 0 && n < usableSize(inst->EchoCancellationBufferSize))
        {
            inst->EchoCancellationBuffer[n] = b;
            inst->EchoLen = (uint16_t)(n + 1u);
        }
        else
        {
            inst->RxFlags |= RX_ECHO_TRUNC;
        }
    }
}

/* Forgets the echo still expected. */
static void resetEcho(GSM_Prompt_Instance* inst)
{
    inst->EchoLen = 0;
    inst->EchoPos = 0;
    inst->RxFlags &= (uint8_t)~RX_ECHO_TRUNC;
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
        resetEcho(inst);
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
        writeByte(inst, b, GSM_PROMPT_DATA_ECHOED);
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
        writeByte(inst, (uint8_t)c, GSM_PROMPT_DATA_ECHOED);
    }
}

/* Writes the decimal digits of v, most significant first (at most ten levels deep). */
static void writeDigits(GSM_Prompt_Instance* inst, uint32_t v)
{
    uint8_t digit = (uint8_t)(v % 10u); /* one division gives both */

    v /= 10u;
    if (v != 0u)
    {
        writeDigits(inst, v);
    }
    writeByte(inst, (uint8_t)('0' + digit), GSM_PROMPT_DATA_ECHOED);
}

void gsmPromptWriteInt(GSM_Prompt_Interface* p, int32_t value)
{
    GSM_Prompt_Instance* inst = instOf(p);
    uint32_t v = (uint32_t)value;

    if (!openCommand(inst))
    {
        return;
    }
    if (value < 0)
    {
        writeByte(inst, '-', GSM_PROMPT_DATA_ECHOED);
        v = (uint32_t)0 - v;
    }
    writeDigits(inst, v);
}

void gsmPromptWriteQuoted(GSM_Prompt_Interface* p, const char* text)
{
    gsmPromptWriteChar(p, '"');
    writeText(p, text, false);
    gsmPromptWriteChar(p, '"');
}

bool gsmPromptSend(GSM_Prompt_Interface* p, uint32_t timeout_ms, uint8_t flags)
{
    GSM_Prompt_Instance* inst = instOf(p);
    if (!openCommand(inst))
    {
        return false;
    }
    writeByte(inst, '\r', GSM_PROMPT_DATA_ECHOED);
    GSM_DEBUG_BYTE('\n');
    flags &= GSM_PROMPT_SEND_DATA_PROMPT;
    inst->SendFlags = (uint8_t)(SF_SENT | flags);
    inst->Phase = (uint8_t)(PH_RESPONSE + flags); /* PH_PROMPT for a data command */
    inst->TxFlags = 0;
    startTimeout(inst, timeout_ms);
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
        resetEcho(inst);
    }
    inst->TxData = data;
    inst->TxRemaining = length;
    inst->TxFlags = (uint8_t)(TX_ACTIVE | (flags & (GSM_PROMPT_DATA_ECHOED | GSM_PROMPT_DATA_CTRL_Z |
                                                     GSM_PROMPT_DATA_LF | GSM_PROMPT_DATA_FLASH)));
    inst->Phase = PH_RESPONSE;
    restartTimer(inst);
    return true;
}

/* A byte of the data being written (out of line: in the writer's loop it costs less
 * than the choice between flash and RAM inline, measured). */
static GSM_NOINLINE uint8_t dataByte(const uint8_t* data, uint8_t txFlags)
{
    (void)txFlags;
    return (GSM_FLASH_SEPARATE && (txFlags & GSM_PROMPT_DATA_FLASH)) ? GSM_FLASH_BYTE(data) : *data;
}

/* Writes the next piece of pending data once the previous one has gone. */
static void pumpData(GSM_Prompt_Instance* inst)
{
    uint8_t tx = inst->TxFlags;
    const uint8_t* data = inst->TxData;
    uint16_t remaining = inst->TxRemaining;
    uint16_t n;

    if (!(tx & TX_ACTIVE) ||
        (!(tx & TX_STARTED) && !gsmUtilExpired(&inst->PhaseStart_ms, GSM_PROMPT_PROMPT_SETTLE_MS)) ||
        (inst->WriteCompleted != 0 && !inst->WriteCompleted(inst)))
    {
        return; /* nothing to write, the modem settles after its prompt, or the UART is busy */
    }
    tx |= TX_STARTED;
    for (n = GSM_PROMPT_TX_PIECE; n != 0u && remaining != 0u; n--)
    {
        uint8_t b = dataByte(data++, tx);
        remaining--;
        if (tx & GSM_PROMPT_DATA_LF)
        {
            /* CR LF and a lone CR are written as LF. */
            uint8_t afterCr = tx & TX_AFTER_CR;
            tx &= (uint8_t)~TX_AFTER_CR;
            if (b == '\r')
            {
                tx |= TX_AFTER_CR;
                b = '\n';
            }
            else if (b == '\n' && afterCr)
            {
                continue;
            }
        }
        writeByte(inst, b, tx);
    }
    inst->TxData = data;
    inst->TxRemaining = remaining;
    if (remaining == 0u)
    {
        if (tx & GSM_PROMPT_DATA_CTRL_Z)
        {
            writeByte(inst, ASCII_CTRL_Z, 0);
        }
        tx = 0;
    }
    inst->TxFlags = tx;
    /* The response timeout counts from the last byte written. */
    restartTimer(inst);
}

/* ------------------------------------------------------------ turn control ---- */

/* The modem may be waiting for data after "> ": leave its input with ESC. */
static void leaveDataInput(GSM_Prompt_Instance* inst, uint8_t sendFlags)
{
    if ((sendFlags & SF_DATA_CMD) && powered(inst))
    {
        inst->Write(inst, ASCII_ESC);
    }
}

/* Runs a Start or Final handler, during which the client may write and send. Unless the
 * handler gave its turn up, the turn then goes on with the command it sent, keeps
 * waiting (gsmPromptContinue) or ends. A Final after a timeout (Poll has found the modem
 * powered first) passes the SendFlags of the command that timed out, marked with
 * SF_OPEN, as `timedOut` (0 otherwise): its turn ends in the recovery phase, leaving the
 * modem's data input first, since a belated result may still arrive. */
static GSM_NOINLINE void runHandler(GSM_Prompt_Instance* inst, GSM_Prompt_Client* c, GSM_Prompt_Event* ev,
                                    uint8_t timedOut)
{
    inst->_i.Current = c; /* (already so for a Final) */
    inst->SendFlags = 0;
    inst->RxFlags |= RX_IN_HANDLER;
    (void)callHandler(c, ev);
    inst->RxFlags &= (uint8_t)~(RX_IN_HANDLER | RX_MUTE);
    inst->LineStart = 0;

    /* (A muted handler cannot send, so this holds whether or not it gave its turn up.) */
    if (timedOut & SF_DATA_CMD)
    {
        inst->Write(inst, ASCII_ESC);
    }
    if (inst->_i.Current != c || (inst->SendFlags & SF_SENT))
    {
        return; /* the handler gave its turn up, or its next command is in flight */
    }
    if (timedOut != 0u)
    {
        endTurn(inst, PH_RECOVERY);
    }
    else if (sContinuing && (inst->SendFlags & SF_CONTINUE))
    {
        inst->SendFlags = 0;
        inst->Phase = PH_RESPONSE;
        restartTimer(inst);
    }
    else
    {
        endTurn(inst, PH_IDLE);
    }
}

/* Ends the command in flight with `result` and lets the client chain its next one. */
static void finishCommand(GSM_Prompt_Instance* inst, GSM_Prompt_Event* ev, GSM_Result result, uint16_t code)
{
    uint8_t timedOut = 0;

    newEvent(ev, GSM_Prompt_EventType_Final);
    ev->Result = result;
    ev->ErrorCode = code;
    if (result < GSM_Result_Timeout) /* OK or an error result */
    {
        inst->_i.ConsecutiveTimeouts = 0;
        gsmUtilStamp(&inst->_i.LastResponse_ms);
    }
    else
    {
        if (result == GSM_Result_Timeout)
        {
            if (++inst->_i.ConsecutiveTimeouts == 0u)
            {
                inst->_i.ConsecutiveTimeouts--; /* the count stays at its largest value */
            }
            GSM_DEBUG_TEXT("[GSM] timeout\n");
            timedOut = (uint8_t)(inst->SendFlags | SF_OPEN); /* Poll found the modem powered just before */
        }
        inst->RxFlags |= RX_MUTE;
    }
    /* (The Phase is set after the handler: by the command it sends, by gsmPromptContinue
     * or by the end of the turn. Data still being written stops here.) */
    inst->TxFlags = 0;
    runHandler(inst, inst->_i.Current, ev, timedOut);
}

void gsmPromptRegisterClient(GSM_Prompt_Interface* p, GSM_Prompt_Client* client)
{
    GSM_Prompt_Client** link;

    /* A client without a handler is never registered, so the engine calls every
     * registered client's handler without checking it. */
    if (p == 0 || client == 0 || client->Handler == 0)
    {
        return;
    }
    for (link = &p->Clients; *link != 0; link = &(*link)->Next)
    {
        if (*link == client)
        {
            return;
        }
    }
    client->Next = 0;
    client->EngineFlags = CL_REGISTERED;
    *link = client;
    /* The next search for a turn starts after the last client, so at the first. */
    p->LastServed = client;
}

/* (out of line: one call instead of the stores in every module's Init) */
GSM_NOINLINE void gsmPromptRegisterHandler(GSM_Prompt_Interface* p, GSM_Prompt_Client* client,
                                           GSM_Prompt_Handler handler, const char* urcPrefixList)
{
    client->Handler = handler;
    client->UrcPrefixList = urcPrefixList;
    gsmPromptRegisterClient(p, client);
}

void gsmPromptRequest(GSM_Prompt_Interface* p, GSM_Prompt_Client* client)
{
    /* Only a registered client is marked: one registered with a Prompt at all. */
    (void)p;
    if (client != 0 && (client->EngineFlags & CL_REGISTERED))
    {
        client->EngineFlags |= CL_PENDING;
    }
}

bool gsmPromptIsBusy(const GSM_Prompt_Interface* p, const GSM_Prompt_Client* client)
{
    /* (Early returns, as in bufferUsable.) */
    if (p == 0 || client == 0)
    {
        return false;
    }
    if (p->Current == client)
    {
        return true;
    }
    return (client->EngineFlags & CL_PENDING) != 0u;
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
        stopRaw(inst);
    }
    if (p->Current == client)
    {
        leaveDataInput(inst, inst->SendFlags);
        endTurn(inst, PH_RECOVERY);
    }
}

void gsmPromptRelease(GSM_Prompt_Interface* p, GSM_Prompt_Client* client)
{
    if (p != 0 && client != 0 && p->Current == client)
    {
        endTurn(instOf(p), PH_IDLE);
    }
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
    p->Ready = ready;
}

void gsmPromptContinue(GSM_Prompt_Interface* p, uint32_t timeout_ms)
{
    GSM_Prompt_Instance* inst = instOf(p);
    if (p->Current != 0 && (inst->RxFlags & (RX_IN_HANDLER | RX_MUTE)) == RX_IN_HANDLER)
    {
        sContinuing = true;
        inst->SendFlags |= SF_CONTINUE;
        inst->Timeout_ms = timeout_ms;
    }
}

void gsmPromptAllowMultiLine(GSM_Prompt_Client* client, uint8_t mask)
{
    if (client != 0)
    {
        sMultiLine = true;
        client->UrcMultiLineMask = mask;
    }
}

void gsmPromptSetTimeout(GSM_Prompt_Interface* p, uint32_t timeout_ms)
{
    startTimeout(instOf(p), timeout_ms);
}

/* ---------------------------------------------------------------- reading ---- */

/* Takes a received byte of a raw read; reached through sRawByte, so a firmware that never
 * reads raw data does not link it. gsmPromptReadRaw sets sRawByte whenever it sets a
 * RawClient, so the receiver and Poll ask for sRawByte first: where nothing links
 * gsmPromptReadRaw, the link knows it stays null and drops their raw paths. */
static void rawByte(GSM_Prompt_Instance* inst, GSM_Prompt_Event* ev, uint8_t b);
static void (*sRawByte)(GSM_Prompt_Instance* inst, GSM_Prompt_Event* ev, uint8_t b);

void gsmPromptReadRaw(GSM_Prompt_Interface* p, uint32_t count)
{
    GSM_Prompt_Instance* inst = instOf(p);
    if (inst->Dispatching == 0 || count == 0u)
    {
        return;
    }
    sRawByte = &rawByte;
    inst->RawClient = inst->Dispatching;
    inst->RawRemaining = count;
    gsmUtilStamp(&inst->RawLast_ms);
}

void gsmPromptKeepLine(GSM_Prompt_Interface* p)
{
    GSM_Prompt_Instance* inst = instOf(p);
    if (inst->Dispatching != 0)
    {
        sKeeping = true;
        inst->RxFlags |= RX_KEEP;
    }
}

static bool isEchoTerminator(uint8_t b)
{
    if (b == '\r' || b == '\n')
    {
        return true;
    }
    return b == ASCII_CTRL_Z || b == ASCII_ESC;
}

/* True (and the echo consumed) when the line is the modem's echo of what was written. */
static bool consumeEcho(GSM_Prompt_Instance* inst, const char* line)
{
    const uint8_t* echo = inst->EchoCancellationBuffer;
    uint16_t pos = inst->EchoPos;
    uint16_t end = inst->EchoLen;
    uint16_t next;

    if (echo == 0)
    {
        /* No echo buffer: the echo of a command line starts with "AT" (either case). */
        if (inst->Phase == PH_IDLE || (line[0] | 0x20) != 'a')
        {
            return false;
        }
        return (line[1] | 0x20) == 't';
    }
    if (pos >= end)
    {
        return false;
    }
    for (; *line != '\0' && pos != end; line++, pos++)
    {
        if (echo[pos] != (uint8_t)*line)
        {
            return false;
        }
    }
    if (*line != '\0' && !(inst->RxFlags & RX_ECHO_TRUNC))
    {
        return false; /* longer than what was written, which the echo buffer held whole */
    }
    /* Skip the line end written after the line. Without one (while more was written)
     * the line is only the start of what was written. */
    next = pos;
    while (next < end && isEchoTerminator(echo[next]))
    {
        next++;
    }
    if (next < end && next == pos)
    {
        return false;
    }
    inst->EchoPos = next;
    return true;
}

/* The index of the client's URC prefix that starts the line, or -1. Out of line: the
 * link copied it into the URC search and the multi-line check. */
static GSM_NOINLINE int8_t matchUrc(const GSM_Prompt_Client* c, const char* line)
{
    return gsmUtilFindPrefix(line, c->UrcPrefixList);
}

/* Finds the first client whose URC prefix starts the line, after `after` (null: from the
 * first). */
static GSM_Prompt_Client* findUrcClient(GSM_Prompt_Instance* inst, const char* line, GSM_Prompt_Client* after)
{
    GSM_Prompt_Client* c = (after != 0) ? after->Next : inst->_i.Clients;

    while (c != 0 && matchUrc(c, line) < 0)
    {
        c = c->Next;
    }
    return c;
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
    return p != 0 && line != 0 && (findUrcClient(instOf(p), line, 0) != 0 || isNoise(line));
}

/* Offers the line to `c` and then to every later client whose URC prefix starts it, until
 * one takes it. */
static bool dispatchUrc(GSM_Prompt_Instance* inst, GSM_Prompt_Event* ev, GSM_Prompt_Client* c)
{
    ev->Type = GSM_Prompt_EventType_Urc;
    for (; c != 0; c = findUrcClient(inst, ev->Line, c))
    {
        if (deliver(inst, c, ev))
        {
            return true;
        }
    }
    return false;
}

/* Hands a line that is neither an echo nor a final result to its owners. A known URC
 * reaches its owner whatever command is in flight: only when the client holding the turn
 * owns the prefix itself (its command's answer has that form) does it see the line
 * first. A notice nobody owns is dropped. `owner` is the first client whose prefix
 * starts the line (null: none). */
static void dispatchLine(GSM_Prompt_Instance* inst, GSM_Prompt_Event* ev, char* line, uint16_t len,
                         GSM_Prompt_Client* owner)
{
    GSM_Prompt_Client* cur = inst->_i.Current; /* (outside the handlers: while a command is in flight) */

    newEvent(ev, GSM_Prompt_EventType_Line);
    ev->Line = line;
    ev->LineLength = len;
    if (cur != 0 && matchUrc(cur, line) >= 0)
    {
        /* The answer to its command has this form: the client holding the turn first. */
        if (!deliver(inst, cur, ev))
        {
            (void)dispatchUrc(inst, ev, owner);
        }
        return;
    }
    if (dispatchUrc(inst, ev, owner) || (owner == 0 && isNoise(line)) || cur == 0)
    {
        return;
    }
    ev->Type = GSM_Prompt_EventType_Line;
    (void)deliver(inst, cur, ev);
}

/* True when the line holds an odd number of double quotes: a quoted text goes on. */
static bool quoteOpen(const char* line)
{
    uint8_t odd = 0;

    for (; *line != '\0'; line++)
    {
        if (*line == '"')
        {
            odd ^= 1u;
        }
    }
    return odd != 0u;
}

/* Forgets the line being assembled. */
static void resetLine(GSM_Prompt_Instance* inst)
{
    inst->LineLen = 0;
}

static GSM_NOINLINE void storeByte(GSM_Prompt_Instance* inst, uint8_t b)
{
    uint16_t at = (uint16_t)(inst->LineStart + inst->LineLen);

    if (at >= (uint16_t)(bufferSize(inst) - 1u)) /* (the size is at least GSM_PROMPT_MIN_BUFFER) */
    {
        /* Over-long line: drop it whole, never write past the buffer. Its line end
         * forgets what was stored of it. */
        inst->RxFlags |= RX_DISCARD;
        if (++inst->DiscardedLines == 0u)
        {
            inst->DiscardedLines--; /* the count stays at its largest value */
        }
        return;
    }
    inst->DataBuffer[at] = b;
    inst->LineLen++;
}

/* A line is complete: it is the echo of what was written, a final result, or a line for
 * the client holding the turn or a URC's owners. */
static void lineEnd(GSM_Prompt_Instance* inst, GSM_Prompt_Event* ev, uint8_t b)
{
    uint8_t flags = inst->RxFlags;
    uint16_t len = inst->LineLen;
    char* line = (char*)inst->DataBuffer;
    GSM_Result result;
    uint16_t code;

    inst->RxFlags = (uint8_t)((flags & (uint8_t)~(RX_LAST_CR | RX_DISCARD | RX_KEEP)) |
                              ((uint8_t)~b & RX_LAST_CR)); /* CR, not LF */
    if ((flags & RX_DISCARD) || len == 0u)
    {
        resetLine(inst);
        return;
    }
    if (sKeeping)
    {
        /* (Only a kept line moves the start from 0: where nothing keeps one, no read.) */
        line += inst->LineStart;
    }
    line[len] = '\0';

#if GSM_DEBUG_OUTPUT
    GSM_DEBUG_TEXT("[GSM] < ");
    GSM_DEBUG_TEXT(line);
    GSM_DEBUG_TEXT("\n");
#endif

    if (consumeEcho(inst, line))
    {
        /* nothing more to do */
    }
    else if (gsmPromptHelperParseFinal(line, &result, &code))
    {
        if (inCommand(inst))
        {
            finishCommand(inst, ev, result, code);
        }
        /* else a result nobody waits for (late, or during recovery) */
    }
    else
    {
        GSM_Prompt_Client* owner = findUrcClient(inst, line, 0);
        int8_t i;

        /* A quoted text of some URCs (e.g. a USSD menu) may contain line breaks. */
        if (sMultiLine && owner != 0 && quoteOpen(line) && (i = matchUrc(owner, line)) < 8 &&
            (owner->UrcMultiLineMask & (1u << (uint8_t)i)) != 0u)
        {
            if (!(b == '\n' && (flags & RX_LAST_CR) && line[len - 1u] == '\n'))
            {
                storeByte(inst, '\n');
            }
            return;
        }
        dispatchLine(inst, ev, line, len, owner);
    }
    if (sKeeping && (inst->RxFlags & RX_KEEP))
    {
        if (inst->_i.Current != 0)
        {
            /* Keep this line (with its NUL); the next one is assembled after it. */
            inst->LineStart = (uint16_t)(inst->LineStart + len + 1u);
        }
        inst->RxFlags &= (uint8_t)~RX_KEEP;
    }
    resetLine(inst);
}

static void rawByte(GSM_Prompt_Instance* inst, GSM_Prompt_Event* ev, uint8_t b)
{
    GSM_Prompt_Client* c;
    uint8_t* piece;
    uint16_t size;
    uint16_t room;
    uint16_t len;

    /* A header line ended by a CR: the LF that completes its CR LF is no data. The
     * flag is cleared by the first byte, so a raw read ends with it clear. */
    if (inst->RxFlags & RX_LAST_CR)
    {
        inst->RxFlags &= (uint8_t)~RX_LAST_CR;
        if (b == '\n')
        {
            return;
        }
    }
    /* The clock first, so nothing of the piece is kept across the call. */
    gsmUtilStamp(&inst->RawLast_ms);
    size = bufferSize(inst);
    if (inst->LineStart + 1u >= size)
    {
        inst->LineStart = 0; /* no room left behind kept lines: give them up */
    }
    room = (uint16_t)(size - inst->LineStart);
    piece = inst->DataBuffer + inst->LineStart;
    len = inst->LineLen;
    piece[len++] = b;
    inst->LineLen = len;
    if (--inst->RawRemaining != 0u && len < room)
    {
        return;
    }
    newEvent(ev, GSM_Prompt_EventType_RawData);
    ev->Data = piece;
    ev->DataLength = len;
    ev->RawRemaining = inst->RawRemaining;
    inst->LineLen = 0;
    c = inst->RawClient;
    if (ev->RawRemaining == 0u)
    {
        inst->RawClient = 0;
        /* The last piece may be kept when a NUL and the final result still fit after it. */
        if (inst->_i.Current == c && (uint16_t)(room - len) >= 1u + GSM_PROMPT_KEEP_RESERVE)
        {
            ev->Line = (char*)piece;
        }
    }
    (void)deliver(inst, c, ev);
    if ((inst->RxFlags & RX_KEEP) && ev->Line != 0)
    {
        /* Keep the last piece (NUL-terminated) like a kept line. */
        piece[len] = 0u;
        inst->LineStart = (uint16_t)(inst->LineStart + len + 1u);
    }
    inst->RxFlags &= (uint8_t)~RX_KEEP;
}

static void rxByte(GSM_Prompt_Instance* inst, GSM_Prompt_Event* ev, uint8_t b)
{
    uint8_t flags = inst->RxFlags;

    if (sRawByte != 0 && inst->RawClient != 0)
    {
        sRawByte(inst, ev, b);
        return;
    }
    if (b == '\r' || b == '\n')
    {
        lineEnd(inst, ev, b);
        return;
    }
    inst->RxFlags = (uint8_t)(flags & ~RX_SKIP_SPACE);
    if (((flags & RX_SKIP_SPACE) && b == ' ') || (flags & RX_DISCARD) || b == 0u || b == ASCII_CTRL_Z ||
        b == ASCII_ESC)
    {
        return;
    }
    if (b == '>' && inst->LineLen == 0u && inst->Phase == PH_PROMPT)
    {
        newEvent(ev, GSM_Prompt_EventType_DataPrompt);
        inst->RxFlags |= RX_SKIP_SPACE;
        inst->Phase = PH_RESPONSE;
        restartTimer(inst);
        (void)callHandler(inst->_i.Current, ev);
        return;
    }
    storeByte(inst, b);
}

void gsmPromptFeed(GSM_Prompt_Instance* inst, const uint8_t* data, size_t length)
{
    GSM_Prompt_Event ev;

    if (inst == 0 || data == 0 || !bufferUsable(inst))
    {
        return;
    }
    while (length-- > 0u)
    {
        rxByte(inst, &ev, *data++);
    }
}

/* ------------------------------------------------------------ init / poll ---- */

/* Out of line (copied into the manager it costs more), yet unlike GSM_NOINLINE the
 * compiler may specialise it for the one instance a firmware has (measured). */
#if defined(__GNUC__)
__attribute__((noinline))
#endif
void gsmPromptInit(GSM_Prompt_Instance* inst)
{
    if (inst == 0)
    {
        return;
    }
    if (inst->_i.Session == 0u)
    {
        /* Without BasicComms nobody establishes communication: serve at once.
         * BasicComms closes the gate again in its Init. */
        inst->_i.Ready = 1u;
    }
    /* (PowerSession too: should the Power module's differ, the first Poll finds no
     * command to end.) */
    memset(&inst->LineStart, 0, sizeof(*inst) - offsetof(GSM_Prompt_Instance, LineStart));
    endTurn(inst, PH_IDLE);
}

static void grantTurn(GSM_Prompt_Instance* inst, GSM_Prompt_Event* ev)
{
    GSM_Prompt_Interface* p = &inst->_i;
    GSM_Prompt_Client* start;
    GSM_Prompt_Client* c;

    /* Every client once, from the one after LastServed round to LastServed itself
     * (registering sets LastServed, so it is null only while no client is registered). */
    start = p->LastServed;
    if (start == 0)
    {
        return;
    }
    c = start;
    do
    {
        c = (c->Next != 0) ? c->Next : p->Clients;
        if ((c->EngineFlags & CL_PENDING) && (p->Ready || (c->Options & GSM_PROMPT_CLIENT_UNGATED)))
        {
            c->EngineFlags &= (uint8_t)~CL_PENDING;
            p->LastServed = c;
            newEvent(ev, GSM_Prompt_EventType_Start);
            runHandler(inst, c, ev, 0);
            if (inst->Phase != PH_IDLE)
            {
                return; /* a command in flight, or aborted: recovering */
            }
        }
    } while (c != start);
}

void gsmPromptPoll(GSM_Prompt_Instance* inst)
{
    GSM_Prompt_Event ev; /* one for every event of this Poll, filled afresh for each */
    uint16_t budget = GSM_PROMPT_RX_BUDGET;
    bool (*canRead)(GSM_Prompt_Instance*);

    if (inst == 0 || !bufferUsable(inst))
    {
        return;
    }

    /* Receive. */
    canRead = inst->CanRead;
    if (canRead != 0)
    {
        uint8_t (*read)(GSM_Prompt_Instance*) = inst->Read;
        while (budget-- > 0u && canRead(inst))
        {
            rxByte(inst, &ev, read(inst));
        }
    }

    /* A command cannot survive the modem being switched off or restarted. */
    if (inst->Power != 0)
    {
        uint8_t session = gsmPowerIfSession(inst->Power);
        bool on = gsmPowerIfIsOn(inst->Power);
        if (session != inst->PowerSession || !on)
        {
            inst->PowerSession = session;
            if (inCommand(inst))
            {
                finishCommand(inst, &ev, GSM_Result_Aborted, 0);
            }
            if (sRawByte != 0)
            {
                stopRaw(inst);
            }
            if (!on)
            {
                /* No turn is held now (the Final after Aborted cannot send): only a
                 * recovery may be left to end. */
                inst->Phase = PH_IDLE;
                return;
            }
        }
    }

    /* Transmit pending data, then check the timeouts (an idle engine's timer may run out
     * too: it stays idle). */
    pumpData(inst);
    if (gsmUtilExpired(&inst->PhaseStart_ms, inst->Timeout_ms))
    {
        bool timedOut = inCommand(inst);

        inst->Phase = PH_IDLE; /* (a recovery ends; after a command the turn sets it anew) */
        if (timedOut)
        {
            if (sRawByte != 0)
            {
                stopRaw(inst);
            }
            finishCommand(inst, &ev, GSM_Result_Timeout, 0);
        }
    }

    /* Next turn, unless a raw read runs. */
    if (sRawByte != 0 && inst->RawClient != 0)
    {
        if (gsmUtilExpired(&inst->RawLast_ms, GSM_PROMPT_RAW_IDLE_MS))
        {
            /* The announced data never came: stop counting bytes as raw data (the next
             * turn is granted in the next Poll). */
            stopRaw(inst);
            inst->LineLen = 0;
        }
    }
    else if (inst->Phase == PH_IDLE)
    {
        grantTurn(inst, &ev);
    }
}
