
// --- GSM HTTP Client (SIMCom) ---

void gsmHttpClientSimcomEventHandler(GSM_HttpClientSimcom_Instance* inst, GSM_HttpClientSimcom_EventType event_type, void* event_data)
{
    // USER CODE BEGIN gsmHttpClientSimcomEventHandler

    // ToDo: Handle HTTP event
    // Note: In order to have the gsmDebugWrite functions available - as used in the example code snippets below - the Debug Output Buffer
    //       must be enabled in the Tarvex Code Generator.

    // E.g.
    // char txt[2048]; // Buffer for debug output messages

    GSM_HttpClientSimcom_Event_HttpResult* pevntHttpClientSimcomHttpResult;

    switch(event_type)
    {
    case GSM_HttpClientSimcom_EventType_HttpResult:
        pevntHttpClientSimcomHttpResult = (GSM_HttpClientSimcom_Event_HttpResult*)event_data;
        // E.g.:
        // sprintf(txt, "HTTP result code %u, data (at offset %u):\n", pevntHttpClientSimcomHttpResult->ResultStatusCode, pevntHttpClientSimcomHttpResult->DataOffset);
        // gsmDebugWriteText(txt);
        // gsmDebugWriteText(pevntHttpClientSimcomHttpResult->DataResult);
        // gsmDebugWrite('\n');
        break;
    }
    // USER CODE END gsmHttpClientSimcomEventHandler
}
