// Golden texts of the cellular service modules (Pin, RSSI, Network
// Registration, SMS Send/Read, USSD) and of the internet modules (the LTE and
// 2G connections with and without APN, the HTTP and MQTT clients).

#include "expectedtexts.h"
#include "testsupport.h"

#include "tarvexmdl_http_client_simcom.h"
#include "tarvexmdl_internetconnection_simcom.h"
#include "tarvexmdl_internetconnection_simcom2g.h"
#include "tarvexmdl_mqtt_client_simcom.h"
#include "tarvexmdl_networkregistration.h"
#include "tarvexmdl_pin.h"
#include "tarvexmdl_rssi.h"
#include "tarvexmdl_sms_read.h"
#include "tarvexmdl_sms_send.h"
#include "tarvexmdl_ussd.h"

#include <QtTest>

#include <memory>

namespace {

// Every output of a module, as one record, so a data row can state the
// whole expected result.
struct Outputs
{
    QString name;
    QStringList libraryFiles;
    QString headerInclude, headerPrototypes, sourceIncludes, generalVariables, instanceVariables,
        generalCallbacks, eventCallbacks, initCode, pollCode, convenience;
};

Outputs outputsOf(const TarvexMdl& m)
{
    return {m.getName(),
            m.getLibraryFiles(),
            m.getHeaderInclude(),
            m.getHeaderPrototypes(),
            m.getSourceIncludes(),
            m.getGeneralVariables(),
            m.getInstanceVariables(),
            m.getGeneralCallbackFunctions(),
            m.getEventCallbackFunctions(),
            m.getInitCode(),
            m.getPollCode(),
            m.getConvenienceFunctions()};
}

void compareOutputs(const Outputs& actual, const Outputs& want)
{
    QCOMPARE(actual.name, want.name);
    QCOMPARE(actual.libraryFiles, want.libraryFiles);
    QCOMPARE(actual.headerInclude, want.headerInclude);
    QCOMPARE(actual.headerPrototypes, want.headerPrototypes);
    QCOMPARE(actual.sourceIncludes, want.sourceIncludes);
    QCOMPARE(actual.generalVariables, want.generalVariables);
    QCOMPARE(actual.instanceVariables, want.instanceVariables);
    QCOMPARE(actual.generalCallbacks, want.generalCallbacks);
    QCOMPARE(actual.eventCallbacks, want.eventCallbacks);
    QCOMPARE(actual.initCode, want.initCode);
    QCOMPARE(actual.pollCode, want.pollCode);
    QCOMPARE(actual.convenience, want.convenience);
}

using expected::snippet;
using expected::text;

} // namespace

Q_DECLARE_METATYPE(std::shared_ptr<TarvexMdl>)
Q_DECLARE_METATYPE(Outputs)

class TestServiceModules : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }

    void fragments_data();
    void fragments();
};

void TestServiceModules::fragments_data()
{
    QTest::addColumn<std::shared_ptr<TarvexMdl>>("module");
    QTest::addColumn<Outputs>("want");

    {
        Outputs o;
        o.name = "Pin";
        o.libraryFiles = QStringList{"GSM_PIN.h", "GSM_PIN.c"};
        o.headerInclude = "/GSM_PIN.h\"\n";
        o.headerPrototypes = text(expected::kPinPrototypes);
        o.instanceVariables = "GSM_PIN_Instance mGsmPinInst = {0};\n";
        o.eventCallbacks = snippet("tarvexmdl_Pin_EventFunctions.c");
        o.initCode = QString("    \n"
                             "    // PIN\n"
                             "    mGsmPinInst.Power = (&mGsmPwrInst._i);\n"
                             "    mGsmPinInst.Prompt = (&mGsmPromptInst._i);\n"
                             "    mGsmPinInst.BasicComms = (&mGsmBasicCommsInst._i);\n"
                             "    mGsmPinInst.EventHandler = &gsmPinEventHandler;\n"
                             "    gsmPinInit(&mGsmPinInst);\n");
        o.pollCode = "    gsmPinPoll(&mGsmPinInst);\n";
        o.convenience = snippet("tarvexmdl_Pin_ConvFunctions.c");
        QTest::newRow("Pin") << std::shared_ptr<TarvexMdl>(new TarvexMdl_Pin) << o;
    }
    {
        Outputs o;
        o.name = "RSSI";
        o.libraryFiles = QStringList{"GSM_SignalQuality.h", "GSM_SignalQuality.c"};
        o.headerInclude = "/GSM_SignalQuality.h\"\n";
        o.headerPrototypes = text(expected::kRssiPrototypes);
        o.instanceVariables = "GSM_SignalQuality_Instance mGsmSignalQualityInst = {0};\n";
        o.eventCallbacks = snippet("tarvexmdl_Rssi_EventFunctions.c");
        o.initCode = QString("    \n"
                             "    // Signal Quality\n"
                             "    mGsmSignalQualityInst.Power = (&mGsmPwrInst._i);\n"
                             "    mGsmSignalQualityInst.Prompt = (&mGsmPromptInst._i);\n"
                             "    mGsmSignalQualityInst.BasicComms = (&mGsmBasicCommsInst._i);\n"
                             "    mGsmSignalQualityInst.EventHandler = &gsmSignalQualityEventHandler;\n"
                             "    gsmSignalQualityInit(&mGsmSignalQualityInst);\n");
        o.pollCode = "    gsmSignalQualityPoll(&mGsmSignalQualityInst);\n";
        o.convenience = text(expected::kRssiConvenience);
        QTest::newRow("RSSI") << std::shared_ptr<TarvexMdl>(new TarvexMdl_Rssi) << o;
    }
    {
        Outputs o;
        o.name = "NetworkRegistration";
        o.libraryFiles = QStringList{"GSM_NetworkRegistration.h", "GSM_NetworkRegistration.c",
                                     "GSM_NetworkRegistration_Interface.h"};
        o.headerInclude = "/GSM_NetworkRegistration.h\"\n";
        o.headerPrototypes = "\n// Network Registration Convenience Functions\n"
                             "extern bool gsmmgrNetworkRegistrationIsRegistered();\n";
        o.instanceVariables = "GSM_NetworkRegistration_Instance mGsmNetworkRegistrationInst = {0};\n";
        o.initCode = QString("    \n"
                             "    // Network Registration\n"
                             "    mGsmNetworkRegistrationInst.Power = (&mGsmPwrInst._i);\n"
                             "    mGsmNetworkRegistrationInst.Prompt = (&mGsmPromptInst._i);\n"
                             "    mGsmNetworkRegistrationInst.BasicComms = (&mGsmBasicCommsInst._i);\n"
                             "    gsmNetworkRegistrationInit(&mGsmNetworkRegistrationInst);\n");
        o.pollCode = "    gsmNetworkRegistrationPoll(&mGsmNetworkRegistrationInst);\n";
        o.convenience = text(expected::kNetworkRegistrationConvenience);
        QTest::newRow("NetworkRegistration") << std::shared_ptr<TarvexMdl>(new TarvexMdl_NetworkRegistration) << o;
    }
    {
        Outputs o;
        o.name = "SMS_Send";
        o.libraryFiles = QStringList{"GSM_SMS_Send.h", "GSM_SMS_Send.c"};
        o.headerInclude = "/GSM_SMS_Send.h\"\n";
        o.headerPrototypes = text(expected::kSmsSendPrototypes);
        o.instanceVariables = "GSM_SmsSend_Instance mGsmSmsSendInst = {0};\n";
        o.eventCallbacks = snippet("tarvexmdl_Sms_Send_EventFunctions.c");
        o.initCode = QString("    \n"
                             "    // SMS Send\n"
                             "    mGsmSmsSendInst.Power = (&mGsmPwrInst._i);\n"
                             "    mGsmSmsSendInst.Prompt = (&mGsmPromptInst._i);\n"
                             "    mGsmSmsSendInst.BasicComms = (&mGsmBasicCommsInst._i);\n"
                             "    mGsmSmsSendInst.NetworkRegistration = (&mGsmNetworkRegistrationInst._i);\n"
                             "    mGsmSmsSendInst.EventHandler = &gsmSmsSendEventHandler;\n"
                             "    gsmSmsSendInit(&mGsmSmsSendInst);\n");
        o.pollCode = "    gsmSmsSendPoll(&mGsmSmsSendInst);\n";
        o.convenience = snippet("tarvexmdl_Sms_Send_ConvFunctions.c");
        QTest::newRow("SMS_Send") << std::shared_ptr<TarvexMdl>(new TarvexMdl_Sms_Send) << o;
    }
    {
        Outputs o; // no prototypes and no convenience functions
        o.name = "SMS_Read";
        o.libraryFiles = QStringList{"GSM_SMS_Read.h", "GSM_SMS_Read.c"};
        o.headerInclude = "/GSM_SMS_Read.h\"\n";
        o.instanceVariables = "GSM_SmsRead_Instance mGsmSmsReadInst = {0};\n";
        o.eventCallbacks = snippet("tarvexmdl_Sms_Read_EventFunctions.c");
        o.initCode = QString("    \n"
                             "    // SMS Read\n"
                             "    mGsmSmsReadInst.Power = (&mGsmPwrInst._i);\n"
                             "    mGsmSmsReadInst.Prompt = (&mGsmPromptInst._i);\n"
                             "    mGsmSmsReadInst.BasicComms = (&mGsmBasicCommsInst._i);\n"
                             "    mGsmSmsReadInst.EventHandler = &gsmSmsReadEventHandler;\n"
                             "    gsmSmsReadInit(&mGsmSmsReadInst);\n");
        o.pollCode = "    gsmSmsReadPoll(&mGsmSmsReadInst);\n";
        QTest::newRow("SMS_Read") << std::shared_ptr<TarvexMdl>(new TarvexMdl_Sms_Read) << o;
    }
    {
        Outputs o; // wired to NetworkRegistration, not to BasicComms
        o.name = "USSD";
        o.libraryFiles = QStringList{"GSM_USSD.h", "GSM_USSD.c"};
        o.headerInclude = "/GSM_USSD.h\"\n";
        o.headerPrototypes = "\n// USSD Convenience Functions\nextern bool gsmmgrUssdSend(char* ussd_payload);\n"
                             "extern bool gsmmgrUssdCancelSession();\n";
        o.instanceVariables = "GSM_USSD_Instance mGsmUssdInst = {0};\n";
        o.eventCallbacks = snippet("tarvexmdl_Ussd_EventFunctions.c");
        o.initCode = QString("    \n"
                             "    // USSD\n"
                             "    mGsmUssdInst.Power = (&mGsmPwrInst._i);\n"
                             "    mGsmUssdInst.Prompt = (&mGsmPromptInst._i);\n"
                             "    mGsmUssdInst.NetworkRegistration = (&mGsmNetworkRegistrationInst._i);\n"
                             "    mGsmUssdInst.EventHandler = &gsmUssdEventHandler;\n"
                             "    gsmUssdInit(&mGsmUssdInst);\n");
        o.pollCode = "    gsmUssdPoll(&mGsmUssdInst);\n";
        o.convenience = text(expected::kUssdConvenience);
        QTest::newRow("USSD") << std::shared_ptr<TarvexMdl>(new TarvexMdl_Ussd) << o;
    }

    // The two connections differ only in "2G" after "Simcom" and in their label.
    for (const char* g : {"", "2G"}) {
        const QString s = QString::fromLatin1(g); // "" for LTE
        const QString label = s.isEmpty() ? QStringLiteral("SIMCom LTE") : QStringLiteral("SIMCom 2G");
        const QString inst = "mGsmInternetConnectionSimcom" + s + "Inst";
        for (bool apn : {false, true}) {
            Outputs o;
            o.name = "InternetConnection_SIMCom" + s;
            o.libraryFiles = QStringList{"GSM_InternetConnection_Simcom" + s + ".c",
                                         "GSM_InternetConnection_Simcom" + s + ".h", "GSM_Internet_Helper.c",
                                         "GSM_Internet_Helper.h", "GSM_InternetConnection_Interface.h"};
            o.headerInclude = "/GSM_InternetConnection_Simcom" + s + ".h\"\n";
            o.headerPrototypes = "\n// Internet Connection (" + label + ") Convenience Functions\n"
                                 "extern bool gsmmgrInternetConnectionSimcom" + s + "IsConnected();\n";
            o.instanceVariables = "GSM_InternetConnectionSimcom" + s + "_Instance " + inst + " = {0};\n";
            o.generalCallbacks = apn ? snippet("tarvexmdl_InternetConnection_Simcom_GeneralCallbackFunctions.c") : QString();
            o.initCode = "    \n    // Internet Connection (" + label + ")\n" +
                         "    " + inst + ".Power = (&mGsmPwrInst._i);\n" +
                         "    " + inst + ".Prompt = (&mGsmPromptInst._i);\n" +
                         "    " + inst + ".NetworkRegistration = (&mGsmNetworkRegistrationInst._i);\n" +
                         (apn ? "    " + inst + ".APN_IfAny = gsmGetAPN();\n" : QString()) +
                         "    gsmInternetConnectionSimcom" + s + "Init(&" + inst + ");\n";
            o.pollCode = "    gsmInternetConnectionSimcom" + s + "Poll(&" + inst + ");\n";
            o.convenience = text(s.isEmpty() ? expected::kLteConvenience : expected::kConnection2GConvenience);
            std::shared_ptr<TarvexMdl> m;
            if (s.isEmpty()) {
                auto lte = std::make_shared<TarvexMdl_InternetConnection_SIMCom>();
                lte->IsApnRequired = apn;
                m = lte;
            } else {
                auto g2 = std::make_shared<TarvexMdl_InternetConnection_SIMCom2G>();
                g2->IsApnRequired = apn;
                m = g2;
            }
            QTest::addRow("%s connection, APN %s", qPrintable(label), apn ? "on" : "off") << m << o;
        }
    }
    {
        Outputs o; // names the LTE connection instance
        o.name = "HTTP_Client_SIMCom";
        o.libraryFiles = QStringList{"GSM_HttpClient_Simcom.h", "GSM_HttpClient_Simcom.c", "GSM_Ssl_Simcom.h",
                                     "GSM_Ssl_Simcom.c"};
        o.headerInclude = "/GSM_HttpClient_Simcom.h\"\n";
        o.headerPrototypes = text(expected::kHttpPrototypes);
        o.instanceVariables = "GSM_HttpClientSimcom_Instance mGsmHttpClientSimcomInst = {0};\n";
        o.eventCallbacks = snippet("tarvexmdl_HttpClientSimcom_EventFunctions.c");
        o.initCode = QString("    \n"
                             "    // HTTP Client (Simcom)\n"
                             "    mGsmHttpClientSimcomInst.Power = (&mGsmPwrInst._i);\n"
                             "    mGsmHttpClientSimcomInst.Prompt = (&mGsmPromptInst._i);\n"
                             "    mGsmHttpClientSimcomInst.InternetConnection = (&mGsmInternetConnectionSimcomInst._i);\n"
                             "    mGsmHttpClientSimcomInst.EventHandler = &gsmHttpClientSimcomEventHandler;\n"
                             "    gsmHttpClientSimcomInit(&mGsmHttpClientSimcomInst);\n");
        o.pollCode = "    gsmHttpClientSimcomPoll(&mGsmHttpClientSimcomInst);\n";
        o.convenience = snippet("tarvexmdl_HttpClientSimcom_ConvFunctions.c");
        QTest::newRow("HTTP client") << std::shared_ptr<TarvexMdl>(new TarvexMdl_Http_Client_SIMCom) << o;
    }
    {
        Outputs o;
        o.name = "MQTT_Client_SIMCom";
        o.libraryFiles = QStringList{"GSM_MqttClient_Simcom.h", "GSM_MqttClient_Simcom.c", "GSM_Ssl_Simcom.h",
                                     "GSM_Ssl_Simcom.c"};
        o.headerInclude = "/GSM_MqttClient_Simcom.h\"\n";
        o.headerPrototypes = text(expected::kMqttPrototypes);
        o.instanceVariables = "GSM_MqttClientSimcom_Instance mGsmMqttClientSimcomInst = {0};\n";
        o.eventCallbacks = snippet("tarvexmdl_MqttClientSimcom_EventFunctions.c");
        o.initCode = QString("    \n"
                             "    // MQTT Client (SIMCom)\n"
                             "    mGsmMqttClientSimcomInst.Power = (&mGsmPwrInst._i);\n"
                             "    mGsmMqttClientSimcomInst.Prompt = (&mGsmPromptInst._i);\n"
                             "    mGsmMqttClientSimcomInst.NetworkRegistration = (&mGsmNetworkRegistrationInst._i);\n"
                             "    mGsmMqttClientSimcomInst.InternetConnection = (&mGsmInternetConnectionSimcomInst._i);\n"
                             "    mGsmMqttClientSimcomInst.EventHandler = &gsmMqttClientSimcomEventHandler;\n"
                             "    gsmMqttClientSimcomInit(&mGsmMqttClientSimcomInst);\n");
        o.pollCode = "    gsmMqttClientSimcomPoll(&mGsmMqttClientSimcomInst);\n";
        o.convenience = snippet("tarvexmdl_MqttClientSimcom_ConvFunctions.c");
        QTest::newRow("MQTT client") << std::shared_ptr<TarvexMdl>(new TarvexMdl_Mqtt_Client_SIMCom) << o;
    }
}

void TestServiceModules::fragments()
{
    QFETCH(std::shared_ptr<TarvexMdl>, module);
    QFETCH(Outputs, want);
    compareOutputs(outputsOf(*module), want);
    // Pure functions of the settings: a second call gives the same texts.
    compareOutputs(outputsOf(*module), want);
}

QTEST_GUILESS_MAIN(TestServiceModules)
#include "tst_servicemodules.moc"
