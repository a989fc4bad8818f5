/*
 * GSM_BasicComms.c - synchronisation and link supervision (see GSM_BasicComms.h).
 */
#include "GSM_BasicComms.h"
#include "GSM_Util.h"

enum
{
    BP_BOOT = 0,    /* modem off, or just switched on: let it boot */
    BP_SYNC,        /* probing with "AT" */
    BP_CONFIG,      /* echo and error-report settings */
    BP_ESTABLISHED, /* communication established */
    BP_PROBE,       /* established, keep-alive "AT" running (its turn came) */
    BP_RESTARTED    /* the modem announced a restart (RDY): synchronise again */
};

#define SYNC_PROBE_TIMEOUT_MS 800u
#define KEEPALIVE_TIMEOUT_MS 3000u

/* The timeouts of the set-up commands and probes are passed as 16 bits. */
#if GSM_BASICCOMMS_SETUP_TIMEOUT_MS > 0xFFFFu
#error "GSM_BASICCOMMS_SETUP_TIMEOUT_MS is at most 65535"
#endif

/* Echo on or off, then numeric +CME ERROR codes (optional: bit 1). */
static const char kConfigEchoOn[] GSM_FLASH = "ATE1\0AT+CMEE=1\0";
static const char kConfigEchoOff[] GSM_FLASH = "ATE0\0AT+CMEE=1\0";
#define CONFIG_OPTIONAL 0x02u

static const char kProbe[] GSM_FLASH = "AT";

/* "RDY": the modem has (re)started; "NORMAL POWER DOWN": it is switching off. */
static const char kUrcs[] GSM_FLASH = "RDY\0NORMAL POWER DOWN\0";

bool gsmBasicCommsIfIsEstablished(const GSM_BasicComms_Interface* bc)
{
    return bc != 0 && bc->Established != 0u;
}

uint8_t gsmBasicCommsIfSession(const GSM_BasicComms_Interface* bc)
{
    return (bc != 0) ? bc->Session : 0u;
}

/* The set-up commands, the "AT" probes and AT+CMGS go out here, so the engine's writer
 * and send are copied into one place (a 16-bit timeout is cheaper to pass). */
bool gsmBasicCommsIfSend(GSM_Prompt_Interface* p, const char* text, uint16_t timeout_ms, uint8_t flags)
{
    gsmPromptWriteText_P(p, text);
    return gsmPromptSend(p, timeout_ms, flags);
}

bool gsmBasicCommsIfSequenceSend(GSM_Prompt_Interface* p, const char* list, uint8_t step)
{
    for (; step != 0u; list++)
    {
        if (GSM_FLASH_BYTE(list) == 0u)
        {
            step--; /* past the end of a command */
        }
    }
    if (GSM_FLASH_BYTE(list) == 0u)
    {
        return false; /* past the last command */
    }
    return gsmBasicCommsIfSend(p, list, GSM_BASICCOMMS_SETUP_TIMEOUT_MS, 0u);
}

GSM_BasicComms_SequenceState gsmBasicCommsIfSequenceFinal(GSM_Prompt_Interface* p, const GSM_Prompt_Event* ev,
                                                          const char* list, uint8_t* step, uint8_t optional)
{
    /* An optional command may be refused; a silent or switched-off modem always stops
     * the sequence. */
    if (ev->Result != GSM_Result_Ok &&
        (ev->Result >= GSM_Result_Timeout || ((optional >> *step) & 1u) == 0u))
    {
        return GSM_BasicComms_Sequence_Failed;
    }
    (*step)++;
    return gsmBasicCommsIfSequenceSend(p, list, *step) ? GSM_BasicComms_Sequence_Running
                                                                    : GSM_BasicComms_Sequence_Done;
}

/* Communication is lost (or not yet up): close the Prompt gate and start over in
 * `phase` (BP_BOOT or BP_SYNC). */
static void restart(GSM_BasicComms_Instance* inst, uint8_t phase)
{
    if (inst->_i.Established)
    {
        GSM_DEBUG_TEXT("[GSM] communication lost\n");
    }
    inst->_i.Established = 0;
    gsmPromptSetReady(inst->Prompt, false);
    inst->Step = 0;
    inst->Phase = phase;
    gsmUtilStamp(&inst->PhaseStart_ms);
}

static bool handler(GSM_Prompt_Client* client, GSM_Prompt_Event* ev)
{
    GSM_BasicComms_Instance* inst = GSM_CONTAINER_OF(client, GSM_BasicComms_Instance, Client);
    GSM_Prompt_Interface* p = inst->Prompt;
    const char* config = inst->EchoOn ? kConfigEchoOn : kConfigEchoOff;

    switch (ev->Type)
    {
    case GSM_Prompt_EventType_Start:
        if (inst->Phase == BP_CONFIG)
        {
            (void)gsmBasicCommsIfSequenceSend(p, config, inst->Step);
        }
        else if (inst->Phase == BP_SYNC)
        {
            gsmUtilStamp(&inst->PhaseStart_ms);
            (void)gsmBasicCommsIfSend(p, kProbe, SYNC_PROBE_TIMEOUT_MS, 0u);
        }
        else if (inst->Phase == BP_ESTABLISHED)
        {
            inst->Phase = BP_PROBE;
            (void)gsmBasicCommsIfSend(p, kProbe, KEEPALIVE_TIMEOUT_MS, 0u);
        }
        return false;

    case GSM_Prompt_EventType_Urc:
        inst->Phase = BP_RESTARTED; /* served by Poll */
        return true;

    case GSM_Prompt_EventType_Final:
        if (inst->Phase == BP_SYNC)
        {
            if (ev->Result >= GSM_Result_Timeout)
            {
                if (++inst->Step >= GSM_BASICCOMMS_SYNC_ATTEMPTS && inst->Power != 0)
                {
                    /* Silent modem: restart it (reset line or power cycle). */
                    inst->Power->RestartRequest = 1u; /* (gsmPowerIfRequestRestart) */
                    restart(inst, BP_BOOT);
                }
            }
            else
            {
                /* Any answer, even ERROR, proves the link. */
                inst->Phase = BP_CONFIG;
                inst->Step = 0;
                (void)gsmBasicCommsIfSequenceSend(p, config, 0u);
            }
        }
        else if (inst->Phase == BP_CONFIG)
        {
            GSM_BasicComms_SequenceState st =
                gsmBasicCommsIfSequenceFinal(p, ev, config, &inst->Step, CONFIG_OPTIONAL);
            if (st == GSM_BasicComms_Sequence_Done)
            {
                inst->Phase = BP_ESTABLISHED;
                /* Open the gate, closed since restart() (gsmPromptSetReady with p
                 * known): a new session. */
                p->Session++;
                p->Ready = 1u;
                inst->_i.Session = p->Session;
                inst->_i.Established = 1u;
                GSM_DEBUG_TEXT("[GSM] communication established\n");
            }
            else if (st == GSM_BasicComms_Sequence_Failed)
            {
                restart(inst, BP_SYNC);
            }
        }
        else if (inst->Phase == BP_PROBE)
        {
            inst->Phase = BP_ESTABLISHED;
            if (ev->Result == GSM_Result_Timeout)
            {
                restart(inst, BP_SYNC);
            }
        }
        return false;

    default:
        return false;
    }
}

void gsmBasicCommsInit(GSM_BasicComms_Instance* inst)
{
    if (inst == 0)
    {
        return;
    }
    inst->Client.Options = GSM_PROMPT_CLIENT_UNGATED;
    gsmPromptRegisterHandler(inst->Prompt, &inst->Client, &handler, kUrcs); /* (ignores a null Prompt) */
    /* (PowerSession is left: should it differ from the Power module's, the first Poll
     * starts the boot wait once more.) */
    restart(inst, BP_BOOT); /* (clears Established; closes the gate of a Prompt that is given) */
}

void gsmBasicCommsPoll(GSM_BasicComms_Instance* inst)
{
    GSM_Prompt_Interface* p;
    uint8_t phase;

    if (inst == 0 || inst->Prompt == 0)
    {
        return;
    }
    p = inst->Prompt;
    phase = inst->Phase;

    if (inst->Power != 0 &&
        (!gsmPowerIfIsOn(inst->Power) || gsmPowerIfSession(inst->Power) != inst->PowerSession))
    {
        /* Off, or switched on (again): let the modem boot before probing. */
        inst->PowerSession = gsmPowerIfSession(inst->Power);
        phase = BP_BOOT;
    }
    else if (phase == BP_RESTARTED)
    {
        /* The modem restarted by itself: its settings are gone. */
        phase = BP_SYNC;
    }
    else if (phase >= BP_ESTABLISHED && p->ConsecutiveTimeouts >= GSM_BASICCOMMS_LOST_TIMEOUTS)
    {
        /* Several commands went unanswered: the link is gone. */
        phase = BP_SYNC;
    }
    else
    {
        /* What is due once its time is up: the first probe after the boot delay, a
         * synchronisation's first probe at once and every further one an interval after
         * the last (Step counts them), the next set-up command at once, a keep-alive
         * probe after an idle time (a keep-alive probe, asked for or running, keeps the
         * client busy until its Final). */
        if (gsmPromptIsBusy(p, &inst->Client) ||
            !gsmUtilExpired((phase == BP_ESTABLISHED) ? &p->LastResponse_ms : &inst->PhaseStart_ms,
                             (phase == BP_BOOT)          ? GSM_BASICCOMMS_BOOT_DELAY_MS
                             : (phase == BP_SYNC && inst->Step != 0u) ? GSM_BASICCOMMS_SYNC_INTERVAL_MS
                             : (phase == BP_ESTABLISHED) ? GSM_BASICCOMMS_KEEPALIVE_MS
                                                         : 0u))
        {
            return;
        }
        if (phase == BP_BOOT)
        {
            restart(inst, BP_SYNC);
            return;
        }
        gsmPromptRequest(p, &inst->Client);
        return;
    }
    gsmPromptAbort(p, &inst->Client);
    restart(inst, phase);
}

bool gsmBasicCommsCommunicationEstablished(GSM_BasicComms_Instance* inst)
{
    return inst != 0 && inst->_i.Established != 0u;
}
