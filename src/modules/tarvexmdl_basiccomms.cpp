#include "tarvexmdl_basiccomms.h"

#include "modulesupport.h"

using namespace ModuleSupport;

namespace {
const QString kSettingsKey = QStringLiteral("BasicComms");
}

TarvexMdl_BasicComms::TarvexMdl_BasicComms(QObject* parent)
    : TarvexMdl(parent)
{
}

QString TarvexMdl_BasicComms::getName() const
{
    return QStringLiteral("BasicComms");
}

QString TarvexMdl_BasicComms::getDocHtml() const
{
    return docText(QStringLiteral("tarvexmdl_BasicComms.html"));
}

QStringList TarvexMdl_BasicComms::getLibraryFiles() const
{
    return {QStringLiteral("GSM_BasicComms.c"), QStringLiteral("GSM_BasicComms.h"),
            QStringLiteral("GSM_BasicComms_Interface.h")};
}

QString TarvexMdl_BasicComms::getHeaderInclude() const
{
    return QStringLiteral("/GSM_BasicComms.h\"\n");
}

QString TarvexMdl_BasicComms::getHeaderPrototypes() const
{
    return QStringLiteral("\n// BasicComms Convenience Functions\nextern bool gsmmgrBasicCommsCommunicationEstablished();\n");
}

QString TarvexMdl_BasicComms::getInstanceVariables() const
{
    return QStringLiteral("GSM_BasicComms_Instance mGsmBasicCommsInst = {0};\n");
}

QString TarvexMdl_BasicComms::getInitCode() const
{
    return QStringLiteral("    \n")
        + QStringLiteral("    // BasicComms\n")
        + QStringLiteral("    mGsmBasicCommsInst.Power = &(mGsmPwrInst._i);\n")
        + QStringLiteral("    mGsmBasicCommsInst.Prompt = &(mGsmPromptInst._i);\n")
        + (EchoEnabled ? QStringLiteral("    mGsmBasicCommsInst.EchoOn = 1;\n")
                       : QStringLiteral("    mGsmBasicCommsInst.EchoOn = 0;\n"))
        + QStringLiteral("    gsmBasicCommsInit(&mGsmBasicCommsInst);\n");
}

QString TarvexMdl_BasicComms::getPollCode() const
{
    return QStringLiteral("    gsmBasicCommsPoll(&mGsmBasicCommsInst);\n");
}

QString TarvexMdl_BasicComms::getConvenienceFunctions() const
{
    return QStringLiteral(
        "\n"
        "// --- GSM BasicComms ---\n"
        "\n"
        "bool gsmmgrBasicCommsCommunicationEstablished()\n"
        "{\n"
        "   return gsmBasicCommsCommunicationEstablished(&mGsmBasicCommsInst);\n"
        "}\n");
}

bool TarvexMdl_BasicComms::saveSettings(QJsonObject& project)
{
    QJsonObject settings;
    settings.insert(QStringLiteral("EchoEnabled"), EchoEnabled);
    project.insert(kSettingsKey, settings);
    return true;
}

bool TarvexMdl_BasicComms::loadSettings(QJsonObject& project)
{
    QJsonObject settings;
    if (!settingsObject(project, kSettingsKey, QStringLiteral("EchoEnabled"), settings))
        return false;
    EchoEnabled = readFlag(settings, QStringLiteral("EchoEnabled"));
    return true;
}

void TarvexMdl_BasicComms::resetSettings()
{
    EchoEnabled = true;
}
