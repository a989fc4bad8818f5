// The module catalogue (identities, declaration order, documentation pages,
// library files) and the in-memory project that the headless tool and the
// tests run workflows against.

#include "testsupport.h"

#include "fileutil.h"
#include "inmemoryproject.h"
#include "modulecatalogue.h"

#include <QtTest>

class TestCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }

    void declarationOrderAndIdentifiers();
    void documentationPages();
    void libraryFilesAreBundled();

    void projectStartsLikeTheWindow();
    void gettingStartedCannotBeTicked();
    void checkedModulesFollowDeclarationOrder();
    void foreignModulesAreIgnored();
    void findModuleByName();
};

void TestCatalogue::declarationOrderAndIdentifiers()
{
    ModuleCatalogue c;
    const QList<TarvexMdl*> all = c.allModules();
    const QList<TarvexMdl*> members = {&c.mMdlGettingStarted, &c.mMdlPower, &c.mMdlPrompt, &c.mMdlBasicComms,
                                       &c.mMdlPin, &c.mMdlRssi, &c.mMdlNetworkRegistration, &c.mMdlSmsSend,
                                       &c.mMdlSmsRead, &c.mMdlUssd, &c.mMdlInternetConnectionSimcom,
                                       &c.mMdlInternetConnectionSimcom2G, &c.mMdlHttpClientSimcom,
                                       &c.mMdlMqttClientSimcom};
    QCOMPARE(all, members);

    QStringList names;
    for (TarvexMdl* m : all)
        names << m->getName();
    QCOMPARE(names, QStringList({"", "Power", "Prompt", "BasicComms", "Pin", "RSSI", "NetworkRegistration",
                                 "SMS_Send", "SMS_Read", "USSD", "InternetConnection_SIMCom",
                                 "InternetConnection_SIMCom2G", "HTTP_Client_SIMCom", "MQTT_Client_SIMCom"}));

    // Modules carry no meta-object data of their own: they are all TarvexMdl.
    for (TarvexMdl* m : all)
        QCOMPARE(m->metaObject(), &TarvexMdl::staticMetaObject);
}

void TestCatalogue::documentationPages()
{
    const QString prefix = QStringLiteral(":/doc/resources/doc/");
    if (QDir(prefix).entryList(QDir::Files).isEmpty())
        QSKIP("no documentation pages in the bundle yet");

    ModuleCatalogue c;
    const QStringList pages = {
        "tarvexmdl_GettingStarted.html", "tarvexmdl_Power.html", "tarvexmdl_Prompt.html",
        "tarvexmdl_BasicComms.html", "tarvexmdl_Pin.html", "tarvexmdl_Rssi.html",
        "tarvexmdl_NetworkRegistration.html", "tarvexmdl_SmsSend.html", "tarvexmdl_SmsRead.html",
        "tarvexmdl_Ussd.html", "tarvexmdl_InternetConnectionSimcom_LTE.html",
        "tarvexmdl_InternetConnectionSimcom_2G.html", "tarvexmdl_HttpClientSimcom.html",
        "tarvexmdl_MqttClientSimcom.html"};
    const QList<TarvexMdl*> all = c.allModules();
    QCOMPARE(all.size(), pages.size());
    QSet<QString> seen;
    for (int i = 0; i < all.size(); ++i) {
        const QString page = readResourceText(prefix + pages.at(i));
        QVERIFY2(!page.isEmpty(), qPrintable(pages.at(i)));
        QCOMPARE(all.at(i)->getDocHtml(), page);
        seen.insert(page);
    }
    QCOMPARE(seen.size(), pages.size());
}

void TestCatalogue::libraryFilesAreBundled()
{
    const QString prefix = QStringLiteral(":/tarvex/resources/tarvex/");
    if (QDir(prefix).entryList(QDir::Files).isEmpty())
        QSKIP("no library sources in the bundle yet");
    ModuleCatalogue c;
    for (TarvexMdl* m : c.allModules())
        for (const QString& file : m->getLibraryFiles())
            QVERIFY2(QFile::exists(prefix + file), qPrintable(file));
}

void TestCatalogue::projectStartsLikeTheWindow()
{
    InMemoryProject p;
    QCOMPARE(p.projectPath(), QString());
    QVERIFY(!p.isCpp());
    QVERIFY(!p.isArduino());
    QVERIFY(!p.isArduinoVisible());
    QCOMPARE(p.allModules(), p.catalogue().allModules());
    QCOMPARE(p.checkedModules(), p.allModules());

    p.setProjectPath("/tmp/x");
    p.setCpp(true);
    p.setArduinoVisible(true);
    p.setArduinoChecked(true);
    QCOMPARE(p.projectPath(), QString("/tmp/x"));
    QVERIFY(p.isCpp());
    QVERIFY(p.isArduino());
    QVERIFY(p.isArduinoVisible());

    p.uncheckAllModules();
    QCOMPARE(p.checkedModules(), QList<TarvexMdl*>{&p.catalogue().mMdlGettingStarted});
}

void TestCatalogue::gettingStartedCannotBeTicked()
{
    InMemoryProject p;
    TarvexMdl* start = &p.catalogue().mMdlGettingStarted;
    QVERIFY(!p.isModuleChecked(start));
    p.checkModule(start);
    QVERIFY(!p.isModuleChecked(start));
    p.uncheckAllModules();
    p.checkModule(start);
    QVERIFY(!p.isModuleChecked(start));
    // Still first in the generation order, exactly once.
    QCOMPARE(p.checkedModules(), QList<TarvexMdl*>{start});
}

void TestCatalogue::checkedModulesFollowDeclarationOrder()
{
    InMemoryProject p;
    ModuleCatalogue& c = p.catalogue();
    p.uncheckAllModules();
    // Tick in an order unlike declaration order, 2G before LTE.
    for (TarvexMdl* m : std::initializer_list<TarvexMdl*>{&c.mMdlMqttClientSimcom, &c.mMdlInternetConnectionSimcom2G,
                                                          &c.mMdlInternetConnectionSimcom, &c.mMdlPower,
                                                          &c.mMdlPower})
        p.checkModule(m);
    QCOMPARE(p.checkedModules(),
             (QList<TarvexMdl*>{&c.mMdlGettingStarted, &c.mMdlPower, &c.mMdlInternetConnectionSimcom,
                                &c.mMdlInternetConnectionSimcom2G, &c.mMdlMqttClientSimcom}));
    p.uncheckModule(&c.mMdlInternetConnectionSimcom);
    QVERIFY(!p.isModuleChecked(&c.mMdlInternetConnectionSimcom));
    QVERIFY(p.isModuleChecked(&c.mMdlInternetConnectionSimcom2G));
    QCOMPARE(p.checkedModules().size(), 4);
}

void TestCatalogue::foreignModulesAreIgnored()
{
    InMemoryProject p;
    p.uncheckAllModules();
    ModuleCatalogue other;
    p.checkModule(&other.mMdlPower);
    p.checkModule(nullptr);
    p.uncheckModule(nullptr);
    QVERIFY(!p.isModuleChecked(&other.mMdlPower));
    QVERIFY(!p.isModuleChecked(nullptr));
    QCOMPARE(p.checkedModules().size(), 1);
}

void TestCatalogue::findModuleByName()
{
    InMemoryProject p;
    ModuleCatalogue& c = p.catalogue();
    QCOMPARE(p.findModuleByName(""), &c.mMdlGettingStarted);
    QCOMPARE(p.findModuleByName("RSSI"), &c.mMdlRssi);
    QCOMPARE(p.findModuleByName("InternetConnection_SIMCom2G"), &c.mMdlInternetConnectionSimcom2G);
    QCOMPARE(p.findModuleByName("InternetConnection_SIMCom"), &c.mMdlInternetConnectionSimcom);
    QCOMPARE(p.findModuleByName("Power "), nullptr);
    QCOMPARE(p.findModuleByName("Rssi"), nullptr);
    QCOMPARE(p.findModuleByName("GettingStarted"), nullptr);
}

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
