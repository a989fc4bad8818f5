
// --- GSM USSD ---

// User ToDo: Update this section to change what is done/output once a USSD response is received.
void gsmUssdEventHandler(GSM_USSD_Instance* inst, GSM_USSD_EventType event_type, void* event_data)
{
    // USER CODE BEGIN gsmUssdEventHandler

    // ToDo: Handle USSD events
    // Note: In order to have the gsmDebugWrite functions available - as used in the example code snippets below - the Debug Output Buffer
    //       must be enabled in the Tarvex Code Generator.

    // E.g.
    // char txt[1024]; // Buffer for debug output messages
    // char value[16]; // Buffer used for integar debug values

    GSM_USSD_Event_UssdResponse* pevntUssdResponse;

    switch(event_type)
    {
    case GSM_USSD_EventType_UssdSent:
        // E.g.:
        // gsmDebugWriteText("USSD code successfully sent.\n\n");
        break;
    case GSM_USSD_EventType_UssdResponse:
        // E.g.:
        // strcpy(txt, "USSD response received.\n\nResponse Code: ");
        // itoa(pevntUssdResponse->ResponseCode, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n");
        // strcat(txt, "Response Data (if any):\n\n");
        // strcat(txt, pevntUssdResponse->DataResult);
        // strcat(txt, "\n\n");
        // gsmDebugWriteText(txt);

        // ToDo: Implement code based on pevntUssdResponse->ResponseCode.
        // Note: if the response code states that a response is required (GSM_USSD_ResponseCode_ActionRequired), you will need to reply
        //       using gsmmgrUssdSend(), or cancel the session using gsmmgrUssdCancelSession().
        break;
    case GSM_USSD_EventType_UssdCancelled:
        // E.g.:
        // gsmDebugWriteText("USSD session has been cancelled.\n\n");
        break;
    }
    // USER CODE END gsmUssdEventHandler
}
