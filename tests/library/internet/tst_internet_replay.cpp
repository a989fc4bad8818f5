// The internet modules against real modem output: the recorded exchanges of
// tests/library/transcripts are played back (in random byte splits) for the commands the
// library sends, what a recording lacks is answered by the simulator, and the library
// must reach the state the recording implies (network open, HTTP status and length,
// MQTT connect result or cause) without stalling. Also the edge cases of an HTTP
// request's end that no recording shows.
#include "internet_rig.h"
#include "test_servers.h"
#include "transcript.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

// A rig whose modem answers from a recording (the recorded-modem mode, matched by
// command key).
struct Replay
{
    Replay(const std::string& name, const InternetRigOptions& o) : t(Transcript::load(name)), r(o)
    {
        r.sim.playRecording(t, o.seed);
    }
    size_t sent(const std::string& prefix) const { return countCommands(r.sim, prefix); }
    Transcript t;
    InternetRig r;
};

// Plays the recorded answers of the commands in `commands` (upper case, compared whole)
// in file order; a used-up command repeats its last answer, or goes to `then` when
// given. The 2G bearer commands all share the key "AT+SAPBR=", which the recorded-modem
// mode cannot tell apart.
void playExact(ModemSim& sim, const Transcript& t, const std::vector<std::string>& commands,
               ModemSim::Handler then = nullptr)
{
    for (const std::string& command : commands) {
        std::vector<const TranscriptExchange*> list = t.withCommand(command);
        ASSERT_FALSE(list.empty()) << command << " is not in " << t.name;
        auto next = std::make_shared<size_t>(0);
        sim.addHandler(command, [list, next, then](ModemSim& m, const std::string& line) {
            if (*next >= list.size() && then) {
                then(m, line);
                return;
            }
            m.playExchange(*list[std::min(*next, list.size() - 1)]);
            ++*next;
        });
    }
}

// ---- LTE: the network opens whichever way the recording answers ----

TEST(ReplayLte, ConnectionComesUp)
{
    struct Case
    {
        const char* transcript;
        const char* apn;
        const char* recordedKey; // the recorded exchange that decides
        bool opens;              // AT+NETOPEN is sent (not when the query finds the stack open)
    };
    const Case cases[] = {{"sim7600-https-httphead-01", nullptr, "AT+NETOPEN", true},  // OK, then +NETOPEN: 0
                          {"simcom-lte-netopen-urc-01", nullptr, "AT+NETOPEN", true},  // +CGEV inside AT+CGREG?
                          {"sim7600-netopen-02", nullptr, "AT+NETOPEN?", false},       // already open
                          {"sim7600-ip-error-01", "internet", "AT+CSOCKSETPN=", true}}; // set commands: OK after echo
    for (const Case& c : cases) {
        for (uint32_t seed = 1; seed <= 3; ++seed) {
            SCOPED_TRACE(std::string(c.transcript) + " seed " + std::to_string(seed));
            Replay p(c.transcript, InternetRigOptions::seeded(seed, InternetModem::Family::Lte, c.apn));
            size_t before = p.r.sim.recordingUnused(c.recordedKey);
            ASSERT_TRUE(p.r.bringUp());
            EXPECT_EQ(p.r.sim.recordingUnused(c.recordedKey), before - 1) << "the recorded answer decided";
            EXPECT_TRUE(p.r.connected());
            EXPECT_EQ(p.sent("AT+NETOPEN") > p.sent("AT+NETOPEN?"), c.opens);
        }
    }
}

// "+NETCLOSE: 2" then ERROR (nothing open) closes without a stall; opening again takes
// the recorded OK and late "+NETOPEN: 0".
TEST(ReplayLte, NetCloseErrorThenReopen)
{
    Replay p("sim7600-netopen-02", InternetRigOptions::seeded(2));
    ASSERT_TRUE(p.r.bringUp());
    gsmInternetConnectionSimcomSetEnabled(&p.r.lte, false);
    ASSERT_TRUE(p.r.runUntil([&] { return p.r.sim.recordingUnused("AT+NETCLOSE") == 0; }, 5000));
    p.r.runFor(2000);
    EXPECT_FALSE(p.r.connected());
    gsmInternetConnectionSimcomSetEnabled(&p.r.lte, true);
    ASSERT_TRUE(p.r.runUntil([&] { return p.r.connected(); }, 15000));
    EXPECT_EQ(p.r.sim.recordingUnused("AT+NETOPEN"), 0u);
}

// HTTPINIT, HTTPPARA and HTTPACTION as recorded ("+HTTPACTION: 0,200,121" after OK);
// the recording ends before the body, which the simulator then serves.
TEST(ReplayLte, HttpStatusAndLengthFromTheRecording)
{
    for (uint32_t seed = 1; seed <= 3; ++seed) {
        Replay p("sim7600-https-httphead-01", InternetRigOptions::seeded(seed));
        ASSERT_TRUE(p.r.bringUp());
        const std::string body = trickyBody(121);
        p.r.net.adoptHttpResponse(body);
        HttpEvent e = p.r.request("https://vsh.pp.ua/TinyGSM/logo.txt");
        EXPECT_EQ(e.status, 200) << seed;
        EXPECT_EQ(p.sent("AT+HTTPACTION="), 1u);
        EXPECT_EQ(p.r.sim.recordingUnused("AT+HTTPACTION="), 0u);
        EXPECT_EQ(e.contentLength, 121u);
        EXPECT_TRUE(p.r.httpBody() == body);
        EXPECT_FALSE(gsmHttpClientSimcomHttpOperationPending(&p.r.http));
    }
}

// ---- LTE: MQTT service start and connect as recorded ----

// A7670E answers AT+CMQTTSTART with OK first and the result later, and fails the connect
// with "+CMQTTCONNECT: 0,3", an empty line and ERROR: the cause reaches the event, on a
// second attempt too. SIM7600G gives "+CMQTTSTART: 0" before OK and its recording is
// cut before the connect's result: a timeout, never a hang. In a session with +CGEV and
// a late "SMS DONE", OK comes first and "+CMQTTSTART: 0" after it: the service counts
// as started and the client is acquired next.
TEST(ReplayMqtt, StartAndConnectAsRecorded)
{
    struct Case
    {
        const char* transcript;
        size_t attempts; // 0: only until AT+CMQTTACCQ is sent
        int result, code;
    };
    const Case cases[] = {{"a7670-mqtt-connect-err-01", 2, GSM_Result_Error, 3},
                          {"sim7600-mqtt-02", 1, GSM_Result_Timeout, 0},
                          {"simcom-lte-netopen-urc-01", 0, 0, 0}};
    for (const Case& c : cases) {
        for (uint32_t seed = 1; seed <= 3; ++seed) {
            SCOPED_TRACE(std::string(c.transcript) + " seed " + std::to_string(seed));
            Replay p(c.transcript, InternetRigOptions::seeded(seed));
            // What a recording lacks for a second attempt (releasing and acquiring the
            // client again) is accepted.
            for (const char* command : {"AT+CMQTTREL=", "AT+CMQTTACCQ="})
                if (c.attempts > 1)
                    p.r.sim.addHandler(command, [](ModemSim& m, const std::string&) { m.ok(); });
            ASSERT_TRUE(p.r.bringUp());
            auto s = mqttSession("tcp://192.168.43.128:1883", "tarvex-replay");
            ASSERT_TRUE(gsmMqttClientSimcomConnect(&p.r.mqtt, &s));
            if (c.attempts == 0) {
                ASSERT_TRUE(p.r.runUntil([&] { return p.sent("AT+CMQTTACCQ=") > 0; }, 20000));
            }
            for (size_t attempt = 1; attempt <= c.attempts; ++attempt) {
                if (attempt > 1) {
                    ASSERT_TRUE(gsmMqttClientSimcomConnect(&p.r.mqtt, &s));
                }
                ASSERT_TRUE(p.r.runUntil([&] { return p.r.countMqtt(GSM_MqttClientSimcom_EventType_ErrorResponse) == attempt; },
                                         GSM_MQTT_SIMCOM_RESULT_TIMEOUT_MS + 20000));
                const MqttEvent& e = p.r.mqttEvents.back();
                EXPECT_EQ(e.errorType, GSM_MQTT_ErrorType_Connect);
                EXPECT_EQ(e.result, c.result);
                EXPECT_EQ(e.errorCode, c.code);
                EXPECT_EQ(gsmMqttClientServerConnectionState(&p.r.mqtt), GSM_MQTT_ServerStatus_Disconnected);
            }
            EXPECT_EQ(p.sent("AT+CMQTTSTART"), 1u) << "the result of AT+CMQTTSTART was taken";
            EXPECT_EQ(p.r.countMqtt(GSM_MqttClientSimcom_EventType_ErrorResponse, GSM_MQTT_ErrorType_Start), 0u);
            if (c.attempts > 0) {
                EXPECT_EQ(p.sent("AT+CMQTTCONNECT="), c.attempts);
            }
            if (c.attempts == 1) {
                EXPECT_EQ(p.r.sim.recordingUnused("AT+CMQTTACCQ="), 0u);
                EXPECT_EQ(p.r.sim.recordingUnused("AT+CMQTTCONNECT="), 0u);
            }
        }
    }
}

// ---- 2G: bearer and HTTP as recorded ----

// The bearer query of the recording reports it open ("+SAPBR: 1,1,...").
TEST(Replay2G, BearerOpenAsRecorded)
{
    for (const char* name : {"sim800-sapbr-01", "sim800-http-sapbr-01"}) {
        Transcript t = Transcript::load(name);
        InternetRig r(InternetRigOptions::seeded(2, InternetModem::Family::Gsm2G, "tim.com.br"));
        playExact(r.sim, t, {"AT+SAPBR=2,1"});
        ASSERT_TRUE(r.bringUp()) << name;
        EXPECT_EQ(r.net.opens, 0) << "opened by the recording, not by the simulator";
    }
}

// SIM800: AT+SAPBR=1,1 on a bearer that is open already is refused ("+CME ERROR:
// operation not allowed"); the query right after it finds the bearer open - no pause.
TEST(Replay2G, OpenRefusedOnAnOpenBearer)
{
    Transcript t = Transcript::load("sim800-http-sapbr-01");
    const TranscriptExchange& open = *t.withCommand("AT+SAPBR=1,1").at(0);
    const TranscriptExchange& query = *t.withCommand("AT+SAPBR=2,1").at(0);
    InternetRig r(InternetRigOptions::seeded(5, InternetModem::Family::Gsm2G, "IOT.1NCE.NET"));
    auto queries = std::make_shared<int>(0);
    r.sim.addHandler("AT+SAPBR=2,1", [&query, queries](ModemSim& m, const std::string&) {
        if ((*queries)++ == 0)
            m.ok({"+SAPBR: 1,3,\"0.0.0.0\""}); // closed as far as the first query knows
        else
            m.playExchange(query);
    });
    r.sim.addHandler("AT+SAPBR=1,1", [&open](ModemSim& m, const std::string&) { m.playExchange(open); });
    ASSERT_TRUE(r.bringUp(false));
    ASSERT_TRUE(r.runUntil([&] { return r.connected(); }, GSM_INETCONN_RETRY_MS / 2));
    EXPECT_EQ(gsmInternetConnectionSimcom2GFailedAttempts(&r.g2), 0u);
}

// SIM800: HTTPINIT refused with a verbose CME error (initialised before), the request
// goes on; the "+HTTPACTION: 0,603,0" (DNS error) that the recording shows after a
// premature AT+HTTPREAD comes after the action's OK here, followed by "+CREG: 5".
TEST(Replay2G, HttpDnsErrorAfterRefusedInit)
{
    Transcript t = Transcript::load("sim800-http-sapbr-01");
    InternetRig r(InternetRigOptions::seeded(1, InternetModem::Family::Gsm2G, "IOT.1NCE.NET"));
    playExact(r.sim, t, {"AT+SAPBR=2,1", "AT+HTTPPARA=\"CID\",1"});
    playExact(r.sim, t, {"AT+HTTPINIT"}, [&r](ModemSim& m, const std::string&) {
        r.net.adoptHttpResponse(""); // initialised now
        m.ok();
    });
    const TranscriptExchange& read = *t.withCommand("AT+HTTPREAD").at(0);
    r.sim.addHandler("AT+HTTPACTION=", [&read](ModemSim& m, const std::string&) {
        m.ok();
        m.emitRecorded(read.wire(1), m.now() + 500); // the lines after its OK
    });
    ASSERT_TRUE(r.bringUp());
    HttpEvent e = r.request("HTTPS://HTTPBIN.ORG/ANYTHING");
    EXPECT_EQ(e.status, 603);
    EXPECT_EQ(e.contentLength, 0u);
    EXPECT_EQ(r.httpEvents.size(), 1u);
}

// SIM900: "+HTTPACTION:0,200,7438" without a space; the body is read in pieces; then
// the bearer is closed with the recorded AT+SAPBR=0,1.
TEST(Replay2G, HttpActionWithoutSpace)
{
    Transcript t = Transcript::load("sim900-httpaction-nospace-01");
    InternetRig r(InternetRigOptions::seeded(3, InternetModem::Family::Gsm2G));
    playExact(r.sim, t, {"AT+SAPBR=0,1"});
    const TranscriptExchange& action = t.exchanges.at(0); // the excerpt starts with the URC
    ASSERT_TRUE(action.command.empty());
    const std::string body = trickyBody(7438);
    r.sim.addHandler("AT+HTTPACTION=", [&action, &r, &body](ModemSim& m, const std::string&) {
        r.net.adoptHttpResponse(body);
        m.ok();
        m.emitRecorded(action.wire(), m.now() + 300);
    });
    ASSERT_TRUE(r.bringUp());
    HttpEvent e = r.request("http://example.com/", nullptr, 120000);
    EXPECT_EQ(e.status, 200);
    EXPECT_EQ(e.contentLength, 7438u);
    EXPECT_TRUE(r.httpBody() == body);

    gsmInternetConnectionSimcom2GSetEnabled(&r.g2, false);
    ASSERT_TRUE(r.runUntil([&] { return !r.connected(); }, 10000));
    EXPECT_EQ(r.net.closes, 0) << "closed by the recorded answer";
}

// SIM800L over a lossy software UART: the read header arrives as "+HTTPREAD3 9" and the
// body cut. The read fails (no stall) and the next request reads the body whole.
TEST(Replay2G, DamagedReadThenRecovery)
{
    Transcript t = Transcript::load("sim800-httpread-01");
    InternetRig r(InternetRigOptions::seeded(4, InternetModem::Family::Gsm2G));
    const TranscriptExchange* damaged = nullptr;
    for (const TranscriptExchange& e : t.exchanges)
        if (!e.lines.empty() && e.lines[0] == "+HTTPREAD3 9")
            damaged = &e;
    ASSERT_NE(damaged, nullptr);
    auto reads = std::make_shared<int>(0);
    ASSERT_TRUE(r.bringUp());
    r.sim.addHandler("AT+HTTPACTION=", [](ModemSim& m, const std::string&) {
        m.ok();
        m.schedule(300, "\r\n+HTTPACTION: 0,200,9\r\n");
    });
    r.sim.addHandler("AT+HTTPREAD=", [damaged, reads](ModemSim& m, const std::string&) {
        if ((*reads)++ == 0)
            m.emitRecorded(damaged->wire(), m.now() + m.latencyMs);
        else
            m.respond({"+HTTPREAD: 9\r\n123456789"}, "OK");
    });
    gsmHttpClientSimcomSetTimeouts(&r.http, 0, 5000);
    ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, "http://example.com/"));
    ASSERT_TRUE(r.httpDone(0, 30000));
    EXPECT_NE(r.httpEvents.back().status, 200) << "a damaged read is not a success";
    size_t from = r.httpEvents.size();
    EXPECT_EQ(r.request("http://example.com/", nullptr, 30000).status, 200);
    EXPECT_EQ(r.httpBody(from), "123456789");
}

// "+HTTPACTION: 0,0,0" before the OK holds no HTTP status: a rejected command, as after it.
TEST(Replay2G, StatusZeroBeforeOkIsARejectedCommand)
{
    InternetRig r(InternetRigOptions::seeded(5, InternetModem::Family::Gsm2G));
    ASSERT_TRUE(r.bringUp());
    r.sim.addHandler("AT+HTTPACTION=",
                     [](ModemSim& m, const std::string&) { m.respond({"+HTTPACTION: 0,0,0", ""}, "OK"); });
    EXPECT_EQ(r.request("http://example.com/", nullptr, 30000).status, GSM_HTTP_SIMCOM_STATUS_COMMAND_FAILED);
}

// ---- HTTPS: a request ends once ----

// The TLS set-up of an https request fails in the very poll in which its 120 s wait
// for the connection runs out (the request was queued before a long stall of the main
// loop): one final event, with the TLS status, and the next request runs.
TEST(HttpsRequest, TlsFailureAtTheEndOfTheConnectionWaitEndsItOnce)
{
    const struct
    {
        InternetModem::Family family;
        uint16_t status;
    } rows[] = {{InternetModem::Family::Lte, GSM_HTTP_SIMCOM_STATUS_TLS_SETUP},         // verification without a CA
                {InternetModem::Family::Gsm2G, GSM_HTTP_SIMCOM_STATUS_TLS_UNSUPPORTED}}; // SIM800 cannot verify
    for (const auto& row : rows) {
        SCOPED_TRACE(row.family == InternetModem::Family::Lte ? "LTE" : "2G");
        InternetRig r(InternetRigOptions::seeded(6, row.family));
        ASSERT_TRUE(r.bringUp());
        GSM_SslSimcom_Config config{};
        config.AuthMode = GSM_SslSimcom_Auth_Server;
        r.ssl.Config = &config;
        r.http.Ssl = &r.ssl;
        ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, "https://example.com/"));
        r.http.Timer_ms = r.now() - GSM_HTTP_SIMCOM_CONNECTION_WAIT_MS - 1u; // queued before the stall
        r.runFor(1000);
        ASSERT_EQ(r.httpEvents.size(), 1u);
        EXPECT_EQ(r.httpEvents[0].status, row.status);
        EXPECT_TRUE(r.httpEvents[0].last);
        EXPECT_FALSE(gsmHttpClientSimcomHttpOperationPending(&r.http));
        EXPECT_EQ(countCommands(r.sim, "AT+HTTP"), 0u) << "nothing sent";
        r.http.Ssl = nullptr;
        ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, "http://example.com/"));
        ASSERT_TRUE(r.httpDone(1, 30000));
        EXPECT_EQ(r.httpEvents.size(), 2u);
        EXPECT_EQ(countCommands(r.sim, "AT+HTTPACTION="), 1u);
    }
}

} // namespace
