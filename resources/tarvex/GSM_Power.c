/*
 * GSM_Power.c - power key, status input and reset line handling (see GSM_Power.h).
 */
#include "GSM_Power.h"
#include "GSM_Util.h"

enum
{
    PP_STEADY = 0,   /* nothing in progress: compare wanted and actual state */
    PP_PRESS_ON,     /* power key held to switch on */
    PP_PRESS_OFF,    /* power key held to switch off */
    PP_WAIT_ON,      /* key released, waiting for the status input to go high */
    PP_WAIT_OFF,     /* key released, waiting for the status input to go low */
    PP_RESET_PULSE,  /* reset line asserted */
    PP_RESET_SETTLE, /* reset released, modem restarting */
    PP_PAUSE         /* repeated pulses failed: wait before the next attempt */
};

bool gsmPowerIfIsOn(const GSM_Power_Interface* pwr)
{
    return pwr != 0 && pwr->State == (uint8_t)GSM_Power_State_On;
}

GSM_Power_State gsmPowerIfGetState(const GSM_Power_Interface* pwr)
{
    return (pwr != 0) ? (GSM_Power_State)pwr->State : GSM_Power_State_Off;
}

uint8_t gsmPowerIfSession(const GSM_Power_Interface* pwr)
{
    return (pwr != 0) ? pwr->Session : 0u;
}

void gsmPowerIfRequestRestart(GSM_Power_Interface* pwr)
{
    if (pwr != 0)
    {
        pwr->RestartRequest = 1u;
    }
}

static void setKey(GSM_Power_Instance* inst, bool activated)
{
    if (inst->SetPowerKey != 0)
    {
        inst->SetPowerKey(inst, activated);
    }
}

static bool statusOn(GSM_Power_Instance* inst)
{
    return (inst->ReadStatus != 0) ? inst->ReadStatus(inst) : (inst->AssumedOn != 0u);
}

static void enterPhase(GSM_Power_Instance* inst, uint8_t phase)
{
    inst->Phase = phase;
    inst->PhaseStart_ms = gsm__SysTime_ms();
}

static void becameOn(GSM_Power_Instance* inst)
{
    if (inst->_i.State != (uint8_t)GSM_Power_State_On)
    {
        inst->_i.State = (uint8_t)GSM_Power_State_On;
        inst->_i.Session++;
        GSM_DEBUG_TEXT("[GSM] power on\n");
    }
}

void gsmPowerInit(GSM_Power_Instance* inst)
{
    if (inst == 0)
    {
        return;
    }
    if (inst->PowerOnPressTime_ms == 0u)
    {
        inst->PowerOnPressTime_ms = GSM_POWER_DEFAULT_ON_PRESS_MS;
    }
    if (inst->PowerOffPressTime_ms == 0u)
    {
        inst->PowerOffPressTime_ms = GSM_POWER_DEFAULT_OFF_PRESS_MS;
    }
    setKey(inst, false);
    if (inst->SetReset != 0)
    {
        inst->SetReset(inst, false);
    }
    inst->WantOn = 1u;
    inst->Attempts = 0;
    inst->AssumedOn = 0;
    inst->_i.State = (uint8_t)GSM_Power_State_Off;
    inst->_i.RestartRequest = 0;
    enterPhase(inst, PP_STEADY);
}

/* A pulse did not have its effect: press again, or pause after too many attempts. */
static void pulseFailed(GSM_Power_Instance* inst)
{
    inst->Attempts++;
    if (inst->Attempts >= GSM_POWER_MAX_ATTEMPTS)
    {
        inst->_i.State = (uint8_t)GSM_Power_State_Failed;
        enterPhase(inst, PP_PAUSE);
        GSM_DEBUG_TEXT("[GSM] power key has no effect\n");
    }
    else
    {
        enterPhase(inst, PP_STEADY);
    }
}

void gsmPowerPoll(GSM_Power_Instance* inst)
{
    bool on;

    if (inst == 0)
    {
        return;
    }
    on = statusOn(inst);

    switch (inst->Phase)
    {
    case PP_STEADY:
        if (inst->WantOn)
        {
            if (on)
            {
                inst->Attempts = 0;
                becameOn(inst);
                if (inst->_i.RestartRequest)
                {
                    inst->_i.RestartRequest = 0;
                    inst->_i.State = (uint8_t)GSM_Power_State_Resetting;
                    if (inst->SetReset != 0)
                    {
                        inst->SetReset(inst, true);
                        enterPhase(inst, PP_RESET_PULSE);
                    }
                    else
                    {
                        /* Power cycle: switch off; the steady state switches on again. */
                        setKey(inst, true);
                        enterPhase(inst, PP_PRESS_OFF);
                    }
                }
            }
            else
            {
                /* Off but wanted on (at start-up, or the modem dropped out). */
                inst->_i.State = (uint8_t)GSM_Power_State_SwitchingOn;
                inst->_i.RestartRequest = 0;
                setKey(inst, true);
                enterPhase(inst, PP_PRESS_ON);
            }
        }
        else
        {
            inst->_i.RestartRequest = 0;
            if (on)
            {
                inst->_i.State = (uint8_t)GSM_Power_State_SwitchingOff;
                setKey(inst, true);
                enterPhase(inst, PP_PRESS_OFF);
            }
            else
            {
                inst->Attempts = 0;
                inst->_i.State = (uint8_t)GSM_Power_State_Off;
            }
        }
        break;

    case PP_PRESS_ON:
    case PP_PRESS_OFF:
    {
        bool pressOn = (inst->Phase == PP_PRESS_ON);
        uint16_t t = pressOn ? inst->PowerOnPressTime_ms : inst->PowerOffPressTime_ms;
        if (gsmUtilTimedOut(inst->PhaseStart_ms, t))
        {
            setKey(inst, false);
            if (pressOn)
            {
                enterPhase(inst, PP_WAIT_ON);
            }
            else
            {
                if (inst->_i.State != (uint8_t)GSM_Power_State_Resetting)
                {
                    inst->_i.State = (uint8_t)GSM_Power_State_SwitchingOff;
                }
                enterPhase(inst, PP_WAIT_OFF);
            }
        }
        break;
    }

    case PP_WAIT_ON:
        if (inst->ReadStatus == 0 && gsmUtilTimedOut(inst->PhaseStart_ms, GSM_POWER_NO_STATUS_WAIT_MS))
        {
            inst->AssumedOn = 1u;
            on = true;
        }
        if (on)
        {
            enterPhase(inst, PP_STEADY);
            if (inst->WantOn)
            {
                inst->Attempts = 0;
                becameOn(inst);
            }
        }
        else if (gsmUtilTimedOut(inst->PhaseStart_ms, GSM_POWER_STATUS_TIMEOUT_MS))
        {
            pulseFailed(inst);
        }
        break;

    case PP_WAIT_OFF:
        if (inst->ReadStatus == 0 && gsmUtilTimedOut(inst->PhaseStart_ms, GSM_POWER_NO_STATUS_WAIT_MS))
        {
            inst->AssumedOn = 0u;
            on = false;
        }
        if (!on)
        {
            inst->Attempts = 0;
            inst->_i.State = (uint8_t)GSM_Power_State_Off;
            enterPhase(inst, PP_STEADY);
        }
        else if (gsmUtilTimedOut(inst->PhaseStart_ms, GSM_POWER_STATUS_TIMEOUT_MS))
        {
            pulseFailed(inst);
        }
        break;

    case PP_RESET_PULSE:
        if (gsmUtilTimedOut(inst->PhaseStart_ms, GSM_POWER_RESET_PULSE_MS))
        {
            if (inst->SetReset != 0)
            {
                inst->SetReset(inst, false);
            }
            enterPhase(inst, PP_RESET_SETTLE);
        }
        break;

    case PP_RESET_SETTLE:
        if (gsmUtilTimedOut(inst->PhaseStart_ms, GSM_POWER_RESET_SETTLE_MS))
        {
            /* The modem restarted: a new session even though power never dropped. */
            inst->_i.State = (uint8_t)GSM_Power_State_Off;
            enterPhase(inst, PP_STEADY);
        }
        break;

    case PP_PAUSE:
        if (gsmUtilTimedOut(inst->PhaseStart_ms, GSM_POWER_RETRY_PAUSE_MS))
        {
            inst->Attempts = 0;
            enterPhase(inst, PP_STEADY);
        }
        break;

    default:
        enterPhase(inst, PP_STEADY);
        break;
    }
}

bool gsmPowerGet(GSM_Power_Instance* inst)
{
    return inst != 0 && gsmPowerIfIsOn(&inst->_i);
}

void gsmPowerSet(GSM_Power_Instance* inst, bool powered_on)
{
    if (inst == 0)
    {
        return;
    }
    if ((inst->WantOn != 0u) != powered_on)
    {
        inst->WantOn = powered_on ? 1u : 0u;
        inst->Attempts = 0;
        if (inst->Phase == PP_PAUSE)
        {
            enterPhase(inst, PP_STEADY);
        }
    }
}

void gsmPowerSetPowerKeyPressDurations(GSM_Power_Instance* inst, uint16_t powerOnPressTime_ms,
                                       uint16_t powerOffPressTime_ms)
{
    if (inst == 0)
    {
        return;
    }
    if (powerOnPressTime_ms != 0u)
    {
        inst->PowerOnPressTime_ms = powerOnPressTime_ms;
    }
    if (powerOffPressTime_ms != 0u)
    {
        inst->PowerOffPressTime_ms = powerOffPressTime_ms;
    }
}
