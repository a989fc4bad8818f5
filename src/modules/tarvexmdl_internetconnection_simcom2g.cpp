#include "tarvexmdl_internetconnection_simcom2g.h"

#include "modulesupport.h"

using namespace ModuleSupport;

namespace {
const QString kSettingsKey = QStringLiteral("InternetConnection_SIMCom2G");
}

TarvexMdl_InternetConnection_SIMCom2G::TarvexMdl_InternetConnection_SIMCom2G(QObject* parent)
    : TarvexMdl(parent)
{
}

QString TarvexMdl_InternetConnection_SIMCom2G::getName() const
{
    return QStringLiteral("InternetConnection_SIMCom2G");
}

QString TarvexMdl_InternetConnection_SIMCom2G::getDocHtml() const
{
    return docText(QStringLiteral("tarvexmdl_InternetConnectionSimcom_2G.html"));
}

QStringList TarvexMdl_InternetConnection_SIMCom2G::getLibraryFiles() const
{
    // The helper and interface files are shared with the other connection module.
    return {QStringLiteral("GSM_InternetConnection_Simcom2G.c"), QStringLiteral("GSM_InternetConnection_Simcom2G.h"),
            QStringLiteral("GSM_Internet_Helper.c"), QStringLiteral("GSM_Internet_Helper.h"),
            QStringLiteral("GSM_InternetConnection_Interface.h")};
}

QString TarvexMdl_InternetConnection_SIMCom2G::getHeaderInclude() const
{
    return QStringLiteral("/GSM_InternetConnection_Simcom2G.h\"\n");
}

QString TarvexMdl_InternetConnection_SIMCom2G::getHeaderPrototypes() const
{
    return QStringLiteral(
        "\n"
        "// Internet Connection (SIMCom 2G) Convenience Functions\n"
        "extern bool gsmmgrInternetConnectionSimcom2GIsConnected();\n");
}

QString TarvexMdl_InternetConnection_SIMCom2G::getInstanceVariables() const
{
    return QStringLiteral("GSM_InternetConnectionSimcom2G_Instance mGsmInternetConnectionSimcom2GInst = {0};\n");
}

QString TarvexMdl_InternetConnection_SIMCom2G::getGeneralCallbackFunctions() const
{
    // Both connection modules share the APN snippet.
    if (!IsApnRequired)
        return QString();
    return snippetText(QStringLiteral("tarvexmdl_InternetConnection_Simcom_GeneralCallbackFunctions.c"));
}

QString TarvexMdl_InternetConnection_SIMCom2G::getInitCode() const
{
    QString code = QStringLiteral("    \n")
        + QStringLiteral("    // Internet Connection (SIMCom 2G)\n")
        + QStringLiteral("    mGsmInternetConnectionSimcom2GInst.Power = (&mGsmPwrInst._i);\n")
        + QStringLiteral("    mGsmInternetConnectionSimcom2GInst.Prompt = (&mGsmPromptInst._i);\n")
        + QStringLiteral("    mGsmInternetConnectionSimcom2GInst.NetworkRegistration = (&mGsmNetworkRegistrationInst._i);\n");
    if (IsApnRequired)
        code += QStringLiteral("    mGsmInternetConnectionSimcom2GInst.APN_IfAny = gsmGetAPN();\n");
    code += QStringLiteral("    gsmInternetConnectionSimcom2GInit(&mGsmInternetConnectionSimcom2GInst);\n");
    return code;
}

QString TarvexMdl_InternetConnection_SIMCom2G::getPollCode() const
{
    return QStringLiteral("    gsmInternetConnectionSimcom2GPoll(&mGsmInternetConnectionSimcom2GInst);\n");
}

QString TarvexMdl_InternetConnection_SIMCom2G::getConvenienceFunctions() const
{
    return QStringLiteral(
        "\n"
        "// --- GSM Internet Connection (SIMCom 2G) ---\n"
        "\n"
        "bool gsmmgrInternetConnectionSimcom2GIsConnected()\n"
        "{\n"
        "   return gsmInternetConnectionSimcom2GIsConnected(&mGsmInternetConnectionSimcom2GInst);\n"
        "}\n");
}

bool TarvexMdl_InternetConnection_SIMCom2G::saveSettings(QJsonObject& project)
{
    QJsonObject settings;
    settings.insert(QStringLiteral("IsApnRequired"), IsApnRequired);
    project.insert(kSettingsKey, settings);
    return true;
}

bool TarvexMdl_InternetConnection_SIMCom2G::loadSettings(QJsonObject& project)
{
    QJsonObject settings;
    if (!settingsObject(project, kSettingsKey, QStringLiteral("IsApnRequired"), settings))
        return false;
    IsApnRequired = readFlag(settings, QStringLiteral("IsApnRequired"));
    return true;
}

void TarvexMdl_InternetConnection_SIMCom2G::resetSettings()
{
    IsApnRequired = false;
}
