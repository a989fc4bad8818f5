#include "tarvexmdl_pin.h"

#include "modulesupport.h"

using namespace ModuleSupport;

TarvexMdl_Pin::TarvexMdl_Pin(QObject* parent)
    : TarvexMdl(parent)
{
}

QString TarvexMdl_Pin::getName() const
{
    return QStringLiteral("Pin");
}

QString TarvexMdl_Pin::getDocHtml() const
{
    return docText(QStringLiteral("tarvexmdl_Pin.html"));
}

QStringList TarvexMdl_Pin::getLibraryFiles() const
{
    return {QStringLiteral("GSM_PIN.h"), QStringLiteral("GSM_PIN.c")};
}

QString TarvexMdl_Pin::getHeaderInclude() const
{
    return QStringLiteral("/GSM_PIN.h\"\n");
}

QString TarvexMdl_Pin::getHeaderPrototypes() const
{
    return QStringLiteral(
        "\n"
        "// Pin Convenience Functions\n"
        "extern void gsmmgrPinEnter(uint16_t sim_pin);\n"
        "extern GSM_PIN_SimStatus gsmmgrPinStatus();\n");
}

QString TarvexMdl_Pin::getInstanceVariables() const
{
    return QStringLiteral("GSM_PIN_Instance mGsmPinInst = {0};\n");
}

QString TarvexMdl_Pin::getEventCallbackFunctions() const
{
    return snippetText(QStringLiteral("tarvexmdl_Pin_EventFunctions.c"));
}

QString TarvexMdl_Pin::getInitCode() const
{
    return QStringLiteral(
        "    \n"
        "    // PIN\n"
        "    mGsmPinInst.Power = (&mGsmPwrInst._i);\n"
        "    mGsmPinInst.Prompt = (&mGsmPromptInst._i);\n"
        "    mGsmPinInst.BasicComms = (&mGsmBasicCommsInst._i);\n"
        "    mGsmPinInst.EventHandler = &gsmPinEventHandler;\n"
        "    gsmPinInit(&mGsmPinInst);\n");
}

QString TarvexMdl_Pin::getPollCode() const
{
    return QStringLiteral("    gsmPinPoll(&mGsmPinInst);\n");
}

QString TarvexMdl_Pin::getConvenienceFunctions() const
{
    return snippetText(QStringLiteral("tarvexmdl_Pin_ConvFunctions.c"));
}
