/* The generator's code snippets of the HTTP and MQTT clients (event handlers and
 * convenience functions, included as they are shipped) compile against the library
 * headers, with the instance definitions and init lines of the generated manager. */
#include <stdbool.h>
#include <stdint.h>

#include "GSM_InternetConnection_Simcom.h"
#include "GSM_HttpClient_Simcom.h"
#include "GSM_MqttClient_Simcom.h"

/* The modules' prototypes for gsm_manager.h, as the generator writes them. */
extern bool gsmmgrInternetConnectionSimcomIsConnected();

extern bool gsmmgrHttpClientSimcomGet(char* url);
extern bool gsmmgrHttpClientSimcomPost(char* url, char* postData);
extern void gsmmgrHttpClientSimcomPostSetContentType(char* contentTypeOrNullForDefault);
extern bool gsmmgrHttpClientSimcomHttpOperationPending();
extern bool gsmmgrHttpClientSimcomHttpOperationStarted();
extern bool gsmmgrHttpClientSimcomCancel();
extern void gsmmgrHttpClientSimcomHttpTermWhenDone(bool termWhenDone);
extern void gsmmgrHttpClientSimcomSetTimeouts(uint32_t httpActionTimeout_ms, uint32_t httpReadTimeout_ms);

#define gsmmgrMqttClientSimcomInitConfigDefault gsmMqttClientSimcomInitConfigDefault
extern bool gsmmgrMqttClientSimcomConnect(GSM_MqttClientSimcom_Connect_Session* connect_session);
extern bool gsmmgrMqttClientSimcomSubscribe(char* subscribe_topic, uint8_t subscribe_QoS);
extern bool gsmmgrMqttClientSimcomPublish(char* publish_topic, char* publish_message);
extern bool gsmmgrMqttClientSimcomPublishEx(GSM_MqttClientSimcom_Publish_Parameters* publish_parameters);
extern bool gsmmgrMqttClientSimcomUnsubscribe(char* unsubscribe_topic);
extern bool gsmmgrMqttClientSimcomDisconnect();
extern bool gsmmgrMqttClientSimcomCancelPublish();
extern bool gsmmgrMqttClientSimcomCancelSubscribe();
extern bool gsmmgrMqttClientSimcomCancelUnsubscribe();
extern GSM_MQTT_ServerStatus gsmmgrMqttClientServerConnectionState();

GSM_InternetConnectionSimcom_Instance mGsmInternetConnectionSimcomInst = {0};
GSM_HttpClientSimcom_Instance mGsmHttpClientSimcomInst = {0};
GSM_MqttClientSimcom_Instance mGsmMqttClientSimcomInst = {0};

#include "tarvexmdl_InternetConnection_Simcom_GeneralCallbackFunctions.c"
#include "tarvexmdl_HttpClientSimcom_EventFunctions.c"
#include "tarvexmdl_MqttClientSimcom_EventFunctions.c"
#include "tarvexmdl_HttpClientSimcom_ConvFunctions.c"
#include "tarvexmdl_MqttClientSimcom_ConvFunctions.c"

bool gsmmgrInternetConnectionSimcomIsConnected()
{
   return gsmInternetConnectionSimcomIsConnected(&mGsmInternetConnectionSimcomInst);
}

void snippetCheckInit(void)
{
    GSM_MqttClientSimcom_Connect_Session session;
    GSM_MqttClientSimcom_Publish_Parameters publication = {0};

    mGsmInternetConnectionSimcomInst.APN_IfAny = gsmGetAPN();
    gsmInternetConnectionSimcomInit(&mGsmInternetConnectionSimcomInst);
    mGsmHttpClientSimcomInst.InternetConnection = (&mGsmInternetConnectionSimcomInst._i);
    mGsmHttpClientSimcomInst.EventHandler = &gsmHttpClientSimcomEventHandler;
    gsmHttpClientSimcomInit(&mGsmHttpClientSimcomInst);
    mGsmMqttClientSimcomInst.InternetConnection = (&mGsmInternetConnectionSimcomInst._i);
    mGsmMqttClientSimcomInst.EventHandler = &gsmMqttClientSimcomEventHandler;
    gsmMqttClientSimcomInit(&mGsmMqttClientSimcomInst);

    gsmmgrMqttClientSimcomInitConfigDefault(&session);
    session.ServerUrl = "tcp://broker.example:1883";
    (void)gsmmgrMqttClientSimcomConnect(&session);
    publication.Topic = "t";
    publication.Payload = "p";
    (void)gsmmgrMqttClientSimcomPublishEx(&publication);
    (void)gsmmgrMqttClientServerConnectionState();
}
