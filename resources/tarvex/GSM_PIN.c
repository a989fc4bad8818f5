/*
 * GSM_PIN.c - SIM status and PIN entry (see GSM_PIN.h).
 */
#include "GSM_PIN.h"
#include "GSM_Util.h"

enum
{
    PN_IDLE = 0,
    PN_QUERY,   /* AT+CPIN? */
    PN_ENTER    /* AT+CPIN="nnnn" */
};

/* Flags */
#define PF_ESTABLISHED 0x01u  /* communication was up at the last Poll */
#define PF_PIN_PENDING 0x02u  /* gsmPinEnter() waits to be carried out */
#define PF_QUERY_NOW   0x04u  /* read the status at the next opportunity */

#define CPIN_QUERY_TIMEOUT_MS 5000u
#define CPIN_ENTER_TIMEOUT_MS 15000u  /* the SIM may take seconds to verify */

static const char kUrcs[] GSM_FLASH = "+CPIN:\0";

static void emit(GSM_PIN_Instance* inst, GSM_PIN_EventType type, void* data)
{
    if (inst->EventHandler != 0)
    {
        inst->EventHandler(inst, type, data);
    }
}

static void setStatus(GSM_PIN_Instance* inst, GSM_PIN_SimStatus status)
{
    if ((uint8_t)status != inst->Status)
    {
        GSM_PIN_Event_SimStatus ev;
        inst->Status = (uint8_t)status;
        ev.SimStatus = status;
        emit(inst, GSM_PIN_EventType_SimStatus, &ev);
    }
}

/* "+CPIN: <code>" */
static bool parseCpin(GSM_PIN_Instance* inst, char* line)
{
    static const char kCodes[] GSM_FLASH = "READY\0SIM PIN\0SIM PUK\0NOT INSERTED\0NOT READY\0";
    static const uint8_t kStatus[] GSM_FLASH = {GSM_PIN_SimStatus_Ready, GSM_PIN_SimStatus_PinRequired,
                                                GSM_PIN_SimStatus_PukRequired, GSM_PIN_SimStatus_NotInserted,
                                                GSM_PIN_SimStatus_Busy};
    char* code = gsmUtilAfterPrefix_P(line, GSM_F("+CPIN:"));
    int8_t i;

    if (code == 0)
    {
        return false;
    }
    i = gsmUtilFindText(code, kCodes, false);
    if (i >= 0)
    {
        setStatus(inst, (GSM_PIN_SimStatus)GSM_FLASH_BYTE(&kStatus[i]));
        return true;
    }
    /* SIM PIN2, SIM PUK2, PH-SIM PIN, PH-NET PIN, ... */
    setStatus(inst, GSM_PIN_SimStatus_OtherLock);
    return true;
}

/* Status from the +CME error of AT+CPIN? (3GPP TS 27.007 error codes 10 to 14; 13 and
 * any other error: Error). */
static void statusFromError(GSM_PIN_Instance* inst, const GSM_Prompt_Event* ev)
{
    static const uint8_t kStatus[5] GSM_FLASH = {GSM_PIN_SimStatus_NotInserted, GSM_PIN_SimStatus_PinRequired,
                                                 GSM_PIN_SimStatus_PukRequired, GSM_PIN_SimStatus_Error,
                                                 GSM_PIN_SimStatus_Busy};
    uint16_t i = (uint16_t)(ev->ErrorCode - 10u);
    setStatus(inst, (ev->Result == GSM_Result_CmeError && i < 5u) ? (GSM_PIN_SimStatus)GSM_FLASH_BYTE(&kStatus[i])
                                                                  : GSM_PIN_SimStatus_Error);
}

static void writePin(GSM_Prompt_Interface* p, uint16_t pin)
{
    uint16_t limit;

    gsmPromptWriteText_P(p, GSM_F("AT+CPIN=\""));
    /* At least four digits: 123 is the PIN "0123" (a zero for each of 10, 100 and 1000
     * the PIN is below). */
    for (limit = 10u; limit <= 1000u; limit = (uint16_t)(limit * 10u))
    {
        if (pin < limit)
        {
            gsmPromptWriteChar(p, '0');
        }
    }
    gsmPromptWriteInt(p, (int32_t)pin);
    gsmPromptWriteChar(p, '"');
}

static bool handler(GSM_Prompt_Client* client, GSM_Prompt_Event* ev)
{
    GSM_PIN_Instance* inst = GSM_CONTAINER_OF(client, GSM_PIN_Instance, Client);
    GSM_Prompt_Interface* p = inst->Prompt;

    switch (ev->Type)
    {
    case GSM_Prompt_EventType_Start:
        if (inst->Phase == PN_ENTER)
        {
            writePin(p, inst->Pin);
            (void)gsmPromptSend(p, CPIN_ENTER_TIMEOUT_MS, 0);
        }
        else
        {
            inst->Phase = PN_QUERY;
            gsmUtilStamp(&inst->LastQuery_ms);
            (void)gsmPromptSendCommand_P(p, GSM_F("AT+CPIN?"), CPIN_QUERY_TIMEOUT_MS);
        }
        return false;

    case GSM_Prompt_EventType_Line:
    case GSM_Prompt_EventType_Urc:
        return parseCpin(inst, ev->Line);

    case GSM_Prompt_EventType_Final:
        if (inst->Phase == PN_ENTER)
        {
            /* One attempt per gsmPinEnter(), whatever the outcome: never repeat a PIN. */
            inst->Flags &= (uint8_t)~PF_PIN_PENDING;
            inst->Flags |= PF_QUERY_NOW;
            inst->Pin = 0;
            inst->Phase = PN_IDLE;
            if (ev->Result == GSM_Result_Ok)
            {
                /* The SIM is unlocked: the status says so before PinSuccess is seen, so a
                 * loop that enters the PIN while the status asks for it does not enter
                 * it twice. The query that follows confirms it. */
                setStatus(inst, GSM_PIN_SimStatus_Ready);
            }
            emit(inst, (ev->Result == GSM_Result_Ok) ? GSM_PIN_EventType_PinSuccess : GSM_PIN_EventType_PinFailed, 0);
        }
        else
        {
            inst->Phase = PN_IDLE;
            if (ev->Result != GSM_Result_Ok && ev->Result != GSM_Result_Timeout && ev->Result != GSM_Result_Aborted)
            {
                statusFromError(inst, ev);
            }
        }
        return false;

    default:
        return false;
    }
}

void gsmPinInit(GSM_PIN_Instance* inst)
{
    if (inst == 0)
    {
        return;
    }
    inst->Status = (uint8_t)GSM_PIN_SimStatus_Unknown;
    inst->Phase = PN_IDLE;
    inst->Flags = 0;
    inst->Pin = 0;
    gsmPromptRegisterHandler(inst->Prompt, &inst->Client, &handler, kUrcs); /* (ignores a null Prompt) */
}

static void pinDone(GSM_PIN_Instance* inst, GSM_PIN_EventType type)
{
    inst->Flags &= (uint8_t)~PF_PIN_PENDING;
    inst->Pin = 0;
    emit(inst, type, 0);
}

void gsmPinPoll(GSM_PIN_Instance* inst)
{
    GSM_Prompt_Interface* p;
    bool established;
    uint8_t session;
    GSM_PIN_SimStatus st;

    if (inst == 0 || inst->Prompt == 0)
    {
        return;
    }
    p = inst->Prompt;
    established = gsmBasicCommsIfLinkEstablished(inst->BasicComms, p, &session);

    if (!established)
    {
        inst->Flags &= (uint8_t)~PF_ESTABLISHED;
        inst->Status = (uint8_t)GSM_PIN_SimStatus_Unknown;
    }
    else if (!(inst->Flags & PF_ESTABLISHED) || session != inst->Session)
    {
        inst->Flags |= (uint8_t)(PF_ESTABLISHED | PF_QUERY_NOW);
        inst->Session = session;
    }

    st = (GSM_PIN_SimStatus)inst->Status;
    if (inst->Flags & PF_PIN_PENDING)
    {
        if (gsmUtilExpired(&inst->PinRequested_ms, GSM_PIN_ENTER_TIMEOUT_MS) && inst->Phase != PN_ENTER)
        {
            gsmPromptAbort(p, &inst->Client);
            inst->Phase = PN_IDLE;
            pinDone(inst, GSM_PIN_EventType_PinFailed);
            return;
        }
        if (inst->Phase == PN_IDLE && !gsmPromptIsBusy(p, &inst->Client) && established &&
            !(inst->Flags & PF_QUERY_NOW))
        {
            if (st == GSM_PIN_SimStatus_PinRequired)
            {
                inst->Phase = PN_ENTER;
                gsmPromptRequest(p, &inst->Client);
                return;
            }
            if (st != GSM_PIN_SimStatus_Unknown && st != GSM_PIN_SimStatus_Busy)
            {
                /* Known, and not asking for the PIN (a busy SIM is waited for): nothing
                 * sent, the SIM needs no PIN (it was unlocked meanwhile) or a PIN cannot
                 * help. Never a success without the PIN being accepted. */
                pinDone(inst, GSM_PIN_EventType_PinFailed);
                return;
            }
        }
    }

    if (!established || inst->Phase != PN_IDLE || gsmPromptIsBusy(p, &inst->Client))
    {
        return;
    }
    if ((inst->Flags & PF_QUERY_NOW) ||
        gsmUtilExpired(&inst->LastQuery_ms,
                        (st == GSM_PIN_SimStatus_Ready) ? GSM_PIN_POLL_READY_MS : GSM_PIN_POLL_NOT_READY_MS))
    {
        inst->Flags &= (uint8_t)~PF_QUERY_NOW;
        inst->Phase = PN_QUERY;
        gsmPromptRequest(p, &inst->Client);
    }
}

bool gsmPinEnter(GSM_PIN_Instance* inst, uint16_t sim_pin)
{
    if (inst == 0 || (inst->Flags & PF_PIN_PENDING) || inst->Status == (uint8_t)GSM_PIN_SimStatus_Ready)
    {
        return false;
    }
    inst->Pin = sim_pin;
    inst->Flags |= PF_PIN_PENDING;
    gsmUtilStamp(&inst->PinRequested_ms);
    return true;
}

GSM_PIN_SimStatus gsmPinStatus(GSM_PIN_Instance* inst)
{
    return (inst != 0) ? (GSM_PIN_SimStatus)inst->Status : GSM_PIN_SimStatus_Unknown;
}
