#pragma once

#include "tarvexmdl_basiccomms.h"
#include "tarvexmdl_gettingstarted.h"
#include "tarvexmdl_http_client_simcom.h"
#include "tarvexmdl_internetconnection_simcom.h"
#include "tarvexmdl_internetconnection_simcom2g.h"
#include "tarvexmdl_mqtt_client_simcom.h"
#include "tarvexmdl_networkregistration.h"
#include "tarvexmdl_pin.h"
#include "tarvexmdl_power.h"
#include "tarvexmdl_prompt.h"
#include "tarvexmdl_rssi.h"
#include "tarvexmdl_sms_read.h"
#include "tarvexmdl_sms_send.h"
#include "tarvexmdl_ussd.h"

#include <QList>

// The fourteen module objects, held by value in declaration order (the LTE
// connection before the 2G one). Not copyable: the modules are QObjects.
class ModuleCatalogue
{
public:
    ModuleCatalogue() = default;
    ModuleCatalogue(const ModuleCatalogue&) = delete;
    ModuleCatalogue& operator=(const ModuleCatalogue&) = delete;

    // All fourteen modules in declaration order.
    QList<TarvexMdl*> allModules();

    TarvexMdl_GettingStarted mMdlGettingStarted;
    TarvexMdl_Power mMdlPower;
    TarvexMdl_Prompt mMdlPrompt;
    TarvexMdl_BasicComms mMdlBasicComms;
    TarvexMdl_Pin mMdlPin;
    TarvexMdl_Rssi mMdlRssi;
    TarvexMdl_NetworkRegistration mMdlNetworkRegistration;
    TarvexMdl_Sms_Send mMdlSmsSend;
    TarvexMdl_Sms_Read mMdlSmsRead;
    TarvexMdl_Ussd mMdlUssd;
    TarvexMdl_InternetConnection_SIMCom mMdlInternetConnectionSimcom;
    TarvexMdl_InternetConnection_SIMCom2G mMdlInternetConnectionSimcom2G;
    TarvexMdl_Http_Client_SIMCom mMdlHttpClientSimcom;
    TarvexMdl_Mqtt_Client_SIMCom mMdlMqttClientSimcom;
};
