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

    void ticking();
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

// Ticks as the window keeps them: all at first, Getting Started never ticked
// yet always first, declaration order whatever the order of ticking, and
// modules of another catalogue (or none) ignored.
void TestCatalogue::ticking()
{
    InMemoryProject p;
    ModuleCatalogue& c = p.catalogue();
    TarvexMdl* start = &c.mMdlGettingStarted;
    QCOMPARE(p.projectPath(), QString());
    QVERIFY(!p.isCpp() && !p.isArduino() && !p.isArduinoVisible());
    QCOMPARE(p.allModules(), c.allModules());
    QCOMPARE(p.checkedModules(), p.allModules());
    QVERIFY(!p.isModuleChecked(start));
    p.checkModule(start);
    QVERIFY(!p.isModuleChecked(start));
    p.uncheckAllModules();
    QCOMPARE(p.checkedModules(), QList<TarvexMdl*>{start});

    // Tick in an order unlike declaration order, 2G before LTE, Power twice.
    ModuleCatalogue other;
    for (TarvexMdl* m : std::initializer_list<TarvexMdl*>{start, &c.mMdlMqttClientSimcom, &c.mMdlInternetConnectionSimcom2G,
                         &c.mMdlInternetConnectionSimcom, &c.mMdlPower, &c.mMdlPower, &other.mMdlRssi,
                         nullptr})
        p.checkModule(m);
    p.uncheckModule(nullptr);
    QCOMPARE(p.checkedModules(), (QList<TarvexMdl*>{start, &c.mMdlPower, &c.mMdlInternetConnectionSimcom,
                                                    &c.mMdlInternetConnectionSimcom2G, &c.mMdlMqttClientSimcom}));
    QVERIFY(!p.isModuleChecked(start) && !p.isModuleChecked(&other.mMdlRssi) && !p.isModuleChecked(nullptr));
    p.uncheckModule(&c.mMdlInternetConnectionSimcom);
    QVERIFY(!p.isModuleChecked(&c.mMdlInternetConnectionSimcom));
    QVERIFY(p.isModuleChecked(&c.mMdlInternetConnectionSimcom2G));
    QCOMPARE(p.checkedModules().size(), 4);
}

void TestCatalogue::findModuleByName()
{
    InMemoryProject p;
    ModuleCatalogue& c = p.catalogue();
    const QList<QPair<QString, TarvexMdl*>> rows = {
        {"", &c.mMdlGettingStarted}, {"RSSI", &c.mMdlRssi},
        {"InternetConnection_SIMCom2G", &c.mMdlInternetConnectionSimcom2G},
        {"InternetConnection_SIMCom", &c.mMdlInternetConnectionSimcom},
        {"Power ", nullptr}, {"Rssi", nullptr}, {"GettingStarted", nullptr}};
    for (const auto& row : rows)
        QVERIFY2(p.findModuleByName(row.first) == row.second, qPrintable(row.first));
}

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
