#include "tarvexmdl_sms_send.h"

#include "modulesupport.h"

using namespace ModuleSupport;

TarvexMdl_Sms_Send::TarvexMdl_Sms_Send(QObject* parent)
    : TarvexMdl(parent)
{
}

QString TarvexMdl_Sms_Send::getName() const
{
    return QStringLiteral("SMS_Send");
}

QString TarvexMdl_Sms_Send::getDocHtml() const
{
    return docText(QStringLiteral("tarvexmdl_SmsSend.html"));
}

QStringList TarvexMdl_Sms_Send::getLibraryFiles() const
{
    return {QStringLiteral("GSM_SMS_Send.h"), QStringLiteral("GSM_SMS_Send.c")};
}

QString TarvexMdl_Sms_Send::getHeaderInclude() const
{
    return QStringLiteral("/GSM_SMS_Send.h\"\n");
}

QString TarvexMdl_Sms_Send::getHeaderPrototypes() const
{
    return QStringLiteral(
        "\n"
        "// SMS Send Convenience Functions\n"
        "#define gsmmgrSmsSendGetDeliveryStatusReportType gsmSmsSendGetDeliveryStatusReportType\n"
        "extern bool gsmmgrSmsSend(char* phoneNumber, char* textBody);\n"
        "extern void gsmmgrSmsSendCancel();\n");
}

QString TarvexMdl_Sms_Send::getInstanceVariables() const
{
    return QStringLiteral("GSM_SmsSend_Instance mGsmSmsSendInst = {0};\n");
}

QString TarvexMdl_Sms_Send::getEventCallbackFunctions() const
{
    return snippetText(QStringLiteral("tarvexmdl_Sms_Send_EventFunctions.c"));
}

QString TarvexMdl_Sms_Send::getInitCode() const
{
    return QStringLiteral(
        "    \n"
        "    // SMS Send\n"
        "    mGsmSmsSendInst.Power = (&mGsmPwrInst._i);\n"
        "    mGsmSmsSendInst.Prompt = (&mGsmPromptInst._i);\n"
        "    mGsmSmsSendInst.BasicComms = (&mGsmBasicCommsInst._i);\n"
        "    mGsmSmsSendInst.NetworkRegistration = (&mGsmNetworkRegistrationInst._i);\n"
        "    mGsmSmsSendInst.EventHandler = &gsmSmsSendEventHandler;\n"
        "    gsmSmsSendInit(&mGsmSmsSendInst);\n");
}

QString TarvexMdl_Sms_Send::getPollCode() const
{
    return QStringLiteral("    gsmSmsSendPoll(&mGsmSmsSendInst);\n");
}

QString TarvexMdl_Sms_Send::getConvenienceFunctions() const
{
    return snippetText(QStringLiteral("tarvexmdl_Sms_Send_ConvFunctions.c"));
}
