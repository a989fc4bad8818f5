// USER CODE of this example's gsm_manager.cpp (on top of the shared hardware code).

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
            if (result->ResultStatusCode >= 900u)
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
