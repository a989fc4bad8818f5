// End-to-end flows of the library through the modem simulator, wired like the
// generated gsm_manager. Output is handed over in random pieces and time starts
// just before the 32-bit millisecond counter wraps.
#include "rig.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class Flows : public ::testing::TestWithParam<int>
{
protected:
    RigOptions options()
    {
        RigOptions o;
        o.seed = static_cast<uint32_t>(GetParam());
        o.echoOn = (GetParam() % 2) == 0;   // alternate ATE1 and ATE0
        o.maxChunk = 1 + GetParam() % 23;   // from byte-by-byte to bursts
        return o;
    }
};

// Power on and synchronise (echo as configured, numeric errors), then a query.
TEST_P(Flows, PowerOnSynchroniseAndQuerySignal)
{
    Rig r(options());
    EXPECT_FALSE(gsmPowerGet(&r.pwr));
    EXPECT_FALSE(gsmSignalQualityQuery(&r.sq)) << "no query before communication is up";
    ASSERT_TRUE(r.runUntil([&] { return r.established(); }, 20000));
    EXPECT_TRUE(gsmPowerGet(&r.pwr));
    EXPECT_EQ(r.sim.powerOnCount, 1);
    EXPECT_EQ(r.sim.echo, r.opt.echoOn);
    EXPECT_EQ(r.sim.cmee, 1);
    r.sim.csqRssi = 17;
    r.sim.csqBer = 3;
    ASSERT_TRUE(gsmSignalQualityQuery(&r.sq));
    EXPECT_FALSE(gsmSignalQualityQuery(&r.sq)) << "one query at a time";
    ASSERT_TRUE(r.runUntil([&] { return !r.csq.empty(); }, 5000));
    EXPECT_EQ(r.csq.back(), std::make_pair(17, 3));
    EXPECT_EQ(r.txOverflows, 0u);
}

TEST_P(Flows, RegistrationFollowsUrcsAndPolling)
{
    Rig r(options());
    ASSERT_TRUE(r.runUntil([&] { return r.established() && r.sim.cregN[0] == 1; }, 30000));
    r.runFor(500);
    EXPECT_FALSE(gsmNetworkRegistrationIsRegistered(&r.netreg));
    EXPECT_EQ(gsmNetworkRegistrationGetStatus(&r.netreg, GSM_NetworkRegistration_Domain_CS),
              GSM_NetworkRegistration_Status_Searching);

    r.sim.setRegistration(0, 5); // URC "+CREG: 5"
    ASSERT_TRUE(r.runUntil([&] { return gsmNetworkRegistrationIsRegistered(&r.netreg); }, 2000));
    EXPECT_EQ(gsmNetworkRegistrationGetStatus(&r.netreg, GSM_NetworkRegistration_Domain_CS),
              GSM_NetworkRegistration_Status_Roaming);

    r.sim.setRegistration(0, 3);
    ASSERT_TRUE(r.runUntil([&] { return !gsmNetworkRegistrationIsRegistered(&r.netreg); }, 2000));

    // URCs with location ("+CREG: <stat>,<lac>,<ci>", as with n=2) are told apart from the
    // read reply ("+CREG: <n>,<stat>,...").
    r.sim.cregN[0] = 2;
    r.sim.setRegistration(0, 5);
    ASSERT_TRUE(r.runUntil([&] { return gsmNetworkRegistrationIsRegistered(&r.netreg); }, 2000));
    EXPECT_EQ(gsmNetworkRegistrationGetStatus(&r.netreg, GSM_NetworkRegistration_Domain_CS),
              GSM_NetworkRegistration_Status_Roaming);

    // A change the modem does not announce is found by the periodic query; the read reply
    // "+CREG: 2,1,\"00C3\",\"1A2B\"" gives stat 1.
    r.sim.regStat[0] = 1;
    ASSERT_TRUE(r.runUntil([&] {
        return gsmNetworkRegistrationGetStatus(&r.netreg, GSM_NetworkRegistration_Domain_CS) ==
               GSM_NetworkRegistration_Status_Home;
    }, GSM_NETREG_POLL_REGISTERED_MS + 5000));
    r.sim.cregN[0] = 0;
    r.sim.regStat[0] = 2;
    ASSERT_TRUE(r.runUntil([&] { return !gsmNetworkRegistrationIsRegistered(&r.netreg); },
                           GSM_NETREG_POLL_REGISTERED_MS + 5000));
    EXPECT_EQ(gsmNetworkRegistrationGetStatus(&r.netreg, GSM_NetworkRegistration_Domain_GPRS),
              GSM_NetworkRegistration_Status_Searching);

    // Blanks around <stat> are allowed; a malformed or out-of-range <stat> leaves the
    // status as it was.
    const struct
    {
        const char* line;
        int status; // of the CS domain afterwards
    } lines[] = {{"+CREG: 0, 5", 5},   {"+CREG:  6 ,\"00C3\"", 6}, {"+CREG: 7x", 6},
                 {"+CREG: 11", 6},     {"+CREG: 1,", 6},            {"+CREG: 1,-1", 6},
                 {"+CREG: 2,1 ", 1},   {"+CREG: ", 1}};
    for (const auto& l : lines) {
        r.sim.regStat[0] = l.status; // a query in between reads the same
        r.sim.emitUrc(l.line);
        r.runFor(200);
        EXPECT_EQ(gsmNetworkRegistrationGetStatus(&r.netreg, GSM_NetworkRegistration_Domain_CS), l.status) << l.line;
    }
}

// The usual main loop: enter the PIN whenever the status asks for it. Events agree with
// the status, so the PIN goes out exactly once per start of the modem (and again after
// a restart), and a success is only reported for a PIN that was sent.
TEST_P(Flows, PinEnteredWhenTheStatusAsksIsSentOncePerStart)
{
    Rig r(options());
    r.onStep = [&] {
        if (gsmPinStatus(&r.pin) == GSM_PIN_SimStatus_PinRequired)
            gsmPinEnter(&r.pin, 1234);
    };
    ASSERT_TRUE(r.runUntil([&] { return gsmPinStatus(&r.pin) == GSM_PIN_SimStatus_Ready; }, 20000));
    r.runFor(3000);
    EXPECT_EQ(r.sim.pinAttempts.size(), 1u);
    EXPECT_EQ(r.pinSuccess, 1);
    r.sim.spontaneousReset();
    ASSERT_TRUE(r.runUntil([&] { return r.sim.pinAttempts.size() == 2 && gsmPinStatus(&r.pin) == GSM_PIN_SimStatus_Ready; },
                           30000));
    r.runFor(3000);
    EXPECT_EQ(r.sim.pinAttempts.size(), 2u);
    EXPECT_EQ(r.pinSuccess, 2);
    EXPECT_EQ(r.pinFailed, 0);
    EXPECT_EQ(r.statusAtPinEvent, (std::vector<int>{GSM_PIN_SimStatus_Ready, GSM_PIN_SimStatus_Ready}));
    EXPECT_FALSE(gsmPinEnter(&r.pin, 1234)) << "nothing to unlock";
}

// A wrong PIN is reported and never repeated, a right one after it unlocks; after a
// restart (the SIM locks again) three wrong PINs block the SIM, and no PIN is sent to
// a SIM that needs its PUK.
TEST_P(Flows, WrongPinsThenRightThenPuk)
{
    Rig r(options());
    ASSERT_TRUE(r.runUntil([&] { return gsmPinStatus(&r.pin) == GSM_PIN_SimStatus_PinRequired; }, 20000));
    ASSERT_FALSE(r.simStatus.empty());
    EXPECT_EQ(r.simStatus.back(), GSM_PIN_SimStatus_PinRequired);
    ASSERT_TRUE(gsmPinEnter(&r.pin, 4321));
    EXPECT_FALSE(gsmPinEnter(&r.pin, 1111)) << "a second entry while one is pending is refused";
    ASSERT_TRUE(r.runUntil([&] { return r.pinFailed == 1; }, 20000));
    r.runFor(15000);
    EXPECT_EQ(r.sim.pinAttempts, std::vector<std::string>({"4321"})) << "a wrong PIN is never repeated";
    EXPECT_EQ(r.pinSuccess, 0);
    ASSERT_TRUE(gsmPinEnter(&r.pin, 1234));
    ASSERT_TRUE(r.runUntil([&] { return r.pinSuccess == 1; }, 20000));
    ASSERT_TRUE(r.runUntil([&] { return gsmPinStatus(&r.pin) == GSM_PIN_SimStatus_Ready; }, 10000));
    EXPECT_EQ(r.simStatus.back(), GSM_PIN_SimStatus_Ready);
    EXPECT_EQ(r.sim.pinAttempts.size(), 2u);

    r.sim.spontaneousReset();
    ASSERT_TRUE(r.runUntil([&] { return gsmPinStatus(&r.pin) == GSM_PIN_SimStatus_PinRequired; }, 30000));
    r.sim.pinAttempts.clear();
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(gsmPinEnter(&r.pin, static_cast<uint16_t>(7 + i)));
        ASSERT_TRUE(r.runUntil([&] { return r.pinFailed == i + 2; }, 20000));
    }
    EXPECT_EQ(r.sim.pinAttempts, (std::vector<std::string>{"0007", "0008", "0009"})) << "four digits, leading zeros";
    ASSERT_TRUE(r.runUntil([&] { return gsmPinStatus(&r.pin) == GSM_PIN_SimStatus_PukRequired; }, 20000));
    EXPECT_EQ(r.simStatus.back(), GSM_PIN_SimStatus_PukRequired);
    ASSERT_TRUE(gsmPinEnter(&r.pin, 1234));
    ASSERT_TRUE(r.runUntil([&] { return r.pinFailed == 5; }, 20000));
    EXPECT_EQ(r.sim.pinAttempts.size(), 3u) << "no PIN is sent to a blocked SIM";
}

TEST_P(Flows, SmsSendWithDeliveryReportThenInitForgetsTheNext)
{
    Rig r(options());
    ASSERT_TRUE(r.bringUp());
    // The texts are the caller's until the outcome: line ends are converted on the way out.
    static const char kText[] = "Hello from\r\nTarvex\r!";
    ASSERT_TRUE(gsmSmsSend(&r.smsSend, "+447700900123", kText));
    EXPECT_FALSE(gsmSmsSend(&r.smsSend, "+447700900123", "second")) << "busy";
    ASSERT_TRUE(r.runUntil([&] { return !r.smsSent.empty() || !r.smsFailed.empty(); }, 30000));
    ASSERT_EQ(r.smsSent.size(), 1u);
    ASSERT_EQ(r.sim.sent.size(), 1u);
    EXPECT_EQ(r.sim.sent[0].number, "+447700900123");
    EXPECT_EQ(r.sim.sent[0].text, "Hello from\nTarvex\n!") << "CR LF and a lone CR are sent as LF";
    EXPECT_EQ(r.smsSent[0], r.sim.sent[0].reference);

    ASSERT_TRUE(r.runUntil([&] { return !r.reports.empty(); }, 10000));
    const DeliveryReport& d = r.reports[0];
    EXPECT_EQ(d.reference, r.smsSent[0]);
    EXPECT_EQ(d.phone, "+447700900123");
    EXPECT_EQ(d.status, 0);
    EXPECT_EQ(gsmSmsSendGetDeliveryStatusReportType(static_cast<uint8_t>(d.status)),
              GSM_SmsSend_DeliveryStatusReportType_Delivered);
    EXPECT_TRUE(d.timesParsed);
    EXPECT_EQ(d.scEpoch, 1273096912u); // 2010-05-05 22:01:52 UTC
    EXPECT_EQ(d.scOffset, 7200);
    EXPECT_EQ(d.dtEpoch, 1273096916u);
    EXPECT_EQ(d.dtOffset, 7200);
    EXPECT_EQ(r.txOverflows, 0u);

    // Init forgets a queued message: a turn it had already asked for goes unused, nothing is sent.
    ASSERT_TRUE(gsmSmsSend(&r.smsSend, "+447700900123", "forgotten"));
    gsmSmsSendPoll(&r.smsSend); // asks for the turn
    ASSERT_TRUE(gsmPromptIsBusy(&r.prompt._i, &r.smsSend.Client));
    gsmSmsSendInit(&r.smsSend);
    r.runFor(5000);
    EXPECT_EQ(r.sim.sent.size(), 1u);
    EXPECT_TRUE(r.smsSent.size() == 1 && r.smsFailed.empty());
}

// Reports are matched against the last four references sent: one for an older or an
// already finished message is dropped, "still trying" (32..63) keeps the reference for
// the final report. A reference or status beyond 255 is malformed and dropped, never
// taken modulo 256 (that would finish mr[2] or mr[3] early).
TEST_P(Flows, DeliveryReportsOfTheLastFourMessages)
{
    Rig r(options());
    r.sim.addHandler("AT+CNMI", [](ModemSim& m, const std::string&) { // +CMTI, but no reports of its own
        m.cnmiMt = 1;
        m.ok();
    });
    ASSERT_TRUE(r.bringUp());
    for (size_t i = 1; i <= 5; ++i) {
        ASSERT_TRUE(gsmSmsSend(&r.smsSend, "+447700900123", "x"));
        ASSERT_TRUE(r.runUntil([&] { return r.smsSent.size() == i; }, 30000));
    }
    const std::vector<int>& mr = r.smsSent;
    const std::vector<std::pair<int, int>> sent = {{mr[0], 0},   {mr[1], 32},       {mr[1], 0}, {mr[1], 0},
                                                   {mr[4], 70},  {mr[2] + 256, 0},  {mr[3], 256}, {mr[2], 0},
                                                   {mr[3], 63},  {mr[4], 0}};
    for (const auto& report : sent) {
        r.sim.emitUrc("+CDS: 6," + std::to_string(report.first) + ",\"+447700900123\",145,\"10/05/06,00:01:52+08\"," +
                      "\"10/05/06,00:01:56+08\"," + std::to_string(report.second));
        r.runFor(300);
    }
    std::vector<std::pair<int, int>> got;
    for (const DeliveryReport& d : r.reports)
        got.push_back({d.reference, d.status});
    EXPECT_EQ(got, (std::vector<std::pair<int, int>>{{mr[1], 32}, {mr[1], 0}, {mr[4], 70}, {mr[2], 0}, {mr[3], 63}}));
}

TEST_P(Flows, SmsNoticesWithoutOrWithAnotherStorage)
{
    Rig r(options());
    ASSERT_TRUE(r.bringUp());
    // A notice that does not say where ("+CMTI: ,-1", seen right after start-up) has the
    // storage listed.
    r.sim.receiveSms("+27820002222", "unnamed", "10/05/06,00:01:52+08", false);
    r.sim.emitUrc("+CMTI: ,-1");
    ASSERT_TRUE(r.runUntil([&] { return r.received.size() == 1 && r.sim.store.empty(); }, 10000));
    EXPECT_EQ(r.received[0].text, "unnamed");
    // A notice naming another storage selects it (AT+CPMS) once; the next one naming the
    // same storage is read without.
    r.sim.commands.clear();
    for (const char* mem : {"ME", "ME", "MT", "SM"}) {
        const int index = r.sim.receiveSms("+27820003333", mem, "10/05/06,00:01:52+08", false);
        r.sim.emitUrc(std::string("+CMTI: \"") + mem + "\"," + std::to_string(index));
        const size_t n = r.received.size() + 1;
        ASSERT_TRUE(r.runUntil([&] { return r.received.size() == n && r.sim.store.empty(); }, 10000)) << mem;
        EXPECT_EQ(r.received.back().text, mem);
    }
    std::vector<std::string> selected;
    std::copy_if(r.sim.commands.begin(), r.sim.commands.end(), std::back_inserter(selected),
                 [](const std::string& c) { return c.rfind("AT+CPMS=", 0) == 0; });
    EXPECT_EQ(selected, (std::vector<std::string>{"AT+CPMS=\"ME\"", "AT+CPMS=\"MT\"", "AT+CPMS=\"SM\""}));
}

// Texts read by their <length> (AT+CSDH=1): line breaks, empty lines and lines that
// look like result codes belong to the text and must not end the read. A modem that
// rejects AT+CSDH=1 gives no <length>: the text is read line by line. UCS2 or 8-bit
// data is shown as hexadecimal digits, whose <length> some modems give in octets: such
// a text is read by lines, not by a count that would cut it. Each text read proves that
// nothing of the one before was taken for a result.
TEST_P(Flows, SmsTextsWithLineBreaksOrResultCodesArriveWhole)
{
    const struct
    {
        bool csdh;
        std::vector<std::string> texts;
    } variants[] = {
        {true, {"OK", "ERROR", "Line one\r\nOK\r\nLine three", "A\r\n\r\nB", "+CMS ERROR: 500\r\nstill text",
                "ends with a break\r\n", "\r\nOK", "LF only\nERROR\n> ", "x"}},
        {false, {"Meet at 10\r\nBring the key", "Single line"}},
    };
    for (const auto& v : variants) {
        Rig r(options());
        r.sim.csdhSupported = v.csdh;
        ASSERT_TRUE(r.bringUp());
        EXPECT_EQ(r.sim.csdh, v.csdh ? 1 : 0);
        // Texts read by lines arrive together: the second notice comes during the first read.
        for (size_t i = 0; i < v.texts.size(); ++i) {
            r.sim.receiveSms("+2782000" + std::to_string(1000 + i), v.texts[i]);
            if (v.csdh || i + 1 == v.texts.size()) {
                ASSERT_TRUE(r.runUntil([&] { return r.received.size() == i + 1 && r.sim.store.empty(); }, 15000))
                    << "text " << i;
            }
        }
        for (size_t i = 0; i < v.texts.size(); ++i) {
            std::string expected = v.texts[i];
            if (!v.csdh) // read by lines: CR LF comes as LF
                expected.erase(std::remove(expected.begin(), expected.end(), '\r'), expected.end());
            EXPECT_EQ(r.received[i].text, expected);
            EXPECT_EQ(r.received[i].phone, "+2782000" + std::to_string(1000 + i));
            EXPECT_EQ(r.received[i].status, GSM_SmsRead_SmsStatus_ReceivedUnread);
            EXPECT_EQ(r.received[i].epoch, 1273096912u);
            EXPECT_EQ(r.received[i].offset, 7200);
        }
        if (!v.csdh)
            continue;
        r.sim.addHandler("AT+CMGR=", [](ModemSim& m, const std::string&) {
            m.ok({"+CMGR: \"REC UNREAD\",\"+27820001111\",\"\",\"10/05/06,00:01:52+08\",145,4,0,8,\"+447000000000\",145,4"
                  "\r\n00480069"});
        });
        r.sim.receiveSms("+27820001111", "Hi");
        ASSERT_TRUE(r.runUntil([&] { return r.received.size() == v.texts.size() + 1 && r.sim.store.empty(); }, 15000));
        EXPECT_EQ(r.received.back().text, "00480069");
        EXPECT_EQ(r.received.back().phone, "+27820001111");
    }
}

// Unread messages stored before the link came up are found by the listing, whose texts
// are skipped by their <length>: a text "OK" must not end the listing early. The
// <length> is found by the header's shape (the short form, or the long form some
// firmware prints, whatever its <fo>), and a modem that refuses the listing's mode
// parameter is listed the standard way (its listing marks them read). More messages than
// the queue holds are all read and deleted; one read before the firmware started stays
// stored and unreported.
TEST_P(Flows, StoredMessagesAreListedAndRead)
{
    const struct
    {
        int fo;
        bool modeRejected;
    } variants[] = {{-1, false}, {0, false}, {36, false}, {-1, true}};
    std::vector<std::string> texts = {"first", "OK", "a\r\nERROR\r\n", "OK\r\n+CMGL: 9,\"REC UNREAD\"", "last"};
    while (texts.size() < GSM_SMS_READ_QUEUE + 5)
        texts.push_back("stored " + std::to_string(texts.size()));
    for (const auto& v : variants) {
        Rig r(options());
        r.sim.cmglFo = v.fo;
        r.sim.cmglModeRejected = v.modeRejected;
        const int old = r.sim.receiveSms("+27820003333", "read before", "10/05/05,00:01:52+08", false);
        r.sim.store[old].status = "REC READ";
        for (const auto& t : texts)
            r.sim.receiveSms("+27820004444", t, "10/05/06,00:01:52+08", false);
        ASSERT_TRUE(r.bringUp());
        ASSERT_TRUE(r.runUntil([&] { return r.received.size() == texts.size() && r.sim.store.size() == 1; }, 60000))
            << r.received.size() << " read, " << r.sim.store.size() << " stored, fo " << v.fo;
        r.runFor(10000);
        ASSERT_EQ(r.received.size(), texts.size()) << "none twice, the old one not at all";
        EXPECT_EQ(r.sim.store.count(old), 1u);
        for (size_t i = 0; i < texts.size(); ++i)
            EXPECT_EQ(r.received[i].text, texts[i]) << i;
        const auto& c = r.sim.commands;
        EXPECT_EQ(std::count(c.begin(), c.end(), "AT+CMGL=\"REC UNREAD\"") > 0, v.modeRejected);
        EXPECT_EQ(std::count(c.begin(), c.end(), "AT+CMGL=\"REC UNREAD\",1"), v.modeRejected ? 1 : 2)
            << "tried once, then the standard form; listed again only because the queue overflowed";
    }
}

// Around the end of a small Prompt buffer a text is delivered whole when it fits and as
// an empty text when it does not - never cut or overwritten - and the reading goes on.
TEST_P(Flows, SmsTextsAroundTheBufferLimit)
{
    RigOptions o = options();
    o.promptBuffer = 160;
    o.rxBuffer = 8; // a receive buffer that is often full: no byte may be lost
    Rig r(o);
    ASSERT_TRUE(r.bringUp());
    size_t whole = 0, empty = 0;
    for (size_t len = 120; len <= 150; ++len) {
        std::string text;
        for (size_t k = 0; k < len; ++k)
            text += (k % 7 == 6) ? '\n' : static_cast<char>('a' + k % 26);
        r.sim.receiveSms("+27820001111", text);
        size_t before = r.received.size();
        ASSERT_TRUE(r.runUntil([&] { return r.received.size() == before + 1 && r.sim.store.empty(); }, 15000))
            << "length " << len << " received " << r.received.size() - before << " stored " << r.sim.store.size() << " last " << r.sim.commands.back();
        const std::string& got = r.received.back().text;
        if (got.empty()) {
            ++empty;
        } else {
            EXPECT_EQ(got, text) << "length " << len;
            EXPECT_EQ(empty, 0u) << "a shorter text was dropped, a longer one kept";
            ++whole;
        }
        EXPECT_EQ(r.received.back().phone, "+27820001111");
    }
    EXPECT_GT(whole, 0u);
    EXPECT_GT(empty, 0u);
}

// The +CMGR header line around the size of the Prompt buffer (buffers from the header's
// length minus two to plus four; it fits from plus two on), with a text read by its length that is short or longer than the
// buffer: the sender reported is always the real one (never taken from the text, never
// read out of bounds), and the reading never stalls.
TEST_P(Flows, SmsHeaderAroundTheBufferSize)
{
    const std::string sender = "+27820001111", scts = "10/05/06,00:01:52+08";
    for (const std::string& text : {std::string("short"), std::string(300, 'x')}) {
        // The header as the modem prints it with AT+CSDH=1.
        const size_t header = std::string("+CMGR: \"REC UNREAD\",\"" + sender + "\",\"\",\"" + scts +
                                          "\",145,4,0,0,\"+447000000000\",145," + std::to_string(text.size()))
                                  .size();
        for (size_t size = header - 2; size <= header + 4; ++size) {
            RigOptions o = options();
            o.promptBuffer = size;
            Rig r(o);
            ASSERT_TRUE(r.bringUp());
            r.sim.receiveSms(sender, text, scts);
            r.runUntil([&] { return !r.received.empty(); }, 20000);
            for (const auto& m : r.received) {
                EXPECT_EQ(m.phone, sender) << "buffer " << size;
                EXPECT_TRUE(m.text == text || m.text.empty()) << "buffer " << size;
            }
            if (size >= header + 2) { // the header fits: the message is reported
                EXPECT_EQ(r.received.size(), 1u) << "buffer " << size;
            }
            EXPECT_TRUE(r.runUntil([&] { return !gsmSmsReadIsBusy(&r.smsRead); }, 20000)) << "stalled";
            ASSERT_TRUE(gsmSignalQualityQuery(&r.sq));
            EXPECT_TRUE(r.runUntil([&] { return !r.csq.empty(); }, 5000)) << "stalled";
        }
    }
}

TEST_P(Flows, UssdActionRequiredThenCancel)
{
    Rig r(options());
    ASSERT_TRUE(r.bringUp());
    r.sim.cusdHoldsOk = (GetParam() % 3) == 0;
    r.sim.ussdScript["*100#"] = {1, "Menu\n1. Balance\n2. Data", 15, 1500};
    r.sim.ussdScript["1"] = {0, "Balance: 10.00 EUR", 15, 800};
    ASSERT_TRUE(gsmUssdSend(&r.ussd, "*100#"));
    ASSERT_TRUE(r.runUntil([&] { return r.ussdEvents.size() >= 2; }, 20000));
    EXPECT_EQ(r.ussdEvents[0].type, GSM_USSD_EventType_UssdSent);
    EXPECT_EQ(r.ussdEvents[1].type, GSM_USSD_EventType_UssdResponse);
    EXPECT_EQ(r.ussdEvents[1].code, GSM_USSD_ResponseCode_ActionRequired);
    EXPECT_EQ(r.ussdEvents[1].text, "Menu\n1. Balance\n2. Data");
    EXPECT_TRUE(gsmUssdIsSessionOpen(&r.ussd));

    ASSERT_TRUE(gsmUssdSend(&r.ussd, "1"));
    ASSERT_TRUE(r.runUntil([&] { return r.ussdEvents.size() >= 4; }, 20000));
    EXPECT_EQ(r.ussdEvents[3].code, GSM_USSD_ResponseCode_NoFurtherAction);
    EXPECT_EQ(r.ussdEvents[3].text, "Balance: 10.00 EUR");

    ASSERT_TRUE(gsmUssdSend(&r.ussd, "*100#"));
    ASSERT_TRUE(r.runUntil([&] { return r.ussdEvents.size() >= 6; }, 20000));
    ASSERT_TRUE(gsmUssdCancelSession(&r.ussd));
    ASSERT_TRUE(r.runUntil([&] { return r.ussdEvents.size() >= 7; }, 20000));
    EXPECT_EQ(r.ussdEvents[6].type, GSM_USSD_EventType_UssdCancelled);
    EXPECT_FALSE(gsmUssdIsSessionOpen(&r.ussd));
    EXPECT_EQ(r.sim.commands.back(), "AT+CUSD=2");
}

INSTANTIATE_TEST_SUITE_P(Seeds, Flows, ::testing::Range(1, 9));

} // namespace
