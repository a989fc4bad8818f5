// USER CODE of this example's gsm_manager.cpp (on top of the shared hardware code).

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
        break;
    case GSM_MqttClientSimcom_EventType_MsgRxTopic:
    {
        const GSM_MqttClientSimcom_Event_MsgRxTopic* topic = (const GSM_MqttClientSimcom_Event_MsgRxTopic*)event_data;
        if (topic->TopicSegmentOffset == 0u)
        {
            debugText("Message on ");
        }
        debugText(topic->TopicSegment);
        break;
    }
    case GSM_MqttClientSimcom_EventType_MsgRxPayload:
    {
        const GSM_MqttClientSimcom_Event_MsgRxPayload* payload = (const GSM_MqttClientSimcom_Event_MsgRxPayload*)event_data;
        if (payload->PayloadSegmentOffset == 0u)
        {
            debugText(": ");
        }
        debugText(payload->PayloadSegment);
        break;
    }
    case GSM_MqttClientSimcom_EventType_MsgRxEnd:
        debugText("\r\n");
        break;
    case GSM_MqttClientSimcom_EventType_MsgRxTopicHeaderError:
    case GSM_MqttClientSimcom_EventType_MsgRxTopicError:
    case GSM_MqttClientSimcom_EventType_MsgRxPayloadHeaderError:
    case GSM_MqttClientSimcom_EventType_MsgRxPayloadError:
        debugText(" (message incomplete, skipped)\r\n");
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
        break;
    }
    default:
        break;
    }
    // USER CODE END gsmMqttClientSimcomEventHandler
}
