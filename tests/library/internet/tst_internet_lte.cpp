// The LTE connection (SIM7600: AT+NETOPEN), the 2G connection (SIM800: AT+SAPBR) and
// the HTTP client over them, through the simulated modem whose HTTP service fetches
// from a real HTTP server on loopback. The ctest test tst_internet_2g runs the 2G cases
// (names with "2G"), tst_internet_lte the others.
#include "internet_rig.h"
#include "test_servers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace {

using Family = InternetModem::Family;

// Cases that hold for both connections (Lte: for the LTE one only). Every case has a
// loopback HTTP server (a server that cannot listen fails the case).
class Both : public ::testing::TestWithParam<std::tuple<Family, uint32_t>>
{
protected:
    void SetUp() override { ASSERT_TRUE(server.ok()) << "the HTTP test server could not listen"; }
    HttpTestServer server;
    bool is2G() const { return std::get<0>(GetParam()) == Family::Gsm2G; }
    InternetRigOptions options(const char* apn = nullptr)
    {
        return InternetRigOptions::seeded(std::get<1>(GetParam()) + (is2G() ? 100 : 0), std::get<0>(GetParam()), apn);
    }
    const char* openCommand() const { return is2G() ? "AT+SAPBR=1,1" : "AT+NETOPEN"; }
};

class Lte : public Both
{
};

// The APN is set when given, never when it could break out of its quotes (2G: then no
// bearer is opened at all). An open connection is left alone. LTE firmware that rejects
// the query AT+NETOPEN? must not keep the connection closed.
TEST_P(Both, ConnectsWithAndWithoutApn)
{
    struct Case
    {
        const char* apn;
        bool opens, queryRejected;
    };
    std::vector<Case> cases = {{"internet.example", true, false}, {nullptr, true, false}};
    cases.push_back(is2G() ? Case{"apn\",\"x", false, false} : Case{nullptr, true, true});
    for (const Case& c : cases) {
        InternetRig r(options(c.apn));
        if (c.queryRejected)
            r.sim.addHandler("AT+NETOPEN?", [](ModemSim& m, const std::string&) { m.respond({}, "ERROR"); });
        EXPECT_FALSE(r.connected());
        ASSERT_TRUE(r.bringUp(c.opens));
        r.runFor(c.opens ? 5000 : 30000);
        EXPECT_EQ(r.connected(), c.opens);
        EXPECT_EQ(countCommands(r.sim, is2G() ? "AT+SAPBR=3,1,\"APN\"" : "AT+CGDCONT"), c.apn && c.opens ? 1u : 0u);
        EXPECT_EQ(r.net.apn, c.apn && c.opens ? c.apn : "");
        if (is2G()) {
            EXPECT_EQ(countCommands(r.sim, "AT+SAPBR=3,1,\"Contype\",\"GPRS\""), c.opens ? 1u : 0u);
        }
        EXPECT_EQ(countCommands(r.sim, openCommand()) - countCommands(r.sim, "AT+NETOPEN?"), c.opens ? 1u : 0u);
        EXPECT_EQ(r.net.opens, c.opens ? 1 : 0) << "an open connection is left alone";
        EXPECT_EQ(r.txOverflows, 0u);
    }
}

// LTE: "+CIPEVENT: NETWORK CLOSED UNEXPECTEDLY"; 2G: "+SAPBR 1: DEACT". Some 2G
// firmware reports a lost context only as "+PDP: DEACT": the bearer counts as down at
// once and is queried and opened again.
TEST_P(Both, ReconnectsAfterNetworkLoss)
{
    InternetRig r(options("apn"));
    ASSERT_TRUE(r.bringUp());
    if (is2G()) {
        size_t queries = countCommands(r.sim, "AT+SAPBR=2,1");
        r.sim.emitUrc("+PDP: DEACT");
        ASSERT_TRUE(r.runUntil([&] { return !r.connected(); }, 2000));
        ASSERT_TRUE(r.runUntil([&] { return r.connected(); }, 20000));
        EXPECT_GT(countCommands(r.sim, "AT+SAPBR=2,1"), queries);
    }
    r.net.setNetworkAvailable(false);
    ASSERT_TRUE(r.runUntil([&] { return !r.connected(); }, 2000));
    r.runFor(30000);
    EXPECT_FALSE(r.connected()) << "opening fails while the network is gone";
    EXPECT_GE(countCommands(r.sim, openCommand()) - countCommands(r.sim, "AT+NETOPEN?"), 3u) << "it keeps trying";
    r.net.setNetworkAvailable(true);
    ASSERT_TRUE(r.runUntil([&] { return r.connected(); }, GSM_INETCONN_RETRY_MAX_MS + 20000));
    EXPECT_EQ(r.net.opens, 2);
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

// Firmware that answers AT+NETOPEN with a bare ERROR (or "+NETOPEN: <err>" and ERROR):
// reported, and retried with a pause that grows up to its limit - never a tight loop.
TEST_P(Lte, RefusedOpeningBacksOff)
{
    InternetRig r(options());
    r.net.failureWithError = std::get<1>(GetParam()) % 2 == 0;
    if (r.net.failureWithError)
        r.net.setNetworkAvailable(false); // "+NETOPEN: 1", "", "ERROR"
    else
        r.net.netopenBareErrors = -1;
    ASSERT_TRUE(r.bringUp(false));
    // Times (rig clock) at which the modem received AT+NETOPEN.
    std::vector<uint32_t> at;
    size_t seen = r.sim.commands.size();
    r.runUntil([&] {
        for (; seen < r.sim.commands.size(); ++seen)
            if (r.sim.commands[seen] == "AT+NETOPEN")
                at.push_back(r.now());
        return false;
    }, 400000);
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

// The client reports the body from the Prompt buffer: it arrives whole, in order and
// byte for byte, also through buffers too small for a full read, where the read is
// repeated smaller and the size that fits is kept for later reads and requests.
TEST_P(Lte, HttpGetBodyInPieces)
{
    const std::string body = trickyBody(5000);
    server.route("/big", {200, body});
    const std::string url = server.url("/big");

    for (size_t promptBuffer : {1024u, 256u, 128u, 80u}) {
        SCOPED_TRACE("Prompt buffer " + std::to_string(promptBuffer));
        InternetRigOptions o = options();
        o.promptBuffer = promptBuffer;
        InternetRig r(o);
        r.net.httpDataBlock = 50; // several "+HTTPREAD: DATA" blocks per read
        ASSERT_TRUE(r.bringUp());
        size_t served = server.requests().size();
        for (int request = 0; request < 2; ++request) {
            size_t from = r.httpEvents.size();
            size_t readsBefore = r.net.httpReads.size();
            EXPECT_FALSE(gsmHttpClientSimcomHttpOperationPending(&r.http));
            ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, url.c_str()));
            EXPECT_TRUE(gsmHttpClientSimcomHttpOperationPending(&r.http));
            EXPECT_FALSE(gsmHttpClientSimcomGet(&r.http, url.c_str())) << "one request at a time";
            ASSERT_TRUE(r.httpDone(from));
            EXPECT_TRUE(r.httpBody(from) == body) << "pieces in order, body byte for byte";
            for (size_t i = from; i < r.httpEvents.size(); ++i) {
                EXPECT_EQ(r.httpEvents[i].status, 200);
                EXPECT_EQ(r.httpEvents[i].contentLength, body.size());
                EXPECT_TRUE(r.httpEvents[i].terminated);
                EXPECT_EQ(r.httpEvents[i].last, i + 1 == r.httpEvents.size());
            }
            if (promptBuffer == 1024) {
                EXPECT_EQ(r.httpEvents.size() - from,
                          (body.size() + GSM_HTTP_SIMCOM_READ_SIZE - 1) / GSM_HTTP_SIMCOM_READ_SIZE);
            }
            EXPECT_FALSE(gsmHttpClientSimcomHttpOperationPending(&r.http));
            if (request == 1) {
                EXPECT_EQ(r.net.httpReads.size() - readsBefore, r.httpEvents.size() - from)
                    << "the size that fits is kept: one read per piece, none repeated";
                EXPECT_LT(r.net.httpReads.back().second, promptBuffer);
            }
        }
        ASSERT_EQ(r.net.httpExchanges.size(), 2u);
        EXPECT_EQ(r.net.httpExchanges[0].method, 0);
        EXPECT_EQ(r.net.httpExchanges[0].url, url);
        ASSERT_TRUE(r.runUntil([&] { return !r.net.httpInitialised(); }, 5000)) << "AT+HTTPTERM when done";
        EXPECT_EQ(server.requests().size(), served + 2);
        EXPECT_EQ(r.txOverflows, 0u);
    }
}

// POST bodies arrive exactly, with the content type set (null restores the default; an
// empty body is allowed). The server's statuses and the modem's own (network error, DNS
// error, ...) are passed on; after a network error the connection is checked.
TEST_P(Both, HttpPostAndStatuses)
{
    InternetRig r(options());
    ASSERT_TRUE(r.bringUp());

    std::string body = "{\"device\":\"tarvex\",\"readings\":[";
    for (int i = 0; i < 300; ++i)
        body += std::to_string(i * 7 % 101) + (i < 299 ? "," : "]}");
    gsmHttpClientSimcomPostSetContentType(&r.http, "application/json");
    HttpEvent ev = r.request(server.url("/upload"), body.c_str());
    EXPECT_EQ(r.httpEvents.size(), 1u);
    EXPECT_EQ(ev.status, 201);
    EXPECT_EQ(ev.data, "received " + std::to_string(body.size()) + " bytes");
    gsmHttpClientSimcomPostSetContentType(&r.http, nullptr);
    EXPECT_EQ(r.request(server.url("/empty"), "").status, 201);
    auto reqs = server.requests();
    ASSERT_EQ(reqs.size(), 2u);
    EXPECT_EQ(reqs[0].method, "POST");
    EXPECT_EQ(reqs[0].path, "/upload");
    EXPECT_EQ(reqs[0].contentType, "application/json");
    EXPECT_TRUE(reqs[0].body == body) << "the server received the body exactly";
    EXPECT_EQ(reqs[1].contentType, GSM_HTTP_SIMCOM_DEFAULT_CONTENT_TYPE);
    EXPECT_EQ(reqs[1].body, "");

    // The server's statuses, then the modem's own (no path: its status alone, no body).
    server.route("/empty", {204, ""});
    const std::tuple<const char*, uint16_t, std::string> rows[] = {
        {"/missing", 404, "not found"}, {"/empty", 204, ""}, {nullptr, 601, ""}, {nullptr, 603, ""}, {nullptr, 604, ""}};
    for (const auto& [path, status, data] : rows) {
        const char* query = is2G() ? "AT+SAPBR=2,1" : "AT+NETOPEN?";
        size_t queries = countCommands(r.sim, query);
        size_t reads = r.net.httpReads.size();
        r.net.actionStatusOverride = path ? 0 : status;
        ev = r.request(server.url(path ? path : "/"));
        EXPECT_EQ(ev.status, status);
        EXPECT_EQ(ev.data, data);
        EXPECT_EQ(ev.contentLength, data.size());
        EXPECT_EQ(r.net.httpReads.size() - reads, data.empty() ? 0u : 1u) << "nothing is read of an empty body";
        if (status == 601 && !is2G()) {
            ASSERT_TRUE(r.runUntil([&] { return countCommands(r.sim, query) > queries; }, 5000));
            EXPECT_TRUE(r.connected()) << "the check found the connection up";
        }
    }
}

// The result lines of AT+NETOPEN and AT+HTTPACTION before OK, without the space after
// the colon, or both, as real firmware prints them; a late start-up or network notice
// inside an answer.
TEST_P(Lte, ResultShapesOfRealFirmware)
{
    server.route("/shape", {200, trickyBody(700)});
    for (int shape = 1; shape <= 3; ++shape) {
        SCOPED_TRACE(shape);
        InternetRig r(options());
        r.net.resultBeforeOk = shape & 1;
        r.net.noSpaceAfterColon = shape & 2;
        ASSERT_TRUE(r.bringUp());
        r.sim.urcInNextResponse(shape == 2 ? "+CGEV: EPS PDN ACT 1" : "SMS DONE"); // late notices inside answers
        HttpEvent ev = r.request(server.url("/shape"));
        EXPECT_EQ(ev.status, 200);
        EXPECT_EQ(ev.contentLength, 700u);
        EXPECT_TRUE(r.httpBody() == trickyBody(700));
    }
}

// SIM7600 answers a command that needs the data connection with "+IP ERROR: Network not
// opened" and ERROR when the stack closed without a URC: the request fails and the
// connection is checked at once (and reopened), not at the next periodic check.
TEST_P(Lte, HttpIpErrorChecksTheConnection)
{
    InternetRig r(options());
    ASSERT_TRUE(r.bringUp());
    size_t queries = countCommands(r.sim, "AT+NETOPEN?");
    r.sim.addHandler("AT+HTTPACTION=", [&r](ModemSim& m, const std::string&) {
        r.net.queryHidesOpenStack = true; // the stack is gone as far as the modem says
        m.respond({"+IP ERROR: Network not opened", ""}, "ERROR");
    });
    EXPECT_EQ(r.request(server.url("/missing")).status, GSM_HTTP_SIMCOM_STATUS_COMMAND_FAILED);
    ASSERT_TRUE(r.runUntil([&] { return countCommands(r.sim, "AT+NETOPEN?") > queries; }, 5000))
        << "checked at once";
    r.net.queryHidesOpenStack = false;
    ASSERT_TRUE(r.runUntil([&] { return r.net.opens == 2 && r.connected(); }, 30000)) << "reopened";
}

// A GET loses its connection in the middle of the body; after recovery the same GET
// arrives whole, read piece after piece.
TEST_P(Both, HttpConnectionLostMidBodyThenRecovers)
{
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
    HttpEvent last = r.request(server.url("/big"));
    ASSERT_TRUE(dropped);
    EXPECT_EQ(last.status, GSM_HTTP_SIMCOM_STATUS_CONNECTION_LOST);
    EXPECT_TRUE(last.data.empty());
    std::string got = r.httpBody();
    EXPECT_GE(got.size(), 600u);
    EXPECT_LT(got.size(), body.size());
    EXPECT_TRUE(body.compare(0, got.size(), got) == 0) << "what arrived before the loss is intact";
    EXPECT_FALSE(gsmHttpClientSimcomHttpOperationPending(&r.http));
    size_t events = r.httpEvents.size();
    r.runFor(3000);
    EXPECT_EQ(r.httpEvents.size(), events) << "no event after the last one";

    r.net.onHttpRead = nullptr;
    r.net.setNetworkAvailable(true);
    ASSERT_TRUE(r.runUntil([&] { return r.connected(); }, GSM_INETCONN_RETRY_MS + 20000));
    size_t readsBefore = r.net.httpReads.size();
    EXPECT_EQ(r.request(server.url("/big")).status, 200);
    ASSERT_EQ(r.httpEvents.size() - events, (body.size() + GSM_HTTP_SIMCOM_READ_SIZE - 1) / GSM_HTTP_SIMCOM_READ_SIZE);
    EXPECT_TRUE(r.httpBody(events) == body) << "body reassembled byte for byte";
    EXPECT_EQ(r.net.httpExchanges.back().cidSet, is2G()) << "AT+HTTPPARA=\"CID\",1 is sent on 2G only";
    for (size_t i = readsBefore; i < r.net.httpReads.size(); ++i)
        EXPECT_EQ(r.net.httpReads[i].first, (i - readsBefore) * GSM_HTTP_SIMCOM_READ_SIZE);
}

// Before registration nothing is opened and a request waits for the connection.
TEST_P(Lte, HttpWaitsForTheConnection)
{
    server.route("/", {200, "hello"});
    const std::string url = server.url("/");
    InternetRig r(options());
    ASSERT_TRUE(r.runUntil([&] { return gsmBasicCommsCommunicationEstablished(&r.comms); }, 20000));
    ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, url.c_str()));
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
    HttpEvent ev = r.request(url, nullptr, GSM_HTTP_SIMCOM_CONNECTION_WAIT_MS + 5000);
    EXPECT_EQ(r.httpEvents.size(), 2u);
    EXPECT_EQ(ev.status, GSM_HTTP_SIMCOM_STATUS_NO_CONNECTION);
}

TEST_P(Lte, HttpCancelRefusalsAndKeptService)
{
    server.route("/a", {200, "first"});
    const std::string url = server.url("/a");
    InternetRig r(options());
    ASSERT_TRUE(r.bringUp());

    EXPECT_FALSE(gsmHttpClientSimcomCancel(&r.http)) << "nothing to cancel";
    EXPECT_FALSE(gsmHttpClientSimcomGet(&r.http, "http://127.0.0.1/\"+inject")) << "quote in URL";
    EXPECT_FALSE(gsmHttpClientSimcomGet(&r.http, "http://127.0.0.1/\r\nAT+CFUN=0")) << "line break in URL";
    EXPECT_FALSE(gsmHttpClientSimcomGet(&r.http, std::string(GSM_HTTP_SIMCOM_MAX_URL + 1, 'a').c_str()));
    EXPECT_FALSE(gsmHttpClientSimcomPost(&r.http, url.c_str(), nullptr));
    EXPECT_FALSE(gsmHttpClientSimcomHttpOperationPending(&r.http));

    // Cancel a started request: no event, the service is cleaned up, the next works.
    ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, url.c_str()));
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
    EXPECT_EQ(r.request(url).status, 200);
    EXPECT_EQ(r.request(url).data, "first");
    EXPECT_EQ(countCommands(r.sim, "AT+HTTPINIT"), inits + 1);
    EXPECT_EQ(countCommands(r.sim, "AT+HTTPTERM"), terms);
    EXPECT_TRUE(r.net.httpInitialised());

    // The program restarts while the modem's HTTP service is still initialised:
    // AT+HTTPINIT fails once, the service is terminated and initialised again.
    gsmHttpClientSimcomInit(&r.http);
    EXPECT_EQ(r.request(url).status, 200);
    EXPECT_EQ(countCommands(r.sim, "AT+HTTPINIT"), inits + 3);
    r.httpEvents.pop_back();

    // A request queued from inside the last event of the previous one runs too.
    gsmHttpClientSimcomHttpTermWhenDone(&r.http, true);
    bool queued = false;
    r.onHttp = [&](const HttpEvent& e) {
        if (e.last && !queued)
            queued = gsmHttpClientSimcomGet(&r.http, url.c_str());
    };
    ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, url.c_str()));
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
            EXPECT_TRUE(gsmHttpClientSimcomGet(&r.http, url.c_str()));
        }
    };
    EXPECT_EQ(r.request(server.url("/big")).data, "first");
    EXPECT_TRUE(cancelled);
    ASSERT_EQ(r.httpEvents.size(), 2u);
    EXPECT_EQ(r.httpEvents.back().offset, 0u);
}

// An answer that comes too late ends the request with a timeout (the belated answer is
// ignored); a read that never finishes with a read failure, and the next request runs.
TEST_P(Lte, HttpTimeouts)
{
    const std::string body = trickyBody(1000);
    server.route("/big", {200, body});
    InternetRig r(options());
    ASSERT_TRUE(r.bringUp());
    r.net.actionDelayMs = 20000;
    gsmHttpClientSimcomSetTimeouts(&r.http, 5000, 4000);
    EXPECT_EQ(r.request(server.url("/x"), nullptr, 15000).status, GSM_HTTP_SIMCOM_STATUS_TIMEOUT);
    r.runFor(20000);
    EXPECT_EQ(r.httpEvents.size(), 1u) << "the belated answer is ignored";

    r.httpEvents.clear();
    r.net.actionDelayMs = 300;
    // The modem never finishes the second read (its OK is lost).
    r.net.onHttpRead = [&](size_t offset) {
        if (offset == GSM_HTTP_SIMCOM_READ_SIZE)
            r.sim.dropResponses(1);
    };
    EXPECT_EQ(r.request(server.url("/big")).status, GSM_HTTP_SIMCOM_STATUS_READ_FAILED);
    EXPECT_EQ(r.httpEvents.size(), 2u) << "the first piece, then the failure";
    r.net.onHttpRead = nullptr;
    EXPECT_EQ(r.request(server.url("/big")).status, 200);
    EXPECT_TRUE(r.httpBody(2) == body);
}

std::string caseName(const ::testing::TestParamInfo<std::tuple<Family, uint32_t>>& i)
{
    return std::string(std::get<0>(i.param) == Family::Lte ? "Lte" : "2G") + "_" + std::to_string(std::get<1>(i.param));
}
const auto kSeeds = ::testing::Values(1u, 2u, 3u);
INSTANTIATE_TEST_SUITE_P(Seeds, Lte, ::testing::Combine(::testing::Values(Family::Lte), kSeeds), caseName);
INSTANTIATE_TEST_SUITE_P(Seeds, Both, ::testing::Combine(::testing::Values(Family::Lte, Family::Gsm2G), kSeeds),
                         caseName);

} // namespace
