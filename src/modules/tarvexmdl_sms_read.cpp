#include "tarvexmdl_sms_read.h"

#include "modulesupport.h"

using namespace ModuleSupport;

TarvexMdl_Sms_Read::TarvexMdl_Sms_Read(QObject* parent)
    : TarvexMdl(parent)
{
}

QString TarvexMdl_Sms_Read::getName() const
{
    return QStringLiteral("SMS_Read");
}

QString TarvexMdl_Sms_Read::getDocHtml() const
{
    return docText(QStringLiteral("tarvexmdl_SmsRead.html"));
}

QStringList TarvexMdl_Sms_Read::getLibraryFiles() const
{
    return {QStringLiteral("GSM_SMS_Read.h"), QStringLiteral("GSM_SMS_Read.c")};
}

QString TarvexMdl_Sms_Read::getHeaderInclude() const
{
    return QStringLiteral("/GSM_SMS_Read.h\"\n");
}

QString TarvexMdl_Sms_Read::getInstanceVariables() const
{
    return QStringLiteral("GSM_SmsRead_Instance mGsmSmsReadInst = {0};\n");
}

QString TarvexMdl_Sms_Read::getEventCallbackFunctions() const
{
    return snippetText(QStringLiteral("tarvexmdl_Sms_Read_EventFunctions.c"));
}

QString TarvexMdl_Sms_Read::getInitCode() const
{
    return QStringLiteral(
        "    \n"
        "    // SMS Read\n"
        "    mGsmSmsReadInst.Power = (&mGsmPwrInst._i);\n"
        "    mGsmSmsReadInst.Prompt = (&mGsmPromptInst._i);\n"
        "    mGsmSmsReadInst.BasicComms = (&mGsmBasicCommsInst._i);\n"
        "    mGsmSmsReadInst.EventHandler = &gsmSmsReadEventHandler;\n"
        "    gsmSmsReadInit(&mGsmSmsReadInst);\n");
}

QString TarvexMdl_Sms_Read::getPollCode() const
{
    return QStringLiteral("    gsmSmsReadPoll(&mGsmSmsReadInst);\n");
}
