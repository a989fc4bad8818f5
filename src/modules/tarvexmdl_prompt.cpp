#include "tarvexmdl_prompt.h"

#include "modulesupport.h"

using namespace ModuleSupport;

namespace {
const QString kSettingsKey = QStringLiteral("Prompt");
}

TarvexMdl_Prompt::TarvexMdl_Prompt(QObject* parent)
    : TarvexMdl(parent)
{
}

QString TarvexMdl_Prompt::getName() const
{
    return QStringLiteral("Prompt");
}

QString TarvexMdl_Prompt::getDocHtml() const
{
    return docText(QStringLiteral("tarvexmdl_Prompt.html"));
}

QStringList TarvexMdl_Prompt::getLibraryFiles() const
{
    return {QStringLiteral("GSM_Prompt.h"), QStringLiteral("GSM_Prompt.c"),
            QStringLiteral("GSM_Prompt_Helper.h"), QStringLiteral("GSM_Prompt_Helper.c"),
            QStringLiteral("GSM_Prompt_Interface.h")};
}

QString TarvexMdl_Prompt::getHeaderInclude() const
{
    return QStringLiteral("/GSM_Prompt.h\"\n");
}

QString TarvexMdl_Prompt::getSourceIncludes() const
{
    // The circular buffers need circbuff.h; the include carries no line end.
    if (IsCircularTxSetupSelected || IsCircularRxSetupSelected)
        return QStringLiteral("#include \"circbuff.h\"");
    return QString();
}

QString TarvexMdl_Prompt::getGeneralVariables() const
{
    QString text;
    if (IsPromptSetupSelected) {
        text += QStringLiteral("\n")
            + QStringLiteral("// --- GSM Prompt ---\n\n")
            + QStringLiteral("// Prompt Buffer\n")
            + QStringLiteral("static uint8_t mau8GsmPromptBuff[") + sizeText(PromptBufferSize)
            + QStringLiteral("];\n");
    }
    if (IsEchoCancSetupSelected) {
        text += QStringLiteral("\n")
            + QStringLiteral("// Echo Cancellation Buffer\n")
            + QStringLiteral("static uint8_t mau8UartGsmEchoCancelBuff[") + sizeText(EchoCancellationBufferSize)
            + QStringLiteral("];\n");
    }
    if (IsCircularTxSetupSelected) {
        text += QStringLiteral("\n")
            + QStringLiteral("// UART GSM Tx buffer\n")
            + QStringLiteral("static uint8_t mau8UartGsmTxBuff[") + sizeText(CircularTxBufferSize)
            + QStringLiteral("];\n")
            + QStringLiteral("CircBuff mcbfGsmTx;\n");
    }
    if (IsCircularRxSetupSelected) {
        text += QStringLiteral("\n")
            + QStringLiteral("// UART GSM Rx buffer\n")
            + QStringLiteral("static uint8_t mau8UartGsmRxBuff[") + sizeText(CircularRxBufferSize)
            + QStringLiteral("];\n")
            + QStringLiteral("CircBuff mcbfGsmRx;\n");
    }
    return text;
}

QString TarvexMdl_Prompt::getInstanceVariables() const
{
    return QStringLiteral("GSM_Prompt_Instance mGsmPromptInst = {0};\n");
}

QString TarvexMdl_Prompt::getGeneralCallbackFunctions() const
{
    QString text = QStringLiteral("\n// --- GSM Prompt ---\n");
    if (IsCircularRxSetupSelected) {
        // Only a circular Rx buffer needs the function that fills it.
        text += QStringLiteral(
            "\nvoid gsmRxPoll()\n"
            "{\n"
            "    // USER CODE BEGIN gsmRxPoll\n"
            "    // ToDo: Add Hardware Abstraction Layer (HAL) code here to write incoming UART data into circular Rx buffer.\n\n"
            "    // Arduino / Circular Buffer E.g.:\n"
            "    /*\n"
            "    while (gsmSerial.available() > 0)\n"
            "    {\n"
            "        // Write data into circular buffer.\n"
            "        if (!cbufWrite(&mcbfGsmRx, gsmSerial.read()))\n"
            "        {\n"
            "            // Circular buffer is full!\n"
            "        }\n"
            "    }\n"
            "    */\n"
            "    // USER CODE END gsmRxPoll\n"
            "}\n");
    }
    text += snippetText(QStringLiteral("tarvexmdl_Prompt_GeneralCallbackFunctions.c"));
    return text;
}

QString TarvexMdl_Prompt::getInitCode() const
{
    QString code = QStringLiteral("    \n")
        + QStringLiteral("    // Prompt\n")
        + QStringLiteral("    mGsmPromptInst.Power = &(mGsmPwrInst._i);\n");
    if (IsPromptSetupSelected) {
        code += QStringLiteral("    mGsmPromptInst.DataBuffer = mau8GsmPromptBuff;\n")
            + QStringLiteral("    mGsmPromptInst.DataBufferSize = sizeof(mau8GsmPromptBuff);\n");
    }
    code += QStringLiteral("    mGsmPromptInst.Write = &gsmWrite;\n")
        + QStringLiteral("    mGsmPromptInst.WriteCompleted = &gsmWriteCompleted;\n")
        + QStringLiteral("    mGsmPromptInst.CanRead = &gsmCanRead;\n")
        + QStringLiteral("    mGsmPromptInst.Read = &gsmRead;\n");
    if (IsEchoCancSetupSelected) {
        code += QStringLiteral("    mGsmPromptInst.EchoCancellationBuffer = mau8UartGsmEchoCancelBuff;\n")
            + QStringLiteral("    mGsmPromptInst.EchoCancellationBufferSize = sizeof(mau8UartGsmEchoCancelBuff);\n");
    }
    code += QStringLiteral("    gsmPromptInit(&mGsmPromptInst);\n");
    if (IsCircularTxSetupSelected) {
        code += QStringLiteral("\n")
            + QStringLiteral("    // GSM Tx buffer setup\n")
            + QStringLiteral("    mcbfGsmTx.Buffer = mau8UartGsmTxBuff;\n")
            + QStringLiteral("    mcbfGsmTx.BufferSize = sizeof(mau8UartGsmTxBuff);\n")
            + QStringLiteral("    cbufInit(&mcbfGsmTx);\n");
    }
    if (IsCircularRxSetupSelected) {
        code += QStringLiteral("\n")
            + QStringLiteral("    // GSM Rx buffer setup\n")
            + QStringLiteral("    mcbfGsmRx.Buffer = mau8UartGsmRxBuff;\n")
            + QStringLiteral("    mcbfGsmRx.BufferSize = sizeof(mau8UartGsmRxBuff);\n")
            + QStringLiteral("    cbufInit(&mcbfGsmRx);\n");
    }
    return code;
}

QString TarvexMdl_Prompt::getPollCode() const
{
    QString code;
    if (IsCircularRxSetupSelected)
        code += QStringLiteral("    gsmRxPoll();\n");
    code += QStringLiteral("    gsmPromptPoll(&mGsmPromptInst);\n")
        + QStringLiteral("    gsmTxPoll();\n");
    return code;
}

bool TarvexMdl_Prompt::saveSettings(QJsonObject& project)
{
    QJsonObject settings;
    settings.insert(QStringLiteral("IsPromptSetupSelected"), IsPromptSetupSelected);
    settings.insert(QStringLiteral("IsEchoCancSetupSelected"), IsEchoCancSetupSelected);
    settings.insert(QStringLiteral("IsCircularTxSetupSelected"), IsCircularTxSetupSelected);
    settings.insert(QStringLiteral("IsCircularRxSetupSelected"), IsCircularRxSetupSelected);
    settings.insert(QStringLiteral("PromptBufferSize"), PromptBufferSize);
    settings.insert(QStringLiteral("EchoCancellationBufferSize"), EchoCancellationBufferSize);
    settings.insert(QStringLiteral("CircularTxBufferSize"), CircularTxBufferSize);
    settings.insert(QStringLiteral("CircularRxBufferSize"), CircularRxBufferSize);
    project.insert(kSettingsKey, settings);
    return true;
}

bool TarvexMdl_Prompt::loadSettings(QJsonObject& project)
{
    QJsonObject settings;
    if (!settingsObject(project, kSettingsKey, QStringLiteral("IsPromptSetupSelected"), settings))
        return false;
    IsPromptSetupSelected = readFlag(settings, QStringLiteral("IsPromptSetupSelected"));
    IsEchoCancSetupSelected = readFlag(settings, QStringLiteral("IsEchoCancSetupSelected"));
    IsCircularTxSetupSelected = readFlag(settings, QStringLiteral("IsCircularTxSetupSelected"));
    IsCircularRxSetupSelected = readFlag(settings, QStringLiteral("IsCircularRxSetupSelected"));
    PromptBufferSize = readSize(settings, QStringLiteral("PromptBufferSize"));
    EchoCancellationBufferSize = readSize(settings, QStringLiteral("EchoCancellationBufferSize"));
    CircularTxBufferSize = readSize(settings, QStringLiteral("CircularTxBufferSize"));
    CircularRxBufferSize = readSize(settings, QStringLiteral("CircularRxBufferSize"));
    return true;
}

void TarvexMdl_Prompt::resetSettings()
{
    IsPromptSetupSelected = true;
    PromptBufferSize = 1024;
    IsEchoCancSetupSelected = true;
    EchoCancellationBufferSize = 1024;
    IsCircularTxSetupSelected = true;
    CircularTxBufferSize = 1024;
    IsCircularRxSetupSelected = true;
    CircularRxBufferSize = 1024;
}
