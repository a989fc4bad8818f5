// A scriptable model of a SIMCom modem that speaks AT byte by byte, for host tests of
// the Tarvex library. Time is driven from outside (tick); every output byte carries
// the time at which the modem puts it on the wire.
#pragma once

#include "circbuff.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

// The main loop of a rig or board: `step` until `cond` holds (true) or `maxMs` pass on
// the clock `now` (false); `cond` is checked before every step.
bool runLoop(const std::function<bool()>& cond, uint32_t maxMs, const std::function<uint32_t()>& now,
             const std::function<void()>& step);

// Small text helpers for simulated AT command handlers.
namespace simtext {
std::vector<std::string> args(const std::string& line); // fields after the first '=' ({""} if none), unquoted
int toInt(const std::string& s, int def = -1);
} // namespace simtext

struct Transcript;
struct TranscriptExchange;

class ModemSim
{
public:
    enum class Sim { Ready, PinRequired, PukRequired, NotInserted };

    struct StoredSms
    {
        std::string status = "REC UNREAD", sender, scts, text;
    };
    struct SentSms
    {
        std::string number, text;
        int reference = 0;
    };
    struct UssdReply
    {
        int m = 0;              // <m> of +CUSD
        std::string text;       // "" = no <str>
        int dcs = 15;
        uint32_t delayMs = 800; // network answer delay
    };

    // Command handler: gets the whole command line.
    using Handler = std::function<void(ModemSim&, const std::string& line)>;

    ModemSim();

    // ---- time and hardware ----
    void tick(uint32_t now);
    uint32_t now() const { return mNow; }
    void setPowerKey(bool pressed);
    void setReset(bool asserted);
    bool status() const;
    bool poweredOn() const { return mPowered; }
    bool uartReady() const { return mPowered && !mResetting && mNow - mUartReadyAt < 0x80000000u; }

    // ---- UART ----
    void hostWrite(uint8_t b);  // byte from the library
    size_t outputReady() const; // bytes whose time has come
    uint8_t readOutput();       // takes one such byte
    // The UART between the host's circular buffers and the modem. The output is handed
    // over in pieces of random size, never more than the Rx buffer holds (a UART with
    // flow control: a dropped byte would be the rig's fault, not the library's); the
    // host's output is taken at 115200 baud for up to 3 ms per call.
    void uartToHost(CircBuff* rx, std::mt19937& rng, unsigned maxChunk);
    void uartFromHost(CircBuff* tx);

    // ---- extensions (the data side of InternetModem) ----
    std::function<bool(uint8_t)> dataInput; // sees the library's bytes first; true: taken
    std::function<void()> afterTick;        // runs at the end of every tick()

    // ---- configuration ----
    uint32_t latencyMs = 20;        // command response delay
    uint32_t statusDelayMs = 600;   // after switching on: status goes high
    uint32_t bootMs = 2500;         // after switching on: UART answers
    bool powerKeyWorks = true;      // false: the key has no effect
    bool cereg = true;              // false: a 2G modem rejects AT+CEREG
    bool cusdHoldsOk = false;       // hold the OK of AT+CUSD until the answer
    int cmgsError = 0;              // non-zero: AT+CMGS fails with this +CMS code
    int csqRssi = 20, csqBer = 0;
    bool csdhSupported = true;      // false: AT+CSDH fails, no <length> in +CMGR
    int cmglFo = -1;                // >= 0: +CMGL with AT+CSDH=1 in the long form
                                    // ...,<tooa>,<fo>,<pid>,<dcs>,<sca>,<tosca>,<length>
    bool cmglModeRejected = false;  // AT+CMGL="...",1 answers ERROR

    // ---- state visible to tests ----
    Sim sim = Sim::PinRequired;
    std::string simPin = "1234";
    int pinAttemptsLeft = 3;
    std::vector<std::string> pinAttempts; // every PIN the modem was given
    std::vector<std::string> commands;    // every command line received
    std::vector<SentSms> sent;
    std::map<int, StoredSms> store;       // SMS storage ("SM")
    int storeCapacity = 30;
    std::map<std::string, UssdReply> ussdScript;
    std::vector<std::string> ussdRequests;
    int powerOnCount = 0, resetCount = 0;
    bool echo = true;
    int cmee = 0;
    int cregN[3] = {0, 0, 0}, regStat[3] = {2, 2, 2};
    int cnmiMt = 0, cnmiDs = 0, csmpFo = 17;
    int csdh = 0; // AT+CSDH=1: +CMGR/+CMGL show <length>

    // ---- scenario and faults ----
    void setRegistration(int domain, int stat); // emits the URC when enabled
    int receiveSms(const std::string& sender, const std::string& text,
                   const std::string& scts = "10/05/06,00:01:52+08", bool announce = true);
    void emitUrc(const std::string& text);  // "\r\n<text>\r\n" now
    void emitRaw(const std::string& bytes); // bytes as they are, now
    void dropResponses(int n) { mDropResponses += n; }
    void setSilent(bool silent) { mSilent = silent; } // hangs until it restarts
    void urcInNextResponse(const std::string& urc) { mMidUrc = urc; }
    void spontaneousReset(); // modem restarts by itself
    void powerLoss();        // supply drops: status low
    void addHandler(const std::string& prefix, Handler h) { mHandlers.insert(mHandlers.begin(), {prefix, h}); }

    // ---- recorded modem ----
    // Answers each command with the recorded lines of the first unused exchange of `t`
    // with the same command key ("AT+CPIN?", "AT+CMGL=", ...), in file order, as bytes in
    // random pieces; commands the recording lacks (or has used up) go to the handlers as
    // usual. The echo comes from the simulator's own echo setting. Lines after the final
    // result come recordedLateMs later (URCs such as +NETOPEN: 0). A recorded "> " prompt
    // followed by a data exchange starts SMS-style text input; Ctrl-Z is then answered
    // with the data exchange's lines.
    // The Transcript must outlive the recording.
    void playRecording(const Transcript& t, uint32_t seed = 1);
    uint32_t recordedLateMs = 200;
    size_t recordingUnused(const std::string& key) const;     // exchanges of `key` not yet played
    void emitRecorded(const std::string& bytes, uint32_t at); // bytes in random pieces from `at`
    void playExchange(const TranscriptExchange& e);           // its answer, as a recorded one is played

    // ---- helpers for handlers ----
    void respond(const std::vector<std::string>& info, const std::string& final);
    void ok(const std::vector<std::string>& info = {}) { respond(info, "OK"); }
    void error() { respond({}, "ERROR"); }
    void cmeError(int code) { respond({}, cmee ? "+CME ERROR: " + std::to_string(code) : "ERROR"); }
    void cmsError(int code) { respond({}, cmee ? "+CMS ERROR: " + std::to_string(code) : "ERROR"); }
    void schedule(uint32_t delayMs, const std::string& bytes);
    void later(uint32_t delayMs, std::function<void()> fn) { mPending.push_back({mNow + delayMs, std::move(fn)}); }

private:
    void processLine(const std::string& rawLine);
    bool playRecorded(const std::string& line);
    void finishTextInput(bool send);
    void boot();
    void out(const std::string& bytes, uint32_t at);
    void installDefaultHandlers();

    struct Timed
    {
        uint32_t at;
        uint8_t b;
    };
    std::deque<Timed> mOut;
    uint32_t mLastOut = 0, mNow = 0;

    bool mPowered = false, mKeyPressed = false, mRdyPending = false, mResetting = false;
    bool mPowerDownPending = false;
    uint32_t mKeyPressedAt = 0, mStatusAt = 0, mUartReadyAt = 0, mPowerDownAt = 0;

    std::string mLine;
    bool mTextInput = false;
    std::string mTextNumber, mText;
    int mNextReference = 10;
    int mDropResponses = 0;
    bool mSilent = false;
    std::string mMidUrc;

    struct Pending
    {
        uint32_t at;
        std::function<void()> fn;
    };
    std::vector<Pending> mPending;
    std::vector<std::pair<std::string, Handler>> mHandlers;

    const Transcript* mRec = nullptr;
    std::vector<bool> mRecUsed;
    int mRecDataReply = -1; // exchange answering the recorded text input
    std::mt19937 mRecRng;
};
