// HTTPS and MQTT over TLS through the simulated modems. The modem's TLS is real: the
// HTTP service goes through libcurl to HTTPS servers of this test, MQTT through
// libmosquitto to mosquitto TLS listeners, with a CA and certificates made by openssl
// at run time. The certificate files the library downloads into the modem are the ones
// the modem's TLS client uses, so a wrong CA, an expired or wrong-host server
// certificate and a missing client certificate fail the handshake for real.
#include "internet_rig.h"
#include "test_servers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

// PEM files as an application keeps them: constant data, named as in the modem.
struct Files
{
    std::string pem[3]; // the CA, the client certificate and its key
    GSM_SslSimcom_File file[3]{};
    GSM_SslSimcom_Config config{};

    Files(const TestPki& pki, const std::string& caSource, uint8_t authMode)
        : pem{pki.read(caSource), pki.read("client.pem"), pki.read("client.key")}
    {
        const char* names[] = {"ca.pem", "client.pem", "client.key"};
        for (int i = 0; i < 3; ++i)
            file[i] = {names[i], reinterpret_cast<const uint8_t*>(pem[i].data()), static_cast<uint16_t>(pem[i].size())};
        config = {1, GSM_SslSimcom_Version_Any, authMode, true, &file[0], &file[1], &file[2]};
    }
};

class Tls : public ::testing::Test
{
protected:
    static std::unique_ptr<TestPki> pki;
    static std::unique_ptr<HttpTestServer> good, expired, wrongHost, mutual;

    static void SetUpTestSuite()
    {
        pki.reset(new TestPki);
        auto server = [](const char* cert, const char* clientCa) {
            return std::make_unique<HttpTestServer>(
                HttpTestServer::Tls{pki->path(cert), pki->path("server.key"), *clientCa ? pki->path(clientCa) : ""});
        };
        good = server("server.pem", "");
        expired = server("expired.pem", "");
        wrongHost = server("wronghost.pem", "");
        mutual = server("server.pem", "ca.pem");
    }
    static void TearDownTestSuite() { good.reset(), expired.reset(), wrongHost.reset(), mutual.reset(), pki.reset(); }
    void SetUp() override
    {
        ASSERT_TRUE(pki->ok()) << pki->error();
        ASSERT_TRUE(good->ok() && expired->ok() && wrongHost->ok() && mutual->ok());
    }
};

std::unique_ptr<TestPki> Tls::pki;
std::unique_ptr<HttpTestServer> Tls::good, Tls::expired, Tls::wrongHost, Tls::mutual;

// Each broken trust relation fails the handshake for real; the library reports the
// modem's TLS status, not a lost connection or a timeout, and no request passes. Where
// the trust holds (or is not checked), GET and POST carry 1,500-byte bodies intact both
// ways, only the files verification needs are downloaded, and the context is tied to
// the HTTP service.
TEST_F(Tls, HttpsHandshakeOutcomes)
{
    struct Case
    {
        const char* name;
        HttpTestServer* server;
        const char* ca;   // file the application names as its CA
        uint8_t auth;
        bool succeeds;
    };
    const Case cases[] = {
        {"server verified", good.get(), "ca.pem", GSM_SslSimcom_Auth_Server, true},
        {"verification off", good.get(), "ca.pem", GSM_SslSimcom_Auth_None, true},
        {"client certificate", mutual.get(), "ca.pem", GSM_SslSimcom_Auth_ServerAndClient, true},
        {"expired, not verified", expired.get(), "ca.pem", GSM_SslSimcom_Auth_None, true},
        {"wrong CA", good.get(), "otherca.pem", GSM_SslSimcom_Auth_Server, false},
        {"expired server certificate", expired.get(), "ca.pem", GSM_SslSimcom_Auth_Server, false},
        {"server certificate for another host", wrongHost.get(), "ca.pem", GSM_SslSimcom_Auth_Server, false},
        {"no client certificate", mutual.get(), "ca.pem", GSM_SslSimcom_Auth_Server, false},
    };
    EXPECT_FALSE(GSM_HTTP_SIMCOM_IS_TLS_FAILURE(601u) || GSM_HTTP_SIMCOM_IS_TLS_FAILURE(GSM_HTTP_SIMCOM_STATUS_TIMEOUT));
    const std::string body = trickyBody(1500);
    std::string sent;
    for (int i = 0; sent.size() < 1500; ++i)
        sent += "{\"reading\": " + std::to_string(i) + "}\r\n";
    sent.resize(1500);
    uint32_t seed = 10;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.server->route("/big", {200, body});
        Files f(*pki, c.ca, c.auth);
        InternetRig r(InternetRigOptions::seeded(seed++));
        r.ssl.Config = &f.config;
        r.http.Ssl = &r.ssl;
        ASSERT_TRUE(r.bringUp());
        size_t served = c.server->requests().size();
        uint16_t status = r.request(c.server->url("/big")).status;
        EXPECT_EQ(r.net.certFiles.count("ca.pem"), c.auth == GSM_SslSimcom_Auth_None ? 0u : 1u);
        if (c.auth != GSM_SslSimcom_Auth_None) {
            EXPECT_EQ(r.net.certFiles["ca.pem"], pki->read(c.ca)) << "the modem holds the CA the application gave";
        }
        if (!c.succeeds) {
            EXPECT_EQ(status, 715u);
            EXPECT_TRUE(GSM_HTTP_SIMCOM_IS_TLS_FAILURE(status));
            EXPECT_NE(r.net.lastTlsError, "") << "the TLS library saw the failure";
            EXPECT_EQ(c.server->requests().size(), served) << "no request passed the handshake";
            continue;
        }
        EXPECT_EQ(status, 200u) << r.net.lastTlsError;
        EXPECT_TRUE(r.httpBody() == body);
        EXPECT_EQ(r.request(c.server->url("/post"), sent.c_str()).status, 201u);
        ASSERT_EQ(c.server->requests().size(), served + 2);
        EXPECT_EQ(c.server->requests().back().body, sent);
        EXPECT_EQ(r.net.certDownloads.size(), c.auth == GSM_SslSimcom_Auth_ServerAndClient ? 3u
                                              : c.auth == GSM_SslSimcom_Auth_Server   ? 1u
                                                                                      : 0u);
        EXPECT_EQ(r.net.sslContexts[1].authMode, c.auth);
        EXPECT_EQ(countCommands(r.sim, "AT+HTTPPARA=\"SSLCFG\",1"), 2u) << "every https request names the context";
        EXPECT_EQ(countCommands(r.sim, "AT+CSSLCFG=\"authmode\""), 1u) << "configured once per modem start";
    }
}

// Files already in the modem are not downloaded again; a deleted one is; a modem
// restart configures the context again from the files the modem kept.
TEST_F(Tls, CertificatesDownloadedOnlyWhenMissing)
{
    good->route("/t", {200, "ok"});
    Files f(*pki, "ca.pem", GSM_SslSimcom_Auth_Server);
    InternetRig r(InternetRigOptions::seeded(21));
    r.net.certFiles["ca.pem"] = f.pem[0];
    r.ssl.Config = &f.config;
    r.http.Ssl = &r.ssl;
    ASSERT_TRUE(r.bringUp());
    EXPECT_EQ(r.request(good->url("/t")).status, 200u);
    EXPECT_TRUE(r.net.certDownloads.empty());
    EXPECT_EQ(countCommands(r.sim, "AT+CCERTLIST"), 1u);

    ASSERT_TRUE(gsmSslSimcomDeleteFile(&r.ssl, "ca.pem"));
    EXPECT_EQ(r.request(good->url("/t")).status, 200u);
    EXPECT_EQ(r.net.certDownloads, std::vector<std::string>{"ca.pem"});
    EXPECT_EQ(countCommands(r.sim, "AT+CCERTDELE=\"ca.pem\""), 1u);

    // The modem restarts: its SSL settings are gone, its files are not.
    uint8_t session = gsmPromptSession(&r.prompt._i);
    r.sim.spontaneousReset();
    ASSERT_TRUE(r.runUntil([&] { return gsmPromptSession(&r.prompt._i) != session && r.connected(); }, 90000));
    EXPECT_TRUE(r.net.sslContexts.empty());
    EXPECT_EQ(r.request(good->url("/t")).status, 200u) << r.net.lastTlsError;
    EXPECT_EQ(r.net.certDownloads.size(), 1u);
    EXPECT_EQ(countCommands(r.sim, "AT+CSSLCFG=\"cacert\""), 3u);
}

// What cannot be done as asked is refused, never done another way: a context other
// than 0 on firmware without the SSLCFG parameter (which applies context 0 to HTTPS).
// SIM800 encrypts without verification. (A configuration without its CA and
// verification over 2G are refused before anything is sent: the replay test
// HttpsRequest.TlsFailureAtTheEndOfTheConnectionWaitEndsItOnce.)
TEST_F(Tls, HttpsRefusals)
{
    good->route("/t", {200, "ok"});
    expired->route("/t", {200, "ok"});
    Files f(*pki, "ca.pem", GSM_SslSimcom_Auth_Server);
    Files wrongCa(*pki, "otherca.pem", GSM_SslSimcom_Auth_Server);
    {
        InternetRig r(InternetRigOptions::seeded(31));
        r.net.httpSslcfgSupported = false;
        r.ssl.Config = &f.config;
        r.http.Ssl = &r.ssl;
        ASSERT_TRUE(r.bringUp());
        EXPECT_EQ(r.request(good->url("/t")).status, GSM_HTTP_SIMCOM_STATUS_TLS_SETUP);
        EXPECT_EQ(countCommands(r.sim, "AT+HTTPACTION"), 0u);

        // Context 0 is what such firmware uses: its verification holds (a wrong CA fails).
        for (Files* files : {&f, &wrongCa}) {
            files->config.ContextId = 0;
            gsmSslSimcomSetConfig(&r.ssl, &files->config);
            EXPECT_EQ(r.request(good->url("/t")).status, files == &f ? 200u : 715u) << r.net.lastTlsError;
            gsmSslSimcomDeleteFile(&r.ssl, "ca.pem");
        }
    }
    {
        InternetRig r(InternetRigOptions::seeded(32, InternetModem::Family::Gsm2G));
        ASSERT_TRUE(r.bringUp());
        EXPECT_EQ(r.request(expired->url("/t")).status, 200u) << r.net.lastTlsError;
        EXPECT_EQ(countCommands(r.sim, "AT+HTTPSSL=1"), 1u);
    }
}

// MQTT over TLS against mosquitto TLS listeners: with and without a client
// certificate, subscribe, publish and receive one's own message; a missing client
// certificate and a wrong CA fail the handshake, reported as a TLS error with the
// modem's code. An SSL context that cannot be set up ends the connect before
// AT+CMQTTSTART with a TLS error: +CME ERROR gives CmeError and its cause; a bare ERROR
// (no cause) and a configuration without its CA (0xFFFF) give Error.
TEST_F(Tls, MqttOverTls)
{
    MosquittoBroker plain(pki->path("server.pem"), pki->path("server.key"), "");
    MosquittoBroker mutualBroker(pki->path("server.pem"), pki->path("server.key"), pki->path("ca.pem"));
    ASSERT_TRUE(plain.start()) << plain.error();
    ASSERT_TRUE(mutualBroker.start()) << mutualBroker.error();
    struct Case
    {
        const char* name;
        MosquittoBroker* broker; // null: the set-up fails before any connection
        const char* ca;
        uint8_t auth;
        int cme; // the modem's answer to AT+CSSLCFG: -1 OK, 0 ERROR, else +CME ERROR: <cme>; -2: no CA given
        bool connects;
        int result, code;
    };
    const Case cases[] = {
        {"server verified", &plain, "ca.pem", GSM_SslSimcom_Auth_Server, -1, true, 0, 0},
        {"mutual TLS", &mutualBroker, "ca.pem", GSM_SslSimcom_Auth_ServerAndClient, -1, true, 0, 0},
        {"no client certificate", &mutualBroker, "ca.pem", GSM_SslSimcom_Auth_Server, -1, false, GSM_Result_Ok, 32},
        {"wrong CA", &plain, "otherca.pem", GSM_SslSimcom_Auth_Server, -1, false, GSM_Result_Ok, 32},
        {"+CME ERROR", nullptr, "ca.pem", GSM_SslSimcom_Auth_Server, 7, false, GSM_Result_CmeError, 7},
        {"bare ERROR", nullptr, "ca.pem", GSM_SslSimcom_Auth_Server, 0, false, GSM_Result_Error, 0},
        {"no CA", nullptr, "ca.pem", GSM_SslSimcom_Auth_Server, -2, false, GSM_Result_Error, 0xFFFF},
    };
    uint32_t seed = 40;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Files f(*pki, c.ca, c.auth);
        if (c.cme == -2)
            f.config.CaCert = nullptr;
        InternetRig r(InternetRigOptions::seeded(seed++));
        if (c.cme >= 0)
            r.sim.addHandler("AT+CSSLCFG=", [&c](ModemSim& m, const std::string&) {
                c.cme > 0 ? m.cmeError(c.cme) : m.error();
            });
        r.ssl.Config = &f.config;
        r.mqtt.Ssl = &r.ssl;
        ASSERT_TRUE(r.bringUp());
        std::string url = c.broker ? c.broker->url() : "tcp://broker.test:8883";
        auto s = mqttSession(url.c_str(), "tarvex-tls");
        ASSERT_TRUE(gsmMqttClientSimcomConnect(&r.mqtt, &s));
        ASSERT_TRUE(r.runUntil([&] { return !r.mqttEvents.empty(); }, 30000));
        if (c.broker) {
            EXPECT_EQ(countCommands(r.sim, "AT+CMQTTACCQ=0,\"tarvex-tls\",1"), 1u);
            EXPECT_EQ(countCommands(r.sim, "AT+CMQTTSSLCFG=0,1"), 1u);
        } else {
            EXPECT_EQ(countCommands(r.sim, "AT+CMQTTSTART"), 0u);
        }
        if (!c.connects) {
            ASSERT_EQ(r.countMqtt(GSM_MqttClientSimcom_EventType_ErrorResponse), 1u);
            const MqttEvent& e = r.mqttEvents.back();
            EXPECT_EQ(e.errorType, GSM_MQTT_ErrorType_Tls);
            EXPECT_EQ(e.result, c.result);
            EXPECT_EQ(e.errorCode, c.code);
            EXPECT_EQ(gsmMqttClientServerConnectionState(&r.mqtt), GSM_MQTT_ServerStatus_Disconnected);
            continue;
        }
        ASSERT_EQ(r.countMqtt(GSM_MqttClientSimcom_EventType_ConnectSuccess), 1u) << r.net.lastTlsError;
        ASSERT_TRUE(gsmMqttClientSimcomSubscribe(&r.mqtt, "tarvex/tls", 1));
        ASSERT_TRUE(r.waitMqtt(GSM_MqttClientSimcom_EventType_SubscribeSuccess));
        ASSERT_TRUE(gsmMqttClientSimcomPublish(&r.mqtt, "tarvex/tls", "sealed"));
        ASSERT_TRUE(r.waitMqtt(GSM_MqttClientSimcom_EventType_MsgRxEnd));
        std::string topic, payload;
        ASSERT_TRUE(r.lastMessage(&topic, &payload));
        EXPECT_EQ(topic, "tarvex/tls");
        EXPECT_EQ(payload, "sealed");
        EXPECT_EQ(r.net.certDownloads.size(), c.auth == GSM_SslSimcom_Auth_ServerAndClient ? 3u : 1u);
    }
}

} // namespace
