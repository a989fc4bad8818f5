// USER CODE of this example's gsm_manager.c (on top of the shared hardware code).

// USER CODE BEGIN Variables
// MQTT over TLS: the modem checks the broker's certificate against this CA (ISRG Root X1,
// the root of Let's Encrypt, which issues broker.hivemq.com's certificate). The PEM text
// is downloaded into the modem as "isrg_root_x1.pem" only when the modem does not hold
// that file yet; it stays in flash (GSM_FLASH) and costs no RAM. For another broker
// put its CA here.
static const char kBrokerCa[] GSM_FLASH =
    "-----BEGIN CERTIFICATE-----\n"
    "MIIFazCCA1OgAwIBAgIRAIIQz7DSQONZRGPgu2OCiwAwDQYJKoZIhvcNAQELBQAw\n"
    "TzELMAkGA1UEBhMCVVMxKTAnBgNVBAoTIEludGVybmV0IFNlY3VyaXR5IFJlc2Vh\n"
    "cmNoIEdyb3VwMRUwEwYDVQQDEwxJU1JHIFJvb3QgWDEwHhcNMTUwNjA0MTEwNDM4\n"
    "WhcNMzUwNjA0MTEwNDM4WjBPMQswCQYDVQQGEwJVUzEpMCcGA1UEChMgSW50ZXJu\n"
    "ZXQgU2VjdXJpdHkgUmVzZWFyY2ggR3JvdXAxFTATBgNVBAMTDElTUkcgUm9vdCBY\n"
    "MTCCAiIwDQYJKoZIhvcNAQEBBQADggIPADCCAgoCggIBAK3oJHP0FDfzm54rVygc\n"
    "h77ct984kIxuPOZXoHj3dcKi/vVqbvYATyjb3miGbESTtrFj/RQSa78f0uoxmyF+\n"
    "0TM8ukj13Xnfs7j/EvEhmkvBioZxaUpmZmyPfjxwv60pIgbz5MDmgK7iS4+3mX6U\n"
    "A5/TR5d8mUgjU+g4rk8Kb4Mu0UlXjIB0ttov0DiNewNwIRt18jA8+o+u3dpjq+sW\n"
    "T8KOEUt+zwvo/7V3LvSye0rgTBIlDHCNAymg4VMk7BPZ7hm/ELNKjD+Jo2FR3qyH\n"
    "B5T0Y3HsLuJvW5iB4YlcNHlsdu87kGJ55tukmi8mxdAQ4Q7e2RCOFvu396j3x+UC\n"
    "B5iPNgiV5+I3lg02dZ77DnKxHZu8A/lJBdiB3QW0KtZB6awBdpUKD9jf1b0SHzUv\n"
    "KBds0pjBqAlkd25HN7rOrFleaJ1/ctaJxQZBKT5ZPt0m9STJEadao0xAH0ahmbWn\n"
    "OlFuhjuefXKnEgV4We0+UXgVCwOPjdAvBbI+e0ocS3MFEvzG6uBQE3xDk3SzynTn\n"
    "jh8BCNAw1FtxNrQHusEwMFxIt4I7mKZ9YIqioymCzLq9gwQbooMDQaHWBfEbwrbw\n"
    "qHyGO0aoSCqI3Haadr8faqU9GY/rOPNk3sgrDQoo//fb4hVC1CLQJ13hef4Y53CI\n"
    "rU7m2Ys6xt0nUW7/vGT1M0NPAgMBAAGjQjBAMA4GA1UdDwEB/wQEAwIBBjAPBgNV\n"
    "HRMBAf8EBTADAQH/MB0GA1UdDgQWBBR5tFnme7bl5AFzgAiIyBpY9umbbjANBgkq\n"
    "hkiG9w0BAQsFAAOCAgEAVR9YqbyyqFDQDLHYGmkgJykIrGF1XIpu+ILlaS/V9lZL\n"
    "ubhzEFnTIZd+50xx+7LSYK05qAvqFyFWhfFQDlnrzuBZ6brJFe+GnY+EgPbk6ZGQ\n"
    "3BebYhtF8GaV0nxvwuo77x/Py9auJ/GpsMiu/X1+mvoiBOv/2X/qkSsisRcOj/KK\n"
    "NFtY2PwByVS5uCbMiogziUwthDyC3+6WVwW6LLv3xLfHTjuCvjHIInNzktHCgKQ5\n"
    "ORAzI4JMPJ+GslWYHb4phowim57iaztXOoJwTdwJx4nLCgdNbOhdjsnvzqvHu7Ur\n"
    "TkXWStAmzOVyyghqpZXjFaH3pO3JLF+l+/+sKAIuvtd7u+Nxe5AW0wdeRlN8NwdC\n"
    "jNPElpzVmbUq4JUagEiuTDkHzsxHpFKVK7q4+63SM1N95R1NbdWhscdCb+ZAJzVc\n"
    "oyi3B43njTOQ5yOf+1CceWxG1bQVs5ZufpsMljq4Ui0/1lvh+wjChP4kqKOJ2qxq\n"
    "4RgqsahDYVvTH9w7jXbyLeiNdd8XM2w9U/t7y0Ff/9yi0GE44Za4rF2LN9d11TPA\n"
    "mRGunUHBcnWEvgJBQl9nJEiU0Zsnvgc/ubhPgXRR4Xq37Z0j4r7g1SgEEzwxA57d\n"
    "emyPxgcYxn/eR44/KJ4EBs+lVDR3veyJm+kXQ99b21/+jh5Xos1AnX5iItreGCc=\n"
    "-----END CERTIFICATE-----\n";
static const GSM_SslSimcom_File kBrokerCaFile = {"isrg_root_x1.pem", (const uint8_t*)kBrokerCa,
                                                 (uint16_t)(sizeof(kBrokerCa) - 1u)};
static const GSM_SslSimcom_Config kSslConfig = {
    1u,                           /* SSL context 1 */
    GSM_SslSimcom_Version_Tls12,  /* TLS 1.2 */
    GSM_SslSimcom_Auth_Server,    /* verify the broker against kBrokerCaFile */
    true,                         /* send the host name (SNI) */
    &kBrokerCaFile, 0, 0};
static GSM_SslSimcom_Instance mSsl = {0};
// USER CODE END Variables

void gsmmgrInit()
{
    // USER CODE BEGIN Init
    mSsl.Prompt = (&mGsmPromptInst._i);
    mSsl.Config = &kSslConfig;
    gsmSslSimcomInit(&mSsl);
    mGsmMqttClientSimcomInst.Ssl = &mSsl;  // connect over TLS
    // USER CODE END Init
}

void gsmMqttClientSimcomEventHandler(GSM_MqttClientSimcom_Instance* inst, GSM_MqttClientSimcom_EventType event_type, void* event_data)
{
    // USER CODE BEGIN gsmMqttClientSimcomEventHandler
    (void)inst;
    switch (event_type)
    {
    case GSM_MqttClientSimcom_EventType_ConnectSuccess:
        debugText("Connected to the MQTT server.\r\n");
        break;
    case GSM_MqttClientSimcom_EventType_SubscribeSuccess:
        debugText("Subscribed.\r\n");
        break;
    case GSM_MqttClientSimcom_EventType_PublishSuccess:
        debugText("Published.\r\n");
        examplePublishBusy = false;
        break;
    case GSM_MqttClientSimcom_EventType_ConnectionLost:
        debugText("Connection to the MQTT server lost.\r\n");
        break;
    case GSM_MqttClientSimcom_EventType_NoNetwork:
        debugText("The modem stopped its MQTT service (no network).\r\n");
        break;
    case GSM_MqttClientSimcom_EventType_ErrorResponse:
    {
        const GSM_MqttClientSimcom_Event_ErrorResponse* error = (const GSM_MqttClientSimcom_Event_ErrorResponse*)event_data;
        debugText("MQTT operation failed: type ");
        debugUnsigned((uint32_t)error->ErrorType);
        debugText(", code ");
        debugUnsigned(error->ErrorCode);
        if (error->ErrorType == GSM_MQTT_ErrorType_Tls)
        {
            debugText(" (TLS: handshake or certificate check failed)");
        }
        debugText("\r\n");
        if (error->ErrorType == GSM_MQTT_ErrorType_Publish)
        {
            examplePublishBusy = false;
        }
        break;
    }
    default:
        break;
    }
    // USER CODE END gsmMqttClientSimcomEventHandler
}
