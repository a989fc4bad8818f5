// The module selection rules: the dependency closure, the default LTE
// connection, the two messages, and what a second run does.

#include "inmemoryproject.h"
#include "selectionrules.h"
#include "testsupport.h"

#include <QTest>

using testsupport::tickedNames;

namespace {

const QString kMessageA = QStringLiteral(
    "Please choose only one of the \"Internet Connection\" modules.\n\nMultiple internet connection modules "
    "cannot be used simultaneously and may cause unforseen errors.\n\nNote that the \"MQTT Client (SIMCom)\" "
    "module is not currently compatible with the 2G internet connection module.");
const QString kMessageB = QStringLiteral(
    "No Internet Connection module was selected. 'Internet Connection (SIMCom LTE)' has now been selected as a "
    "default - please check and update depending on your requirements.");

void tick(InMemoryProject& project, const QStringList& names)
{
    project.uncheckAllModules();
    for (const QString& name : names) {
        TarvexMdl* module = project.findModuleByName(name);
        QVERIFY2(module, qPrintable(name));
        project.checkModule(module);
    }
}

const QString Power = "Power", Prompt = "Prompt", BasicComms = "BasicComms", Pin = "Pin", Rssi = "RSSI",
              NetReg = "NetworkRegistration", SmsSend = "SMS_Send", SmsRead = "SMS_Read", Ussd = "USSD",
              Lte = "InternetConnection_SIMCom", G2 = "InternetConnection_SIMCom2G", Http = "HTTP_Client_SIMCom",
              Mqtt = "MQTT_Client_SIMCom";

} // namespace

class TestSelectionRules : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }

    void rules_data()
    {
        QTest::addColumn<QStringList>("ticked");
        QTest::addColumn<QStringList>("expected"); // in declaration order
        QTest::addColumn<QStringList>("messages");

        const QStringList none;
        const QStringList chain = {Power, Prompt, BasicComms};
        QTest::newRow("nothing ticked") << none << none << none;
        QTest::newRow("only Power") << QStringList{Power} << QStringList{Power} << none;
        QTest::newRow("only Prompt") << QStringList{Prompt} << QStringList{Power, Prompt} << none;
        QTest::newRow("only Pin") << QStringList{Pin} << QStringList{Power, Prompt, BasicComms, Pin} << none;
        QTest::newRow("only RSSI") << QStringList{Rssi} << QStringList{Power, Prompt, BasicComms, Rssi} << none;
        QTest::newRow("only SMS send") << QStringList{SmsSend} << (chain + QStringList{NetReg, SmsSend}) << none;
        QTest::newRow("only SMS read") << QStringList{SmsRead} << (chain + QStringList{NetReg, SmsRead}) << none;
        QTest::newRow("only USSD") << QStringList{Ussd} << (chain + QStringList{NetReg, Ussd}) << none;
        QTest::newRow("only 2G") << QStringList{G2} << (chain + QStringList{NetReg, G2}) << none;
        QTest::newRow("only LTE") << QStringList{Lte} << (chain + QStringList{NetReg, Lte}) << none;
        QTest::newRow("only HTTP: LTE by default, message B")
            << QStringList{Http} << (chain + QStringList{NetReg, Lte, Http}) << QStringList{kMessageB};
        QTest::newRow("HTTP with 2G: no LTE, no message")
            << QStringList{Http, G2} << (chain + QStringList{NetReg, G2, Http}) << none;
        QTest::newRow("HTTP with LTE") << QStringList{Http, Lte} << (chain + QStringList{NetReg, Lte, Http})
                                       << none;
        QTest::newRow("only MQTT: LTE without a message")
            << QStringList{Mqtt} << (chain + QStringList{NetReg, Lte, Mqtt}) << none;
        QTest::newRow("MQTT and HTTP: LTE from MQTT, no message")
            << QStringList{Http, Mqtt} << (chain + QStringList{NetReg, Lte, Http, Mqtt}) << none;
        QTest::newRow("MQTT with 2G: LTE added, message A")
            << QStringList{Mqtt, G2} << (chain + QStringList{NetReg, Lte, G2, Mqtt}) << QStringList{kMessageA};
        QTest::newRow("both connections: message A, neither unticked")
            << QStringList{Lte, G2} << (chain + QStringList{NetReg, Lte, G2}) << QStringList{kMessageA};
        const QStringList all = {Power, Prompt, BasicComms, Pin,  Rssi, NetReg, SmsSend,
                                 SmsRead, Ussd, Lte,        G2,  Http, Mqtt};
        QTest::newRow("everything") << all << all << QStringList{kMessageA};
        QStringList allBut2G = all;
        allBut2G.removeAll(G2);
        QTest::newRow("everything but 2G") << allBut2G << allBut2G << none;
    }

    void rules()
    {
        QFETCH(QStringList, ticked);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, messages);

        InMemoryProject project;
        tick(project, ticked);
        QCOMPARE(applyModuleDependencies(project), messages);
        QCOMPARE(tickedNames(project), expected);
        // A second press adds nothing; only the two-connections message comes
        // back, until a connection is unticked (the rows without it).
        QCOMPARE(applyModuleDependencies(project), messages.contains(kMessageA) ? messages : QStringList());
        QCOMPARE(tickedNames(project), expected);
        // Getting Started has no check box and stays first.
        QVERIFY(!project.isModuleChecked(project.allModules().first()));
        QCOMPARE(project.checkedModules().first(), project.allModules().first());
    }

    void workingSet_isAppendedInRuleOrder()
    {
        InMemoryProject project;
        QList<TarvexMdl*> set = {project.allModules().first(), project.findModuleByName(Http)};
        QCOMPARE(applySelectionRules(set, project.allModules()), QStringList{kMessageB});
        QCOMPARE(testsupport::moduleNames(set), (QStringList{"", Http, Lte, NetReg, BasicComms, Prompt, Power}));
    }
};

QTEST_GUILESS_MAIN(TestSelectionRules)
#include "tst_selectionrules.moc"
