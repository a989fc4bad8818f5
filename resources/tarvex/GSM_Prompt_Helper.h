/*
 * GSM_Prompt_Helper.h - step chains and response classification for the Prompt engine.
 *
 * A step chain is constant data: a table of complete command lines with their timeouts.
 * A module starts the chain, sends the current step in its Start event, and hands every
 * Final event to gsmPromptChainOnFinal(), which sends the next step right away (keeping
 * the turn) until the chain is Done or has Failed:
 *
 *     static const GSM_Prompt_Step kSetup[] = {
 *         {"AT+CMGF=1", 5000, 0},
 *         {"AT+CNMI=2,1,0,1,0", 5000, GSM_PROMPT_STEP_OPTIONAL},
 *     };
 *     gsmPromptChainBegin(&inst->Chain, kSetup, 2);     // then gsmPromptRequest()
 *
 * A table kept in flash (GSM_FLASH, see GSM_Globals.h), commands in flash too, is
 * started with gsmPromptChainBegin_P instead:
 *
 *     static const char kCmgf[] GSM_FLASH = "AT+CMGF=1";
 *     static const GSM_Prompt_Step kSetup[] GSM_FLASH = {{kCmgf, 5000, 0}};
 *     gsmPromptChainBegin_P(&inst->Chain, kSetup, 1);
 *     ... Start event:  gsmPromptChainSend(p, &inst->Chain);
 *     ... Final event:  switch (gsmPromptChainOnFinal(p, &inst->Chain, ev)) { ... }
 */
#ifndef GSM_PROMPT_HELPER_H_
#define GSM_PROMPT_HELPER_H_

#include "GSM_Globals.h"
#include "GSM_Prompt_Interface.h"

#ifdef __cplusplus
extern "C" {
#endif

#define GSM_PROMPT_STEP_OPTIONAL 0x01u  /* an error in this step does not stop the chain */

typedef struct
{
    const char* Command;   /* the whole command line without "\r" */
    uint32_t Timeout_ms;
    uint8_t Flags;         /* GSM_PROMPT_STEP_... */
} GSM_Prompt_Step;

typedef struct
{
    const GSM_Prompt_Step* Steps;
    uint8_t Count;
    uint8_t Index;         /* step being run */
    uint8_t InFlash;       /* the table and its commands are in flash */
} GSM_Prompt_Chain;

typedef enum GSM_SMALL_ENUM
{
    GSM_Prompt_ChainState_Running = 0,  /* the next step has been sent (turn kept) */
    GSM_Prompt_ChainState_Done,         /* every step succeeded (or was optional) */
    GSM_Prompt_ChainState_Failed        /* a required step failed; Index tells which */
} GSM_Prompt_ChainState;

/* Prepares a chain to run from its first step. */
void gsmPromptChainBegin(GSM_Prompt_Chain* chain, const GSM_Prompt_Step* steps, uint8_t count);

/* The same for a table in flash whose commands are in flash. */
void gsmPromptChainBegin_P(GSM_Prompt_Chain* chain, const GSM_Prompt_Step* steps, uint8_t count);

/* Sends the current step (call in the Start event). Returns false when the chain is
 * already finished or no turn is held. */
bool gsmPromptChainSend(GSM_Prompt_Interface* p, GSM_Prompt_Chain* chain);

/* Evaluates the Final event of the current step and sends the next one when there is
 * one. */
GSM_Prompt_ChainState gsmPromptChainOnFinal(GSM_Prompt_Interface* p, GSM_Prompt_Chain* chain,
                                            const GSM_Prompt_Event* event);

/* Classifies a complete line as a final result code. Returns true for OK, ERROR,
 * +CME ERROR: n, +CMS ERROR: n, NO CARRIER, BUSY, NO ANSWER, NO DIALTONE, with the
 * result in *result and the numeric error in *errorCode: the <n> of +CME/+CMS ERROR,
 * or the code of a known verbose text ("+CME ERROR: SIM busy" is 14, "+CMS ERROR: SIM
 * busy" 314), 0xFFFF for another text or none; 0 for the other results. */
bool gsmPromptHelperParseFinal(const char* line, GSM_Result* result, uint16_t* errorCode);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GSM_PROMPT_HELPER_H_ */
