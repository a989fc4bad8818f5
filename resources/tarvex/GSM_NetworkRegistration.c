/*
 * GSM_NetworkRegistration.c - registration state from +CREG/+CGREG/+CEREG (see
 * GSM_NetworkRegistration.h).
 */
#include "GSM_NetworkRegistration.h"
#include "GSM_Util.h"

/* Phase: the command a set-up or query starts with */
#define NP_NEW   0u  /* URCs not enabled yet in this session: the whole list */
#define NP_READY 3u  /* set up: only the state is read from time to time (the queries) */

#define NETREG_RETRY_MS 5000u

/* The URCs on (a modem without GPRS or LTE refuses those: optional), then the current
 * state of each domain; the queries alone are the last three commands (from NP_READY on). */
static const char kSetup[] GSM_FLASH = "AT+CREG=1\0AT+CGREG=1\0AT+CEREG=1\0AT+CREG?\0AT+CGREG?\0AT+CEREG?\0";
#define SETUP_OPTIONAL 0x36u

static const char kUrcs[] GSM_FLASH = "+CREG:\0+CGREG:\0+CEREG:\0";

/* True when communication is up and a domain from `first` on is registered (home or
 * roaming), or with `smsOnly` registered for SMS only. */
static bool registeredFrom(const GSM_NetworkRegistration_Interface* nr, uint8_t first, bool smsOnly)
{
    if (nr == 0 || !nr->Established)
    {
        return false;
    }
    for (; first < 3u; first++)
    {
        uint8_t s = nr->Status[first];
        if (s == (uint8_t)GSM_NetworkRegistration_Status_Home || s == (uint8_t)GSM_NetworkRegistration_Status_Roaming ||
            (smsOnly && (s == (uint8_t)GSM_NetworkRegistration_Status_SmsOnlyHome ||
                         s == (uint8_t)GSM_NetworkRegistration_Status_SmsOnlyRoaming)))
        {
            return true;
        }
    }
    return false;
}

bool gsmNetworkRegistrationIfIsRegistered(const GSM_NetworkRegistration_Interface* nr)
{
    return registeredFrom(nr, 0u, false);
}

bool gsmNetworkRegistrationIfIsPacketRegistered(const GSM_NetworkRegistration_Interface* nr)
{
    return registeredFrom(nr, (uint8_t)GSM_NetworkRegistration_Domain_GPRS, false);
}

bool gsmNetworkRegistrationIfIsSmsAvailable(const GSM_NetworkRegistration_Interface* nr)
{
    return registeredFrom(nr, 0u, true);
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

/* Nothing known yet and the whole set-up to do: after Init (`established` 0) and in every
 * new communication session (out of line: the two share it). */
GSM_NOINLINE static void startOver(GSM_NetworkRegistration_Instance* inst, uint8_t established)
{
    inst->_i.Established = established;
    inst->Phase = NP_NEW;
    inst->_i.Status[0] = (uint8_t)GSM_NetworkRegistration_Status_NotQueried;
    inst->_i.Status[1] = (uint8_t)GSM_NetworkRegistration_Status_NotQueried;
    inst->_i.Status[2] = (uint8_t)GSM_NetworkRegistration_Status_NotQueried;
}

/* Parses a +CREG/+CGREG/+CEREG line, URC ("+CREG: <stat>[,<lac>,<ci>...]") or read reply
 * ("+CREG: <n>,<stat>[,...]"). In the URC the field after <stat> is a quoted area code,
 * in the read reply it is the unquoted <stat>, which tells the two apart. <stat> is read
 * in place: one or two digits (0..10), blanks around them, then a comma or the end. */
static bool parseRegistration(GSM_NetworkRegistration_Instance* inst, char* line)
{
    int8_t domain = gsmUtilFindPrefix(line, kUrcs); /* the prefixes in domain order */
    const char* s;
    uint8_t stat;

    if (domain < 0)
    {
        return false;
    }
    while (*line != ':') /* up to the colon of "+CREG:", "+CGREG:" or "+CEREG:" */
    {
        line++;
    }
    s = ++line;
    while (*line != '\0' && *line != ',')
    {
        line++;
    }
    if (*line == ',')
    {
        while (*++line == ' ')
        {
        }
        if (*line != '"')
        {
            s = line;
        }
    }
    while (*s == ' ')
    {
        s++;
    }
    stat = (uint8_t)(*s - '0');
    if (stat <= 9u)
    {
        uint8_t d = (uint8_t)(*++s - '0');
        if (d <= 9u)
        {
            stat = (uint8_t)(stat * 10u + d);
            s++;
        }
        while (*s == ' ')
        {
            s++;
        }
        if ((*s == ',' || *s == '\0') && stat <= 10u)
        {
            inst->_i.Status[domain] = stat;
        }
    }
    return true; /* ours, even when malformed */
}

static bool handler(GSM_Prompt_Client* client, GSM_Prompt_Event* ev)
{
    GSM_NetworkRegistration_Instance* inst = GSM_CONTAINER_OF(client, GSM_NetworkRegistration_Instance, Client);
    GSM_Prompt_Interface* p = inst->Prompt;

    switch (ev->Type)
    {
    case GSM_Prompt_EventType_Start:
        /* Set up (URCs and state) until that succeeded once, afterwards only the queries. */
        inst->Step = inst->Phase;
        (void)gsmBasicCommsIfSequenceSend(p, kSetup, inst->Step);
        return false;

    case GSM_Prompt_EventType_Line:
    case GSM_Prompt_EventType_Urc:
        return parseRegistration(inst, ev->Line);

    case GSM_Prompt_EventType_Final:
    {
        GSM_BasicComms_SequenceState st =
            gsmBasicCommsIfSequenceFinal(p, ev, kSetup, &inst->Step, SETUP_OPTIONAL);
        if (st == GSM_BasicComms_Sequence_Running)
        {
            return false;
        }
        if (st == GSM_BasicComms_Sequence_Done)
        {
            inst->Phase = NP_READY;
        }
        /* Poll waits from here: a failed set-up is retried soon, a failed query waits for
         * the next one. */
        gsmUtilStamp(&inst->LastQuery_ms);
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
    gsmPromptRegisterHandler(inst->Prompt, &inst->Client, &handler, kUrcs); /* (ignores a null Prompt) */
    startOver(inst, 0u); /* (the first Poll that finds communication starts the set-up) */
}

void gsmNetworkRegistrationPoll(GSM_NetworkRegistration_Instance* inst)
{
    GSM_Prompt_Interface* p;
    uint8_t session;

    if (inst == 0 || inst->Prompt == 0)
    {
        return;
    }
    p = inst->Prompt;
    if (!gsmBasicCommsIfLinkEstablished(inst->BasicComms, p, 0))
    {
        inst->_i.Established = 0;
        return;
    }
    session = p->Session; /* (the Prompt's counter, which BasicComms mirrors) */
    if (!inst->_i.Established || session != inst->_i.Session)
    {
        /* New communication session: the modem forgot the URC settings. Set up at once. */
        gsmPromptAbort(p, &inst->Client);
        inst->_i.Session = session;
        startOver(inst, 1u);
    }
    else if (gsmPromptIsBusy(p, &inst->Client) ||
             !gsmUtilExpired(&inst->LastQuery_ms, (inst->Phase == NP_NEW) ? NETREG_RETRY_MS
                                                  : gsmNetworkRegistrationIfIsRegistered(&inst->_i)
                                                      ? GSM_NETREG_POLL_REGISTERED_MS
                                                      : GSM_NETREG_POLL_UNREGISTERED_MS))
    {
        return; /* a sequence runs (the client is busy), or the next is not due yet */
    }
    gsmPromptRequest(p, &inst->Client);
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
