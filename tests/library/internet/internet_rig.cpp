#include "internet_rig.h"

#include <gtest/gtest.h>

#include <algorithm>

InternetRig* g_irig = nullptr;

namespace {

// ---- event handlers ----

void httpEvent(GSM_HttpClientSimcom_Instance*, GSM_HttpClientSimcom_EventType type, void* data)
{
    if (type != GSM_HttpClientSimcom_EventType_HttpResult)
        return;
    auto* e = static_cast<GSM_HttpClientSimcom_Event_HttpResult*>(data);
    const HttpEvent h{e->ResultStatusCode, e->DataOffset, std::string(e->DataResult, e->DataLength),
                      e->DataResult[e->DataLength] == '\0', e->ContentLength, e->LastSegment};
    // When an event is delivered, the queries already tell the same story.
    if (gsmHttpClientSimcomHttpOperationPending(&g_irig->http) == h.last ||
        (h.last && gsmHttpClientSimcomHttpOperationStarted(&g_irig->http)))
        g_irig->eventQueryMismatches.push_back("HttpResult (last " + std::to_string(h.last) + ")");
    g_irig->httpEvents.push_back(h);
    if (g_irig->onHttp) {
        g_irig->onHttp(h);
        // The last event stays as it was while the handler runs, whatever it queues.
        if (h.last && (e->ResultStatusCode != h.status || e->DataOffset != h.offset || e->DataLength != h.data.size() ||
            e->ContentLength != h.contentLength || e->LastSegment != h.last))
            g_irig->eventQueryMismatches.push_back("HttpResult changed by the handler's own calls");
    }
}

void mqttEvent(GSM_MqttClientSimcom_Instance*, GSM_MqttClientSimcom_EventType type, void* data)
{
    MqttEvent m;
    m.type = type;
    auto segment = [&m](const char* s, uint16_t total, uint16_t length, uint16_t offset) {
        m.segment.assign(s, length);
        m.terminated = s[length] == '\0';
        m.total = total;
        m.length = length;
        m.offset = offset;
    };
    if (type == GSM_MqttClientSimcom_EventType_MsgRxTopic) {
        auto* e = static_cast<GSM_MqttClientSimcom_Event_MsgRxTopic*>(data);
        segment(e->TopicSegment, e->TopicLenTotal, e->TopicLenSegment, e->TopicSegmentOffset);
    } else if (type == GSM_MqttClientSimcom_EventType_MsgRxPayload) {
        auto* e = static_cast<GSM_MqttClientSimcom_Event_MsgRxPayload*>(data);
        segment(e->PayloadSegment, e->PayloadLenTotal, e->PayloadLenSegment, e->PayloadSegmentOffset);
    } else if (type == GSM_MqttClientSimcom_EventType_ErrorResponse) {
        auto* e = static_cast<GSM_MqttClientSimcom_Event_ErrorResponse*>(data);
        m.errorType = e->ErrorType;
        m.errorCode = e->ErrorCode;
        m.result = e->Result;
    }
    // When an event is delivered, the connection state already tells the same story.
    int state = gsmMqttClientServerConnectionState(&g_irig->mqtt);
    bool down = state == GSM_MQTT_ServerStatus_Disconnected;
    bool agrees = true;
    if (type == GSM_MqttClientSimcom_EventType_ConnectSuccess || type == GSM_MqttClientSimcom_EventType_SubscribeSuccess ||
        type == GSM_MqttClientSimcom_EventType_UnsubscribeSuccess || type == GSM_MqttClientSimcom_EventType_PublishSuccess)
        agrees = state == GSM_MQTT_ServerStatus_Connected;
    else if (type == GSM_MqttClientSimcom_EventType_DisconnectSuccess ||
             (type == GSM_MqttClientSimcom_EventType_ErrorResponse && m.errorType <= GSM_MQTT_ErrorType_Connect))
        agrees = down;
    else if (type == GSM_MqttClientSimcom_EventType_ConnectionLost || type == GSM_MqttClientSimcom_EventType_NoNetwork)
        agrees = down || state == GSM_MQTT_ServerStatus_Disconnecting;
    if (!agrees)
        g_irig->eventQueryMismatches.push_back("MQTT event " + std::to_string(type) + " in state " + std::to_string(state));
    g_irig->mqttEvents.push_back(m);
}

} // namespace

InternetRig::InternetRig(const InternetRigOptions& o) : LinkRig(o), family(o.family), net(sim, o.family)
{
    g_irig = this;
    net.simReady();

    netreg.Power = &pwr._i;
    netreg.Prompt = &prompt._i;
    netreg.BasicComms = &comms._i;
    gsmNetworkRegistrationInit(&netreg);

    // Internet Connection (SIMCom LTE or 2G)
    auto wireConnection = [&](auto& c) {
        c.Power = &pwr._i;
        c.Prompt = &prompt._i;
        c.NetworkRegistration = &netreg._i;
        c.APN_IfAny = o.apn;
    };
    GSM_InternetConnection_Interface* connection = &lte._i;
    if (family == InternetModem::Family::Lte) {
        wireConnection(lte);
        gsmInternetConnectionSimcomInit(&lte);
    } else {
        wireConnection(g2);
        gsmInternetConnectionSimcom2GInit(&g2);
        connection = &g2._i;
    }

    // HTTP Client (Simcom)
    http.Power = &pwr._i;
    http.Prompt = &prompt._i;
    http.InternetConnection = connection;
    http.EventHandler = &httpEvent;
    gsmHttpClientSimcomInit(&http);

    // MQTT Client (SIMCom): LTE modems only
    if (family == InternetModem::Family::Lte) {
        mqtt.Power = &pwr._i;
        mqtt.Prompt = &prompt._i;
        mqtt.NetworkRegistration = &netreg._i;
        mqtt.InternetConnection = connection;
        mqtt.EventHandler = &mqttEvent;
        gsmMqttClientSimcomInit(&mqtt);
    }

    // TLS, as an application wires it in USER CODE (the clients use it once their Ssl
    // is set).
    ssl.Prompt = &prompt._i;
    gsmSslSimcomInit(&ssl);
}

InternetRig::~InternetRig()
{
    for (const std::string& m : eventQueryMismatches)
        ADD_FAILURE() << "an event disagrees with the query functions: " << m;
    g_irig = nullptr;
}

void InternetRig::pollModules()
{
    gsmNetworkRegistrationPoll(&netreg);
    if (family == InternetModem::Family::Lte)
        gsmInternetConnectionSimcomPoll(&lte);
    else
        gsmInternetConnectionSimcom2GPoll(&g2);
    gsmHttpClientSimcomPoll(&http);
    if (family == InternetModem::Family::Lte)
        gsmMqttClientSimcomPoll(&mqtt);
}

bool InternetRig::connected() const
{
    return family == InternetModem::Family::Lte
               ? gsmInternetConnectionSimcomIsConnected(const_cast<GSM_InternetConnectionSimcom_Instance*>(&lte))
               : gsmInternetConnectionSimcom2GIsConnected(const_cast<GSM_InternetConnectionSimcom2G_Instance*>(&g2));
}

void InternetRig::setRegistered(bool registered)
{
    sim.setRegistration(0, registered ? 1 : 2);
    sim.setRegistration(1, registered ? 1 : 2);
    if (family == InternetModem::Family::Lte)
        sim.setRegistration(2, registered ? 1 : 2);
}

bool InternetRig::bringUp(bool waitConnection)
{
    if (!runUntil([&] { return gsmBasicCommsCommunicationEstablished(&comms); }, 20000))
        return false;
    setRegistered(true);
    if (!runUntil([&] { return gsmNetworkRegistrationIsRegistered(&netreg); }, 30000))
        return false;
    return !waitConnection || runUntil([&] { return connected(); }, 30000);
}

std::string InternetRig::httpBody(size_t from) const
{
    std::string body;
    for (size_t i = from; i < httpEvents.size(); ++i) {
        if (httpEvents[i].offset != body.size())
            return "<pieces out of order>";
        body += httpEvents[i].data;
    }
    return body;
}

bool InternetRig::httpDone(size_t before, uint32_t maxMs)
{
    return runUntil([&] { return httpEvents.size() > before && httpEvents.back().last; }, maxMs);
}

HttpEvent InternetRig::request(const std::string& url, const char* post, uint32_t maxMs)
{
    size_t before = httpEvents.size();
    bool queued = post ? gsmHttpClientSimcomPost(&http, url.c_str(), post) : gsmHttpClientSimcomGet(&http, url.c_str());
    return queued && httpDone(before, maxMs) ? httpEvents.back() : HttpEvent();
}

size_t InternetRig::countMqtt(int type, int errorType) const
{
    return static_cast<size_t>(std::count_if(mqttEvents.begin(), mqttEvents.end(), [&](const MqttEvent& e) {
        return e.type == type && (errorType < 0 || e.errorType == errorType);
    }));
}

bool InternetRig::waitMqtt(int type, size_t count, uint32_t maxMs)
{
    return runUntil([&] { return countMqtt(type) >= count; }, maxMs);
}

bool InternetRig::lastMessage(std::string* topic, std::string* payload) const
{
    // Walk back to the last MsgRxEnd, then collect that message's segments in order.
    size_t end = mqttEvents.size();
    while (end > 0 && mqttEvents[end - 1].type != GSM_MqttClientSimcom_EventType_MsgRxEnd)
        --end;
    if (end == 0)
        return false;
    size_t begin = end - 1;
    while (begin > 0 && (mqttEvents[begin - 1].type == GSM_MqttClientSimcom_EventType_MsgRxTopic ||
                         mqttEvents[begin - 1].type == GSM_MqttClientSimcom_EventType_MsgRxPayload))
        --begin;
    topic->clear();
    payload->clear();
    for (size_t i = begin; i + 1 < end; ++i) {
        const MqttEvent& e = mqttEvents[i];
        std::string* target = e.type == GSM_MqttClientSimcom_EventType_MsgRxTopic ? topic : payload;
        if (e.offset != target->size() || e.length != e.segment.size())
            return false;
        *target += e.segment;
        if (target->size() > e.total)
            return false;
    }
    return true;
}

size_t countCommands(const ModemSim& sim, const std::string& prefix)
{
    return static_cast<size_t>(std::count_if(sim.commands.begin(), sim.commands.end(), [&](const std::string& c) {
        return c.compare(0, prefix.size(), prefix) == 0;
    }));
}
