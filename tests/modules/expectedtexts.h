#pragma once

// Expected fragment and snippet texts, copied literally from the product's
// reference texts. Each text starts with an empty line and every line ends with
// a line feed. "<NBSP>" marks a no-break space (U+00A0); text() turns the
// marker into the real character.

#include <QString>

namespace expected {

inline QString text(const char* utf8)
{
    QString s = QString::fromUtf8(utf8);
    s.replace(QStringLiteral("<NBSP>"), QString(QChar(0x00A0)));
    return s;
}

// Debug output callbacks of the Start module.
inline const char* const kGettingStartedCallbacks = R"EXP(
// --- DEBUG UART ---

void gsmDebugTxPoll()
{
    // USER CODE BEGIN gsmDebugTxPoll

    // Arduino E.g. (Circular Buffer):

    // uint32_t u32NumberOfBytes;
    // uint8_t* pu8Segment = 0;

    // if (cbufCanRead(&mcbfDebugTx) && (Serial.availableForWrite() >= (SERIAL_TX_BUFFER_SIZE-1)))
    // {
    //     cbufReleaseLock(&mcbfDebugTx);
    //     u32NumberOfBytes = cbufReadContinuousSegmentAndLock(&mcbfDebugTx, &pu8Segment, (SERIAL_TX_BUFFER_SIZE-1));
    //     Serial.write(pu8Segment, u32NumberOfBytes);
    // }

    // USER CODE END gsmDebugTxPoll
}

void gsmDebugWrite(uint8_t _data)
{
    // USER CODE BEGIN gsmDebugWrite

    // Append _data to a buffer so that it can be transmitted asynchronously
    // (without blocking code execution here) by polled code. E.g. (Circular Buffer):

    // if (!cbufWrite(&mcbfDebugTx, _data))
    // {
    //     // Circular buffer full!
    // }

    // USER CODE END gsmDebugWrite
}

void gsmDebugWriteText(char* text)
{
    while (*text)
    {
        gsmDebugWrite(*text++);
    }
}
)EXP";

// Power callbacks as stored, with the optional gsmSetReset block.
inline const char* const kPowerCallbacksStored = R"EXP(
// --- GSM Power ---

void gsmSetPowerKey(GSM_Power_Instance* inst, bool activated) {
    // USER CODE BEGIN SetPowerKey
    // ToDo: Add Hardware Abstraction Layer (HAL) code here to set the "PwrKey" GPIO output. E.g.:
    // digitalWrite(8, activated);
    // Note: Depending on your hardware, you may need to invert the "activated" signal.
    // USER CODE END SetPowerKey
}

//<OPTIONAL:gsmSetReset>
void gsmSetReset(GSM_Power_Instance* inst, bool activated) {
    // USER CODE BEGIN SetReset
    // ToDo: Add Hardware Abstraction Layer (HAL) code here to set the "PwrKey" GPIO output. E.g.:
    // digitalWrite(9, activated);
    // Note: Depending on your hardware, you may need to invert the "activated" signal.
    // USER CODE END SetReset
}
//</OPTIONAL:gsmSetReset>

bool gsmReadStatus(GSM_Power_Instance* inst) {
    // USER CODE BEGIN ReadStatus
    // ToDo: Add Hardware Abstraction Layer (HAL) code here to read the "Status" GPIO input. E.g.:
    // return digitalRead(10);
    // Note: Depending on your hardware, you may need to invert the read signal.
    // USER CODE END ReadStatus
}
)EXP";

// Prompt callbacks appended after the optional gsmRxPoll.
inline const char* const kPromptCallbacks = R"EXP(
void gsmTxPoll()
{
    // USER CODE BEGIN gsmTxPoll
    // ToDo: Add Hardware Abstraction Layer (HAL) code here to "poll" the Tx buffer to transmit queued (buffered) data
    // to the GSM Modem.

    // Arduino / Circular Buffer E.g.:
    // uint8_t byte;
    // cbufReleaseLock(&mcbfGsmTx);

    // while (cbufCanRead(&mcbfGsmTx) && gsmSerial.availableForWrite())
    // {
    //     byte = cbufRead(&mcbfGsmTx);
    //     gsmSerial.write(byte);
    // }

    // USER CODE END gsmTxPoll
}

void gsmWrite(GSM_Prompt_Instance* inst, uint8_t _data)
{
    // USER CODE BEGIN gsmWrite
    // ToDo: Add Hardware Abstraction Layer (HAL) code here to write data to the Tx buffer.

    // E.g.:
    // if (!cbufWrite(&mcbfGsmTx, _data))
    // {
    //     // Circular buffer is full!
    // }
    // gsmTxPoll();

    // USER CODE END gsmWrite
}

bool gsmWriteCompleted(GSM_Prompt_Instance* inst)
{
    // USER CODE BEGIN gsmWriteCompleted
    // ToDo: Add Hardware Abstraction Layer (HAL) code here to determine if all writing is complete. This includes data
    // being written to the Tx buffer, as well as data being transmitted from the Tx buffer to the GSM modem.

    // Arduino E.g.:
    // return ((gsmSerial.availableForWrite() == (SERIAL_TX_BUFFER_SIZE-1)) && (cbufBufferedSize(&mcbfGsmTx) == 0));

    // USER CODE END gsmWriteCompleted
}

bool gsmCanRead(GSM_Prompt_Instance* inst)
{
    // USER CODE BEGIN gsmCanRead
    // ToDo: Add Hardware Abstraction Layer (HAL) code here to determine if there is data in the Rx buffer to be read.

    // Arduino E.g.:
    // gsmRxPoll();
    // return cbufCanRead(&mcbfGsmRx);

    // USER CODE END gsmCanRead
}

uint8_t gsmRead(GSM_Prompt_Instance* inst)
{
    // USER CODE BEGIN gsmRead
    // ToDo: Add Hardware Abstraction Layer (HAL) code here to read one byte from the Rx buffer.

    // Arduino E.g.:
    // return cbufRead(&mcbfGsmRx);

    // USER CODE END gsmRead
}
)EXP";

inline const char* const kPowerPrototypes = R"EXP(
// Power Convenience Functions
extern bool gsmmgrPowerGet();
extern void gsmmgrPowerSet(bool powered_on);
extern void gsmmgrPowerSetPowerKeyPressDurations(uint16_t powerOnPressTime_ms, uint16_t powerOffPressTime_ms);
)EXP";

inline const char* const kPowerConvenience = R"EXP(
// --- GSM Power ---

bool gsmmgrPowerGet()
{
   return gsmPowerGet(&mGsmPwrInst);
}

void gsmmgrPowerSet(bool powered_on)
{
gsmPowerSet(&mGsmPwrInst, powered_on);
}

void gsmmgrPowerSetPowerKeyPressDurations(uint16_t powerOnPressTime_ms, uint16_t powerOffPressTime_ms)
{
gsmPowerSetPowerKeyPressDurations(&mGsmPwrInst, powerOnPressTime_ms, powerOffPressTime_ms);
}
)EXP";

inline const char* const kBasicCommsConvenience = R"EXP(
// --- GSM BasicComms ---

bool gsmmgrBasicCommsCommunicationEstablished()
{
   return gsmBasicCommsCommunicationEstablished(&mGsmBasicCommsInst);
}
)EXP";

inline const char* const kPinPrototypes = R"EXP(
// Pin Convenience Functions
extern void gsmmgrPinEnter(uint16_t sim_pin);
extern GSM_PIN_SimStatus gsmmgrPinStatus();
)EXP";

inline const char* const kPinEvents = R"EXP(
// --- GSM PIN ---

void gsmPinEventHandler(GSM_PIN_Instance* inst, GSM_PIN_EventType event_type, void* event_data)
{
    // USER CODE BEGIN gsmPinEventHandler

    // ToDo: Handle PIN events
    // Note: In order to have the gsmDebugWrite functions available - as used in the example code snippets below - the Debug Output Buffer
    //       must be enabled in the Tarvex Code<NBSP>Generator.

    // E.g.
    // char txt[64]; // Buffer for debug output<NBSP>messages
    // char value[16]; // Buffer used for integar debug values

    GSM_PIN_Event_SimStatus* pevntPinSimStatus;

    switch(event_type)
    {
    case GSM_PIN_EventType_SimStatus:
        pevntPinSimStatus = (GSM_PIN_Event_SimStatus*)event_data;
        // E.g.:
        // strcpy(txt, "SIM card status: ");
        // itoa(pevntPinSimStatus->SimStatus, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n");
        // gsmDebugWriteText(txt);
        break;
    case GSM_PIN_EventType_PinSuccess:
        // E.g.:
        // gsmDebugWriteText("PIN code entered successfully.\n");
        break;
    case GSM_PIN_EventType_PinFailed:
        // E.g.:
        // gsmDebugWriteText("Incorrect PIN code.\n");
        break;
    }
    // USER CODE END gsmPinEventHandler
}
)EXP";

inline const char* const kPinConvenience = R"EXP(
// --- GSM PIN ---

void gsmmgrPinEnter(uint16_t sim_pin)
{
    gsmPinEnter(&mGsmPinInst, sim_pin);
}

GSM_PIN_SimStatus gsmmgrPinStatus()
{
    return gsmPinStatus(&mGsmPinInst);
}
)EXP";

inline const char* const kRssiPrototypes = R"EXP(
// Signal Quality Convenience Functions
#define gsmmgrSignalQualityRssiTo_dBm gsmSignalQualityRssiTo_dBm
extern bool gsmmgrSignalQualityQuery();
)EXP";

inline const char* const kRssiEvents = R"EXP(
// --- GSM Signal Quality ---

// User ToDo: Update this section to change what is done/output once a signal quality response is received.
void gsmSignalQualityEventHandler(GSM_SignalQuality_Instance* inst, GSM_SignalQuality_EventType event_type, void* event_data)
{
    // USER CODE BEGIN gsmSignalQualityEventHandler

    // ToDo: Handle Signal Quality events
    // Note: In order to have the gsmDebugWrite functions available - as used in the example code snippets below - the Debug Output Buffer
    //       must be enabled in the Tarvex Code<NBSP>Generator.

    // E.g.
    // char txt[128]; // Buffer for debug output<NBSP>messages
    // char value[16]; // Buffer used for integar debug values

    GSM_SignalQuality_Event_QuerySuccess* pevntSignalQualityQuerySuccess;

    switch(event_type)
    {
    case GSM_SignalQuality_EventType_QuerySuccess:
        pevntSignalQualityQuerySuccess = (GSM_SignalQuality_Event_QuerySuccess*)event_data;
        // E.g.:
        // strcpy(txt, "Signal quality response received.\nRSSI: ");
        // itoa(pevntSignalQualityQuerySuccess->Rssi, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n");
        // strcat(txt, "Quality: ");
        // itoa(pevntSignalQualityQuerySuccess->Quality, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n\n");
        // gsmDebugWriteText(txt);
        break;
    }
    // USER CODE END gsmSignalQualityEventHandler
}
)EXP";

inline const char* const kRssiConvenience = R"EXP(
// --- GSM Signal Quality ---

bool gsmmgrSignalQualityQuery()
{
return gsmSignalQualityQuery(&mGsmSignalQualityInst);
}
)EXP";

inline const char* const kNetworkRegistrationConvenience = R"EXP(
// --- GSM Network Registration ---

bool gsmmgrNetworkRegistrationIsRegistered()
{
   return gsmNetworkRegistrationIsRegistered(&mGsmNetworkRegistrationInst);
}
)EXP";

inline const char* const kSmsSendPrototypes = R"EXP(
// SMS Send Convenience Functions
#define gsmmgrSmsSendGetDeliveryStatusReportType gsmSmsSendGetDeliveryStatusReportType
extern bool gsmmgrSmsSend(char* phoneNumber, char* textBody);
extern void gsmmgrSmsSendCancel();
)EXP";

inline const char* const kSmsSendEvents = R"EXP(
// --- GSM SMS Send ---

void gsmSmsSendEventHandler(GSM_SmsSend_Instance* inst, GSM_SmsSend_EventType event_type, void* event_data)
{
    // USER CODE BEGIN gsmSmsSendEventHandler

    // ToDo: Handle SMS Send events
    // Note: In order to have the gsmDebugWrite functions available - as used in the example code snippets below - the Debug Output Buffer
    //       must be enabled in the Tarvex Code<NBSP>Generator.

    // E.g.
    // char txt[512]; // Buffer for debug output<NBSP>messages
    // char value[16]; // Buffer used for integar debug values

    GSM_SmsSend_Event_SendSuccess* pevntSmsSendSuccess;
    GSM_SmsSend_Event_DeliveryStatusReport* pevntDeliveryStatusReport;

    switch(event_type)
    {
    case GSM_SmsSend_EventType_SendSuccess:
        pevntSmsSendSuccess = (GSM_SmsSend_Event_SendSuccess*)event_data;
        // E.g.:
        // strcpy(txt, "Message sent successfully.\nMessage reference number: ");
        // itoa(pevntSmsSendSuccess->MessageReference, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n\n");
        // gsmDebugWriteText(txt);
        break;
    case GSM_SmsSend_EventType_SendFailed:
        // E.g.:
        // gsmDebugWriteText("Message failed to deliver.\n\n");
        break;
    case GSM_SmsSend_EventType_DeliveryStatusReport:
        pevntDeliveryStatusReport = (GSM_SmsSend_Event_DeliveryStatusReport*)event_data;
        // E.g.:
        // strcpy(txt, "Delivery report received:\n\n");
        // strcat(txt, "Phone number: ");
        // strcat(txt, pevntDeliveryStatusReport->PhoneNumber);
        // strcat(txt, "\n");
        // strcat(txt, "Message reference number: ");
        // itoa(pevntDeliveryStatusReport->MessageReference, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n");
        // strcat(txt, "Message status number: ");
        // itoa(pevntDeliveryStatusReport->MessageStatus, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n");
        // strcat(txt, "Service Centre epoch time: ");
        // itoa(pevntDeliveryStatusReport->ServiceCentreEpoch, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n");
        // strcat(txt, "Service Centre epoch time zone offset: ");
        // itoa(pevntDeliveryStatusReport->ServiceCentreTimeZoneOffsetInSeconds, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n");
        // strcat(txt, "Discharge epoch time: ");
        // itoa(pevntDeliveryStatusReport->DischargeEpoch, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n");
        // strcat(txt, "Discharge epoch time zone offset: ");
        // itoa(pevntDeliveryStatusReport->DischargeTimeZoneOffsetInSeconds, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n\n");
        // gsmDebugWriteText(txt);
        break;
    }
    // USER CODE END gsmSmsSendEventHandler
}
)EXP";

inline const char* const kSmsSendConvenience = R"EXP(
// --- GSM SMS Send ---

bool gsmmgrSmsSend(char* phoneNumber, char* textBody)
{
    return gsmSmsSend(&mGsmSmsSendInst, phoneNumber, textBody);
}

void gsmmgrSmsSendCancel()
{
    gsmSmsSendCancel(&mGsmSmsSendInst);
}
)EXP";

inline const char* const kSmsReadEvents = R"EXP(
// --- GSM SMS Read ---

void gsmSmsReadEventHandler(GSM_SmsRead_Instance* inst, GSM_SmsRead_EventType event_type, void* event_data)
{
    // USER CODE BEGIN gsmSmsReadEventHandler

    // ToDo: Handle SMS Read events
    // Note: In order to have the gsmDebugWrite functions available - as used in the example code snippets below - the Debug Output Buffer
    //       must be enabled in the Tarvex Code<NBSP>Generator.

    // E.g.
    // char txt[512]; // Buffer for debug output<NBSP>messages
    // char value[16]; // Buffer used for integar debug values

    GSM_SmsRead_Event_ReadSuccess* pevntSmsReadSuccess;

    switch(event_type)
    {
    case GSM_SmsRead_EventType_ReadSuccess:
        pevntSmsReadSuccess = (GSM_SmsRead_Event_ReadSuccess*)event_data;
        // E.g:
        // strcpy(txt, "A text message has been received.\n\nMessage status: ");
        // itoa(pevntSmsReadSuccess->SmsStatus, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n");
        // strcat(txt, "Message received from: ");
        // strcat(txt, pevntSmsReadSuccess->PhoneNumber);
        // strcat(txt, "\n");
        // strcat(txt, "Message contents: ");
        // strcat(txt, pevntSmsReadSuccess->SmsData);
        // strcat(txt, "\n");
        // strcat(txt, "Epoch time: ");
        // itoa(pevntSmsReadSuccess->EpochTime, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n");
        // strcat(txt, "Epoch time zone offset: ");
        // itoa(pevntSmsReadSuccess->TimeZoneCompensation, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n\n");
        // gsmDebugWriteText(txt);
        break;
    }
    // USER CODE END gsmSmsReadEventHandler
}
)EXP";

inline const char* const kUssdEvents = R"EXP(
// --- GSM USSD ---

// User ToDo: Update this section to change what is done/output once a USSD response is received.
void gsmUssdEventHandler(GSM_USSD_Instance* inst, GSM_USSD_EventType event_type, void* event_data)
{
    // USER CODE BEGIN gsmUssdEventHandler

    // ToDo: Handle USSD events
    // Note: In order to have the gsmDebugWrite functions available - as used in the example code snippets below - the Debug Output Buffer
    //       must be enabled in the Tarvex Code<NBSP>Generator.

    // E.g.
    // char txt[1024]; // Buffer for debug output<NBSP>messages
    // char value[16]; // Buffer used for integar debug values

    GSM_USSD_Event_UssdResponse* pevntUssdResponse;

    switch(event_type)
    {
    case GSM_USSD_EventType_UssdSent:
        // E.g.:
        // gsmDebugWriteText("USSD code successfully sent.\n\n");
        break;
    case GSM_USSD_EventType_UssdResponse:
        // E.g.:
        // strcpy(txt, "USSD response received.\n\nResponse Code: ");
        // itoa(pevntUssdResponse->ResponseCode, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n");
        // strcat(txt, "Response Data (if any):\n\n");
        // strcat(txt, pevntUssdResponse->DataResult);
        // strcat(txt, "\n\n");
        // gsmDebugWriteText(txt);

        // ToDo: Implement code based on pevntUssdResponse->ResponseCode.
        // Note: if the response code states that a response is required (GSM_USSD_ResponseCode_ActionRequired), you will need to reply
        //       using gsmmgrUssdSend(), or cancel the session using gsmmgrUssdCancelSession().
        break;
    case GSM_USSD_EventType_UssdCancelled:
        // E.g.:
        // gsmDebugWriteText("USSD session has been cancelled.\n\n");
        break;
    }
    // USER CODE END gsmUssdEventHandler
}
)EXP";

inline const char* const kUssdConvenience = R"EXP(
// --- GSM USSD ---

bool gsmmgrUssdSend(char* ussd_payload)
{
   return gsmUssdSend(&mGsmUssdInst, ussd_payload);
}

bool gsmmgrUssdCancelSession()
{
   return gsmUssdCancelSession(&mGsmUssdInst);
}
)EXP";

inline const char* const kLteConvenience = R"EXP(
// --- GSM Internet Connection (SIMCom LTE) ---

bool gsmmgrInternetConnectionSimcomIsConnected()
{
   return gsmInternetConnectionSimcomIsConnected(&mGsmInternetConnectionSimcomInst);
}
)EXP";

inline const char* const kConnection2GConvenience = R"EXP(
// --- GSM Internet Connection (SIMCom 2G) ---

bool gsmmgrInternetConnectionSimcom2GIsConnected()
{
   return gsmInternetConnectionSimcom2GIsConnected(&mGsmInternetConnectionSimcom2GInst);
}
)EXP";

inline const char* const kApnCallbacks = R"EXP(
// --- GSM Internet Connection ---

char* gsmGetAPN() {
    // USER CODE BEGIN gsmGetAPN
    // ToDo: Replace code below based on the APN details required. This could be a simple "string",
    //       or code to retrieve settings from FLASH E.g.:
    // return "APN";
    // USER CODE END gsmGetAPN
}
)EXP";

inline const char* const kHttpPrototypes = R"EXP(
// HTTP Client (SIMCom) Convenience Functions
extern bool gsmmgrHttpClientSimcomGet(char* url);
extern bool gsmmgrHttpClientSimcomPost(char* url, char* postData);
extern void gsmmgrHttpClientSimcomPostSetContentType(char* contentTypeOrNullForDefault);
extern bool gsmmgrHttpClientSimcomHttpOperationPending();
extern bool gsmmgrHttpClientSimcomHttpOperationStarted();
extern bool gsmmgrHttpClientSimcomCancel();
extern void gsmmgrHttpClientSimcomHttpTermWhenDone(bool termWhenDone);
extern void gsmmgrHttpClientSimcomSetTimeouts(uint32_t httpActionTimeout_ms, uint32_t httpReadTimeout_ms);
)EXP";

inline const char* const kHttpEvents = R"EXP(
// --- GSM HTTP Client (SIMCom) ---

void gsmHttpClientSimcomEventHandler(GSM_HttpClientSimcom_Instance* inst, GSM_HttpClientSimcom_EventType event_type, void* event_data)
{
    // USER CODE BEGIN gsmHttpClientSimcomEventHandler

    // ToDo: Handle HTTP event
    // Note: In order to have the gsmDebugWrite functions available - as used in the example code snippets below - the Debug Output Buffer
    //       must be enabled in the Tarvex Code<NBSP>Generator.

    // E.g.
    // char txt[2048]; // Buffer for debug output<NBSP>messages

    GSM_HttpClientSimcom_Event_HttpResult* pevntHttpClientSimcomHttpResult;

    switch(event_type)
    {
    case GSM_HttpClientSimcom_EventType_HttpResult:
        pevntHttpClientSimcomHttpResult = (GSM_HttpClientSimcom_Event_HttpResult*)event_data;
        // E.g.:
        // sprintf(txt, "HTTP result code %u, data (at offset %u):\n", pevntHttpClientSimcomHttpResult->ResultStatusCode, pevntHttpClientSimcomHttpResult->DataOffset);
        // gsmDebugWriteText(txt);
        // gsmDebugWriteText(pevntHttpClientSimcomHttpResult->DataResult);
        // gsmDebugWrite('\n');
        break;
    }
    // USER CODE END gsmHttpClientSimcomEventHandler
}
)EXP";

inline const char* const kHttpConvenience = R"EXP(
// --- GSM HTTP Client (SIMCom) ---

bool gsmmgrHttpClientSimcomGet(char* url)
{
    return gsmHttpClientSimcomGet(&mGsmHttpClientSimcomInst, url);
}

bool gsmmgrHttpClientSimcomPost(char* url, char* postData)
{
    return gsmHttpClientSimcomPost(&mGsmHttpClientSimcomInst, url, postData);
}

void gsmmgrHttpClientSimcomPostSetContentType(char* contentTypeOrNullForDefault)
{
    gsmHttpClientSimcomPostSetContentType(&mGsmHttpClientSimcomInst, contentTypeOrNullForDefault);
}

bool gsmmgrHttpClientSimcomHttpOperationPending()
{
    return gsmHttpClientSimcomHttpOperationPending(&mGsmHttpClientSimcomInst);
}

bool gsmmgrHttpClientSimcomHttpOperationStarted()
{
    return gsmHttpClientSimcomHttpOperationStarted(&mGsmHttpClientSimcomInst);
}

bool gsmmgrHttpClientSimcomCancel()
{
    return gsmHttpClientSimcomCancel(&mGsmHttpClientSimcomInst);
}

void gsmmgrHttpClientSimcomHttpTermWhenDone(bool termWhenDone)
{
    gsmHttpClientSimcomHttpTermWhenDone(&mGsmHttpClientSimcomInst, termWhenDone);
}

void gsmmgrHttpClientSimcomSetTimeouts(uint32_t httpActionTimeout_ms, uint32_t httpReadTimeout_ms)
{
    gsmHttpClientSimcomSetTimeouts(&mGsmHttpClientSimcomInst, httpActionTimeout_ms, httpReadTimeout_ms);
}
)EXP";

inline const char* const kMqttPrototypes = R"EXP(
// MQTT Client (SIMCom LTE) Convenience Functions
#define gsmmgrMqttClientSimcomInitConfigDefault gsmMqttClientSimcomInitConfigDefault
extern bool gsmmgrMqttClientSimcomConnect(GSM_MqttClientSimcom_Connect_Session* connect_session);
extern bool gsmmgrMqttClientSimcomSubscribe(char* subscribe_topic, uint8_t subscribe_QoS);
extern bool gsmmgrMqttClientSimcomPublish(char* publish_topic, char* publish_message);
extern bool gsmmgrMqttClientSimcomPublishEx(GSM_MqttClientSimcom_Publish_Parameters* publish_parameters);
extern bool gsmmgrMqttClientSimcomUnsubscribe(char* unsubscribe_topic);
extern bool gsmmgrMqttClientSimcomDisconnect();
extern bool gsmmgrMqttClientSimcomCancelPublish();
extern bool gsmmgrMqttClientSimcomCancelSubscribe();
extern bool gsmmgrMqttClientSimcomCancelUnsubscribe();
extern GSM_MQTT_ServerStatus gsmmgrMqttClientServerConnectionState();
)EXP";

inline const char* const kMqttEvents = R"EXP(
// --- GSM MQTT (SIMCom LTE) Client ---

void gsmMqttClientSimcomEventHandler(GSM_MqttClientSimcom_Instance* inst, GSM_MqttClientSimcom_EventType event_type, void* event_data)
{
    // USER CODE BEGIN gsmMqttClientSimcomEventHandler

    // ToDo: Handle MQTT events
    // Note: In order to have the gsmDebugWrite functions available - as used in the example code snippets below - the Debug Output Buffer
    //       must be enabled in the Tarvex Code<NBSP>Generator.

    // E.g.
    // char txt[2048]; // Buffer for debug output<NBSP>messages
    // char txtVal[16]; // Buffer used for debug integer-to-string conversions

    GSM_MqttClientSimcom_Event_ErrorResponse* pevntMqttClientSimcomErrorResponse;
    GSM_MqttClientSimcom_Event_MsgRxTopic* pevntMqttClientSimcomMsgRxTopic;
    GSM_MqttClientSimcom_Event_MsgRxPayload* pevntMqttClientSimcomMsgRxPayload;

    switch(event_type)
    {
    case GSM_MqttClientSimcom_EventType_ConnectSuccess:
        // E.g.:
        // gsmDebugWriteText("Successfully connected to MQTT host server!\n");
        break;
    case GSM_MqttClientSimcom_EventType_SubscribeSuccess:
        // E.g.:
        // gsmDebugWriteText("Successfully subscribed to MQTT topic.\n");
        break;
    case GSM_MqttClientSimcom_EventType_PublishSuccess:
        // E.g.:
        // gsmDebugWriteText("Message successfully published to MQTT topic.\n");
        break;
    case GSM_MqttClientSimcom_EventType_MsgRxTopic:
        pevntMqttClientSimcomMsgRxTopic = (GSM_MqttClientSimcom_Event_MsgRxTopic*)event_data;
        // E.g.:
        // strcpy(txt, "Topic Total Length: ");
        // itoa(pevntMqttClientSimcomMsgRxTopic->TopicLenTotal, txtVal, 10);
        // strcat(txt, txtVal);
        // strcat(txt, "\n");
        // strcat(txt, "Topic Segment Length: ");
        // itoa(pevntMqttClientSimcomMsgRxTopic->TopicLenSegment, txtVal, 10);
        // strcat(txt, txtVal);
        // strcat(txt, "\n");
        // strcat(txt, "Segment Offset: ");
        // itoa(pevntMqttClientSimcomMsgRxTopic->TopicSegmentOffset, txtVal, 10);
        // strcat(txt, txtVal);
        // strcat(txt, "\n\n");
        // strcat(txt, "Topic Segment: ");
        // strcat(txt, pevntMqttClientSimcomMsgRxTopic->TopicSegment);
        // strcat(txt, "\n\n");
        // gsmDebugWriteText(txt);
        break;
    case GSM_MqttClientSimcom_EventType_MsgRxTopicHeaderError:
        // E.g.:
        // gsmDebugWriteText("Failed to read MQTT topic header.\n");
        break;
    case GSM_MqttClientSimcom_EventType_MsgRxTopicError:
        // E.g.:
        // gsmDebugWriteText("Failed to read MQTT topic data.\n");
        break;
    case GSM_MqttClientSimcom_EventType_MsgRxPayload:
        pevntMqttClientSimcomMsgRxPayload = (GSM_MqttClientSimcom_Event_MsgRxPayload*)event_data;
        // E.g.:
        // strcpy(txt, "Payload Total Length: ");
        // itoa(pevntMqttClientSimcomMsgRxPayload->PayloadLenTotal, txtVal, 10);
        // strcat(txt, txtVal);
        // strcat(txt, "\n");
        // strcat(txt, "Payload Segment Length: ");
        // itoa(pevntMqttClientSimcomMsgRxPayload->PayloadLenSegment, txtVal, 10);
        // strcat(txt, txtVal);
        // strcat(txt, "\n");
        // strcat(txt, "Segment Offset: ");
        // itoa(pevntMqttClientSimcomMsgRxPayload->PayloadSegmentOffset, txtVal, 10);
        // strcat(txt, txtVal);
        // strcat(txt, "\n\n");
        // strcat(txt, "Payload Segment: ");
        // strcat(txt, pevntMqttClientSimcomMsgRxPayload->PayloadSegment);
        // strcat(txt, "\n\n");
        // gsmDebugWriteText(txt);
        break;
    case GSM_MqttClientSimcom_EventType_MsgRxPayloadHeaderError:
        // E.g.:
        // gsmDebugWriteText("Failed to read MQTT payload header.\n");
        break;
    case GSM_MqttClientSimcom_EventType_MsgRxPayloadError:
        // E.g.:
        // gsmDebugWriteText("Failed to read MQTT payload data.\n");
        break;
    case GSM_MqttClientSimcom_EventType_MsgRxEnd:
        // E.g.:
        // gsmDebugWriteText("End of MQTT message detected.\n");
        break;
    case GSM_MqttClientSimcom_EventType_UnsubscribeSuccess:
        // E.g.:
        // gsmDebugWriteText("Successfully unsubscribed from MQTT topic.\n");
        break;
    case GSM_MqttClientSimcom_EventType_DisconnectSuccess:
        // E.g.:
        // gsmDebugWriteText("Successfully disconnected from the MQTT host server.\n");
        break;
    case GSM_MqttClientSimcom_EventType_ConnectionLost:
        // E.g.:
        // gsmDebugWriteText("Connection to MQTT host server has been lost.\n");
        break;
    case GSM_MqttClientSimcom_EventType_NoNetwork:
        // E.g.:
        // gsmDebugWriteText("Network connection has been lost.\n");
        break;
    case GSM_MqttClientSimcom_EventType_ErrorResponse:
        pevntMqttClientSimcomErrorResponse = (GSM_MqttClientSimcom_Event_ErrorResponse*)event_data;
        // E.g.:
        // strcpy(txt, "Error response received from MQTT module:\n\nError Type: ");
        // itoa(pevntMqttClientSimcomErrorResponse->ErrorType, txtVal, 10); // ErrorType is of type enum (GSM_MQTT_ErrorType)
        // strcat(txt, txtVal);
        // strcat(txt, "\nError Code: ");
        // itoa(pevntMqttClientSimcomErrorResponse->ErrorCode, txtVal, 10);
        // strcat(txt, txtVal);
        // strcat(txt, "\n\n");
        // gsmDebugWriteText(txt);
        break;
    }
    // USER CODE END gsmMqttClientSimcomEventHandler
}
)EXP";

inline const char* const kMqttConvenience = R"EXP(
// --- GSM MQTT (SIMCom LTE) Client ---

bool gsmmgrMqttClientSimcomConnect(GSM_MqttClientSimcom_Connect_Session* connect_session)
{
    return gsmMqttClientSimcomConnect(&mGsmMqttClientSimcomInst, connect_session);
}

bool gsmmgrMqttClientSimcomSubscribe(char* subscribe_topic, uint8_t subscribe_QoS)
{
    return gsmMqttClientSimcomSubscribe(&mGsmMqttClientSimcomInst, subscribe_topic, subscribe_QoS);
}

bool gsmmgrMqttClientSimcomPublish(char* publish_topic, char* publish_message)
{
    return gsmMqttClientSimcomPublish(&mGsmMqttClientSimcomInst, publish_topic, publish_message);
}

bool gsmmgrMqttClientSimcomPublishEx(GSM_MqttClientSimcom_Publish_Parameters* publish_parameters)
{
    return gsmMqttClientSimcomPublishEx(&mGsmMqttClientSimcomInst, publish_parameters);
}

bool gsmmgrMqttClientSimcomUnsubscribe(char* unsubscribe_topic)
{
    return gsmMqttClientSimcomUnsubscribe(&mGsmMqttClientSimcomInst, unsubscribe_topic);
}

bool gsmmgrMqttClientSimcomDisconnect()
{
    return gsmMqttClientSimcomDisconnect(&mGsmMqttClientSimcomInst);
}

bool gsmmgrMqttClientSimcomCancelPublish()
{
    return gsmMqttClientSimcomCancelPublish(&mGsmMqttClientSimcomInst);
}

bool gsmmgrMqttClientSimcomCancelSubscribe()
{
    return gsmMqttClientSimcomCancelSubscribe(&mGsmMqttClientSimcomInst);
}

bool gsmmgrMqttClientSimcomCancelUnsubscribe()
{
    return gsmMqttClientSimcomCancelUnsubscribe(&mGsmMqttClientSimcomInst);
}

GSM_MQTT_ServerStatus gsmmgrMqttClientServerConnectionState()
{
    return gsmMqttClientServerConnectionState(&mGsmMqttClientSimcomInst);
}
)EXP";

} // namespace expected
