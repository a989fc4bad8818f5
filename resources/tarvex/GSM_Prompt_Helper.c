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

GSM_NOINLINE void gsmPromptChainBegin_P(GSM_Prompt_Chain* chain, const GSM_Prompt_Step* steps, uint8_t count)
{
    gsmPromptChainBegin(chain, steps, count);
    if (chain != 0)
    {
        chain->InFlash = 1u;
    }
}

bool gsmPromptChainSend(GSM_Prompt_Interface* p, GSM_Prompt_Chain* chain)
{
    const GSM_Prompt_Step* step;
    uint32_t timeout_ms;

    if (chain == 0 || chain->Index >= chain->Count)
    {
        return false;
    }
    step = &chain->Steps[chain->Index];
#if GSM_FLASH_SEPARATE
    if (chain->InFlash)
    {
        gsmPromptWriteText_P(p, (const char*)GSM_FLASH_PTR(&step->Command));
        timeout_ms = GSM_FLASH_DWORD(&step->Timeout_ms);
    }
    else
#endif
    {
        gsmPromptWriteText(p, step->Command);
        timeout_ms = step->Timeout_ms;
    }
    return gsmPromptSend(p, timeout_ms, 0);
}

GSM_Prompt_ChainState gsmPromptChainOnFinal(GSM_Prompt_Interface* p, GSM_Prompt_Chain* chain,
                                            const GSM_Prompt_Event* event)
{
    const uint8_t* flags;

    if (chain == 0 || event == 0 || chain->Index >= chain->Count)
    {
        return GSM_Prompt_ChainState_Done;
    }
    flags = &chain->Steps[chain->Index].Flags;
    /* An optional step may be rejected by the modem (OK or any error result); a silent
     * or switched-off modem always stops the chain. */
    if (event->Result != GSM_Result_Ok &&
        (event->Result >= GSM_Result_Timeout ||
         !(((GSM_FLASH_SEPARATE && chain->InFlash) ? GSM_FLASH_BYTE(flags) : *flags) & GSM_PROMPT_STEP_OPTIONAL)))
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

/* Verbose error texts (AT+CMEE=2, or what a modem that refuses AT+CMEE=1 prints; in
 * lower case, as the search without regard to case wants them) and their codes, both
 * tables in flash: the +CME ERROR code (3GPP TS 27.007), then the +CMS ERROR code
 * (TS 27.005) less 256, NO_CMS where the text has none. */
static const char kVerboseTexts[] GSM_FLASH = "operation not allowed\0operation not supported\0sim not inserted\0"
                                              "sim pin required\0sim puk required\0sim failure\0sim busy\0"
                                              "sim wrong\0incorrect password\0";
#define NO_CMS 0xFFu
static const uint8_t kVerboseCodes[][2] GSM_FLASH = {
    {3u, 46u}, {4u, 47u}, {10u, 54u}, {11u, 55u}, {12u, 60u}, {13u, 57u}, {14u, 58u}, {15u, 59u}, {16u, NO_CMS}};

/* The <n> of "+CME ERROR: <n>" (cms 0) or "+CMS ERROR: <n>" (cms 1, the column of the
 * code table) from the text after the colon; 0xFFFF for a verbose text not known, or no
 * code at all. */
static uint16_t numberedError(const char* text, uint8_t cms)
{
    int32_t n;
    int8_t i;

    while (*text == ' ')
    {
        text++;
    }
    if (gsmUtilParseInt(text, &n))
    {
        return (n >= 0 && n < 0xFFFF) ? (uint16_t)n : 0xFFFFu;
    }
    i = gsmUtilFindText(text, kVerboseTexts, true);
    if (i >= 0)
    {
        uint8_t code = GSM_FLASH_BYTE(&kVerboseCodes[i][cms]);
        if (code != NO_CMS)
        {
            return (uint16_t)((uint16_t)cms << 8 | code); /* (256 added for +CMS) */
        }
    }
    return 0xFFFFu;
}

/* Final result codes: OK, ERROR and the two numbered errors in the order of GSM_Result,
 * then the other error results. */
static const char kFinals[] GSM_FLASH = "OK\0ERROR\0+CME ERROR:\0+CMS ERROR:\0NO CARRIER\0BUSY\0NO ANSWER\0"
                                        "NO DIALTONE\0";

bool gsmPromptHelperParseFinal(const char* line, GSM_Result* result, uint16_t* errorCode)
{
    uint16_t code = 0;
    int8_t i = gsmUtilFindText(line, kFinals, false);

    if (i < 0)
    {
        return false;
    }
    if (i == GSM_Result_CmeError || i == GSM_Result_CmsError)
    {
        code = numberedError(line + 11, (uint8_t)(i - GSM_Result_CmeError));
    }
    if (result != 0)
    {
        *result = (i <= GSM_Result_CmsError) ? (GSM_Result)i : GSM_Result_Error;
    }
    if (errorCode != 0)
    {
        *errorCode = code;
    }
    return true;
}
