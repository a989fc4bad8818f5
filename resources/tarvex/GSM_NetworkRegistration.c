/*
 * GSM_NetworkRegistration.c - registration state from +CREG/+CGREG/+CEREG (see
 * GSM_NetworkRegistration.h).
 */
#include "GSM_NetworkRegistration.h"
#include "GSM_Util.h"

enum
{
    NP_IDLE = 0,  /* nothing running */
    NP_SETUP,     /* enabling the URCs, then reading the state */
    NP_QUERY      /* reading the state */
};

/* Flags */
#define NF_SETUP_DONE 0x01u

#define NETREG_TIMEOUT_MS 5000u
#define NETREG_RETRY_MS 5000u

static const char kSetup0[] GSM_FLASH = "AT+CREG=1";
static const char kSetup1[] GSM_FLASH = "AT+CGREG=1";
static const char kSetup2[] GSM_FLASH = "AT+CEREG=1";
static const char kSetup3[] GSM_FLASH = "AT+CREG?";
static const char kSetup4[] GSM_FLASH = "AT+CGREG?";
static const char kSetup5[] GSM_FLASH = "AT+CEREG?";
static const GSM_Prompt_Step kSetup[] GSM_FLASH = {
    {kSetup0, NETREG_TIMEOUT_MS, 0},
    {kSetup1, NETREG_TIMEOUT_MS, GSM_PROMPT_STEP_OPTIONAL},
    {kSetup2, NETREG_TIMEOUT_MS, GSM_PROMPT_STEP_OPTIONAL},
    {kSetup3, NETREG_TIMEOUT_MS, 0},
    {kSetup4, NETREG_TIMEOUT_MS, GSM_PROMPT_STEP_OPTIONAL},
    {kSetup5, NETREG_TIMEOUT_MS, GSM_PROMPT_STEP_OPTIONAL},
};
#define SETUP_STEPS 6u
#define QUERY_FIRST 3u /* the queries are the last three steps */

static const char kUrcs[] GSM_FLASH = "+CREG:\0+CGREG:\0+CEREG:\0";

static bool isRegistered(uint8_t stat)
{
    return stat == (uint8_t)GSM_NetworkRegistration_Status_Home ||
           stat == (uint8_t)GSM_NetworkRegistration_Status_Roaming;
}

bool gsmNetworkRegistrationIfIsRegistered(const GSM_NetworkRegistration_Interface* nr)
{
    return nr != 0 && nr->Established &&
           (isRegistered(nr->Status[0]) || isRegistered(nr->Status[1]) || isRegistered(nr->Status[2]));
}

bool gsmNetworkRegistrationIfIsPacketRegistered(const GSM_NetworkRegistration_Interface* nr)
{
    return nr != 0 && nr->Established && (isRegistered(nr->Status[1]) || isRegistered(nr->Status[2]));
}

bool gsmNetworkRegistrationIfIsSmsAvailable(const GSM_NetworkRegistration_Interface* nr)
{
    uint8_t i;
    if (nr == 0 || !nr->Established)
    {
        return false;
    }
    for (i = 0; i < 3u; i++)
    {
        uint8_t s = nr->Status[i];
        if (isRegistered(s) || s == (uint8_t)GSM_NetworkRegistration_Status_SmsOnlyHome ||
            s == (uint8_t)GSM_NetworkRegistration_Status_SmsOnlyRoaming)
        {
            return true;
        }
    }
    return false;
}

GSM_NetworkRegistration_Status gsmNetworkRegistrationIfGetStatus(const GSM_NetworkRegistration_Interface* nr,
                                                                 GSM_NetworkRegistration_Domain domain)
{
    if (nr == 0 || (unsigned)domain > 2u)
    {
        return GSM_NetworkRegistration_Status_NotQueried;
    }
    return (GSM_NetworkRegistration_Status)nr->Status[domain];
}

bool gsmNetworkRegistrationIfIsEstablished(const GSM_NetworkRegistration_Interface* nr)
{
    return nr != 0 && nr->Established != 0u;
}

uint8_t gsmNetworkRegistrationIfSession(const GSM_NetworkRegistration_Interface* nr)
{
    return (nr != 0) ? nr->Session : 0u;
}

static void clearStatus(GSM_NetworkRegistration_Instance* inst)
{
    inst->_i.Status[0] = (uint8_t)GSM_NetworkRegistration_Status_NotQueried;
    inst->_i.Status[1] = (uint8_t)GSM_NetworkRegistration_Status_NotQueried;
    inst->_i.Status[2] = (uint8_t)GSM_NetworkRegistration_Status_NotQueried;
}

/* Parses a +CREG/+CGREG/+CEREG line, URC ("+CREG: <stat>[,<lac>,<ci>...]") or read reply
 * ("+CREG: <n>,<stat>[,...]"). In the URC the field after <stat> is a quoted area code,
 * in the read reply it is the unquoted <stat>, which tells the two apart. */
static bool parseRegistration(GSM_NetworkRegistration_Instance* inst, char* line)
{
    int8_t domain = gsmUtilFindPrefix(line, kUrcs); /* the prefixes in domain order */
    char* args = line;
    char* fields[3];
    uint8_t n;
    char* comma;
    bool urcForm;
    int32_t stat;

    if (domain < 0)
    {
        return false;
    }
    while (*args++ != ':')
    {
    }
    comma = args;
    while (*comma != '\0' && *comma != ',')
    {
        comma++;
    }
    if (*comma == ',')
    {
        comma++;
        while (*comma == ' ')
        {
            comma++;
        }
        urcForm = (*comma == '"');
    }
    else
    {
        urcForm = true;
    }
    n = gsmUtilSplitArgs(args, fields, 3u);
    if (n == 0u || (!urcForm && n < 2u))
    {
        return true; /* ours, but malformed: ignore */
    }
    if (gsmUtilParseInt(fields[urcForm ? 0 : 1], &stat) && stat >= 0 && stat <= 10)
    {
        inst->_i.Status[domain] = (uint8_t)stat;
    }
    return true;
}

static bool handler(GSM_Prompt_Client* client, GSM_Prompt_Event* ev)
{
    GSM_NetworkRegistration_Instance* inst = GSM_CONTAINER_OF(client, GSM_NetworkRegistration_Instance, Client);
    GSM_Prompt_Interface* p = inst->Prompt;

    switch (ev->Type)
    {
    case GSM_Prompt_EventType_Start:
        (void)gsmPromptChainSend(p, &inst->Chain);
        return false;

    case GSM_Prompt_EventType_Line:
    case GSM_Prompt_EventType_Urc:
        return parseRegistration(inst, ev->Line);

    case GSM_Prompt_EventType_Final:
    {
        GSM_Prompt_ChainState st = gsmPromptChainOnFinal(p, &inst->Chain, ev);
        if (st == GSM_Prompt_ChainState_Running)
        {
            return false;
        }
        if (inst->Phase == NP_SETUP)
        {
            if (st == GSM_Prompt_ChainState_Done)
            {
                inst->Flags |= NF_SETUP_DONE;
                inst->LastQuery_ms = gsm__SysTime_ms();
            }
            else
            {
                /* Retry the set-up soon. */
                inst->LastQuery_ms = gsm__SysTime_ms() - GSM_NETREG_POLL_UNREGISTERED_MS + NETREG_RETRY_MS;
            }
        }
        else
        {
            inst->LastQuery_ms = gsm__SysTime_ms();
        }
        inst->Phase = NP_IDLE;
        return false;
    }

    default:
        return false;
    }
}

void gsmNetworkRegistrationInit(GSM_NetworkRegistration_Instance* inst)
{
    if (inst == 0)
    {
        return;
    }
    clearStatus(inst);
    inst->_i.Established = 0;
    inst->Flags = 0;
    inst->Phase = NP_IDLE;
    inst->Client.Handler = &handler;
    inst->Client.UrcPrefixList = kUrcs;
    if (inst->Prompt != 0)
    {
        inst->_i.Session = (uint8_t)(gsmPromptSession(inst->Prompt) - 1u); /* forces the set-up */
        gsmPromptRegisterClient(inst->Prompt, &inst->Client);
    }
}

void gsmNetworkRegistrationPoll(GSM_NetworkRegistration_Instance* inst)
{
    GSM_Prompt_Interface* p;
    bool established;
    uint8_t session;

    if (inst == 0 || inst->Prompt == 0)
    {
        return;
    }
    p = inst->Prompt;
    established = gsmBasicCommsIfLinkEstablished(inst->BasicComms, p, &session);

    if (!established)
    {
        inst->_i.Established = 0;
        return;
    }
    if (!inst->_i.Established || session != inst->_i.Session)
    {
        /* New communication session: the modem forgot the URC settings. */
        gsmPromptAbort(p, &inst->Client);
        inst->_i.Session = session;
        inst->_i.Established = 1u;
        inst->Flags = 0;
        inst->Phase = NP_IDLE;
        clearStatus(inst);
        inst->LastQuery_ms = gsm__SysTime_ms() - GSM_NETREG_POLL_UNREGISTERED_MS; /* due now */
    }
    if (inst->Phase != NP_IDLE || gsmPromptIsBusy(p, &inst->Client))
    {
        return;
    }
    if (!(inst->Flags & NF_SETUP_DONE))
    {
        if (gsmUtilTimedOut(inst->LastQuery_ms, GSM_NETREG_POLL_UNREGISTERED_MS))
        {
            inst->Phase = NP_SETUP;
            gsmPromptChainBegin_P(&inst->Chain, kSetup, SETUP_STEPS);
            gsmPromptRequest(p, &inst->Client);
        }
        return;
    }
    if (gsmUtilTimedOut(inst->LastQuery_ms, gsmNetworkRegistrationIfIsRegistered(&inst->_i)
                                                ? GSM_NETREG_POLL_REGISTERED_MS
                                                : GSM_NETREG_POLL_UNREGISTERED_MS))
    {
        inst->Phase = NP_QUERY;
        gsmPromptChainBegin_P(&inst->Chain, kSetup + QUERY_FIRST, SETUP_STEPS - QUERY_FIRST);
        gsmPromptRequest(p, &inst->Client);
    }
}

bool gsmNetworkRegistrationIsRegistered(GSM_NetworkRegistration_Instance* inst)
{
    return inst != 0 && gsmNetworkRegistrationIfIsRegistered(&inst->_i);
}

GSM_NetworkRegistration_Status gsmNetworkRegistrationGetStatus(GSM_NetworkRegistration_Instance* inst,
                                                               GSM_NetworkRegistration_Domain domain)
{
    return (inst != 0) ? gsmNetworkRegistrationIfGetStatus(&inst->_i, domain)
                       : GSM_NetworkRegistration_Status_NotQueried;
}
