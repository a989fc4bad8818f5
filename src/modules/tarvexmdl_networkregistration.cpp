#include "tarvexmdl_networkregistration.h"

#include "modulesupport.h"

using namespace ModuleSupport;

TarvexMdl_NetworkRegistration::TarvexMdl_NetworkRegistration(QObject* parent)
    : TarvexMdl(parent)
{
}

QString TarvexMdl_NetworkRegistration::getName() const
{
    return QStringLiteral("NetworkRegistration");
}

QString TarvexMdl_NetworkRegistration::getDocHtml() const
{
    return docText(QStringLiteral("tarvexmdl_NetworkRegistration.html"));
}

QStringList TarvexMdl_NetworkRegistration::getLibraryFiles() const
{
    return {QStringLiteral("GSM_NetworkRegistration.h"), QStringLiteral("GSM_NetworkRegistration.c"), QStringLiteral("GSM_NetworkRegistration_Interface.h")};
}

QString TarvexMdl_NetworkRegistration::getHeaderInclude() const
{
    return QStringLiteral("/GSM_NetworkRegistration.h\"\n");
}

QString TarvexMdl_NetworkRegistration::getHeaderPrototypes() const
{
    return QStringLiteral(
        "\n"
        "// Network Registration Convenience Functions\n"
        "extern bool gsmmgrNetworkRegistrationIsRegistered();\n");
}

QString TarvexMdl_NetworkRegistration::getInstanceVariables() const
{
    return QStringLiteral("GSM_NetworkRegistration_Instance mGsmNetworkRegistrationInst = {0};\n");
}

QString TarvexMdl_NetworkRegistration::getInitCode() const
{
    return QStringLiteral(
        "    \n"
        "    // Network Registration\n"
        "    mGsmNetworkRegistrationInst.Power = (&mGsmPwrInst._i);\n"
        "    mGsmNetworkRegistrationInst.Prompt = (&mGsmPromptInst._i);\n"
        "    mGsmNetworkRegistrationInst.BasicComms = (&mGsmBasicCommsInst._i);\n"
        "    gsmNetworkRegistrationInit(&mGsmNetworkRegistrationInst);\n");
}

QString TarvexMdl_NetworkRegistration::getPollCode() const
{
    return QStringLiteral("    gsmNetworkRegistrationPoll(&mGsmNetworkRegistrationInst);\n");
}

QString TarvexMdl_NetworkRegistration::getConvenienceFunctions() const
{
    return QStringLiteral(
        "\n"
        "// --- GSM Network Registration ---\n"
        "\n"
        "bool gsmmgrNetworkRegistrationIsRegistered()\n"
        "{\n"
        "   return gsmNetworkRegistrationIsRegistered(&mGsmNetworkRegistrationInst);\n"
        "}\n");
}
