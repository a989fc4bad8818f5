// USER CODE of this example's gsm_manager.c (on top of the shared hardware code).

void gsmMqttClientSimcomEventHandler(GSM_MqttClientSimcom_Instance* inst, GSM_MqttClientSimcom_EventType event_type, void* event_data)
{
    // USER CODE BEGIN gsmMqttClientSimcomEventHandler
    (void)inst;
    switch (event_type)
    {
    case GSM_MqttClientSimcom_EventType_ConnectSuccess:
        debugText("Connected to the MQTT server.\r\n");
        break;
    case GSM_MqttClientSimcom_EventType_SubscribeSuccess:
        debugText("Subscribed.\r\n");
        break;
    case GSM_MqttClientSimcom_EventType_PublishSuccess:
        debugText("Published.\r\n");
        examplePublishBusy = false;
        break;
    case GSM_MqttClientSimcom_EventType_ConnectionLost:
        debugText("Connection to the MQTT server lost.\r\n");
        break;
    case GSM_MqttClientSimcom_EventType_NoNetwork:
        debugText("The modem stopped its MQTT service (no network).\r\n");
        break;
    case GSM_MqttClientSimcom_EventType_ErrorResponse:
    {
        const GSM_MqttClientSimcom_Event_ErrorResponse* error = (const GSM_MqttClientSimcom_Event_ErrorResponse*)event_data;
        debugText("MQTT operation failed: type ");
        debugUnsigned((uint32_t)error->ErrorType);
        debugText(", code ");
        debugUnsigned(error->ErrorCode);
        debugText("\r\n");
        if (error->ErrorType == GSM_MQTT_ErrorType_Publish)
        {
            examplePublishBusy = false;
        }
        break;
    }
    default:
        break;
    }
    // USER CODE END gsmMqttClientSimcomEventHandler
}
