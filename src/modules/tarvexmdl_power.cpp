#include "tarvexmdl_power.h"

#include "modulesupport.h"

#include <QRegularExpression>

using namespace ModuleSupport;

namespace {

const QString kSettingsKey = QStringLiteral("Power");

// The stored callback snippet marks the gsmSetReset function as an optional
// block between "//<OPTIONAL:gsmSetReset>" and "//</OPTIONAL:gsmSetReset>".
// Without a reset pin the whole block goes, together with the white space
// after it; with one only the two marker lines go, so gsmSetReset keeps one
// empty line on each side. Compiled once, reused by every call.
const QRegularExpression& wholeOptionalBlock()
{
    static const QRegularExpression re(
        QStringLiteral("\\/\\/<OPTIONAL:gsmSetReset>[\\s\\S]*?<\\/OPTIONAL:gsmSetReset>\\s*"));
    return re;
}

const QRegularExpression& openingMarker()
{
    static const QRegularExpression re(QStringLiteral("\\/\\/<OPTIONAL:gsmSetReset>\\s*"));
    return re;
}

const QRegularExpression& closingMarker()
{
    static const QRegularExpression re(QStringLiteral("\\s*\\/\\/<\\/OPTIONAL:gsmSetReset>"));
    return re;
}

} // namespace

TarvexMdl_Power::TarvexMdl_Power(QObject* parent)
    : TarvexMdl(parent)
{
}

QString TarvexMdl_Power::getName() const
{
    return QStringLiteral("Power");
}

QString TarvexMdl_Power::getDocHtml() const
{
    return docText(QStringLiteral("tarvexmdl_Power.html"));
}

QStringList TarvexMdl_Power::getLibraryFiles() const
{
    return {QStringLiteral("GSM_Power.h"), QStringLiteral("GSM_Power.c"),
            QStringLiteral("GSM_Power_Interface.h")};
}

QString TarvexMdl_Power::getHeaderInclude() const
{
    return QStringLiteral("/GSM_Power.h\"\n");
}

QString TarvexMdl_Power::getHeaderPrototypes() const
{
    return QStringLiteral(
        "\n"
        "// Power Convenience Functions\n"
        "extern bool gsmmgrPowerGet();\n"
        "extern void gsmmgrPowerSet(bool powered_on);\n"
        "extern void gsmmgrPowerSetPowerKeyPressDurations(uint16_t powerOnPressTime_ms, uint16_t powerOffPressTime_ms);\n");
}

QString TarvexMdl_Power::getInstanceVariables() const
{
    return QStringLiteral("GSM_Power_Instance mGsmPwrInst = {0};\n");
}

QString TarvexMdl_Power::getGeneralCallbackFunctions() const
{
    QString text = snippetText(QStringLiteral("tarvexmdl_Power_GeneralCallbackFunctions.c"));
    if (UseResetPin) {
        text.remove(openingMarker());
        text.remove(closingMarker());
    } else {
        text.remove(wholeOptionalBlock());
    }
    return text;
}

QString TarvexMdl_Power::getInitCode() const
{
    QString code = QStringLiteral("    \n")
        + QStringLiteral("    // Power\n")
        + QStringLiteral("    mGsmPwrInst.SetPowerKey = &gsmSetPowerKey;\n");
    if (UseResetPin)
        code += QStringLiteral("    mGsmPwrInst.SetReset = &gsmSetReset;\n");
    code += QStringLiteral("    mGsmPwrInst.ReadStatus = &gsmReadStatus;\n")
        + QStringLiteral("    gsmPowerInit(&mGsmPwrInst);\n");
    return code;
}

QString TarvexMdl_Power::getPollCode() const
{
    return QStringLiteral("    gsmPowerPoll(&mGsmPwrInst);\n");
}

QString TarvexMdl_Power::getConvenienceFunctions() const
{
    return QStringLiteral(
        "\n"
        "// --- GSM Power ---\n"
        "\n"
        "bool gsmmgrPowerGet()\n"
        "{\n"
        "   return gsmPowerGet(&mGsmPwrInst);\n"
        "}\n"
        "\n"
        "void gsmmgrPowerSet(bool powered_on)\n"
        "{\n"
        "gsmPowerSet(&mGsmPwrInst, powered_on);\n"
        "}\n"
        "\n"
        "void gsmmgrPowerSetPowerKeyPressDurations(uint16_t powerOnPressTime_ms, uint16_t powerOffPressTime_ms)\n"
        "{\n"
        "gsmPowerSetPowerKeyPressDurations(&mGsmPwrInst, powerOnPressTime_ms, powerOffPressTime_ms);\n"
        "}\n");
}

bool TarvexMdl_Power::saveSettings(QJsonObject& project)
{
    QJsonObject settings;
    settings.insert(QStringLiteral("UseResetPin"), UseResetPin);
    project.insert(kSettingsKey, settings);
    return true;
}

bool TarvexMdl_Power::loadSettings(QJsonObject& project)
{
    QJsonObject settings;
    if (!settingsObject(project, kSettingsKey, QStringLiteral("UseResetPin"), settings))
        return false;
    UseResetPin = readFlag(settings, QStringLiteral("UseResetPin"));
    return true;
}

void TarvexMdl_Power::resetSettings()
{
    UseResetPin = false;
}
