// The MQTT client through the simulated SIM7600, whose MQTT service talks to a real
// mosquitto broker on loopback; mosquitto_pub and mosquitto_sub are the other clients.
// A broker that cannot be started fails the tests.
#include "internet_rig.h"
#include "test_servers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <functional>
#include <tuple>

namespace {

using Ev = MqttEvent;

class Mqtt : public ::testing::Test
{
protected:
    static MosquittoBroker broker; // started by the first test, again after a test stopped it

    void SetUp() override
    {
        ASSERT_TRUE(broker.running() || broker.start()) << "mosquitto broker: " << broker.error();
        brokerUrl = broker.url();
    }

    static std::string cli(const std::string& tool)
    {
        return tool + " -h 127.0.0.1 -p " + std::to_string(broker.port());
    }

    // The broker's URL, kept for the whole test (the library keeps the pointer).
    std::string brokerUrl;

    static void connect(InternetRig& r, GSM_MqttClientSimcom_Connect_Session* s)
    {
        size_t before = r.countMqtt(GSM_MqttClientSimcom_EventType_ConnectSuccess);
        ASSERT_TRUE(gsmMqttClientSimcomConnect(&r.mqtt, s));
        EXPECT_EQ(gsmMqttClientServerConnectionState(&r.mqtt), GSM_MQTT_ServerStatus_Connecting);
        ASSERT_TRUE(r.waitMqtt(GSM_MqttClientSimcom_EventType_ConnectSuccess, before + 1))
            << "events: " << r.mqttEvents.size();
        EXPECT_EQ(gsmMqttClientServerConnectionState(&r.mqtt), GSM_MQTT_ServerStatus_Connected);
    }

    // mosquitto_pub publishes (the payload from a file: any bytes); the library must
    // report the message.
    static void expectDelivery(InternetRig& r, const std::string& topic, const std::string& payload)
    {
        const std::string file = std::string(::testing::TempDir()) + "tarvex_payload.bin";
        std::ofstream(file, std::ios::binary | std::ios::trunc) << payload;
        size_t ends = r.countMqtt(GSM_MqttClientSimcom_EventType_MsgRxEnd);
        size_t received = r.net.mqttMessagesReceived();
        int status = -1;
        runCommand(cli("mosquitto_pub") + " -q 1 -t '" + topic + "' -f " + file, &status);
        ASSERT_EQ(status, 0) << "mosquitto_pub failed";
        ASSERT_TRUE(r.net.mqttWaitForMessages(received + 1, 5000)) << "the broker did not forward the message";
        ASSERT_TRUE(r.waitMqtt(GSM_MqttClientSimcom_EventType_MsgRxEnd, ends + 1));
        std::string gotTopic, gotPayload;
        ASSERT_TRUE(r.lastMessage(&gotTopic, &gotPayload)) << "segments in order, offsets consistent";
        EXPECT_EQ(gotTopic, topic);
        EXPECT_TRUE(gotPayload == payload) << "payload of " << payload.size() << " bytes, got " << gotPayload.size();
    }
};

MosquittoBroker Mqtt::broker;

TEST_F(Mqtt, FullSessionAgainstTheBroker)
{
    InternetRig r(InternetRigOptions::seeded(1));
    ASSERT_TRUE(r.bringUp());
    auto s = mqttSession(brokerUrl.c_str(), "tarvex-full");
    s.KeepAlive_s = 30;
    connect(r, &s);
    ASSERT_EQ(r.net.mqttConnects.size(), 1u);
    const InternetModem::MqttConnect& c = r.net.mqttConnects[0];
    EXPECT_EQ(std::tie(c.clientId, c.url, c.keepAlive, c.clean), std::make_tuple("tarvex-full", broker.url(), 30, true));

    // Subscribe, then messages from another client arrive as topic and payload events.
    ASSERT_TRUE(gsmMqttClientSimcomSubscribe(&r.mqtt, "tarvex/in/#", 1));
    EXPECT_FALSE(gsmMqttClientSimcomSubscribe(&r.mqtt, "other", 0)) << "one subscription at a time";
    ASSERT_TRUE(r.waitMqtt(GSM_MqttClientSimcom_EventType_SubscribeSuccess));
    EXPECT_EQ(r.net.mqttSubscriptions, std::vector<std::string>({"tarvex/in/#"}));

    expectDelivery(r, "tarvex/in/short", "hello, device");
    // A payload larger than one receive event and than one modem chunk (1500 bytes).
    std::string big;
    for (int i = 0; big.size() < 4000; ++i)
        big += "line " + std::to_string(i) + "\r\nOK\r\n+CMQTTRXEND: 0\r\n";
    big.resize(4000);
    expectDelivery(r, "tarvex/in/big", big);
    size_t segments = r.countMqtt(GSM_MqttClientSimcom_EventType_MsgRxPayload);
    EXPECT_GE(segments, 1u + (4000 + GSM_MQTT_SIMCOM_RX_SEGMENT - 1) / GSM_MQTT_SIMCOM_RX_SEGMENT);

    // Publish from the library (QoS 1, retained, a payload with a NUL byte): another
    // client subscribing later still gets it.
    {
        static const char payload[] = "retained\0value";
        GSM_MqttClientSimcom_Publish_Parameters p = {};
        p.Topic = "tarvex/retained";
        p.Payload = payload;
        p.PayloadLength = sizeof(payload) - 1;
        p.QoS = 1;
        p.Retain = true;
        size_t published = r.countMqtt(GSM_MqttClientSimcom_EventType_PublishSuccess);
        ASSERT_TRUE(gsmMqttClientSimcomPublishEx(&r.mqtt, &p));
        ASSERT_TRUE(r.waitMqtt(GSM_MqttClientSimcom_EventType_PublishSuccess, published + 1));
        std::string out = runCommand(cli("mosquitto_sub") + " -C 1 -W 5 -N -t tarvex/retained");
        EXPECT_EQ(out, std::string(payload, sizeof(payload) - 1));
        runCommand(cli("mosquitto_pub") + " -r -n -t tarvex/retained"); // clear it again
    }

    // Unsubscribe: later messages are no longer delivered.
    ASSERT_TRUE(gsmMqttClientSimcomUnsubscribe(&r.mqtt, "tarvex/in/#"));
    ASSERT_TRUE(r.waitMqtt(GSM_MqttClientSimcom_EventType_UnsubscribeSuccess));
    size_t ends = r.countMqtt(GSM_MqttClientSimcom_EventType_MsgRxEnd);
    runCommand(cli("mosquitto_pub") + " -t tarvex/in/late -m late");
    EXPECT_FALSE(r.net.mqttWaitForMessages(r.net.mqttMessagesReceived() + 1, 500));
    r.runFor(2000);
    EXPECT_EQ(r.countMqtt(GSM_MqttClientSimcom_EventType_MsgRxEnd), ends);

    // Disconnect: DISC, REL, STOP.
    ASSERT_TRUE(gsmMqttClientSimcomDisconnect(&r.mqtt));
    EXPECT_EQ(gsmMqttClientServerConnectionState(&r.mqtt), GSM_MQTT_ServerStatus_Connected) << "queued";
    ASSERT_TRUE(r.waitMqtt(GSM_MqttClientSimcom_EventType_DisconnectSuccess));
    EXPECT_EQ(gsmMqttClientServerConnectionState(&r.mqtt), GSM_MQTT_ServerStatus_Disconnected);
    EXPECT_FALSE(r.net.mqttStarted());
    EXPECT_EQ(r.countMqtt(GSM_MqttClientSimcom_EventType_ErrorResponse), 0u);
    EXPECT_EQ(r.txOverflows, 0u);
}

// The disconnection goes on through AT+CMQTTREL and AT+CMQTTSTOP whatever AT+CMQTTDISC
// answers and ends in one event: a refused or failed AT+CMQTTDISC, or a result that never
// comes, is its ErrorResponse; a refused stop or its "<err>" is not (the service is
// stopped all the same). "+CMQTTNONET" meanwhile stops the service: nothing more goes to
// it. A modem that restarts never answers AT+CMQTTDISC: that failure is the event, and
// no stop goes to the restarted modem. The next connection can be made.
TEST_F(Mqtt, DisconnectGoesOnAndEndsInOneEvent)
{
    // An answer: "ERROR", "-" (OK and no result line), "RESTART" or a line after OK;
    // stop null: the simulator answers AT+CMQTTREL and AT+CMQTTSTOP.
    struct Case
    {
        const char *disc, *stop;
        int type, result, code; // result -1: not checked
        int rels, stops, noNetwork; // rels -1: not counted
    };
    const int success = GSM_MqttClientSimcom_EventType_DisconnectSuccess;
    const int failure = GSM_MqttClientSimcom_EventType_ErrorResponse;
    const Case cases[] = {
        {"ERROR", "+CMQTTSTOP: 0", failure, GSM_Result_Error, 0, 1, 1, 0},
        {"+CMQTTDISC: 0,11", "+CMQTTSTOP: 0", failure, GSM_Result_Ok, 11, 1, 1, 0},
        {"-", "+CMQTTSTOP: 0", failure, GSM_Result_Timeout, 0, 1, 1, 0},
        {"+CMQTTDISC: 0,0", "ERROR", success, -1, -1, 1, 1, 0},
        {"+CMQTTDISC: 0,0", "+CMQTTSTOP: 21", success, -1, -1, 1, 1, 0},
        {"+CMQTTDISC: 0,0", "-", failure, GSM_Result_Timeout, 0, 1, 1, 0},
        {"+CMQTTNONET", nullptr, success, -1, -1, 0, 0, 1},
        {"RESTART", nullptr, failure, -1, -1, -1, 0, 0},
    };
    uint32_t seed = 30;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.disc) + " / " + (c.stop ? c.stop : "-"));
        InternetRig r(InternetRigOptions::seeded(seed++));
        ASSERT_TRUE(r.bringUp());
        auto s = mqttSession(brokerUrl.c_str(), "tarvex-disc");
        connect(r, &s);
        auto answer = [&r](const std::string& a) {
            if (a == "RESTART")
                return r.sim.spontaneousReset();
            if (a == "ERROR")
                return r.sim.error();
            r.sim.ok();
            if (a != "-")
                r.sim.later(100, [&r, a] { r.sim.emitUrc(a); });
        };
        r.sim.addHandler("AT+CMQTTDISC=", [&](ModemSim&, const std::string&) { answer(c.disc); });
        if (c.stop) {
            r.sim.addHandler("AT+CMQTTREL=", [](ModemSim& m, const std::string&) { m.ok(); });
            r.sim.addHandler("AT+CMQTTSTOP", [&](ModemSim&, const std::string&) { answer(c.stop); });
        }
        r.mqttEvents.clear();
        ASSERT_TRUE(gsmMqttClientSimcomDisconnect(&r.mqtt));
        ASSERT_TRUE(r.runUntil([&] { return r.countMqtt(success) + r.countMqtt(failure) > 0; },
                               GSM_MQTT_SIMCOM_RESULT_TIMEOUT_MS * 3));
        r.runFor(GSM_MQTT_SIMCOM_RESULT_TIMEOUT_MS + 1000);
        EXPECT_EQ(r.mqttEvents.size(), 1u + c.noNetwork);
        EXPECT_EQ(r.countMqtt(c.type), 1u);
        EXPECT_EQ(r.countMqtt(GSM_MqttClientSimcom_EventType_NoNetwork), static_cast<size_t>(c.noNetwork));
        if (c.type == failure) {
            EXPECT_EQ(r.countMqtt(failure, GSM_MQTT_ErrorType_Disconnect), 1u);
            const Ev& e = r.mqttEvents.back();
            if (c.result >= 0) {
                EXPECT_EQ(e.result, c.result);
                EXPECT_EQ(e.errorCode, c.code);
            }
        }
        if (c.rels >= 0) {
            EXPECT_EQ(std::count(r.sim.commands.begin(), r.sim.commands.end(), "AT+CMQTTREL=0"), c.rels);
        }
        EXPECT_EQ(std::count(r.sim.commands.begin(), r.sim.commands.end(), "AT+CMQTTSTOP"), c.stops);
        EXPECT_EQ(gsmMqttClientServerConnectionState(&r.mqtt), GSM_MQTT_ServerStatus_Disconnected);
        EXPECT_TRUE(gsmMqttClientSimcomConnect(&r.mqtt, &s)) << "ready for the next connection";
    }
}

TEST_F(Mqtt, OperationsQueuedWhileConnecting)
{
    InternetRig r(InternetRigOptions::seeded(2));
    ASSERT_TRUE(r.runUntil([&] { return gsmBasicCommsCommunicationEstablished(&r.comms); }, 20000));
    auto s = mqttSession(brokerUrl.c_str(), "tarvex-queue");
    s.UserName = "device";
    s.Password = "secret";
    s.WillTopic = "tarvex/will";
    s.WillMessage = "gone";
    s.WillQoS = 1;
    // Everything asked before the connection even exists runs in order once it does.
    ASSERT_TRUE(gsmMqttClientSimcomConnect(&r.mqtt, &s));
    EXPECT_FALSE(gsmMqttClientSimcomConnect(&r.mqtt, &s)) << "already connecting";
    ASSERT_TRUE(gsmMqttClientSimcomSubscribe(&r.mqtt, "tarvex/q", 0));
    ASSERT_TRUE(gsmMqttClientSimcomPublish(&r.mqtt, "tarvex/q", "queued"));
    r.setRegistered(true);
    ASSERT_TRUE(r.waitMqtt(GSM_MqttClientSimcom_EventType_PublishSuccess, 1, 60000));
    std::vector<int> order;
    for (const Ev& e : r.mqttEvents)
        if (e.type <= GSM_MqttClientSimcom_EventType_PublishSuccess)
            order.push_back(e.type);
    EXPECT_EQ(order, std::vector<int>({GSM_MqttClientSimcom_EventType_ConnectSuccess,
                                        GSM_MqttClientSimcom_EventType_SubscribeSuccess,
                                        GSM_MqttClientSimcom_EventType_PublishSuccess}));
    ASSERT_EQ(r.net.mqttConnects.size(), 1u);
    const InternetModem::MqttConnect& c = r.net.mqttConnects[0];
    EXPECT_EQ(std::tie(c.user, c.password, c.willTopic, c.willMessage, c.willQos),
              std::make_tuple("device", "secret", "tarvex/will", "gone", 1));
    // Its own publication comes back through the subscription.
    ASSERT_TRUE(r.net.mqttWaitForMessages(1, 5000));
    ASSERT_TRUE(r.waitMqtt(GSM_MqttClientSimcom_EventType_MsgRxEnd));
    std::string topic, payload;
    ASSERT_TRUE(r.lastMessage(&topic, &payload));
    EXPECT_EQ(topic, "tarvex/q");
    EXPECT_EQ(payload, "queued");

    // A queued publication can be withdrawn; a running one past its input cannot.
    GSM_MqttClientSimcom_Publish_Parameters p = {};
    p.Topic = "tarvex/q";
    p.Payload = "never";
    ASSERT_TRUE(gsmMqttClientSimcomPublishEx(&r.mqtt, &p));
    EXPECT_TRUE(gsmMqttClientSimcomCancelPublish(&r.mqtt));
    EXPECT_FALSE(gsmMqttClientSimcomCancelPublish(&r.mqtt));
    EXPECT_FALSE(gsmMqttClientSimcomCancelSubscribe(&r.mqtt));
    EXPECT_FALSE(gsmMqttClientSimcomCancelUnsubscribe(&r.mqtt));
    r.runFor(3000);
    EXPECT_EQ(r.countMqtt(GSM_MqttClientSimcom_EventType_PublishSuccess), 1u);
}

TEST_F(Mqtt, RefusedArguments)
{
    InternetRig r(InternetRigOptions::seeded(3));
    auto s = mqttSession(brokerUrl.c_str(), "tarvex-args");
    EXPECT_FALSE(gsmMqttClientSimcomSubscribe(&r.mqtt, "t", 0)) << "not connected";
    EXPECT_FALSE(gsmMqttClientSimcomPublish(&r.mqtt, "t", "x")) << "not connected";
    EXPECT_FALSE(gsmMqttClientSimcomDisconnect(&r.mqtt)) << "not connected";

    // A session spoiled in one field: a URL that breaks out of its quotes, no client id,
    // no keep-alive, a password without a user name, a will without its message.
    const std::function<void(GSM_MqttClientSimcom_Connect_Session&)> spoil[] = {
        [](auto& b) { b.ServerUrl = "tcp://host\",1,1\r\nAT+CFUN=0"; }, [](auto& b) { b.ClientId = ""; },
        [](auto& b) { b.KeepAlive_s = 0; }, [](auto& b) { b.Password = "no user"; }, [](auto& b) { b.WillTopic = "w"; }};
    for (const auto& f : spoil) {
        auto bad = s;
        f(bad);
        EXPECT_FALSE(gsmMqttClientSimcomConnect(&r.mqtt, &bad)) << "spoiled field " << &f - spoil;
    }
    EXPECT_FALSE(gsmMqttClientSimcomConnect(&r.mqtt, nullptr));
    EXPECT_EQ(gsmMqttClientServerConnectionState(&r.mqtt), GSM_MQTT_ServerStatus_Disconnected);

    ASSERT_TRUE(gsmMqttClientSimcomConnect(&r.mqtt, &s));
    EXPECT_FALSE(gsmMqttClientSimcomSubscribe(&r.mqtt, "t", 3)) << "QoS 3";
    EXPECT_FALSE(gsmMqttClientSimcomSubscribe(&r.mqtt, "", 0));
    EXPECT_FALSE(gsmMqttClientSimcomSubscribe(&r.mqtt, std::string(GSM_MQTT_SIMCOM_MAX_TOPIC + 1, 't').c_str(), 0));
    EXPECT_TRUE(gsmMqttClientSimcomSubscribe(&r.mqtt, std::string(GSM_MQTT_SIMCOM_MAX_TOPIC, 't').c_str(), 0));
    std::string huge(GSM_MQTT_SIMCOM_MAX_PAYLOAD + 1, 'p');
    EXPECT_FALSE(gsmMqttClientSimcomPublish(&r.mqtt, "t", huge.c_str()));
    EXPECT_FALSE(gsmMqttClientSimcomPublish(&r.mqtt, "t", nullptr));
    EXPECT_TRUE(gsmMqttClientSimcomCancelSubscribe(&r.mqtt));
}

// How real firmware shapes the answers of AT+CMQTTSTART and AT+CMQTTCONNECT: the result
// as a URC after OK, before OK, a failing result followed by ERROR with no OK, no space
// after the colon. The cause code reaches the event in every shape.
TEST_F(Mqtt, ConnectFailuresAreReported)
{
    struct Shape
    {
        bool beforeOk, withError, noSpace;
    };
    for (const Shape shape : {Shape{false, false, false}, Shape{true, false, false}, Shape{false, true, false},
                              Shape{true, true, true}}) {
        SCOPED_TRACE(::testing::Message() << shape.beforeOk << shape.withError << shape.noSpace);
        InternetRig r(InternetRigOptions::seeded(4));
        r.net.resultBeforeOk = shape.beforeOk;
        r.net.failureWithError = shape.withError;
        r.net.noSpaceAfterColon = shape.noSpace;
        ASSERT_TRUE(r.bringUp());
        // Nothing listens on this port: the socket connect fails.
        auto s = mqttSession("tcp://127.0.0.1:1", "tarvex-fail");
        ASSERT_FALSE(gsmMqttClientSimcomSubscribe(&r.mqtt, "x", 0)) << "not connected";
        ASSERT_TRUE(gsmMqttClientSimcomConnect(&r.mqtt, &s));
        ASSERT_TRUE(gsmMqttClientSimcomSubscribe(&r.mqtt, "x", 0));
        ASSERT_TRUE(r.waitMqtt(GSM_MqttClientSimcom_EventType_ErrorResponse, 2));
        const Ev& e = r.mqttEvents[0];
        EXPECT_EQ(e.errorType, GSM_MQTT_ErrorType_Connect);
        EXPECT_EQ(e.result, shape.withError ? GSM_Result_Error : GSM_Result_Ok);
        EXPECT_EQ(e.errorCode, 3) << "socket connect failed";
        EXPECT_EQ(r.mqttEvents[1].errorType, GSM_MQTT_ErrorType_Subscribe) << "the queued subscription fails too";
        EXPECT_EQ(r.mqttEvents[1].result, GSM_Result_Aborted);
        EXPECT_EQ(gsmMqttClientServerConnectionState(&r.mqtt), GSM_MQTT_ServerStatus_Disconnected);

        // The program restarts while the modem keeps its service and client: the next
        // attempt, to the real broker, takes "+CMQTTSTART: 23" and ERROR (already
        // started) and the held client in its stride.
        gsmMqttClientSimcomInit(&r.mqtt);
        auto good = mqttSession(brokerUrl.c_str(), "tarvex-fail");
        connect(r, &good);
        EXPECT_EQ(r.net.mqttStarts, 1);
        EXPECT_EQ(std::count(r.sim.commands.begin(), r.sim.commands.end(), "AT+CMQTTSTART"), 2);
    }
}

// The broker goes away just as a subscription or a publication is handed over: the
// connection is reported lost once, a subscription fails, nothing more is accepted, and
// the application can connect again.
TEST_F(Mqtt, BrokerLostMidOperationThenRecovers)
{
    struct Case
    {
        const char* command;
        bool subscribe;
    };
    for (const Case& c : {Case{"AT+CMQTTSUB", true}, Case{"AT+CMQTTPUB=", false}}) {
        SCOPED_TRACE(c.command);
        InternetRig r(InternetRigOptions::seeded(c.subscribe ? 5 : 6));
        ASSERT_TRUE(r.bringUp());
        auto s = mqttSession(brokerUrl.c_str(), c.subscribe ? "tarvex-lost" : "tarvex-pub");
        connect(r, &s);
        const std::string prefix = c.command;
        r.net.onMqttCommand = [&](const std::string& cmd) {
            if (cmd.compare(0, prefix.size(), prefix) == 0)
                broker.stop();
        };
        ASSERT_TRUE(c.subscribe ? gsmMqttClientSimcomSubscribe(&r.mqtt, "tarvex/lost", 1)
                                : gsmMqttClientSimcomPublish(&r.mqtt, "tarvex/lost", "in flight"));
        ASSERT_TRUE(r.waitMqtt(GSM_MqttClientSimcom_EventType_ConnectionLost, 1, 30000));
        ASSERT_TRUE(r.runUntil([&] { return r.countMqtt(GSM_MqttClientSimcom_EventType_ErrorResponse) +
                                                r.countMqtt(GSM_MqttClientSimcom_EventType_PublishSuccess) >= 1; },
                               30000));
        if (c.subscribe) {
            bool subscribeFailed = false;
            for (const Ev& e : r.mqttEvents)
                subscribeFailed |= e.type == GSM_MqttClientSimcom_EventType_ErrorResponse &&
                                   e.errorType == GSM_MQTT_ErrorType_Subscribe;
            EXPECT_TRUE(subscribeFailed);
            EXPECT_EQ(r.countMqtt(GSM_MqttClientSimcom_EventType_SubscribeSuccess), 0u);
        }
        EXPECT_EQ(r.countMqtt(GSM_MqttClientSimcom_EventType_ConnectionLost), 1u);
        EXPECT_EQ(gsmMqttClientServerConnectionState(&r.mqtt), GSM_MQTT_ServerStatus_Disconnected);
        EXPECT_FALSE(gsmMqttClientSimcomPublish(&r.mqtt, "tarvex/lost", "x")) << "not connected";

        r.net.onMqttCommand = nullptr;
        ASSERT_TRUE(broker.start()) << broker.error();
        connect(r, &s);
        ASSERT_TRUE(gsmMqttClientSimcomSubscribe(&r.mqtt, "tarvex/lost", 1));
        ASSERT_TRUE(r.waitMqtt(GSM_MqttClientSimcom_EventType_SubscribeSuccess));
        expectDelivery(r, "tarvex/lost", "back again");
    }
}

TEST_F(Mqtt, NoNetworkRestartsTheService)
{
    InternetRig r(InternetRigOptions::seeded(7));
    ASSERT_TRUE(r.bringUp());
    auto s = mqttSession(brokerUrl.c_str(), "tarvex-nonet");
    connect(r, &s);
    ASSERT_TRUE(gsmMqttClientSimcomSubscribe(&r.mqtt, "tarvex/n", 0));
    ASSERT_TRUE(r.waitMqtt(GSM_MqttClientSimcom_EventType_SubscribeSuccess));

    r.net.setNetworkAvailable(false); // "+CIPEVENT: NETWORK CLOSED..." and "+CMQTTNONET"
    ASSERT_TRUE(r.waitMqtt(GSM_MqttClientSimcom_EventType_NoNetwork));
    EXPECT_EQ(gsmMqttClientServerConnectionState(&r.mqtt), GSM_MQTT_ServerStatus_Disconnected);
    ASSERT_TRUE(r.runUntil([&] { return !r.connected(); }, 5000));

    // A connect asked for now waits for the network, then restarts the service.
    ASSERT_TRUE(gsmMqttClientSimcomConnect(&r.mqtt, &s));
    r.runFor(5000);
    EXPECT_EQ(r.countMqtt(GSM_MqttClientSimcom_EventType_ConnectSuccess), 1u);
    r.net.setNetworkAvailable(true);
    ASSERT_TRUE(r.waitMqtt(GSM_MqttClientSimcom_EventType_ConnectSuccess, 2, GSM_INETCONN_RETRY_MS + 30000));
    EXPECT_EQ(r.net.mqttStarts, 2) << "AT+CMQTTSTART again after +CMQTTNONET";
    ASSERT_TRUE(gsmMqttClientSimcomSubscribe(&r.mqtt, "tarvex/n", 0));
    ASSERT_TRUE(r.waitMqtt(GSM_MqttClientSimcom_EventType_SubscribeSuccess, 2));
    expectDelivery(r, "tarvex/n", "network is back");
}

TEST_F(Mqtt, KeepAliveFailureAndModemRestart)
{
    InternetRig r(InternetRigOptions::seeded(8));
    ASSERT_TRUE(r.bringUp());
    auto s = mqttSession(brokerUrl.c_str(), "tarvex-ping");
    connect(r, &s);

    // A successful keep-alive report changes nothing; a failed one is a lost connection.
    r.sim.emitUrc("+CMQTTPING: 0,0");
    r.runFor(1000);
    EXPECT_EQ(gsmMqttClientServerConnectionState(&r.mqtt), GSM_MQTT_ServerStatus_Connected);
    r.net.mqttConnectionFails("+CMQTTPING: 0,17");
    ASSERT_TRUE(r.waitMqtt(GSM_MqttClientSimcom_EventType_ConnectionLost));
    EXPECT_EQ(gsmMqttClientServerConnectionState(&r.mqtt), GSM_MQTT_ServerStatus_Disconnected);
    r.sim.emitUrc("+CMQTTCONNLOST: 0,1");
    r.runFor(1000);
    EXPECT_EQ(r.countMqtt(GSM_MqttClientSimcom_EventType_ConnectionLost), 1u) << "one report per connection";

    // The modem restarts while connected: reported, and the next connect starts the
    // service afresh.
    connect(r, &s);
    r.sim.spontaneousReset();
    ASSERT_TRUE(r.waitMqtt(GSM_MqttClientSimcom_EventType_ConnectionLost, 2, 30000));
    r.setRegistered(true);
    ASSERT_TRUE(r.runUntil([&] { return r.connected(); }, 60000));
    connect(r, &s);
    EXPECT_EQ(r.net.mqttStarts, 2);
    EXPECT_EQ(r.countMqtt(GSM_MqttClientSimcom_EventType_ErrorResponse), 0u);
}

// ---- The receive sequence itself, with chunks and broken headers (no broker) ----

class MqttReceive : public ::testing::TestWithParam<int>
{
};

// Segments are reported from the Prompt buffer, so its size (one per seed, down to
// one where chunks end at its very last byte) must not change what arrives. A broken
// message gives its error event and is dropped; the command engine keeps its footing and
// the next message arrives whole.
TEST_P(MqttReceive, ChunkedAndBrokenMessages)
{
    InternetRigOptions o = InternetRigOptions::seeded(static_cast<uint32_t>(GetParam()) + 10);
    const size_t promptBuffers[] = {1024, 256, 97, 64};
    o.promptBuffer = promptBuffers[(GetParam() - 1) % 4];
    InternetRig r(o);
    ASSERT_TRUE(r.bringUp());

    const std::string topic = std::string(700, 'a') + std::string(324, 'b');
    const std::string payload = trickyBody(10240);
    // Too long to report: a payload above GSM_MQTT_SIMCOM_MAX_PAYLOAD whose bytes hold a
    // complete receive sequence at line starts: every byte is read as data.
    const std::string fake = "\r\n+CMQTTRXSTART: 0,4,4\r\n+CMQTTRXTOPIC: 0,4\r\nfake\r\n+CMQTTRXPAYLOAD: 0,4\r\n"
                             "fake\r\n+CMQTTRXEND: 0\r\nOK\r\n";
    std::string big;
    while (big.size() < GSM_MQTT_SIMCOM_MAX_PAYLOAD + 500)
        big += fake + trickyBody(300);
    auto counts = [&] {
        return std::array<size_t, 4>{r.countMqtt(GSM_MqttClientSimcom_EventType_MsgRxEnd),
                                     r.countMqtt(GSM_MqttClientSimcom_EventType_MsgRxTopicHeaderError),
                                     r.countMqtt(GSM_MqttClientSimcom_EventType_MsgRxPayloadError),
                                     r.countMqtt(GSM_MqttClientSimcom_EventType_MsgRxPayloadHeaderError)};
    };
    struct Case
    {
        const char* name;
        std::string input;
        std::array<size_t, 4> counts; // as counts(): messages, then topic header, payload, payload header errors
        std::string topic, payload;   // of the last message
    };
    const Case cases[] = {
        {"the largest message: a 1024-byte topic in two chunks, 10240 bytes of payload",
         mqttRxSequence(topic, payload, 600), {1, 0, 0, 0}, topic, payload},
        {"a topic chunk longer than announced: its data consumed",
         "\r\n+CMQTTRXSTART: 0,5,5\r\n+CMQTTRXTOPIC: 0,9\r\nOK\r\nERROR\r\n+CMQTTRXPAYLOAD: 0,5\r\nvalue\r\n"
         "+CMQTTRXEND: 0\r\n" + mqttRxSequence("abc", "xy"),
         {1, 1, 0, 0}, "abc", "xy"},
        {"a payload that ends early, a malformed payload header, no RXSTART, an empty topic",
         "\r\n+CMQTTRXSTART: 0,1,10\r\n+CMQTTRXTOPIC: 0,1\r\nt\r\n+CMQTTRXPAYLOAD: 0,4\r\nabcd\r\n+CMQTTRXEND: 0\r\n"
         "\r\n+CMQTTRXSTART: 0,1,4\r\n+CMQTTRXTOPIC: 0,1\r\nt\r\n+CMQTTRXPAYLOAD: 0,x\r\n+CMQTTRXEND: 0\r\n"
         "\r\n+CMQTTRXTOPIC: 0,2\r\nzz\r\n+CMQTTRXEND: 0\r\n"
         "\r\n+CMQTTRXSTART: 0,0,4\r\n+CMQTTRXEND: 0\r\n",
         {0, 2, 1, 1}, "", ""},
        {"too long, in one chunk and in ordinary chunks; a chunk longer than its message",
         mqttRxSequence("big", big, 1500, big.size()) + mqttRxSequence("big", big) +
             "\r\n+CMQTTRXSTART: 0,1,2\r\n+CMQTTRXTOPIC: 0,1\r\nt\r\n+CMQTTRXPAYLOAD: 0," + std::to_string(big.size()) +
             "\r\n" + big + "\r\n+CMQTTRXEND: 0\r\n" + mqttRxSequence("real", "data"),
         {1, 0, 0, 3}, "real", "data"},
        {"an empty payload: the message ends right after its topic", mqttRxSequence("ping", ""), {1, 0, 0, 0}, "ping",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        r.mqttEvents.clear();
        r.sim.emitRaw(c.input);
        r.runUntil([&] { return counts() == c.counts; }, 20000);
        r.runFor(500);
        EXPECT_EQ(counts(), c.counts) << "no message made of payload bytes, each error reported once";
        EXPECT_TRUE(r.connected()) << "the command engine kept its footing";
        for (const Ev& e : r.mqttEvents) {
            EXPECT_NE(e.segment, "fake");
            if (e.type == GSM_MqttClientSimcom_EventType_MsgRxTopic ||
                e.type == GSM_MqttClientSimcom_EventType_MsgRxPayload) {
                EXPECT_LE(e.length, GSM_MQTT_SIMCOM_RX_SEGMENT);
                EXPECT_GT(e.length, 0u);
                EXPECT_TRUE(e.terminated) << "segments are NUL-terminated";
            }
        }
        std::string gotTopic, gotPayload;
        if (c.counts[0] > 0) {
            ASSERT_TRUE(r.lastMessage(&gotTopic, &gotPayload)) << "segments in order, offsets consistent";
            EXPECT_EQ(gotTopic, c.topic);
            EXPECT_TRUE(gotPayload == c.payload) << "payload of " << gotPayload.size() << " bytes";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, MqttReceive, ::testing::Values(1, 2, 3, 4));

} // namespace
