// The module catalogue (library files) and the in-memory project that the headless tool and the
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

    void libraryFilesAreBundled();

    void projectStartsLikeTheWindow();
    void gettingStartedCannotBeTicked();
    void checkedModulesFollowDeclarationOrder();
    void foreignModulesAreIgnored();
    void findModuleByName();
};

void TestCatalogue::libraryFilesAreBundled()
{
    // (The generation tests rely on this.)
    const QString prefix = QStringLiteral(":/tarvex/resources/tarvex/");
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
