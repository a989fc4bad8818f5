// USER CODE of this example's gsm_manager.cpp (on top of the shared hardware code).

void gsmPinEventHandler(GSM_PIN_Instance* inst, GSM_PIN_EventType event_type, void* event_data)
{
    // USER CODE BEGIN gsmPinEventHandler
    extern bool pinRejected; /* main program: no second try after a rejection */
    (void)inst;
    switch (event_type)
    {
    case GSM_PIN_EventType_SimStatus:
        debugText("SIM card: ");
        switch (((const GSM_PIN_Event_SimStatus*)event_data)->SimStatus)
        {
        case GSM_PIN_SimStatus_Ready:
            debugText("ready");
            break;
        case GSM_PIN_SimStatus_PinRequired:
            debugText("waiting for the PIN");
            break;
        case GSM_PIN_SimStatus_PukRequired:
            debugText("blocked, the PUK is needed (unblock it in a phone)");
            break;
        case GSM_PIN_SimStatus_NotInserted:
            debugText("not inserted");
            break;
        case GSM_PIN_SimStatus_Busy:
            debugText("busy");
            break;
        case GSM_PIN_SimStatus_OtherLock:
            debugText("locked by another code (PIN2, PUK2 or a network lock)");
            break;
        case GSM_PIN_SimStatus_Error:
            debugText("failure");
            break;
        default:
            debugText("status unknown");
            break;
        }
        debugText("\r\n");
        break;
    case GSM_PIN_EventType_PinSuccess:
        debugText("PIN accepted: the SIM card is ready.\r\n");
        break;
    case GSM_PIN_EventType_PinFailed:
        pinRejected = true;
        debugText("PIN rejected or not entered. Check SIM_PIN; it is not tried again.\r\n");
        break;
    default:
        break;
    }
    // USER CODE END gsmPinEventHandler
}
