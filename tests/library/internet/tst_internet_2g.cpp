// The 2G connection (AT+SAPBR) and the HTTP client in the SIM800 dialect, through the
// simulated modem whose HTTP service fetches from a real HTTP server on loopback.
#include "internet_rig.h"
#include "test_servers.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class Gsm2G : public ::testing::TestWithParam<uint32_t>
{
protected:
    InternetRigOptions options(const char* apn = nullptr)
    {
        return InternetRigOptions::seeded(GetParam() + 100, InternetModem::Family::Gsm2G, apn);
    }
};

// The APN is set when given, never when it could break out of its quotes (then no
// bearer is opened at all).
TEST_P(Gsm2G, ConnectsWithAndWithoutApn)
{
    struct Case
    {
        const char* apn;
        bool opens;
    };
    for (const Case& c : {Case{"gprs.example", true}, Case{nullptr, true}, Case{"apn\",\"x", false}}) {
        InternetRig r(options(c.apn));
        ASSERT_TRUE(r.bringUp(c.opens));
        r.runFor(c.opens ? 0 : 30000);
        EXPECT_EQ(r.connected(), c.opens);
        EXPECT_EQ(r.g2._i.Family, GSM_InternetConnection_Family_2G);
        EXPECT_EQ(countCommands(r.sim, "AT+SAPBR=3,1,\"Contype\",\"GPRS\""), c.opens ? 1u : 0u);
        EXPECT_EQ(countCommands(r.sim, "AT+SAPBR=3,1,\"APN\""), c.apn && c.opens ? 1u : 0u);
        EXPECT_EQ(countCommands(r.sim, "AT+SAPBR=1,1"), c.opens ? 1u : 0u);
        EXPECT_EQ(r.net.opens, c.opens ? 1 : 0);
        EXPECT_EQ(r.net.apn, c.apn && c.opens ? c.apn : "");
    }
}

TEST_P(Gsm2G, BearerDeactivationThenRecovery)
{
    InternetRig r(options("apn"));
    ASSERT_TRUE(r.bringUp());
    r.net.setNetworkAvailable(false); // "+SAPBR 1: DEACT"
    ASSERT_TRUE(r.runUntil([&] { return !r.connected(); }, 2000));
    r.runFor(25000);
    EXPECT_FALSE(r.connected());
    EXPECT_GE(countCommands(r.sim, "AT+SAPBR=1,1"), 3u) << "it keeps trying";
    r.net.setNetworkAvailable(true);
    ASSERT_TRUE(r.runUntil([&] { return r.connected(); }, GSM_INETCONN_RETRY_MAX_MS + 20000));
    EXPECT_EQ(r.net.opens, 2);
}

// Some firmware reports a lost context only as "+PDP: DEACT" (no "+SAPBR 1: DEACT"): the
// bearer counts as down at once and is queried and opened again.
TEST_P(Gsm2G, PdpDeactAloneMarksTheBearerDown)
{
    InternetRig r(options("apn"));
    ASSERT_TRUE(r.bringUp());
    size_t queries = countCommands(r.sim, "AT+SAPBR=2,1");
    r.sim.emitUrc("+PDP: DEACT");
    ASSERT_TRUE(r.runUntil([&] { return !r.connected(); }, 2000));
    ASSERT_TRUE(r.runUntil([&] { return r.connected(); }, 20000));
    EXPECT_GT(countCommands(r.sim, "AT+SAPBR=2,1"), queries);
}

// A GET loses its bearer in the middle of the body; after recovery the same GET arrives
// whole.
TEST_P(Gsm2G, HttpBearerLostMidBodyThenRecovers)
{
    HttpTestServer server;
    ASSERT_TRUE(server.ok());
    const std::string body = trickyBody(2500);
    server.route("/big", {200, body});
    InternetRig r(options());
    ASSERT_TRUE(r.bringUp());
    bool dropped = false;
    r.net.onHttpRead = [&](size_t offset) {
        if (offset >= 512 && !dropped) {
            dropped = true;
            r.net.setNetworkAvailable(false);
        }
    };
    ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, server.keptUrl("/big")));
    ASSERT_TRUE(r.httpDone());
    EXPECT_EQ(r.httpEvents.back().status, GSM_HTTP_SIMCOM_STATUS_CONNECTION_LOST);
    std::string got;
    ASSERT_TRUE(r.httpBody(&got));
    EXPECT_LT(got.size(), body.size());
    EXPECT_TRUE(body.compare(0, got.size(), got) == 0);

    r.net.onHttpRead = nullptr;
    r.net.setNetworkAvailable(true);
    ASSERT_TRUE(r.runUntil([&] { return r.connected(); }, GSM_INETCONN_RETRY_MS + 20000));
    // The whole body then arrives in pieces read one after the other.
    size_t before = r.httpEvents.size();
    size_t readsBefore = r.net.httpReads.size();
    ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, server.keptUrl("/big")));
    ASSERT_TRUE(r.httpDone(before));
    ASSERT_EQ(r.httpEvents.size() - before, (body.size() + GSM_HTTP_SIMCOM_READ_SIZE - 1) / GSM_HTTP_SIMCOM_READ_SIZE);
    ASSERT_TRUE(r.httpBody(&got, before));
    EXPECT_TRUE(got == body) << "body reassembled byte for byte";
    EXPECT_EQ(r.httpEvents.back().status, 200);
    EXPECT_TRUE(r.net.httpExchanges.back().cidSet) << "AT+HTTPPARA=\"CID\",1 is sent on 2G";
    for (size_t i = readsBefore; i < r.net.httpReads.size(); ++i)
        EXPECT_EQ(r.net.httpReads[i].first, (i - readsBefore) * GSM_HTTP_SIMCOM_READ_SIZE);
}

TEST_P(Gsm2G, HttpModemStatusesPassedOn)
{
    HttpTestServer server;
    ASSERT_TRUE(server.ok());
    InternetRig r(options());
    ASSERT_TRUE(r.bringUp());
    const int statuses[] = {601, 603, 604};
    for (size_t i = 0; i < 3; ++i) {
        r.net.actionStatusOverride = statuses[i];
        ASSERT_TRUE(gsmHttpClientSimcomGet(&r.http, server.keptUrl("/")));
        ASSERT_TRUE(r.httpDone(i));
        EXPECT_EQ(r.httpEvents.back().status, statuses[i]);
        EXPECT_EQ(r.httpEvents.back().contentLength, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, Gsm2G, ::testing::Values(1u, 2u, 3u));

} // namespace
