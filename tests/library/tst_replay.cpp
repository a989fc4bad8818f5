// The library against real modem output: every exchange of the recorded transcripts
// (tests/library/transcripts) is played back by the simulator's recorded-modem mode,
// in random byte splits, and the library must reach the state the transcript implies.
#include "rig.h"
#include "transcript.h"

#include <gtest/gtest.h>

namespace {

// The reader: every file parses, has its header, and echo/URC placement comes out as
// the format notes describe.
TEST(Transcripts, ReaderSplitsEchoAnswerAndData)
{
    std::vector<std::string> names = Transcript::available();
    ASSERT_GE(names.size(), 20u);
    for (const auto& n : names) {
        Transcript t = Transcript::load(n);
        EXPECT_FALSE(t.header.empty()) << n;
        EXPECT_FALSE(t.exchanges.empty()) << n;
    }

    // URC between the command and its echo; the echo is removed, the URC kept in place.
    Transcript urc = Transcript::load("simcom-lte-netopen-urc-01");
    auto cgreg = urc.withKey("AT+CGREG?");
    ASSERT_EQ(cgreg.size(), 1u);
    EXPECT_EQ(cgreg[0]->echoAt, 2);
    EXPECT_EQ(cgreg[0]->lines, (std::vector<std::string>{"", "+CGEV: EPS PDN ACT 1", "+CGREG: 0,1", "", "OK"}));
    EXPECT_EQ(urc.exchanges[0].command, "");        // the tail of an earlier answer
    EXPECT_EQ(urc.exchanges[0].lines, std::vector<std::string>{"OK"});
    // An echo printed with a leading blank, and no echo at all.
    Transcript ip = Transcript::load("sim7600-ip-error-01");
    EXPECT_EQ(ip.withKey("AT+IPADDR")[0]->echoAt, 0);
    EXPECT_EQ(ip.withKey("AT+IPADDR")[0]->lines,
              (std::vector<std::string>{"+IP ERROR: Network not opened", "", "ERROR"}));
    Transcript boot = Transcript::load("sim800-boot-01");
    auto cpin = boot.withKey("AT+CPIN?");
    ASSERT_EQ(cpin.size(), 2u);
    EXPECT_EQ(cpin[1]->echoAt, -1);
    EXPECT_EQ(cpin[1]->wire(), "\r\nRDY\r\n\r\n+CFUN: 1\r\n\r\n+CPIN: READY\r\n\r\n+CPIN: READY\r\n\r\nOK\r\n");
    // Text typed after the prompt is data, answered by the lines after it.
    Transcript cmgs = Transcript::load("sim7000-cmgs-cms-error-01");
    auto send = cmgs.withKey("AT+CMGS=");
    ASSERT_EQ(send.size(), 1u);
    EXPECT_EQ(send[0]->wire(), "\r\n> ");
    EXPECT_TRUE((send[0] + 1)->data);
    EXPECT_EQ((send[0] + 1)->lines, std::vector<std::string>{"+CMS ERROR:"});
    EXPECT_EQ(transcriptCommandKey("at+cusd=1,\"*147#\""), "AT+CUSD=");
}

// The rig against a recording: a transcript file, or (for the exchanges of fault
// reports) a few lines in the transcript format. The SIM needs no PIN unless the
// recording says otherwise; queries repeat their last recorded answer.
struct Replay
{
    explicit Replay(const std::string& name, RigOptions o = RigOptions(), const std::string& text = std::string())
        : t(text.empty() ? Transcript::load(name) : Transcript::parse(name, text)), r(o)
    {
        r.sim.simPin.clear();
        r.sim.sim = ModemSim::Sim::Ready;
        r.sim.recordingRepeatsQueries = true;
        r.sim.playRecording(t, o.seed);
    }
    bool established() { return gsmBasicCommsCommunicationEstablished(&r.comms); }
    Transcript t;
    Rig r;
};

RigOptions seeded(uint32_t seed)
{
    RigOptions o;
    o.seed = seed;
    o.echoOn = seed % 2;
    o.maxChunk = 1 + seed * 7 % 23;
    return o;
}

// A +CMTI between the entries of the unread listing reaches the SMS reader: the new
// message is read too, not left in the storage.
TEST(RealModem, NewMessageNoticeInsideTheListing)
{
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        Replay p("cmti-in-cmgl", seeded(seed),
                 ">> AT+CMGL=\"REC UNREAD\",1\n"
                 "<< \n"
                 "<< +CMGL: 1,\"REC UNREAD\",\"+15550001111\",\"\",\"10/05/06,00:01:52+08\",145,5\n"
                 "<< first\n"
                 "<< +CMTI: \"SM\",2\n"
                 "<< \n"
                 "<< OK\n");
        p.r.sim.receiveSms("+15550001111", "first", "10/05/06,00:01:52+08", false);
        p.r.sim.receiveSms("+15550002222", "second", "10/05/06,00:01:53+08", false);
        ASSERT_TRUE(p.r.runUntil([&] { return p.r.received.size() == 2 && p.r.sim.store.empty(); }, 60000))
            << "seed " << seed << ": " << p.r.received.size() << " read";
        EXPECT_EQ(p.r.received[0].text, "first");
        EXPECT_EQ(p.r.received[1].phone, "+15550002222");
        EXPECT_EQ(p.r.received[1].text, "second");
    }
}

TEST(Replay, RegistrationCommandsDisagree)
{
    for (uint32_t seed = 1; seed <= 4; ++seed) {
        RigOptions o;
        o.seed = seed;
        o.echoOn = seed % 2;
        Replay p("sim7000-registration-01", o);
        ASSERT_TRUE(p.r.runUntil([&] { return gsmNetworkRegistrationIsRegistered(&p.r.netreg); }, 30000)) << seed;
        EXPECT_EQ(p.r.sim.recordingUnused("AT+CREG?"), 0u);
        EXPECT_EQ(p.r.sim.recordingUnused("AT+CGREG?"), 0u);
    }
}

} // namespace
