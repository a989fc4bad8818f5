// USER CODE of this example's gsm_manager.cpp (on top of the shared hardware code).

void gsmUssdEventHandler(GSM_USSD_Instance* inst, GSM_USSD_EventType event_type, void* event_data)
{
    // USER CODE BEGIN gsmUssdEventHandler
    extern bool queryAgain; /* main program: query again, e.g. after a modem restart */
    (void)inst;
    switch (event_type)
    {
    case GSM_USSD_EventType_UssdSent:
        debugText("The modem sent the code; waiting for the network's answer...\r\n");
        break;
    case GSM_USSD_EventType_UssdResponse:
    {
        const GSM_USSD_Event_UssdResponse* response = (const GSM_USSD_Event_UssdResponse*)event_data;
        switch (response->ResponseCode)
        {
        case GSM_USSD_ResponseCode_NoFurtherAction:
            debugText("Answer: ");
            break;
        case GSM_USSD_ResponseCode_ActionRequired:
            debugText("Menu (waits for a reply; this example ends the session): ");
            break;
        case GSM_USSD_ResponseCode_NetworkTimeout:
            debugText("The network did not answer; trying again.");
            queryAgain = true;
            break;
        case GSM_USSD_ResponseCode_SendFailed:
            debugText("The code was rejected, or there is no network (or the modem restarted); trying again.");
            queryAgain = true;
            break;
        default:
            debugText("The session was ended by the network: ");
            break;
        }
        debugText(response->DataResult);
        debugText("\r\n");
        break;
    }
    case GSM_USSD_EventType_UssdCancelled:
        debugText("USSD session ended.\r\n");
        break;
    default:
        break;
    }
    // USER CODE END gsmUssdEventHandler
}
