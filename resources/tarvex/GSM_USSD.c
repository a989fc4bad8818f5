/*
 * GSM_USSD.c - USSD requests, answers and session end (see GSM_USSD.h).
 */
#include "GSM_USSD.h"
#include "GSM_Util.h"
#include <string.h>

enum
{
    UP_IDLE = 0,
    UP_QUEUED,          /* request waiting for the network and a turn */
    UP_SENDING,         /* AT+CUSD=1,... in flight */
    UP_WAIT_RESPONSE,   /* accepted, waiting for +CUSD */
    UP_CANCEL_QUEUED,   /* AT+CUSD=2 waiting for a turn */
    UP_CANCELLING       /* AT+CUSD=2 in flight */
};

/* Flags */
#define UF_SESSION_OPEN 0x01u  /* the network waits for a reply */
#define UF_SENT_NOTIFIED 0x02u /* UssdSent already reported for this request */
#define UF_ANSWERED     0x04u  /* +CUSD arrived before the final OK */
#define UF_CANCEL_AFTER 0x08u  /* cancel requested while the request was in flight */
#define UF_NO_DCS       0x10u  /* the modem refused the <dcs> parameter: send without it */

#define CUSD_CANCEL_TIMEOUT_MS 10000u
#define CUSD_OK_AFTER_ANSWER_MS 2000u  /* an OK missing after the answer is not waited for */

static const char kUrcs[] GSM_FLASH = "+CUSD:\0";

static char gEmpty[1];

static void emit(GSM_USSD_Instance* inst, GSM_USSD_EventType type, void* data)
{
    if (inst->EventHandler != 0)
    {
        inst->EventHandler(inst, type, data);
    }
}

static void respond(GSM_USSD_Instance* inst, GSM_USSD_ResponseCode code, char* text, uint8_t dcs)
{
    GSM_USSD_Event_UssdResponse ev;
    ev.ResponseCode = code;
    ev.DataResult = (text != 0) ? text : gEmpty;
    ev.DataCodingScheme = dcs;
    if (code == GSM_USSD_ResponseCode_ActionRequired)
    {
        inst->Flags |= UF_SESSION_OPEN;
    }
    else
    {
        inst->Flags &= (uint8_t)~UF_SESSION_OPEN;
    }
    emit(inst, GSM_USSD_EventType_UssdResponse, &ev);
}

/* The request is over with `code` and no text (failed, or no answer in time). */
static void fail(GSM_USSD_Instance* inst, GSM_USSD_ResponseCode code)
{
    inst->Phase = UP_IDLE;
    respond(inst, code, gEmpty, 15u);
}

/* Reports UssdSent once per request (the answer may come before the modem's OK). */
static void notifySent(GSM_USSD_Instance* inst)
{
    if (!(inst->Flags & UF_SENT_NOTIFIED))
    {
        inst->Flags |= UF_SENT_NOTIFIED;
        emit(inst, GSM_USSD_EventType_UssdSent, 0);
    }
}

/* The session is closed (or could not be open any more). */
static void cancelled(GSM_USSD_Instance* inst)
{
    inst->Phase = UP_IDLE;
    inst->Flags &= (uint8_t)~UF_SESSION_OPEN;
    emit(inst, GSM_USSD_EventType_UssdCancelled, 0);
}

/* "+CUSD: <m>[,<str>,<dcs>]" */
static bool answer(GSM_USSD_Instance* inst, char* line)
{
    char* args = gsmUtilAfterPrefix_P(line, GSM_F("+CUSD:"));
    char* f[3];
    uint8_t n;
    int32_t m;
    int32_t dcs = 15;

    if (args == 0)
    {
        return false;
    }
    if (inst->Phase == UP_CANCEL_QUEUED || inst->Phase == UP_CANCELLING)
    {
        return true; /* the session is being closed: swallow late answers */
    }
    n = gsmUtilSplitArgs(args, f, 3u);
    if (n == 0u || !gsmUtilParseInt(f[0], &m) || m < 0 || m > 5)
    {
        return true;
    }
    if (n > 2u && !gsmUtilParseInt(f[2], &dcs))
    {
        dcs = 15;
    }
    if (inst->Phase == UP_SENDING)
    {
        /* Answer before the modem's OK: report the request as sent first. Some
         * firmware prints no OK at all after it: wait for one only briefly. */
        inst->Flags |= UF_ANSWERED;
        gsmPromptSetTimeout(inst->Prompt, CUSD_OK_AFTER_ANSWER_MS);
        notifySent(inst);
    }
    else if (inst->Phase == UP_WAIT_RESPONSE)
    {
        inst->Phase = UP_IDLE;
    }
    respond(inst, (GSM_USSD_ResponseCode)m, (n > 1u) ? f[1] : gEmpty, (uint8_t)(dcs & 0xFF));
    return true;
}

static void sendRequest(GSM_USSD_Instance* inst)
{
    GSM_Prompt_Interface* p = inst->Prompt;
    gsmPromptWriteText_P(p, GSM_F("AT+CUSD=1,"));
    gsmPromptWriteQuoted(p, inst->Code);
    if (!(inst->Flags & UF_NO_DCS))
    {
        gsmPromptWriteText_P(p, GSM_F(",15"));
    }
    /* Some modems hold their OK until the network has answered. */
    (void)gsmPromptSend(p, GSM_USSD_RESPONSE_TIMEOUT_MS, 0);
}

static void sendCancel(GSM_USSD_Instance* inst)
{
    inst->Phase = UP_CANCELLING;
    inst->Flags &= (uint8_t)~UF_CANCEL_AFTER;
    (void)gsmPromptSendCommand_P(inst->Prompt, GSM_F("AT+CUSD=2"), CUSD_CANCEL_TIMEOUT_MS);
}

static bool handler(GSM_Prompt_Client* client, GSM_Prompt_Event* ev)
{
    GSM_USSD_Instance* inst = GSM_CONTAINER_OF(client, GSM_USSD_Instance, Client);
    GSM_Prompt_Interface* p = inst->Prompt;

    switch (ev->Type)
    {
    case GSM_Prompt_EventType_Start:
        if (inst->Phase == UP_QUEUED)
        {
            inst->Phase = UP_SENDING;
            inst->Flags &= (uint8_t)~(UF_SENT_NOTIFIED | UF_ANSWERED);
            sendRequest(inst);
        }
        else if (inst->Phase == UP_CANCEL_QUEUED)
        {
            sendCancel(inst);
        }
        return false;

    case GSM_Prompt_EventType_Line:
    case GSM_Prompt_EventType_Urc:
        return answer(inst, ev->Line);

    case GSM_Prompt_EventType_Final:
        if (inst->Phase == UP_SENDING)
        {
            if (ev->Result == GSM_Result_Ok)
            {
                notifySent(inst);
                inst->Phase = (inst->Flags & UF_ANSWERED) ? UP_IDLE : UP_WAIT_RESPONSE;
                gsmUtilStamp(&inst->Start_ms);
            }
            else if (inst->Flags & UF_ANSWERED)
            {
                inst->Phase = UP_IDLE; /* answered; only the OK was missing */
            }
            else if (!(inst->Flags & UF_NO_DCS) && (ev->Result == GSM_Result_Error || ev->Result == GSM_Result_CmeError))
            {
                /* <dcs> is not accepted by every modem: once more without it. */
                inst->Flags |= UF_NO_DCS;
                sendRequest(inst);
                return false;
            }
            else
            {
                fail(inst, GSM_USSD_ResponseCode_SendFailed);
            }
            if (inst->Flags & UF_CANCEL_AFTER)
            {
                if (ev->Result == GSM_Result_Timeout || ev->Result == GSM_Result_Aborted)
                {
                    inst->Phase = UP_CANCEL_QUEUED; /* cannot chain now: next turn */
                    gsmPromptRequest(p, &inst->Client);
                }
                else
                {
                    sendCancel(inst); /* same turn */
                }
            }
        }
        else if (inst->Phase == UP_CANCELLING)
        {
            /* Whatever the modem says, no session is left open. */
            cancelled(inst);
        }
        return false;

    default:
        return false;
    }
}

void gsmUssdInit(GSM_USSD_Instance* inst)
{
    if (inst == 0)
    {
        return;
    }
    inst->Phase = UP_IDLE;
    inst->Flags = 0;
    inst->Code[0] = '\0';
    gsmPromptAllowMultiLine(&inst->Client, 0x01u); /* a +CUSD text may span several lines */
    gsmPromptRegisterHandler(inst->Prompt, &inst->Client, &handler, kUrcs); /* (ignores a null Prompt) */
}

void gsmUssdPoll(GSM_USSD_Instance* inst)
{
    GSM_Prompt_Interface* p;
    bool ready;

    if (inst == 0 || inst->Prompt == 0)
    {
        return;
    }
    p = inst->Prompt;
    if (inst->Phase == UP_WAIT_RESPONSE)
    {
        if (gsmUtilExpired(&inst->Start_ms, GSM_USSD_RESPONSE_TIMEOUT_MS))
        {
            fail(inst, GSM_USSD_ResponseCode_NetworkTimeout);
        }
        return;
    }
    if ((inst->Phase != UP_QUEUED && inst->Phase != UP_CANCEL_QUEUED) || p->Current == &inst->Client)
    {
        return; /* nothing waiting for a turn, or the turn is running */
    }
    /* A request needs the network, closing the session only communication. */
    ready = (inst->Phase == UP_QUEUED && inst->NetworkRegistration != 0)
                ? gsmNetworkRegistrationIfIsRegistered(inst->NetworkRegistration)
                : gsmPromptIsReady(p);
    if (ready)
    {
        gsmPromptRequest(p, &inst->Client); /* (not holding the turn, so asking again is harmless) */
        return;
    }
    gsmPromptAbort(p, &inst->Client);
    if (inst->Phase == UP_CANCEL_QUEUED)
    {
        cancelled(inst); /* no communication: no session can be open any more */
    }
    else if (gsmUtilExpired(&inst->Start_ms, GSM_USSD_NETWORK_WAIT_MS))
    {
        fail(inst, GSM_USSD_ResponseCode_SendFailed);
    }
}

bool gsmUssdSend(GSM_USSD_Instance* inst, const char* ussd_payload)
{
    size_t i;

    if (inst == 0 || ussd_payload == 0 || inst->Phase != UP_IDLE)
    {
        return false;
    }
    for (i = 0; ussd_payload[i] != '\0'; i++)
    {
        char c = ussd_payload[i];
        if (i >= GSM_USSD_MAX_CODE || c < 0x20 || c > 0x7E || c == '"')
        {
            return false;
        }
    }
    if (i == 0u)
    {
        return false;
    }
    memcpy(inst->Code, ussd_payload, i + 1u);
    inst->Phase = UP_QUEUED;
    gsmUtilStamp(&inst->Start_ms);
    return true;
}

bool gsmUssdCancelSession(GSM_USSD_Instance* inst)
{
    if (inst == 0 || inst->Prompt == 0)
    {
        return false;
    }
    switch (inst->Phase)
    {
    case UP_CANCEL_QUEUED:
    case UP_CANCELLING:
        return false;
    case UP_SENDING:
        inst->Flags |= UF_CANCEL_AFTER;
        return true;
    default:
        /* Idle, queued or waiting: (withdraw the request and) end the session. */
        gsmPromptAbort(inst->Prompt, &inst->Client);
        inst->Phase = UP_CANCEL_QUEUED;
        gsmPromptRequest(inst->Prompt, &inst->Client);
        return true;
    }
}

bool gsmUssdIsSessionOpen(GSM_USSD_Instance* inst)
{
    return inst != 0 && (inst->Flags & UF_SESSION_OPEN) != 0u;
}
