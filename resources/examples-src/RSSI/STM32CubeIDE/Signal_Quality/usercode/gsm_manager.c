// USER CODE of this example's gsm_manager.c (on top of the shared hardware code).

void gsmSignalQualityEventHandler(GSM_SignalQuality_Instance* inst, GSM_SignalQuality_EventType event_type, void* event_data)
{
    // USER CODE BEGIN gsmSignalQualityEventHandler
    (void)inst;
    if (event_type == GSM_SignalQuality_EventType_QuerySuccess)
    {
        const GSM_SignalQuality_Event_QuerySuccess* quality = (const GSM_SignalQuality_Event_QuerySuccess*)event_data;
        debugText("Signal level ");
        debugUnsigned(quality->Rssi);
        if (quality->Rssi == 99u)
        {
            debugText(" (not known yet, e.g. no network found)");
        }
        else
        {
            debugText(" = ");
            debugNumber(gsmmgrSignalQualityRssiTo_dBm(quality->Rssi));
            debugText(" dBm, ");
            if (quality->Rssi >= 20u)
            {
                debugText("excellent");
            }
            else if (quality->Rssi >= 15u)
            {
                debugText("good");
            }
            else if (quality->Rssi >= 10u)
            {
                debugText("fair");
            }
            else
            {
                debugText("poor");
            }
        }
        debugText("; bit error rate class ");
        debugUnsigned(quality->Quality);
        debugText("\r\n");
    }
    else if (event_type == GSM_SignalQuality_EventType_QueryFailed)
    {
        debugText("The modem did not report the signal quality.\r\n");
    }
    // USER CODE END gsmSignalQualityEventHandler
}
