
// --- GSM PIN ---

void gsmPinEventHandler(GSM_PIN_Instance* inst, GSM_PIN_EventType event_type, void* event_data)
{
    // USER CODE BEGIN gsmPinEventHandler

    // ToDo: Handle PIN events
    // Note: In order to have the gsmDebugWrite functions available - as used in the example code snippets below - the Debug Output Buffer
    //       must be enabled in the Tarvex Code Generator.

    // E.g.
    // char txt[64]; // Buffer for debug output messages
    // char value[16]; // Buffer used for integar debug values

    GSM_PIN_Event_SimStatus* pevntPinSimStatus;

    switch(event_type)
    {
    case GSM_PIN_EventType_SimStatus:
        pevntPinSimStatus = (GSM_PIN_Event_SimStatus*)event_data;
        // E.g.:
        // strcpy(txt, "SIM card status: ");
        // itoa(pevntPinSimStatus->SimStatus, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n");
        // gsmDebugWriteText(txt);
        break;
    case GSM_PIN_EventType_PinSuccess:
        // E.g.:
        // gsmDebugWriteText("PIN code entered successfully.\n");
        break;
    case GSM_PIN_EventType_PinFailed:
        // E.g.:
        // gsmDebugWriteText("Incorrect PIN code.\n");
        break;
    }
    // USER CODE END gsmPinEventHandler
}
