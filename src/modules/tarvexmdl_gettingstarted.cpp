#include "tarvexmdl_gettingstarted.h"

#include "modulesupport.h"

using namespace ModuleSupport;

namespace {
const QString kSettingsKey = QStringLiteral("GettingStarted");
}

TarvexMdl_GettingStarted::TarvexMdl_GettingStarted(QObject* parent)
    : TarvexMdl(parent)
{
}

QString TarvexMdl_GettingStarted::getName() const
{
    // The Start module has the empty identifier; its settings key differs.
    return QString();
}

QString TarvexMdl_GettingStarted::getDocHtml() const
{
    return docText(QStringLiteral("tarvexmdl_GettingStarted.html"));
}

QString TarvexMdl_GettingStarted::getGeneralVariables() const
{
    if (!IsDebugOutputSetupSelected)
        return QString();
    return QStringLiteral("\n")
        + QStringLiteral("// --- GSM Debug ---\n\n")
        + QStringLiteral("// Debug Buffer\n")
        + QStringLiteral("static uint8_t mau8UartDebugTxBuff[") + sizeText(DebugBufferSize) + QStringLiteral("];\n")
        + QStringLiteral("CircBuff mcbfDebugTx;\n");
}

QString TarvexMdl_GettingStarted::getGeneralCallbackFunctions() const
{
    if (!IsDebugOutputSetupSelected)
        return QString();
    return snippetText(QStringLiteral("tarvexmdl_GettingStarted_GeneralCallbackFunctions.c"));
}

QString TarvexMdl_GettingStarted::getInitCode() const
{
    if (!IsDebugOutputSetupSelected)
        return QString();
    return QStringLiteral("\n    // DEBUG Tx buffer setup\n")
        + QStringLiteral("    mcbfDebugTx.Buffer = mau8UartDebugTxBuff;\n")
        + QStringLiteral("    mcbfDebugTx.BufferSize = sizeof(mau8UartDebugTxBuff);\n")
        + QStringLiteral("    cbufInit(&mcbfDebugTx);\n");
}

QString TarvexMdl_GettingStarted::getPollCode() const
{
    if (!IsDebugOutputSetupSelected)
        return QString();
    return QStringLiteral("\n    gsmDebugTxPoll();\n");
}

bool TarvexMdl_GettingStarted::saveSettings(QJsonObject& project)
{
    QJsonObject settings;
    settings.insert(QStringLiteral("IsDebugOutputSetupSelected"), IsDebugOutputSetupSelected);
    settings.insert(QStringLiteral("DebugBufferSize"), DebugBufferSize);
    project.insert(kSettingsKey, settings);
    return true;
}

bool TarvexMdl_GettingStarted::loadSettings(QJsonObject& project)
{
    QJsonObject settings;
    if (!settingsObject(project, kSettingsKey, QStringLiteral("IsDebugOutputSetupSelected"), settings))
        return false;
    IsDebugOutputSetupSelected = readFlag(settings, QStringLiteral("IsDebugOutputSetupSelected"));
    DebugBufferSize = readSize(settings, QStringLiteral("DebugBufferSize"));
    return true;
}

void TarvexMdl_GettingStarted::resetSettings()
{
    IsDebugOutputSetupSelected = true;
    DebugBufferSize = 1024;
}
