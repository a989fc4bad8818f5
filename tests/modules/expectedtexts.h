#pragma once

// Expected texts of the fragments that the modules assemble in code, copied
// literally from the product's reference texts; each starts with an empty
// line and every line ends with a line feed. Fragments that are a stored
// snippet are compared with the snippet itself (snippet()), whose bytes the
// code bundle test pins.

#include "fileutil.h"

#include <QString>

namespace expected {

inline QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// The snippet resources/code/<name> as the modules read it (LF line ends).
inline QString snippet(const char* name)
{
    return readResourceText(QStringLiteral(":/code/resources/code/") + QLatin1String(name));
}

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

inline const char* const kRssiPrototypes = R"EXP(
// Signal Quality Convenience Functions
#define gsmmgrSignalQualityRssiTo_dBm gsmSignalQualityRssiTo_dBm
extern bool gsmmgrSignalQualityQuery();
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

} // namespace expected
