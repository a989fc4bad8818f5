// The documentation pages and the icons of the bundle.
//
// Pages: every module's page is stored as UTF-8 with CR LF line ends, refers
// to nothing outside itself, parses into a titled document, lays out in the
// Module Info pane without horizontal scrolling, keeps its pictures in blocks
// of their own, and mentions every name that the module brings into
// gsm_manager (functions, events, USER CODE sections, settings, files).
// Icons: every icon the application uses is in the bundle, loads, has the
// expected size and is not blank; the window icon holds several sizes.

#include "testsupport.h"

#include "fileutil.h"
#include "modulecatalogue.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QRegularExpression>
#include <QSet>
#include <QTextBlock>
#include <QTextCodec>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextLayout>
#include <QtTest>

namespace {

const QString kDocPrefix = QStringLiteral(":/doc/resources/doc/");
const QString kIcoPrefix = QStringLiteral(":/ico/resources/ico/");

// Text width of the Module Info pane at the window's initial size (1231 px
// wide): the tab page is about 780 px wide, and its margins, the text edit's
// frame and the vertical scroll bar leave about 735 px; 720 keeps a little in
// hand. Pages must fit it without horizontal scrolling with the test
// platform's default font (12 pt DejaVu, larger than most desktops').
const int kPaneWidth = 720;

// One documentation page: its module, file, heading, and the names it must
// mention beyond those read from the module's own fragments (settings
// fields, event data members, the modules it needs, ...).
struct Page
{
    TarvexMdl* module;
    QString file;
    QString heading;
    QStringList names;
};

QStringList captures(const QRegularExpression& re, const QString& text, int group = 1)
{
    QStringList out;
    QRegularExpressionMatchIterator it = re.globalMatch(text);
    while (it.hasNext())
        out << it.next().captured(group).trimmed();
    out.removeDuplicates();
    return out;
}

bool mentions(const QString& plain, const QString& name)
{
    const QRegularExpression re(QStringLiteral("(?<![A-Za-z0-9_])") + QRegularExpression::escape(name)
                                + QStringLiteral("(?![A-Za-z0-9_])"));
    return re.match(plain).hasMatch();
}

// Names a module brings into gsm_manager, read from its fragments with every
// optional part switched on: convenience functions, callbacks and handlers,
// USER CODE sections, event types, the instance and the library files.
QStringList namesFromFragments(const TarvexMdl* m)
{
    const QString api = m->getHeaderPrototypes() + m->getConvenienceFunctions();
    const QString callbacks = m->getGeneralCallbackFunctions() + m->getEventCallbackFunctions();
    QStringList names;
    names << captures(QRegularExpression(QStringLiteral("\\b(gsmmgr\\w+)")), api);
    names << captures(QRegularExpression(QStringLiteral("^(?:void|bool|uint8_t|uint32_t|char\\*)\\s+(\\w+)\\("),
                                         QRegularExpression::MultilineOption),
                      callbacks);
    names << captures(QRegularExpression(QStringLiteral("USER CODE BEGIN (\\w+)")), callbacks);
    names << captures(QRegularExpression(QStringLiteral("\\bcase (\\w+):")), callbacks);
    names << captures(QRegularExpression(QStringLiteral("^\\w+ (m\\w+) = \\{0\\};"), QRegularExpression::MultilineOption),
                      m->getInstanceVariables());
    names << m->getLibraryFiles();
    names.removeDuplicates();
    return names;
}

QImage decodeDataUrl(const QString& url)
{
    const QString prefix = QStringLiteral("data:image/png;base64,");
    if (!url.startsWith(prefix))
        return QImage();
    return QImage::fromData(QByteArray::fromBase64(url.mid(prefix.size()).toLatin1()), "PNG");
}

} // namespace

class TestDocs : public QObject
{
    Q_OBJECT

    ModuleCatalogue mModules; // defaults, as the pages are shown in the window
    ModuleCatalogue mFull;    // every optional fragment switched on
    QList<Page> mPages;

public:
    TestDocs()
    {
        mFull.mMdlPower.UseResetPin = true;
        mFull.mMdlInternetConnectionSimcom.IsApnRequired = true;
        mFull.mMdlInternetConnectionSimcom2G.IsApnRequired = true;

        mPages = {
            {&mFull.mMdlGettingStarted, "tarvexmdl_GettingStarted.html", "Getting Started",
             {"gsmmgrInit", "gsmmgrPoll", "gsm__SysTime_ms", "gsmDebugWrite", "gsmDebugWriteText", "gsmDebugTxPoll",
              "IsDebugOutputSetupSelected", "DebugBufferSize", "gsm_manager.h", "gsm_manager.c", "gsm_manager.cpp",
              "circbuff.c", "circbuff.h", "LICENSE.txt", "Check Module Dependencies", "Generate Code"}},
            {&mFull.mMdlPower, "tarvexmdl_Power.html", "Power (PwrKey Based)",
             {"UseResetPin", "Enable Reset GPIO", "PWRKEY", "STATUS", "RESET"}},
            {&mFull.mMdlPrompt, "tarvexmdl_Prompt.html", "Prompt",
             {"IsPromptSetupSelected", "PromptBufferSize", "IsEchoCancSetupSelected", "EchoCancellationBufferSize",
              "IsCircularTxSetupSelected", "CircularTxBufferSize", "IsCircularRxSetupSelected", "CircularRxBufferSize",
              "mcbfGsmTx", "mcbfGsmRx", "circbuff.h", "Power (PwrKey Based)"}},
            {&mFull.mMdlBasicComms, "tarvexmdl_BasicComms.html", "Basic Comms",
             {"EchoEnabled", "Enable Echo", "EchoOn", "Prompt"}},
            {&mFull.mMdlPin, "tarvexmdl_Pin.html", "Pin",
             {"GSM_PIN_Event_SimStatus", "SimStatus", "GSM_PIN_SimStatus", "Basic Comms"}},
            {&mFull.mMdlRssi, "tarvexmdl_Rssi.html", "RSSI (Signal Quality)",
             {"GSM_SignalQuality_Event_QuerySuccess", "Rssi", "Quality", "Basic Comms"}},
            {&mFull.mMdlNetworkRegistration, "tarvexmdl_NetworkRegistration.html", "Network Registration",
             {"Basic Comms"}},
            {&mFull.mMdlSmsSend, "tarvexmdl_SmsSend.html", "SMS (Text Message) Send",
             {"GSM_SmsSend_Event_SendSuccess", "GSM_SmsSend_Event_DeliveryStatusReport", "MessageReference",
              "PhoneNumber", "MessageStatus", "ServiceCentreEpoch", "ServiceCentreTimeZoneOffsetInSeconds",
              "DischargeEpoch", "DischargeTimeZoneOffsetInSeconds", "gsmSmsSendParseDeliveryReportTimes",
              "Network Registration"}},
            {&mFull.mMdlSmsRead, "tarvexmdl_SmsRead.html", "SMS (Text Message) Receive",
             {"GSM_SmsRead_Event_ReadSuccess", "SmsStatus", "PhoneNumber", "SmsData", "EpochTime",
              "TimeZoneCompensation", "Network Registration"}},
            {&mFull.mMdlUssd, "tarvexmdl_Ussd.html", "USSD",
             {"GSM_USSD_Event_UssdResponse", "ResponseCode", "DataResult", "GSM_USSD_ResponseCode_ActionRequired",
              "Network Registration"}},
            {&mFull.mMdlInternetConnectionSimcom, "tarvexmdl_InternetConnectionSimcom_LTE.html",
             "Internet Connection (SIMCom LTE)", {"IsApnRequired", "APN Required", "APN_IfAny", "Network Registration"}},
            {&mFull.mMdlInternetConnectionSimcom2G, "tarvexmdl_InternetConnectionSimcom_2G.html",
             "Internet Connection (SIMCom 2G)",
             {"IsApnRequired", "APN Required", "APN_IfAny", "Network Registration", "MQTT Client"}},
            {&mFull.mMdlHttpClientSimcom, "tarvexmdl_HttpClientSimcom.html", "HTTP Client (SIMCom)",
             {"GSM_HttpClientSimcom_Event_HttpResult", "ResultStatusCode", "DataOffset", "DataResult",
              "Internet Connection (SIMCom LTE)", "Internet Connection (SIMCom 2G)"}},
            {&mFull.mMdlMqttClientSimcom, "tarvexmdl_MqttClientSimcom.html", "MQTT Client (SIMCom)",
             {"GSM_MqttClientSimcom_Connect_Session", "GSM_MqttClientSimcom_Publish_Parameters",
              "GSM_MqttClientSimcom_Event_MsgRxTopic", "TopicLenTotal", "TopicLenSegment", "TopicSegmentOffset",
              "TopicSegment", "GSM_MqttClientSimcom_Event_MsgRxPayload", "PayloadLenTotal", "PayloadLenSegment",
              "PayloadSegmentOffset", "PayloadSegment", "GSM_MqttClientSimcom_Event_ErrorResponse", "ErrorType",
              "ErrorCode", "GSM_MQTT_ErrorType", "GSM_MQTT_ServerStatus", "Internet Connection (SIMCom LTE)"}},
        };
    }

private slots:
    void initTestCase()
    {
        testsupport::installStrictMessageHandler();
        QCOMPARE(mPages.size(), mModules.allModules().size());
        // The rows follow declaration order, so each page belongs to its module.
        for (int i = 0; i < mPages.size(); ++i)
            QCOMPARE(mPages.at(i).module->getName(), mModules.allModules().at(i)->getName());
    }

    void page_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < mPages.size(); ++i)
            QTest::newRow(qPrintable(mPages.at(i).file)) << i;
    }

    // One page: stored as UTF-8 with CR LF, self-contained, titled, laid out in
    // the pane, and naming what the module adds with names the library has.
    void page()
    {
        QFETCH(int, row);
        const Page& p = mPages.at(row);
        QVERIFY2(QFile::exists(kDocPrefix + p.file), "page missing from the bundle");
        const QByteArray raw = testsupport::readBytes(kDocPrefix + p.file);
        QTextCodec::ConverterState state;
        const QString text = QTextCodec::codecForName("UTF-8")->toUnicode(raw.constData(), raw.size(), &state);
        QCOMPARE(state.invalidChars, 0);
        QVERIFY2(!raw.startsWith("\xEF\xBB\xBF"), "no byte order mark");
        QVERIFY2(!text.contains(QChar(0)), "no NUL (the reader stops there)");
        QCOMPARE(raw.count("\r\n"), raw.count('\n'));
        QCOMPARE(raw.count('\r'), raw.count('\n'));
        QVERIFY(raw.endsWith("</html>\r\n"));
        // The module shows this very text (the reader drops the CR characters).
        const QString html = p.module->getDocHtml();
        QCOMPARE(html, QString(text).remove(QLatin1Char('\r')));

        // Self-contained: addresses may appear as text (an example's URL); what
        // is banned is anything the pane would load or follow. Every picture is
        // inline; nothing links anywhere.
        const QString lower = html.toLower();
        for (const char* banned : {"file:", "<link", "<script", "<iframe", "<object", "<embed", "@import", "url("})
            QVERIFY2(!lower.contains(QLatin1String(banned)), banned);
        const QRegularExpression attribute(QStringLiteral("\\b(src|href|background)\\s*=\\s*[\"']?([^\"'\\s>]*)"),
                                           QRegularExpression::CaseInsensitiveOption);
        for (QRegularExpressionMatchIterator it = attribute.globalMatch(html); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            if (m.captured(1).toLower() != QLatin1String("src"))
                QFAIL(qPrintable(QStringLiteral("%1=\"%2\"").arg(m.captured(1), m.captured(2).left(60))));
            QVERIFY2(m.captured(2).startsWith(QLatin1String("data:image/png;base64,")), qPrintable(m.captured(2).left(60)));
        }

        // Title, the level-1 heading with the module's list label, and the
        // sections a developer works from.
        QTextDocument doc;
        doc.setHtml(html);
        QVERIFY2(doc.metaInformation(QTextDocument::DocumentTitle).endsWith(p.heading),
                 qPrintable(doc.metaInformation(QTextDocument::DocumentTitle)));
        QCOMPARE(doc.begin().blockFormat().headingLevel(), 1);
        QCOMPARE(doc.begin().text(), p.heading);
        QStringList headings;
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
            if (b.blockFormat().headingLevel() == 2)
                headings << b.text();
        QVERIFY2(headings.size() >= 3, qPrintable(headings.join(QStringLiteral(" | "))));
        if (p.module != &mFull.mMdlGettingStarted) {
            QVERIFY(headings.contains(QStringLiteral("What it needs")));
            QVERIFY(headings.contains(QStringLiteral("What it adds to gsm_manager")));
            QVERIFY(headings.contains(QStringLiteral("Example")));
        }

        // Every name the module brings in (and the page's own list) is mentioned.
        const QString plain = doc.toPlainText();
        const QStringList fromFragments = namesFromFragments(p.module);
        // Every module except Network Registration brings functions or callbacks.
        if (p.module != &mFull.mMdlNetworkRegistration && p.module != &mFull.mMdlGettingStarted)
            QVERIFY2(fromFragments.size() >= 4, qPrintable(fromFragments.join(QLatin1Char(' '))));
        QStringList missing;
        for (const QString& name : fromFragments + p.names)
            if (!mentions(plain, name))
                missing << name;
        QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("not mentioned: ") + missing.join(QStringLiteral(", "))));

        // Every library name the page uses (types, enum values, functions,
        // limits) is declared by the bundled library, the circular buffer, the
        // templates or the modules' fragments: the pages follow the library.
        QString known = readResourceText(QStringLiteral(":/code/resources/code/circbuff.h"))
                        + readResourceText(QStringLiteral(":/code/resources/code/gsm_manager.h"))
                        + readResourceText(QStringLiteral(":/code/resources/code/gsm_manager.c"));
        for (const QString& h :
             QDir(QStringLiteral(":/tarvex/resources/tarvex")).entryList({QStringLiteral("*.h")}, QDir::Files))
            known += readResourceText(QStringLiteral(":/tarvex/resources/tarvex/") + h);
        for (const TarvexMdl* m : mFull.allModules())
            known += m->getHeaderPrototypes() + m->getGeneralVariables() + m->getInstanceVariables()
                     + m->getGeneralCallbackFunctions() + m->getEventCallbackFunctions() + m->getInitCode()
                     + m->getPollCode() + m->getConvenienceFunctions();
        const QStringList used = captures(
            QRegularExpression(QStringLiteral("(?<![A-Za-z0-9_])(GSM_[A-Za-z0-9_]+|gsm[A-Z_][A-Za-z0-9_]*|cbuf[A-Z]\\w*)")),
            plain);
        QVERIFY(!used.isEmpty());
        QStringList unknown;
        for (const QString& name : used)
            if (!mentions(known, name))
                unknown << name;
        QVERIFY2(unknown.isEmpty(), qPrintable(QStringLiteral("not in the library: ") + unknown.join(QStringLiteral(", "))));

        // Laid out in the pane: long enough, nothing wider than the pane (long
        // code lines, big pictures), and a picture shares its block with no
        // text (in a text block Qt makes every line after it as tall as the
        // picture, opening large gaps).
        doc.setTextWidth(kPaneWidth);
        const QSizeF size = doc.size();
        int lines = 0;
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
            lines += b.layout()->lineCount();
            QString rest = b.text();
            const bool hasImage = rest.contains(QChar::ObjectReplacementCharacter);
            rest.remove(QChar::ObjectReplacementCharacter);
            if (hasImage)
                QVERIFY2(rest.trimmed().isEmpty(), qPrintable(rest.left(60)));
        }
        QVERIFY2(lines >= 30, qPrintable(QString::number(lines)));
        QVERIFY2(size.height() >= 600, qPrintable(QString::number(size.height())));
        QVERIFY2(doc.idealWidth() <= kPaneWidth + 0.5, qPrintable(QString::number(doc.idealWidth())));
        QCOMPARE(size.width(), qreal(kPaneWidth));
    }

    void gettingStartedCarriesItsDiagrams()
    {
        const QString html = mFull.mMdlGettingStarted.getDocHtml();
        QVERIFY(mFull.mMdlGettingStarted.getDocHtml() == mModules.mMdlGettingStarted.getDocHtml());

        // Every section of the templates is explained on the Start page.
        const QString templates = readResourceText(QStringLiteral(":/code/resources/code/gsm_manager.h"))
                                  + readResourceText(QStringLiteral(":/code/resources/code/gsm_manager.c"));
        const QStringList sections =
            captures(QRegularExpression(QStringLiteral("USER CODE BEGIN ([^\\n]+)")), templates);
        QVERIFY2(sections.size() >= 8, qPrintable(sections.join(QStringLiteral(", "))));
        QTextDocument plainDoc;
        plainDoc.setHtml(html);
        for (const QString& s : sections)
            QVERIFY2(mentions(plainDoc.toPlainText(), s), qPrintable(s));

        // The pictures: real PNGs whose size matches the space the page reserves.
        const QRegularExpression img(
            QStringLiteral("<img src=\"(data:image/png;base64,[A-Za-z0-9+/=]+)\" width=\"(\\d+)\" height=\"(\\d+)\""));
        QRegularExpressionMatchIterator it = img.globalMatch(html);
        int count = 0;
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            const QImage image = decodeDataUrl(m.captured(1));
            QVERIFY(!image.isNull());
            QCOMPARE(image.size(), QSize(m.captured(2).toInt(), m.captured(3).toInt()));
            QVERIFY(image.width() <= kPaneWidth);
            ++count;
        }
        QVERIFY2(count >= 1 && count <= 3, qPrintable(QString::number(count)));
        QCOMPARE(html.count(QStringLiteral("<img")), count);

    }

    // The icons the sources and forms of the application use, each a row.
    void icons_data()
    {
        QTest::addColumn<QString>("file");
        QSet<QString> used;
        QDirIterator it(TARVEX_SOURCE_DIR "/src", {"*.cpp", "*.h", "*.ui"}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            QVERIFY(f.open(QIODevice::ReadOnly));
            for (const QString& name : captures(QRegularExpression(":/ico/resources/ico/([A-Za-z0-9_.@-]+)"), f.readAll()))
                used.insert(name);
        }
        QStringList files = used.values();
        files.sort();
        QCOMPARE(files, (QStringList{"code_radio.ico", "disk--plus.png", "disk.png", "document.png",
                                     "folder-horizontal-open.png", "gear.png", "information.png", "lifebuoy.png"}));
        for (const QString& f : files)
            QTest::newRow(qPrintable(f)) << f;
    }

    // In the bundle, square and not empty: the window icon an .ico of five sizes
    // with alpha, a button icon a 16 px PNG with a 32 px "@2x" twin.
    void icons()
    {
        QFETCH(QString, file);
        const bool ico = file.endsWith(".ico");
        QList<int> sides;
        for (const QString& name : ico ? QStringList{file} : QStringList{file, QString(file).replace(".png", "@2x.png")}) {
            QImageReader reader(kIcoPrefix + name);
            QCOMPARE(QString(reader.format()), QString(ico ? "ico" : "png"));
            for (int i = 0; i < (ico ? reader.imageCount() : 1); ++i) {
                QVERIFY(!ico || reader.jumpToImage(i));
                const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
                QVERIFY2(!image.isNull(), qPrintable(name + ' ' + reader.errorString()));
                QCOMPARE(image.width(), image.height());
                QVERIFY(!ico || image.hasAlphaChannel());
                sides << image.width();
            }
        }
        if (ico) // any order inside the .ico; the PNG and then its twin
            std::sort(sides.begin(), sides.end());
        QCOMPARE(sides, (ico ? QList<int>{16, 24, 32, 48, 256} : QList<int>{16, 32}));
        QVERIFY(!QIcon(kIcoPrefix + file).pixmap(16, 16).isNull());
    }
};

QTEST_MAIN(TestDocs)
#include "tst_docs.moc"
