// Golden texts of every module's fragments: the four core modules (Start,
// Power, Prompt, BasicComms) for every settings variation that changes their
// output, the cellular service modules (Pin, RSSI, Network Registration, SMS
// Send/Read, USSD) and the internet modules (the LTE and 2G connections with
// and without APN, the HTTP and MQTT clients).
//
// The expected texts are the fragments the modules assemble in code, copied
// literally from the product's reference texts; each starts with an empty
// line and every line ends with a line feed. Fragments that are a stored
// snippet are compared with the snippet itself (snippet()), whose bytes are
// pinned here too.
//
// The ":/code/" part of the bundle: every template and snippet pinned by its
// SHA-256 as stored (CR LF, UTF-8, no-break spaces), read back through
// readResourceText with LF only, the templates' placeholders, and the USER
// CODE sections of all fragments.

#include "fileutil.h"
#include "modulecatalogue.h"
#include "testsupport.h"

#include <QCryptographicHash>
#include <QtTest>

#include <memory>

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

namespace {

const QString kCodePrefix = QStringLiteral(":/code/resources/code/");

// The templates and snippets (the circular buffer beside them is library
// code). Changing one is a change of the generated code: update its line
// here with `sha256sum resources/code/*`.
const QMap<QString, QByteArray> kStoredSha256 = {
    {"gsm_manager.c", "3f7d0c8b7b7e5fcdb4c0a76963dd742c2e2c2598974ac69c1eaa2519a1fecd27"},
    {"gsm_manager.h", "317cc80d04980c66f5368ac26a21568c9a5a9a7fcaed2e531dcaa21e11bf4e47"},
    {"tarvexmdl_GettingStarted_GeneralCallbackFunctions.c",
     "f1505fddd0db737611bac2ffb90ca15e53e3390fd290bd87d04187d605bcd10b"},
    {"tarvexmdl_HttpClientSimcom_ConvFunctions.c",
     "4aad1cb7cfb7335377ffe1d70f05eba30e7125bf8d525653183cac4782499e4d"},
    {"tarvexmdl_HttpClientSimcom_EventFunctions.c",
     "179b952f2f22acb22456230f5a856dc6bf0629c3f13159935755d4aed2266ec4"},
    {"tarvexmdl_InternetConnection_Simcom_GeneralCallbackFunctions.c",
     "2bdb901ce253cf9f101552958dad5dbe37bec29be5be26a8e927f57830e34f39"},
    {"tarvexmdl_MqttClientSimcom_ConvFunctions.c",
     "8140511dd7f19d849993a827f74b789a5cee2457cc8a77b169a7bff3962f4f06"},
    {"tarvexmdl_MqttClientSimcom_EventFunctions.c",
     "c620282ed363dae0526fc56f816c14a8ed6ab0f00c820aa6c7e1682180331b8a"},
    {"tarvexmdl_Pin_ConvFunctions.c", "fd43ebd5c667c8a5fee30256d42720f73f188be42270ae049a52924e1de10a78"},
    {"tarvexmdl_Pin_EventFunctions.c", "4990d31208c776c6469b80fe3b4b6349388cdd09213229f9eccbe891754e22b3"},
    {"tarvexmdl_Power_GeneralCallbackFunctions.c",
     "e46f4b5cc250efcde6e1039a1326f37c629ac4631fca3af28560590b8959dd76"},
    {"tarvexmdl_Prompt_GeneralCallbackFunctions.c",
     "3585d7586b68151fab49cf1fd59e3e83edf76b4027b721c2773946649b2e2e66"},
    {"tarvexmdl_Rssi_EventFunctions.c", "fbe40278cc99ef6d5c7700b9c099761d4c30893c66a4a8edc4273f815f968815"},
    {"tarvexmdl_Sms_Read_EventFunctions.c", "34a770ad3030be38b63b7faa462db76121e0c8c6914c4dfadf95ee8dd15976a1"},
    {"tarvexmdl_Sms_Send_ConvFunctions.c", "1fbec0500e3d63191706a61c9c0e2dbec105478d62fa90c5ba282411e2cf41bd"},
    {"tarvexmdl_Sms_Send_EventFunctions.c", "9e6b5e092f4741df1bd3eb66205ca7010dbef33a09ae9a236ac2d564443c12d2"},
    {"tarvexmdl_Ussd_EventFunctions.c", "caf86093954e407afc7612fa3219d50dcf28e544841653dc7b48f874d59c34db"},
};

// Every output of a module, as one record, so a data row can state the
// whole expected result.
struct Outputs
{
    QString name;
    QStringList libraryFiles;
    QString headerInclude, headerPrototypes, sourceIncludes, generalVariables, instanceVariables,
        generalCallbacks, eventCallbacks, initCode, pollCode, convenience;
};

void compareOutputs(const TarvexMdl& m, const Outputs& want)
{
    QCOMPARE(m.getName(), want.name);
    QCOMPARE(m.getLibraryFiles(), want.libraryFiles);
    QCOMPARE(m.getHeaderInclude(), want.headerInclude);
    QCOMPARE(m.getHeaderPrototypes(), want.headerPrototypes);
    QCOMPARE(m.getSourceIncludes(), want.sourceIncludes);
    QCOMPARE(m.getGeneralVariables(), want.generalVariables);
    QCOMPARE(m.getInstanceVariables(), want.instanceVariables);
    QCOMPARE(m.getGeneralCallbackFunctions(), want.generalCallbacks);
    QCOMPARE(m.getEventCallbackFunctions(), want.eventCallbacks);
    QCOMPARE(m.getInitCode(), want.initCode);
    QCOMPARE(m.getPollCode(), want.pollCode);
    QCOMPARE(m.getConvenienceFunctions(), want.convenience);
}

// The interfaces a module is wired to ("<member>=<instance>").
const QString kPower = "Power=mGsmPwrInst", kPrompt = "Prompt=mGsmPromptInst",
              kBasicComms = "BasicComms=mGsmBasicCommsInst",
              kRegistration = "NetworkRegistration=mGsmNetworkRegistrationInst",
              kLteConnection = "InternetConnection=mGsmInternetConnectionSimcomInst";

// The fragments every service module has, for the functions gsm<fn>Init/Poll and the
// instance mGsm<fn>Inst: the include of its first header, the instance, and an init
// block titled `title` that wires each dependency's interface, then the event handler
// (gsm<fn>EventHandler) when it has one, then `extraInit`, then the Init call.
Outputs wired(const QString& name, const QStringList& files, const QString& fn, const QString& type,
              const QString& title, const QStringList& deps, bool handler, const QString& extraInit = {})
{
    const QString inst = "mGsm" + fn + "Inst";
    Outputs o;
    o.name = name;
    o.libraryFiles = files;
    o.headerInclude = "/" + files.filter(QRegularExpression("\\.h$")).first() + "\"\n";
    o.instanceVariables = type + " " + inst + " = {0};\n";
    o.initCode = "    \n    // " + title + "\n";
    for (const QString& d : deps)
        o.initCode += "    " + inst + "." + d.section('=', 0, 0) + " = (&" + d.section('=', 1) + "._i);\n";
    if (handler)
        o.initCode += "    " + inst + ".EventHandler = &gsm" + fn + "EventHandler;\n";
    o.initCode += extraInit + "    gsm" + fn + "Init(&" + inst + ");\n";
    o.pollCode = "    gsm" + fn + "Poll(&" + inst + ");\n";
    return o;
}

using expected::snippet;
using expected::text;

} // namespace

Q_DECLARE_METATYPE(std::shared_ptr<TarvexMdl>)
Q_DECLARE_METATYPE(Outputs)

class TestModuleFragments : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }

    // Every module, for each setting that changes its output: one table.
    void fragments_data();
    void fragments();

    void everyCodeFileIsPinnedAndStoredWithCrLf();
    void templatePlaceholders_data();
    void templatePlaceholders();
    void userCodeSectionsOfAllFragments();
};

static const char* const kRxPollFunction =
    "\nvoid gsmRxPoll()\n"
    "{\n"
    "    // USER CODE BEGIN gsmRxPoll\n"
    "    // ToDo: Add Hardware Abstraction Layer (HAL) code here to write incoming UART data into circular Rx buffer.\n\n"
    "    // Arduino / Circular Buffer E.g.:\n"
    "    /*\n"
    "    while (gsmSerial.available() > 0)\n"
    "    {\n"
    "        // Write data into circular buffer.\n"
    "        if (!cbufWrite(&mcbfGsmRx, gsmSerial.read()))\n"
    "        {\n"
    "            // Circular buffer is full!\n"
    "        }\n"
    "    }\n"
    "    */\n"
    "    // USER CODE END gsmRxPoll\n"
    "}\n";

void TestModuleFragments::fragments_data()
{
    QTest::addColumn<std::shared_ptr<TarvexMdl>>("module");
    QTest::addColumn<Outputs>("want");
    auto add = [](const QString& tag, TarvexMdl* m, const Outputs& o) {
        QTest::newRow(qPrintable(tag)) << std::shared_ptr<TarvexMdl>(m) << o;
    };

    // Getting Started: without the debug buffer it contributes nothing at all;
    // it never has a name, files, an include line, prototypes or instances.
    // The default size, the spin box's maximum, one beyond 32 bits; no buffer.
    const QList<QPair<double, QString>> debugBuffers = {
        {1024, "1024"}, {429496729, "429496729"}, {12345678901.0, "12345678901"}, {2048, ""}};
    for (const auto& [size, digits] : debugBuffers) {
        auto* m = new TarvexMdl_GettingStarted;
        QVERIFY(m->IsDebugOutputSetupSelected);
        m->IsDebugOutputSetupSelected = !digits.isEmpty();
        m->DebugBufferSize = size;
        Outputs o;
        if (!digits.isEmpty()) {
            o.generalVariables = "\n// --- GSM Debug ---\n\n// Debug Buffer\nstatic uint8_t mau8UartDebugTxBuff["
                                 + digits + "];\nCircBuff mcbfDebugTx;\n";
            o.generalCallbacks = snippet("tarvexmdl_GettingStarted_GeneralCallbackFunctions.c");
            o.initCode = "\n    // DEBUG Tx buffer setup\n"
                         "    mcbfDebugTx.Buffer = mau8UartDebugTxBuff;\n"
                         "    mcbfDebugTx.BufferSize = sizeof(mau8UartDebugTxBuff);\n"
                         "    cbufInit(&mcbfDebugTx);\n";
            o.pollCode = "\n    gsmDebugTxPoll();\n";
        }
        add("GettingStarted, debug buffer " + (digits.isEmpty() ? QString("off") : digits), m, o);
    }

    // Power. The stored snippet marks gsmSetReset as an optional block: with a
    // reset pin only the two marker lines go, without one the block goes from
    // its opening marker to the next function.
    const QString stored = snippet("tarvexmdl_Power_GeneralCallbackFunctions.c");
    const QString openLine("//<OPTIONAL:gsmSetReset>\n"), closeLine("//</OPTIONAL:gsmSetReset>\n");
    const int open = stored.indexOf(openLine), next = stored.indexOf("bool gsmReadStatus(");
    QVERIFY(open > 0 && stored.indexOf(closeLine) > open && next > open);
    for (bool reset : {false, true}) {
        auto* m = new TarvexMdl_Power;
        QVERIFY(!m->UseResetPin);
        // The compiled patterns are shared: the other setting first, then this one.
        m->UseResetPin = !reset;
        m->getGeneralCallbackFunctions();
        m->UseResetPin = reset;
        Outputs o;
        o.name = "Power";
        o.libraryFiles = QStringList{"GSM_Power.h", "GSM_Power.c", "GSM_Power_Interface.h"};
        o.headerInclude = "/GSM_Power.h\"\n";
        o.headerPrototypes = text(expected::kPowerPrototypes);
        o.instanceVariables = "GSM_Power_Instance mGsmPwrInst = {0};\n";
        o.generalCallbacks = reset ? QString(stored).remove(openLine).remove(closeLine) : stored.left(open) + stored.mid(next);
        QVERIFY(!o.generalCallbacks.contains("OPTIONAL"));
        QVERIFY(o.generalCallbacks.contains(reset ? "    // USER CODE END SetPowerKey\n}\n\nvoid gsmSetReset("
                                                  : "    // USER CODE END SetPowerKey\n}\n\nbool gsmReadStatus("));
        QCOMPARE(o.generalCallbacks.contains("void gsmSetReset("), reset);
        o.initCode = QString("    \n    // Power\n    mGsmPwrInst.SetPowerKey = &gsmSetPowerKey;\n")
                     + (reset ? "    mGsmPwrInst.SetReset = &gsmSetReset;\n" : "")
                     + "    mGsmPwrInst.ReadStatus = &gsmReadStatus;\n    gsmPowerInit(&mGsmPwrInst);\n";
        o.pollCode = "    gsmPowerPoll(&mGsmPwrInst);\n";
        o.convenience = text(expected::kPowerConvenience);
        add(QString("Power, reset pin ") + (reset ? "on" : "off"), m, o);
    }

    // Prompt: each row switches the four flags (prompt, echo cancellation, Tx,
    // Rx); the four sizes differ so that a size paired with the wrong buffer shows.
    for (int bits = 0; bits < 16; ++bits) {
        const bool p = bits & 1, e = bits & 2, t = bits & 4, r = bits & 8;
        auto* m = new TarvexMdl_Prompt;
        m->IsPromptSetupSelected = p;
        m->IsEchoCancSetupSelected = e;
        m->IsCircularTxSetupSelected = t;
        m->IsCircularRxSetupSelected = r;
        m->PromptBufferSize = 2048;
        m->EchoCancellationBufferSize = 1000000;
        m->CircularTxBufferSize = 512;
        m->CircularRxBufferSize = 8;
        Outputs o;
        o.name = "Prompt";
        o.libraryFiles = QStringList{"GSM_Prompt.h", "GSM_Prompt.c", "GSM_Prompt_Helper.h", "GSM_Prompt_Helper.c",
                                     "GSM_Prompt_Interface.h"};
        o.headerInclude = "/GSM_Prompt.h\"\n";
        o.instanceVariables = "GSM_Prompt_Instance mGsmPromptInst = {0};\n";
        // Only the prompt buffer block carries the module title.
        if (p)
            o.generalVariables += "\n// --- GSM Prompt ---\n\n// Prompt Buffer\nstatic uint8_t mau8GsmPromptBuff[2048];\n";
        if (e)
            o.generalVariables += "\n// Echo Cancellation Buffer\nstatic uint8_t mau8UartGsmEchoCancelBuff[1000000];\n";
        if (t)
            o.generalVariables += "\n// UART GSM Tx buffer\nstatic uint8_t mau8UartGsmTxBuff[512];\nCircBuff mcbfGsmTx;\n";
        if (r)
            o.generalVariables += "\n// UART GSM Rx buffer\nstatic uint8_t mau8UartGsmRxBuff[8];\nCircBuff mcbfGsmRx;\n";
        o.sourceIncludes = (t || r) ? "#include \"circbuff.h\"" : "";
        o.initCode = "    \n    // Prompt\n    mGsmPromptInst.Power = &(mGsmPwrInst._i);\n";
        if (p)
            o.initCode += "    mGsmPromptInst.DataBuffer = mau8GsmPromptBuff;\n"
                          "    mGsmPromptInst.DataBufferSize = sizeof(mau8GsmPromptBuff);\n";
        o.initCode += "    mGsmPromptInst.Write = &gsmWrite;\n"
                      "    mGsmPromptInst.WriteCompleted = &gsmWriteCompleted;\n"
                      "    mGsmPromptInst.CanRead = &gsmCanRead;\n"
                      "    mGsmPromptInst.Read = &gsmRead;\n";
        if (e)
            o.initCode += "    mGsmPromptInst.EchoCancellationBuffer = mau8UartGsmEchoCancelBuff;\n"
                          "    mGsmPromptInst.EchoCancellationBufferSize = sizeof(mau8UartGsmEchoCancelBuff);\n";
        o.initCode += "    gsmPromptInit(&mGsmPromptInst);\n";
        if (t)
            o.initCode += "\n    // GSM Tx buffer setup\n"
                          "    mcbfGsmTx.Buffer = mau8UartGsmTxBuff;\n"
                          "    mcbfGsmTx.BufferSize = sizeof(mau8UartGsmTxBuff);\n"
                          "    cbufInit(&mcbfGsmTx);\n";
        if (r)
            o.initCode += "\n    // GSM Rx buffer setup\n"
                          "    mcbfGsmRx.Buffer = mau8UartGsmRxBuff;\n"
                          "    mcbfGsmRx.BufferSize = sizeof(mau8UartGsmRxBuff);\n"
                          "    cbufInit(&mcbfGsmRx);\n";
        // The receive-poll function and its call come with the Rx buffer only,
        // whatever the other buffers do.
        o.generalCallbacks = QString("\n// --- GSM Prompt ---\n") + (r ? kRxPollFunction : "")
                             + snippet("tarvexmdl_Prompt_GeneralCallbackFunctions.c");
        o.pollCode = (r ? QString("    gsmRxPoll();\n") : QString())
                     + "    gsmPromptPoll(&mGsmPromptInst);\n    gsmTxPoll();\n";
        add(QString::asprintf("Prompt, prompt=%d echo=%d tx=%d rx=%d", p, e, t, r), m, o);
    }

    for (bool echo : {true, false}) {
        Outputs o; // the source file comes first in this module's list
        o.name = "BasicComms";
        o.libraryFiles = QStringList{"GSM_BasicComms.c", "GSM_BasicComms.h", "GSM_BasicComms_Interface.h"};
        o.headerInclude = "/GSM_BasicComms.h\"\n";
        o.headerPrototypes = "\n// BasicComms Convenience Functions\nextern bool gsmmgrBasicCommsCommunicationEstablished();\n";
        o.instanceVariables = "GSM_BasicComms_Instance mGsmBasicCommsInst = {0};\n";
        o.initCode = QString("    \n"
                             "    // BasicComms\n"
                             "    mGsmBasicCommsInst.Power = &(mGsmPwrInst._i);\n"
                             "    mGsmBasicCommsInst.Prompt = &(mGsmPromptInst._i);\n"
                             "    mGsmBasicCommsInst.EchoOn = ")
                     + (echo ? "1" : "0") + ";\n    gsmBasicCommsInit(&mGsmBasicCommsInst);\n";
        o.pollCode = "    gsmBasicCommsPoll(&mGsmBasicCommsInst);\n";
        o.convenience = text(expected::kBasicCommsConvenience);
        auto* m = new TarvexMdl_BasicComms;
        m->EchoEnabled = echo;
        add(QString("BasicComms, echo ") + (echo ? "on" : "off"), m, o);
    }
    const QStringList core = {kPower, kPrompt, kBasicComms};
    Outputs o = wired("Pin", {"GSM_PIN.h", "GSM_PIN.c"}, "Pin", "GSM_PIN_Instance", "PIN", core, true);
    o.headerPrototypes = text(expected::kPinPrototypes);
    o.eventCallbacks = snippet("tarvexmdl_Pin_EventFunctions.c");
    o.convenience = snippet("tarvexmdl_Pin_ConvFunctions.c");
    add("Pin", new TarvexMdl_Pin, o);

    o = wired("RSSI", {"GSM_SignalQuality.h", "GSM_SignalQuality.c"}, "SignalQuality", "GSM_SignalQuality_Instance",
              "Signal Quality", core, true);
    o.headerPrototypes = text(expected::kRssiPrototypes);
    o.eventCallbacks = snippet("tarvexmdl_Rssi_EventFunctions.c");
    o.convenience = text(expected::kRssiConvenience);
    add("RSSI", new TarvexMdl_Rssi, o);

    o = wired("NetworkRegistration",
              {"GSM_NetworkRegistration.h", "GSM_NetworkRegistration.c", "GSM_NetworkRegistration_Interface.h"},
              "NetworkRegistration", "GSM_NetworkRegistration_Instance", "Network Registration", core, false);
    o.headerPrototypes = "\n// Network Registration Convenience Functions\n"
                         "extern bool gsmmgrNetworkRegistrationIsRegistered();\n";
    o.convenience = text(expected::kNetworkRegistrationConvenience);
    add("NetworkRegistration", new TarvexMdl_NetworkRegistration, o);

    o = wired("SMS_Send", {"GSM_SMS_Send.h", "GSM_SMS_Send.c"}, "SmsSend", "GSM_SmsSend_Instance", "SMS Send",
              core + QStringList{kRegistration}, true);
    o.headerPrototypes = text(expected::kSmsSendPrototypes);
    o.eventCallbacks = snippet("tarvexmdl_Sms_Send_EventFunctions.c");
    o.convenience = snippet("tarvexmdl_Sms_Send_ConvFunctions.c");
    add("SMS_Send", new TarvexMdl_Sms_Send, o);

    // No prototypes and no convenience functions.
    o = wired("SMS_Read", {"GSM_SMS_Read.h", "GSM_SMS_Read.c"}, "SmsRead", "GSM_SmsRead_Instance", "SMS Read", core,
              true);
    o.eventCallbacks = snippet("tarvexmdl_Sms_Read_EventFunctions.c");
    add("SMS_Read", new TarvexMdl_Sms_Read, o);

    // Wired to NetworkRegistration, not to BasicComms.
    o = wired("USSD", {"GSM_USSD.h", "GSM_USSD.c"}, "Ussd", "GSM_USSD_Instance", "USSD",
              {kPower, kPrompt, kRegistration}, true);
    o.headerPrototypes = "\n// USSD Convenience Functions\nextern bool gsmmgrUssdSend(char* ussd_payload);\n"
                         "extern bool gsmmgrUssdCancelSession();\n";
    o.eventCallbacks = snippet("tarvexmdl_Ussd_EventFunctions.c");
    o.convenience = text(expected::kUssdConvenience);
    add("USSD", new TarvexMdl_Ussd, o);

    // The two connections differ only in "2G" after "Simcom" and in their label.
    for (const QString s : {"", "2G"}) {
        const QString label = s.isEmpty() ? "SIMCom LTE" : "SIMCom 2G";
        for (bool apn : {false, true}) {
            o = wired("InternetConnection_SIMCom" + s,
                      {"GSM_InternetConnection_Simcom" + s + ".c", "GSM_InternetConnection_Simcom" + s + ".h",
                       "GSM_Internet_Helper.c", "GSM_Internet_Helper.h", "GSM_InternetConnection_Interface.h"},
                      "InternetConnectionSimcom" + s, "GSM_InternetConnectionSimcom" + s + "_Instance",
                      "Internet Connection (" + label + ")", {kPower, kPrompt, kRegistration}, false,
                      apn ? "    mGsmInternetConnectionSimcom" + s + "Inst.APN_IfAny = gsmGetAPN();\n" : QString());
            o.headerPrototypes = "\n// Internet Connection (" + label + ") Convenience Functions\n"
                                 "extern bool gsmmgrInternetConnectionSimcom" + s + "IsConnected();\n";
            o.generalCallbacks = apn ? snippet("tarvexmdl_InternetConnection_Simcom_GeneralCallbackFunctions.c") : QString();
            o.convenience = "\n// --- GSM Internet Connection (" + label + ") ---\n\nbool gsmmgrInternetConnectionSimcom" + s +
                            "IsConnected()\n{\n   return gsmInternetConnectionSimcom" + s +
                            "IsConnected(&mGsmInternetConnectionSimcom" + s + "Inst);\n}\n";
            auto withApn = [apn](auto* m) -> TarvexMdl* { m->IsApnRequired = apn; return m; };
            add(label + " connection, APN " + (apn ? "on" : "off"),
                s.isEmpty() ? withApn(new TarvexMdl_InternetConnection_SIMCom)
                            : withApn(new TarvexMdl_InternetConnection_SIMCom2G), o);
        }
    }

    // Both clients name the LTE connection instance.
    o = wired("HTTP_Client_SIMCom", {"GSM_HttpClient_Simcom.h", "GSM_HttpClient_Simcom.c", "GSM_Ssl_Simcom.h", "GSM_Ssl_Simcom.c"},
              "HttpClientSimcom", "GSM_HttpClientSimcom_Instance", "HTTP Client (Simcom)",
              {kPower, kPrompt, kLteConnection}, true);
    o.headerPrototypes = text(expected::kHttpPrototypes);
    o.eventCallbacks = snippet("tarvexmdl_HttpClientSimcom_EventFunctions.c");
    o.convenience = snippet("tarvexmdl_HttpClientSimcom_ConvFunctions.c");
    add("HTTP client", new TarvexMdl_Http_Client_SIMCom, o);

    o = wired("MQTT_Client_SIMCom", {"GSM_MqttClient_Simcom.h", "GSM_MqttClient_Simcom.c", "GSM_Ssl_Simcom.h", "GSM_Ssl_Simcom.c"},
              "MqttClientSimcom", "GSM_MqttClientSimcom_Instance", "MQTT Client (SIMCom)",
              {kPower, kPrompt, kRegistration, kLteConnection}, true);
    o.headerPrototypes = text(expected::kMqttPrototypes);
    o.eventCallbacks = snippet("tarvexmdl_MqttClientSimcom_EventFunctions.c");
    o.convenience = snippet("tarvexmdl_MqttClientSimcom_ConvFunctions.c");
    add("MQTT client", new TarvexMdl_Mqtt_Client_SIMCom, o);
}

void TestModuleFragments::fragments()
{
    QFETCH(std::shared_ptr<TarvexMdl>, module);
    QFETCH(Outputs, want);
    compareOutputs(*module, want);
    // Pure functions of the settings: a second call gives the same texts.
    compareOutputs(*module, want);
}

void TestModuleFragments::everyCodeFileIsPinnedAndStoredWithCrLf()
{
    // The pinned files and the circular buffer; each stored with CR LF only
    // and read back through readResourceText without a single CR.
    const QStringList names = QDir(kCodePrefix).entryList(QDir::Files, QDir::Name);
    QStringList expectedNames = QStringList(kStoredSha256.keys()) << "circbuff.c" << "circbuff.h";
    expectedNames.sort();
    QCOMPARE(names, expectedNames);
    for (const QString& name : names) {
        const QByteArray raw = testsupport::readBytes(kCodePrefix + name);
        QVERIFY2(!raw.isEmpty(), qPrintable(name));
        QVERIFY2(name.startsWith(QLatin1String("circbuff."))
                     || QCryptographicHash::hash(raw, QCryptographicHash::Sha256).toHex() == kStoredSha256.value(name),
                 qPrintable(name + QStringLiteral(" differs from its pinned bytes")));
        const QString read = readResourceText(kCodePrefix + name);
        QVERIFY2(!read.contains(QLatin1Char('\r')), qPrintable(name));
        QCOMPARE(read.toUtf8(), QByteArray(raw).replace("\r\n", "\n"));
        QVERIFY2(raw.endsWith("\r\n"), qPrintable(name));
        QCOMPARE(raw.count('\n'), raw.count("\r\n"));
        QCOMPARE(raw.count('\r'), raw.count("\r\n"));
    }
}

void TestModuleFragments::templatePlaceholders_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("count");
    QTest::newRow("header") << "gsm_manager.h" << 2;
    QTest::newRow("source") << "gsm_manager.c" << 8;
}

void TestModuleFragments::templatePlaceholders()
{
    // Each placeholder stands alone on one line, once; no other "%<digit>".
    QFETCH(QString, name);
    QFETCH(int, count);
    const QString read = readResourceText(kCodePrefix + name);
    const QStringList lines = read.split(QLatin1Char('\n'));
    for (int i = 1; i <= count; ++i)
        QCOMPARE(lines.count(QStringLiteral("%") + QString::number(i)), 1);
    QCOMPARE(read.count(QRegularExpression(QStringLiteral("%\\d"))), count);
}

// Every USER CODE section that a module fragment or template brings has a
// matching END marker, and the set of names is exactly the list of sections
// that regeneration carries over.
void TestModuleFragments::userCodeSectionsOfAllFragments()
{
    ModuleCatalogue c;
    c.mMdlPower.UseResetPin = true;
    c.mMdlInternetConnectionSimcom.IsApnRequired = true;
    QString all = readResourceText(kCodePrefix + "gsm_manager.h") + readResourceText(kCodePrefix + "gsm_manager.c");
    for (TarvexMdl* m : c.allModules())
        all += m->getHeaderPrototypes() + m->getSourceIncludes() + m->getGeneralVariables()
            + m->getInstanceVariables() + m->getGeneralCallbackFunctions() + m->getEventCallbackFunctions()
            + m->getInitCode() + m->getPollCode() + m->getConvenienceFunctions();

    const QRegularExpression begin(QStringLiteral("// USER CODE BEGIN ([^\\n]+)\\n"));
    const QRegularExpression end(QStringLiteral("// USER CODE END ([^\\n]+)\\n"));
    QStringList begins, ends;
    for (auto it = begin.globalMatch(all); it.hasNext();)
        begins << it.next().captured(1);
    for (auto it = end.globalMatch(all); it.hasNext();)
        ends << it.next().captured(1);
    QCOMPARE(begins, ends);

    const QStringList carriedOver = {
        "Includes", "Variables", "SysTime_ms", "Init", "Poll", "Miscellaneous", "Exported Variables",
        "Function Prototypes", "gsmHttpClientSimcomEventHandler", "gsmMqttClientSimcomEventHandler",
        "gsmPinEventHandler", "SetPowerKey", "SetReset", "ReadStatus", "gsmTxPoll", "gsmWrite",
        "gsmWriteCompleted", "gsmCanRead", "gsmRead", "gsmRxPoll", "gsmSignalQualityEventHandler",
        "gsmSmsReadEventHandler", "gsmSmsSendEventHandler", "gsmUssdEventHandler", "gsmGetAPN",
        "gsmDebugTxPoll", "gsmDebugWrite"};
    QStringList found = begins;
    found.removeDuplicates();
    QStringList sortedFound = found, sortedWanted = carriedOver;
    sortedFound.sort();
    sortedWanted.sort();
    QCOMPARE(sortedFound, sortedWanted);
}

QTEST_GUILESS_MAIN(TestModuleFragments)
#include "tst_modulefragments.moc"
