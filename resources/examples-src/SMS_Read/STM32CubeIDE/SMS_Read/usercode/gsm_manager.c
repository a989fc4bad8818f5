// USER CODE of this example's gsm_manager.c (on top of the shared hardware code).

void gsmSmsReadEventHandler(GSM_SmsRead_Instance* inst, GSM_SmsRead_EventType event_type, void* event_data)
{
    // USER CODE BEGIN gsmSmsReadEventHandler
    (void)inst;
    if (event_type == GSM_SmsRead_EventType_ReadSuccess)
    {
        const GSM_SmsRead_Event_ReadSuccess* message = (const GSM_SmsRead_Event_ReadSuccess*)event_data;
        debugText("\r\nText message from ");
        debugText(message->PhoneNumber);
        debugText("\r\n  sent at (UTC seconds since 1970): ");
        debugUnsigned(message->EpochTime);
        debugText("\r\n  sender's time zone (minutes from UTC): ");
        debugNumber(message->TimeZoneCompensation / 60);
        debugText("\r\n  text: ");
        debugText(message->SmsData);
        debugText("\r\n");
    }
    // USER CODE END gsmSmsReadEventHandler
}
