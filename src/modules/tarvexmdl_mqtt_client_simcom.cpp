#include "tarvexmdl_mqtt_client_simcom.h"

#include "modulesupport.h"

using namespace ModuleSupport;

TarvexMdl_Mqtt_Client_SIMCom::TarvexMdl_Mqtt_Client_SIMCom(QObject* parent)
    : TarvexMdl(parent)
{
}

QString TarvexMdl_Mqtt_Client_SIMCom::getName() const
{
    return QStringLiteral("MQTT_Client_SIMCom");
}

QString TarvexMdl_Mqtt_Client_SIMCom::getDocHtml() const
{
    return docText(QStringLiteral("tarvexmdl_MqttClientSimcom.html"));
}

QStringList TarvexMdl_Mqtt_Client_SIMCom::getLibraryFiles() const
{
    // The TLS support (certificates, SSL contexts) comes with each client.
    return {QStringLiteral("GSM_MqttClient_Simcom.h"), QStringLiteral("GSM_MqttClient_Simcom.c"),
            QStringLiteral("GSM_Ssl_Simcom.h"), QStringLiteral("GSM_Ssl_Simcom.c")};
}

QString TarvexMdl_Mqtt_Client_SIMCom::getHeaderInclude() const
{
    return QStringLiteral("/GSM_MqttClient_Simcom.h\"\n");
}

QString TarvexMdl_Mqtt_Client_SIMCom::getHeaderPrototypes() const
{
    return QStringLiteral(
        "\n"
        "// MQTT Client (SIMCom LTE) Convenience Functions\n"
        "#define gsmmgrMqttClientSimcomInitConfigDefault gsmMqttClientSimcomInitConfigDefault\n"
        "extern bool gsmmgrMqttClientSimcomConnect(GSM_MqttClientSimcom_Connect_Session* connect_session);\n"
        "extern bool gsmmgrMqttClientSimcomSubscribe(char* subscribe_topic, uint8_t subscribe_QoS);\n"
        "extern bool gsmmgrMqttClientSimcomPublish(char* publish_topic, char* publish_message);\n"
        "extern bool gsmmgrMqttClientSimcomPublishEx(GSM_MqttClientSimcom_Publish_Parameters* publish_parameters);\n"
        "extern bool gsmmgrMqttClientSimcomUnsubscribe(char* unsubscribe_topic);\n"
        "extern bool gsmmgrMqttClientSimcomDisconnect();\n"
        "extern bool gsmmgrMqttClientSimcomCancelPublish();\n"
        "extern bool gsmmgrMqttClientSimcomCancelSubscribe();\n"
        "extern bool gsmmgrMqttClientSimcomCancelUnsubscribe();\n"
        "extern GSM_MQTT_ServerStatus gsmmgrMqttClientServerConnectionState();\n");
}

QString TarvexMdl_Mqtt_Client_SIMCom::getInstanceVariables() const
{
    return QStringLiteral("GSM_MqttClientSimcom_Instance mGsmMqttClientSimcomInst = {0};\n");
}

QString TarvexMdl_Mqtt_Client_SIMCom::getEventCallbackFunctions() const
{
    return snippetText(QStringLiteral("tarvexmdl_MqttClientSimcom_EventFunctions.c"));
}

QString TarvexMdl_Mqtt_Client_SIMCom::getInitCode() const
{
    return QStringLiteral(
        "    \n"
        "    // MQTT Client (SIMCom)\n"
        "    mGsmMqttClientSimcomInst.Power = (&mGsmPwrInst._i);\n"
        "    mGsmMqttClientSimcomInst.Prompt = (&mGsmPromptInst._i);\n"
        "    mGsmMqttClientSimcomInst.NetworkRegistration = (&mGsmNetworkRegistrationInst._i);\n"
        "    mGsmMqttClientSimcomInst.InternetConnection = (&mGsmInternetConnectionSimcomInst._i);\n"
        "    mGsmMqttClientSimcomInst.EventHandler = &gsmMqttClientSimcomEventHandler;\n"
        "    gsmMqttClientSimcomInit(&mGsmMqttClientSimcomInst);\n");
}

QString TarvexMdl_Mqtt_Client_SIMCom::getPollCode() const
{
    return QStringLiteral("    gsmMqttClientSimcomPoll(&mGsmMqttClientSimcomInst);\n");
}

QString TarvexMdl_Mqtt_Client_SIMCom::getConvenienceFunctions() const
{
    return snippetText(QStringLiteral("tarvexmdl_MqttClientSimcom_ConvFunctions.c"));
}
