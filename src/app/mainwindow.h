#pragma once

#include "managerassembly.h"
#include "projectmodel.h"
#include "projectsettings.h"
#include "tarvexmdl_basiccomms.h"
#include "tarvexmdl_gettingstarted.h"
#include "tarvexmdl_http_client_simcom.h"
#include "tarvexmdl_internetconnection_simcom.h"
#include "tarvexmdl_internetconnection_simcom2g.h"
#include "tarvexmdl_mqtt_client_simcom.h"
#include "tarvexmdl_networkregistration.h"
#include "tarvexmdl_pin.h"
#include "tarvexmdl_power.h"
#include "tarvexmdl_prompt.h"
#include "tarvexmdl_rssi.h"
#include "tarvexmdl_sms_read.h"
#include "tarvexmdl_sms_send.h"
#include "tarvexmdl_ussd.h"

#include <QDir>
#include <QList>
#include <QMainWindow>
#include <QRegularExpression>
#include <QString>
#include <QVector>

class QListWidgetItem;
class QNetworkAccessManager;
class QNetworkReply;

namespace Ui {
class MainWindow;
}

// The application window. It owns the module catalogue, shows the module list
// with the check states that make up the selection, the documentation and
// settings panels of the current module, and carries every user command as a
// slot connected by name to its widget. It is also the ProjectModel that the
// project and generation workflows run against.
class MainWindow : public QMainWindow, public ProjectModel
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // ProjectModel over the widgets.
    QString projectPath() const override;
    void setProjectPath(const QString& path) override;
    bool isCpp() const override;
    void setCpp(bool cpp) override;
    bool isArduino() const override;
    void setArduinoChecked(bool checked) override;
    void setArduinoVisible(bool visible) override;
    QList<TarvexMdl*> allModules() const override;
    bool isModuleChecked(TarvexMdl* module) const override;
    void checkModule(TarvexMdl* module) override;
    void uncheckModule(TarvexMdl* module) override;
    void refreshSettingsWidgets() override;
    using ProjectModel::checkedModules;
    using ProjectModel::findModuleByName;

    // Project file, USER CODE and library operations, each a thin call of the
    // generator core (mainwindow_project.cpp).
    QStringList fileHeaderLines() const;
    ManagerTexts buildManagerTexts(const QList<TarvexMdl*>& modules, const QString& libraryFolder, bool isCpp) const;
    void buildUserCodePatterns();
    bool mergeUserCodeAndWrite(const QString& filePath, QString& newText);
    bool writeLibraryFiles(const QString& libraryFolder, const QString& headerFolder, const QString& sourceFolder,
                           const QDir& projectDir, const QList<TarvexMdl*>& modules);
    bool writeProjectSettings();
    ReadSettingsStatus readProjectSettings();

    // Module of a list row (rows 0 to 13), null for the info rows and -1.
    TarvexMdl* moduleAt(int row) const;
    // Row of a module of this window, -1 for anything else.
    int rowOfModule(const TarvexMdl* module) const;

public slots:
    void on_btnProjectNew_clicked();
    void on_btnProjectOpen_clicked();
    void on_btnProjectSave_clicked();
    void on_btnProjectSaveAs_clicked();
    void on_optProjectIsC_clicked(bool checked);
    void on_optProjectIsCpp_clicked(bool checked);
    void on_btnSupport_clicked();
    void on_btnAbout_clicked();
    void on_lstwgtModules_currentItemChanged(QListWidgetItem* current, QListWidgetItem* previous);
    void on_btnLibMdlSelectAll_clicked();
    void on_btnLibMdlSelectNone_clicked();
    void on_btnLibMdlCheckDependencies_clicked();
    void on_btnLibMdlRequestNew_clicked();
    void on_chkMdl_GettingStarted_IsDebugOutputSetupSelected_stateChanged(int arg1);
    void on_spinMdl_GettingStarted_DebugBufferSize_valueChanged(int arg1);
    void on_chkMdl_Power_ResetEnabled_stateChanged(int arg1);
    void on_chkMdl_Prompt_IsPromptSetupSelected_stateChanged(int arg1);
    void on_spinMdl_Prompt_PromptBufferSize_valueChanged(int arg1);
    void on_chkMdl_Prompt_IsEchoCancSetupSelected_stateChanged(int arg1);
    void on_spinMdl_Prompt_EchoCancellationBufferSize_valueChanged(int arg1);
    void on_chkMdl_Prompt_IsCircularTxSetupSelected_stateChanged(int arg1);
    void on_spinMdl_Prompt_CircularTxBufferSize_valueChanged(int arg1);
    void on_chkMdl_Prompt_IsCircularRxSetupSelected_stateChanged(int arg1);
    void on_spinMdl_Prompt_CircularRxBufferSize_valueChanged(int arg1);
    void on_chkMdl_BasicComms_EchoEnabled_stateChanged(int arg1);
    void on_chkMdl_InternetConnectionSimcom_IsApnRequired_stateChanged(int arg1);
    void on_chkMdl_InternetConnectionSimcom2G_IsApnRequired_stateChanged(int arg1);
    void on_btnGenerateCode_clicked();
    void on_btnDownloadExample_clicked();
    void on_btnDownloadUserManual_clicked();
    void mpNetMgrUsageStats_onFinished(QNetworkReply* reply);

private:
    // Posts one usage-statistics event through the given manager, creating
    // it first if needed; does nothing (no manager either) while
    // usageStatsEnabled() is false.
    void postUsageEvent(QNetworkAccessManager*& manager, const QString& event);
    // Lets the window shrink to small screens: module list and settings
    // panels scroll.
    void fitSmallScreens();
    // Widens the module list to its longest row.
    void fitModuleListWidth();
    // Shows or hides the tab holding the given page.
    void setPageTabVisible(QWidget* page, bool visible);
    void setModuleCheckState(TarvexMdl* module, Qt::CheckState state);

    Ui::MainWindow* ui;

    TarvexMdl_GettingStarted mMdlGettingStarted;
    TarvexMdl_Power mMdlPower;
    TarvexMdl_Prompt mMdlPrompt;
    TarvexMdl_BasicComms mMdlBasicComms;
    TarvexMdl_Pin mMdlPin;
    TarvexMdl_Rssi mMdlRssi;
    TarvexMdl_NetworkRegistration mMdlNetworkRegistration;
    TarvexMdl_Sms_Send mMdlSmsSend;
    TarvexMdl_Sms_Read mMdlSmsRead;
    TarvexMdl_Ussd mMdlUssd;
    TarvexMdl_InternetConnection_SIMCom mMdlInternetConnectionSimcom;
    TarvexMdl_InternetConnection_SIMCom2G mMdlInternetConnectionSimcom2G;
    TarvexMdl_Http_Client_SIMCom mMdlHttpClientSimcom;
    TarvexMdl_Mqtt_Client_SIMCom mMdlMqttClientSimcom;

    QString mLibraryFolder;
    QString mArduinoSrcFolder;
    QString mRequestNewModuleUrl;
    QString mSupportUrl;
    QString mFileHeaderBanner;
    QVector<QRegularExpression> mUserCodePatterns;

    QNetworkAccessManager* mpNetMgrAppStart = nullptr;
    QNetworkAccessManager* mpNetMgrGenerateStart = nullptr;
    QNetworkAccessManager* mpNetMgrGenerateSuccess = nullptr;
};
