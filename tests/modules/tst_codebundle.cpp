// The ":/code/" part of the bundle: the two manager templates byte for byte
// as stored (CR LF, UTF-8) and as read back through readResourceText (LF
// only), every snippet stored with CR LF, and the USER CODE sections of all
// fragments. (The snippets' texts are pinned by the module tests, which
// compare each module's output with its golden text.)

#include "expectedtemplates.h"
#include "testsupport.h"

#include "fileutil.h"
#include "modulecatalogue.h"

#include <QtTest>

namespace {

const QString kCodePrefix = QStringLiteral(":/code/resources/code/");

QByteArray rawBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QByteArray storedForm(const QString& lfText)
{
    QByteArray bytes = lfText.toUtf8();
    bytes.replace("\n", "\r\n");
    return bytes;
}

template <size_t N>
QString joinLines(const char* const (&lines)[N])
{
    QString text;
    for (const char* line : lines)
        text += QString::fromUtf8(line) + QLatin1Char('\n');
    return text;
}

} // namespace

class TestCodeBundle : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }

    void templates_data();
    void templates();
    void everyCodeFileIsStoredWithCrLf();
    void userCodeSectionsOfAllFragments();
};

void TestCodeBundle::templates_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("lineCount");
    QTest::addColumn<QStringList>("placeholders");
    QTest::newRow("header") << "gsm_manager.h" << joinLines(expected::kHeaderTemplateLines) << 40
                            << QStringList{"%1", "%2"};
    QTest::newRow("source") << "gsm_manager.c" << joinLines(expected::kSourceTemplateLines) << 84
                            << QStringList{"%1", "%2", "%3", "%4", "%5", "%6", "%7", "%8"};
}

void TestCodeBundle::templates()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(int, lineCount);
    QFETCH(QStringList, placeholders);
    QCOMPARE(text.count(QLatin1Char('\n')), lineCount);

    QCOMPARE(rawBytes(kCodePrefix + name), storedForm(text));
    const QString read = readResourceText(kCodePrefix + name);
    QCOMPARE(read, text);

    // Each placeholder stands alone on one line, once; no other "%<digit>".
    const QStringList lines = read.split(QLatin1Char('\n'));
    for (const QString& placeholder : placeholders)
        QCOMPARE(lines.count(placeholder), 1);
    QCOMPARE(read.count(QRegularExpression(QStringLiteral("%\\d"))), placeholders.size());
}

void TestCodeBundle::everyCodeFileIsStoredWithCrLf()
{
    // Templates and snippets are stored with CR LF only; whatever the folder
    // holds reads back through readResourceText without a single CR.
    const QStringList names = QDir(kCodePrefix).entryList(QDir::Files, QDir::Name);
    QVERIFY(names.contains("gsm_manager.h"));
    QVERIFY(names.contains("gsm_manager.c"));
    int fixedTexts = 0;
    for (const QString& name : names) {
        const QByteArray raw = rawBytes(kCodePrefix + name);
        QVERIFY2(!raw.isEmpty(), qPrintable(name));
        const QString read = readResourceText(kCodePrefix + name);
        QVERIFY2(!read.contains(QLatin1Char('\r')), qPrintable(name));
        QCOMPARE(read.toUtf8(), QByteArray(raw).replace("\r\n", "\n"));
        if (name.startsWith(QLatin1String("gsm_manager.")) || name.startsWith(QLatin1String("tarvexmdl_"))) {
            ++fixedTexts;
            QVERIFY2(raw.endsWith("\r\n"), qPrintable(name));
            QCOMPARE(raw.count('\n'), raw.count("\r\n"));
            QCOMPARE(raw.count('\r'), raw.count("\r\n"));
        }
    }
    QCOMPARE(fixedTexts, 2 + 15);
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
