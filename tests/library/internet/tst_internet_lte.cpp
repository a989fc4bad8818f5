// The LTE connection (AT+NETOPEN) and the HTTP client over it, through the simulated
// SIM7600 whose HTTP service fetches from a real HTTP server on loopback.
#include "internet_rig.h"
#include "test_servers.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class Lte : public ::testing::TestWithParam<uint32_t>
{
protected:
    InternetRigOptions options(const char* apn = nullptr)
    {
        return InternetRigOptions::seeded(GetParam(), InternetModem::Family::Lte, apn);
    }
};

// With an APN the PDP context is set first; without one none is set. An open
// connection is left alone.
TEST_P(Lte, ConnectsWithAndWithoutApn)
{
    for (const char* apn : {"internet.example", static_cast<const char*>(nullptr)}) {
        InternetRig r(options(apn));
        EXPECT_FALSE(r.connected());
        ASSERT_TRUE(r.bringUp());
        EXPECT_EQ(r.net.apnSet, apn != nullptr);
        EXPECT_EQ(countCommands(r.sim, "AT+CGDCONT"), apn ? 1u : 0u);
        EXPECT_EQ(r.net.apn, apn ? apn : "");
        EXPECT_EQ(r.lte._i.Family, GSM_InternetConnection_Family_Lte);
        r.runFor(5000);
        EXPECT_TRUE(r.connected());
        EXPECT_EQ(r.net.opens, 1) << "an open connection is left alone";
        EXPECT_EQ(r.txOverflows, 0u);
    }
}

// A firmware that rejects the query AT+NETOPEN? must not keep the connection closed.
TEST_P(Lte, RejectedQueryStillOpens)
{
    InternetRig r(options());
    r.sim.addHandler("AT+NETOPEN?", [](ModemSim& m, const std::string&) { m.respond({}, "ERROR"); });
    ASSERT_TRUE(r.bringUp());
    EXPECT_EQ(r.net.opens, 1);
}

TEST_P(Lte, AlreadyOpenedStackIsNoFailure)
{
    InternetRig r(options());
    ASSERT_TRUE(r.bringUp());
    uint8_t session = r.lte._i.Session;
    // The program restarts while the modem keeps its stack open, and the modem's
    // query claims it is closed: AT+NETOPEN answers "already opened".
    r.net.queryHidesOpenStack = true;
    gsmInternetConnectionSimcomInit(&r.lte);
    EXPECT_FALSE(r.connected());
    ASSERT_TRUE(r.runUntil([&] { return r.connected(); }, 30000));
    EXPECT_EQ(r.net.opens, 1);
    EXPECT_EQ(r.net.closes, 0) << "the open stack was kept";
    EXPECT_NE(r.lte._i.Session, session);
}

TEST_P(Lte, ReconnectsAfterNetworkLoss)
{
    InternetRig r(options("apn"));
    ASSERT_TRUE(r.bringUp());
    r.net.setNetworkAvailable(false); // "+CIPEVENT: NETWORK CLOSED UNEXPECTEDLY"
    ASSERT_TRUE(r.runUntil([&] { return !r.connected(); }, 2000));
    r.runFor(30000);
    EXPECT_FALSE(r.connected()) << "opening fails while the network is gone";
    EXPECT_GE(countCommands(r.sim, "AT+NETOPEN"), 3u) << "it keeps trying";
    r.net.setNetworkAvailable(true);
    ASSERT_TRUE(r.runUntil([&] { return r.connected(); }, GSM_INETCONN_RETRY_MAX_MS + 20000));
    EXPECT_EQ(r.net.opens, 2);
}

// Times (rig clock) at which the modem received a command starting with `prefix` while
// the rig runs for `ms`.
std::vector<uint32_t> commandTimes(InternetRig& r, const std::string& prefix, uint32_t ms)
{
    std::vector<uint32_t> times;
    size_t seen = r.sim.commands.size();
    r.runUntil([&] {
        for (; seen < r.sim.commands.size(); ++seen)
            if (r.sim.commands[seen] == prefix)
                times.push_back(r.now());
        return false;
    }, ms);
    return times;
}

// Firmware that answers AT+NETOPEN with a bare ERROR (or "+NETOPEN: <err>" and ERROR):
// reported, and retried with a pause that grows up to its limit - never a tight loop.
TEST_P(Lte, RefusedOpeningBacksOff)
{
    InternetRig r(options());
    r.net.failureWithError = GetParam() % 2 == 0;
    if (r.net.failureWithError)
        r.net.setNetworkAvailable(false); // "+NETOPEN: 1", "", "ERROR"
    else
        r.net.netopenBareErrors = -1;
    ASSERT_TRUE(r.bringUp(false));
    std::vector<uint32_t> at = commandTimes(r, "AT+NETOPEN", 400000);
    ASSERT_GE(at.size(), 5u) << "it keeps trying";
    EXPECT_LE(at.size(), 7u) << "no tight loop";
    for (size_t i = 2; i < at.size(); ++i)
        EXPECT_GE(at[i] - at[i - 1], at[i - 1] - at[i - 2]) << "the pause never shrinks";
    EXPECT_GE(at.back() - at[at.size() - 2], GSM_INETCONN_RETRY_MAX_MS / 2);
    EXPECT_LE(at.back() - at[at.size() - 2], GSM_INETCONN_RETRY_MAX_MS + 5000);
    EXPECT_GE(gsmInternetConnectionSimcomFailedAttempts(&r.lte), at.size() - 1);
    EXPECT_EQ(gsmInternetConnectionSimcomLastError(&r.lte), r.net.failureWithError ? 1u : 0u);
    EXPECT_FALSE(r.connected());

    r.net.netopenBareErrors = 0;
    r.net.setNetworkAvailable(true);
    ASSERT_TRUE(r.runUntil([&] { return r.connected(); }, GSM_INETCONN_RETRY_MAX_MS + 20000));
    EXPECT_EQ(gsmInternetConnectionSimcomFailedAttempts(&r.lte), 0u);
}

TEST_P(Lte, DisableClosesAndEnableReopens)
{
    InternetRig r(options());
    ASSERT_TRUE(r.bringUp());
    gsmInternetConnectionSimcomSetEnabled(&r.lte, false);
    ASSERT_TRUE(r.runUntil([&] { return !r.net.dataConnected(); }, 5000));
    EXPECT_FALSE(r.connected());
    EXPECT_EQ(r.net.closes, 1);
    r.runFor(20000);
    EXPECT_EQ(r.net.opens, 1) << "stays closed while disabled";
    gsmInternetConnectionSimcomSetEnabled(&r.lte, true);
    ASSERT_TRUE(r.runUntil([&] { return r.connected(); }, 10000));
    EXPECT_EQ(r.net.opens, 2);
}

TEST_P(Lte, HttpGetLargeBodyInPieces)
{
    HttpTestServer server;
    ASSERT_TRUE(server.ok()) << "the HTTP test server could not listen";
    const std::string body = trickyBody(5000);
    server.route("/big", {200, body});

    InternetRig r(options());
    r.net.httpDataBlock = 100; // several "+HTTPREAD: DATA" blocks per read
    ASSERT_TRUE(r.bringUp());
    EXPECT_FALSE(gsmHttpClientSimcomHttpOperationPending(&r.http));
    ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, server.keptUrl("/big")));
    EXPECT_TRUE(gsmHttpClientSimcomHttpOperationPending(&r.http));
    EXPECT_FALSE(gsmHttpClientSimcomGet(&r.http, server.keptUrl("/big"))) << "one request at a time";
    ASSERT_TRUE(r.httpDone());

    const size_t pieces = (body.size() + GSM_HTTP_SIMCOM_READ_SIZE - 1) / GSM_HTTP_SIMCOM_READ_SIZE;
    ASSERT_EQ(r.httpEvents.size(), pieces);
    std::string got;
    ASSERT_TRUE(r.httpBody(&got)) << "pieces arrive in order";
    EXPECT_TRUE(got == body) << "body reassembled byte for byte";
    for (size_t i = 0; i < r.httpEvents.size(); ++i) {
        EXPECT_EQ(r.httpEvents[i].status, 200);
        EXPECT_EQ(r.httpEvents[i].contentLength, body.size());
        EXPECT_TRUE(r.httpEvents[i].terminated);
        EXPECT_EQ(r.httpEvents[i].last, i + 1 == r.httpEvents.size());
    }
    EXPECT_FALSE(gsmHttpClientSimcomHttpOperationPending(&r.http));
    ASSERT_EQ(r.net.httpExchanges.size(), 1u);
    EXPECT_EQ(r.net.httpExchanges[0].method, 0);
    EXPECT_EQ(r.net.httpExchanges[0].url, server.url("/big"));
    ASSERT_TRUE(r.runUntil([&] { return !r.net.httpInitialised(); }, 5000)) << "AT+HTTPTERM when done";
    EXPECT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(r.txOverflows, 0u);
}

// The client reports the body from the Prompt buffer: with a buffer too small for a
// full read, the read is repeated smaller, the smaller size is kept for later reads and
// requests, and the body still arrives whole.
TEST_P(Lte, HttpGetBodyThroughSmallPromptBuffer)
{
    HttpTestServer server;
    ASSERT_TRUE(server.ok()) << "the HTTP test server could not listen";
    const std::string body = trickyBody(1500);
    server.route("/big", {200, body});

    for (size_t promptBuffer : {256u, 128u, 80u}) {
        SCOPED_TRACE("Prompt buffer " + std::to_string(promptBuffer));
        InternetRigOptions o = options();
        o.promptBuffer = promptBuffer;
        InternetRig r(o);
        r.net.httpDataBlock = 50; // several "+HTTPREAD: DATA" blocks per read
        ASSERT_TRUE(r.bringUp());
        for (int request = 0; request < 2; ++request) {
            size_t from = r.httpEvents.size();
            size_t readsBefore = r.net.httpReads.size();
            ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, server.keptUrl("/big")));
            ASSERT_TRUE(r.httpDone(from));
            std::string got;
            ASSERT_TRUE(r.httpBody(&got, from)) << "pieces arrive in order";
            EXPECT_TRUE(got == body) << "body reassembled byte for byte";
            EXPECT_EQ(r.httpEvents.back().status, 200);
            for (size_t i = from; i < r.httpEvents.size(); ++i)
                EXPECT_EQ(r.httpEvents[i].last, i + 1 == r.httpEvents.size());
            if (request == 1) {
                EXPECT_EQ(r.net.httpReads.size() - readsBefore, r.httpEvents.size() - from)
                    << "the size that fits is kept: one read per piece, none repeated";
                EXPECT_LT(r.net.httpReads.back().second, promptBuffer);
            }
        }
    }
}

TEST_P(Lte, HttpPostBodyArrivesExactly)
{
    HttpTestServer server;
    ASSERT_TRUE(server.ok());
    std::string body = "{\"device\":\"tarvex\",\"readings\":[";
    for (int i = 0; i < 300; ++i)
        body += std::to_string(i * 7 % 101) + (i < 299 ? "," : "]}");

    InternetRig r(options());
    ASSERT_TRUE(r.bringUp());
    gsmHttpClientSimcomPostSetContentType(&r.http, "application/json");
    ASSERT_TRUE(gsmHttpClientSimcomPost(&r.http, server.keptUrl("/upload"), body.c_str()));
    ASSERT_TRUE(r.httpDone());
    ASSERT_EQ(r.httpEvents.size(), 1u);
    EXPECT_EQ(r.httpEvents[0].status, 201);
    EXPECT_EQ(r.httpEvents[0].data, "received " + std::to_string(body.size()) + " bytes");

    auto reqs = server.requests();
    ASSERT_EQ(reqs.size(), 1u);
    EXPECT_EQ(reqs[0].method, "POST");
    EXPECT_EQ(reqs[0].path, "/upload");
    EXPECT_EQ(reqs[0].contentType, "application/json");
    EXPECT_TRUE(reqs[0].body == body) << "the server received the body exactly";

    // null restores the default content type; an empty body is allowed.
    gsmHttpClientSimcomPostSetContentType(&r.http, nullptr);
    ASSERT_TRUE(gsmHttpClientSimcomPost(&r.http, server.keptUrl("/empty"), ""));
    ASSERT_TRUE(r.httpDone(1));
    reqs = server.requests();
    ASSERT_EQ(reqs.size(), 2u);
    EXPECT_EQ(reqs[1].contentType, GSM_HTTP_SIMCOM_DEFAULT_CONTENT_TYPE);
    EXPECT_EQ(reqs[1].body, "");
}

TEST_P(Lte, HttpStatusesAndNetworkError)
{
    HttpTestServer server;
    ASSERT_TRUE(server.ok());
    InternetRig r(options());
    ASSERT_TRUE(r.bringUp());

    ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, server.keptUrl("/missing")));
    ASSERT_TRUE(r.httpDone());
    EXPECT_EQ(r.httpEvents.back().status, 404);
    EXPECT_EQ(r.httpEvents.back().data, "not found");

    server.route("/empty", {204, ""});
    ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, server.keptUrl("/empty")));
    ASSERT_TRUE(r.httpDone(1));
    EXPECT_EQ(r.httpEvents.back().status, 204);
    EXPECT_EQ(r.httpEvents.back().data, "");
    EXPECT_EQ(r.net.httpReads.size(), 1u) << "nothing is read of an empty body";

    // The modem reports a network error: passed on, and the connection is checked.
    size_t queries = countCommands(r.sim, "AT+NETOPEN?");
    r.net.actionStatusOverride = 601;
    ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, server.keptUrl("/missing")));
    ASSERT_TRUE(r.httpDone(2));
    EXPECT_EQ(r.httpEvents.back().status, 601);
    EXPECT_TRUE(r.httpEvents.back().last);
    ASSERT_TRUE(r.runUntil([&] { return countCommands(r.sim, "AT+NETOPEN?") > queries; }, 5000));
    EXPECT_TRUE(r.connected()) << "the check found the connection up";
}

// The result lines of AT+NETOPEN and AT+HTTPACTION before OK, without the space after
// the colon, or both, as real firmware prints them; a late start-up or network notice
// inside an answer.
TEST_P(Lte, ResultShapesOfRealFirmware)
{
    HttpTestServer server;
    ASSERT_TRUE(server.ok());
    server.route("/shape", {200, trickyBody(700)});
    for (int shape = 1; shape <= 3; ++shape) {
        InternetRig r(options());
        r.net.resultBeforeOk = shape & 1;
        r.net.noSpaceAfterColon = shape & 2;
        ASSERT_TRUE(r.bringUp()) << shape;
        r.sim.urcInNextResponse(shape == 2 ? "+CGEV: EPS PDN ACT 1" : "SMS DONE"); // late notices inside answers
        ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, server.keptUrl("/shape")));
        ASSERT_TRUE(r.httpDone()) << shape;
        EXPECT_EQ(r.httpEvents.back().status, 200) << shape;
        EXPECT_EQ(r.httpEvents.back().contentLength, 700u);
        std::string body;
        ASSERT_TRUE(r.httpBody(&body));
        EXPECT_TRUE(body == trickyBody(700)) << shape;
    }
}

// SIM7600 answers a command that needs the data connection with "+IP ERROR: Network not
// opened" and ERROR when the stack closed without a URC: the request fails and the
// connection is checked at once (and reopened), not at the next periodic check.
TEST_P(Lte, HttpIpErrorChecksTheConnection)
{
    HttpTestServer server;
    ASSERT_TRUE(server.ok());
    InternetRig r(options());
    ASSERT_TRUE(r.bringUp());
    size_t queries = countCommands(r.sim, "AT+NETOPEN?");
    r.sim.addHandler("AT+HTTPACTION=", [&r](ModemSim& m, const std::string&) {
        r.net.queryHidesOpenStack = true; // the stack is gone as far as the modem says
        m.respond({"+IP ERROR: Network not opened", ""}, "ERROR");
    });
    ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, server.keptUrl("/missing")));
    ASSERT_TRUE(r.httpDone());
    EXPECT_EQ(r.httpEvents.back().status, GSM_HTTP_SIMCOM_STATUS_COMMAND_FAILED);
    ASSERT_TRUE(r.runUntil([&] { return countCommands(r.sim, "AT+NETOPEN?") > queries; }, 5000))
        << "checked at once";
    r.net.queryHidesOpenStack = false;
    ASSERT_TRUE(r.runUntil([&] { return r.net.opens == 2 && r.connected(); }, 30000)) << "reopened";
}

TEST_P(Lte, HttpConnectionLostMidBodyThenRecovers)
{
    HttpTestServer server;
    ASSERT_TRUE(server.ok());
    const std::string body = trickyBody(3000);
    server.route("/big", {200, body});

    InternetRig r(options());
    ASSERT_TRUE(r.bringUp());
    bool dropped = false;
    r.net.onHttpRead = [&](size_t offset) {
        if (offset >= 600 && !dropped) {
            dropped = true;
            r.net.setNetworkAvailable(false);
        }
    };
    ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, server.keptUrl("/big")));
    ASSERT_TRUE(r.httpDone());
    ASSERT_TRUE(dropped);
    const HttpEvent& last = r.httpEvents.back();
    EXPECT_EQ(last.status, GSM_HTTP_SIMCOM_STATUS_CONNECTION_LOST);
    EXPECT_TRUE(last.data.empty());
    std::string got;
    ASSERT_TRUE(r.httpBody(&got));
    EXPECT_GE(got.size(), 600u);
    EXPECT_LT(got.size(), body.size());
    EXPECT_TRUE(body.compare(0, got.size(), got) == 0) << "what arrived before the loss is intact";
    EXPECT_FALSE(gsmHttpClientSimcomHttpOperationPending(&r.http));
    r.runFor(3000);
    EXPECT_TRUE(r.httpEvents.back().last) << "no event after the last one";

    // Recovery: the network returns, the connection reopens, the next GET works.
    r.net.onHttpRead = nullptr;
    r.net.setNetworkAvailable(true);
    ASSERT_TRUE(r.runUntil([&] { return r.connected(); }, GSM_INETCONN_RETRY_MS + 20000));
    size_t before = r.httpEvents.size();
    ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, server.keptUrl("/big")));
    ASSERT_TRUE(r.httpDone(before));
    ASSERT_TRUE(r.httpBody(&got, before));
    EXPECT_TRUE(got == body);
    EXPECT_EQ(r.httpEvents.back().status, 200);
}

// Before registration nothing is opened and a request waits for the connection.
TEST_P(Lte, HttpWaitsForTheConnection)
{
    HttpTestServer server;
    ASSERT_TRUE(server.ok());
    server.route("/", {200, "hello"});
    InternetRig r(options());
    ASSERT_TRUE(r.runUntil([&] { return gsmBasicCommsCommunicationEstablished(&r.comms); }, 20000));
    ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, server.keptUrl("/")));
    r.runFor(20000);
    EXPECT_FALSE(r.connected());
    EXPECT_EQ(countCommands(r.sim, "AT+NETOPEN"), 0u) << "nothing is opened while unregistered";
    EXPECT_TRUE(gsmHttpClientSimcomHttpOperationPending(&r.http));
    EXPECT_FALSE(gsmHttpClientSimcomHttpOperationStarted(&r.http));
    EXPECT_TRUE(r.httpEvents.empty());
    r.setRegistered(true);
    ASSERT_TRUE(r.httpDone());
    EXPECT_EQ(r.httpEvents.back().data, "hello");

    // Without a connection at all, the request gives up with its own status.
    r.net.setNetworkAvailable(false);
    ASSERT_TRUE(r.runUntil([&] { return !r.connected(); }, 5000));
    ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, server.keptUrl("/")));
    ASSERT_TRUE(r.runUntil([&] { return r.httpEvents.size() == 2; }, GSM_HTTP_SIMCOM_CONNECTION_WAIT_MS + 5000));
    EXPECT_EQ(r.httpEvents.back().status, GSM_HTTP_SIMCOM_STATUS_NO_CONNECTION);
    EXPECT_TRUE(r.httpEvents.back().last);
}

TEST_P(Lte, HttpCancelRefusalsAndKeptService)
{
    HttpTestServer server;
    ASSERT_TRUE(server.ok());
    server.route("/a", {200, "first"});
    InternetRig r(options());
    ASSERT_TRUE(r.bringUp());

    EXPECT_FALSE(gsmHttpClientSimcomCancel(&r.http)) << "nothing to cancel";
    EXPECT_FALSE(gsmHttpClientSimcomGet(&r.http, "http://127.0.0.1/\"+inject")) << "quote in URL";
    EXPECT_FALSE(gsmHttpClientSimcomGet(&r.http, "http://127.0.0.1/\r\nAT+CFUN=0")) << "line break in URL";
    EXPECT_FALSE(gsmHttpClientSimcomGet(&r.http, std::string(GSM_HTTP_SIMCOM_MAX_URL + 1, 'a').c_str()));
    EXPECT_FALSE(gsmHttpClientSimcomPost(&r.http, server.keptUrl("/a"), nullptr));
    EXPECT_FALSE(gsmHttpClientSimcomHttpOperationPending(&r.http));

    // Cancel a started request: no event, the service is cleaned up, the next works.
    ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, server.keptUrl("/a")));
    ASSERT_TRUE(r.runUntil([&] { return gsmHttpClientSimcomHttpOperationStarted(&r.http); }, 5000));
    r.runFor(20);
    EXPECT_TRUE(gsmHttpClientSimcomCancel(&r.http));
    EXPECT_FALSE(gsmHttpClientSimcomHttpOperationPending(&r.http));
    r.runFor(3000);
    EXPECT_TRUE(r.httpEvents.empty());
    ASSERT_TRUE(r.runUntil([&] { return !r.net.httpInitialised(); }, 5000));

    // Keep the service between requests: one AT+HTTPINIT for two requests.
    gsmHttpClientSimcomHttpTermWhenDone(&r.http, false);
    size_t inits = countCommands(r.sim, "AT+HTTPINIT");
    size_t terms = countCommands(r.sim, "AT+HTTPTERM");
    ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, server.keptUrl("/a")));
    ASSERT_TRUE(r.httpDone());
    ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, server.keptUrl("/a")));
    ASSERT_TRUE(r.httpDone(1));
    EXPECT_EQ(r.httpEvents.back().data, "first");
    EXPECT_EQ(countCommands(r.sim, "AT+HTTPINIT"), inits + 1);
    EXPECT_EQ(countCommands(r.sim, "AT+HTTPTERM"), terms);
    EXPECT_TRUE(r.net.httpInitialised());

    // The program restarts while the modem's HTTP service is still initialised:
    // AT+HTTPINIT fails once, the service is terminated and initialised again.
    gsmHttpClientSimcomInit(&r.http);
    ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, server.keptUrl("/a")));
    ASSERT_TRUE(r.httpDone(2));
    EXPECT_EQ(r.httpEvents.back().status, 200);
    EXPECT_EQ(countCommands(r.sim, "AT+HTTPINIT"), inits + 3);
    r.httpEvents.pop_back();

    // A request queued from inside the last event of the previous one runs too.
    gsmHttpClientSimcomHttpTermWhenDone(&r.http, true);
    bool queued = false;
    r.onHttp = [&](const HttpEvent& e) {
        if (e.last && !queued)
            queued = gsmHttpClientSimcomGet(&r.http, server.keptUrl("/a"));
    };
    ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, server.keptUrl("/a")));
    ASSERT_TRUE(r.runUntil([&] { return r.httpEvents.size() == 4; }, 60000));
    EXPECT_TRUE(queued);
    EXPECT_EQ(r.httpEvents.back().data, "first");

    // Cancelled from the handler of a body's first piece, the next request queued there
    // too: nothing more of the cancelled body; the next request runs whole.
    server.route("/big", {200, trickyBody(1000)});
    r.httpEvents.clear();
    bool cancelled = false;
    r.onHttp = [&](const HttpEvent& e) {
        if (!cancelled && !e.last) {
            cancelled = gsmHttpClientSimcomCancel(&r.http);
            EXPECT_TRUE(gsmHttpClientSimcomGet(&r.http, server.keptUrl("/a")));
        }
    };
    ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, server.keptUrl("/big")));
    ASSERT_TRUE(r.runUntil([&] { return !r.httpEvents.empty() && r.httpEvents.back().last; }, 60000));
    EXPECT_TRUE(cancelled);
    ASSERT_EQ(r.httpEvents.size(), 2u);
    EXPECT_EQ(r.httpEvents.back().data, "first");
    EXPECT_EQ(r.httpEvents.back().offset, 0u);
}

TEST_P(Lte, HttpActionTimeout)
{
    HttpTestServer server;
    ASSERT_TRUE(server.ok());
    InternetRig r(options());
    ASSERT_TRUE(r.bringUp());
    r.net.actionDelayMs = 20000; // the server's answer comes too late
    gsmHttpClientSimcomSetTimeouts(&r.http, 5000, 0);
    ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, server.keptUrl("/x")));
    ASSERT_TRUE(r.runUntil([&] { return !r.httpEvents.empty(); }, 15000));
    EXPECT_EQ(r.httpEvents[0].status, GSM_HTTP_SIMCOM_STATUS_TIMEOUT);
    EXPECT_TRUE(r.httpEvents[0].last);
    r.runFor(20000);
    EXPECT_EQ(r.httpEvents.size(), 1u) << "the belated answer is ignored";
}

TEST_P(Lte, HttpReadTimeoutThenNextRequest)
{
    HttpTestServer server;
    ASSERT_TRUE(server.ok());
    const std::string body = trickyBody(1000);
    server.route("/big", {200, body});
    InternetRig r(options());
    ASSERT_TRUE(r.bringUp());
    gsmHttpClientSimcomSetTimeouts(&r.http, 0, 4000);
    // The modem never finishes the second read (its OK is lost).
    r.net.onHttpRead = [&](size_t offset) {
        if (offset == GSM_HTTP_SIMCOM_READ_SIZE)
            r.sim.dropResponses(1);
    };
    ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, server.keptUrl("/big")));
    ASSERT_TRUE(r.httpDone());
    EXPECT_EQ(r.httpEvents.back().status, GSM_HTTP_SIMCOM_STATUS_READ_FAILED);
    EXPECT_EQ(r.httpEvents.size(), 2u) << "the first piece, then the failure";

    // The client is usable again: the service is terminated and the next request runs.
    r.net.onHttpRead = nullptr;
    size_t before = r.httpEvents.size();
    ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, server.keptUrl("/big")));
    ASSERT_TRUE(r.httpDone(before));
    std::string got;
    ASSERT_TRUE(r.httpBody(&got, before));
    EXPECT_TRUE(got == body);
}

INSTANTIATE_TEST_SUITE_P(Seeds, Lte, ::testing::Values(1u, 2u, 3u));

} // namespace
