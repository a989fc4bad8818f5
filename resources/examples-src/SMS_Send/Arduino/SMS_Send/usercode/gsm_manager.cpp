// USER CODE of this example's gsm_manager.cpp (on top of the shared hardware code).

void gsmSmsSendEventHandler(GSM_SmsSend_Instance* inst, GSM_SmsSend_EventType event_type, void* event_data)
{
    // USER CODE BEGIN gsmSmsSendEventHandler
    extern bool sendAgain; /* main program: send again after a modem restart */
    (void)inst;
    switch (event_type)
    {
    case GSM_SmsSend_EventType_SendSuccess:
        debugText("Text message sent, message reference ");
        debugUnsigned(((const GSM_SmsSend_Event_SendSuccess*)event_data)->MessageReference);
        debugText(". Waiting for the delivery report...\r\n");
        break;
    case GSM_SmsSend_EventType_SendFailed:
    {
        const GSM_SmsSend_Event_SendFailed* failure = (const GSM_SmsSend_Event_SendFailed*)event_data;
        debugText("Sending failed: ");
        if (failure->Result == GSM_Result_CmsError)
        {
            debugText("+CMS ERROR ");
            debugUnsigned(failure->ErrorCode);
        }
        else if (failure->Result == GSM_Result_CmeError)
        {
            debugText("+CME ERROR ");
            debugUnsigned(failure->ErrorCode);
        }
        else if (failure->Result == GSM_Result_Timeout)
        {
            debugText("no answer from the modem or no network; trying again");
            sendAgain = true;
        }
        else if (failure->Result == GSM_Result_Aborted)
        {
            debugText("the modem was switched off or restarted; trying again");
            sendAgain = true;
        }
        else
        {
            debugText("rejected by the modem");
        }
        debugText("\r\n");
        break;
    }
    case GSM_SmsSend_EventType_DeliveryStatusReport:
    {
        const GSM_SmsSend_Event_DeliveryStatusReport* report = (const GSM_SmsSend_Event_DeliveryStatusReport*)event_data;
        debugText("Delivery report for message ");
        debugUnsigned(report->MessageReference);
        debugText(" to ");
        debugText(report->PhoneNumber);
        switch (gsmmgrSmsSendGetDeliveryStatusReportType(report->MessageStatus))
        {
        case GSM_SmsSend_DeliveryStatusReportType_Delivered:
            debugText(": delivered\r\n");
            break;
        case GSM_SmsSend_DeliveryStatusReportType_Pending:
            debugText(": not delivered yet, the network keeps trying\r\n");
            break;
        default:
            debugText(": delivery failed\r\n");
            break;
        }
        break;
    }
    default:
        break;
    }
    // USER CODE END gsmSmsSendEventHandler
}
