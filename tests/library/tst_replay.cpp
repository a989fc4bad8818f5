// The library against real modem output: every exchange of the recorded transcripts
// (tests/library/transcripts) is played back by the simulator's recorded-modem mode,
// in random byte splits, and the library must reach the state the transcript implies.
#include "rig.h"
#include "transcript.h"

#include <gtest/gtest.h>

#include <algorithm>

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

// A rig against a recording: a transcript file, or (for the exchanges of fault
// reports) a few lines in the transcript format. The SIM needs no PIN unless the
// recording says otherwise; what the recording lacks or has used up the simulator
// answers, set by each test to the state the transcript ends in.
struct Replay : Rig
{
    explicit Replay(const std::string& name, RigOptions o = RigOptions(), const std::string& text = std::string())
        : Rig(o), t(text.empty() ? Transcript::load(name) : Transcript::parse(name, text))
    {
        sim.simPin.clear();
        sim.sim = ModemSim::Sim::Ready;
        sim.playRecording(t, o.seed);
    }
    bool pinIs(GSM_PIN_SimStatus s) { return gsmPinStatus(&pin) == s; }
    bool registered() { return gsmNetworkRegistrationIsRegistered(&netreg); }
    // Still responsive: every signal query ends within its time, and one of at most
    // three succeeds (a recorded answer may lack its OK).
    void responsive()
    {
        for (int attempt = 0; attempt < 3; ++attempt) {
            ASSERT_TRUE(runUntil([&] { return gsmSignalQualityQuery(&sq); }, 30000)) << t.name;
            size_t ok = csq.size();
            int failed = csqFailed;
            ASSERT_TRUE(runUntil([&] { return csq.size() > ok || csqFailed > failed; }, 15000))
                << t.name << ": stalled";
            if (csq.size() > ok)
                return;
        }
        FAIL() << t.name << ": no signal query succeeds";
    }
    // What happened, for failure messages: the commands and the library's events.
    std::string trace() const
    {
        std::string s = "\nlast commands:";
        for (size_t i = sim.commands.size() > 40 ? sim.commands.size() - 40 : 0; i < sim.commands.size(); ++i)
            s += " [" + sim.commands[i] + "]";
        s += "\nlast events:";
        for (size_t i = log.size() > 40 ? log.size() - 40 : 0; i < log.size(); ++i)
            s += " " + log[i];
        return s;
    }
    Transcript t;
};

RigOptions seeded(uint32_t seed)
{
    RigOptions o;
    o.seed = seed;
    o.echoOn = seed % 2;
    o.maxChunk = 1 + seed * 7 % 23;
    return o;
}

class Recorded : public ::testing::TestWithParam<uint32_t>
{
};

// A +CMTI between the entries of the unread listing reaches the SMS reader: the new
// message is read too, not left in the storage.
TEST_P(Recorded, NewMessageNoticeInsideTheListing)
{
    Replay p("cmti-in-cmgl", seeded(GetParam()),
             ">> AT+CMGL=\"REC UNREAD\",1\n<< \n"
             "<< +CMGL: 1,\"REC UNREAD\",\"+15550001111\",\"\",\"10/05/06,00:01:52+08\",145,5\n"
             "<< first\n<< +CMTI: \"SM\",2\n<< \n<< OK\n");
    p.sim.receiveSms("+15550001111", "first", "10/05/06,00:01:52+08", false);
    p.sim.receiveSms("+15550002222", "second", "10/05/06,00:01:53+08", false);
    ASSERT_TRUE(p.runUntil([&] { return p.received.size() == 2 && p.sim.store.empty(); }, 60000))
        << p.received.size() << " read";
    EXPECT_EQ(p.received[0].text, "first");
    EXPECT_EQ(p.received[1].phone, "+15550002222");
    EXPECT_EQ(p.received[1].text, "second");
}

// The PIN against recorded SIM answers: a modem that refuses AT+CMEE=1 and reports the
// SIM state in words (the verbose error counts like its numeric form, never as a SIM
// error, so the PIN can be entered); a PIN answered by a bare ERROR (PinFailed, the PIN
// sent once, the status stays what the SIM says); a missing SIM, bare ERROR first, then
// the verbose "+CME ERROR: SIM not inserted" (a PIN cannot help: none is sent).
TEST_P(Recorded, PinAgainstRecordedSimAnswers)
{
    const struct
    {
        const char* name;
        const char* text; // a few recorded lines (null: the transcript file)
        ModemSim::Sim sim;
        GSM_PIN_SimStatus status, first; // waited for; the first reported
        int after;                       // the status after the PIN (-1: not checked)
        long sent;                       // AT+CPIN= commands sent
    } rows[] = {
        {"cmee-refused", ">> AT+CMEE=1\n<< \n<< ERROR\n>> AT+CPIN?\n<< \n<< +CME ERROR: SIM PIN required\n",
         ModemSim::Sim::PinRequired, GSM_PIN_SimStatus_PinRequired, GSM_PIN_SimStatus_PinRequired,
         GSM_PIN_SimStatus_Ready, 1},
        {"sim7600-error-cmee-01", nullptr, ModemSim::Sim::PinRequired, GSM_PIN_SimStatus_PinRequired,
         GSM_PIN_SimStatus_PinRequired, GSM_PIN_SimStatus_PinRequired, 1},
        {"sim800-cpin-notinserted-01", nullptr, ModemSim::Sim::NotInserted, GSM_PIN_SimStatus_NotInserted,
         GSM_PIN_SimStatus_Error, -1, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Replay p(row.name, seeded(GetParam()), row.text ? row.text : "");
        p.sim.simPin = "1234";
        p.sim.sim = row.sim;
        ASSERT_TRUE(p.runUntil([&] { return p.pinIs(row.status); }, 60000)) << p.trace();
        EXPECT_EQ(p.sim.recordingUnused("AT+CPIN?"), 0u);
        ASSERT_TRUE(gsmPinEnter(&p.pin, 1234));
        ASSERT_TRUE(p.runUntil([&] { return p.pinSuccess + p.pinFailed > 0; }, 30000)) << p.trace();
        p.runFor(6000);
        const bool accepted = row.after == GSM_PIN_SimStatus_Ready;
        EXPECT_EQ(p.pinSuccess, accepted ? 1 : 0);
        EXPECT_EQ(p.pinFailed, accepted ? 0 : 1);
        EXPECT_EQ(p.simStatus.front(), row.first);
        EXPECT_TRUE(row.after < 0 || p.pinIs(static_cast<GSM_PIN_SimStatus>(row.after)));
        EXPECT_EQ(std::count_if(p.sim.commands.begin(), p.sim.commands.end(),
                                [](const std::string& c) { return c.rfind("AT+CPIN=", 0) == 0; }),
                  row.sent);
        p.responsive();
    }
}

TEST_P(Recorded, Sim7600SmsReadMultiLineText)
{
    // +CMGR without <length> (read by lines), a three-line text, then AT+CMGD.
    Replay p("sim7600-sms-read-01", seeded(GetParam()));
    ASSERT_TRUE(p.runUntil([&] { return p.sim.cnmiMt == 1 && !gsmSmsReadIsBusy(&p.smsRead); }, 30000));
    p.sim.emitUrc("+CMTI: \"SM\",0");
    ASSERT_TRUE(p.runUntil([&] { return !p.received.empty(); }, 15000));
    const ReceivedSms& m = p.received[0];
    EXPECT_EQ(m.phone, "2424");
    EXPECT_EQ(m.text, "Hi! Your Skinny balance is\n1.65 credit\nFor your account info, text INFO to 2424.");
    EXPECT_EQ(m.status, GSM_SmsRead_SmsStatus_ReceivedRead);
    EXPECT_EQ(m.epoch, 1744267546u); // 25/04/10 18:45:46 at +12:00 ("+48" quarter hours)
    EXPECT_EQ(m.offset, 12 * 3600);
    EXPECT_EQ(m.index, 0);
    ASSERT_TRUE(p.runUntil([&] { return p.sim.recordingUnused("AT+CMGD=") < 2; }, 5000)) << "deleted";
    p.responsive();
}

TEST_P(Recorded, Sim7000SmsSendCmsErrorWithoutCode)
{
    Replay p("sim7000-cmgs-cms-error-01", seeded(GetParam()));
    ASSERT_TRUE(p.runUntil([&] { return p.registered() || p.established(); }, 30000));
    p.sim.setRegistration(0, 1);
    ASSERT_TRUE(p.runUntil([&] { return p.registered(); }, 30000));
    ASSERT_TRUE(gsmSmsSend(&p.smsSend, "+4915000000000", "blatest "));
    ASSERT_TRUE(p.runUntil([&] { return !p.smsFailed.empty(); }, 60000));
    EXPECT_EQ(p.smsFailed[0].Result, GSM_Result_CmsError);
    EXPECT_EQ(p.smsFailed[0].ErrorCode, 0xFFFF);
    EXPECT_TRUE(p.smsSent.empty());
    // The next message goes out (answered by the simulator).
    ASSERT_TRUE(gsmSmsSend(&p.smsSend, "+4915000000000", "again"));
    EXPECT_TRUE(p.runUntil([&] { return !p.smsSent.empty(); }, 60000));
    EXPECT_EQ(p.sim.sent.size(), 1u);
}

TEST_P(Recorded, Sim800UssdSpacesAfterCommas)
{
    // "+CUSD: 2" (no text under AT+CSCS="HEX"), then "+CUSD: 0, "<text>", 2" with a
    // blank after each comma and 8-bit bytes in the text. The log shows no OK, and not
    // the answers to AT+CSCS (left to the simulator: the SMS modules set "IRA").
    Replay p("sim800-ussd-01", seeded(GetParam()));
    auto& ex = p.t.exchanges;
    ex.erase(std::remove_if(ex.begin(), ex.end(), [](const TranscriptExchange& e) { return e.key() == "AT+CSCS="; }),
             ex.end());
    p.sim.playRecording(p.t, GetParam());
    const std::string text = ex[1].lines[0].substr(ex[1].lines[0].find('"') + 1);
    p.sim.setRegistration(0, 1);
    ASSERT_TRUE(p.runUntil([&] { return p.registered(); }, 30000));
    for (int i = 0; i < 2; ++i) {
        size_t before = p.ussdEvents.size();
        ASSERT_TRUE(gsmUssdSend(&p.ussd, "*147#"));
        ASSERT_TRUE(p.runUntil([&] {
            return !p.ussdEvents.empty() && p.ussdEvents.back().type == GSM_USSD_EventType_UssdResponse &&
                   p.ussdEvents.size() > before;
        }, 90000)) << p.trace();
        p.runFor(40000);
        const UssdEvent& e = p.ussdEvents.back();
        EXPECT_EQ(e.type, GSM_USSD_EventType_UssdResponse) << "nothing after the answer";
        EXPECT_EQ(e.code, i == 0 ? 2 : 0);
        EXPECT_EQ(e.text, i == 0 ? std::string() : text.substr(0, text.rfind('"')));
    }
    p.responsive();
}

TEST_P(Recorded, Sim800ListingOfALongMessage)
{
    // A listing of five entries (three-digit index, alphanumeric sender, no <length>);
    // the log has no command line: it is the answer to the library's listing.
    Replay p("sim800-sms-cmgl-01", seeded(GetParam()));
    TranscriptExchange& listing = p.t.exchanges[0];
    listing.command = "AT+CMGL=\"REC UNREAD\",1";
    p.sim.playRecording(p.t, GetParam());
    p.sim.storeCapacity = 255;
    for (size_t i = 0; i + 1 < listing.lines.size(); i += 2) {
        int index = std::stoi(listing.lines[i].substr(7));
        p.sim.store[index] = {"REC READ", "Play", "23/02/09,13:07:04+04", listing.lines[i + 1]};
    }
    ASSERT_TRUE(p.runUntil([&] { return p.received.size() == 5 && p.sim.store.empty(); }, 60000))
        << p.received.size();
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(p.received[i].index, 96 + static_cast<int>(i));
        EXPECT_EQ(p.received[i].phone, "Play");
        EXPECT_EQ(p.received[i].text, listing.lines[2 * i + 1]);
    }
    p.responsive();
}

// Start-ups and registrations: with the simulator set to the state the recording ends
// in, the library reaches the SIM, registration and signal state the recording shows,
// plays the recorded exchanges of `usedUp` and stays responsive.
TEST_P(Recorded, StatesAreReached)
{
    const int unchecked = -1, home = GSM_NetworkRegistration_Status_Home, roaming = GSM_NetworkRegistration_Status_Roaming;
    const struct
    {
        const char* name;
        const char* text; // a few recorded lines (null: the transcript file)
        void (*setup)(ModemSim&);
        bool registers;
        int status[3]; // CS, GPRS, EPS afterwards
        std::vector<int> simStatus;
        std::pair<int, int> csq; // the first successful query's answer
        const char* usedUp;
    } rows[] = {
        // Answer shapes of real modems: no blank after the colon, blanks after commas, a line
        // end doubled after the echo, missing and extra empty lines, start-up notices and a
        // +CPIN: READY inside other answers.
        {"shapes",
         ">> AT+CSQ\n<< +CSQ:27,99\n<< OK\n"
         ">> AT+CPIN?\n<< \n<< +CPIN:READY\n<< \n<< \n<< OK\n"
         ">> AT+CREG?\n<< \n<< Call Ready\n<< +CREG: 0, 5\n<< \n<< SMS DONE\n<< PB DONE\n<< \n<< OK\n"
         ">> AT+CGREG?\n<< AT+CGREG?\n<< \n<< +CPIN: READY\n<< +CGREG: 0,2\n<< \n<< \n<< OK\n",
         [](ModemSim& m) { m.regStat[1] = 2; }, true, {roaming, unchecked, unchecked},
         {GSM_PIN_SimStatus_Ready}, {27, 99}, "AT+CGREG?"},
        // RDY and +CPIN: READY where the answer to AT should be, no OK.
        {"sim7600-boot-hex-01", nullptr, [](ModemSim&) {}, false, {unchecked, unchecked, unchecked}, {}, {20, 0}, "AT"},
        // Silent until RDY; "+CME ERROR: SIM busy" then the URC "+CPIN: READY"; +CGREG 0,2
        // then 0,1; a +CSQ answer whose OK the capture lost.
        {"sim7600-cpin-busy-01", nullptr,
         [](ModemSim& m) {
             m.csqRssi = 29;
             m.csqBer = 99;
             m.regStat[1] = 1;
         },
         true, {unchecked, home, unchecked}, {GSM_PIN_SimStatus_Busy, GSM_PIN_SimStatus_Ready}, {29, 99}, nullptr},
        // +CREG, +CGREG and +CEREG disagree.
        {"sim7000-registration-01", nullptr, [](ModemSim& m) { m.regStat[1] = m.regStat[2] = 1; }, true,
         {GSM_NetworkRegistration_Status_NotSearching, unchecked, home}, {}, {20, 0}, nullptr},
        // A bare ERROR to the first AT+CPIN?, then RDY, +CFUN: 1 and two +CPIN: READY inside
        // the second answer; Call Ready / SMS Ready inside AT+CREG? answers; roaming at last.
        {"sim800-boot-01", nullptr,
         [](ModemSim& m) {
             m.regStat[0] = 5;
             m.cereg = false;
         },
         true, {roaming, unchecked, unchecked}, {}, {20, 0}, nullptr},
        // "+CGEV: EPS PDN ACT 1" between AT+CGREG? and its echo.
        {"simcom-lte-netopen-urc-01", nullptr, [](ModemSim& m) { m.regStat[1] = 1; }, true,
         {unchecked, unchecked, unchecked}, {}, {27, 99}, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Replay p(row.name, seeded(GetParam()), row.text ? row.text : "");
        row.setup(p.sim);
        ASSERT_TRUE(p.runUntil([&] {
            return p.established() && p.pinIs(GSM_PIN_SimStatus_Ready) && (!row.registers || p.registered()) &&
                   (row.status[2] == unchecked ||
                    gsmNetworkRegistrationGetStatus(&p.netreg, GSM_NetworkRegistration_Domain_EPS) !=
                        GSM_NetworkRegistration_Status_NotQueried);
        }, 300000)) << p.trace();
        for (int d = 0; d < 3; ++d) {
            const int status = gsmNetworkRegistrationGetStatus(&p.netreg, static_cast<GSM_NetworkRegistration_Domain>(d));
            EXPECT_TRUE(row.status[d] == unchecked || status == row.status[d]) << "domain " << d << ": " << status;
        }
        EXPECT_EQ(p.simStatus.back(), GSM_PIN_SimStatus_Ready);
        EXPECT_TRUE(row.simStatus.empty() || p.simStatus == row.simStatus) << p.simStatus.size() << " SIM events";
        p.responsive();
        ASSERT_FALSE(p.csq.empty());
        EXPECT_EQ(p.csq.back(), row.csq) << p.trace();
        EXPECT_EQ(row.usedUp ? p.sim.recordingUnused(row.usedUp) : 0u, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, Recorded, ::testing::Range(1u, 7u));

} // namespace
