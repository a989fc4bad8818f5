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
    SP_SETUP,   /* text mode / report set-up sequence */
    SP_CMGS,    /* AT+CMGS sent, waiting for "> " */
    SP_TEXT,    /* text written, waiting for +CMGS: <mr> */
    SP_GOT_MR   /* "+CMGS: <mr>" received (<mr> in Step), waiting for OK */
};

#define PROMPT_TIMEOUT_MS 10000u

#if GSM_SMS_SEND_TRACKED_REFERENCES < 1 || GSM_SMS_SEND_TRACKED_REFERENCES > 255
#error "GSM_SMS_SEND_TRACKED_REFERENCES is 1..255"
#endif

/* gsmSmsSend counts the text in a byte where the limit allows (one past it must fit). */
#if GSM_SMS_SEND_MAX_TEXT < 255u
typedef uint8_t TextCount;
#else
typedef size_t TextCount;
#endif

/* Text mode, IRA character set, status report requested (first octet 49 =
 * SMS-SUBMIT + relative validity period + status report request; validity 167 = 24 h),
 * new-message indications +CMTI and status reports +CDS; all but text mode optional.
 * The CNMI line is the same as the SMS receiving module's, so the two never undo each
 * other. */
static const char kSetup[] GSM_FLASH = "AT+CMGF=1\0AT+CSCS=\"IRA\"\0AT+CSMP=49,167,0,0\0AT+CNMI=2,1,0,1,0\0";
#define SETUP_OPTIONAL 0x0Eu

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

/* Reads a message reference or status: 0..255 in decimal digits, blanks around them
 * (no sign: the modem never sends one). Returns -1 for anything else. (Byte-sized work
 * instead of a 32-bit scan and a range check at each of its three uses.) */
static int16_t parseByte(const char* s)
{
    uint8_t v = 0;
    uint8_t d;

    while (*s == ' ')
    {
        s++;
    }
    d = (uint8_t)(*s - '0');
    if (d > 9u)
    {
        return -1; /* no digits */
    }
    do
    {
        uint16_t t = (uint16_t)(v * 10u + d);
        if (t > 255u)
        {
            return -1;
        }
        v = (uint8_t)t;
        d = (uint8_t)(*++s - '0');
    } while (d <= 9u);
    while (*s == ' ')
    {
        s++;
    }
    if (*s != '\0')
    {
        return -1;
    }
    return (int16_t)v;
}

/* Stops tracking the reference in `slot` (References holds the last ones sent, newest
 * first). */
static void forget(GSM_SmsSend_Instance* inst, uint8_t slot)
{
    inst->ReferenceCount--;
    for (; slot < inst->ReferenceCount; slot++)
    {
        inst->References[slot] = inst->References[slot + 1u];
    }
}

/* "+CDS: <fo>,<mr>,[<ra>],[<tora>],<scts>,<dt>,<st>" (the module's only URC prefix, so
 * the fields start after its five characters). Left to the link: inlined into the
 * handler, its fields and event share the handler's one stack frame. */
static void deliveryReport(GSM_SmsSend_Instance* inst, char* line)
{
    char* f[7];
    int16_t mr;
    int16_t st;
    uint8_t slot;
    GSM_SmsSend_Event_DeliveryStatusReport ev;

    if (gsmUtilSplitArgs(line + 5, f, 7u) != 7u)
    {
        return;
    }
    mr = parseByte(f[1]);
    st = parseByte(f[6]);
    if (mr < 0 || st < 0)
    {
        return;
    }
    for (slot = 0; slot < inst->ReferenceCount && inst->References[slot] != (uint8_t)mr; slot++)
    {
    }
    if (slot == inst->ReferenceCount)
    {
        return; /* not one of ours (or sent before a restart) */
    }
    memset(&ev, 0, sizeof(ev));
    ev.PhoneNumber = f[2];
    ev.MessageReference = (uint8_t)mr;
    ev.MessageStatus = (uint8_t)st;
    ev.ServiceCentreTimeStamp = f[4];
    ev.DischargeTimeStamp = f[5];
#if GSM_SMS_SEND_REPORT_TIMES
    (void)gsmSmsSendParseDeliveryReportTimes(&ev);
#endif
    if ((uint8_t)((uint8_t)st - 32u) >= 32u)
    {
        forget(inst, slot); /* a final report (32..63 would be "still trying") */
    }
    emit(inst, GSM_SmsSend_EventType_DeliveryStatusReport, &ev);
}

static bool handler(GSM_Prompt_Client* client, GSM_Prompt_Event* ev)
{
    GSM_SmsSend_Instance* inst = GSM_CONTAINER_OF(client, GSM_SmsSend_Instance, Client);
    GSM_Prompt_Interface* p = inst->Prompt;

    switch (ev->Type)
    {
    case GSM_Prompt_EventType_Start:
        /* Only a queued message asks for a turn (Poll and Cancel withdraw the request
         * before a queued message fails), but Init may have forgotten the message
         * while its request still waited: then the turn goes unused. */
        if (inst->Phase != SP_QUEUED)
        {
            return false;
        }
        if (p->Session == inst->Session)
        {
            break; /* set up in this session already: AT+CMGS */
        }
        inst->Phase = SP_SETUP;
        inst->Step = 0;
        (void)gsmBasicCommsIfSequenceSend(p, kSetup, 0u);
        return false;

    case GSM_Prompt_EventType_DataPrompt:
        /* (only AT+CMGS waits for the prompt, and the engine raises it once) */
        inst->Phase = SP_TEXT;
        (void)gsmPromptWriteData(p, (const uint8_t*)inst->Text, (uint16_t)strlen(inst->Text),
                                 GSM_PROMPT_DATA_ECHOED | GSM_PROMPT_DATA_CTRL_Z | GSM_PROMPT_DATA_LF);
        gsmPromptSetTimeout(p, GSM_SMS_SEND_TIMEOUT_MS);
        return false;

    case GSM_Prompt_EventType_Line:
    {
        int16_t mr;
        char* line = ev->Line;
        if (gsmUtilFindPrefix(line, GSM_F("+CMGS:\0")) != 0)
        {
            return false;
        }
        /* (the number may have blanks before it) */
        mr = parseByte(line + 6);
        if (mr >= 0)
        {
            inst->Step = (uint8_t)mr;
            inst->Phase = SP_GOT_MR;
        }
        return true;
    }

    case GSM_Prompt_EventType_Urc:
        /* The only prefix: +CDS: */
        deliveryReport(inst, ev->Line);
        return true;

    case GSM_Prompt_EventType_Final:
        /* The end of a set-up command or of AT+CMGS (nothing else is sent). */
        if (inst->Phase == SP_SETUP)
        {
            GSM_BasicComms_SequenceState st =
                gsmBasicCommsIfSequenceFinal(p, ev, kSetup, &inst->Step, SETUP_OPTIONAL);
            if (st == GSM_BasicComms_Sequence_Running)
            {
                return false;
            }
            if (st == GSM_BasicComms_Sequence_Done)
            {
                inst->Session = p->Session;
                break; /* AT+CMGS in the same turn */
            }
        }
        else if (ev->Result == GSM_Result_Ok)
        {
            GSM_SmsSend_Event_SendSuccess ok;
            ok.MessageReference = 0u;
            if (inst->Phase == SP_GOT_MR)
            {
                uint8_t mr = inst->Step;
                uint8_t n = inst->ReferenceCount;
                ok.MessageReference = mr;
                if (n < GSM_SMS_SEND_TRACKED_REFERENCES)
                {
                    inst->ReferenceCount = ++n;
                }
                /* (when all are taken, the oldest, last, drops out) */
                for (n--; n != 0u; n--)
                {
                    inst->References[n] = inst->References[n - 1u];
                }
                inst->References[0] = mr;
            }
            inst->Phase = SP_IDLE;
            emit(inst, GSM_SmsSend_EventType_SendSuccess, &ok);
            return false;
        }
        fail(inst, ev->Result, ev->ErrorCode);
        return false;

    default:
        return false;
    }
    /* AT+CMGS with the number in quotes, the opening one with the command, the closing
     * one with the send (gsmSmsSend let only '+', digits, '*' and '#' through). */
    gsmPromptWriteText_P(p, GSM_F("AT+CMGS=\""));
    gsmPromptWriteText(p, inst->PhoneNumber);
    (void)gsmBasicCommsIfSend(p, GSM_F("\""), PROMPT_TIMEOUT_MS, GSM_PROMPT_SEND_DATA_PROMPT);
    inst->Phase = SP_CMGS;
    return false;
}

void gsmSmsSendInit(GSM_SmsSend_Instance* inst)
{
    if (inst == 0)
    {
        return;
    }
    inst->Phase = SP_IDLE;
    inst->ReferenceCount = 0;
    gsmPromptRegisterHandler(inst->Prompt, &inst->Client, &handler, kUrcs); /* (ignores a null Prompt) */
}

void gsmSmsSendPoll(GSM_SmsSend_Instance* inst)
{
    GSM_Prompt_Interface* p;
    uint8_t session;

    if (inst == 0 || inst->Prompt == 0)
    {
        return;
    }
    p = inst->Prompt;
    /* Session holds the communication session (the Prompt's counter, which BasicComms
     * mirrors) whose set-up is done. In a new one (every (re)establishment has one) the
     * modem has lost text mode and report settings; keeping Session just behind it
     * means it can never match by wrapping round. (Whether the link is up does not
     * matter here: the counter only moves on when it comes up.) */
    session = p->Session;
    if (session != inst->Session)
    {
        inst->Session = (uint8_t)(session - 1u);
    }

    if (inst->Phase != SP_QUEUED)
    {
        return; /* (the Start event moves a granted message on at once) */
    }
    if (gsmBasicCommsIfLinkEstablished(inst->BasicComms, p, 0) &&
        (inst->NetworkRegistration == 0 || gsmNetworkRegistrationIfIsSmsAvailable(inst->NetworkRegistration)))
    {
        /* A queued message never holds the turn, so asking again is harmless. */
        gsmPromptRequest(p, &inst->Client);
    }
    else
    {
        gsmPromptAbort(p, &inst->Client); /* withdraw a waiting request */
        if (gsmUtilExpired(&inst->Start_ms, GSM_SMS_SEND_NETWORK_WAIT_MS))
        {
            fail(inst, GSM_Result_Timeout, 0);
        }
    }
}

bool gsmSmsSend(GSM_SmsSend_Instance* inst, const char* phoneNumber, const char* textBody)
{
    size_t i;
    TextCount n = 0;
    const char* s;

    if (inst == 0 || phoneNumber == 0 || textBody == 0 || inst->Phase != SP_IDLE)
    {
        return false;
    }
    /* Number: optional '+', then at least one digit, '*' or '#' (the end of an empty
     * number, or of '+' alone, is none of them). */
    i = (phoneNumber[0] == '+') ? 1u : 0u;
    do
    {
        char c = phoneNumber[i];
        if (i >= GSM_SMS_MAX_PHONE_NUMBER || !((c >= '0' && c <= '9') || c == '*' || c == '#'))
        {
            return false;
        }
    } while (phoneNumber[++i] != '\0');
    /* Text: CR LF and CR become LF (a CR would make the modem prompt again); Ctrl-Z and
     * ESC would end or cancel the input and are refused. Too long: refused whole. */
    for (s = textBody; *s != '\0'; s++)
    {
        char c = *s;
        if (c == 0x1A || c == 0x1B || (!(c == '\r' && s[1] == '\n') && ++n > GSM_SMS_SEND_MAX_TEXT))
        {
            return false; /* CR LF counts as one character */
        }
    }
    /* Kept, not copied; the engine writes the line ends as LF. */
    inst->Text = textBody;
    inst->PhoneNumber = phoneNumber;
    inst->Phase = SP_QUEUED;
    gsmUtilStamp(&inst->Start_ms);
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

bool gsmSmsSendParseDeliveryReportTimes(GSM_SmsSend_Event_DeliveryStatusReport* report)
{
    bool ok;

    if (report == 0)
    {
        return false;
    }
    /* Both stamps, even when the first is malformed. */
    ok = gsmUtilParseScts(report->ServiceCentreTimeStamp, &report->ServiceCentreEpoch,
                          &report->ServiceCentreTimeZoneOffsetInSeconds);
    return gsmUtilParseScts(report->DischargeTimeStamp, &report->DischargeEpoch,
                            &report->DischargeTimeZoneOffsetInSeconds) && ok;
}
