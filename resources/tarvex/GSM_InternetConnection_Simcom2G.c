/*
 * GSM_InternetConnection_Simcom2G.c - GPRS bearer of SIMCom 2G modems (AT+SAPBR).
 *
 * One state, the step: a command of the opening, checking or closing sequence that
 * holds or awaits the turn, Idle (down; opening starts once the network is usable, the
 * application has not disabled the bearer and any retry pause is over) or Up. Bearer
 * profile 1 is used, the one the HTTP service refers to with AT+HTTPPARA="CID",1.
 */
#include "GSM_InternetConnection_Simcom2G.h"
#include "GSM_Internet_Helper.h"
#include "GSM_Util.h"
#include <string.h>

enum
{
    S_QUERY = 0,  /* AT+SAPBR=2,1 */
    S_CONTYPE,    /* AT+SAPBR=3,1,"Contype","GPRS" */
    S_APN,        /* AT+SAPBR=3,1,"APN","<apn>" */
    S_OPEN,       /* AT+SAPBR=1,1 */
    S_CLOSE,      /* AT+SAPBR=0,1 */
    S_IDLE,       /* no command: down */
    S_UP          /* no command: up */
};

/* <status> of "+SAPBR: <cid>,<status>,<ip>" */
enum
{
    BEARER_CONNECTING = 0,
    BEARER_CONNECTED = 1,
    BEARER_CLOSING = 2,
    BEARER_CLOSED = 3,
    BEARER_UNKNOWN = 0xFF
};

#define F_DISABLED 0x01u  /* the application wants the bearer closed */
#define F_RETRY    0x02u  /* wait GSM_INETCONN_RETRY_MS from Timer_ms before opening */
#define F_CHECK    0x04u  /* the running query checks a bearer that is up */
#define F_CONFIRM  0x08u  /* the running query confirms AT+SAPBR=1,1 */

static const char kUrcPrefixList[] GSM_FLASH = "+SAPBR\0+PDP:\0";

typedef GSM_InternetConnectionSimcom2G_Instance Inst;

static void goDown(Inst* inst, bool pause)
{
    /* A request or turn of ours ends (without either, and as we read no raw data,
     * this does nothing). */
    gsmPromptAbort(inst->Prompt, &inst->Client);
    gsmInternetHelperSetConnected(&inst->_i, false);
    inst->Step = S_IDLE;
    inst->Flags &= (uint8_t)F_DISABLED;
    if (pause)
    {
        /* A failed attempt: the pause grows with every failure in a row. */
        if (inst->Failures < 0xFFu)
        {
            inst->Failures++;
        }
        inst->Flags |= F_RETRY;
        gsmUtilStamp(&inst->Timer_ms);
    }
}

static void goUp(Inst* inst)
{
    gsmInternetHelperSetConnected(&inst->_i, true);
    inst->Failures = 0;
    inst->Step = S_UP;
    inst->Flags &= (uint8_t)F_DISABLED;
    gsmUtilStamp(&inst->Timer_ms);
}

static void begin(Inst* inst, uint8_t step)
{
    inst->Step = step;
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
    /* After "AT+SAPBR=", in step order. */
    static const char kCommands[] GSM_FLASH = "2,1\0" "3,1,\"Contype\",\"GPRS\"\0" "3,1,\"APN\",\0" "1,1\0" "0,1\0";
    GSM_Prompt_Interface* p = inst->Prompt;
    uint8_t step = inst->Step;

    inst->BearerStatus = BEARER_UNKNOWN; /* what the query finds */
    gsmPromptWriteText_P(p, GSM_F("AT+SAPBR="));
    gsmPromptWriteText_P(p, gsmInternetHelperText(kCommands, step));
    if (step == S_APN)
    {
        gsmPromptWriteQuoted(p, inst->APN_IfAny);
    }
    return gsmPromptSend(p, (step >= S_OPEN) ? GSM_INETCONN_2G_OPEN_TIMEOUT_MS : GSM_INETCONN_COMMAND_TIMEOUT_MS, 0);
}

static bool onLine(Inst* inst, char* line)
{
    int32_t v[2];

    if (inst->Step == S_QUERY && gsmInternetHelperParseUrc(line, GSM_F("+SAPBR:"), v, 2) == 2u)
    {
        if (v[0] == 1 && v[1] >= 0 && v[1] <= 3)
        {
            inst->BearerStatus = (uint8_t)v[1];
        }
        return true;
    }
    return false;
}

static bool onUrc(Inst* inst, char* line)
{
    /* "+SAPBR 1: DEACT": the network closed the bearer; "+PDP: DEACT": the network
     * deactivated the PDP context the bearer runs on (some firmware prints only this). */
    if ((gsmUtilStartsWith_P(line, GSM_F("+SAPBR 1:")) || gsmUtilStartsWith_P(line, GSM_F("+PDP:"))) && gsmInternetHelperContains(line, GSM_F("DEACT")))
    {
        if (inst->Step == S_UP || (inst->Flags & F_CHECK)) /* (a check runs while the flag is set) */
        {
            goDown(inst, false);
        }
        return true;
    }
    return false;
}

static void onFinal(Inst* inst, const GSM_Prompt_Event* ev)
{
    bool ok = ev->Result == GSM_Result_Ok;
    uint8_t step = inst->Step;
    /* Where the sequence goes on, unless the step decides otherwise; when it may not
     * (`go` false), the attempt has failed and the next one waits for the retry pause. */
    uint8_t next = (uint8_t)(step + 1u);
    bool go = ok;

    if (step >= S_IDLE)
    {
        return; /* no command of ours */
    }
    switch (step)
    {
    case S_QUERY:
        if (inst->Flags & F_CHECK)
        {
            if (ok && inst->BearerStatus != BEARER_CONNECTED)
            {
                goDown(inst, false);
            }
            else
            {
                goUp(inst); /* open, or no verdict: look again at the next check */
            }
            return;
        }
        if (ok && inst->BearerStatus == BEARER_CONNECTED)
        {
            goUp(inst);
            return;
        }
        /* Closed: open it. Still connecting or closing, not opened, or no answer: try
         * again later. */
        go = ok && inst->BearerStatus == BEARER_CLOSED && !(inst->Flags & F_CONFIRM) &&
             gsmInternetHelperApnAcceptable(inst->APN_IfAny, GSM_INETCONN_MAX_APN);
        break;
    case S_CONTYPE:
        if (!gsmInternetHelperHasApn(inst->APN_IfAny))
        {
            next = S_OPEN;
        }
        break;
    case S_APN:
        break;
    case S_OPEN:
        /* Opened - or refused, as firmware refuses a bearer that is open already
         * ("+CME ERROR: operation not allowed"): the query decides. */
        go = ok || ev->Result == GSM_Result_Error || ev->Result == GSM_Result_CmeError;
        inst->Flags |= F_CONFIRM; /* (going down clears it) */
        next = S_QUERY;
        break;
    default: /* S_CLOSE (marked down before it was sent) */
        if (inst->Flags & F_DISABLED)
        {
            inst->Step = S_IDLE; /* closed: stays down while disabled */
            return;
        }
        go = false;
        break;
    }
    if (go)
    {
        chain(inst, next);
    }
    else
    {
        goDown(inst, true);
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

void gsmInternetConnectionSimcom2GInit(GSM_InternetConnectionSimcom2G_Instance* inst)
{
    if (inst == 0)
    {
        return;
    }
    gsmInternetHelperInitConnection(&inst->_i, GSM_InternetConnection_Family_2G);
    inst->Step = S_IDLE; /* (the step's answer and the timer are set when used) */
    inst->Flags = 0;
    inst->Failures = 0;
    inst->PromptSession = gsmPromptSession(inst->Prompt);
    gsmPromptRegisterHandler(inst->Prompt, &inst->Client, &handler, kUrcPrefixList);
}

void gsmInternetConnectionSimcom2GPoll(GSM_InternetConnectionSimcom2G_Instance* inst)
{
    GSM_Prompt_Interface* p;
    uint8_t session;
    bool ready;
    bool usable;

    if (inst == 0 || inst->Prompt == 0)
    {
        return;
    }
    p = inst->Prompt;
    ready = gsmPromptIsReady(p);
    session = gsmPromptSession(p);

    if (session != inst->PromptSession || !ready)
    {
        inst->PromptSession = session;
        if (inst->Step != S_IDLE) /* (idle is down) */
        {
            goDown(inst, false);
        }
        if (!ready)
        {
            return;
        }
    }
    usable = gsmInternetHelperRegistered(inst->NetworkRegistration); /* (communication is established) */

    switch (inst->Step)
    {
    case S_IDLE:
        if (!(inst->Flags & F_DISABLED) && usable &&
                 (!(inst->Flags & F_RETRY) ||
                  gsmUtilExpired(&inst->Timer_ms,
                                  gsmInternetHelperBackoff(inst->Failures, GSM_INETCONN_RETRY_MS, GSM_INETCONN_RETRY_MAX_MS))))
        {
            inst->Flags &= (uint8_t)F_DISABLED;
            begin(inst, S_QUERY);
        }
        break;
    case S_UP:
        if (inst->Flags & F_DISABLED)
        {
            gsmInternetHelperSetConnected(&inst->_i, false);
            begin(inst, S_CLOSE);
        }
        else if (!usable)
        {
            goDown(inst, false);
        }
        else if (inst->_i.CheckRequest || gsmUtilExpired(&inst->Timer_ms, GSM_INETCONN_CHECK_MS))
        {
            inst->_i.CheckRequest = 0;
            inst->Flags |= F_CHECK;
            begin(inst, S_QUERY);
        }
        break;
    default: /* a command of ours: the running sequence decides */
        break;
    }
}

bool gsmInternetConnectionSimcom2GIsConnected(GSM_InternetConnectionSimcom2G_Instance* inst)
{
    return inst != 0 && gsmInternetConnectionIfIsConnected(&inst->_i);
}

uint8_t gsmInternetConnectionSimcom2GFailedAttempts(GSM_InternetConnectionSimcom2G_Instance* inst)
{
    return (inst != 0) ? inst->Failures : 0u;
}

void gsmInternetConnectionSimcom2GSetEnabled(GSM_InternetConnectionSimcom2G_Instance* inst, bool enabled)
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
