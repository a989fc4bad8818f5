/*
 * GSM_InternetConnection_Simcom.c - data connection of SIMCom LTE modems (AT+NETOPEN).
 *
 * One state, the step: a command of the opening, checking or closing sequence that
 * holds or awaits the turn, Idle (down; opening starts once the network is usable, the
 * application has not disabled the connection and any retry pause is over), Opening
 * (AT+NETOPEN was accepted, "+NETOPEN: <err>" is awaited) or Up.
 */
#include "GSM_InternetConnection_Simcom.h"
#include "GSM_Internet_Helper.h"
#include "GSM_Util.h"
#include <string.h>

enum
{
    S_QUERY = 0,  /* AT+NETOPEN? */
    S_CGDCONT,    /* AT+CGDCONT=1,"IP","<apn>" */
    S_SETPN,      /* AT+CSOCKSETPN=1 */
    S_NETOPEN,    /* AT+NETOPEN */
    S_NETCLOSE,   /* AT+NETCLOSE */
    S_IDLE,       /* no command: down */
    S_OPENING,    /* AT+NETOPEN accepted: "+NETOPEN: <err>" awaited */
    S_UP          /* no command: up */
};

#define F_DISABLED    0x01u  /* the application wants the connection closed */
#define F_RETRY       0x02u  /* wait GSM_INETCONN_RETRY_MS from Timer_ms before opening */
#define F_CLOSE_FIRST 0x04u  /* the stack may be half open: AT+NETCLOSE before opening */
#define F_CHECK       0x08u  /* the running query checks a connection that is up */
#define F_STACK_OPEN  0x10u  /* the query answered "+NETOPEN: 1" */
#define F_ALREADY     0x20u  /* AT+NETOPEN answered "already opened" */
#define F_EARLY_OK    0x40u  /* "+NETOPEN: 0" arrived before the OK of AT+NETOPEN */
#define F_OWN_CLOSE   0x80u  /* our AT+NETCLOSE: its "+NETCLOSE:" URC is no loss */
#define F_EARLY_FAIL  F_STACK_OPEN  /* AT+NETOPEN: "+NETOPEN: <err>" (err != 0) before OK */

static const char kUrcPrefixList[] GSM_FLASH = "+NETOPEN:\0+NETCLOSE:\0+CIPEVENT:\0"; /* onUrc() relies on this order */

typedef GSM_InternetConnectionSimcom_Instance Inst;

/* Marks the connection up (S_UP) or down (S_IDLE). Going down, `next` says how the
 * next attempt starts: after the retry pause (F_RETRY), after an AT+NETCLOSE
 * (F_CLOSE_FIRST; an AT+NETCLOSE asked for earlier stays). Going up, `next` is 0: the
 * flags of a sequence (F_RETRY and F_CLOSE_FIRST among them) are clear in every step
 * but idle. The timer starts the retry pause, or the time to the first check. */
static void settle(Inst* inst, uint8_t step, uint8_t next)
{
    bool up = step == S_UP;

    if (!up)
    {
        /* A request or turn of ours ends (without either, and as we read no raw data,
         * this does nothing). */
        gsmPromptAbort(inst->Prompt, &inst->Client);
    }
    gsmInternetHelperSetConnected(&inst->_i, up);
    inst->Step = step;
    inst->Flags = (uint8_t)((inst->Flags & (F_DISABLED | F_OWN_CLOSE | F_CLOSE_FIRST)) | next);
    if (up)
    {
        inst->Failures = 0;
    }
    else if ((next & F_RETRY) && inst->Failures < 0xFFu)
    {
        /* A failed attempt: the pause grows with every failure in a row. */
        inst->Failures++;
    }
    gsmUtilStamp(&inst->Timer_ms);
}

/* Out of line, like begin(): the link copied both into several callers. */
static GSM_NOINLINE void goDown(Inst* inst, uint8_t next)
{
    settle(inst, S_IDLE, next);
}

static void goUp(Inst* inst)
{
    settle(inst, S_UP, 0u);
}

/* A failed opening attempt with its cause (see gsmInternetConnectionSimcomLastError). */
static void attemptFailed(Inst* inst, uint16_t cause)
{
    inst->LastError = cause;
    goDown(inst, F_CLOSE_FIRST | F_RETRY);
}

static GSM_NOINLINE void begin(Inst* inst, uint8_t step)
{
    inst->Step = step; /* (sendStep() clears the answer's flags) */
    gsmPromptRequest(inst->Prompt, &inst->Client);
}

static bool sendStep(Inst* inst);

/* Next command of the sequence, from our Final event: sent at once (the turn is kept),
 * or at the next turn when the engine takes nothing. */
static void chain(Inst* inst, uint8_t step)
{
    inst->Step = step;
    if (!sendStep(inst))
    {
        gsmPromptRequest(inst->Prompt, &inst->Client);
    }
}

static bool sendStep(Inst* inst)
{
    static const char kCommands[] GSM_FLASH =
        "AT+NETOPEN?\0AT+CGDCONT=1,\"IP\",\0AT+CSOCKSETPN=1\0AT+NETOPEN\0AT+NETCLOSE\0"; /* in step order */
    GSM_Prompt_Interface* p = inst->Prompt;
    uint8_t step = inst->Step;

    inst->Flags &= (uint8_t)~(F_STACK_OPEN | F_ALREADY | F_EARLY_OK);
    if (step == S_NETCLOSE)
    {
        inst->Flags |= F_OWN_CLOSE;
    }
    gsmPromptWriteText_P(p, gsmInternetHelperText(kCommands, step));
    if (step == S_CGDCONT)
    {
        gsmPromptWriteQuoted(p, inst->APN_IfAny);
    }
    return gsmPromptSend(p, GSM_INETCONN_COMMAND_TIMEOUT_MS, 0);
}

/* "+NETOPEN: <err>" of the running AT+NETOPEN; `early`: while the command still waits
 * for its answer (some firmware prints the result before OK, or before ERROR when
 * opening failed), kept for its Final event. */
static void netopenResult(Inst* inst, int32_t err, bool early)
{
    if (err != 0)
    {
        inst->LastError = ((uint32_t)err < 0xFFFFu) ? (uint16_t)err : 0u; /* (a negative one is large) */
    }
    if (early)
    {
        inst->Flags |= (err == 0) ? F_EARLY_OK : F_EARLY_FAIL;
    }
    else if (err == 0)
    {
        goUp(inst);
    }
    else
    {
        goDown(inst, F_CLOSE_FIRST | F_RETRY); /* a failed attempt (cause in LastError) */
    }
}

static bool onLine(Inst* inst, char* line)
{
    /* "+NETOPEN: ..." during our command - the answer of the query, or the result
     * before the answer of AT+NETOPEN - is left to onUrc, where the engine offers it
     * next. */
    if (inst->Step == S_NETOPEN && gsmUtilFindPrefix(line, gsmInternetHelperIpError) == 0)
    {
        if (gsmInternetHelperContains(line, GSM_F("already")))
        {
            inst->Flags |= F_ALREADY;
        }
        return true;
    }
    return false;
}

/* "+NETOPEN: <err>": the result of AT+NETOPEN, or the query's answer. Out of line on
 * AVR, so that the number's room on the stack is not the handler's: a frame takes the
 * register pair through which the handler reaches the instance's fields by short
 * offsets. Elsewhere the split would only add a call. */
#if defined(__AVR__)
static GSM_NOINLINE bool onNetopen(Inst* inst, char* line)
#else
static bool onNetopen(Inst* inst, char* line)
#endif
{
    int32_t v[1];

    /* The prefix list found the line's start: the fields follow it. */
    if (gsmInternetHelperParseInts(line + (sizeof "+NETOPEN:" - 1u), v, 1) != 1u)
    {
        return false;
    }
    if (inst->Step == S_OPENING ||
        (inst->Step == S_NETOPEN && gsmPromptIsBusy(inst->Prompt, &inst->Client)))
    {
        netopenResult(inst, v[0], inst->Step != S_OPENING);
    }
    else if (inst->Step == S_QUERY && v[0] == 1)
    {
        /* The query's answer (sending the query clears the flag). */
        inst->Flags |= F_STACK_OPEN;
    }
    return true;
}

static bool onUrc(Inst* inst, char* line)
{
    switch (gsmUtilFindPrefix(line, kUrcPrefixList))
    {
    case 0: /* "+NETOPEN: <err>" */
        return onNetopen(inst, line);
    case 1: /* "+NETCLOSE:" */
        if (inst->Flags & F_OWN_CLOSE)
        {
            inst->Flags &= (uint8_t)~F_OWN_CLOSE;
            return true;
        }
        break;
    case 2: /* "+CIPEVENT:" */
        if (!gsmInternetHelperContains(line, GSM_F("NETWORK CLOSED")))
        {
            return true;
        }
        break;
    default:
        return false;
    }
    /* The stack was closed under us. */
    if (inst->Step > S_IDLE || (inst->Flags & F_CHECK)) /* up, opening, or a check */
    {
        goDown(inst, F_CLOSE_FIRST);
    }
    return true;
}

static void onFinal(Inst* inst, const GSM_Prompt_Event* ev)
{
    bool ok = ev->Result == GSM_Result_Ok;
    bool silent = ev->Result == GSM_Result_Timeout || ev->Result == GSM_Result_Aborted;
    uint8_t step = inst->Step;
    /* Where the sequence goes on, unless the step decides otherwise; when it may not
     * (`go` false), the attempt has failed and the next one waits for the retry pause. */
    uint8_t next = (uint8_t)(step + 1u);
    bool go = !silent;

    if (step >= S_IDLE)
    {
        return; /* no command of ours */
    }
    switch (step)
    {
    case S_QUERY:
        if (inst->Flags & F_CHECK) /* (going up or down clears it) */
        {
            if (ok && !(inst->Flags & F_STACK_OPEN))
            {
                goDown(inst, F_CLOSE_FIRST);
            }
            else
            {
                /* Open, or no verdict (the modem did not answer): stay up and look again
                 * at the next periodic check. */
                goUp(inst);
            }
        }
        else if (ok && (inst->Flags & F_STACK_OPEN))
        {
            goUp(inst);
        }
        else
        {
            /* Not open - or a firmware that rejects the query: open all the same (an
             * open stack answers "already opened"). */
            if (!gsmInternetHelperHasApn(inst->APN_IfAny))
            {
                next = S_SETPN; /* the network's default context */
            }
            else
            {
                go = go && gsmInternetHelperIsQuotable(inst->APN_IfAny, GSM_INETCONN_MAX_APN);
            }
            break;
        }
        return;
    case S_CGDCONT:
        go = ok;
        break;
    case S_SETPN:
        /* Older firmware lacks AT+CSOCKSETPN; the stack then uses context 1 anyway. */
        break;
    case S_NETOPEN:
        if (ok && (inst->Flags & F_EARLY_OK))
        {
            goUp(inst);
        }
        else if (inst->Flags & F_EARLY_FAIL)
        {
            attemptFailed(inst, inst->LastError);
        }
        else if (ok)
        {
            inst->Step = S_OPENING;
            gsmUtilStamp(&inst->Timer_ms);
        }
        else if (inst->Flags & F_ALREADY)
        {
            goUp(inst);
        }
        else
        {
            /* Refused (some firmware answers a bare ERROR): closed first and tried
             * again after a pause that grows with every refusal. */
            attemptFailed(inst, (ev->Result == GSM_Result_CmeError) ? ev->ErrorCode : 0u);
        }
        return;
    default: /* S_NETCLOSE (sent while down, or marked down before it was sent) */
        if (!ok)
        {
            inst->Flags &= (uint8_t)~F_OWN_CLOSE;
        }
        if (inst->Flags & F_DISABLED)
        {
            inst->Step = S_IDLE; /* closed: stays down while disabled */
            return;
        }
        /* Closed, or nothing was open ("+NETCLOSE: 2" then ERROR): open now, the pause
         * was taken before the close. */
        next = S_QUERY;
        break;
    }
    if (go)
    {
        chain(inst, next);
    }
    else
    {
        goDown(inst, F_RETRY);
    }
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
    case GSM_Prompt_EventType_Final:
        onFinal(inst, ev);
        return true;
    default:
        return false;
    }
}

void gsmInternetConnectionSimcomInit(GSM_InternetConnectionSimcom_Instance* inst)
{
    if (inst == 0)
    {
        return;
    }
    gsmInternetHelperInitConnection(&inst->_i, GSM_InternetConnection_Family_Lte);
    inst->Step = S_IDLE; /* (the timer is set when used) */
    inst->Flags = 0;
    inst->Failures = 0;
    inst->LastError = 0;
    inst->PromptSession = gsmPromptSession(inst->Prompt);
    gsmPromptRegisterHandler(inst->Prompt, &inst->Client, &handler, kUrcPrefixList);
}

void gsmInternetConnectionSimcomPoll(GSM_InternetConnectionSimcom_Instance* inst)
{
    GSM_Prompt_Interface* p;
    uint8_t session;
    uint8_t step;
    bool ready;
    bool usable;
    bool due;

    if (inst == 0 || inst->Prompt == 0)
    {
        return;
    }
    p = inst->Prompt;
    ready = gsmPromptIsReady(p);
    session = gsmPromptSession(p);

    /* A restarted or re-synchronised modem: find out afresh (the query tells whether
     * the stack survived). */
    if (session != inst->PromptSession || !ready)
    {
        inst->PromptSession = session;
        if (inst->Step != S_IDLE) /* (idle is down) */
        {
            goDown(inst, 0);
        }
        if (!ready)
        {
            return;
        }
    }
    usable = gsmInternetHelperRegistered(inst->NetworkRegistration); /* (communication is established) */

    /* One look at the timer for what the step waits for: the retry pause (idle after a
     * failure; otherwise nothing, so it is over at once), the result of AT+NETOPEN, or
     * the next periodic check. */
    step = inst->Step;
    if (step < S_IDLE)
    {
        return; /* a command of ours: the running sequence decides */
    }
    due = gsmUtilExpired(&inst->Timer_ms,
                          (step == S_OPENING) ? GSM_INETCONN_NETOPEN_TIMEOUT_MS
                          : (step == S_UP)    ? GSM_INETCONN_CHECK_MS
                          : (inst->Flags & F_RETRY)
                              ? gsmInternetHelperBackoff(inst->Failures, GSM_INETCONN_RETRY_MS, GSM_INETCONN_RETRY_MAX_MS)
                              : 0u);
    switch (step)
    {
    case S_IDLE:
        if (!(inst->Flags & F_DISABLED) && usable && due)
        {
            uint8_t step = (inst->Flags & F_CLOSE_FIRST) ? (uint8_t)S_NETCLOSE : (uint8_t)S_QUERY;
            inst->Flags &= (uint8_t)~(F_RETRY | F_CLOSE_FIRST);
            begin(inst, step);
        }
        break;
    case S_OPENING:
        if (due)
        {
            attemptFailed(inst, 0);
        }
        break;
    case S_UP:
        if (inst->Flags & F_DISABLED)
        {
            gsmInternetHelperSetConnected(&inst->_i, false);
            begin(inst, S_NETCLOSE);
        }
        else if (!usable)
        {
            /* Registration lost: the data connection cannot work; the query after
             * re-registration tells whether the stack is still open. */
            goDown(inst, 0);
        }
        else if (inst->_i.CheckRequest || due)
        {
            inst->_i.CheckRequest = 0;
            inst->Flags |= F_CHECK;
            begin(inst, S_QUERY);
        }
        break;
    }
}

bool gsmInternetConnectionSimcomIsConnected(GSM_InternetConnectionSimcom_Instance* inst)
{
    return inst != 0 && gsmInternetConnectionIfIsConnected(&inst->_i);
}

uint8_t gsmInternetConnectionSimcomFailedAttempts(GSM_InternetConnectionSimcom_Instance* inst)
{
    return (inst != 0) ? inst->Failures : 0u;
}

uint16_t gsmInternetConnectionSimcomLastError(GSM_InternetConnectionSimcom_Instance* inst)
{
    return (inst != 0) ? inst->LastError : 0u;
}

void gsmInternetConnectionSimcomSetEnabled(GSM_InternetConnectionSimcom_Instance* inst, bool enabled)
{
    if (inst == 0)
    {
        return;
    }
    if (enabled)
    {
        inst->Flags &= (uint8_t)~F_DISABLED;
    }
    else
    {
        inst->Flags |= F_DISABLED;
    }
}
