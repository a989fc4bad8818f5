
// --- GSM Signal Quality ---

// User ToDo: Update this section to change what is done/output once a signal quality response is received.
void gsmSignalQualityEventHandler(GSM_SignalQuality_Instance* inst, GSM_SignalQuality_EventType event_type, void* event_data)
{
    // USER CODE BEGIN gsmSignalQualityEventHandler

    // ToDo: Handle Signal Quality events
    // Note: In order to have the gsmDebugWrite functions available - as used in the example code snippets below - the Debug Output Buffer
    //       must be enabled in the Tarvex Code Generator.

    // E.g.
    // char txt[128]; // Buffer for debug output messages
    // char value[16]; // Buffer used for integar debug values

    GSM_SignalQuality_Event_QuerySuccess* pevntSignalQualityQuerySuccess;

    switch(event_type)
    {
    case GSM_SignalQuality_EventType_QuerySuccess:
        pevntSignalQualityQuerySuccess = (GSM_SignalQuality_Event_QuerySuccess*)event_data;
        // E.g.:
        // strcpy(txt, "Signal quality response received.\nRSSI: ");
        // itoa(pevntSignalQualityQuerySuccess->Rssi, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n");
        // strcat(txt, "Quality: ");
        // itoa(pevntSignalQualityQuerySuccess->Quality, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n\n");
        // gsmDebugWriteText(txt);
        break;
    }
    // USER CODE END gsmSignalQualityEventHandler
}
