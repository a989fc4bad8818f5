#include "tarvexmdl_http_client_simcom.h"

#include "modulesupport.h"

using namespace ModuleSupport;

TarvexMdl_Http_Client_SIMCom::TarvexMdl_Http_Client_SIMCom(QObject* parent)
    : TarvexMdl(parent)
{
}

QString TarvexMdl_Http_Client_SIMCom::getName() const
{
    return QStringLiteral("HTTP_Client_SIMCom");
}

QString TarvexMdl_Http_Client_SIMCom::getDocHtml() const
{
    return docText(QStringLiteral("tarvexmdl_HttpClientSimcom.html"));
}

QStringList TarvexMdl_Http_Client_SIMCom::getLibraryFiles() const
{
    // The TLS support (certificates, SSL contexts) comes with each client.
    return {QStringLiteral("GSM_HttpClient_Simcom.h"), QStringLiteral("GSM_HttpClient_Simcom.c"),
            QStringLiteral("GSM_Ssl_Simcom.h"), QStringLiteral("GSM_Ssl_Simcom.c")};
}

QString TarvexMdl_Http_Client_SIMCom::getHeaderInclude() const
{
    return QStringLiteral("/GSM_HttpClient_Simcom.h\"\n");
}

QString TarvexMdl_Http_Client_SIMCom::getHeaderPrototypes() const
{
    return QStringLiteral(
        "\n"
        "// HTTP Client (SIMCom) Convenience Functions\n"
        "extern bool gsmmgrHttpClientSimcomGet(char* url);\n"
        "extern bool gsmmgrHttpClientSimcomPost(char* url, char* postData);\n"
        "extern void gsmmgrHttpClientSimcomPostSetContentType(char* contentTypeOrNullForDefault);\n"
        "extern bool gsmmgrHttpClientSimcomHttpOperationPending();\n"
        "extern bool gsmmgrHttpClientSimcomHttpOperationStarted();\n"
        "extern bool gsmmgrHttpClientSimcomCancel();\n"
        "extern void gsmmgrHttpClientSimcomHttpTermWhenDone(bool termWhenDone);\n"
        "extern void gsmmgrHttpClientSimcomSetTimeouts(uint32_t httpActionTimeout_ms, uint32_t httpReadTimeout_ms);\n");
}

QString TarvexMdl_Http_Client_SIMCom::getInstanceVariables() const
{
    return QStringLiteral("GSM_HttpClientSimcom_Instance mGsmHttpClientSimcomInst = {0};\n");
}

QString TarvexMdl_Http_Client_SIMCom::getEventCallbackFunctions() const
{
    return snippetText(QStringLiteral("tarvexmdl_HttpClientSimcom_EventFunctions.c"));
}

QString TarvexMdl_Http_Client_SIMCom::getInitCode() const
{
    return QStringLiteral(
        "    \n"
        "    // HTTP Client (Simcom)\n"
        "    mGsmHttpClientSimcomInst.Power = (&mGsmPwrInst._i);\n"
        "    mGsmHttpClientSimcomInst.Prompt = (&mGsmPromptInst._i);\n"
        "    mGsmHttpClientSimcomInst.InternetConnection = (&mGsmInternetConnectionSimcomInst._i);\n"
        "    mGsmHttpClientSimcomInst.EventHandler = &gsmHttpClientSimcomEventHandler;\n"
        "    gsmHttpClientSimcomInit(&mGsmHttpClientSimcomInst);\n");
}

QString TarvexMdl_Http_Client_SIMCom::getPollCode() const
{
    return QStringLiteral("    gsmHttpClientSimcomPoll(&mGsmHttpClientSimcomInst);\n");
}

QString TarvexMdl_Http_Client_SIMCom::getConvenienceFunctions() const
{
    return snippetText(QStringLiteral("tarvexmdl_HttpClientSimcom_ConvFunctions.c"));
}
