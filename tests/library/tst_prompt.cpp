// The Prompt engine on its own, against a scripted UART: line assembly under every
// split, echo cancellation, result codes, URC routing, the data prompt, paced and raw
// writes, raw reads, kept lines, timeouts and recovery, arbitration, bounded buffers.
#include "GSM_Prompt.h"
#include "GSM_Prompt_Helper.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {
uint32_t gTime = 0;
} // namespace

extern "C" uint32_t gsm__SysTime_ms(void)
{
    return gTime;
}

namespace {

struct Uart
{
    std::string written;     // what the engine wrote
    std::string input;       // modem output waiting to be read
    size_t allowance = ~size_t(0); // bytes CanRead may still report in this poll
    bool txBusy = false;     // WriteCompleted() answer is "not yet"
};
Uart* gUart = nullptr;

extern "C" void uartWrite(GSM_Prompt_Instance*, uint8_t b) { gUart->written += static_cast<char>(b); }
extern "C" bool uartWriteCompleted(GSM_Prompt_Instance*) { return !gUart->txBusy; }
extern "C" bool uartCanRead(GSM_Prompt_Instance*) { return !gUart->input.empty() && gUart->allowance > 0; }
extern "C" uint8_t uartRead(GSM_Prompt_Instance*)
{
    uint8_t b = static_cast<uint8_t>(gUart->input[0]);
    gUart->input.erase(0, 1);
    --gUart->allowance;
    return b;
}

// A client that records its events as text and runs a script per event.
struct TestClient
{
    GSM_Prompt_Client c; // first member: the handler finds the TestClient by a cast
    std::vector<std::string> events;
    std::function<bool(TestClient&, GSM_Prompt_Event*)> onEvent;
    std::string raw;
};

extern "C" bool testHandler(GSM_Prompt_Client* client, GSM_Prompt_Event* ev)
{
    TestClient& t = *reinterpret_cast<TestClient*>(client);
    switch (ev->Type) {
    case GSM_Prompt_EventType_Start: t.events.push_back("start"); break;
    case GSM_Prompt_EventType_Line: t.events.push_back("line:" + std::string(ev->Line)); break;
    case GSM_Prompt_EventType_Urc: t.events.push_back("urc:" + std::string(ev->Line)); break;
    case GSM_Prompt_EventType_DataPrompt: t.events.push_back("prompt"); break;
    case GSM_Prompt_EventType_RawData:
        t.raw.append(reinterpret_cast<const char*>(ev->Data), ev->DataLength);
        t.events.push_back("raw:" + std::to_string(ev->DataLength) + "/" + std::to_string(ev->RawRemaining));
        break;
    case GSM_Prompt_EventType_Final:
        t.events.push_back("final:" + std::to_string(ev->Result) + ":" + std::to_string(ev->ErrorCode));
        break;
    }
    return t.onEvent ? t.onEvent(t, ev) : false;
}

class Engine : public ::testing::Test
{
protected:
    Uart uart;
    GSM_Prompt_Instance p;
    std::vector<uint8_t> buf;
    std::vector<uint8_t> echo;
    std::mt19937 rng{7};

    void SetUp() override { build(256, 256); }

    // Buffers are fresh heap blocks of exactly the size the engine is told about, so
    // that AddressSanitizer reports any access past them.
    void build(size_t lineSize, size_t echoSize)
    {
        gUart = &uart;
        gTime = 0xFFFFF000u; // wraps during most tests
        std::memset(&p, 0, sizeof p);
        buf = std::vector<uint8_t>(lineSize, 0xA5);
        echo = std::vector<uint8_t>(echoSize, 0xA5);
        p.DataBuffer = buf.data();
        p.DataBufferSize = lineSize;
        if (echoSize) {
            p.EchoCancellationBuffer = echo.data();
            p.EchoCancellationBufferSize = echoSize;
        }
        p.Write = &uartWrite;
        p.WriteCompleted = &uartWriteCompleted;
        p.CanRead = &uartCanRead;
        p.Read = &uartRead;
        gsmPromptInit(&p);
    }

    void client(TestClient& t, const char* urcs = nullptr)
    {
        t.c.Handler = &testHandler;
        t.c.UrcPrefixList = urcs;
        gsmPromptRegisterClient(&p._i, &t.c);
    }

    // Polls with the modem output handed over in random pieces.
    void poll(int times = 1)
    {
        for (int i = 0; i < times; ++i) {
            gTime += 1;
            uart.allowance = (rng() % 4 == 0) ? 1 : 1 + rng() % 9;
            gsmPromptPoll(&p);
        }
    }
    void pollUntilQuiet()
    {
        for (int i = 0; i < 2000 && !uart.input.empty(); ++i)
            poll();
        poll(3);
    }
    void advance(uint32_t ms)
    {
        for (uint32_t t = 0; t < ms; t += 10) {
            gTime += 10;
            gsmPromptPoll(&p);
        }
    }
    // Gives `t` its turn (its script writes the command at Start), then the answer.
    void exchange(TestClient& t, const std::string& answer)
    {
        gsmPromptRequest(&p._i, &t.c);
        poll();
        uart.input = answer;
        pollUntilQuiet();
    }
};

// Sends `cmd` at the client's turn through the engine under test.
std::function<bool(TestClient&, GSM_Prompt_Event*)> command(GSM_Prompt_Instance* p, std::string cmd,
                                                            uint32_t timeout = 1000, uint8_t flags = 0,
                                                            std::function<bool(TestClient&, GSM_Prompt_Event*)> more = {})
{
    return [=](TestClient& t, GSM_Prompt_Event* ev) {
        if (ev->Type == GSM_Prompt_EventType_Start) {
            gsmPromptWriteText(&p->_i, cmd.c_str());
            gsmPromptSend(&p->_i, timeout, flags);
            return false;
        }
        return more ? more(t, ev) : false;
    };
}

#if GSM_DEBUG_OUTPUT
// Built a second time with the trace compiled in (GSM_DEBUG_OUTPUT=1): the library traces
// its AT traffic through the application's gsmDebugWrite/gsmDebugWriteText. The other
// builds link without these functions, which proves that a project without them links.
std::string gTrace;
} // namespace
extern "C" void gsmDebugWrite(uint8_t data) { gTrace += static_cast<char>(data); }
extern "C" void gsmDebugWriteText(char* text) { gTrace += text; }
namespace {

TEST_F(Engine, CommandsAndLinesAreTraced)
{
    TestClient t{};
    client(t);
    t.onEvent = command(&p, "AT+CSQ");
    exchange(t, "\r\n+CSQ: 9,0\r\n\r\nOK\r\n");
    EXPECT_NE(gTrace.find("[GSM] > AT+CSQ"), std::string::npos) << gTrace;
    EXPECT_NE(gTrace.find("[GSM] < +CSQ: 9,0\n"), std::string::npos) << gTrace;
    EXPECT_NE(gTrace.find("[GSM] < OK\n"), std::string::npos) << gTrace;
}
#endif

// One command and the modem's answer, handed over in random pieces: the exact line the
// command writers put out (integers of every size and sign, quoted text, single
// characters), then the lines and the classified final result the client sees. The
// echo of a command that looks like a response must not be taken for one, with or
// without echo.
TEST_F(Engine, CommandLinesResponsesAndFinalCodesUnderAnySplit)
{
    const std::string cusd = "AT+CUSD=1,\"OK\",15";
    const std::vector<std::string> cusdEvents = {"start", "line:+CUSD: 0,\"x\",15", "final:0:0"};
    struct Row
    {
        std::string command, answer;
        std::vector<std::string> events;
        const int32_t* value; // written as "AT+X=<value>,\"a b\"" by the writers
    };
    std::vector<Row> rows = {
        {"AT+CSQ", "AT+CSQ\r\r\n+CSQ: 20,0\r\n\r\nOK\r\n", {"start", "line:+CSQ: 20,0", "final:0:0"}, nullptr},
        {cusd, cusd + "\r\r\n+CUSD: 0,\"x\",15\r\n\r\nOK\r\n", cusdEvents, nullptr},
        {cusd, "\r\n+CUSD: 0,\"x\",15\r\n\r\nOK\r\n", cusdEvents, nullptr},
        {"AT+X", "\r\nERROR\r\n", {"start", "final:1:0"}, nullptr},
        {"AT+X", "\r\n+CME ERROR: 10\r\n", {"start", "final:2:10"}, nullptr},
        {"AT+X", "\r\n+CMS ERROR: 500\r\n", {"start", "final:3:500"}, nullptr},
        {"AT+X", "\r\n+CME ERROR: SIM not inserted\r\n", {"start", "final:2:10"}, nullptr},
        {"AT+X", "\r\nNO CARRIER\r\n", {"start", "final:1:0"}, nullptr},
    };
    static const int32_t values[] = {0, 7, 10, 65535, -1, 2147483647, INT32_MIN};
    static const char* const digits[] = {"0", "7", "10", "65535", "-1", "2147483647", "-2147483648"};
    for (size_t i = 0; i < 7; ++i) {
        const std::string line = std::string("AT+X=") + digits[i] + ",\"a b\"";
        rows.push_back({line, line + "\r\r\nOK\r\n", {"start", "final:0:0"}, &values[i]});
    }
    for (const auto& row : rows) {
        for (int round = 0; round < 12; ++round) {
            TestClient t{};
            client(t);
            t.onEvent = [&](TestClient&, GSM_Prompt_Event* ev) {
                if (ev->Type != GSM_Prompt_EventType_Start)
                    return ev->Type == GSM_Prompt_EventType_Line;
                if (row.value) {
                    gsmPromptWriteText(&p._i, "AT+X=");
                    gsmPromptWriteInt(&p._i, *row.value);
                    gsmPromptWriteChar(&p._i, ',');
                    gsmPromptWriteQuoted(&p._i, "a b");
                } else {
                    gsmPromptWriteText(&p._i, row.command.c_str());
                }
                gsmPromptSend(&p._i, 1000, 0);
                return false;
            };
            uart.written.clear();
            gsmPromptRequest(&p._i, &t.c);
            poll();
            ASSERT_EQ(uart.written, row.command + "\r");
            uart.input = row.answer;
            pollUntilQuiet();
            ASSERT_EQ(t.events, row.events) << row.answer << " round " << round;
            p._i.Clients = nullptr; // fresh client list for the next round
            p._i.LastServed = nullptr;
        }
    }
}

// SMS text that looks like a final result: its echo is not one, and the modem's OK is
// not taken for the echo of a text that merely starts with "OK" (a text the modem did
// not echo).
TEST_F(Engine, EchoedSmsTextEqualToOkIsNotAFinalResult)
{
    const struct
    {
        std::string text, answer;
    } rows[] = {{"OK", "OK\r\n+CMGS: 7\r\n\r\nOK\r\n"}, {"OK then", "\r\n+CMGS: 7\r\n\r\nOK\r\n"}};
    for (const auto& row : rows) {
        uart = Uart{};
        SetUp();
        TestClient t{};
        client(t);
        t.onEvent = command(&p, "AT+CMGS=\"+1\"", 5000, GSM_PROMPT_SEND_DATA_PROMPT, [&](TestClient&, GSM_Prompt_Event* ev) {
            if (ev->Type == GSM_Prompt_EventType_DataPrompt)
                gsmPromptWriteData(&p._i, reinterpret_cast<const uint8_t*>(row.text.data()),
                                   static_cast<uint16_t>(row.text.size()), GSM_PROMPT_DATA_ECHOED | GSM_PROMPT_DATA_CTRL_Z);
            return ev->Type == GSM_Prompt_EventType_Line && std::strncmp(ev->Line, "+CMGS:", 6) == 0;
        });
        exchange(t, "AT+CMGS=\"+1\"\r\r\n> ");
        advance(50);
        ASSERT_EQ(uart.written, "AT+CMGS=\"+1\"\r" + row.text + "\x1A");
        uart.input = row.answer;
        pollUntilQuiet();
        EXPECT_EQ(t.events, (std::vector<std::string>{"start", "prompt", "line:+CMGS: 7", "final:0:0"})) << row.text;
    }
}

TEST_F(Engine, UrcsGoToTheirClientEvenInsideAResponse)
{
    // `a` reads free-form lines and claims every one it is offered (as a listing does);
    // a known URC still goes to its owner `b`, and the start-up notices nobody owns
    // never reach `a`. `b`'s own answer (+CREG during its AT+CREG?) comes to it as a Line.
    TestClient a{}, b{};
    static const char urcsB[] = "+CREG:\0RING\0";
    client(a);
    client(b, urcsB);
    b.onEvent = command(&p, "AT+CREG?", 1000, 0, [](TestClient&, GSM_Prompt_Event* ev) {
        return ev->Type == GSM_Prompt_EventType_Urc || ev->Type == GSM_Prompt_EventType_Line;
    });
    a.onEvent = command(&p, "AT+CMGL", 1000, 0, [](TestClient&, GSM_Prompt_Event* ev) {
        return ev->Type == GSM_Prompt_EventType_Line;
    });
    exchange(a, "\r\n+CMGL: 1\r\ntext\r\n+CREG: 1\r\n\r\nRING\r\nSMS Ready\r\n+CGEV: ME PDN ACT 1\r\n"
                "\r\nOK\r\n\r\n+CREG: 5\r\n\r\nUNKNOWN LINE\r\n");
    EXPECT_EQ(a.events, (std::vector<std::string>{"start", "line:+CMGL: 1", "line:text", "final:0:0"}));
    exchange(b, "\r\n+CREG: 0,1\r\n\r\nOK\r\n");
    EXPECT_EQ(b.events, (std::vector<std::string>{"urc:+CREG: 1", "urc:RING", "urc:+CREG: 5", "start",
                                                  "line:+CREG: 0,1", "final:0:0"}));
    EXPECT_TRUE(gsmPromptIsUrc(&p._i, "SMS DONE"));
    EXPECT_TRUE(gsmPromptIsUrc(&p._i, "+CREG: 2"));
    EXPECT_FALSE(gsmPromptIsUrc(&p._i, "SMS DONE here"));
}

// A URC whose quoted text spans lines comes as one (line ends as LF) when its client
// allows it; the rest of an over-long line is dropped with it, never coming out as a
// line of its own, and nothing is written past the buffer.
TEST_F(Engine, MultiLineQuotedUrcAndOverlongLine)
{
    build(48, 32);
    TestClient t{};
    static const char urcs[] = "+CMTI:\0+CUSD:\0";
    client(t, urcs);
    gsmPromptAllowMultiLine(&t.c, 2);
    t.onEvent = [](TestClient&, GSM_Prompt_Event* ev) { return ev->Type == GSM_Prompt_EventType_Urc; };
    uart.input = "\r\n+CMTI: \"SM\"," + std::string(500, '9') + "\r\n+CMTI: \"SM\",3\r\n" +
                 "\r\n+CUSD: 1,\"Menu\r\n1. Balance\n2. Data\",15\r\n\r\n+CUSD: 2\r\n";
    pollUntilQuiet();
    EXPECT_EQ(t.events, (std::vector<std::string>{"urc:+CMTI: \"SM\",3", "urc:+CUSD: 1,\"Menu\n1. Balance\n2. Data\",15",
                                                  "urc:+CUSD: 2"}));
    EXPECT_EQ(p.DiscardedLines, 1u);
}

TEST_F(Engine, DataPromptPacedWriteWithoutCtrlZ)
{
    build(256, 0); // no echo buffer
    static std::string payload(1000, 'x');
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<char>('a' + i % 26);
    TestClient t{};
    client(t);
    t.onEvent = command(&p, "AT+CMQTTPAYLOAD=0,1000", 2000, GSM_PROMPT_SEND_DATA_PROMPT,
                        [this](TestClient&, GSM_Prompt_Event* ev) {
                            if (ev->Type == GSM_Prompt_EventType_DataPrompt) {
                                EXPECT_TRUE(gsmPromptWriteData(&p._i, reinterpret_cast<const uint8_t*>(payload.data()),
                                                               static_cast<uint16_t>(payload.size()), 0));
                            }
                            return false;
                        });
    exchange(t, "\r\n>");
    uart.written.clear();
    // The transmitter reports "busy" between pieces: never more than one piece queued.
    size_t maxBurst = 0;
    for (int i = 0; i < 400 && uart.written.size() < payload.size(); ++i) {
        size_t before = uart.written.size();
        uart.txBusy = (i % 3) != 0;
        gTime += 5;
        gsmPromptPoll(&p);
        maxBurst = std::max(maxBurst, uart.written.size() - before);
    }
    uart.txBusy = false;
    EXPECT_EQ(uart.written, payload) << "length-counted data: no Ctrl-Z, nothing else";
    EXPECT_LE(maxBurst, static_cast<size_t>(GSM_PROMPT_TX_PIECE));
    uart.input = "\r\nOK\r\n";
    pollUntilQuiet();
    EXPECT_EQ(t.events.back(), "final:0:0");
}

// A length-counted text after a kept header line (SMS read): the last raw piece can be
// kept too, and it survives the final result - or, when the buffer has no room for it
// and for the final result, the engine says so (Line null) and the OK still arrives.
TEST_F(Engine, KeptRawPieceSurvivesTheFinalResult)
{
    bool keptOnce = false, refusedOnce = false;
    for (size_t n = 1; n <= 56; ++n) {
        build(64, 64);
        TestClient t{};
        client(t);
        char* header = nullptr;
        char* text = nullptr;
        bool offered = false, pieces = false;
        std::string atFinal;
        t.onEvent = command(&p, "AT+CMGR=1", 1000, 0, [&](TestClient&, GSM_Prompt_Event* ev) {
            if (ev->Type == GSM_Prompt_EventType_Line && std::strncmp(ev->Line, "+CMGR: ", 7) == 0) {
                header = ev->Line;
                gsmPromptKeepLine(&p._i);
                gsmPromptReadRaw(&p._i, static_cast<uint32_t>(std::atoi(ev->Line + 7)));
                return true;
            }
            if (ev->Type == GSM_Prompt_EventType_RawData) {
                // Only a text that came whole in one piece is kept.
                if (!pieces && ev->RawRemaining == 0u && ev->Line != nullptr) {
                    EXPECT_EQ(static_cast<const void*>(ev->Line), static_cast<const void*>(ev->Data));
                    offered = true;
                    text = ev->Line;
                    gsmPromptKeepLine(&p._i);
                }
                pieces = true;
            }
            if (ev->Type == GSM_Prompt_EventType_Final && header != nullptr)
                atFinal = std::string(header) + "|" + (text ? text : "-");
            return false;
        });
        std::string body;
        for (size_t k = 0; k < n; ++k)
            body += "OK\r\n"[k % 4];
        const std::string head = "+CMGR: " + std::to_string(n);
        exchange(t, "\r\n" + head + "\r\n" + body + "\r\n\r\nOK\r\n");
        EXPECT_EQ(t.raw, body) << n;
        ASSERT_FALSE(t.events.empty());
        EXPECT_EQ(t.events.back(), "final:0:0") << "the final result is recognised, length " << n;
        EXPECT_EQ(atFinal, head + "|" + (offered ? body : "-")) << n;
        if (offered) {
            EXPECT_FALSE(refusedOnce) << "a longer text was kept after a shorter one was refused";
            keptOnce = true;
        } else {
            refusedOnce = true;
        }
    }
    EXPECT_TRUE(keptOnce);
    EXPECT_TRUE(refusedOnce);
}

TEST_F(Engine, RawReadAfterOkTakesExactlyTheAnnouncedBytes)
{
    // SIM7600 order: OK first, then "+HTTPREAD: DATA,<n>", n raw bytes, "+HTTPREAD: 0".
    build(24, 64); // data larger than the buffer arrives in pieces
    TestClient t{};
    client(t);
    t.onEvent = command(&p, "AT+HTTPREAD=0,40", 1000, 0, [this](TestClient&, GSM_Prompt_Event* ev) {
        if (ev->Type == GSM_Prompt_EventType_Final && ev->Result == GSM_Result_Ok)
            gsmPromptContinue(&p._i, 2000);
        if (ev->Type == GSM_Prompt_EventType_Line) {
            if (std::strncmp(ev->Line, "+HTTPREAD: DATA,", 16) == 0) {
                gsmPromptReadRaw(&p._i, static_cast<uint32_t>(std::atoi(ev->Line + 16)));
                return true;
            }
            if (std::strcmp(ev->Line, "+HTTPREAD: 0") == 0) {
                gsmPromptRelease(&p._i, p._i.Current);
                return true;
            }
        }
        return false;
    });
    static const char bytes[] = "\r\nOK\r\nERROR\r\n> +CME ERROR: 3\0\x1a\x1b tail!!!!!!!!!!!!";
    const std::string body(bytes, 40); // looks like anything: lines, results, NUL, Ctrl-Z, ESC
    exchange(t, "\r\nOK\r\n\r\n+HTTPREAD: DATA,40\r\n" + body + "\r\n+HTTPREAD: 0\r\n");
    EXPECT_EQ(t.raw, body);
    EXPECT_EQ(t.events.front(), "start");
    EXPECT_EQ(t.events[1], "final:0:0");
    EXPECT_EQ(std::vector<std::string>(t.events.begin() + 2, t.events.end()),
              (std::vector<std::string>{"line:+HTTPREAD: DATA,40", "raw:24/16", "raw:16/0", "line:+HTTPREAD: 0"}));
    EXPECT_EQ(p._i.Current, nullptr) << "released";
}

TEST_F(Engine, TimeoutRecoveryAndWrapAround)
{
    TestClient t{};
    client(t);
    t.onEvent = command(&p, "AT+SLOW", 3000);
    gTime = 0xFFFFFF00u; // the timeout spans the wrap of the millisecond counter
    gsmPromptRequest(&p._i, &t.c);
    poll();
    advance(2900);
    EXPECT_EQ(t.events, (std::vector<std::string>{"start"})) << "no early timeout across the wrap";
    advance(200);
    ASSERT_EQ(t.events.back(), "final:4:0");
    EXPECT_EQ(uart.written, "AT+SLOW\r") << "no ESC after an ordinary command";
    EXPECT_EQ(p._i.ConsecutiveTimeouts, 1u);

    // The late answer of the timed-out command is not taken for the next one's.
    uart.input = "\r\nOK\r\n";
    t.onEvent = command(&p, "AT+NEXT", 1000);
    gsmPromptRequest(&p._i, &t.c);
    pollUntilQuiet();
    advance(GSM_PROMPT_RECOVERY_MS + 20);
    ASSERT_EQ(t.events.back(), "start");
    uart.input = "\r\nOK\r\n";
    pollUntilQuiet();
    EXPECT_EQ(t.events.back(), "final:0:0");
    EXPECT_EQ(p._i.ConsecutiveTimeouts, 0u);

    // A data command that timed out may have left the modem waiting for its input: ESC
    // leaves it, also when the client's Final handler ends its own turn.
    for (bool abortAtFinal : {false, true}) {
        advance(GSM_PROMPT_RECOVERY_MS + 20);
        uart.written.clear();
        const auto send = command(&p, "AT+CMGS=1", 1000, GSM_PROMPT_SEND_DATA_PROMPT);
        t.onEvent = [&](TestClient& self, GSM_Prompt_Event* ev) {
            if (abortAtFinal && ev->Type == GSM_Prompt_EventType_Final)
                gsmPromptAbort(&p._i, &self.c);
            return send(self, ev);
        };
        gsmPromptRequest(&p._i, &t.c);
        poll();
        advance(1100);
        ASSERT_EQ(t.events.back(), "final:4:0");
        EXPECT_EQ(uart.written, "AT+CMGS=1\r\x1b") << "abort at Final: " << abortAtFinal;
    }
}

TEST_F(Engine, TurnsAreFair)
{
    TestClient a{}, b{};
    client(a);
    client(b);
    std::string order;
    auto make = [&](char name) {
        return [&order, name, this](TestClient& self, GSM_Prompt_Event* ev) {
            if (ev->Type == GSM_Prompt_EventType_Start) {
                order += name;
                gsmPromptSendCommand(&p._i, "AT", 1000);
            } else if (ev->Type == GSM_Prompt_EventType_Final) {
                gsmPromptRequest(&p._i, &self.c); // greedy: asks again at once
            }
            return false;
        };
    };
    a.onEvent = make('a');
    b.onEvent = make('b');
    gsmPromptRequest(&p._i, &a.c);
    gsmPromptRequest(&p._i, &b.c);
    for (int i = 0; i < 6; ++i) {
        poll();
        uart.input = "\r\nOK\r\n";
        pollUntilQuiet();
    }
    EXPECT_EQ(order.substr(0, 6), "ababab");
}

TEST_F(Engine, GateHoldsGatedClientsUntilReady)
{
    TestClient gated{}, sync{};
    client(gated);
    client(sync);
    sync.c.Options = GSM_PROMPT_CLIENT_UNGATED;
    gated.onEvent = command(&p, "AT+CSQ");
    sync.onEvent = command(&p, "AT");
    gsmPromptSetReady(&p._i, false);
    uint8_t session = gsmPromptSession(&p._i);
    gsmPromptRequest(&p._i, &gated.c);
    gsmPromptRequest(&p._i, &sync.c);
    poll(3);
    EXPECT_TRUE(gated.events.empty());
    EXPECT_EQ(sync.events, (std::vector<std::string>{"start"}));
    uart.input = "\r\nOK\r\n";
    pollUntilQuiet();
    gsmPromptSetReady(&p._i, true);
    EXPECT_EQ(gsmPromptSession(&p._i), static_cast<uint8_t>(session + 1));
    poll(2);
    EXPECT_EQ(gated.events, (std::vector<std::string>{"start"}));
}

// A client without a handler is never served; while the line buffer is missing the
// engine stays idle, and it starts once the buffer is assigned (e.g. in USER CODE).
TEST_F(Engine, NoHandlerOrNoBufferKeepsEngineIdle)
{
    TestClient bare{}, t{};
    gsmPromptRegisterClient(&p._i, &bare.c); // Handler not set
    gsmPromptRequest(&p._i, &bare.c);
    poll(3);
    EXPECT_FALSE(gsmPromptIsBusy(&p._i, &bare.c));
    client(t);
    t.onEvent = command(&p, "AT");
    p.DataBuffer = nullptr;
    gsmPromptRequest(&p._i, &t.c);
    poll(5);
    EXPECT_TRUE(t.events.empty());
    EXPECT_TRUE(uart.written.empty());
    p.DataBuffer = buf.data();
    poll();
    EXPECT_EQ(t.events, (std::vector<std::string>{"start"}));
}

} // namespace
