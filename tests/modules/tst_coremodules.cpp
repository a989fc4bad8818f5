// Golden texts of the four core modules (Start, Power, Prompt, BasicComms)
// for every settings variation that changes their output.

#include "expectedtexts.h"
#include "testsupport.h"

#include "tarvexmdl_basiccomms.h"
#include "tarvexmdl_gettingstarted.h"
#include "tarvexmdl_power.h"
#include "tarvexmdl_prompt.h"

#include <QtTest>

class TestCoreModules : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }

    void gettingStarted_data();
    void gettingStarted();

    void power_data();
    void power();

    void promptConstantFragments();
    void promptFlags_data();
    void promptFlags();

    void basicCommsFragments_data();
    void basicCommsFragments();
};

void TestCoreModules::gettingStarted_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<double>("size");
    QTest::addColumn<QString>("digits");
    QTest::newRow("default") << true << 1024.0 << "1024";
    QTest::newRow("spin box maximum") << true << 429496729.0 << "429496729";
    QTest::newRow("beyond 32 bits") << true << 12345678901.0 << "12345678901";
    QTest::newRow("no debug buffer") << false << 2048.0 << "";
}

void TestCoreModules::gettingStarted()
{
    QFETCH(bool, enabled);
    QFETCH(double, size);
    QFETCH(QString, digits);
    TarvexMdl_GettingStarted m;
    QVERIFY(m.IsDebugOutputSetupSelected);
    m.IsDebugOutputSetupSelected = enabled;
    m.DebugBufferSize = size;
    QCOMPARE(m.getName(), QString());
    QCOMPARE(m.getLibraryFiles(), QStringList());
    // Without the debug buffer the module contributes nothing at all; it
    // never has an include line, prototypes or instances of its own.
    QCOMPARE(m.getGeneralVariables(),
             enabled ? QString("\n" "// --- GSM Debug ---\n\n" "// Debug Buffer\n" "static uint8_t mau8UartDebugTxBuff[")
                           + digits + QString("];\n" "CircBuff mcbfDebugTx;\n")
                     : QString());
    QCOMPARE(m.getGeneralCallbackFunctions(),
             enabled ? expected::snippet("tarvexmdl_GettingStarted_GeneralCallbackFunctions.c") : QString());
    QCOMPARE(m.getInitCode(), enabled ? QString("\n    // DEBUG Tx buffer setup\n"
                                                "    mcbfDebugTx.Buffer = mau8UartDebugTxBuff;\n"
                                                "    mcbfDebugTx.BufferSize = sizeof(mau8UartDebugTxBuff);\n"
                                                "    cbufInit(&mcbfDebugTx);\n")
                                      : QString());
    QCOMPARE(m.getPollCode(), enabled ? QString("\n    gsmDebugTxPoll();\n") : QString());
    for (const QString& none : {m.getHeaderInclude(), m.getHeaderPrototypes(), m.getSourceIncludes(),
                                m.getInstanceVariables(), m.getEventCallbackFunctions(), m.getConvenienceFunctions()})
        QCOMPARE(none, QString());
}

void TestCoreModules::power_data()
{
    QTest::addColumn<bool>("reset");
    QTest::newRow("without reset pin") << false;
    QTest::newRow("with reset pin") << true;
}

void TestCoreModules::power()
{
    QFETCH(bool, reset);
    TarvexMdl_Power m;
    QVERIFY(!m.UseResetPin);
    // The compiled patterns are shared: the other setting first, then this one.
    m.UseResetPin = !reset;
    const QString other = m.getGeneralCallbackFunctions();
    m.UseResetPin = reset;

    QCOMPARE(m.getName(), QString("Power"));
    QCOMPARE(m.getLibraryFiles(), QStringList({"GSM_Power.h", "GSM_Power.c", "GSM_Power_Interface.h"}));
    QCOMPARE(m.getHeaderInclude(), QString("/GSM_Power.h\"\n"));
    QCOMPARE(m.getHeaderPrototypes(), expected::text(expected::kPowerPrototypes));
    QCOMPARE(m.getInstanceVariables(), QString("GSM_Power_Instance mGsmPwrInst = {0};\n"));
    QCOMPARE(m.getPollCode(), QString("    gsmPowerPoll(&mGsmPwrInst);\n"));
    QCOMPARE(m.getConvenienceFunctions(), expected::text(expected::kPowerConvenience));
    QCOMPARE(m.getSourceIncludes(), QString());
    QCOMPARE(m.getGeneralVariables(), QString());
    QCOMPARE(m.getEventCallbackFunctions(), QString());

    // The stored snippet marks gsmSetReset as an optional block: with a reset
    // pin only the two marker lines go, without one the block goes from its
    // opening marker to the next function.
    const QString stored = expected::snippet("tarvexmdl_Power_GeneralCallbackFunctions.c");
    const QString openLine("//<OPTIONAL:gsmSetReset>\n"), closeLine("//</OPTIONAL:gsmSetReset>\n");
    const int open = stored.indexOf(openLine);
    const int next = stored.indexOf("bool gsmReadStatus(");
    QVERIFY(open > 0 && stored.indexOf(closeLine) > open && next > open);
    const QString expectedText =
        reset ? QString(stored).remove(openLine).remove(closeLine) : stored.left(open) + stored.mid(next);
    const QString callbacks = m.getGeneralCallbackFunctions();
    QCOMPARE(callbacks, expectedText);
    QVERIFY(!callbacks.contains("OPTIONAL"));
    QCOMPARE(callbacks.contains("void gsmSetReset("), reset);
    QVERIFY(callbacks.contains(reset ? "    // USER CODE END SetPowerKey\n}\n\nvoid gsmSetReset("
                                     : "    // USER CODE END SetPowerKey\n}\n\nbool gsmReadStatus("));
    QVERIFY(callbacks != other);

    QCOMPARE(m.getInitCode(), QString("    \n"
                                      "    // Power\n"
                                      "    mGsmPwrInst.SetPowerKey = &gsmSetPowerKey;\n")
                                  + (reset ? QString("    mGsmPwrInst.SetReset = &gsmSetReset;\n") : QString())
                                  + QString("    mGsmPwrInst.ReadStatus = &gsmReadStatus;\n"
                                            "    gsmPowerInit(&mGsmPwrInst);\n"));
}

void TestCoreModules::promptConstantFragments()
{
    TarvexMdl_Prompt m;
    QCOMPARE(m.getName(), QString("Prompt"));
    QCOMPARE(m.getLibraryFiles(), QStringList({"GSM_Prompt.h", "GSM_Prompt.c", "GSM_Prompt_Helper.h",
                                               "GSM_Prompt_Helper.c", "GSM_Prompt_Interface.h"}));
    QCOMPARE(m.getHeaderInclude(), QString("/GSM_Prompt.h\"\n"));
    QCOMPARE(m.getHeaderPrototypes(), QString());
    QCOMPARE(m.getInstanceVariables(), QString("GSM_Prompt_Instance mGsmPromptInst = {0};\n"));
    QCOMPARE(m.getEventCallbackFunctions(), QString());
    QCOMPARE(m.getConvenienceFunctions(), QString());
}

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

// Each row switches the four flags (prompt, echo cancellation, Tx, Rx); the
// four sizes differ so that a size paired with the wrong buffer shows.
void TestCoreModules::promptFlags_data()
{
    QTest::addColumn<int>("bits");
    for (int bits = 0; bits < 16; ++bits)
        QTest::addRow("prompt=%d echo=%d tx=%d rx=%d", bits & 1, (bits >> 1) & 1, (bits >> 2) & 1, (bits >> 3) & 1)
            << bits;
}

void TestCoreModules::promptFlags()
{
    QFETCH(int, bits);
    const bool p = bits & 1, e = bits & 2, t = bits & 4, r = bits & 8;
    TarvexMdl_Prompt m;
    m.IsPromptSetupSelected = p;
    m.IsEchoCancSetupSelected = e;
    m.IsCircularTxSetupSelected = t;
    m.IsCircularRxSetupSelected = r;
    m.PromptBufferSize = 2048;
    m.EchoCancellationBufferSize = 1000000;
    m.CircularTxBufferSize = 512;
    m.CircularRxBufferSize = 8;

    // Only the prompt buffer block carries the module title.
    QString variables;
    if (p)
        variables += "\n// --- GSM Prompt ---\n\n// Prompt Buffer\nstatic uint8_t mau8GsmPromptBuff[2048];\n";
    if (e)
        variables += "\n// Echo Cancellation Buffer\nstatic uint8_t mau8UartGsmEchoCancelBuff[1000000];\n";
    if (t)
        variables += "\n// UART GSM Tx buffer\nstatic uint8_t mau8UartGsmTxBuff[512];\nCircBuff mcbfGsmTx;\n";
    if (r)
        variables += "\n// UART GSM Rx buffer\nstatic uint8_t mau8UartGsmRxBuff[8];\nCircBuff mcbfGsmRx;\n";
    QCOMPARE(m.getGeneralVariables(), variables);
    QCOMPARE(m.getSourceIncludes(), (t || r) ? QString("#include \"circbuff.h\"") : QString());

    QString init = QString("    \n    // Prompt\n    mGsmPromptInst.Power = &(mGsmPwrInst._i);\n");
    if (p)
        init += QString("    mGsmPromptInst.DataBuffer = mau8GsmPromptBuff;\n"
                        "    mGsmPromptInst.DataBufferSize = sizeof(mau8GsmPromptBuff);\n");
    init += QString("    mGsmPromptInst.Write = &gsmWrite;\n"
                    "    mGsmPromptInst.WriteCompleted = &gsmWriteCompleted;\n"
                    "    mGsmPromptInst.CanRead = &gsmCanRead;\n"
                    "    mGsmPromptInst.Read = &gsmRead;\n");
    if (e)
        init += QString("    mGsmPromptInst.EchoCancellationBuffer = mau8UartGsmEchoCancelBuff;\n"
                        "    mGsmPromptInst.EchoCancellationBufferSize = sizeof(mau8UartGsmEchoCancelBuff);\n");
    init += QString("    gsmPromptInit(&mGsmPromptInst);\n");
    if (t)
        init += QString("\n    // GSM Tx buffer setup\n"
                        "    mcbfGsmTx.Buffer = mau8UartGsmTxBuff;\n"
                        "    mcbfGsmTx.BufferSize = sizeof(mau8UartGsmTxBuff);\n"
                        "    cbufInit(&mcbfGsmTx);\n");
    if (r)
        init += QString("\n    // GSM Rx buffer setup\n"
                        "    mcbfGsmRx.Buffer = mau8UartGsmRxBuff;\n"
                        "    mcbfGsmRx.BufferSize = sizeof(mau8UartGsmRxBuff);\n"
                        "    cbufInit(&mcbfGsmRx);\n");
    QCOMPARE(m.getInitCode(), init);

    // The receive-poll function and its call come with the Rx buffer only,
    // whatever the other buffers do.
    QCOMPARE(m.getGeneralCallbackFunctions(),
             QString("\n// --- GSM Prompt ---\n") + (r ? QString(kRxPollFunction) : QString())
                 + expected::snippet("tarvexmdl_Prompt_GeneralCallbackFunctions.c"));
    QCOMPARE(m.getPollCode(), (r ? QString("    gsmRxPoll();\n") : QString())
                                  + QString("    gsmPromptPoll(&mGsmPromptInst);\n    gsmTxPoll();\n"));
}

void TestCoreModules::basicCommsFragments_data()
{
    QTest::addColumn<bool>("echo");
    QTest::addColumn<QString>("echoLine");
    QTest::newRow("echo on") << true << "    mGsmBasicCommsInst.EchoOn = 1;\n";
    QTest::newRow("echo off") << false << "    mGsmBasicCommsInst.EchoOn = 0;\n";
}

void TestCoreModules::basicCommsFragments()
{
    QFETCH(bool, echo);
    QFETCH(QString, echoLine);
    TarvexMdl_BasicComms m;
    m.EchoEnabled = echo;
    QCOMPARE(m.getName(), QString("BasicComms"));
    // The source file comes first in this module's list.
    QCOMPARE(m.getLibraryFiles(),
             QStringList({"GSM_BasicComms.c", "GSM_BasicComms.h", "GSM_BasicComms_Interface.h"}));
    QCOMPARE(m.getHeaderInclude(), QString("/GSM_BasicComms.h\"\n"));
    QCOMPARE(m.getHeaderPrototypes(),
             QString("\n// BasicComms Convenience Functions\nextern bool gsmmgrBasicCommsCommunicationEstablished();\n"));
    QCOMPARE(m.getInstanceVariables(), QString("GSM_BasicComms_Instance mGsmBasicCommsInst = {0};\n"));
    QCOMPARE(m.getInitCode(), QString("    \n"
                                      "    // BasicComms\n"
                                      "    mGsmBasicCommsInst.Power = &(mGsmPwrInst._i);\n"
                                      "    mGsmBasicCommsInst.Prompt = &(mGsmPromptInst._i);\n")
                                  + echoLine + QString("    gsmBasicCommsInit(&mGsmBasicCommsInst);\n"));
    QCOMPARE(m.getInitCode().count("EchoOn"), 1);
    QCOMPARE(m.getPollCode(), QString("    gsmBasicCommsPoll(&mGsmBasicCommsInst);\n"));
    QCOMPARE(m.getConvenienceFunctions(), expected::text(expected::kBasicCommsConvenience));
    QCOMPARE(m.getSourceIncludes(), QString());
    QCOMPARE(m.getGeneralVariables(), QString());
    QCOMPARE(m.getGeneralCallbackFunctions(), QString());
    QCOMPARE(m.getEventCallbackFunctions(), QString());
}

QTEST_GUILESS_MAIN(TestCoreModules)
#include "tst_coremodules.moc"
