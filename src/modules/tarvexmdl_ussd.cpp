#include "tarvexmdl_ussd.h"

#include "modulesupport.h"

using namespace ModuleSupport;

TarvexMdl_Ussd::TarvexMdl_Ussd(QObject* parent)
    : TarvexMdl(parent)
{
}

QString TarvexMdl_Ussd::getName() const
{
    return QStringLiteral("USSD");
}

QString TarvexMdl_Ussd::getDocHtml() const
{
    return docText(QStringLiteral("tarvexmdl_Ussd.html"));
}

QStringList TarvexMdl_Ussd::getLibraryFiles() const
{
    return {QStringLiteral("GSM_USSD.h"), QStringLiteral("GSM_USSD.c")};
}

QString TarvexMdl_Ussd::getHeaderInclude() const
{
    return QStringLiteral("/GSM_USSD.h\"\n");
}

QString TarvexMdl_Ussd::getHeaderPrototypes() const
{
    return QStringLiteral(
        "\n"
        "// USSD Convenience Functions\n"
        "extern bool gsmmgrUssdSend(char* ussd_payload);\n"
        "extern bool gsmmgrUssdCancelSession();\n");
}

QString TarvexMdl_Ussd::getInstanceVariables() const
{
    return QStringLiteral("GSM_USSD_Instance mGsmUssdInst = {0};\n");
}

QString TarvexMdl_Ussd::getEventCallbackFunctions() const
{
    return snippetText(QStringLiteral("tarvexmdl_Ussd_EventFunctions.c"));
}

QString TarvexMdl_Ussd::getInitCode() const
{
    return QStringLiteral(
        "    \n"
        "    // USSD\n"
        "    mGsmUssdInst.Power = (&mGsmPwrInst._i);\n"
        "    mGsmUssdInst.Prompt = (&mGsmPromptInst._i);\n"
        "    mGsmUssdInst.NetworkRegistration = (&mGsmNetworkRegistrationInst._i);\n"
        "    mGsmUssdInst.EventHandler = &gsmUssdEventHandler;\n"
        "    gsmUssdInit(&mGsmUssdInst);\n");
}

QString TarvexMdl_Ussd::getPollCode() const
{
    return QStringLiteral("    gsmUssdPoll(&mGsmUssdInst);\n");
}

QString TarvexMdl_Ussd::getConvenienceFunctions() const
{
    return QStringLiteral(
        "\n"
        "// --- GSM USSD ---\n"
        "\n"
        "bool gsmmgrUssdSend(char* ussd_payload)\n"
        "{\n"
        "   return gsmUssdSend(&mGsmUssdInst, ussd_payload);\n"
        "}\n"
        "\n"
        "bool gsmmgrUssdCancelSession()\n"
        "{\n"
        "   return gsmUssdCancelSession(&mGsmUssdInst);\n"
        "}\n");
}
