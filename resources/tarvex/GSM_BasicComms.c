/*
 * GSM_BasicComms.c - synchronisation and link supervision (see GSM_BasicComms.h).
 */
#include "GSM_BasicComms.h"
#include "GSM_Util.h"

enum
{
    BP_WAIT_POWER = 0, /* modem off */
    BP_BOOT,           /* modem just switched on: let it boot */
    BP_SYNC,           /* probing with "AT" */
    BP_CONFIG,         /* echo and error-report settings */
    BP_ESTABLISHED     /* communication established */
};

/* Flags */
#define BF_PROBE     0x01u  /* keep-alive probe requested/running */
#define BF_RESTARTED 0x02u  /* the modem announced a restart (RDY) */

#define SYNC_PROBE_TIMEOUT_MS 800u
#define CONFIG_TIMEOUT_MS 3000u
#define KEEPALIVE_TIMEOUT_MS 3000u

static const char kConfigEchoOn0[] GSM_FLASH = "ATE1";
static const char kConfigEchoOn1[] GSM_FLASH = "AT+CMEE=1";
static const GSM_Prompt_Step kConfigEchoOn[] GSM_FLASH = {
    {kConfigEchoOn0, CONFIG_TIMEOUT_MS, 0},
    {kConfigEchoOn1, CONFIG_TIMEOUT_MS, GSM_PROMPT_STEP_OPTIONAL},
};
static const char kConfigEchoOff0[] GSM_FLASH = "ATE0";
static const GSM_Prompt_Step kConfigEchoOff[] GSM_FLASH = {
    {kConfigEchoOff0, CONFIG_TIMEOUT_MS, 0},
    {kConfigEchoOn1, CONFIG_TIMEOUT_MS, GSM_PROMPT_STEP_OPTIONAL},
};

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

static void enterPhase(GSM_BasicComms_Instance* inst, uint8_t phase)
{
    inst->Phase = phase;
    inst->PhaseStart_ms = gsm__SysTime_ms();
}

static void lose(GSM_BasicComms_Instance* inst)
{
    if (inst->_i.Established)
    {
        GSM_DEBUG_TEXT("[GSM] communication lost\n");
    }
    inst->_i.Established = 0;
    gsmPromptSetReady(inst->Prompt, false);
}

static void startSync(GSM_BasicComms_Instance* inst)
{
    lose(inst);
    inst->Attempts = 0;
    inst->Flags = 0;
    enterPhase(inst, BP_SYNC);
    /* The first probe goes out at once. */
    inst->PhaseStart_ms -= GSM_BASICCOMMS_SYNC_INTERVAL_MS;
}

static bool handler(GSM_Prompt_Client* client, GSM_Prompt_Event* ev)
{
    GSM_BasicComms_Instance* inst = GSM_CONTAINER_OF(client, GSM_BasicComms_Instance, Client);
    GSM_Prompt_Interface* p = inst->Prompt;

    switch (ev->Type)
    {
    case GSM_Prompt_EventType_Start:
        if (inst->Phase == BP_SYNC)
        {
            inst->PhaseStart_ms = gsm__SysTime_ms();
            (void)gsmPromptSendCommand_P(p, GSM_F("AT"), SYNC_PROBE_TIMEOUT_MS);
        }
        else if (inst->Phase == BP_CONFIG)
        {
            (void)gsmPromptChainSend(p, &inst->Chain);
        }
        else if (inst->Phase == BP_ESTABLISHED && (inst->Flags & BF_PROBE))
        {
            (void)gsmPromptSendCommand_P(p, GSM_F("AT"), KEEPALIVE_TIMEOUT_MS);
        }
        return false;

    case GSM_Prompt_EventType_Urc:
        inst->Flags |= BF_RESTARTED;
        return true;

    case GSM_Prompt_EventType_Final:
        if (inst->Phase == BP_SYNC)
        {
            if (ev->Result == GSM_Result_Timeout || ev->Result == GSM_Result_Aborted)
            {
                inst->Attempts++;
                if (inst->Attempts >= GSM_BASICCOMMS_SYNC_ATTEMPTS && inst->Power != 0)
                {
                    /* Silent modem: restart it (reset line or power cycle). */
                    gsmPowerIfRequestRestart(inst->Power);
                    inst->Attempts = 0;
                    enterPhase(inst, BP_WAIT_POWER);
                }
            }
            else
            {
                /* Any answer, even ERROR, proves the link. */
                enterPhase(inst, BP_CONFIG);
                if (inst->EchoOn)
                {
                    gsmPromptChainBegin_P(&inst->Chain, kConfigEchoOn, 2u);
                }
                else
                {
                    gsmPromptChainBegin_P(&inst->Chain, kConfigEchoOff, 2u);
                }
                (void)gsmPromptChainSend(p, &inst->Chain);
            }
        }
        else if (inst->Phase == BP_CONFIG)
        {
            GSM_Prompt_ChainState st = gsmPromptChainOnFinal(p, &inst->Chain, ev);
            if (st == GSM_Prompt_ChainState_Done)
            {
                enterPhase(inst, BP_ESTABLISHED);
                inst->Flags = 0;
                gsmPromptSetReady(p, true);
                inst->_i.Session = gsmPromptSession(p);
                inst->_i.Established = 1u;
                GSM_DEBUG_TEXT("[GSM] communication established\n");
            }
            else if (st == GSM_Prompt_ChainState_Failed)
            {
                startSync(inst);
            }
        }
        else if (inst->Phase == BP_ESTABLISHED && (inst->Flags & BF_PROBE))
        {
            inst->Flags &= (uint8_t)~BF_PROBE;
            if (ev->Result == GSM_Result_Timeout)
            {
                startSync(inst);
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
    inst->Client.Handler = &handler;
    inst->Client.UrcPrefixList = kUrcs;
    inst->Client.Options = GSM_PROMPT_CLIENT_UNGATED;
    inst->_i.Established = 0;
    inst->Flags = 0;
    inst->Attempts = 0;
    inst->PowerSession = (inst->Power != 0) ? gsmPowerIfSession(inst->Power) : 0u;
    enterPhase(inst, BP_WAIT_POWER);
    if (inst->Prompt != 0)
    {
        gsmPromptSetReady(inst->Prompt, false);
        gsmPromptRegisterClient(inst->Prompt, &inst->Client);
    }
}

void gsmBasicCommsPoll(GSM_BasicComms_Instance* inst)
{
    GSM_Prompt_Interface* p;

    if (inst == 0 || inst->Prompt == 0)
    {
        return;
    }
    p = inst->Prompt;

    if (inst->Power != 0)
    {
        if (!gsmPowerIfIsOn(inst->Power))
        {
            lose(inst);
            gsmPromptAbort(p, &inst->Client);
            inst->Flags = 0;
            enterPhase(inst, BP_WAIT_POWER);
            return;
        }
        if (gsmPowerIfSession(inst->Power) != inst->PowerSession)
        {
            /* Switched on (again): let the modem boot before probing. */
            inst->PowerSession = gsmPowerIfSession(inst->Power);
            lose(inst);
            gsmPromptAbort(p, &inst->Client);
            inst->Flags = 0;
            enterPhase(inst, BP_BOOT);
        }
    }
    if (inst->Flags & BF_RESTARTED)
    {
        /* The modem restarted by itself: its settings are gone. */
        gsmPromptAbort(p, &inst->Client);
        startSync(inst);
    }

    switch (inst->Phase)
    {
    case BP_WAIT_POWER:
        enterPhase(inst, BP_BOOT);
        break;

    case BP_BOOT:
        if (gsmUtilTimedOut(inst->PhaseStart_ms, GSM_BASICCOMMS_BOOT_DELAY_MS))
        {
            startSync(inst);
        }
        break;

    case BP_SYNC:
        if (!gsmPromptIsBusy(p, &inst->Client) &&
            gsmUtilTimedOut(inst->PhaseStart_ms, GSM_BASICCOMMS_SYNC_INTERVAL_MS))
        {
            inst->PhaseStart_ms = gsm__SysTime_ms();
            gsmPromptRequest(p, &inst->Client);
        }
        break;

    case BP_CONFIG:
        if (!gsmPromptIsBusy(p, &inst->Client))
        {
            gsmPromptRequest(p, &inst->Client);
        }
        break;

    case BP_ESTABLISHED:
        if (p->ConsecutiveTimeouts >= GSM_BASICCOMMS_LOST_TIMEOUTS)
        {
            /* Several commands went unanswered: the link is gone. */
            startSync(inst);
        }
        else if (!gsmPromptIsBusy(p, &inst->Client) && !(inst->Flags & BF_PROBE) &&
                 gsmUtilTimedOut(p->LastResponse_ms, GSM_BASICCOMMS_KEEPALIVE_MS))
        {
            inst->Flags |= BF_PROBE;
            gsmPromptRequest(p, &inst->Client);
        }
        break;

    default:
        enterPhase(inst, BP_WAIT_POWER);
        break;
    }
}

bool gsmBasicCommsCommunicationEstablished(GSM_BasicComms_Instance* inst)
{
    return inst != 0 && inst->_i.Established != 0u;
}
