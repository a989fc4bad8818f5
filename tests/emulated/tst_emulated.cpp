// The jobs' real firmware on emulated chips (ATmega2560 in simavr, Cortex-M4 in QEMU)
// against the modem simulator: what the firmware's event handlers printed must be
// what the simulator and the servers behind it sent.
//   TARVEX_EMU_PLATFORM=avr|cm4 TARVEX_EMU_FIRMWARE=<folder with <job>.elf> [TARVEX_EMU_QEMU=<qemu-system-arm>] tst_emulated
#include "emu_board.h"
#include "test_servers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

std::unique_ptr<Board> startBoard(const std::string& job, ModemSide& modem)
{
    const char* platform = std::getenv("TARVEX_EMU_PLATFORM");
    const char* dir = std::getenv("TARVEX_EMU_FIRMWARE");
    std::string elf = std::string(dir ? dir : ".") + "/" + job + ".elf";
    std::unique_ptr<Board> board;
    if (platform && std::string(platform) == "avr")
        board = makeAvrBoard(elf, modem);
    else if (platform && std::string(platform) == "cm4")
        board = makeCm4Board(elf, modem);
    std::string error = "TARVEX_EMU_PLATFORM is neither avr nor cm4";
    if (board && !board->start(&error))
        board.reset();
    EXPECT_TRUE(board) << error;
    return board;
}

bool reported(const Board& b, const std::string& text)
{
    return b.report().find(text) != std::string::npos;
}

// A whole line starting with `start` has been printed.
bool reportedLine(const Board& b, const std::string& start)
{
    size_t at = b.report().find(start);
    return at != std::string::npos && b.report().find('\n', at) != std::string::npos;
}

// The length-framed records "<tag> <n> ... <offset> <length>:<bytes>\n" of the report,
// read in order; the bytes may hold anything, line ends included.
struct Piece
{
    std::vector<long> numbers;
    std::string bytes;
};

std::vector<Piece> pieces(const std::string& report, const std::string& tag)
{
    std::vector<Piece> out;
    size_t pos = 0;
    while (pos < report.size()) {
        size_t eol = report.find('\n', pos);
        size_t colon = report.find(':', pos);
        if (report.compare(pos, tag.size() + 1, tag + " ") == 0 && colon != std::string::npos &&
            (eol == std::string::npos || colon < eol)) {
            Piece p;
            char* end = nullptr;
            const char* s = report.c_str() + pos + tag.size();
            while (s < report.c_str() + colon) {
                p.numbers.push_back(std::strtol(s, &end, 10));
                if (end == s)
                    break;
                s = end;
            }
            size_t length = p.numbers.empty() ? 0 : static_cast<size_t>(p.numbers.back());
            p.bytes = report.substr(colon + 1, length);
            out.push_back(p);
            pos = colon + 1 + length;
            continue;
        }
        pos = eol == std::string::npos ? report.size() : eol + 1;
    }
    return out;
}

// Joins pieces whose second-to-last number is the offset; "<gap>" on a hole.
std::string joined(const std::vector<Piece>& ps)
{
    std::string all;
    for (const Piece& p : ps) {
        if (p.numbers.size() < 2 || static_cast<size_t>(p.numbers[p.numbers.size() - 2]) != all.size())
            return all + "<gap>";
        all += p.bytes;
    }
    return all;
}

std::string redirect(const std::string& url, const std::string& from, const std::string& to)
{
    return url.compare(0, from.size(), from) == 0 ? to + url.substr(from.size()) : url;
}

} // namespace

TEST(Emulated, SmsSendAfterRegistration)
{
    ModemSide modem(InternetModem::Family::Lte);
    auto board = startBoard("sms", modem);
    ASSERT_TRUE(board);
    ASSERT_TRUE(board->runUntil([&] { return reportedLine(*board, "SENT ") || reported(*board, "FAILED"); }, 30000))
        << board->report();
    ASSERT_EQ(modem.sim.sent.size(), 1u);
    EXPECT_EQ(modem.sim.sent[0].number, "+15550100");
    EXPECT_EQ(modem.sim.sent[0].text, "Tarvex on the chip");
    // The handler got the reference the modem gave, then the delivery report.
    std::string sent = "SENT " + std::to_string(modem.sim.sent[0].reference) + "\n";
    EXPECT_TRUE(reported(*board, sent)) << board->report();
    EXPECT_TRUE(board->runUntil([&] { return reported(*board, "DELIVERED 0\n"); }, 5000)) << board->report();
}

TEST(Emulated, SmsReceive)
{
    ModemSide modem(InternetModem::Family::Lte);
    auto board = startBoard("smsread", modem);
    ASSERT_TRUE(board);
    // Registered, and the modem told to announce new messages.
    ASSERT_TRUE(board->runUntil([&] { return reported(*board, "REGISTERED\n") && modem.sim.cnmiMt != 0; }, 30000))
        << board->report();
    // Leap day, a quarter-hour zone of +2 h ("+08"), a text with punctuation.
    modem.sim.receiveSms("+447700900123", "Meet at 10:30, gate B; bring the key!", "24/02/29,13:45:10+08");
    ASSERT_TRUE(board->runUntil([&] { return reportedLine(*board, "SMS FROM"); }, 20000)) << board->report();
    std::tm local = {};
    local.tm_year = 124, local.tm_mon = 1, local.tm_mday = 29, local.tm_hour = 13, local.tm_min = 45, local.tm_sec = 10;
    long epoch = static_cast<long>(timegm(&local)) - 2 * 3600;
    EXPECT_TRUE(reported(*board, "SMS FROM +447700900123 AT " + std::to_string(epoch) +
                                     " ZONE 7200 TEXT Meet at 10:30, gate B; bring the key!\n"))
        << board->report();
}

class EmulatedHttp : public ::testing::TestWithParam<const char*>
{
};

TEST_P(EmulatedHttp, GetPrintsTheWholeBody)
{
    HttpTestServer server;
    ASSERT_TRUE(server.ok());
    const std::string body = trickyBody(1500);
    server.route("/body.bin", {200, body});
    const bool lte = std::string(GetParam()) == "httplte";
    ModemSide modem(lte ? InternetModem::Family::Lte : InternetModem::Family::Gsm2G);
    modem.net.resolveUrl = [&](const std::string& url) {
        return redirect(url, "http://files.tarvex.test/", server.url("/"));
    };
    auto board = startBoard(GetParam(), modem);
    ASSERT_TRUE(board);
    ASSERT_TRUE(board->runUntil([&] { return reported(*board, "HTTP END\n"); }, 40000)) << board->report();
    ASSERT_EQ(modem.net.httpExchanges.size(), 1u);
    EXPECT_EQ(modem.net.httpExchanges[0].url, "http://files.tarvex.test/body.bin");
    auto ps = pieces(board->report(), "HTTP");
    ASSERT_FALSE(ps.empty());
    for (const Piece& p : ps)
        EXPECT_EQ(p.numbers.at(0), 200);
    std::string got = joined(ps);
    EXPECT_EQ(got.size(), body.size());
    EXPECT_TRUE(got == body) << "the body printed by the firmware differs from the server's";
}

INSTANTIATE_TEST_SUITE_P(Jobs, EmulatedHttp, ::testing::Values("httplte", "http2g"));

TEST(Emulated, MqttPublishAndReceive)
{
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start()) << "mosquitto broker: " << broker.error();
    ModemSide modem(InternetModem::Family::Lte);
    modem.net.resolveUrl = [&](const std::string& url) {
        return redirect(url, "tcp://broker.tarvex.test:1883", broker.url());
    };
    const std::string cli = " -h 127.0.0.1 -p " + std::to_string(broker.port());
    ChildOutput sub("stdbuf -oL mosquitto_sub" + cli + " -d -C 1 -W 120 -t tarvex/emu/out");
    ASSERT_TRUE(sub.waitForLine("SUBACK", 10000)) << "mosquitto_sub did not subscribe: " << sub.output();
    auto board = startBoard("mqtt", modem);
    ASSERT_TRUE(board);
    ASSERT_TRUE(board->runUntil([&] { return reported(*board, "MQTT PUBLISHED\n"); }, 40000)) << board->report();
    EXPECT_TRUE(reported(*board, "MQTT CONNECTED\nMQTT SUBSCRIBED\n")) << board->report();
    ASSERT_EQ(modem.net.mqttConnects.size(), 1u);
    EXPECT_EQ(modem.net.mqttConnects[0].clientId, "tarvex-emu");
    EXPECT_EQ(modem.net.mqttSubscriptions, std::vector<std::string>({"tarvex/emu/in"}));
    EXPECT_TRUE(sub.waitForLine("hello from the chip", 5000)) << sub.output();

    const std::string payload = "set point 21.5 C; \"quoted\", +CMQTTRXEND: 0 inside";
    int status = -1;
    runCommand("mosquitto_pub" + cli + " -q 1 -t tarvex/emu/in -m '" + payload + "'", &status);
    ASSERT_EQ(status, 0);
    ASSERT_TRUE(board->runUntil([&] { return reported(*board, "MQTT END\n"); }, 20000)) << board->report();
    EXPECT_EQ(joined(pieces(board->report(), "TOPIC")), "tarvex/emu/in");
    EXPECT_EQ(joined(pieces(board->report(), "PAYLOAD")), payload);
}
