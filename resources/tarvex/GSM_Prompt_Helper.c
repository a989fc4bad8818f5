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
}

bool gsmPromptChainSend(GSM_Prompt_Interface* p, GSM_Prompt_Chain* chain)
{
    const GSM_Prompt_Step* step;

    if (chain == 0 || chain->Index >= chain->Count)
    {
        return false;
    }
    step = &chain->Steps[chain->Index];
    return gsmPromptSendCommand(p, step->Command, step->Timeout_ms);
}

GSM_Prompt_ChainState gsmPromptChainOnFinal(GSM_Prompt_Interface* p, GSM_Prompt_Chain* chain,
                                            const GSM_Prompt_Event* event)
{
    bool ok;

    if (chain == 0 || event == 0 || chain->Index >= chain->Count)
    {
        return GSM_Prompt_ChainState_Done;
    }
    /* An optional step may be rejected by the modem; a silent or switched-off modem
     * always stops the chain. */
    ok = event->Result == GSM_Result_Ok ||
         ((chain->Steps[chain->Index].Flags & GSM_PROMPT_STEP_OPTIONAL) &&
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

static bool parseErrorCode(const char* text, uint16_t* errorCode)
{
    int32_t n;
    if (gsmUtilParseInt(text, &n) && n >= 0 && n < 0xFFFF)
    {
        *errorCode = (uint16_t)n;
    }
    else
    {
        *errorCode = 0xFFFFu; /* verbose (text) error report */
    }
    return true;
}

bool gsmPromptHelperParseFinal(const char* line, GSM_Result* result, uint16_t* errorCode)
{
    static const char* const kErrors[] = {"ERROR", "NO CARRIER", "BUSY", "NO ANSWER", "NO DIALTONE"};
    GSM_Result r;
    uint16_t code = 0;
    uint8_t i;

    if (line == 0)
    {
        return false;
    }
    if (strcmp(line, "OK") == 0)
    {
        r = GSM_Result_Ok;
    }
    else if (gsmUtilStartsWith(line, "+CME ERROR:"))
    {
        r = GSM_Result_CmeError;
        (void)parseErrorCode(line + 11, &code);
    }
    else if (gsmUtilStartsWith(line, "+CMS ERROR:"))
    {
        r = GSM_Result_CmsError;
        (void)parseErrorCode(line + 11, &code);
    }
    else
    {
        for (i = 0; i < sizeof(kErrors) / sizeof(kErrors[0]); i++)
        {
            if (strcmp(line, kErrors[i]) == 0)
            {
                break;
            }
        }
        if (i == sizeof(kErrors) / sizeof(kErrors[0]))
        {
            return false;
        }
        r = GSM_Result_Error;
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
