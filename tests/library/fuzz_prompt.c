/*
 * libFuzzer target: arbitrary modem output fed to the Prompt engine (line assembly,
 * echo cancellation, result codes, the "> " prompt, raw reads, URC routing) and to the
 * response and URC parsers of every core and cellular module, while the modules issue
 * commands. The first four input bytes seed the choice of feed sizes and module
 * actions; the rest is the modem output. The seeds (fuzz_corpus) include real-modem
 * shapes: verbose errors, start-up notices and URCs inside answers, both +CMGL header
 * forms, USSD answers with blanks after commas and without OK. Buffers are heap blocks of their exact size
 * so that AddressSanitizer reports any access outside them.
 */
#include "GSM_BasicComms.h"
#include "GSM_NetworkRegistration.h"
#include "GSM_PIN.h"
#include "GSM_Power.h"
#include "GSM_Prompt.h"
#include "GSM_Prompt_Helper.h"
#include "GSM_SMS_Read.h"
#include "GSM_SMS_Send.h"
#include "GSM_SignalQuality.h"
#include "GSM_USSD.h"
#include "GSM_Util.h"

#include <stdlib.h>
#include <string.h>

static uint32_t gNow;
static uint32_t gRandom;
static size_t gWritten;

uint32_t gsm__SysTime_ms(void)
{
    return gNow;
}

static uint32_t next(void)
{
    gRandom ^= gRandom << 13;
    gRandom ^= gRandom >> 17;
    gRandom ^= gRandom << 5;
    return gRandom;
}

static void fzWrite(GSM_Prompt_Instance* inst, uint8_t b) { (void)inst; (void)b; gWritten++; }
static bool fzWriteCompleted(GSM_Prompt_Instance* inst) { (void)inst; return (next() & 3u) != 0u; }
static bool fzStatus(GSM_Power_Instance* inst) { (void)inst; return true; }
static void fzKey(GSM_Power_Instance* inst, bool on) { (void)inst; (void)on; }

/* Event handlers check what they are given. */
static void fzSmsSend(GSM_SmsSend_Instance* inst, GSM_SmsSend_EventType t, void* d)
{
    (void)inst;
    if (t == GSM_SmsSend_EventType_DeliveryStatusReport)
    {
        GSM_SmsSend_Event_DeliveryStatusReport* e = (GSM_SmsSend_Event_DeliveryStatusReport*)d;
        if (strlen(e->PhoneNumber) > 4096 || strlen(e->ServiceCentreTimeStamp) > 4096 ||
            strlen(e->DischargeTimeStamp) > 4096)
            abort();
        (void)gsmSmsSendParseDeliveryReportTimes(e);
    }
}
static void fzSmsRead(GSM_SmsRead_Instance* inst, GSM_SmsRead_EventType t, void* d)
{
    (void)inst;
    if (t == GSM_SmsRead_EventType_ReadSuccess)
    {
        GSM_SmsRead_Event_ReadSuccess* e = (GSM_SmsRead_Event_ReadSuccess*)d;
        if (strlen(e->PhoneNumber) + strlen(e->SmsData) > 8192 || strlen(e->PhoneNumber) > GSM_SMS_READ_MAX_SENDER)
            abort(); /* the sender is a copy of bounded length */
    }
}
static void fzUssd(GSM_USSD_Instance* inst, GSM_USSD_EventType t, void* d)
{
    (void)inst;
    if (t == GSM_USSD_EventType_UssdResponse && strlen(((GSM_USSD_Event_UssdResponse*)d)->DataResult) > 8192)
        abort();
}
static void fzPin(GSM_PIN_Instance* inst, GSM_PIN_EventType t, void* d)
{
    (void)d;
    if (t == GSM_PIN_EventType_PinSuccess && gsmPinStatus(inst) != GSM_PIN_SimStatus_Ready)
        abort(); /* an event the status query contradicts */
}
static void fzSq(GSM_SignalQuality_Instance* inst, GSM_SignalQuality_EventType t, void* d)
{
    (void)inst;
    if (t == GSM_SignalQuality_EventType_QuerySuccess)
    {
        int16_t dbm = gsmSignalQualityRssiTo_dBm(((GSM_SignalQuality_Event_QuerySuccess*)d)->Rssi);
        if (dbm != GSM_SIGNALQUALITY_DBM_UNKNOWN && (dbm < -116 || dbm > -25))
            abort();
    }
}

/* A client in the style of an internet module: raw reads after a header line. */
typedef struct
{
    GSM_Prompt_Client c;
    GSM_Prompt_Interface* p;
    uint32_t expected;
    uint32_t received;
} RawClient;

static bool rawHandler(GSM_Prompt_Client* client, GSM_Prompt_Event* ev)
{
    RawClient* rc = (RawClient*)client;
    int32_t n;
    char* args;
    if (ev->Type == GSM_Prompt_EventType_Urc && (args = gsmUtilAfterPrefix(ev->Line, "+HTTPREAD: DATA,")) != 0)
    {
        if (gsmUtilParseInt(args, &n) && n > 0 && n < 100000)
        {
            gsmPromptReadRaw(rc->p, (uint32_t)n);
            rc->expected = (uint32_t)n;
            rc->received = 0;
        }
        return true;
    }
    if (ev->Type == GSM_Prompt_EventType_RawData)
    {
        rc->received += ev->DataLength;
        if (rc->received > rc->expected || rc->expected - rc->received != ev->RawRemaining)
            abort(); /* more (or other) bytes than announced */
    }
    return false;
}

int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const char rawUrcs[] = "+HTTPREAD:\0";
    /* Zeroed as the generated manager's instances are; each a variable of its own, so
       that AddressSanitizer sees an access past any of them. */
    GSM_Power_Instance pwr = {0};
    GSM_Prompt_Instance prompt = {0};
    GSM_BasicComms_Instance comms = {0};
    GSM_PIN_Instance pin = {0};
    GSM_SignalQuality_Instance sq = {0};
    GSM_NetworkRegistration_Instance nr = {0};
    GSM_SmsSend_Instance smsSend = {0};
    GSM_SmsRead_Instance smsRead = {0};
    GSM_USSD_Instance ussd = {0};
    RawClient raw = {0};
    uint8_t* line;
    uint8_t* echo;
    size_t lineSize;
    size_t echoSize;
    size_t pos;
    bool withComms;

    if (size < 4)
        return 0;
    gRandom = ((uint32_t)data[0] | ((uint32_t)data[1] << 8) | ((uint32_t)data[2] << 16) | ((uint32_t)data[3] << 24)) | 1u;
    data += 4;
    size -= 4;
    gNow = next();
    withComms = (next() & 1u) != 0u;
    lineSize = 16u + next() % 300u;
    echoSize = next() % 128u;
    line = (uint8_t*)malloc(lineSize);
    echo = echoSize ? (uint8_t*)malloc(echoSize) : 0;


    pwr.SetPowerKey = fzKey;
    pwr.ReadStatus = fzStatus;
    gsmPowerInit(&pwr);
    prompt.Power = &pwr._i;
    prompt.DataBuffer = line;
    prompt.DataBufferSize = lineSize;
    prompt.Write = fzWrite;
    prompt.WriteCompleted = fzWriteCompleted;
    prompt.EchoCancellationBuffer = echo;
    prompt.EchoCancellationBufferSize = echoSize;
    gsmPromptInit(&prompt);
    if (withComms)
    {
        comms.Power = &pwr._i;
        comms.Prompt = &prompt._i;
        comms.EchoOn = 1;
        gsmBasicCommsInit(&comms);
    }
    pin.Prompt = sq.Prompt = nr.Prompt = smsSend.Prompt = smsRead.Prompt = ussd.Prompt = &prompt._i;
    pin.Power = sq.Power = nr.Power = smsSend.Power = smsRead.Power = ussd.Power = &pwr._i;
    if (withComms)
        pin.BasicComms = sq.BasicComms = nr.BasicComms = smsSend.BasicComms = smsRead.BasicComms = &comms._i;
    pin.EventHandler = fzPin;
    sq.EventHandler = fzSq;
    smsSend.EventHandler = fzSmsSend;
    smsRead.EventHandler = fzSmsRead;
    ussd.EventHandler = fzUssd;
    gsmPinInit(&pin);
    gsmSignalQualityInit(&sq);
    gsmNetworkRegistrationInit(&nr);
    gsmSmsSendInit(&smsSend);
    gsmSmsReadInit(&smsRead);
    gsmUssdInit(&ussd);
    raw.c.Handler = rawHandler;
    raw.c.UrcPrefixList = rawUrcs;
    raw.p = &prompt._i;
    gsmPromptRegisterClient(&prompt._i, &raw.c);

    pos = 0;
    while (pos < size)
    {
        size_t chunk = 1u + next() % 24u;
        uint32_t action = next() % 64u;
        if (chunk > size - pos)
            chunk = size - pos;
        gsmPromptFeed(&prompt, data + pos, chunk);
        pos += chunk;

        switch (action)
        {
        case 0: (void)gsmSmsSend(&smsSend, "+441234", "fuzz text\r\nline"); break;
        case 1: (void)gsmSignalQualityQuery(&sq); break;
        case 2: (void)gsmUssdSend(&ussd, "*100#"); break;
        case 3: (void)gsmUssdCancelSession(&ussd); break;
        case 4: gsmSmsSendCancel(&smsSend); break;
        case 5: (void)gsmPinEnter(&pin, (uint16_t)next()); break;
        case 6: gNow += 1000u + next() % 70000u; break;
        case 7: gsmPromptSetReady(&prompt._i, (next() & 1u) != 0u); break;
        default: gNow += next() % 50u; break;
        }
        gsmPowerPoll(&pwr);
        gsmPromptPoll(&prompt);
        if (withComms)
            gsmBasicCommsPoll(&comms);
        gsmPinPoll(&pin);
        gsmSignalQualityPoll(&sq);
        gsmNetworkRegistrationPoll(&nr);
        gsmSmsSendPoll(&smsSend);
        gsmSmsReadPoll(&smsRead);
        gsmUssdPoll(&ussd);
    }

    /* The stand-alone parsers on the same bytes. */
    {
        char* text = (char*)malloc(size + 1u);
        char* fields[8];
        uint32_t epoch;
        int32_t tz;
        GSM_Result r;
        uint16_t code;
        memcpy(text, data, size);
        text[size] = '\0';
        (void)gsmUtilParseScts(text, &epoch, &tz);
        (void)gsmPromptHelperParseFinal(text, &r, &code);
        (void)gsmUtilSplitArgs(text, fields, (uint8_t)(1u + next() % 8u));
        free(text);
    }
    free(line);
    free(echo);
    return 0;
}
