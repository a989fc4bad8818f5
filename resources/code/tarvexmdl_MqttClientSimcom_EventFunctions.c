
// --- GSM MQTT (SIMCom LTE) Client ---

void gsmMqttClientSimcomEventHandler(GSM_MqttClientSimcom_Instance* inst, GSM_MqttClientSimcom_EventType event_type, void* event_data)
{
    // USER CODE BEGIN gsmMqttClientSimcomEventHandler

    // ToDo: Handle MQTT events
    // Note: In order to have the gsmDebugWrite functions available - as used in the example code snippets below - the Debug Output Buffer
    //       must be enabled in the Tarvex Code Generator.

    // E.g.
    // char txt[2048]; // Buffer for debug output messages
    // char txtVal[16]; // Buffer used for debug integer-to-string conversions

    GSM_MqttClientSimcom_Event_ErrorResponse* pevntMqttClientSimcomErrorResponse;
    GSM_MqttClientSimcom_Event_MsgRxTopic* pevntMqttClientSimcomMsgRxTopic;
    GSM_MqttClientSimcom_Event_MsgRxPayload* pevntMqttClientSimcomMsgRxPayload;

    switch(event_type)
    {
    case GSM_MqttClientSimcom_EventType_ConnectSuccess:
        // E.g.:
        // gsmDebugWriteText("Successfully connected to MQTT host server!\n");
        break;
    case GSM_MqttClientSimcom_EventType_SubscribeSuccess:
        // E.g.:
        // gsmDebugWriteText("Successfully subscribed to MQTT topic.\n");
        break;
    case GSM_MqttClientSimcom_EventType_PublishSuccess:
        // E.g.:
        // gsmDebugWriteText("Message successfully published to MQTT topic.\n");
        break;
    case GSM_MqttClientSimcom_EventType_MsgRxTopic:
        pevntMqttClientSimcomMsgRxTopic = (GSM_MqttClientSimcom_Event_MsgRxTopic*)event_data;
        // E.g.:
        // strcpy(txt, "Topic Total Length: ");
        // itoa(pevntMqttClientSimcomMsgRxTopic->TopicLenTotal, txtVal, 10);
        // strcat(txt, txtVal);
        // strcat(txt, "\n");
        // strcat(txt, "Topic Segment Length: ");
        // itoa(pevntMqttClientSimcomMsgRxTopic->TopicLenSegment, txtVal, 10);
        // strcat(txt, txtVal);
        // strcat(txt, "\n");
        // strcat(txt, "Segment Offset: ");
        // itoa(pevntMqttClientSimcomMsgRxTopic->TopicSegmentOffset, txtVal, 10);
        // strcat(txt, txtVal);
        // strcat(txt, "\n\n");
        // strcat(txt, "Topic Segment: ");
        // strcat(txt, pevntMqttClientSimcomMsgRxTopic->TopicSegment);
        // strcat(txt, "\n\n");
        // gsmDebugWriteText(txt);
        break;
    case GSM_MqttClientSimcom_EventType_MsgRxTopicHeaderError:
        // E.g.:
        // gsmDebugWriteText("Failed to read MQTT topic header.\n");
        break;
    case GSM_MqttClientSimcom_EventType_MsgRxTopicError:
        // E.g.:
        // gsmDebugWriteText("Failed to read MQTT topic data.\n");
        break;
    case GSM_MqttClientSimcom_EventType_MsgRxPayload:
        pevntMqttClientSimcomMsgRxPayload = (GSM_MqttClientSimcom_Event_MsgRxPayload*)event_data;
        // E.g.:
        // strcpy(txt, "Payload Total Length: ");
        // itoa(pevntMqttClientSimcomMsgRxPayload->PayloadLenTotal, txtVal, 10);
        // strcat(txt, txtVal);
        // strcat(txt, "\n");
        // strcat(txt, "Payload Segment Length: ");
        // itoa(pevntMqttClientSimcomMsgRxPayload->PayloadLenSegment, txtVal, 10);
        // strcat(txt, txtVal);
        // strcat(txt, "\n");
        // strcat(txt, "Segment Offset: ");
        // itoa(pevntMqttClientSimcomMsgRxPayload->PayloadSegmentOffset, txtVal, 10);
        // strcat(txt, txtVal);
        // strcat(txt, "\n\n");
        // strcat(txt, "Payload Segment: ");
        // strcat(txt, pevntMqttClientSimcomMsgRxPayload->PayloadSegment);
        // strcat(txt, "\n\n");
        // gsmDebugWriteText(txt);
        break;
    case GSM_MqttClientSimcom_EventType_MsgRxPayloadHeaderError:
        // E.g.:
        // gsmDebugWriteText("Failed to read MQTT payload header.\n");
        break;
    case GSM_MqttClientSimcom_EventType_MsgRxPayloadError:
        // E.g.:
        // gsmDebugWriteText("Failed to read MQTT payload data.\n");
        break;
    case GSM_MqttClientSimcom_EventType_MsgRxEnd:
        // E.g.:
        // gsmDebugWriteText("End of MQTT message detected.\n");
        break;
    case GSM_MqttClientSimcom_EventType_UnsubscribeSuccess:
        // E.g.:
        // gsmDebugWriteText("Successfully unsubscribed from MQTT topic.\n");
        break;
    case GSM_MqttClientSimcom_EventType_DisconnectSuccess:
        // E.g.:
        // gsmDebugWriteText("Successfully disconnected from the MQTT host server.\n");
        break;
    case GSM_MqttClientSimcom_EventType_ConnectionLost:
        // E.g.:
        // gsmDebugWriteText("Connection to MQTT host server has been lost.\n");
        break;
    case GSM_MqttClientSimcom_EventType_NoNetwork:
        // E.g.:
        // gsmDebugWriteText("Network connection has been lost.\n");
        break;
    case GSM_MqttClientSimcom_EventType_ErrorResponse:
        pevntMqttClientSimcomErrorResponse = (GSM_MqttClientSimcom_Event_ErrorResponse*)event_data;
        // E.g.:
        // strcpy(txt, "Error response received from MQTT module:\n\nError Type: ");
        // itoa(pevntMqttClientSimcomErrorResponse->ErrorType, txtVal, 10); // ErrorType is of type enum (GSM_MQTT_ErrorType)
        // strcat(txt, txtVal);
        // strcat(txt, "\nError Code: ");
        // itoa(pevntMqttClientSimcomErrorResponse->ErrorCode, txtVal, 10);
        // strcat(txt, txtVal);
        // strcat(txt, "\n\n");
        // gsmDebugWriteText(txt);
        break;
    }
    // USER CODE END gsmMqttClientSimcomEventHandler
}
