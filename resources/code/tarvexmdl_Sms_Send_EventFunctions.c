
// --- GSM SMS Send ---

void gsmSmsSendEventHandler(GSM_SmsSend_Instance* inst, GSM_SmsSend_EventType event_type, void* event_data)
{
    // USER CODE BEGIN gsmSmsSendEventHandler

    // ToDo: Handle SMS Send events
    // Note: In order to have the gsmDebugWrite functions available - as used in the example code snippets below - the Debug Output Buffer
    //       must be enabled in the Tarvex Code Generator.

    // E.g.
    // char txt[512]; // Buffer for debug output messages
    // char value[16]; // Buffer used for integar debug values

    GSM_SmsSend_Event_SendSuccess* pevntSmsSendSuccess;
    GSM_SmsSend_Event_DeliveryStatusReport* pevntDeliveryStatusReport;

    switch(event_type)
    {
    case GSM_SmsSend_EventType_SendSuccess:
        pevntSmsSendSuccess = (GSM_SmsSend_Event_SendSuccess*)event_data;
        // E.g.:
        // strcpy(txt, "Message sent successfully.\nMessage reference number: ");
        // itoa(pevntSmsSendSuccess->MessageReference, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n\n");
        // gsmDebugWriteText(txt);
        break;
    case GSM_SmsSend_EventType_SendFailed:
        // E.g.:
        // gsmDebugWriteText("Message failed to deliver.\n\n");
        break;
    case GSM_SmsSend_EventType_DeliveryStatusReport:
        pevntDeliveryStatusReport = (GSM_SmsSend_Event_DeliveryStatusReport*)event_data;
        // E.g.:
        // strcpy(txt, "Delivery report received:\n\n");
        // strcat(txt, "Phone number: ");
        // strcat(txt, pevntDeliveryStatusReport->PhoneNumber);
        // strcat(txt, "\n");
        // strcat(txt, "Message reference number: ");
        // itoa(pevntDeliveryStatusReport->MessageReference, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n");
        // strcat(txt, "Message status number: ");
        // itoa(pevntDeliveryStatusReport->MessageStatus, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n");
        // strcat(txt, "Service Centre epoch time: ");
        // itoa(pevntDeliveryStatusReport->ServiceCentreEpoch, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n");
        // strcat(txt, "Service Centre epoch time zone offset: ");
        // itoa(pevntDeliveryStatusReport->ServiceCentreTimeZoneOffsetInSeconds, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n");
        // strcat(txt, "Discharge epoch time: ");
        // itoa(pevntDeliveryStatusReport->DischargeEpoch, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n");
        // strcat(txt, "Discharge epoch time zone offset: ");
        // itoa(pevntDeliveryStatusReport->DischargeTimeZoneOffsetInSeconds, value, 10);
        // strcat(txt, value);
        // strcat(txt, "\n\n");
        // gsmDebugWriteText(txt);
        break;
    }
    // USER CODE END gsmSmsSendEventHandler
}
