/*
 * GSM_SignalQuality.c - AT+CSQ query (see GSM_SignalQuality.h).
 */
#include "GSM_SignalQuality.h"
#include "GSM_Util.h"

/* Flags */
#define QF_GOT_CSQ 0x01u  /* "+CSQ:" line received for the running query */

#define CSQ_TIMEOUT_MS 3000u

static void emit(GSM_SignalQuality_Instance* inst, GSM_SignalQuality_EventType type, void* data)
{
    if (inst->EventHandler != 0)
    {
        inst->EventHandler(inst, type, data);
    }
}

/* "+CSQ: <rssi>,<ber>" */
static bool parseCsq(GSM_SignalQuality_Instance* inst, char* line)
{
    char* args = gsmUtilAfterPrefix_P(line, GSM_F("+CSQ:"));
    char* fields[2];
    int32_t rssi;
    int32_t ber;

    if (args == 0)
    {
        return false;
    }
    if (gsmUtilSplitArgs(args, fields, 2u) == 2u && gsmUtilParseInt(fields[0], &rssi) &&
        gsmUtilParseInt(fields[1], &ber) && rssi >= 0 && rssi <= 255 && ber >= 0 && ber <= 255)
    {
        inst->Rssi = (uint8_t)rssi;
        inst->Quality = (uint8_t)ber;
        inst->Flags |= QF_GOT_CSQ;
    }
    return true;
}

static bool handler(GSM_Prompt_Client* client, GSM_Prompt_Event* ev)
{
    GSM_SignalQuality_Instance* inst = GSM_CONTAINER_OF(client, GSM_SignalQuality_Instance, Client);

    switch (ev->Type)
    {
    case GSM_Prompt_EventType_Start:
        inst->Flags &= (uint8_t)~QF_GOT_CSQ;
        (void)gsmPromptSendCommand_P(inst->Prompt, GSM_F("AT+CSQ"), CSQ_TIMEOUT_MS);
        return false;

    case GSM_Prompt_EventType_Line:
        return parseCsq(inst, ev->Line);

    case GSM_Prompt_EventType_Final:
        if (ev->Result == GSM_Result_Ok && (inst->Flags & QF_GOT_CSQ))
        {
            GSM_SignalQuality_Event_QuerySuccess result;
            result.Rssi = inst->Rssi;
            result.Quality = inst->Quality;
            emit(inst, GSM_SignalQuality_EventType_QuerySuccess, &result);
        }
        else
        {
            emit(inst, GSM_SignalQuality_EventType_QueryFailed, 0);
        }
        return false;

    default:
        return false;
    }
}

void gsmSignalQualityInit(GSM_SignalQuality_Instance* inst)
{
    if (inst == 0)
    {
        return;
    }
    inst->Rssi = 99u;
    inst->Quality = 99u;
    inst->Flags = 0;
    gsmPromptRegisterHandler(inst->Prompt, &inst->Client, &handler, 0); /* (no URCs; ignores a null Prompt) */
}

void gsmSignalQualityPoll(GSM_SignalQuality_Instance* inst)
{
    bool established;

    if (inst == 0 || inst->Prompt == 0)
    {
        return;
    }
    /* A query still waiting for its turn when the link drops can no longer succeed. */
    established = gsmBasicCommsIfLinkEstablished(inst->BasicComms, inst->Prompt, 0);
    if (!established && gsmPromptIsBusy(inst->Prompt, &inst->Client) && inst->Prompt->Current != &inst->Client)
    {
        gsmPromptAbort(inst->Prompt, &inst->Client);
        emit(inst, GSM_SignalQuality_EventType_QueryFailed, 0);
    }
}

bool gsmSignalQualityQuery(GSM_SignalQuality_Instance* inst)
{
    bool established;

    if (inst == 0 || inst->Prompt == 0)
    {
        return false;
    }
    established = gsmBasicCommsIfLinkEstablished(inst->BasicComms, inst->Prompt, 0);
    if (!established || gsmPromptIsBusy(inst->Prompt, &inst->Client))
    {
        return false;
    }
    gsmPromptRequest(inst->Prompt, &inst->Client);
    return true;
}

int16_t gsmSignalQualityRssiTo_dBm(uint8_t rssi)
{
    if (rssi <= 31u)
    {
        return (int16_t)(2 * (int16_t)rssi - 113);
    }
    if (rssi >= 100u && rssi <= 191u)
    {
        return (int16_t)((int16_t)rssi - 216); /* extended range of LTE modems */
    }
    return GSM_SIGNALQUALITY_DBM_UNKNOWN;
}
