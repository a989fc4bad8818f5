
// --- GSM SMS Read ---

void gsmSmsReadEventHandler(GSM_SmsRead_Instance* inst, GSM_SmsRead_EventType event_type, void* event_data)
{
    // USER CODE BEGIN gsmSmsReadEventHandler

    // ToDo: Handle SMS Read events
    // Note: In order to have the gsmDebugWrite functions available - as used in the example code snippets below - the Debug Output Buffer
    //       must be enabled in the Tarvex Code Generator.

    // E.g.
    // char txt[512]; // Buffer for debug output messages
    // char value[16]; // Buffer used for integar debug values

    GSM_SmsRead_Event_ReadSuccess* pevntSmsReadSuccess;

    switch(event_type)
    {
    case GSM_SmsRead_EventType_ReadSuccess:
        pevntSmsReadSuccess = (GSM_SmsRead_Event_ReadSuccess*)event_data;
        // E.g:
        // strcpy(txt, "A text message has been received.\n\nMessage status: ");
        // itoa(pevntSmsReadSuccess->SmsStatus, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n");
        // strcat(txt, "Message received from: ");
        // strcat(txt, pevntSmsReadSuccess->PhoneNumber);
        // strcat(txt, "\n");
        // strcat(txt, "Message contents: ");
        // strcat(txt, pevntSmsReadSuccess->SmsData);
        // strcat(txt, "\n");
        // strcat(txt, "Epoch time: ");
        // itoa(pevntSmsReadSuccess->EpochTime, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n");
        // strcat(txt, "Epoch time zone offset: ");
        // itoa(pevntSmsReadSuccess->TimeZoneCompensation, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n\n");
        // gsmDebugWriteText(txt);
        break;
    }
    // USER CODE END gsmSmsReadEventHandler
}
