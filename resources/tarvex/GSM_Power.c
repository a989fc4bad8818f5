/*
 * GSM_Power.c - power key, status input and reset line handling (see GSM_Power.h).
 */
#include "GSM_Power.h"
#include "GSM_Util.h"

/* Poll measures the time in a phase in 16 bits (held at 65535 once beyond). */
#if GSM_POWER_STATUS_TIMEOUT_MS > 0xFFFFu || GSM_POWER_NO_STATUS_WAIT_MS > 0xFFFFu || \
    GSM_POWER_RESET_SETTLE_MS > 0xFFFFu || GSM_POWER_RESET_PULSE_MS > 0xFFFFu || GSM_POWER_RETRY_PAUSE_MS > 0xFFFFu
#error "The GSM_POWER_..._MS times are at most 65535 ms"
#endif

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

/* Set by gsmPowerSet, the only way to want the modem off: where nothing links it, the
 * link knows the modem is always wanted on. */
static bool sSwitched;

/* Poll picks the switching state and the key phase by adding the modem's state (0 or 1). */
typedef char SwitchingStatesApart[(GSM_Power_State_SwitchingOff == GSM_Power_State_SwitchingOn + 2) ? 1 : -1];
typedef char PressPhasesInOrder[(PP_PRESS_OFF == PP_PRESS_ON + 1) ? 1 : -1];
/* ... and the wanted state of a wait by subtracting its phase from PP_WAIT_OFF. */
typedef char WaitPhasesInOrder[(PP_WAIT_OFF == PP_WAIT_ON + 1) ? 1 : -1];

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

static GSM_ALWAYS_INLINE void setReset(GSM_Power_Instance* inst, bool activated)
{
    if (inst->SetReset != 0)
    {
        inst->SetReset(inst, activated);
    }
}

static void enterPhase(GSM_Power_Instance* inst, uint8_t phase)
{
    inst->Phase = phase;
    gsmUtilStamp(&inst->PhaseStart_ms);
}

/* The time spent in the phase, held at 65535 ms (Poll keeps only the 16-bit result). */
static GSM_ALWAYS_INLINE uint16_t phaseTime(const GSM_Power_Instance* inst)
{
    uint32_t e = gsmUtilElapsed(inst->PhaseStart_ms);
    return (e > 0xFFFFu) ? 0xFFFFu : (uint16_t)e;
}

/* Presses the power key and goes to PP_PRESS_ON or PP_PRESS_OFF. */
static void press(GSM_Power_Instance* inst, uint8_t phase)
{
    setKey(inst, true);
    enterPhase(inst, phase);
}

/* Init and Poll stay out of line: copied into the manager they cost more (measured). */
GSM_NOINLINE void gsmPowerInit(GSM_Power_Instance* inst)
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
    setReset(inst, false);
    inst->WantOn = 1u;
    inst->Attempts = 0;
    inst->AssumedOn = 0;
    inst->_i.State = (uint8_t)GSM_Power_State_Off;
    inst->_i.RestartRequest = 0;
    inst->Phase = PP_STEADY; /* (its start time is never read) */
}

GSM_NOINLINE void gsmPowerPoll(GSM_Power_Instance* inst)
{
    uint8_t phase;
    uint8_t on; /* 0 or 1, as AssumedOn */
    uint8_t restart;
    uint16_t elapsed;

    if (inst == 0)
    {
        return;
    }
    phase = inst->Phase;
    on = (inst->ReadStatus != 0) ? (uint8_t)inst->ReadStatus(inst) : inst->AssumedOn;
    elapsed = phaseTime(inst);

    /* A phase in progress either goes on (return) or has ended and leaves the decision
     * to the steady state below, in the same call. */
    if (phase == PP_WAIT_ON || phase == PP_WAIT_OFF)
    {
        uint8_t wanted = (uint8_t)(PP_WAIT_OFF - phase); /* 1 waiting for on, 0 for off */
        if (inst->ReadStatus == 0 && elapsed >= GSM_POWER_NO_STATUS_WAIT_MS)
        {
            inst->AssumedOn = wanted;
            on = wanted;
        }
        if (on != wanted)
        {
            if (elapsed < GSM_POWER_STATUS_TIMEOUT_MS)
            {
                return;
            }
            /* The pulse had no effect: press again, or pause after too many. */
            if (++inst->Attempts >= GSM_POWER_MAX_ATTEMPTS)
            {
                inst->Attempts = 0; /* the pause starts the count afresh */
                inst->_i.State = (uint8_t)GSM_Power_State_Failed;
                enterPhase(inst, PP_PAUSE);
                GSM_DEBUG_TEXT("[GSM] power key has no effect\n");
                return;
            }
        }
    }
    else if (phase != PP_STEADY)
    {
        /* The other phases last a fixed time. */
        uint16_t duration = (phase == PP_PRESS_ON)       ? inst->PowerOnPressTime_ms
                            : (phase == PP_PRESS_OFF)    ? inst->PowerOffPressTime_ms
                            : (phase == PP_RESET_PULSE)  ? GSM_POWER_RESET_PULSE_MS
                            : (phase == PP_RESET_SETTLE) ? GSM_POWER_RESET_SETTLE_MS
                                                         : GSM_POWER_RETRY_PAUSE_MS;
        if (elapsed < duration)
        {
            return;
        }
        if (phase <= PP_PRESS_OFF)
        {
            setKey(inst, false);
            enterPhase(inst, (uint8_t)(phase + (PP_WAIT_ON - PP_PRESS_ON)));
            return;
        }
        if (phase == PP_RESET_PULSE)
        {
            setReset(inst, false);
            enterPhase(inst, PP_RESET_SETTLE);
            return;
        }
        /* The settling after a reset or the pause has ended. After a reset the State is
         * still Resetting, so a modem found on counts as a new session below. */
    }
    inst->Phase = PP_STEADY;

    /* Steady: compare the wanted and the actual state (WantOn is 0 or 1). A restart asked
     * for is served only when the modem is found on; otherwise it is dropped. */
    restart = inst->_i.RestartRequest;
    inst->_i.RestartRequest = 0;
    if (on != (!sSwitched || inst->WantOn != 0u))
    {
        /* Switch over (at start-up, or the modem dropped out, or it is to go off). */
        inst->_i.State = (uint8_t)(GSM_Power_State_SwitchingOn + 2u * (uint8_t)on);
        press(inst, (uint8_t)(PP_PRESS_ON + (uint8_t)on));
        return;
    }
    inst->Attempts = 0;
    if (!on)
    {
        inst->_i.State = (uint8_t)GSM_Power_State_Off;
        return;
    }
    if (inst->_i.State != (uint8_t)GSM_Power_State_On)
    {
        inst->_i.State = (uint8_t)GSM_Power_State_On;
        inst->_i.Session++;
        GSM_DEBUG_TEXT("[GSM] power on\n");
    }
    if (restart)
    {
        inst->_i.State = (uint8_t)GSM_Power_State_Resetting;
        if (inst->SetReset != 0)
        {
            setReset(inst, true);
            enterPhase(inst, PP_RESET_PULSE);
        }
        else
        {
            /* Power cycle: switch off; the steady state switches on again. */
            press(inst, PP_PRESS_OFF);
        }
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
        sSwitched = true;
        inst->WantOn = powered_on ? 1u : 0u;
        inst->Attempts = 0;
        if (inst->Phase == PP_PAUSE)
        {
            inst->Phase = PP_STEADY;
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
