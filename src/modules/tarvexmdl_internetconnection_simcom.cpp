#include "tarvexmdl_internetconnection_simcom.h"

#include "modulesupport.h"

using namespace ModuleSupport;

namespace {
const QString kSettingsKey = QStringLiteral("InternetConnection_SIMCom");
}

TarvexMdl_InternetConnection_SIMCom::TarvexMdl_InternetConnection_SIMCom(QObject* parent)
    : TarvexMdl(parent)
{
}

QString TarvexMdl_InternetConnection_SIMCom::getName() const
{
    return QStringLiteral("InternetConnection_SIMCom");
}

QString TarvexMdl_InternetConnection_SIMCom::getDocHtml() const
{
    return docText(QStringLiteral("tarvexmdl_InternetConnectionSimcom_LTE.html"));
}

QStringList TarvexMdl_InternetConnection_SIMCom::getLibraryFiles() const
{
    // The helper and interface files are shared with the other connection module.
    return {QStringLiteral("GSM_InternetConnection_Simcom.c"), QStringLiteral("GSM_InternetConnection_Simcom.h"),
            QStringLiteral("GSM_Internet_Helper.c"), QStringLiteral("GSM_Internet_Helper.h"),
            QStringLiteral("GSM_InternetConnection_Interface.h")};
}

QString TarvexMdl_InternetConnection_SIMCom::getHeaderInclude() const
{
    return QStringLiteral("/GSM_InternetConnection_Simcom.h\"\n");
}

QString TarvexMdl_InternetConnection_SIMCom::getHeaderPrototypes() const
{
    return QStringLiteral(
        "\n"
        "// Internet Connection (SIMCom LTE) Convenience Functions\n"
        "extern bool gsmmgrInternetConnectionSimcomIsConnected();\n");
}

QString TarvexMdl_InternetConnection_SIMCom::getInstanceVariables() const
{
    return QStringLiteral("GSM_InternetConnectionSimcom_Instance mGsmInternetConnectionSimcomInst = {0};\n");
}

QString TarvexMdl_InternetConnection_SIMCom::getGeneralCallbackFunctions() const
{
    // Both connection modules share the APN snippet.
    if (!IsApnRequired)
        return QString();
    return snippetText(QStringLiteral("tarvexmdl_InternetConnection_Simcom_GeneralCallbackFunctions.c"));
}

QString TarvexMdl_InternetConnection_SIMCom::getInitCode() const
{
    QString code = QStringLiteral("    \n")
        + QStringLiteral("    // Internet Connection (SIMCom LTE)\n")
        + QStringLiteral("    mGsmInternetConnectionSimcomInst.Power = (&mGsmPwrInst._i);\n")
        + QStringLiteral("    mGsmInternetConnectionSimcomInst.Prompt = (&mGsmPromptInst._i);\n")
        + QStringLiteral("    mGsmInternetConnectionSimcomInst.NetworkRegistration = (&mGsmNetworkRegistrationInst._i);\n");
    if (IsApnRequired)
        code += QStringLiteral("    mGsmInternetConnectionSimcomInst.APN_IfAny = gsmGetAPN();\n");
    code += QStringLiteral("    gsmInternetConnectionSimcomInit(&mGsmInternetConnectionSimcomInst);\n");
    return code;
}

QString TarvexMdl_InternetConnection_SIMCom::getPollCode() const
{
    return QStringLiteral("    gsmInternetConnectionSimcomPoll(&mGsmInternetConnectionSimcomInst);\n");
}

QString TarvexMdl_InternetConnection_SIMCom::getConvenienceFunctions() const
{
    return QStringLiteral(
        "\n"
        "// --- GSM Internet Connection (SIMCom LTE) ---\n"
        "\n"
        "bool gsmmgrInternetConnectionSimcomIsConnected()\n"
        "{\n"
        "   return gsmInternetConnectionSimcomIsConnected(&mGsmInternetConnectionSimcomInst);\n"
        "}\n");
}

bool TarvexMdl_InternetConnection_SIMCom::saveSettings(QJsonObject& project)
{
    QJsonObject settings;
    settings.insert(QStringLiteral("IsApnRequired"), IsApnRequired);
    project.insert(kSettingsKey, settings);
    return true;
}

bool TarvexMdl_InternetConnection_SIMCom::loadSettings(QJsonObject& project)
{
    QJsonObject settings;
    if (!settingsObject(project, kSettingsKey, QStringLiteral("IsApnRequired"), settings))
        return false;
    IsApnRequired = readFlag(settings, QStringLiteral("IsApnRequired"));
    return true;
}

void TarvexMdl_InternetConnection_SIMCom::resetSettings()
{
    IsApnRequired = false;
}
