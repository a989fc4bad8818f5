/*
 * GSM_Power_Interface.h - what other modules may use of the Power module.
 *
 * Modules receive a GSM_Power_Interface* (the _i member of GSM_Power_Instance) and use
 * only the functions below. The fields are maintained by the Power module; read them
 * through the functions.
 */
#ifndef GSM_POWER_INTERFACE_H_
#define GSM_POWER_INTERFACE_H_

#include "GSM_Globals.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Power states of the modem (GSM_Power_Interface.State). */
typedef enum
{
    GSM_Power_State_Off = 0,      /* switched off (status input low) */
    GSM_Power_State_SwitchingOn,  /* power-key pulse given, waiting for the status input */
    GSM_Power_State_On,           /* running (status input high) */
    GSM_Power_State_SwitchingOff, /* power-key pulse given, waiting for status low */
    GSM_Power_State_Resetting,    /* reset line pulsed, waiting for the modem to restart */
    GSM_Power_State_Failed        /* the modem did not react to repeated pulses; retried later */
} GSM_Power_State;

typedef struct GSM_Power_Interface_s
{
    uint8_t State;          /* GSM_Power_State */
    uint8_t Session;        /* incremented each time the modem has (re)started */
    uint8_t RestartRequest; /* set by gsmPowerIfRequestRestart(), served by the Power module */
} GSM_Power_Interface;

/* True while the modem is switched on and running. */
bool gsmPowerIfIsOn(const GSM_Power_Interface* pwr);

/* Current GSM_Power_State. */
GSM_Power_State gsmPowerIfGetState(const GSM_Power_Interface* pwr);

/* Counter incremented every time the modem starts (power-on or reset): a change tells
 * a module that the modem has lost its configuration. */
uint8_t gsmPowerIfSession(const GSM_Power_Interface* pwr);

/* Asks for a modem restart because it stopped answering: a pulse of the reset line when
 * the application provides SetReset, otherwise a power cycle through the power key.
 * Ignored while the modem is meant to be off. */
void gsmPowerIfRequestRestart(GSM_Power_Interface* pwr);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GSM_POWER_INTERFACE_H_ */
