/*
 * GSM_Ssl_Simcom.h - the TLS side of SIMCom LTE modems (SIM7600 family): certificate
 * files in the modem's file system and the SSL contexts that the HTTP and MQTT clients
 * use for https:// requests and MQTT over TLS. The modem runs TLS itself; the
 * microcontroller only configures it.
 *
 * The application describes one SSL context in a GSM_SslSimcom_Config: context number,
 * TLS version, server verification (none; the server certificate against a CA; also a
 * client certificate and key for mutual TLS), SNI, and the certificate files as
 * constant data (PEM text in flash, no heap). It gives the instance to the client
 * (mGsmHttpClientSimcomInst.Ssl or mGsmMqttClientSimcomInst.Ssl) from USER CODE; the
 * client calls gsmSslSimcomPrepare() before its session, which runs once per modem
 * start:
 *   AT+CCERTLIST                    -> +CCERTLIST: "<file>" lines, OK
 *   AT+CCERTDOWN="<file>",<length>  -> "> ", <length> bytes of data, OK
 *                                      (only for files not listed, i.e. not in the modem)
 *   AT+CSSLCFG="sslversion",<ctx>,<version>
 *   AT+CSSLCFG="authmode",<ctx>,<mode>
 *   AT+CSSLCFG="cacert",<ctx>,"<file>"          (verification on)
 *   AT+CSSLCFG="clientcert",<ctx>,"<file>"      (mutual TLS)
 *   AT+CSSLCFG="clientkey",<ctx>,"<file>"       (mutual TLS)
 *   AT+CSSLCFG="enableSNI",<ctx>,<0|1>
 * A file whose content changed needs a new name (or gsmSslSimcomDeleteFile() first):
 * a file found in the modem is never downloaded again.
 *
 * Wiring (in USER CODE, after gsmmgrInit's module initialisation):
 *     static GSM_SslSimcom_Instance mSsl = {0};
 *     mSsl.Prompt = (&mGsmPromptInst._i);
 *     mSsl.Config = &mySslConfig;
 *     gsmSslSimcomInit(&mSsl);
 *     mGsmHttpClientSimcomInst.Ssl = &mSsl;      (or mGsmMqttClientSimcomInst.Ssl)
 * No Poll is needed: the engine's events drive the module, the clients start it.
 * The clients reach the module only through the Prepare pointer that gsmSslSimcomInit()
 * sets, so a project that never initialises an SSL instance does not link this module.
 *
 * The certificate data is read from flash (GSM_FLASH, PROGMEM on AVR) while it is sent:
 *     static const uint8_t kCa[] GSM_FLASH = "-----BEGIN CERTIFICATE-----\n...";
 *     static const GSM_SslSimcom_File kCaFile = {"ca.pem", kCa, sizeof(kCa) - 1u};
 * Elsewhere than on AVR flash and RAM share one address space: any constant will do.
 */
#ifndef GSM_SSL_SIMCOM_H_
#define GSM_SSL_SIMCOM_H_

#include "GSM_Globals.h"
#include "GSM_Prompt_Interface.h"

#ifdef __cplusplus
extern "C" {
#endif

#ifndef GSM_SSL_SIMCOM_COMMAND_TIMEOUT_MS
#define GSM_SSL_SIMCOM_COMMAND_TIMEOUT_MS 10000u   /* each command, and a download after its data */
#endif
#define GSM_SSL_SIMCOM_MAX_FILE_NAME 63u           /* longest file name in the modem */

/* TLS versions (AT+CSSLCFG="sslversion"). */
enum
{
    GSM_SslSimcom_Version_Ssl3 = 0,
    GSM_SslSimcom_Version_Tls10 = 1,
    GSM_SslSimcom_Version_Tls11 = 2,
    GSM_SslSimcom_Version_Tls12 = 3,
    GSM_SslSimcom_Version_Any = 4
};

/* Server verification (AT+CSSLCFG="authmode"). */
enum
{
    GSM_SslSimcom_Auth_None = 0,             /* encrypt only: any server certificate is accepted */
    GSM_SslSimcom_Auth_Server = 1,           /* the server certificate is checked against CaCert */
    GSM_SslSimcom_Auth_ServerAndClient = 2   /* ... and the modem shows ClientCert/ClientKey */
};

/* What gsmSslSimcomPrepare() reports. */
typedef uint8_t GSM_SslSimcom_State;
enum
{
    GSM_SslSimcom_State_Busy = 0,    /* being set up (or waiting for its turn) */
    GSM_SslSimcom_State_Ready = 1,   /* the context is configured in the modem */
    GSM_SslSimcom_State_Failed = 2   /* a command was refused: see gsmSslSimcomErrorCode() */
};

/* One certificate or key file. */
typedef struct
{
    const char* Name;      /* file name in the modem, e.g. "ca.pem" (no '"' or control characters) */
    const uint8_t* Data;   /* the file's contents (PEM text), in flash (GSM_FLASH) */
    uint16_t Length;       /* bytes of Data */
} GSM_SslSimcom_File;

typedef struct
{
    uint8_t ContextId;                     /* SSL context 0..9 */
    uint8_t Version;                       /* GSM_SslSimcom_Version_... */
    uint8_t AuthMode;                      /* GSM_SslSimcom_Auth_... */
    bool EnableSni;                        /* send the host name (server name indication) */
    const GSM_SslSimcom_File* CaCert;      /* needed from Auth_Server on; else may be null */
    const GSM_SslSimcom_File* ClientCert;  /* needed for Auth_ServerAndClient */
    const GSM_SslSimcom_File* ClientKey;   /* needed for Auth_ServerAndClient */
} GSM_SslSimcom_Config;

typedef struct GSM_SslSimcom_Instance_s
{
    GSM_Prompt_Interface* Prompt;
    const GSM_SslSimcom_Config* Config;    /* set before the first request; see gsmSslSimcomSetConfig() */

    /* Private state. */
    /* gsmSslSimcomPrepare, set by gsmSslSimcomInit(): the clients call the module
     * through it only, so that it is linked only where it is initialised. */
    GSM_SslSimcom_State (*Prepare)(struct GSM_SslSimcom_Instance_s* inst);
    GSM_Prompt_Client Client;
    const char* DeleteName;
    uint16_t ErrorCode;
    uint8_t CmeFailure;     /* the last failure was a +CME/+CMS ERROR with a cause (not 0, not a
                             * timeout): GSM_Result_Error + CmeFailure is the clients' Result */
    uint8_t State;
    uint8_t Step;
    uint8_t Present;        /* files (bit per file) found in the modem */
    uint8_t PromptSession;  /* modem start the context was configured in */
} GSM_SslSimcom_Instance;

/* Registers the module with the engine. */
void gsmSslSimcomInit(GSM_SslSimcom_Instance* inst);

/* Uses `config` from the next session on (its files and strings must stay valid). */
void gsmSslSimcomSetConfig(GSM_SslSimcom_Instance* inst, const GSM_SslSimcom_Config* config);

/* Called by the clients: starts the setup when the context is not configured in the
 * running modem, and reports where it stands. After Failed the next call starts again. */
GSM_SslSimcom_State gsmSslSimcomPrepare(GSM_SslSimcom_Instance* inst);

/* The last failure: <n> of "+CME ERROR: <n>", 0 for a bare ERROR, 0xFFFF for a timeout
 * or a configuration that cannot work (a verification mode without its files). */
static inline uint16_t gsmSslSimcomErrorCode(const GSM_SslSimcom_Instance* inst)
{
    return (inst != 0) ? inst->ErrorCode : 0xFFFFu;
}

/* True when the configuration asks the modem to verify the server. */
static inline bool gsmSslSimcomVerifies(const GSM_SslSimcom_Instance* inst)
{
    return inst != 0 && inst->Config != 0 && inst->Config->AuthMode != GSM_SslSimcom_Auth_None;
}

/* For the clients: gsmSslSimcomPrepare() through the instance's Prepare pointer (an
 * instance that was never initialised reports Failed). */
static inline GSM_SslSimcom_State gsmSslSimcomPrepareLinked(GSM_SslSimcom_Instance* inst)
{
    return (inst->Prepare != 0) ? inst->Prepare(inst) : (GSM_SslSimcom_State)GSM_SslSimcom_State_Failed;
}

/* Removes `name` from the modem (AT+CCERTDELE) before the next setup, which then
 * downloads the configured files again. Returns false while a setup is running. */
bool gsmSslSimcomDeleteFile(GSM_SslSimcom_Instance* inst, const char* name);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GSM_SSL_SIMCOM_H_ */
