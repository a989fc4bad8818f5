# What each job's firmware developer writes into the USER CODE sections: the job's
# logic and event handlers. The code is the same on every target; it prints through
# reportLabel() (a string literal), reportText(), reportBytes() and reportNumber(),
# which the target glue provides.

# ---- the Prompt's byte callbacks on the circular buffers, the same on every target ----
set(GLUE_all_gsmWrite [[
    (void)inst;
    // A full Tx buffer drains through the UART; wait for room.
    while (!cbufWrite(&mcbfGsmTx, _data))
    {
        gsmTxPoll();
    }
    gsmTxPoll();]])
set(GLUE_all_gsmCanRead [[
    (void)inst;
    gsmRxPoll();
    return cbufCanRead(&mcbfGsmRx);]])
set(GLUE_all_gsmRead [[
    (void)inst;
    return cbufRead(&mcbfGsmRx);]])

# ---- send one SMS after registration -------------------------------------------
set(GLUE_sms_Variables [[
// The text sent once the modem is registered.
static char mSmsNumber[] = "+15550100";
static char mSmsText[] = "Tarvex on the chip";
static bool mSmsQueued = false;]])
set(GLUE_sms_Poll [[
    if (!mSmsQueued && gsmmgrNetworkRegistrationIsRegistered())
    {
        mSmsQueued = gsmmgrSmsSend(mSmsNumber, mSmsText);
    }]])
set(GLUE_sms_gsmSmsSendEventHandler [[
    (void)inst;
    switch (event_type)
    {
    case GSM_SmsSend_EventType_SendSuccess:
        reportLabel("SENT ");
        reportNumber(((GSM_SmsSend_Event_SendSuccess*)event_data)->MessageReference);
        reportLabel("\n");
        break;
    case GSM_SmsSend_EventType_SendFailed:
        reportLabel("SEND FAILED\n");
        break;
    case GSM_SmsSend_EventType_DeliveryStatusReport:
        reportLabel("DELIVERED ");
        reportNumber(((GSM_SmsSend_Event_DeliveryStatusReport*)event_data)->MessageStatus);
        reportLabel("\n");
        break;
    }]])

# ---- receive SMS -----------------------------------------------------------------
set(GLUE_smsread_Variables [[
static bool mRegisteredReported = false;]])
set(GLUE_smsread_Poll [[
    if (!mRegisteredReported && gsmmgrNetworkRegistrationIsRegistered())
    {
        mRegisteredReported = true;
        reportLabel("REGISTERED\n");
    }]])
set(GLUE_smsread_gsmSmsReadEventHandler [[
    (void)inst;
    if (event_type == GSM_SmsRead_EventType_ReadSuccess)
    {
        GSM_SmsRead_Event_ReadSuccess* sms = (GSM_SmsRead_Event_ReadSuccess*)event_data;
        reportLabel("SMS FROM ");
        reportText(sms->PhoneNumber);
        reportLabel(" AT ");
        reportNumber(sms->EpochTime);
        if (sms->TimeZoneCompensation < 0)
        {
            reportLabel(" ZONE -");
        }
        else
        {
            reportLabel(" ZONE ");
        }
        reportNumber(sms->TimeZoneCompensation < 0 ? -sms->TimeZoneCompensation : sms->TimeZoneCompensation);
        reportLabel(" TEXT ");
        reportText(sms->SmsData);
        reportLabel("\n");
    }]])

# ---- HTTP GET, the body to the serial port (LTE and 2G) ---------------------------
set(GLUE_httplte_Variables [[
static char mUrl[] = "http://files.tarvex.test/body.bin";
static bool mRequested = false;]])
set(GLUE_httplte_Poll [[
    if (!mRequested && gsmmgrInternetConnectionSimcomIsConnected())
    {
        mRequested = gsmmgrHttpClientSimcomGet(mUrl);
    }]])
set(GLUE_httplte_gsmHttpClientSimcomEventHandler [[
    (void)inst;
    if (event_type == GSM_HttpClientSimcom_EventType_HttpResult)
    {
        // Each piece of the body as it comes: status, offset and length, then the bytes.
        GSM_HttpClientSimcom_Event_HttpResult* result = (GSM_HttpClientSimcom_Event_HttpResult*)event_data;
        reportLabel("HTTP ");
        reportNumber(result->ResultStatusCode);
        reportLabel(" ");
        reportNumber(result->DataOffset);
        reportLabel(" ");
        reportNumber(result->DataLength);
        reportLabel(":");
        reportBytes(result->DataResult, result->DataLength);
        if (result->LastSegment)
        {
            reportLabel("\nHTTP END\n");
        }
        else
        {
            reportLabel("\n");
        }
    }]])
set(GLUE_http2g_Variables "${GLUE_httplte_Variables}")
string(REPLACE "SimcomIsConnected" "Simcom2GIsConnected" GLUE_http2g_Poll "${GLUE_httplte_Poll}")
set(GLUE_http2g_gsmHttpClientSimcomEventHandler "${GLUE_httplte_gsmHttpClientSimcomEventHandler}")

# ---- MQTT over LTE: connect, subscribe, publish, print what arrives ---------------
set(GLUE_mqtt_Variables [[
static GSM_MqttClientSimcom_Connect_Session mMqttSession;
static char mMqttTopicIn[] = "tarvex/emu/in";
static char mMqttTopicOut[] = "tarvex/emu/out";
static char mMqttGreeting[] = "hello from the chip";
// 0 connect, 2 subscribe, 4 publish; odd steps wait for the handler.
static uint8_t mMqttStep = 0;]])
set(GLUE_mqtt_Init [[
    gsmmgrMqttClientSimcomInitConfigDefault(&mMqttSession);
    mMqttSession.ServerUrl = "tcp://broker.tarvex.test:1883";
    mMqttSession.ClientId = "tarvex-emu";]])
set(GLUE_mqtt_Poll [[
    if (mMqttStep == 0 && gsmmgrInternetConnectionSimcomIsConnected() && gsmmgrMqttClientSimcomConnect(&mMqttSession))
    {
        mMqttStep = 1;
    }
    else if (mMqttStep == 2 && gsmmgrMqttClientSimcomSubscribe(mMqttTopicIn, 1))
    {
        mMqttStep = 3;
    }
    else if (mMqttStep == 4 && gsmmgrMqttClientSimcomPublish(mMqttTopicOut, mMqttGreeting))
    {
        mMqttStep = 5;
    }]])
set(GLUE_mqtt_gsmMqttClientSimcomEventHandler [[
    (void)inst;
    switch (event_type)
    {
    case GSM_MqttClientSimcom_EventType_ConnectSuccess:
        reportLabel("MQTT CONNECTED\n");
        mMqttStep = 2;
        break;
    case GSM_MqttClientSimcom_EventType_SubscribeSuccess:
        reportLabel("MQTT SUBSCRIBED\n");
        mMqttStep = 4;
        break;
    case GSM_MqttClientSimcom_EventType_PublishSuccess:
        reportLabel("MQTT PUBLISHED\n");
        break;
    case GSM_MqttClientSimcom_EventType_MsgRxTopic:
    {
        GSM_MqttClientSimcom_Event_MsgRxTopic* topic = (GSM_MqttClientSimcom_Event_MsgRxTopic*)event_data;
        reportLabel("TOPIC ");
        reportNumber(topic->TopicSegmentOffset);
        reportLabel(" ");
        reportNumber(topic->TopicLenSegment);
        reportLabel(":");
        reportBytes(topic->TopicSegment, topic->TopicLenSegment);
        reportLabel("\n");
        break;
    }
    case GSM_MqttClientSimcom_EventType_MsgRxPayload:
    {
        GSM_MqttClientSimcom_Event_MsgRxPayload* payload = (GSM_MqttClientSimcom_Event_MsgRxPayload*)event_data;
        reportLabel("PAYLOAD ");
        reportNumber(payload->PayloadSegmentOffset);
        reportLabel(" ");
        reportNumber(payload->PayloadLenSegment);
        reportLabel(":");
        reportBytes(payload->PayloadSegment, payload->PayloadLenSegment);
        reportLabel("\n");
        break;
    }
    case GSM_MqttClientSimcom_EventType_MsgRxEnd:
        reportLabel("MQTT END\n");
        break;
    case GSM_MqttClientSimcom_EventType_ErrorResponse:
        reportLabel("MQTT ERROR ");
        reportNumber(((GSM_MqttClientSimcom_Event_ErrorResponse*)event_data)->ErrorType);
        reportLabel(" ");
        reportNumber(((GSM_MqttClientSimcom_Event_ErrorResponse*)event_data)->ErrorCode);
        reportLabel("\n");
        mMqttStep = 0;
        break;
    default:
        // Header and read errors, connection or network lost: start over.
        reportLabel("MQTT LOST ");
        reportNumber(event_type);
        reportLabel("\n");
        mMqttStep = 0;
        break;
    }]])
