/*
 * GSM_Internet_Helper.c - the connection interface and the helpers shared by the
 * internet modules (see GSM_Internet_Helper.h).
 */
#include "GSM_Internet_Helper.h"
#include "GSM_Util.h"

const char gsmInternetHelperIpError[] GSM_FLASH = "+IP ERROR:\0";

bool gsmInternetConnectionIfIsConnected(const GSM_InternetConnection_Interface* ic)
{
    return ic != 0 && ic->Connected != 0u;
}

uint8_t gsmInternetConnectionIfSession(const GSM_InternetConnection_Interface* ic)
{
    return (ic != 0) ? ic->Session : 0u;
}

GSM_InternetConnection_Family gsmInternetConnectionIfFamily(const GSM_InternetConnection_Interface* ic)
{
    return (ic != 0 && ic->Family == (uint8_t)GSM_InternetConnection_Family_2G) ? GSM_InternetConnection_Family_2G
                                                                                  : GSM_InternetConnection_Family_Lte;
}

void gsmInternetConnectionIfRequestCheck(GSM_InternetConnection_Interface* ic)
{
    if (ic != 0)
    {
        ic->CheckRequest = 1u;
    }
}

bool gsmInternetHelperIsQuotable(const char* text, size_t maxLength)
{
    size_t n = 0;

    if (text == 0 || *text == '\0')
    {
        return false;
    }
    while (*text != '\0')
    {
        uint8_t c = (uint8_t)*text++;
        if (c < 0x20u || c == 0x7Fu || c == '"' || ++n > maxLength)
        {
            return false;
        }
    }
    return true;
}

uint8_t gsmInternetHelperParseInts(char* args, int32_t* values, uint8_t maxValues)
{
    uint8_t count = 0;

    /* A field counts when its number is followed by a comma or the end. */
    while (count < maxValues)
    {
        const char* end = gsmUtilScanInt(args, &values[count]);

        if (end == 0 || (*end != ',' && *end != '\0'))
        {
            break;
        }
        count++;
        if (*end == '\0')
        {
            break;
        }
        args = (char*)end + 1;
    }
    return count;
}

uint8_t gsmInternetHelperParseUrc(char* line, const char* prefix, int32_t* values, uint8_t maxValues)
{
    if (prefix != 0 && !gsmUtilStartsWith_P(line, prefix))
    {
        return 0;
    }
    while (*line != ':')
    {
        if (*line++ == '\0')
        {
            return 0;
        }
    }
    return gsmInternetHelperParseInts(line + 1, values, maxValues);
}

/* Out of line: every internet module picks its commands with it. */
GSM_NOINLINE const char* gsmInternetHelperText(const char* list, uint8_t index)
{
    while (index-- != 0u)
    {
        while (GSM_FLASH_BYTE(list++) != 0u)
        {
        }
    }
    return list;
}

bool gsmInternetHelperContains(const char* line, const char* text)
{
    for (; *line != '\0'; line++)
    {
        if (gsmUtilStartsWith_P(line, text))
        {
            return true;
        }
    }
    return false;
}

bool gsmInternetHelperRegistered(const GSM_NetworkRegistration_Interface* nr)
{
    return nr == 0 || gsmNetworkRegistrationIfIsRegistered(nr);
}

uint32_t gsmInternetHelperBackoff(uint8_t failures, uint32_t base_ms, uint32_t max_ms)
{
    uint32_t pause = base_ms;

    while (failures > 1u && pause < max_ms / 2u)
    {
        pause *= 2u;
        failures--;
    }
    if (failures > 1u || pause > max_ms)
    {
        pause = max_ms;
    }
    return pause;
}

void gsmInternetHelperSetConnected(GSM_InternetConnection_Interface* ic, bool connected)
{
    if (connected && !ic->Connected)
    {
        ic->Session++;
    }
    ic->Connected = connected ? 1u : 0u;
    ic->CheckRequest = 0u;
}
