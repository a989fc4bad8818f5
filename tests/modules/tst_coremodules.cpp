// Golden texts of the four core modules (Start, Power, Prompt, BasicComms)
// for every settings variation that changes their output.

#include "expectedtexts.h"
#include "testsupport.h"

#include "tarvexmdl_basiccomms.h"
#include "tarvexmdl_gettingstarted.h"
#include "tarvexmdl_power.h"
#include "tarvexmdl_prompt.h"

#include <QtTest>

namespace {

QStringList allFragments(const TarvexMdl& m)
{
    return {m.getHeaderInclude(), m.getHeaderPrototypes(), m.getSourceIncludes(),
            m.getGeneralVariables(), m.getInstanceVariables(), m.getGeneralCallbackFunctions(),
            m.getEventCallbackFunctions(), m.getInitCode(), m.getPollCode(),
            m.getConvenienceFunctions()};
}

} // namespace

class TestCoreModules : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }

    void gettingStartedDebugBuffer_data();
    void gettingStartedDebugBuffer();
    void gettingStartedWithoutDebugBufferContributesNothing();

    void power_data();
    void power();

    void promptConstantFragments();
    void promptGeneralVariables_data();
    void promptGeneralVariables();
    void promptRxPoll_data();
    void promptRxPoll();
    void promptInitCodeOptionalPieces_data();
    void promptInitCodeOptionalPieces();

    void basicCommsFragments_data();
    void basicCommsFragments();
};

void TestCoreModules::gettingStartedDebugBuffer_data()
{
    QTest::addColumn<double>("size");
    QTest::addColumn<QString>("digits");
    QTest::newRow("default") << 1024.0 << "1024";
    QTest::newRow("spin box maximum") << 429496729.0 << "429496729";
    QTest::newRow("beyond 32 bits") << 12345678901.0 << "12345678901";
}

void TestCoreModules::gettingStartedDebugBuffer()
{
    QFETCH(double, size);
    QFETCH(QString, digits);
    TarvexMdl_GettingStarted m;
    QVERIFY(m.IsDebugOutputSetupSelected);
    m.DebugBufferSize = size;

    QCOMPARE(m.getName(), QString());
    QCOMPARE(m.getLibraryFiles(), QStringList());
    QCOMPARE(m.getGeneralVariables(),
             QString("\n" "// --- GSM Debug ---\n\n" "// Debug Buffer\n" "static uint8_t mau8UartDebugTxBuff[")
                 + digits + QString("];\n" "CircBuff mcbfDebugTx;\n"));
    QCOMPARE(m.getGeneralCallbackFunctions(), expected::snippet("tarvexmdl_GettingStarted_GeneralCallbackFunctions.c"));
    QCOMPARE(m.getInitCode(), QString("\n    // DEBUG Tx buffer setup\n"
                                      "    mcbfDebugTx.Buffer = mau8UartDebugTxBuff;\n"
                                      "    mcbfDebugTx.BufferSize = sizeof(mau8UartDebugTxBuff);\n"
                                      "    cbufInit(&mcbfDebugTx);\n"));
    QCOMPARE(m.getPollCode(), QString("\n    gsmDebugTxPoll();\n"));
    // The Start module never has an include line or prototypes of its own.
    QCOMPARE(m.getHeaderInclude(), QString());
    QCOMPARE(m.getHeaderPrototypes(), QString());
    QCOMPARE(m.getSourceIncludes(), QString());
    QCOMPARE(m.getInstanceVariables(), QString());
    QCOMPARE(m.getEventCallbackFunctions(), QString());
    QCOMPARE(m.getConvenienceFunctions(), QString());
}

void TestCoreModules::gettingStartedWithoutDebugBufferContributesNothing()
{
    TarvexMdl_GettingStarted m;
    m.IsDebugOutputSetupSelected = false;
    m.DebugBufferSize = 2048;
    for (const QString& fragment : allFragments(m))
        QCOMPARE(fragment, QString());
    QCOMPARE(m.getLibraryFiles(), QStringList());
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

// Each row switches the four flags (prompt, echo cancellation, Tx, Rx) and
// uses four different sizes so a size paired with the wrong buffer shows.
void TestCoreModules::promptGeneralVariables_data()
{
    QTest::addColumn<bool>("prompt");
    QTest::addColumn<bool>("echo");
    QTest::addColumn<bool>("tx");
    QTest::addColumn<bool>("rx");
    QTest::addColumn<QString>("variables");

    const QString promptBlock("\n// --- GSM Prompt ---\n\n// Prompt Buffer\nstatic uint8_t mau8GsmPromptBuff[2048];\n");
    const QString echoBlock("\n// Echo Cancellation Buffer\nstatic uint8_t mau8UartGsmEchoCancelBuff[1000000];\n");
    const QString txBlock("\n// UART GSM Tx buffer\nstatic uint8_t mau8UartGsmTxBuff[512];\nCircBuff mcbfGsmTx;\n");
    const QString rxBlock("\n// UART GSM Rx buffer\nstatic uint8_t mau8UartGsmRxBuff[8];\nCircBuff mcbfGsmRx;\n");

    for (int bits = 0; bits < 16; ++bits) {
        const bool p = bits & 1, e = bits & 2, t = bits & 4, r = bits & 8;
        QString text;
        if (p) text += promptBlock;
        if (e) text += echoBlock;
        if (t) text += txBlock;
        if (r) text += rxBlock;
        QTest::addRow("prompt=%d echo=%d tx=%d rx=%d", p, e, t, r) << p << e << t << r << text;
    }
}

void TestCoreModules::promptGeneralVariables()
{
    QFETCH(bool, prompt);
    QFETCH(bool, echo);
    QFETCH(bool, tx);
    QFETCH(bool, rx);
    QFETCH(QString, variables);
    TarvexMdl_Prompt m;
    m.IsPromptSetupSelected = prompt;
    m.IsEchoCancSetupSelected = echo;
    m.IsCircularTxSetupSelected = tx;
    m.IsCircularRxSetupSelected = rx;
    m.PromptBufferSize = 2048;
    m.EchoCancellationBufferSize = 1000000;
    m.CircularTxBufferSize = 512;
    m.CircularRxBufferSize = 8;
    QCOMPARE(m.getGeneralVariables(), variables);
    QCOMPARE(m.getSourceIncludes(), (tx || rx) ? QString("#include \"circbuff.h\"") : QString());
    // Only the prompt buffer block carries the module title.
    QCOMPARE(m.getGeneralVariables().contains("// --- GSM Prompt ---"), prompt);
}

// The receive-poll function and its call come with the Rx buffer only,
// whatever the other buffers do.
void TestCoreModules::promptRxPoll_data()
{
    QTest::addColumn<bool>("rx");
    QTest::addColumn<bool>("others"); // prompt, echo cancellation and Tx buffers
    QTest::newRow("all buffers") << true << true;
    QTest::newRow("only Rx") << true << false;
    QTest::newRow("all but Rx") << false << true;
    QTest::newRow("no buffers") << false << false;
}

void TestCoreModules::promptRxPoll()
{
    QFETCH(bool, rx);
    QFETCH(bool, others);
    TarvexMdl_Prompt m;
    m.IsPromptSetupSelected = m.IsEchoCancSetupSelected = m.IsCircularTxSetupSelected = others;
    m.IsCircularRxSetupSelected = rx;
    QCOMPARE(m.getGeneralCallbackFunctions(), QString("\n// --- GSM Prompt ---\n") +
                                                  (rx ? QString(kRxPollFunction) : QString()) +
                                                  expected::snippet("tarvexmdl_Prompt_GeneralCallbackFunctions.c"));
    QCOMPARE(m.getPollCode(), (rx ? QString("    gsmRxPoll();\n") : QString()) +
                                  QString("    gsmPromptPoll(&mGsmPromptInst);\n    gsmTxPoll();\n"));
}

void TestCoreModules::promptInitCodeOptionalPieces_data()
{
    QTest::addColumn<int>("bits");
    for (int bits = 0; bits < 16; ++bits)
        QTest::addRow("flags %d", bits) << bits;
}

void TestCoreModules::promptInitCodeOptionalPieces()
{
    QFETCH(int, bits);
    const bool p = bits & 1, e = bits & 2, t = bits & 4, r = bits & 8;
    TarvexMdl_Prompt m;
    m.IsPromptSetupSelected = p;
    m.IsEchoCancSetupSelected = e;
    m.IsCircularTxSetupSelected = t;
    m.IsCircularRxSetupSelected = r;

    QString text = QString("    \n    // Prompt\n    mGsmPromptInst.Power = &(mGsmPwrInst._i);\n");
    if (p)
        text += QString("    mGsmPromptInst.DataBuffer = mau8GsmPromptBuff;\n"
                        "    mGsmPromptInst.DataBufferSize = sizeof(mau8GsmPromptBuff);\n");
    text += QString("    mGsmPromptInst.Write = &gsmWrite;\n"
                    "    mGsmPromptInst.WriteCompleted = &gsmWriteCompleted;\n"
                    "    mGsmPromptInst.CanRead = &gsmCanRead;\n"
                    "    mGsmPromptInst.Read = &gsmRead;\n");
    if (e)
        text += QString("    mGsmPromptInst.EchoCancellationBuffer = mau8UartGsmEchoCancelBuff;\n"
                        "    mGsmPromptInst.EchoCancellationBufferSize = sizeof(mau8UartGsmEchoCancelBuff);\n");
    text += QString("    gsmPromptInit(&mGsmPromptInst);\n");
    if (t)
        text += QString("\n    // GSM Tx buffer setup\n"
                        "    mcbfGsmTx.Buffer = mau8UartGsmTxBuff;\n"
                        "    mcbfGsmTx.BufferSize = sizeof(mau8UartGsmTxBuff);\n"
                        "    cbufInit(&mcbfGsmTx);\n");
    if (r)
        text += QString("\n    // GSM Rx buffer setup\n"
                        "    mcbfGsmRx.Buffer = mau8UartGsmRxBuff;\n"
                        "    mcbfGsmRx.BufferSize = sizeof(mau8UartGsmRxBuff);\n"
                        "    cbufInit(&mcbfGsmRx);\n");
    QCOMPARE(m.getInitCode(), text);
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
