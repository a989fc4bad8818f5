/*
 * GSM_Prompt_Helper.c - step chains and final result classification.
 */
#include "GSM_Prompt_Helper.h"
#include "GSM_Util.h"
#include <string.h>

void gsmPromptChainBegin(GSM_Prompt_Chain* chain, const GSM_Prompt_Step* steps, uint8_t count)
{
    if (chain == 0)
    {
        return;
    }
    chain->Steps = steps;
    chain->Count = (steps != 0) ? count : 0u;
    chain->Index = 0;
    chain->InFlash = 0;
}

void gsmPromptChainBegin_P(GSM_Prompt_Chain* chain, const GSM_Prompt_Step* steps, uint8_t count)
{
    gsmPromptChainBegin(chain, steps, count);
    if (chain != 0)
    {
        chain->InFlash = 1u;
    }
}

/* A copy of the current step (read from flash for a flash table). */
static void currentStep(const GSM_Prompt_Chain* chain, GSM_Prompt_Step* step)
{
    if (GSM_FLASH_SEPARATE && chain->InFlash)
    {
        GSM_FLASH_COPY(step, &chain->Steps[chain->Index], sizeof(*step));
    }
    else
    {
        *step = chain->Steps[chain->Index];
    }
}

bool gsmPromptChainSend(GSM_Prompt_Interface* p, GSM_Prompt_Chain* chain)
{
    GSM_Prompt_Step step;

    if (chain == 0 || chain->Index >= chain->Count)
    {
        return false;
    }
    currentStep(chain, &step);
#if GSM_FLASH_SEPARATE
    if (chain->InFlash)
    {
        return gsmPromptSendCommand_P(p, step.Command, step.Timeout_ms);
    }
#endif
    return gsmPromptSendCommand(p, step.Command, step.Timeout_ms);
}

GSM_Prompt_ChainState gsmPromptChainOnFinal(GSM_Prompt_Interface* p, GSM_Prompt_Chain* chain,
                                            const GSM_Prompt_Event* event)
{
    bool ok;
    GSM_Prompt_Step step;

    if (chain == 0 || event == 0 || chain->Index >= chain->Count)
    {
        return GSM_Prompt_ChainState_Done;
    }
    currentStep(chain, &step);
    /* An optional step may be rejected by the modem; a silent or switched-off modem
     * always stops the chain. */
    ok = event->Result == GSM_Result_Ok ||
         ((step.Flags & GSM_PROMPT_STEP_OPTIONAL) &&
          (event->Result == GSM_Result_Error || event->Result == GSM_Result_CmeError ||
           event->Result == GSM_Result_CmsError));
    if (!ok)
    {
        return GSM_Prompt_ChainState_Failed;
    }
    chain->Index++;
    if (chain->Index >= chain->Count)
    {
        return GSM_Prompt_ChainState_Done;
    }
    return gsmPromptChainSend(p, chain) ? GSM_Prompt_ChainState_Running : GSM_Prompt_ChainState_Failed;
}

/* Verbose error texts (AT+CMEE=2, or what a modem that refuses AT+CMEE=1 prints) and
 * their +CME ERROR codes (3GPP TS 27.007); the +CMS ERROR code (TS 27.005) follows from
 * it in cmsCode(). Both tables stay in flash. */
static const char kVerboseTexts[] GSM_FLASH = "operation not allowed\0operation not supported\0SIM not inserted\0"
                                              "SIM PIN required\0SIM PUK required\0SIM failure\0SIM busy\0"
                                              "SIM wrong\0incorrect password\0";
static const uint8_t kVerboseCodes[] GSM_FLASH = {3u, 4u, 10u, 11u, 12u, 13u, 14u, 15u, 16u};

static uint16_t cmsCode(uint8_t cme)
{
    if (cme <= 4u)
    {
        return (uint16_t)(299u + cme); /* operation not allowed / supported: 302, 303 */
    }
    if (cme == 12u)
    {
        return 316u; /* SIM PUK required */
    }
    return (cme == 16u) ? 0xFFFFu : (uint16_t)(300u + cme);
}

static void parseErrorCode(const char* text, bool cms, uint16_t* errorCode)
{
    int32_t n;
    int8_t i;

    while (*text == ' ')
    {
        text++;
    }
    *errorCode = 0xFFFFu; /* verbose text not known, or no code at all */
    if (gsmUtilParseInt(text, &n))
    {
        if (n >= 0 && n < 0xFFFF)
        {
            *errorCode = (uint16_t)n;
        }
        return;
    }
    i = gsmUtilFindText(text, kVerboseTexts, true);
    if (i >= 0)
    {
        uint8_t cme = GSM_FLASH_BYTE(&kVerboseCodes[i]);
        *errorCode = cms ? cmsCode(cme) : cme;
    }
}

/* Final result codes: OK, the five error results, then the two numbered errors. */
static const char kFinals[] GSM_FLASH = "OK\0ERROR\0NO CARRIER\0BUSY\0NO ANSWER\0NO DIALTONE\0"
                                        "+CME ERROR:\0+CMS ERROR:\0";

bool gsmPromptHelperParseFinal(const char* line, GSM_Result* result, uint16_t* errorCode)
{
    GSM_Result r;
    uint16_t code = 0;
    int8_t i = gsmUtilFindText(line, kFinals, false);

    if (i < 0)
    {
        return false;
    }
    if (i == 0)
    {
        r = GSM_Result_Ok;
    }
    else if (i < 6)
    {
        r = GSM_Result_Error;
    }
    else
    {
        r = (i == 6) ? GSM_Result_CmeError : GSM_Result_CmsError;
        parseErrorCode(line + 11, i == 7, &code);
    }
    if (result != 0)
    {
        *result = r;
    }
    if (errorCode != 0)
    {
        *errorCode = code;
    }
    return true;
}
