#include "tarvexmdl_rssi.h"

#include "modulesupport.h"

using namespace ModuleSupport;

TarvexMdl_Rssi::TarvexMdl_Rssi(QObject* parent)
    : TarvexMdl(parent)
{
}

QString TarvexMdl_Rssi::getName() const
{
    return QStringLiteral("RSSI");
}

QString TarvexMdl_Rssi::getDocHtml() const
{
    return docText(QStringLiteral("tarvexmdl_Rssi.html"));
}

QStringList TarvexMdl_Rssi::getLibraryFiles() const
{
    return {QStringLiteral("GSM_SignalQuality.h"), QStringLiteral("GSM_SignalQuality.c")};
}

QString TarvexMdl_Rssi::getHeaderInclude() const
{
    return QStringLiteral("/GSM_SignalQuality.h\"\n");
}

QString TarvexMdl_Rssi::getHeaderPrototypes() const
{
    return QStringLiteral(
        "\n"
        "// Signal Quality Convenience Functions\n"
        "#define gsmmgrSignalQualityRssiTo_dBm gsmSignalQualityRssiTo_dBm\n"
        "extern bool gsmmgrSignalQualityQuery();\n");
}

QString TarvexMdl_Rssi::getInstanceVariables() const
{
    return QStringLiteral("GSM_SignalQuality_Instance mGsmSignalQualityInst = {0};\n");
}

QString TarvexMdl_Rssi::getEventCallbackFunctions() const
{
    return snippetText(QStringLiteral("tarvexmdl_Rssi_EventFunctions.c"));
}

QString TarvexMdl_Rssi::getInitCode() const
{
    return QStringLiteral(
        "    \n"
        "    // Signal Quality\n"
        "    mGsmSignalQualityInst.Power = (&mGsmPwrInst._i);\n"
        "    mGsmSignalQualityInst.Prompt = (&mGsmPromptInst._i);\n"
        "    mGsmSignalQualityInst.BasicComms = (&mGsmBasicCommsInst._i);\n"
        "    mGsmSignalQualityInst.EventHandler = &gsmSignalQualityEventHandler;\n"
        "    gsmSignalQualityInit(&mGsmSignalQualityInst);\n");
}

QString TarvexMdl_Rssi::getPollCode() const
{
    return QStringLiteral("    gsmSignalQualityPoll(&mGsmSignalQualityInst);\n");
}

QString TarvexMdl_Rssi::getConvenienceFunctions() const
{
    return QStringLiteral(
        "\n"
        "// --- GSM Signal Quality ---\n"
        "\n"
        "bool gsmmgrSignalQualityQuery()\n"
        "{\n"
        "return gsmSignalQualityQuery(&mGsmSignalQualityInst);\n"
        "}\n");
}
