/*
 * GSM_SMS_Send.c - text message sending and delivery reports (see GSM_SMS_Send.h).
 */
#include "GSM_SMS_Send.h"
#include "GSM_Util.h"
#include <string.h>

enum
{
    SP_IDLE = 0,
    SP_QUEUED,  /* waiting for communication, network and a turn */
    SP_SETUP,   /* text mode / report set-up chain */
    SP_CMGS,    /* AT+CMGS sent, waiting for "> " */
    SP_TEXT     /* text written, waiting for +CMGS: <mr> */
};

/* Flags */
#define SF_ESTABLISHED 0x01u
#define SF_SETUP_DONE  0x02u  /* set-up done in this communication session */
#define SF_GOT_MR      0x04u  /* "+CMGS: <mr>" received */

#define SETUP_TIMEOUT_MS 5000u
#define PROMPT_TIMEOUT_MS 10000u

/* Text mode, IRA character set, status report requested (first octet 49 =
 * SMS-SUBMIT + relative validity period + status report request; validity 167 = 24 h),
 * new-message indications +CMTI and status reports +CDS. The CNMI line is the same as
 * the SMS receiving module's, so the two never undo each other. */
static const char kSetup0[] GSM_FLASH = "AT+CMGF=1";
static const char kSetup1[] GSM_FLASH = "AT+CSCS=\"IRA\"";
static const char kSetup2[] GSM_FLASH = "AT+CSMP=49,167,0,0";
static const char kSetup3[] GSM_FLASH = "AT+CNMI=2,1,0,1,0";
static const GSM_Prompt_Step kSetup[] GSM_FLASH = {
    {kSetup0, SETUP_TIMEOUT_MS, 0},
    {kSetup1, SETUP_TIMEOUT_MS, GSM_PROMPT_STEP_OPTIONAL},
    {kSetup2, SETUP_TIMEOUT_MS, GSM_PROMPT_STEP_OPTIONAL},
    {kSetup3, SETUP_TIMEOUT_MS, GSM_PROMPT_STEP_OPTIONAL},
};

static const char kUrcs[] GSM_FLASH = "+CDS:\0";

static void emit(GSM_SmsSend_Instance* inst, GSM_SmsSend_EventType type, void* data)
{
    if (inst->EventHandler != 0)
    {
        inst->EventHandler(inst, type, data);
    }
}

static void fail(GSM_SmsSend_Instance* inst, GSM_Result result, uint16_t code)
{
    GSM_SmsSend_Event_SendFailed ev;
    inst->Phase = SP_IDLE;
    ev.Result = result;
    ev.ErrorCode = code;
    emit(inst, GSM_SmsSend_EventType_SendFailed, &ev);
}

static void track(GSM_SmsSend_Instance* inst, uint8_t reference)
{
    if (inst->ReferenceCount >= GSM_SMS_SEND_TRACKED_REFERENCES)
    {
        /* Forget the oldest. */
        memmove(inst->References, inst->References + 1, GSM_SMS_SEND_TRACKED_REFERENCES - 1u);
        inst->ReferenceCount = GSM_SMS_SEND_TRACKED_REFERENCES - 1u;
    }
    inst->References[inst->ReferenceCount++] = reference;
}

/* Index of a tracked reference, or -1. */
static int8_t findReference(const GSM_SmsSend_Instance* inst, uint8_t reference)
{
    uint8_t i;
    for (i = 0; i < inst->ReferenceCount; i++)
    {
        if (inst->References[i] == reference)
        {
            return (int8_t)i;
        }
    }
    return -1;
}

/* "+CDS: <fo>,<mr>,[<ra>],[<tora>],<scts>,<dt>,<st>" */
static void deliveryReport(GSM_SmsSend_Instance* inst, char* line)
{
    char* args = gsmUtilAfterPrefix_P(line, GSM_F("+CDS:"));
    char* f[7];
    int32_t mr;
    int32_t st;
    int8_t slot;
    GSM_SmsSend_Event_DeliveryStatusReport ev;

    if (args == 0 || gsmUtilSplitArgs(args, f, 7u) != 7u || !gsmUtilParseInt(f[1], &mr) ||
        !gsmUtilParseInt(f[6], &st) || mr < 0 || mr > 255 || st < 0 || st > 255)
    {
        return;
    }
    slot = findReference(inst, (uint8_t)mr);
    if (slot < 0)
    {
        return; /* not one of ours (or sent before a restart) */
    }
    memset(&ev, 0, sizeof(ev));
    ev.PhoneNumber = f[2];
    ev.MessageReference = (uint8_t)mr;
    ev.MessageStatus = (uint8_t)st;
    (void)gsmUtilParseScts(f[4], &ev.ServiceCentreEpoch, &ev.ServiceCentreTimeZoneOffsetInSeconds);
    (void)gsmUtilParseScts(f[5], &ev.DischargeEpoch, &ev.DischargeTimeZoneOffsetInSeconds);
    if (gsmSmsSendGetDeliveryStatusReportType((uint8_t)st) != GSM_SmsSend_DeliveryStatusReportType_Pending)
    {
        /* Final report: stop tracking this reference. */
        memmove(inst->References + slot, inst->References + slot + 1,
                (size_t)(inst->ReferenceCount - (uint8_t)slot - 1u));
        inst->ReferenceCount--;
    }
    emit(inst, GSM_SmsSend_EventType_DeliveryStatusReport, &ev);
}

static void sendCmgs(GSM_SmsSend_Instance* inst)
{
    inst->Phase = SP_CMGS;
    inst->Flags &= (uint8_t)~SF_GOT_MR;
    gsmPromptWriteText_P(inst->Prompt, GSM_F("AT+CMGS="));
    gsmPromptWriteQuoted(inst->Prompt, inst->PhoneNumber);
    if (!gsmPromptSend(inst->Prompt, PROMPT_TIMEOUT_MS, GSM_PROMPT_SEND_DATA_PROMPT))
    {
        fail(inst, GSM_Result_Aborted, 0);
    }
}

static bool handler(GSM_Prompt_Client* client, GSM_Prompt_Event* ev)
{
    GSM_SmsSend_Instance* inst = GSM_CONTAINER_OF(client, GSM_SmsSend_Instance, Client);
    GSM_Prompt_Interface* p = inst->Prompt;

    switch (ev->Type)
    {
    case GSM_Prompt_EventType_Start:
        if (inst->Phase != SP_QUEUED)
        {
            return false;
        }
        if (!(inst->Flags & SF_SETUP_DONE))
        {
            inst->Phase = SP_SETUP;
            gsmPromptChainBegin_P(&inst->Chain, kSetup, (uint8_t)(sizeof(kSetup) / sizeof(kSetup[0])));
            (void)gsmPromptChainSend(p, &inst->Chain);
        }
        else
        {
            sendCmgs(inst);
        }
        return false;

    case GSM_Prompt_EventType_DataPrompt:
        if (inst->Phase == SP_CMGS)
        {
            inst->Phase = SP_TEXT;
            (void)gsmPromptWriteData(p, (const uint8_t*)inst->Text, inst->TextLength,
                                     GSM_PROMPT_DATA_ECHOED | GSM_PROMPT_DATA_CTRL_Z | GSM_PROMPT_DATA_LF);
            gsmPromptSetTimeout(p, GSM_SMS_SEND_TIMEOUT_MS);
        }
        return false;

    case GSM_Prompt_EventType_Line:
    {
        char* args = gsmUtilAfterPrefix_P(ev->Line, GSM_F("+CMGS:"));
        int32_t mr;
        if (args == 0)
        {
            return false;
        }
        if (gsmUtilParseInt(args, &mr) && mr >= 0 && mr <= 255)
        {
            inst->MessageReference = (uint8_t)mr;
            inst->Flags |= SF_GOT_MR;
        }
        return true;
    }

    case GSM_Prompt_EventType_Urc:
        if (gsmUtilStartsWith_P(ev->Line, GSM_F("+CDS:")))
        {
            deliveryReport(inst, ev->Line);
            return true;
        }
        return false;

    case GSM_Prompt_EventType_Final:
        if (inst->Phase == SP_SETUP)
        {
            GSM_Prompt_ChainState st = gsmPromptChainOnFinal(p, &inst->Chain, ev);
            if (st == GSM_Prompt_ChainState_Done)
            {
                inst->Flags |= SF_SETUP_DONE;
                sendCmgs(inst); /* same turn */
            }
            else if (st == GSM_Prompt_ChainState_Failed)
            {
                fail(inst, ev->Result, ev->ErrorCode);
            }
        }
        else if (inst->Phase == SP_CMGS || inst->Phase == SP_TEXT)
        {
            if (ev->Result == GSM_Result_Ok)
            {
                GSM_SmsSend_Event_SendSuccess ok;
                inst->Phase = SP_IDLE;
                ok.MessageReference = (inst->Flags & SF_GOT_MR) ? inst->MessageReference : 0u;
                if (inst->Flags & SF_GOT_MR)
                {
                    track(inst, inst->MessageReference);
                }
                emit(inst, GSM_SmsSend_EventType_SendSuccess, &ok);
            }
            else
            {
                fail(inst, ev->Result, ev->ErrorCode);
            }
        }
        return false;

    default:
        return false;
    }
}

void gsmSmsSendInit(GSM_SmsSend_Instance* inst)
{
    if (inst == 0)
    {
        return;
    }
    inst->Phase = SP_IDLE;
    inst->Flags = 0;
    inst->ReferenceCount = 0;
    inst->Client.Handler = &handler;
    inst->Client.UrcPrefixList = kUrcs;
    if (inst->Prompt != 0)
    {
        gsmPromptRegisterClient(inst->Prompt, &inst->Client);
    }
}

void gsmSmsSendPoll(GSM_SmsSend_Instance* inst)
{
    GSM_Prompt_Interface* p;
    bool established;
    uint8_t session;
    bool network;

    if (inst == 0 || inst->Prompt == 0)
    {
        return;
    }
    p = inst->Prompt;
    established = gsmBasicCommsIfLinkEstablished(inst->BasicComms, p, &session);
    if (!established)
    {
        inst->Flags &= (uint8_t)~SF_ESTABLISHED;
    }
    else if (!(inst->Flags & SF_ESTABLISHED) || session != inst->Session)
    {
        /* New session: the modem lost text mode and report settings. */
        inst->Flags = (uint8_t)((inst->Flags & SF_GOT_MR) | SF_ESTABLISHED);
        inst->Session = session;
    }

    if (inst->Phase != SP_QUEUED || p->Current == &inst->Client)
    {
        return;
    }
    network = established &&
              (inst->NetworkRegistration == 0 || gsmNetworkRegistrationIfIsSmsAvailable(inst->NetworkRegistration));
    if (network)
    {
        if (!gsmPromptIsBusy(p, &inst->Client))
        {
            gsmPromptRequest(p, &inst->Client);
        }
    }
    else
    {
        gsmPromptAbort(p, &inst->Client); /* withdraw a waiting request */
        if (gsmUtilTimedOut(inst->Start_ms, GSM_SMS_SEND_NETWORK_WAIT_MS))
        {
            fail(inst, GSM_Result_Timeout, 0);
        }
    }
}

bool gsmSmsSend(GSM_SmsSend_Instance* inst, const char* phoneNumber, const char* textBody)
{
    size_t i;
    size_t n = 0;

    if (inst == 0 || phoneNumber == 0 || textBody == 0 || inst->Phase != SP_IDLE)
    {
        return false;
    }
    /* Number: optional '+', then digits, '*' or '#'. */
    for (i = 0; phoneNumber[i] != '\0'; i++)
    {
        char c = phoneNumber[i];
        if (i >= GSM_SMS_MAX_PHONE_NUMBER ||
            !((c >= '0' && c <= '9') || c == '*' || c == '#' || (c == '+' && i == 0u)))
        {
            return false;
        }
    }
    if (i == 0u || (i == 1u && phoneNumber[0] == '+'))
    {
        return false;
    }
    /* Text: CR LF and CR become LF (a CR would make the modem prompt again); Ctrl-Z and
     * ESC would end or cancel the input and are refused. Too long: refused whole. */
    for (i = 0; textBody[i] != '\0'; i++)
    {
        char c = textBody[i];
        if (c == 0x1A || c == 0x1B)
        {
            return false;
        }
        if (c == '\r' && textBody[i + 1u] == '\n')
        {
            continue; /* CR LF counts as one character */
        }
        if (n >= GSM_SMS_SEND_MAX_TEXT)
        {
            return false;
        }
        n++;
    }
    /* Kept, not copied; the engine writes the line ends as LF. */
    inst->Text = textBody;
    inst->TextLength = (uint16_t)i;
    inst->PhoneNumber = phoneNumber;
    inst->Phase = SP_QUEUED;
    inst->Start_ms = gsm__SysTime_ms();
    return true;
}

void gsmSmsSendCancel(GSM_SmsSend_Instance* inst)
{
    if (inst == 0 || inst->Prompt == 0)
    {
        return;
    }
    if (inst->Phase == SP_QUEUED || inst->Phase == SP_SETUP || inst->Phase == SP_CMGS)
    {
        /* Before the text has gone: withdraw the request or leave the input with ESC. */
        gsmPromptAbort(inst->Prompt, &inst->Client);
        fail(inst, GSM_Result_Aborted, 0);
    }
}

bool gsmSmsSendIsBusy(GSM_SmsSend_Instance* inst)
{
    return inst != 0 && inst->Phase != SP_IDLE;
}

GSM_SmsSend_DeliveryStatusReportType gsmSmsSendGetDeliveryStatusReportType(uint8_t messageStatus)
{
    if (messageStatus <= 31u)
    {
        return GSM_SmsSend_DeliveryStatusReportType_Delivered;
    }
    if (messageStatus <= 63u)
    {
        return GSM_SmsSend_DeliveryStatusReportType_Pending;
    }
    return GSM_SmsSend_DeliveryStatusReportType_Failed;
}
