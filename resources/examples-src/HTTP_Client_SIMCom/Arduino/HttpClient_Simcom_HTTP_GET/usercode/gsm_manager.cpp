// USER CODE of this example's gsm_manager.cpp (on top of the shared hardware code).

// USER CODE BEGIN Variables
// HTTPS: the modem checks the server's certificate against this CA (Amazon Root CA 1,
// which signs httpbin.org's certificate chain). The PEM text is downloaded into the
// modem as "amazon_root_ca1.pem" only when the modem does not hold that file yet; it
// stays in flash (GSM_FLASH) and costs no RAM.
static const char kServerCa[] GSM_FLASH =
    "-----BEGIN CERTIFICATE-----\n"
    "MIIDQTCCAimgAwIBAgITBmyfz5m/jAo54vB4ikPmljZbyjANBgkqhkiG9w0BAQsF\n"
    "ADA5MQswCQYDVQQGEwJVUzEPMA0GA1UEChMGQW1hem9uMRkwFwYDVQQDExBBbWF6\n"
    "b24gUm9vdCBDQSAxMB4XDTE1MDUyNjAwMDAwMFoXDTM4MDExNzAwMDAwMFowOTEL\n"
    "MAkGA1UEBhMCVVMxDzANBgNVBAoTBkFtYXpvbjEZMBcGA1UEAxMQQW1hem9uIFJv\n"
    "b3QgQ0EgMTCCASIwDQYJKoZIhvcNAQEBBQADggEPADCCAQoCggEBALJ4gHHKeNXj\n"
    "ca9HgFB0fW7Y14h29Jlo91ghYPl0hAEvrAIthtOgQ3pOsqTQNroBvo3bSMgHFzZM\n"
    "9O6II8c+6zf1tRn4SWiw3te5djgdYZ6k/oI2peVKVuRF4fn9tBb6dNqcmzU5L/qw\n"
    "IFAGbHrQgLKm+a/sRxmPUDgH3KKHOVj4utWp+UhnMJbulHheb4mjUcAwhmahRWa6\n"
    "VOujw5H5SNz/0egwLX0tdHA114gk957EWW67c4cX8jJGKLhD+rcdqsq08p8kDi1L\n"
    "93FcXmn/6pUCyziKrlA4b9v7LWIbxcceVOF34GfID5yHI9Y/QCB/IIDEgEw+OyQm\n"
    "jgSubJrIqg0CAwEAAaNCMEAwDwYDVR0TAQH/BAUwAwEB/zAOBgNVHQ8BAf8EBAMC\n"
    "AYYwHQYDVR0OBBYEFIQYzIU07LwMlJQuCFmcx7IQTgoIMA0GCSqGSIb3DQEBCwUA\n"
    "A4IBAQCY8jdaQZChGsV2USggNiMOruYou6r4lK5IpDB/G/wkjUu0yKGX9rbxenDI\n"
    "U5PMCCjjmCXPI6T53iHTfIUJrU6adTrCC2qJeHZERxhlbI1Bjjt/msv0tadQ1wUs\n"
    "N+gDS63pYaACbvXy8MWy7Vu33PqUXHeeE6V/Uq2V8viTO96LXFvKWlJbYK8U90vv\n"
    "o/ufQJVtMVT8QtPHRh8jrdkPSHCa2XV4cdFyQzR1bldZwgJcJmApzyMZFo6IQ6XU\n"
    "5MsI+yMRQ+hDKXJioaldXgjUkK642M4UwtBV8ob2xJNDd2ZhwLnoQdeXeGADbkpy\n"
    "rqXRfboQnoZsG4q5WTP468SQvvG5\n"
    "-----END CERTIFICATE-----\n";
static const GSM_SslSimcom_File kServerCaFile = {"amazon_root_ca1.pem", (const uint8_t*)kServerCa,
                                                 (uint16_t)(sizeof(kServerCa) - 1u)};
static const GSM_SslSimcom_Config kSslConfig = {
    0u,                           /* SSL context 0 (also what firmware without HTTPPARA "SSLCFG" uses) */
    GSM_SslSimcom_Version_Tls12,  /* TLS 1.2 */
    GSM_SslSimcom_Auth_Server,    /* verify the server against kServerCaFile */
    true,                         /* send the host name (SNI) */
    &kServerCaFile, 0, 0};
static GSM_SslSimcom_Instance mSsl = {0};
// USER CODE END Variables

void gsmmgrInit()
{
    // USER CODE BEGIN Init
    mSsl.Prompt = (&mGsmPromptInst._i);
    mSsl.Config = &kSslConfig;
    gsmSslSimcomInit(&mSsl);
    // A SIM800 (2G) cannot verify a server: there https pages are fetched encrypted but
    // unverified, without the TLS settings above.
    if (gsmInternetConnectionIfFamily(mGsmHttpClientSimcomInst.InternetConnection) != GSM_InternetConnection_Family_2G)
    {
        mGsmHttpClientSimcomInst.Ssl = &mSsl;
    }
    // USER CODE END Init
}

void gsmHttpClientSimcomEventHandler(GSM_HttpClientSimcom_Instance* inst, GSM_HttpClientSimcom_EventType event_type, void* event_data)
{
    // USER CODE BEGIN gsmHttpClientSimcomEventHandler
    (void)inst;
    if (event_type == GSM_HttpClientSimcom_EventType_HttpResult)
    {
        // A long response comes in several pieces, in order; DataOffset says where
        // each belongs and LastSegment marks the request's last event.
        const GSM_HttpClientSimcom_Event_HttpResult* result = (const GSM_HttpClientSimcom_Event_HttpResult*)event_data;
        if (result->DataOffset == 0u)
        {
            debugText("HTTP status ");
            debugUnsigned(result->ResultStatusCode);
            if (GSM_HTTP_SIMCOM_IS_TLS_FAILURE(result->ResultStatusCode))
            {
                debugText(" (TLS handshake or certificate check failed)");
            }
            else if (result->ResultStatusCode >= 900u)
            {
                debugText(" (no answer from the server: no connection, or the modem gave up)");
            }
            else if (result->ResultStatusCode >= 600u)
            {
                debugText(" (reported by the modem: network, DNS or server problem)");
            }
            debugText(", ");
            debugUnsigned(result->ContentLength);
            debugText(" bytes:\r\n");
        }
        if (result->DataLength > 0u)
        {
            debugText(result->DataResult);
        }
        if (result->LastSegment)
        {
            debugText("\r\n--- end of response ---\r\n");
        }
    }
    // USER CODE END gsmHttpClientSimcomEventHandler
}
