/*
 * libFuzzer target: arbitrary modem output fed to the Prompt engine while the LTE or
 * 2G connection, the HTTP client and the MQTT client are registered and busy, so that
 * their line, URC and raw-data parsers (+NETOPEN, +SAPBR, +HTTPACTION, +HTTPREAD
 * DATA chunks, +CMQTTRX* chunks, results of every step) see it in every state; with
 * TLS (scenario bit 16) the SSL module's certificate listing, downloads and context
 * settings run first, and the HTTPS and MQTT TLS steps and handshake failures follow.
 *
 * Input layout: byte 0 picks the scenario (family, prompt buffer size, whether a
 * canned prologue, in the usual or in the early-result shape of real firmware, first
 * brings the modules into their data phases), then pairs of
 * (control byte, data): the control byte sets how many data bytes are fed before the
 * next Poll round and how far time advances.
 */
#include "GSM_HttpClient_Simcom.h"
#include "GSM_Internet_Helper.h"
#include "GSM_InternetConnection_Simcom.h"
#include "GSM_InternetConnection_Simcom2G.h"
#include "GSM_MqttClient_Simcom.h"
#include "GSM_Prompt.h"
#include "GSM_Ssl_Simcom.h"

#include <stdlib.h>
#include <string.h>

static uint32_t gNow;
static uint8_t gPromptBuffer[1024];
static uint8_t gEchoBuffer[256];
static GSM_Prompt_Instance gPrompt;
static GSM_InternetConnectionSimcom_Instance gLte;
static GSM_InternetConnectionSimcom2G_Instance g2G;
static GSM_HttpClientSimcom_Instance gHttp;
static GSM_MqttClientSimcom_Instance gMqtt;
static GSM_MqttClientSimcom_Connect_Session gSession;
static GSM_SslSimcom_Instance gSsl;
static const uint8_t kPem[] = "-----BEGIN CERTIFICATE-----\nMIIB\n-----END CERTIFICATE-----\n";
static const GSM_SslSimcom_File kCa = {"ca.pem", kPem, sizeof kPem - 1u};
static const GSM_SslSimcom_File kCert = {"client.pem", kPem, sizeof kPem - 1u};
static const GSM_SslSimcom_File kKey = {"client.key", kPem, sizeof kPem - 1u};
static GSM_SslSimcom_Config gSslConfig;
static int gLteFamily;
static size_t gEventBytes;

uint32_t gsm__SysTime_ms(void)
{
    return gNow;
}

static void writeByte(GSM_Prompt_Instance* inst, uint8_t b)
{
    (void)inst;
    (void)b;
}

static bool writeCompleted(GSM_Prompt_Instance* inst)
{
    (void)inst;
    return true;
}

/* Touches every byte an event hands over, so that the sanitizers check the bounds. */
static void touch(const char* text, size_t length)
{
    size_t i;
    for (i = 0; i < length; i++)
        gEventBytes += (uint8_t)text[i];
    gEventBytes += (uint8_t)text[length]; /* the terminator */
}

static void httpEvent(GSM_HttpClientSimcom_Instance* inst, GSM_HttpClientSimcom_EventType type, void* data)
{
    GSM_HttpClientSimcom_Event_HttpResult* e = (GSM_HttpClientSimcom_Event_HttpResult*)data;
    (void)inst;
    if (type == GSM_HttpClientSimcom_EventType_HttpResult)
    {
        if (e->DataLength > GSM_HTTP_SIMCOM_READ_SIZE)
            abort();
        touch(e->DataResult, e->DataLength);
    }
}

/* A topic or payload segment: within its message and the segment size, never empty. */
static void segment(const char* text, uint16_t length, uint16_t offset, uint16_t total)
{
    if (length > GSM_MQTT_SIMCOM_RX_SEGMENT || length == 0u || (uint32_t)offset + length > total)
        abort();
    touch(text, length);
}

static void mqttEvent(GSM_MqttClientSimcom_Instance* inst, GSM_MqttClientSimcom_EventType type, void* data)
{
    (void)inst;
    if (type == GSM_MqttClientSimcom_EventType_MsgRxTopic)
    {
        GSM_MqttClientSimcom_Event_MsgRxTopic* e = (GSM_MqttClientSimcom_Event_MsgRxTopic*)data;
        segment(e->TopicSegment, e->TopicLenSegment, e->TopicSegmentOffset, e->TopicLenTotal);
    }
    else if (type == GSM_MqttClientSimcom_EventType_MsgRxPayload)
    {
        GSM_MqttClientSimcom_Event_MsgRxPayload* e = (GSM_MqttClientSimcom_Event_MsgRxPayload*)data;
        segment(e->PayloadSegment, e->PayloadLenSegment, e->PayloadSegmentOffset, e->PayloadLenTotal);
    }
    else if (type == GSM_MqttClientSimcom_EventType_ErrorResponse)
    {
        GSM_MqttClientSimcom_Event_ErrorResponse* e = (GSM_MqttClientSimcom_Event_ErrorResponse*)data;
        gEventBytes += e->ErrorCode;
    }
}

static void pollAll(void)
{
    gsmPromptPoll(&gPrompt);
    if (gLteFamily)
        gsmInternetConnectionSimcomPoll(&gLte);
    else
        gsmInternetConnectionSimcom2GPoll(&g2G);
    gsmHttpClientSimcomPoll(&gHttp);
    if (gLteFamily)
        gsmMqttClientSimcomPoll(&gMqtt);
}

static void feed(const char* text)
{
    gsmPromptFeed(&gPrompt, (const uint8_t*)text, strlen(text));
    gNow += 25;
    pollAll();
}

/* Answers that take the modules into their data phases (whatever they ask first);
 * `early`: in the shape of firmware that prints results before OK, without the space
 * after the colon, with a failure's result line before ERROR. */
static void prologue(int early)
{
    int i;
    feed(early ? "\r\nERROR\r\n" : "\r\n+NETOPEN: 1\r\n\r\nOK\r\n");
    feed("\r\n+SAPBR: 1,1,\"10.0.0.1\"\r\n\r\nOK\r\n");
    feed("\r\n+CCERTLIST: \"ca.pem\"\r\n+CCERTLIST: \"other\"\r\n+CCERTLIST:client.pem\r\n\r\nOK\r\n");
    for (i = 0; i < 8; i++)
    {
        if (early)
        {
            feed("\r\n+NETOPEN:0\r\n\r\nOK\r\n");
            feed("\r\n+CMQTTSTART: 23\r\n\r\nERROR\r\n");
            feed("\r\n+CMQTTCONNECT:0,0\r\n\r\nOK\r\n");
        }
        feed("\r\nOK\r\n");
        feed("\r\n+CMQTTSTART: 0\r\n");
        feed("\r\n+CMQTTCONNECT: 0,0\r\n");
        feed(">");
    }
    feed(early ? "\r\n+HTTPACTION:0,200,3000\r\n" : "\r\n+HTTPACTION: 0,200,3000\r\n");
    feed("\r\nOK\r\n");
}

int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    size_t at = 1;
    uint8_t scenario;

    if (size < 1)
        return 0;
    scenario = data[0];
    gLteFamily = (scenario & 1u) == 0u;

    memset(&gPrompt, 0, sizeof gPrompt);
    memset(&gLte, 0, sizeof gLte);
    memset(&g2G, 0, sizeof g2G);
    memset(&gHttp, 0, sizeof gHttp);
    memset(&gMqtt, 0, sizeof gMqtt);
    memset(&gSsl, 0, sizeof gSsl);
    gNow = 0xFFFFFF00u - (uint32_t)scenario * 1000u; /* cross the 32-bit wrap */

    gPrompt.DataBuffer = gPromptBuffer;
    gPrompt.DataBufferSize = (scenario & 2u) ? 64u : sizeof gPromptBuffer;
    gPrompt.Write = &writeByte;
    gPrompt.WriteCompleted = &writeCompleted;
    if (scenario & 4u)
    {
        gPrompt.EchoCancellationBuffer = gEchoBuffer;
        gPrompt.EchoCancellationBufferSize = sizeof gEchoBuffer;
    }
    gsmPromptInit(&gPrompt);
    gSslConfig.ContextId = 2;
    gSslConfig.Version = GSM_SslSimcom_Version_Tls12;
    gSslConfig.AuthMode = (uint8_t)((scenario >> 5) % 3u); /* bits 32 and 64 */
    gSslConfig.EnableSni = true;
    gSslConfig.CaCert = &kCa;
    gSslConfig.ClientCert = &kCert;
    gSslConfig.ClientKey = &kKey;
    gSsl.Prompt = &gPrompt._i;
    gSsl.Config = &gSslConfig;
    gsmSslSimcomInit(&gSsl);

    if (gLteFamily)
    {
        gLte.Prompt = &gPrompt._i;
        gLte.APN_IfAny = (scenario & 8u) ? "internet" : 0;
        gsmInternetConnectionSimcomInit(&gLte);
        gHttp.InternetConnection = &gLte._i;
        gMqtt.Prompt = &gPrompt._i;
        gMqtt.InternetConnection = &gLte._i;
        gMqtt.EventHandler = &mqttEvent;
        gMqtt.Ssl = (scenario & 16u) ? &gSsl : 0;
        gsmMqttClientSimcomInit(&gMqtt);
        gsmMqttClientSimcomInitConfigDefault(&gSession);
        gSession.ServerUrl = "tcp://127.0.0.1:1883";
        gSession.WillTopic = (scenario & 16u) ? "will" : 0;
        gSession.WillMessage = "bye";
        (void)gsmMqttClientSimcomConnect(&gMqtt, &gSession);
        (void)gsmMqttClientSimcomSubscribe(&gMqtt, "a/#", 1);
        (void)gsmMqttClientSimcomPublish(&gMqtt, "a/b", "payload");
    }
    else
    {
        g2G.Prompt = &gPrompt._i;
        g2G.APN_IfAny = (scenario & 8u) ? "internet" : 0;
        gsmInternetConnectionSimcom2GInit(&g2G);
        gHttp.InternetConnection = &g2G._i;
    }
    gHttp.Prompt = &gPrompt._i;
    gHttp.EventHandler = &httpEvent;
    gHttp.Ssl = (scenario & 16u) ? &gSsl : 0;
    gsmHttpClientSimcomInit(&gHttp);
    if (scenario & 32u)
        (void)gsmHttpClientSimcomPost(&gHttp, (scenario & 16u) ? "https://127.0.0.1/post" : "http://127.0.0.1/post",
                                      "body");
    else
        (void)gsmHttpClientSimcomGet(&gHttp, (scenario & 16u) ? "HTTPS://127.0.0.1/get" : "http://127.0.0.1/get");

    pollAll();
    if (scenario & 64u)
        prologue((scenario & 128u) != 0u);

    while (at < size)
    {
        uint8_t control = data[at++];
        size_t n = (size_t)(control & 0x3Fu) + 1u;
        if (n > size - at)
            n = size - at;
        gsmPromptFeed(&gPrompt, data + at, n);
        at += n;
        gNow += (control & 0x40u) ? 70000u : (uint32_t)(control >> 6) * 10u + 1u;
        pollAll();
        if (control == 0xFFu)
            (void)gsmHttpClientSimcomCancel(&gHttp);
        if (control == 0xFEu && gLteFamily)
            (void)gsmMqttClientSimcomCancelPublish(&gMqtt);
    }
    /* Let every timeout run out. */
    gNow += 200000u;
    pollAll();
    gNow += 200000u;
    pollAll();
    return 0;
}
