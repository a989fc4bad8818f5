// The ":/code/" part of the bundle: every template and snippet pinned by its
// SHA-256 as stored (CR LF, UTF-8, no-break spaces), read back through
// readResourceText with LF only, the templates' placeholders, and the USER
// CODE sections of all fragments. The module tests compare each module's
// output with the snippet it reads, so these bytes pin the snippets' texts.

#include "testsupport.h"

#include "fileutil.h"
#include "modulecatalogue.h"

#include <QCryptographicHash>
#include <QtTest>

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

} // namespace

class TestCodeBundle : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }

    void everyCodeFileIsPinnedAndStoredWithCrLf();
    void templatePlaceholders_data();
    void templatePlaceholders();
    void userCodeSectionsOfAllFragments();
};

void TestCodeBundle::everyCodeFileIsPinnedAndStoredWithCrLf()
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

void TestCodeBundle::templatePlaceholders_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("count");
    QTest::newRow("header") << "gsm_manager.h" << 2;
    QTest::newRow("source") << "gsm_manager.c" << 8;
}

void TestCodeBundle::templatePlaceholders()
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
void TestCodeBundle::userCodeSectionsOfAllFragments()
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

QTEST_GUILESS_MAIN(TestCodeBundle)
#include "tst_codebundle.moc"
