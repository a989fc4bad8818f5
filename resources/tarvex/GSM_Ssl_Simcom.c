/*
 * GSM_Ssl_Simcom.c - certificate files and SSL context setup (see the header for the
 * command flow).
 */
#include "GSM_Ssl_Simcom.h"
#include "GSM_Internet_Helper.h"
#include "GSM_Util.h"
#include <string.h>

enum
{
    ST_IDLE = 0,
    ST_BUSY,
    ST_READY,
    ST_FAILED
};

/* Steps, in the order they run (a step that does not apply is skipped). */
enum
{
    S_DELE = 0,  /* AT+CCERTDELE="<file>" */
    S_LIST,      /* AT+CCERTLIST */
    S_DOWN_CA,   /* AT+CCERTDOWN="<file>",<n> > data */
    S_DOWN_CERT,
    S_DOWN_KEY,
    S_VERSION,   /* AT+CSSLCFG="sslversion",<ctx>,<v> */
    S_AUTH,      /* AT+CSSLCFG="authmode",<ctx>,<m> */
    S_CA,        /* AT+CSSLCFG="cacert",<ctx>,"<file>" */
    S_CERT,      /* AT+CSSLCFG="clientcert",<ctx>,"<file>" */
    S_KEY,       /* AT+CSSLCFG="clientkey",<ctx>,"<file>" */
    S_SNI,       /* AT+CSSLCFG="enableSNI",<ctx>,<0|1> */
    S_DONE
};

#define ERR_CONFIG 0xFFFFu

typedef GSM_SslSimcom_Instance Inst;

/* File 0 (CA), 1 (client certificate) or 2 (client key) when the mode needs it. */
static const GSM_SslSimcom_File* fileOf(const Inst* inst, uint8_t i)
{
    const GSM_SslSimcom_Config* c = inst->Config;

    if (i == 0u)
    {
        return (c->AuthMode >= GSM_SslSimcom_Auth_Server) ? c->CaCert : 0;
    }
    if (c->AuthMode != GSM_SslSimcom_Auth_ServerAndClient)
    {
        return 0;
    }
    return (i == 1u) ? c->ClientCert : c->ClientKey;
}

static bool fileUsable(const GSM_SslSimcom_File* f)
{
    return f != 0 && f->Data != 0 && f->Length > 0u &&
           gsmInternetHelperIsQuotable(f->Name, GSM_SSL_SIMCOM_MAX_FILE_NAME);
}

static bool configUsable(const Inst* inst)
{
    const GSM_SslSimcom_Config* c = inst->Config;
    uint8_t i;

    if (c == 0 || c->ContextId > 9u || c->Version > GSM_SslSimcom_Version_Any ||
        c->AuthMode > GSM_SslSimcom_Auth_ServerAndClient)
    {
        return false;
    }
    for (i = 0; i < 3u; i++)
    {
        if ((c->AuthMode > i || (i == 2u && c->AuthMode == GSM_SslSimcom_Auth_ServerAndClient)) &&
            !fileUsable(fileOf(inst, i)))
        {
            return false;
        }
    }
    return true;
}

static bool applies(const Inst* inst, uint8_t step)
{
    switch (step)
    {
    case S_DELE:
        return inst->DeleteName != 0;
    case S_DOWN_CA:
    case S_DOWN_CERT:
    case S_DOWN_KEY:
        return fileOf(inst, (uint8_t)(step - S_DOWN_CA)) != 0 &&
               !(inst->Present & (1u << (step - S_DOWN_CA)));
    case S_CA:
    case S_CERT:
    case S_KEY:
        return fileOf(inst, (uint8_t)(step - S_CA)) != 0;
    default:
        return true;
    }
}

static void fail(Inst* inst, uint16_t code)
{
    inst->State = ST_FAILED;
    inst->ErrorCode = code;
    /* A bare ERROR (0) and a timeout (0xFFFF) have no cause to report. */
    inst->CmeFailure = (uint16_t)(code + 1u) > 1u;
}

/* AT+CSSLCFG="<name>",<ctx>, with the quoted name as a text in flash. */
static void writeSetting(GSM_Prompt_Interface* p, const char* quotedName, uint8_t ctx)
{
    gsmPromptWriteText_P(p, GSM_F("AT+CSSLCFG="));
    gsmPromptWriteText_P(p, quotedName);
    gsmPromptWriteChar(p, ',');
    gsmPromptWriteInt(p, ctx);
    gsmPromptWriteChar(p, ',');
}

static bool sendStep(Inst* inst)
{
    GSM_Prompt_Interface* p = inst->Prompt;
    const GSM_SslSimcom_Config* c = inst->Config;
    const GSM_SslSimcom_File* f;
    uint8_t flags = 0;

    switch (inst->Step)
    {
    case S_DELE:
        gsmPromptWriteText_P(p, GSM_F("AT+CCERTDELE="));
        gsmPromptWriteQuoted(p, inst->DeleteName);
        break;
    case S_LIST:
        gsmPromptWriteText_P(p, GSM_F("AT+CCERTLIST"));
        break;
    case S_DOWN_CA:
    case S_DOWN_CERT:
    case S_DOWN_KEY:
        f = fileOf(inst, (uint8_t)(inst->Step - S_DOWN_CA));
        gsmPromptWriteText_P(p, GSM_F("AT+CCERTDOWN="));
        gsmPromptWriteQuoted(p, f->Name);
        gsmPromptWriteChar(p, ',');
        gsmPromptWriteInt(p, f->Length);
        flags = GSM_PROMPT_SEND_DATA_PROMPT;
        break;
    case S_VERSION:
        writeSetting(p, GSM_F("\"sslversion\""), c->ContextId);
        gsmPromptWriteInt(p, c->Version);
        break;
    case S_AUTH:
        writeSetting(p, GSM_F("\"authmode\""), c->ContextId);
        gsmPromptWriteInt(p, c->AuthMode);
        break;
    case S_CA:
    case S_CERT:
    case S_KEY:
        writeSetting(p,
                     (inst->Step == S_CA)     ? GSM_F("\"cacert\"")
                     : (inst->Step == S_CERT) ? GSM_F("\"clientcert\"")
                                              : GSM_F("\"clientkey\""),
                     c->ContextId);
        gsmPromptWriteQuoted(p, fileOf(inst, (uint8_t)(inst->Step - S_CA))->Name);
        break;
    default: /* S_SNI */
        writeSetting(p, GSM_F("\"enableSNI\""), c->ContextId);
        gsmPromptWriteInt(p, c->EnableSni ? 1 : 0);
        break;
    }
    return gsmPromptSend(p, GSM_SSL_SIMCOM_COMMAND_TIMEOUT_MS, flags);
}

/* Moves past `step` to the next one that applies (in our Final event: sent at once). */
static void advance(Inst* inst, uint8_t step)
{
    do
    {
        step++;
    } while (step < S_DONE && !applies(inst, step));
    inst->Step = step;
    if (step == S_DONE)
    {
        inst->State = ST_READY;
        inst->PromptSession = gsmPromptSession(inst->Prompt);
        return;
    }
    if (!sendStep(inst))
    {
        gsmPromptRequest(inst->Prompt, &inst->Client);
    }
}

/* "+CCERTLIST: "<file>"": marks the configured files the modem already holds. */
static void onListLine(Inst* inst, char* line)
{
    char* name = gsmUtilAfterPrefix_P(line, GSM_F("+CCERTLIST:"));
    size_t n;
    uint8_t i;

    while (*name == ' ')
    {
        name++;
    }
    if (*name == '"')
    {
        name++;
    }
    n = strlen(name);
    if (n > 0u && name[n - 1u] == '"')
    {
        name[--n] = '\0';
    }
    for (i = 0; i < 3u; i++)
    {
        const GSM_SslSimcom_File* f = fileOf(inst, i);
        if (f != 0 && strcmp(f->Name, name) == 0)
        {
            inst->Present |= (uint8_t)(1u << i);
        }
    }
}

static void onFinal(Inst* inst, const GSM_Prompt_Event* ev)
{
    if (inst->State != ST_BUSY)
    {
        return;
    }
    if (ev->Result == GSM_Result_Ok || (inst->Step == S_DELE && ev->Result != GSM_Result_Timeout &&
                                        ev->Result != GSM_Result_Aborted))
    {
        /* A file that is not there to delete is no failure. */
        if (inst->Step == S_DELE)
        {
            inst->DeleteName = 0;
        }
        advance(inst, inst->Step);
        return;
    }
    fail(inst, (ev->Result == GSM_Result_CmeError || ev->Result == GSM_Result_CmsError) ? ev->ErrorCode
               : (ev->Result == GSM_Result_Error)                                       ? (uint16_t)0u
                                                                                        : (uint16_t)ERR_CONFIG);
}

static bool handler(GSM_Prompt_Client* client, GSM_Prompt_Event* ev)
{
    Inst* inst = GSM_CONTAINER_OF(client, Inst, Client);
    const GSM_SslSimcom_File* f;

    switch (ev->Type)
    {
    case GSM_Prompt_EventType_Start:
        if (inst->State == ST_BUSY)
        {
            (void)sendStep(inst);
        }
        return true;
    case GSM_Prompt_EventType_Line:
        if (inst->Step == S_LIST && gsmUtilStartsWith_P(ev->Line, GSM_F("+CCERTLIST:")))
        {
            onListLine(inst, ev->Line);
            return true;
        }
        return false;
    case GSM_Prompt_EventType_DataPrompt:
        if (inst->Step >= S_DOWN_CA && inst->Step <= S_DOWN_KEY)
        {
            f = fileOf(inst, (uint8_t)(inst->Step - S_DOWN_CA));
            (void)gsmPromptWriteData(inst->Prompt, f->Data, f->Length, GSM_PROMPT_DATA_FLASH);
        }
        return true;
    case GSM_Prompt_EventType_Final:
        onFinal(inst, ev);
        return true;
    default:
        return false;
    }
}

void gsmSslSimcomInit(GSM_SslSimcom_Instance* inst)
{
    if (inst == 0)
    {
        return;
    }
    inst->State = ST_IDLE;
    inst->ErrorCode = 0;
    inst->Prepare = &gsmSslSimcomPrepare;
    inst->Client.UrcPrefixes = 0;
    gsmPromptRegisterHandler(inst->Prompt, &inst->Client, &handler, 0); /* (no URCs) */
}

void gsmSslSimcomSetConfig(GSM_SslSimcom_Instance* inst, const GSM_SslSimcom_Config* config)
{
    if (inst == 0 || inst->State == ST_BUSY)
    {
        return;
    }
    inst->Config = config;
    inst->State = ST_IDLE;
}

GSM_SslSimcom_State gsmSslSimcomPrepare(GSM_SslSimcom_Instance* inst)
{
    if (inst == 0)
    {
        return GSM_SslSimcom_State_Failed;
    }
    if (inst->State == ST_BUSY && gsmPromptSession(inst->Prompt) != inst->PromptSession &&
        !gsmPromptIsBusy(inst->Prompt, &inst->Client))
    {
        inst->State = ST_IDLE; /* the modem restarted under a setup that was cut short */
    }
    if (inst->State == ST_READY && gsmPromptSession(inst->Prompt) == inst->PromptSession)
    {
        return GSM_SslSimcom_State_Ready;
    }
    if (inst->State == ST_FAILED)
    {
        inst->State = ST_IDLE; /* reported once; the next call tries again */
        return GSM_SslSimcom_State_Failed;
    }
    if (inst->State != ST_BUSY)
    {
        if (!configUsable(inst))
        {
            inst->ErrorCode = ERR_CONFIG;
            inst->CmeFailure = 0;
            return GSM_SslSimcom_State_Failed;
        }
        inst->State = ST_BUSY;
        inst->Present = 0;
        inst->PromptSession = gsmPromptSession(inst->Prompt);
        inst->Step = (inst->DeleteName != 0) ? (uint8_t)S_DELE : (uint8_t)S_LIST;
        gsmPromptRequest(inst->Prompt, &inst->Client);
    }
    return GSM_SslSimcom_State_Busy;
}

bool gsmSslSimcomDeleteFile(GSM_SslSimcom_Instance* inst, const char* name)
{
    if (inst == 0 || inst->State == ST_BUSY || !gsmInternetHelperIsQuotable(name, GSM_SSL_SIMCOM_MAX_FILE_NAME))
    {
        return false;
    }
    inst->DeleteName = name;
    inst->State = ST_IDLE;
    return true;
}
