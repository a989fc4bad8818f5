#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "aboutwindow.h"
#include "exampledownload.h"
#include "fileutil.h"
#include "managerassembly.h"
#include "selectionrules.h"
#include "userinteraction.h"
#include "weblinks.h"

#include <QListWidget>
#include <QListWidgetItem>
#include <QScrollBar>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QUrl>

#include <cmath>

namespace {

const char* const kVersion = "1.05";

// Rows of the module list whose module has example projects (Pin, RSSI,
// SMS Send, SMS Receive, USSD, HTTP Client, MQTT Client), as a bit set over
// the row index.
constexpr unsigned kExampleRows = 0x33B0u;

// A buffer size as a spin box value: truncated toward zero and clamped to the
// box's range before conversion, so that no size read from a project file
// (however large) overflows an int.
int spinValueForSize(const QSpinBox* spin, double size)
{
    if (std::isnan(size))
        return spin->minimum();
    const double whole = std::trunc(size);
    if (whole <= spin->minimum())
        return spin->minimum();
    if (whole >= spin->maximum())
        return spin->maximum();
    return static_cast<int>(whole);
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
    , mLibraryFolder(QStringLiteral("Tarvex"))
    , mArduinoSrcFolder(QStringLiteral("src"))
    , mRequestNewModuleUrl(weblinks::requestNewModuleUrl())
    , mSupportUrl(weblinks::supportUrl())
    , mFileHeaderBanner(::fileHeaderLines().value(0))
{
    ui->setupUi(this);
    fitModuleListWidth();

    // Only "Module Info" is shown until a module is chosen.
    for (int i = 1; i < ui->tabwgtMdl->count(); ++i)
        ui->tabwgtMdl->setTabVisible(i, false);

    setWindowTitle(windowTitle() + QStringLiteral(" v") + QLatin1String(kVersion));

    // The three usage-statistics managers are created on their first event
    // (postUsageEvent): a build without a publisher host, or a user who said
    // no, never gets one, so nothing touches the network.
    fitSmallScreens();

    // The whole catalogue starts selected.
    for (int row = 0; row < ui->lstwgtModules->count(); ++row)
        ui->lstwgtModules->item(row)->setSelected(false);
    for (TarvexMdl* module : allModules())
        checkModule(module);

    // The Arduino option goes with the language.
    if (ui->optProjectIsCpp->isChecked()) {
        setArduinoVisible(true);
        setArduinoChecked(true);
    } else {
        setArduinoChecked(false);
        setArduinoVisible(false);
    }

    postUsageEvent(mpNetMgrAppStart, QStringLiteral("ApplicationStart"));
}

void MainWindow::fitSmallScreens()
{
    // The window shrinks to fit a 1366 x 768 laptop at 125 % (1093 x 566
    // logical pixels): the module list keeps eight rows in view and scrolls
    // the rest, and a settings panel taller or wider than the space left for
    // it scrolls instead of pushing the window's minimum size up. Each
    // panel's layout moves, with its widgets, into a scroll area that fills
    // the panel; object names and the tab pages stay as they are.
    QListWidget* list = ui->lstwgtModules;
    list->setMinimumHeight(8 * list->sizeHintForRow(0) + 2 * list->frameWidth());

    for (QWidget* page : {ui->tbMdlExample, ui->tbMdlSettings_GettingStarted, ui->tbMdlSettings_Power,
                          ui->tbMdlSettings_Prompt, ui->tbMdlSettings_BasicComms,
                          ui->tbMdlSettings_InternetConnectionSimcom, ui->tbMdlSettings_InternetConnectionSimcom2G}) {
        QLayout* layout = page->layout();
        if (!layout)
            continue;
        auto* contents = new QWidget;
        contents->setObjectName(page->objectName() + QStringLiteral("_contents"));
        contents->setLayout(layout); // takes the layout and its widgets from the page
        auto* area = new QScrollArea(page);
        area->setObjectName(page->objectName() + QStringLiteral("_scroll"));
        area->setFrameShape(QFrame::NoFrame);
        area->setWidgetResizable(true);
        area->setWidget(contents);
        area->viewport()->setAutoFillBackground(false);
        contents->setAutoFillBackground(false);
        auto* pageLayout = new QVBoxLayout(page);
        pageLayout->setContentsMargins(0, 0, 0, 0);
        pageLayout->addWidget(area);
    }
}

MainWindow::~MainWindow()
{
    delete ui;
}

// ---------------------------------------------------------------------------
// Project state over the widgets

QString MainWindow::projectPath() const
{
    return ui->lnedtProjectPath->text();
}

void MainWindow::setProjectPath(const QString& path)
{
    ui->lnedtProjectPath->setText(path);
}

bool MainWindow::isCpp() const
{
    return ui->optProjectIsCpp->isChecked();
}

void MainWindow::setCpp(bool cpp)
{
    (cpp ? ui->optProjectIsCpp : ui->optProjectIsC)->setChecked(true);
}

bool MainWindow::isArduino() const
{
    return ui->optProjectIsArduino->isChecked();
}

void MainWindow::setArduinoChecked(bool checked)
{
    ui->optProjectIsArduino->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void MainWindow::setArduinoVisible(bool visible)
{
    ui->optProjectIsArduino->setVisible(visible);
}

// ---------------------------------------------------------------------------
// The module list

QList<TarvexMdl*> MainWindow::allModules() const
{
    auto* self = const_cast<MainWindow*>(this);
    return {&self->mMdlGettingStarted,
            &self->mMdlPower,
            &self->mMdlPrompt,
            &self->mMdlBasicComms,
            &self->mMdlPin,
            &self->mMdlRssi,
            &self->mMdlNetworkRegistration,
            &self->mMdlSmsSend,
            &self->mMdlSmsRead,
            &self->mMdlUssd,
            &self->mMdlInternetConnectionSimcom,
            &self->mMdlInternetConnectionSimcom2G,
            &self->mMdlHttpClientSimcom,
            &self->mMdlMqttClientSimcom};
}

TarvexMdl* MainWindow::moduleAt(int row) const
{
    auto* self = const_cast<MainWindow*>(this);
    // List order: the 2G connection stands above the LTE one.
    switch (row) {
    case 0:
        return &self->mMdlGettingStarted;
    case 1:
        return &self->mMdlPower;
    case 2:
        return &self->mMdlPrompt;
    case 3:
        return &self->mMdlBasicComms;
    case 4:
        return &self->mMdlPin;
    case 5:
        return &self->mMdlRssi;
    case 6:
        return &self->mMdlNetworkRegistration;
    case 7:
        return &self->mMdlSmsSend;
    case 8:
        return &self->mMdlSmsRead;
    case 9:
        return &self->mMdlUssd;
    case 10:
        return &self->mMdlInternetConnectionSimcom2G;
    case 11:
        return &self->mMdlInternetConnectionSimcom;
    case 12:
        return &self->mMdlHttpClientSimcom;
    case 13:
        return &self->mMdlMqttClientSimcom;
    default:
        return nullptr;
    }
}

int MainWindow::rowOfModule(const TarvexMdl* module) const
{
    if (!module)
        return -1;
    for (int row = 0; row <= 13; ++row)
        if (moduleAt(row) == module)
            return row;
    return -1;
}

bool MainWindow::isModuleChecked(TarvexMdl* module) const
{
    const int row = rowOfModule(module);
    if (row < 0 || row >= ui->lstwgtModules->count())
        return false;
    return ui->lstwgtModules->item(row)->checkState() == Qt::Checked;
}

void MainWindow::setModuleCheckState(TarvexMdl* module, Qt::CheckState state)
{
    // The Start row has no check box and must never get one.
    if (module == &mMdlGettingStarted)
        return;
    const int row = rowOfModule(module);
    if (row < 0 || row >= ui->lstwgtModules->count())
        return;
    ui->lstwgtModules->item(row)->setData(Qt::CheckStateRole, state);
}

void MainWindow::checkModule(TarvexMdl* module)
{
    setModuleCheckState(module, Qt::Checked);
}

void MainWindow::uncheckModule(TarvexMdl* module)
{
    setModuleCheckState(module, Qt::Unchecked);
}

void MainWindow::fitModuleListWidth()
{
    // The list is as wide as its longest row (indentation and check box
    // included), so that no module name is cut off whatever the font.
    QListWidget* list = ui->lstwgtModules;
    const int contents = list->sizeHintForColumn(0) + 2 * list->frameWidth()
                         + list->verticalScrollBar()->sizeHint().width() + 8;
    list->setMinimumWidth(contents);
}

void MainWindow::setPageTabVisible(QWidget* page, bool visible)
{
    const int index = ui->tabwgtMdl->indexOf(page);
    if (index >= 0)
        ui->tabwgtMdl->setTabVisible(index, visible);
}

void MainWindow::on_lstwgtModules_currentItemChanged(QListWidgetItem* current, QListWidgetItem* previous)
{
    Q_UNUSED(current)
    Q_UNUSED(previous)

    TarvexMdl* module = moduleAt(ui->lstwgtModules->currentRow());
    ui->txtedtMdlInfo->setHtml(module ? module->getDocHtml() : QString());

    for (int i = 1; i < ui->tabwgtMdl->count(); ++i)
        ui->tabwgtMdl->setTabVisible(i, false);

    QWidget* settingsPage = nullptr;
    if (module == &mMdlGettingStarted)
        settingsPage = ui->tbMdlSettings_GettingStarted;
    else if (module == &mMdlPower)
        settingsPage = ui->tbMdlSettings_Power;
    else if (module == &mMdlPrompt)
        settingsPage = ui->tbMdlSettings_Prompt;
    else if (module == &mMdlBasicComms)
        settingsPage = ui->tbMdlSettings_BasicComms;
    else if (module == &mMdlInternetConnectionSimcom)
        settingsPage = ui->tbMdlSettings_InternetConnectionSimcom;
    else if (module == &mMdlInternetConnectionSimcom2G)
        settingsPage = ui->tbMdlSettings_InternetConnectionSimcom2G;
    if (settingsPage)
        setPageTabVisible(settingsPage, true);

    const int row = rowOfModule(module);
    if (row >= 0 && ((kExampleRows >> row) & 1u))
        setPageTabVisible(ui->tbMdlExample, true);
}

void MainWindow::on_btnLibMdlSelectAll_clicked()
{
    for (int row = 1; row <= 13; ++row)
        checkModule(moduleAt(row));
}

void MainWindow::on_btnLibMdlSelectNone_clicked()
{
    for (int row = 1; row <= 13; ++row)
        uncheckModule(moduleAt(row));
}

void MainWindow::on_btnLibMdlCheckDependencies_clicked()
{
    const QStringList messages = applyModuleDependencies(*this);
    if (!messages.isEmpty())
        userInteraction().critical(QStringLiteral("Module Dependencies"), messages.join(QLatin1Char('\n')));
}

// ---------------------------------------------------------------------------
// Settings panels: every widget change is stored into its module at once.

void MainWindow::on_chkMdl_GettingStarted_IsDebugOutputSetupSelected_stateChanged(int arg1)
{
    Q_UNUSED(arg1)
    mMdlGettingStarted.IsDebugOutputSetupSelected = ui->chkMdl_GettingStarted_IsDebugOutputSetupSelected->isChecked();
}

void MainWindow::on_spinMdl_GettingStarted_DebugBufferSize_valueChanged(int arg1)
{
    Q_UNUSED(arg1)
    mMdlGettingStarted.DebugBufferSize = ui->spinMdl_GettingStarted_DebugBufferSize->value();
}

void MainWindow::on_chkMdl_Power_ResetEnabled_stateChanged(int arg1)
{
    Q_UNUSED(arg1)
    mMdlPower.UseResetPin = ui->chkMdl_Power_ResetEnabled->isChecked();
}

void MainWindow::on_chkMdl_Prompt_IsPromptSetupSelected_stateChanged(int arg1)
{
    Q_UNUSED(arg1)
    mMdlPrompt.IsPromptSetupSelected = ui->chkMdl_Prompt_IsPromptSetupSelected->isChecked();
}

void MainWindow::on_spinMdl_Prompt_PromptBufferSize_valueChanged(int arg1)
{
    Q_UNUSED(arg1)
    mMdlPrompt.PromptBufferSize = ui->spinMdl_Prompt_PromptBufferSize->value();
}

void MainWindow::on_chkMdl_Prompt_IsEchoCancSetupSelected_stateChanged(int arg1)
{
    Q_UNUSED(arg1)
    mMdlPrompt.IsEchoCancSetupSelected = ui->chkMdl_Prompt_IsEchoCancSetupSelected->isChecked();
}

void MainWindow::on_spinMdl_Prompt_EchoCancellationBufferSize_valueChanged(int arg1)
{
    Q_UNUSED(arg1)
    mMdlPrompt.EchoCancellationBufferSize = ui->spinMdl_Prompt_EchoCancellationBufferSize->value();
}

void MainWindow::on_chkMdl_Prompt_IsCircularTxSetupSelected_stateChanged(int arg1)
{
    Q_UNUSED(arg1)
    mMdlPrompt.IsCircularTxSetupSelected = ui->chkMdl_Prompt_IsCircularTxSetupSelected->isChecked();
}

void MainWindow::on_spinMdl_Prompt_CircularTxBufferSize_valueChanged(int arg1)
{
    Q_UNUSED(arg1)
    mMdlPrompt.CircularTxBufferSize = ui->spinMdl_Prompt_CircularTxBufferSize->value();
}

void MainWindow::on_chkMdl_Prompt_IsCircularRxSetupSelected_stateChanged(int arg1)
{
    Q_UNUSED(arg1)
    mMdlPrompt.IsCircularRxSetupSelected = ui->chkMdl_Prompt_IsCircularRxSetupSelected->isChecked();
}

void MainWindow::on_spinMdl_Prompt_CircularRxBufferSize_valueChanged(int arg1)
{
    Q_UNUSED(arg1)
    mMdlPrompt.CircularRxBufferSize = ui->spinMdl_Prompt_CircularRxBufferSize->value();
}

void MainWindow::on_chkMdl_BasicComms_EchoEnabled_stateChanged(int arg1)
{
    Q_UNUSED(arg1)
    mMdlBasicComms.EchoEnabled = ui->chkMdl_BasicComms_EchoEnabled->isChecked();
    // Without modem echo there is nothing to cancel: the echo cancellation
    // option follows the echo and cannot be changed while it is off. Setting
    // the box fires its own slot, which stores the Prompt setting.
    const bool echo = mMdlBasicComms.EchoEnabled;
    ui->chkMdl_Prompt_IsEchoCancSetupSelected->setCheckState(echo ? Qt::Checked : Qt::Unchecked);
    ui->chkMdl_Prompt_IsEchoCancSetupSelected->setEnabled(echo);
    ui->spinMdl_Prompt_EchoCancellationBufferSize->setEnabled(echo);
}

void MainWindow::on_chkMdl_InternetConnectionSimcom_IsApnRequired_stateChanged(int arg1)
{
    Q_UNUSED(arg1)
    mMdlInternetConnectionSimcom.IsApnRequired = ui->chkMdl_InternetConnectionSimcom_IsApnRequired->isChecked();
}

void MainWindow::on_chkMdl_InternetConnectionSimcom2G_IsApnRequired_stateChanged(int arg1)
{
    Q_UNUSED(arg1)
    mMdlInternetConnectionSimcom2G.IsApnRequired = ui->chkMdl_InternetConnectionSimcom2G_IsApnRequired->isChecked();
}

void MainWindow::refreshSettingsWidgets()
{
    // Each widget is set from its module value read just before; a widget
    // whose value really changes fires its slot, which writes the value back
    // (clamped for sizes) and, for the echo box, runs the echo coupling before
    // the Prompt values are read.
    auto showFlag = [](QCheckBox* box, bool value) { box->setCheckState(value ? Qt::Checked : Qt::Unchecked); };
    // A size outside the box's range is shown clamped, and the module takes
    // the shown value even when the box already showed it (and so fired no
    // change): the module never keeps a size the window does not show.
    auto showSize = [](QSpinBox* spin, double& size) {
        spin->setValue(spinValueForSize(spin, size));
        size = spin->value();
    };

    showFlag(ui->chkMdl_GettingStarted_IsDebugOutputSetupSelected, mMdlGettingStarted.IsDebugOutputSetupSelected);
    showSize(ui->spinMdl_GettingStarted_DebugBufferSize, mMdlGettingStarted.DebugBufferSize);
    showFlag(ui->chkMdl_Power_ResetEnabled, mMdlPower.UseResetPin);
    showFlag(ui->chkMdl_BasicComms_EchoEnabled, mMdlBasicComms.EchoEnabled);

    showFlag(ui->chkMdl_Prompt_IsPromptSetupSelected, mMdlPrompt.IsPromptSetupSelected);
    // With the modem echo off, echo cancellation stays off whatever the
    // project file says (the box is disabled then and could not be changed).
    showFlag(ui->chkMdl_Prompt_IsEchoCancSetupSelected,
             mMdlPrompt.IsEchoCancSetupSelected && ui->chkMdl_BasicComms_EchoEnabled->isChecked());
    mMdlPrompt.IsEchoCancSetupSelected = ui->chkMdl_Prompt_IsEchoCancSetupSelected->isChecked();
    showFlag(ui->chkMdl_Prompt_IsCircularTxSetupSelected, mMdlPrompt.IsCircularTxSetupSelected);
    showFlag(ui->chkMdl_Prompt_IsCircularRxSetupSelected, mMdlPrompt.IsCircularRxSetupSelected);

    showSize(ui->spinMdl_Prompt_PromptBufferSize, mMdlPrompt.PromptBufferSize);
    showSize(ui->spinMdl_Prompt_EchoCancellationBufferSize, mMdlPrompt.EchoCancellationBufferSize);
    showSize(ui->spinMdl_Prompt_CircularTxBufferSize, mMdlPrompt.CircularTxBufferSize);
    showSize(ui->spinMdl_Prompt_CircularRxBufferSize, mMdlPrompt.CircularRxBufferSize);

    showFlag(ui->chkMdl_InternetConnectionSimcom_IsApnRequired, mMdlInternetConnectionSimcom.IsApnRequired);
    showFlag(ui->chkMdl_InternetConnectionSimcom2G_IsApnRequired, mMdlInternetConnectionSimcom2G.IsApnRequired);
}

// ---------------------------------------------------------------------------
// Language controls: choosing C++ proposes the Arduino layout every time;
// choosing C clears and hides it.

void MainWindow::on_optProjectIsC_clicked(bool checked)
{
    if (!checked)
        return;
    setArduinoChecked(false);
    setArduinoVisible(false);
}

void MainWindow::on_optProjectIsCpp_clicked(bool checked)
{
    if (!checked)
        return;
    setArduinoVisible(true);
    setArduinoChecked(true);
}

// ---------------------------------------------------------------------------
// Links and About

void MainWindow::on_btnSupport_clicked()
{
    if (!mSupportUrl.isEmpty()) {
        weblinks::openUrl(QUrl(mSupportUrl, QUrl::TolerantMode));
        return;
    }
    // No publisher web site: the user manual is the help this build has.
    UserInteraction& interaction = userInteraction();
    if (!interaction.askYesNo(UserInteraction::Icon::Question, QStringLiteral("Support"),
                     QStringLiteral("This build of the Tarvex Code Generator has no publisher web site, so there is "
                                    "no support page to open.\n\nThe user manual describes every library module, "
                                    "the generated files and how to wire the modem. Do you want to save a copy of "
                                    "the user manual and open it?")))
        return;
    const QString folder = interaction.selectFolder(this, QStringLiteral("Select Folder"));
    if (folder.isEmpty())
        return;
    const QString path = folder + QStringLiteral("/Tarvex User Manual.pdf");
    if (!copyResourceToFile(QString::fromLatin1(kUserManualResource), path)) {
        interaction.critical(QStringLiteral("Support"),
                    QStringLiteral("Unable to save the user manual to '") + path +
                        QStringLiteral("'. Please review folder write permissions."));
        return;
    }
    weblinks::openUrl(QUrl::fromLocalFile(path));
}

void MainWindow::on_btnLibMdlRequestNew_clicked()
{
    if (!mRequestNewModuleUrl.isEmpty()) {
        weblinks::openUrl(QUrl(mRequestNewModuleUrl, QUrl::TolerantMode));
        return;
    }
    userInteraction().information(
        QStringLiteral("Request a New Library Module"),
        QStringLiteral("This build of the Tarvex Code Generator has no publisher web site, so there is no page "
                       "on which to request a new library module. Please ask whoever provided this build."));
}

void MainWindow::on_btnAbout_clicked()
{
    AboutWindow about(this);
    about.exec();
}

// ---------------------------------------------------------------------------
// Examples and the user manual: mainwindow_examples.cpp. (Project commands,
// generation and usage statistics: mainwindow_project.cpp.)

// ---------------------------------------------------------------------------
// Usage statistics: replies are deleted unread.

void MainWindow::mpNetMgrUsageStats_onFinished(QNetworkReply* reply)
{
    reply->deleteLater();
}
