// The main window built for real (offscreen): start-up state, the module list
// and its rows, the tabs per module, the settings panels and the echo
// coupling, the language controls and the dependency check; the project
// commands and the Generate Code button with the real message boxes; the
// About window and the boxes of the modal seam as the application builds
// them; and the window on small screens: it opens at 1231 x 631, can shrink
// to fit 1093 x 566 logical pixels (a 1366 x 768 laptop at 125 % with a task
// bar), and at its smallest every control of every tab is on screen and not
// squeezed, or inside a scroll area that is. (Web links and usage events:
// tests/usagestats.)

#include "aboutwindow.h"
#include "inmemoryproject.h"
#include "mainwindow.h"
#include "messageboxinteraction.h"
#include "projectsettings.h"
#include "scriptedinteraction.h"
#include "selectionrules.h"
#include "testsupport.h"
#include "workflowsupport.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include <memory>

using namespace workflowtest;
using testsupport::child;
using testsupport::moduleNames;

namespace {

// The list rows 0 to 13: module name, the row's text, and the pages whose
// tabs the module shows.
struct Row
{
    const char* name;
    const char* text;
    QStringList pages;
};
const QString kInfo = "tbMdlInfo", kExample = "tbMdlExample";
const QList<Row> kRows = {
    {"", "Start", {kInfo, "tbMdlSettings_GettingStarted"}},
    {"Power", "Power (PwrKey Based)", {kInfo, "tbMdlSettings_Power"}},
    {"Prompt", "    Prompt", {kInfo, "tbMdlSettings_Prompt"}},
    {"BasicComms", "        Basic Comms", {kInfo, "tbMdlSettings_BasicComms"}},
    {"Pin", "            Pin", {kInfo, kExample}},
    {"RSSI", "            RSSI (Signal Quality)", {kInfo, kExample}},
    {"NetworkRegistration", "            Network Registration", {kInfo}},
    {"SMS_Send", "                SMS (Text Message) Send", {kInfo, kExample}},
    {"SMS_Read", "                SMS (Text Message) Receive", {kInfo, kExample}},
    {"USSD", "                USSD", {kInfo, kExample}},
    {"InternetConnection_SIMCom2G", "                Internet Connection (SIMCom 2G)",
     {kInfo, "tbMdlSettings_InternetConnectionSimcom2G"}},
    {"InternetConnection_SIMCom", "                Internet Connection (SIMCom LTE)",
     {kInfo, "tbMdlSettings_InternetConnectionSimcom"}},
    {"HTTP_Client_SIMCom", "                    HTTP Client (SIMCom)", {kInfo, kExample}},
    {"MQTT_Client_SIMCom", "                    MQTT Client (SIMCom)", {kInfo, kExample}}};

// Names in declaration order: as the rows, but LTE before 2G.
QStringList declarationNames()
{
    QStringList names;
    for (const Row& r : kRows)
        names << r.name;
    names.swapItemsAt(10, 11);
    return names;
}

// Object names of the pages whose tabs are visible.
QStringList visiblePages(QTabWidget* tabs)
{
    QStringList pages;
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->isTabVisible(i))
            pages << tabs->widget(i)->objectName();
    return pages;
}

// Plain text of a rich-text label as it is shown.
QString shownText(const QLabel* label)
{
    QTextDocument doc;
    doc.setHtml(label->text());
    return doc.toPlainText();
}

const QSize kSmallScreen(1093, 566);

// Controls the user must be able to reach.
bool isControl(const QWidget* w)
{
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QLineEdit*>(w) || qobject_cast<const QListWidget*>(w) ||
           qobject_cast<const QTabBar*>(w) || qobject_cast<const QTextEdit*>(w);
}

// Problems of the controls shown in the window as it is laid out now.
QStringList unreachableControls(QMainWindow& window)
{
    QStringList problems;
    const QRect windowRect(QPoint(0, 0), window.size());
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!isControl(w) || !w->isVisibleTo(&window) || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        // Parts of other controls (a tab bar's scroll arrows).
        if (w->parentWidget() && isControl(w->parentWidget()))
            continue;
        const QString name = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                                       : w->objectName();
        // Inside a scroll area the area itself must be on screen and big
        // enough to scroll through; the control may lie outside its view.
        QWidget* onScreen = w;
        for (QWidget* p = w->parentWidget(); p && p != &window; p = p->parentWidget())
            if (auto* area = qobject_cast<QScrollArea*>(p))
                onScreen = area;
        if (onScreen != w && (onScreen->height() < 40 || onScreen->width() < 100))
            problems << name + QStringLiteral(": its scroll area is too small");
        const QRect r(onScreen->mapTo(&window, QPoint(0, 0)), onScreen->size());
        if (!windowRect.contains(r))
            problems << name + QStringLiteral(" is cut off by the window");
        // Buttons, boxes and fields are never squeezed below what they need.
        if (onScreen == w && !qobject_cast<QListWidget*>(w) && !qobject_cast<QTextEdit*>(w) &&
            !qobject_cast<QTabBar*>(w) &&
            (w->width() < w->minimumSizeHint().width() || w->height() < w->minimumSizeHint().height()))
            problems << name + QStringLiteral(" is squeezed");
    }
    return problems;
}

// The offscreen platform says, each time a shown window's minimum size
// changes, that it cannot pass it on; everything else goes to the strict
// handler.
QtMessageHandler gStrictHandler = nullptr;
void ignorePlatformSizeHints(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QLatin1String("does not support propagateSizeHints")))
        return;
    gStrictHandler(type, context, message);
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScriptedInteraction> mUi;
    std::unique_ptr<MainWindow> mWindow;
    std::unique_ptr<QTemporaryDir> mTmp; // a new one per test
    MainWindow& window() { return *mWindow; }
    QListWidget* list() { return child<QListWidget>(window(), "lstwgtModules"); }
    QTabWidget* tabs() { return child<QTabWidget>(window(), "tabwgtMdl"); }
    QCheckBox* box(const char* name) { return child<QCheckBox>(window(), name); }
    QSpinBox* spin(const char* name) { return child<QSpinBox>(window(), name); }
    template <class M>
    M* module(int row)
    {
        auto* m = dynamic_cast<M*>(window().moduleAt(row));
        if (!m)
            qFatal("row %d does not hold the expected module class", row);
        return m;
    }

private slots:
    void initTestCase()
    {
        QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        testsupport::installStrictMessageHandler();
    }
    void init()
    {
        mTmp = std::make_unique<QTemporaryDir>();
        QVERIFY(mTmp->isValid());
        mUi = std::make_unique<ScriptedInteraction>();
        // Building the window must not log anything (a misnamed slot would
        // make connectSlotsByName warn, and the handler fails the test).
        mWindow = std::make_unique<MainWindow>();
    }
    void cleanup()
    {
        mUi->verifyAllAnswersUsed();
        mWindow.reset();
        mUi.reset();
        testsupport::verifyExpectedWarningsSeen();
    }

    void startUpState()
    {
        QCOMPARE(window().windowTitle(), QStringLiteral("Tarvex Code Generator v1.05"));
        QListWidget* l = list();
        QStringList texts, expected;
        for (int row = 0; row < l->count(); ++row)
            texts << l->item(row)->text();
        for (const Row& r : kRows)
            expected << r.text;
        QCOMPARE(texts, expected + QStringList({"Do you need a module which is not listed?",
                                                "Please let us know using the button below,",
                                                "so that we can prioritise development :-)."}));
        QVERIFY(l->selectedItems().isEmpty());

        // Start: no check box, only selectable and enabled.
        QVERIFY(!l->item(0)->data(Qt::CheckStateRole).isValid());
        QCOMPARE(l->item(0)->flags(), Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        for (int row = 1; row <= 13; ++row) {
            QCOMPARE(l->item(row)->checkState(), Qt::Checked);
            QCOMPARE(l->item(row)->flags(), Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        }
        for (int row = 14; row <= 16; ++row) {
            QCOMPARE(l->item(row)->flags(), Qt::NoItemFlags);
            QVERIFY(!l->item(row)->data(Qt::CheckStateRole).isValid());
            QVERIFY(l->item(row)->font().italic());
        }

        QCOMPARE(visiblePages(tabs()), QStringList{"tbMdlInfo"});
        QCOMPARE(tabs()->currentIndex(), 0);
        texts.clear();
        for (int i = 0; i < tabs()->count(); ++i)
            texts << tabs()->tabText(i);
        QCOMPARE(texts, (QStringList{"Module Info", "Example Projects", "Settings [Start]",
                                     "Settings [Power (PwrKey Based)]", "Settings [Prompt]", "Settings [BasicComms]",
                                     "Settings [Internet Connection (SIMCom LTE)]",
                                     "Settings [Internet Connection (SIMCom 2G)]"}));
        QVERIFY(child<QTextEdit>(window(), "txtedtMdlInfo")->toPlainText().isEmpty());

        QVERIFY(child<QRadioButton>(window(), "optProjectIsC")->isChecked());
        QVERIFY(!child<QRadioButton>(window(), "optProjectIsCpp")->isChecked());
        QVERIFY(!box("optProjectIsArduino")->isChecked());
        QVERIFY(box("optProjectIsArduino")->isHidden());
        QVERIFY(window().projectPath().isEmpty());
    }

    void rowsModulesAndOrders()
    {
        // Row and module, both ways; no module outside rows 0 to 13.
        for (int row = 0; row <= 13; ++row) {
            TarvexMdl* m = window().moduleAt(row);
            QVERIFY2(m, qPrintable(QString::number(row)));
            QCOMPARE(m->getName(), QString(kRows.at(row).name));
            QCOMPARE(window().rowOfModule(m), row);
        }
        for (int row : {-1, 14, 15, 16, 17, 1000})
            QVERIFY(!window().moduleAt(row));
        QCOMPARE(window().rowOfModule(nullptr), -1);
        // Declaration order, the very objects of the rows, all ticked at start.
        QCOMPARE(moduleNames(window().allModules()), declarationNames());
        for (TarvexMdl* m : window().allModules())
            QCOMPARE(window().moduleAt(window().rowOfModule(m)), m);
        QCOMPARE(moduleNames(window().checkedModules()), declarationNames());

        // A module object that is not the window's own (or none) has no row
        // and can be neither checked nor unchecked.
        TarvexMdl_Pin foreign;
        QCOMPARE(window().rowOfModule(&foreign), -1);
        QVERIFY(!window().isModuleChecked(&foreign));
        window().uncheckModule(&foreign);
        window().checkModule(nullptr);
        window().uncheckModule(nullptr);
        QVERIFY(!window().isModuleChecked(nullptr));
        QCOMPARE(list()->item(4)->checkState(), Qt::Checked);

        // Select None unticks every row; Start never gets a check box.
        child<QPushButton>(window(), "btnLibMdlSelectNone")->click();
        for (int row = 1; row <= 13; ++row)
            QCOMPARE(list()->item(row)->checkState(), Qt::Unchecked);
        TarvexMdl* start = window().moduleAt(0);
        QCOMPARE(window().checkedModules(), QList<TarvexMdl*>{start});
        window().checkModule(start);
        window().uncheckModule(start);
        QVERIFY(!list()->item(0)->data(Qt::CheckStateRole).isValid());
        QVERIFY(!window().isModuleChecked(start));

        // checkModule and uncheckModule work on the rows; the LTE row (11) is
        // below the 2G row (10), but LTE comes first.
        TarvexMdl* sms = window().moduleAt(8);
        window().checkModule(sms);
        QCOMPARE(list()->item(8)->checkState(), Qt::Checked);
        QVERIFY(window().isModuleChecked(sms));
        list()->item(11)->setCheckState(Qt::Checked);
        list()->item(10)->setCheckState(Qt::Checked);
        list()->item(4)->setCheckState(Qt::Checked);
        QCOMPARE(moduleNames(window().checkedModules()),
                 (QStringList{"", "Pin", "SMS_Read", "InternetConnection_SIMCom", "InternetConnection_SIMCom2G"}));
        window().uncheckModule(sms);
        QCOMPARE(list()->item(8)->checkState(), Qt::Unchecked);
        QVERIFY(!window().isModuleChecked(sms));

        child<QPushButton>(window(), "btnLibMdlSelectAll")->click();
        for (int row = 1; row <= 13; ++row)
            QCOMPARE(list()->item(row)->checkState(), Qt::Checked);
        QVERIFY(!list()->item(0)->data(Qt::CheckStateRole).isValid());
        QCOMPARE(window().checkedModules().size(), 14);
    }

    void tabsPerModule_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("pages");
        for (int row = 0; row < kRows.size(); ++row)
            QTest::newRow(qPrintable(QString(kRows.at(row).text).trimmed())) << row << kRows.at(row).pages;
        QTest::newRow("no current row: empty information") << -1 << QStringList{kInfo};
    }
    void tabsPerModule()
    {
        QFETCH(int, row);
        QFETCH(QStringList, pages);

        // Come from another module whose tabs must all disappear, from its
        // last tab (Prompt's settings, Pin's examples): a hidden current tab
        // falls back to a visible one.
        list()->setCurrentRow(row == 2 ? 4 : 2);
        tabs()->setCurrentWidget(child<QWidget>(window(), row == 2 ? "tbMdlExample" : "tbMdlSettings_Prompt"));
        list()->setCurrentRow(row);
        QCOMPARE(visiblePages(tabs()), pages);
        QVERIFY(tabs()->isTabVisible(tabs()->currentIndex()));

        // The information pane shows the module's page.
        QTextDocument expected;
        expected.setHtml(row < 0 ? QString() : window().moduleAt(row)->getDocHtml());
        QCOMPARE(child<QTextEdit>(window(), "txtedtMdlInfo")->toPlainText(), expected.toPlainText());
    }

    void labelTexts()
    {
        const QString nbsp(QChar(0x00A0));
        auto* start = child<QLabel>(window(), "label_4");
        QCOMPARE(start->text(),
                 QStringLiteral("The Debug Output Buffer assists with non-blocking debug output, such as in cases where "
                                "printf() or Serial.Print() would normally be used to output debug text to the console. "
                                "By using the gsmDebugWrite functions (such as gsmDebugWriteText()) to write to the "
                                "Debug Output Buffer - which is processed \"in the background\" by the gsmPoll() "
                                "routine - it can be ensured that event handling routines return quickly rather than "
                                "blocking whilst waiting for Debug UART transmission")
                     + nbsp + "to" + nbsp + "complete.");

        // The grey italic descriptions carry their texts byte for byte.
        const QList<QPair<const char*, QString>> grey = {
            {"lblMdl_Prompt_IsPromptSetupSelected",
             "The Prompt buffer is a data buffer that is used to store incoming data from the GSM modem  before it is "
             "processed"},
            {"lblMdl_Prompt_IsEchoCancSetupSelected",
             "The Echo Cancellation buffer is used to prevent echoed communication from being process by the Tarvex "
             "library"},
            {"lblMdl_Prompt_IsCircularTxSetupSelected",
             "This Tx buffer will be used to store all outgoing data to the GSM modem"},
            {"lblMdl_Prompt_IsCircularRxSetupSelected",
             "This Rx buffer will store all direct incoming data from the GSM modem before being stored in the Prompt "
             "buffer"},
            {"lblMdl_Power_ResetEnabled",
             "This setting will allow the Tarvex library to reset your GSM modem if it is unresponsive, assuming that "
             "your GSM modem has a connected reset pin. A \"User Code\" section will be generated for the HAL "
             "interface."},
            {"lblMdl_BasicComms_EchoEnabled",
             "This setting will enable the GSM modem echo functionality which is useful for debugging."},
            {"lblMdl_BasicComms_EchoEnabled",
             "Note that disabling this will also disable the echo cancellation buffer setup on the prompt module "
             "settings tab."},
            {"lblMdl_InternetConnectionSimcom_IsApnRequired",
             "This setting will generate a \"User Code\" section which can be used to set the APN details"},
            {"lblMdl_InternetConnectionSimcom2G_IsApnRequired",
             "This setting will generate a \"User Code\" section which can be used to set the APN details"},
        };
        for (const auto& entry : grey) {
            auto* label = child<QLabel>(window(), entry.first);
            QVERIFY2(label->text().contains(entry.second), entry.first);
        }
        QCOMPARE(shownText(child<QLabel>(window(), "lblMdl_BasicComms_EchoEnabled")).count('\n'), 1);

        const QString example = shownText(child<QLabel>(window(), "lblExampleProjects_1"));
        QVERIFY(example.contains("These examples include all the necessary code to begin, along with detailed "
                                 "instructions for the setup process.\n"));
        QVERIFY(example.endsWith("The download will start when you press the \"Download Example\" button."));
    }

    // Every settings box and spin box against its module member, both ways:
    // changing the widget stores into the module (and nothing else), and
    // refreshSettingsWidgets shows what the module holds.
    void settingsWidgetsAndModuleMembers()
    {
        auto* gs = module<TarvexMdl_GettingStarted>(0);
        auto* power = module<TarvexMdl_Power>(1);
        auto* prompt = module<TarvexMdl_Prompt>(2);
        auto* lte = module<TarvexMdl_InternetConnection_SIMCom>(11);
        auto* g2 = module<TarvexMdl_InternetConnection_SIMCom2G>(10);
        const QList<QPair<const char*, bool*>> flags = {
            {"chkMdl_GettingStarted_IsDebugOutputSetupSelected", &gs->IsDebugOutputSetupSelected},
            {"chkMdl_Power_ResetEnabled", &power->UseResetPin},
            {"chkMdl_Prompt_IsPromptSetupSelected", &prompt->IsPromptSetupSelected},
            {"chkMdl_Prompt_IsEchoCancSetupSelected", &prompt->IsEchoCancSetupSelected},
            {"chkMdl_Prompt_IsCircularTxSetupSelected", &prompt->IsCircularTxSetupSelected},
            {"chkMdl_Prompt_IsCircularRxSetupSelected", &prompt->IsCircularRxSetupSelected},
            {"chkMdl_InternetConnectionSimcom_IsApnRequired", &lte->IsApnRequired},
            {"chkMdl_InternetConnectionSimcom2G_IsApnRequired", &g2->IsApnRequired}};
        const QList<QPair<const char*, double*>> sizes = {
            {"spinMdl_GettingStarted_DebugBufferSize", &gs->DebugBufferSize},
            {"spinMdl_Prompt_PromptBufferSize", &prompt->PromptBufferSize},
            {"spinMdl_Prompt_EchoCancellationBufferSize", &prompt->EchoCancellationBufferSize},
            {"spinMdl_Prompt_CircularTxBufferSize", &prompt->CircularTxBufferSize},
            {"spinMdl_Prompt_CircularRxBufferSize", &prompt->CircularRxBufferSize}};
        auto values = [&] {
            QList<double> all;
            for (const auto& f : flags)
                all << double(*f.second);
            for (const auto& z : sizes)
                all << *z.second;
            return all;
        };
        for (int i = 0; i < flags.size(); ++i) {
            QCheckBox* b = box(flags.at(i).first);
            QList<double> want = values();
            want[i] = double(!b->isChecked());
            b->setChecked(!b->isChecked());
            QVERIFY2(values() == want, flags.at(i).first);
        }
        for (int i = 0; i < sizes.size(); ++i) {
            QList<double> want = values();
            want[flags.size() + i] = 16 + 8 * i;
            spin(sizes.at(i).first)->setValue(16 + 8 * i);
            QVERIFY2(values() == want, sizes.at(i).first);
        }
        // Unchecking a group leaves its size box enabled.
        for (const auto& f : flags)
            box(f.first)->setChecked(false);
        for (const auto& z : sizes)
            QVERIFY2(spin(z.first)->isEnabled(), z.first);

        // Neighbours get different values, so a widget showing another
        // member shows.
        for (int pattern = 0; pattern < 2; ++pattern) {
            for (int i = 0; i < flags.size(); ++i)
                *flags.at(i).second = (i + pattern) % 2;
            for (int i = 0; i < sizes.size(); ++i)
                *sizes.at(i).second = 1000.9 + 10 * i + pattern; // shown truncated toward zero, and taken so
            window().refreshSettingsWidgets();
            for (const auto& f : flags)
                QVERIFY2(box(f.first)->isChecked() == *f.second, f.first);
            for (int i = 0; i < sizes.size(); ++i) {
                QCOMPARE(spin(sizes.at(i).first)->value(), 1000 + 10 * i + pattern);
                QCOMPARE(*sizes.at(i).second, 1000.0 + 10 * i + pattern);
            }
        }
        // Sizes out of range (also beyond an int) are shown clamped and the
        // module takes the shown value, also when the box already showed it
        // (no change notification): the module never keeps a hidden size.
        for (double wild : {4.0, 4.0, 5e12, -3e12}) {
            for (const auto& z : sizes)
                *z.second = wild;
            window().refreshSettingsWidgets();
            const int shown = wild < 8 ? 8 : 429496729;
            for (const auto& z : sizes) {
                QCOMPARE(spin(z.first)->value(), shown);
                QCOMPARE(*z.second, double(shown));
            }
        }
    }

    // Echo off switches echo cancellation off and disables it with its size;
    // echo switched on switches it on again, whatever it was. Through the box,
    // and through refreshSettingsWidgets, which couples before it shows (so a
    // module value the disabled box could not hold does not stand).
    void echoCoupling_data()
    {
        QTest::addColumn<bool>("viaRefresh");
        QTest::addColumn<bool>("echoBefore"); // the window's echo box before
        QTest::addColumn<bool>("cancel");     // echo cancellation before: the box's, or the module's for a refresh
        QTest::addColumn<bool>("echo");       // the new echo setting
        QTest::addColumn<bool>("expected");   // echo cancellation after, in the box and the module
        QTest::newRow("box: off") << false << true << true << false << false;
        QTest::newRow("box: on again after the user switched it off") << false << false << false << true << true;
        QTest::newRow("refresh: switched off") << true << true << true << false << false;
        QTest::newRow("refresh: already off") << true << false << true << false << false;
        QTest::newRow("refresh: switched on") << true << false << false << true << true;
        QTest::newRow("refresh: already on, the module's value stands") << true << true << false << true << false;
    }
    void echoCoupling()
    {
        QFETCH(bool, viaRefresh);
        QFETCH(bool, echoBefore);
        QFETCH(bool, cancel);
        QFETCH(bool, echo);
        QFETCH(bool, expected);
        auto* basic = module<TarvexMdl_BasicComms>(3);
        auto* prompt = module<TarvexMdl_Prompt>(2);
        QCheckBox* echoBox = box("chkMdl_BasicComms_EchoEnabled");
        QCheckBox* canc = box("chkMdl_Prompt_IsEchoCancSetupSelected");
        if (viaRefresh) {
            echoBox->setChecked(echoBefore);
            basic->EchoEnabled = echo;
            prompt->IsEchoCancSetupSelected = cancel;
            window().refreshSettingsWidgets();
        } else {
            canc->setChecked(cancel);
            echoBox->setChecked(echoBefore);
            echoBox->setChecked(echo);
        }
        QCOMPARE(echoBox->isChecked(), echo);
        QCOMPARE(basic->EchoEnabled, echo);
        QCOMPARE(canc->isChecked(), expected);
        QCOMPARE(prompt->IsEchoCancSetupSelected, expected);
        QCOMPARE(canc->isEnabled(), echo);
        QCOMPARE(spin("spinMdl_Prompt_EchoCancellationBufferSize")->isEnabled(), echo);
    }

    void languageAndPathControls()
    {
        auto* cpp = child<QRadioButton>(window(), "optProjectIsCpp");
        auto* c = child<QRadioButton>(window(), "optProjectIsC");
        QCheckBox* arduino = box("optProjectIsArduino");
        cpp->click();
        QVERIFY(window().isCpp());
        QVERIFY(!arduino->isHidden());
        QVERIFY(arduino->isChecked());
        QVERIFY(window().isArduino());
        // Choosing C++ again proposes the Arduino layout again.
        arduino->setChecked(false);
        cpp->click();
        QVERIFY(arduino->isChecked());
        c->click();
        QVERIFY(!window().isCpp());
        QVERIFY(arduino->isHidden());
        QVERIFY(!arduino->isChecked());

        // The project model's setters drive the same widgets.
        window().setCpp(true);
        QVERIFY(cpp->isChecked() && !c->isChecked());
        window().setCpp(false);
        QVERIFY(c->isChecked());
        window().setArduinoVisible(true);
        window().setArduinoChecked(true);
        QVERIFY(!arduino->isHidden());
        QVERIFY(window().isArduino());
        window().setProjectPath("/some/folder");
        QCOMPARE(child<QLineEdit>(window(), "lnedtProjectPath")->text(), QStringLiteral("/some/folder"));
        child<QLineEdit>(window(), "lnedtProjectPath")->setText("typed");
        QCOMPARE(window().projectPath(), QStringLiteral("typed"));
    }

    void checkDependenciesShowsMessages()
    {
        // HTTP client alone: the LTE connection and its chain are ticked.
        window().on_btnLibMdlSelectNone_clicked();
        window().checkModule(window().moduleAt(12));
        child<QPushButton>(window(), "btnLibMdlCheckDependencies")->click();
        QCOMPARE(mUi->titles(), QStringList{"Module Dependencies"});
        QCOMPARE(mUi->boxes().at(0).kind, ScriptedInteraction::Kind::Critical);
        QCOMPARE(mUi->boxes().at(0).text, QString::fromUtf8(kMessageDefaultConnection));
        QCOMPARE(moduleNames(window().checkedModules()),
                 (QStringList{"", "Power", "Prompt", "BasicComms", "NetworkRegistration", "InternetConnection_SIMCom",
                              "HTTP_Client_SIMCom"}));

        // Pin alone: its chain is ticked without a message.
        mUi->clear();
        window().on_btnLibMdlSelectNone_clicked();
        window().checkModule(window().moduleAt(4));
        child<QPushButton>(window(), "btnLibMdlCheckDependencies")->click();
        QVERIFY(mUi->boxes().isEmpty());
        QCOMPARE(moduleNames(window().checkedModules()), (QStringList{"", "Power", "Prompt", "BasicComms", "Pin"}));
    }

    // ---- the project commands and the Generate Code button ----

    void saveThenOpenRestoresEverything()
    {
        // A project unlike the start-up state in every respect.
        child<QRadioButton>(window(), "optProjectIsCpp")->click();
        box("optProjectIsArduino")->setChecked(false);
        selectModules(window(), {QStringLiteral("Pin"), QStringLiteral("InternetConnection_SIMCom2G")});
        child<QSpinBox>(window(), "spinMdl_Prompt_PromptBufferSize")->setValue(2048);
        child<QSpinBox>(window(), "spinMdl_GettingStarted_DebugBufferSize")->setValue(300);
        child<QCheckBox>(window(), "chkMdl_Power_ResetEnabled")->setChecked(true);
        child<QCheckBox>(window(), "chkMdl_Prompt_IsCircularTxSetupSelected")->setChecked(false);
        child<QCheckBox>(window(), "chkMdl_InternetConnectionSimcom2G_IsApnRequired")->setChecked(true);
        const QByteArray saved = projectSettingsText(window());

        mUi->answerFolder(mTmp->path());
        window().on_btnProjectSaveAs_clicked();
        QCOMPARE(mUi->titles(), (QStringList{"Select Folder", "Project Saved"}));
        QCOMPARE(mUi->boxes().at(1).kind, ScriptedInteraction::Kind::Information);
        QCOMPARE(mUi->boxes().at(1).text, QStringLiteral("Project settings saved."));
        QCOMPARE(readBytes(projectSettingsFilePath(mTmp->path())), saved);

        // New elsewhere: back to defaults, nothing written.
        QTemporaryDir other;
        mUi->answerFolder(other.path());
        window().on_btnProjectNew_clicked();
        QCOMPARE(window().projectPath(), other.path());
        QVERIFY(!window().isCpp());
        QVERIFY(!box("optProjectIsArduino")->isChecked());
        QVERIFY(!box("optProjectIsArduino")->isVisibleTo(&window()));
        QCOMPARE(window().checkedModules().size(), 1);
        QCOMPARE(child<QSpinBox>(window(), "spinMdl_Prompt_PromptBufferSize")->value(), 1024);
        QVERIFY(!QFile::exists(projectSettingsFilePath(other.path())));

        mUi->answerFolder(mTmp->path());
        window().on_btnProjectOpen_clicked();
        QCOMPARE(window().projectPath(), mTmp->path());
        QCOMPARE(projectSettingsText(window()), saved);
        QVERIFY(window().isCpp());
        QVERIFY(box("optProjectIsArduino")->isVisibleTo(&window()));
        QVERIFY(!box("optProjectIsArduino")->isChecked());
        QCOMPARE(child<QSpinBox>(window(), "spinMdl_Prompt_PromptBufferSize")->value(), 2048);
        QVERIFY(child<QCheckBox>(window(), "chkMdl_Power_ResetEnabled")->isChecked());
        // Open and New show nothing but their folder dialogs.
        QCOMPARE(mUi->titles(), (QStringList{"Select Folder", "Project Saved", "Select Folder", "Select Folder"}));
    }

    void openRefusesWhatItCannotRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("not JSON") << "garbage";
        QTest::newRow("a folder in its place") << "folder";
        QTest::newRow("no settings file") << "missing";
        QTest::newRow("dialog cancelled") << "cancel";
    }

    void openRefusesWhatItCannotRead()
    {
        QFETCH(QString, kind);
        const QString file = projectSettingsFilePath(mTmp->path());
        if (kind == QLatin1String("garbage"))
            QVERIFY(writeBytes(file, "{\"Language\": \"C++\", oops"));
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(file));
        window().setProjectPath(QStringLiteral("/previous/project"));
        const QByteArray before = projectSettingsText(window());
        if (kind == QLatin1String("cancel"))
            mUi->answerCancel();
        else
            mUi->answerFolder(mTmp->path());
        window().on_btnProjectOpen_clicked();

        QCOMPARE(window().projectPath(), QStringLiteral("/previous/project"));
        QCOMPARE(projectSettingsText(window()), before);
        if (kind == QLatin1String("cancel")) {
            QCOMPARE(mUi->boxes().size(), 1);
            return;
        }
        QCOMPARE(mUi->boxes().size(), 2);
        QCOMPARE(mUi->boxes().at(1).kind, ScriptedInteraction::Kind::Critical);
        QCOMPARE(mUi->boxes().at(1).title, QStringLiteral("Error Opening Project"));
        if (kind == QLatin1String("missing"))
            QCOMPARE(mUi->boxes().at(1).text, QStringLiteral("Tarvex project settings not found at the specified path."));
        else
            QCOMPARE(mUi->boxes().at(1).text, QStringLiteral("The Tarvex project settings file '") + file +
                                                  QStringLiteral("' could not be read or is not valid JSON. The "
                                                                 "project has not been opened."));
    }

    void saveCases()
    {
        // Empty path: Save is Save As.
        mUi->answerFolder(mTmp->path());
        window().on_btnProjectSave_clicked();
        QCOMPARE(mUi->titles(), (QStringList{"Select Folder", "Project Saved"}));
        QVERIFY(QFile::exists(projectSettingsFilePath(mTmp->path())));

        // A path of spaces names no folder.
        mUi->clear();
        window().setProjectPath(QStringLiteral("   "));
        window().on_btnProjectSave_clicked();
        QCOMPARE(mUi->titles(), QStringList{"Project Path Error"});
        QCOMPARE(mUi->boxes().at(0).text, QStringLiteral("The project path specified does not exist - please "
                                                         "correct this and then try again."));

        // A settings file that cannot be written is reported, not confirmed.
        mUi->clear();
        QTemporaryDir blocked;
        QVERIFY(QDir().mkpath(projectSettingsFilePath(blocked.path())));
        window().setProjectPath(blocked.path());
        window().on_btnProjectSave_clicked();
        QCOMPARE(mUi->titles(), QStringList{"Error Saving Project"});
        QVERIFY(mUi->boxes().at(0).text.endsWith(QStringLiteral("' is a folder, not a file.")));
    }

    void enterOnEveryRemoveFileBoxKeepsTheFiles()
    {
        // A plain C project, then switched to C++ with the Arduino layout:
        // gsm_manager.c and the top-level Tarvex folder are now stale.
        window().setProjectPath(mTmp->path());
        selectModules(window(), {QStringLiteral("RSSI")});
        window().on_btnGenerateCode_clicked();
        QCOMPARE(mUi->titles(), QStringList{"Code Generated"});
        child<QRadioButton>(window(), "optProjectIsCpp")->click();
        QVERIFY(box("optProjectIsArduino")->isChecked());

        // The application's real boxes, each answered with Enter.
        for (int i = 0; i < 3; ++i)
            testsupport::expectWarning(QStringLiteral("propagateSizeHints")); // offscreen platform, per box
        MessageBoxInteraction real;
        setUserInteraction(&real);
        QStringList seen;
        QTimer enter;
        QObject::connect(&enter, &QTimer::timeout, [&seen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            seen << box->windowTitle() + QLatin1Char('|') +
                        (box->defaultButton() ? box->defaultButton()->text() : QStringLiteral("<none>"));
            QTest::keyClick(box, Qt::Key_Return);
        });
        enter.start(20);
        window().on_btnGenerateCode_clicked();
        enter.stop();
        setUserInteraction(mUi.get());

        QCOMPARE(seen.size(), 3);
        QVERIFY2(seen.at(0).startsWith(QStringLiteral("Remove File?|")) &&
                     seen.at(1).startsWith(QStringLiteral("Remove File?|")) &&
                     seen.at(2).startsWith(QStringLiteral("Code Generated|")),
                 qPrintable(seen.join(QStringLiteral(", "))));
        QVERIFY(QFile::exists(mTmp->path() + QStringLiteral("/gsm_manager.c")));
        QVERIFY(QFile::exists(mTmp->path() + QStringLiteral("/Tarvex/GSM_SignalQuality.c")));
        QVERIFY(QFile::exists(mTmp->path() + QStringLiteral("/gsm_manager.cpp")));
        QVERIFY(QFile::exists(mTmp->path() + QStringLiteral("/src/Tarvex/GSM_SignalQuality.c")));
    }

    // ---- the window on a small screen ----

    void smallestWindowFitsAndShowsEveryControl_data()
    {
        QTest::addColumn<bool>("cpp");
        QTest::newRow("C") << false;
        QTest::newRow("C++ (Arduino option shown)") << true;
    }
    void smallestWindowFitsAndShowsEveryControl()
    {
        QFETCH(bool, cpp);
        gStrictHandler = qInstallMessageHandler(ignorePlatformSizeHints);
        struct Restore
        {
            ~Restore() { qInstallMessageHandler(gStrictHandler); }
        } restore;
        MainWindow& window = this->window();
        QCOMPARE(window.size(), QSize(1231, 631)); // as it opens
        window.show();
        if (cpp)
            child<QRadioButton>(window, "optProjectIsCpp")->click();
        QListWidget* list = this->list();
        QTabWidget* tabs = this->tabs();

        // Every module row with every tab it shows: the largest minimum.
        QSize largest;
        for (int row = 0; row <= 13; ++row) {
            list->setCurrentRow(row);
            for (int tab = 0; tab < tabs->count(); ++tab) {
                if (!tabs->isTabVisible(tab))
                    continue;
                tabs->setCurrentIndex(tab);
                QCoreApplication::processEvents();
                const QSize smallest = window.minimumSizeHint().expandedTo(window.minimumSize());
                largest = largest.expandedTo(smallest);
                window.resize(smallest);
                QCoreApplication::processEvents();
                QCOMPARE(window.size(), smallest);
                const QStringList problems = unreachableControls(window);
                if (!problems.isEmpty())
                    QFAIL(qPrintable(QStringLiteral("row %1, tab %2 at %3x%4: ")
                                         .arg(row)
                                         .arg(tabs->tabText(tab))
                                         .arg(smallest.width())
                                         .arg(smallest.height()) +
                                     problems.join(QLatin1String("; "))));
            }
        }
        qInfo("largest minimum size: %dx%d", largest.width(), largest.height());
        QVERIFY2(largest.width() <= kSmallScreen.width() && largest.height() <= kSmallScreen.height(),
                 qPrintable(QStringLiteral("%1x%2").arg(largest.width()).arg(largest.height())));
        // Still a usable window: the list keeps several rows in view.
        QVERIFY(list->height() >= 6 * list->sizeHintForRow(0));
    }

    // ---- the About window and the message boxes of the modal seam ----

    void aboutWindowTexts()
    {
        QWidget parent;
        AboutWindow about(&parent);
        QCOMPARE(about.windowTitle(), QStringLiteral("About"));
        QCOMPARE(about.parentWidget(), &parent);

        auto* title = child<QLabel>(about, "label");
        QCOMPARE(title->text(), QStringLiteral("Tarvex Code Generator"));
        QVERIFY(child<QLabel>(about, "label_2")->text().contains("Tarvex"));
        QCOMPARE(child<QLabel>(about, "label_6")->text(), QStringLiteral("Made with Qt"));
        QCOMPARE(child<QPushButton>(about, "btnAboutQt")->text(), QStringLiteral("About Qt"));
    }

    // The choice box: one action button per choice (no standard button, no
    // escape), and the pressed button maps back to its choice even when a
    // style decorated its text with an accelerator; none pressed, no choice.
    void choiceBox_data()
    {
        QTest::addColumn<int>("pressed");
        QTest::newRow("none") << -1;
        QTest::newRow("first") << 0;
        QTest::newRow("second") << 1;
        QTest::newRow("third") << 2;
    }
    void choiceBox()
    {
        QFETCH(int, pressed);
        const QStringList choices = {"gsm_manager.c", "gsm_manager.cpp", "Cancel"};
        auto box = MessageBoxInteraction::buildChoiceBox("Select Input File", "Which one?", choices,
                                                         UserInteraction::Icon::Information);
        QCOMPARE(box->windowTitle(), QStringLiteral("Select Input File"));
        QCOMPARE(box->text(), QStringLiteral("Which one?"));
        QCOMPARE(box->icon(), QMessageBox::Information);
        QVERIFY(!box->parentWidget());
        QCOMPARE(box->standardButtons(), QMessageBox::NoButton);
        QVERIFY(!box->escapeButton());
        const QList<QAbstractButton*> buttons = box->buttons();
        QCOMPARE(buttons.size(), choices.size());
        for (int i = 0; i < buttons.size(); ++i) {
            QCOMPARE(buttons.at(i)->text(), choices.at(i));
            QCOMPARE(box->buttonRole(buttons.at(i)), QMessageBox::ActionRole);
        }
        if (pressed >= 0) {
            buttons.at(pressed)->setText("&" + choices.at(pressed));
            buttons.at(pressed)->click();
        }
        QCOMPARE(MessageBoxInteraction::chosenChoice(*box, choices), pressed < 0 ? QString() : choices.at(pressed));
    }

    void yesNoBoxDefaultEscapeAndDetails_data()
    {
        QTest::addColumn<bool>("defaultYes");
        QTest::addColumn<QString>("details");
        QTest::addColumn<int>("icon"); // the two icons the application asks with
        QTest::newRow("lost-section warning") << true << "Init (lines 3-9)\nPoll (lines 12-14)"
                                              << int(UserInteraction::Icon::Warning);
        QTest::newRow("Remove File?") << false << QString() << int(UserInteraction::Icon::Question);
    }

    void yesNoBoxDefaultEscapeAndDetails()
    {
        QFETCH(bool, defaultYes);
        QFETCH(QString, details);
        QFETCH(int, icon);
        using B = UserInteraction::Button;
        auto box = MessageBoxInteraction::buildYesNoBox(UserInteraction::Icon(icon), "Warning", "text",
                                                        defaultYes ? B::Yes : B::No, details);
        QCOMPARE(box->icon(), icon == int(UserInteraction::Icon::Warning) ? QMessageBox::Warning : QMessageBox::Question);
        QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box->defaultButton(), box->button(defaultYes ? QMessageBox::Yes : QMessageBox::No));
        // Escape is No whatever the default.
        QCOMPARE(box->escapeButton(), static_cast<QAbstractButton*>(box->button(QMessageBox::No)));
        QCOMPARE(box->detailedText(), details);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
