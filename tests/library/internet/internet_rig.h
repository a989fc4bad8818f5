// The library with an internet connection (LTE or 2G) and the HTTP and MQTT clients,
// wired as the generated gsm_manager does it on the shared link (rig.h), attached to
// the modem simulator with its data side (InternetModem).
#pragma once

#include "internet_modem.h"
#include "rig.h"

#include "GSM_HttpClient_Simcom.h"
#include "GSM_InternetConnection_Simcom.h"
#include "GSM_InternetConnection_Simcom2G.h"
#include "GSM_MqttClient_Simcom.h"
#include "GSM_Ssl_Simcom.h"

struct InternetRigOptions : RigOptions
{
    // Echo and output pieces varied by `seed`.
    static InternetRigOptions seeded(uint32_t seed, InternetModem::Family family = InternetModem::Family::Lte,
                                     const char* apn = nullptr)
    {
        InternetRigOptions o;
        o.family = family;
        o.apn = apn;
        o.seed = seed;
        o.echoOn = seed % 2 == 1;
        o.maxChunk = 1 + seed * 13 % 64;
        return o;
    }

    InternetModem::Family family = InternetModem::Family::Lte;
    const char* apn = nullptr;   // APN_IfAny
};

struct HttpEvent
{
    uint16_t status = 0;
    uint32_t offset = 0;
    std::string data;            // DataLength bytes of DataResult
    bool terminated = false;     // DataResult[DataLength] was NUL
    uint32_t contentLength = 0;
    bool last = false;
};

struct MqttEvent
{
    int type = -1;
    std::string segment;         // topic or payload segment
    uint16_t total = 0, length = 0, offset = 0;
    bool terminated = false;     // the segment was followed by a NUL
    int errorType = -1, errorCode = -1, result = -1;
};

class InternetRig : public LinkRig
{
public:
    explicit InternetRig(const InternetRigOptions& o = InternetRigOptions());
    ~InternetRig() override;

    // Power on, synchronise, register; with `waitConnection` also until the internet
    // connection is up.
    bool bringUp(bool waitConnection = true);
    bool connected() const;
    void setRegistered(bool registered);

    InternetModem::Family family;
    InternetModem net;

    GSM_NetworkRegistration_Instance netreg{};
    GSM_InternetConnectionSimcom_Instance lte{};
    GSM_InternetConnectionSimcom2G_Instance g2{};
    GSM_HttpClientSimcom_Instance http{};
    GSM_MqttClientSimcom_Instance mqtt{};
    GSM_SslSimcom_Instance ssl{};

    std::vector<HttpEvent> httpEvents;
    std::function<void(const HttpEvent&)> onHttp;
    std::vector<MqttEvent> mqttEvents;
    // Events whose module's query functions did not yet reflect them (every test fails
    // on one).
    std::vector<std::string> eventQueryMismatches;

    // Body reassembled from the HTTP events since index `from` (by DataOffset); a
    // marker that matches no body when a piece does not continue where the previous
    // one ended.
    std::string httpBody(size_t from = 0) const;
    // Runs until the last piece of an HTTP result after event index `before` arrives.
    bool httpDone(size_t before = 0, uint32_t maxMs = 60000);
    // GET (or POST when `post` is given) and wait for the last event: that event, or one
    // with status 0 when the request was refused or never ended.
    HttpEvent request(const std::string& url, const char* post = nullptr, uint32_t maxMs = 60000);
    size_t countMqtt(int type, int errorType = -1) const;
    bool waitMqtt(int type, size_t count = 1, uint32_t maxMs = 20000);
    // Topic and payload of the last complete received message (from its events).
    bool lastMessage(std::string* topic, std::string* payload) const;

protected:
    void pollModules() override;
};

extern InternetRig* g_irig;

// Commands the modem received that start with `prefix`.
size_t countCommands(const ModemSim& sim, const std::string& prefix);

// A session with the defaults and this server and client id.
inline GSM_MqttClientSimcom_Connect_Session mqttSession(const char* url, const char* clientId = "tarvex")
{
    GSM_MqttClientSimcom_Connect_Session s;
    gsmMqttClientSimcomInitConfigDefault(&s);
    s.ServerUrl = url;
    s.ClientId = clientId;
    return s;
}
