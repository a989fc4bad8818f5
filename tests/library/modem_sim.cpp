#include "modem_sim.h"
#include "transcript.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

bool reached(uint32_t now, uint32_t at) // wrap-around safe "now is at or past at"
{
    return static_cast<uint32_t>(now - at) < 0x80000000u;
}

} // namespace

bool runLoop(const std::function<bool()>& cond, uint32_t maxMs, const std::function<uint32_t()>& now,
             const std::function<void()>& step)
{
    for (const uint32_t start = now(); !cond(); step())
        if (now() - start >= maxMs)
            return false;
    return true;
}

namespace simtext {

std::vector<std::string> args(const std::string& line)
{
    size_t eq = line.find('=');
    std::vector<std::string> f(1);
    bool quoted = false;
    for (size_t i = eq == std::string::npos ? line.size() : eq + 1; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            f.emplace_back();
        else
            f.back() += c;
    }
    return f;
}

int toInt(const std::string& s, int def)
{
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    return (!s.empty() && *end == '\0') ? static_cast<int>(v) : def;
}

} // namespace simtext

using simtext::args;
using simtext::toInt;

ModemSim::ModemSim()
{
    installDefaultHandlers();
}

void ModemSim::tick(uint32_t now)
{
    mNow = now;
    if (mPowered && mRdyPending && reached(mNow, mUartReadyAt)) {
        mRdyPending = false;
        out("\r\nRDY\r\n", mNow);
    }
    if (mPowerDownPending && reached(mNow, mPowerDownAt)) {
        mPowerDownPending = false;
        mPowered = false;
        mOut.clear();
    }
    // Run due actions (they may schedule more).
    for (size_t i = 0; i < mPending.size();) {
        if (reached(mNow, mPending[i].at)) {
            auto fn = mPending[i].fn;
            mPending.erase(mPending.begin() + static_cast<long>(i));
            if (mPowered && !mResetting)
                fn();
        } else {
            ++i;
        }
    }
    if (afterTick)
        afterTick();
}

// A press of at least a second switches on or off when the key is released.
void ModemSim::setPowerKey(bool pressed)
{
    if (pressed == mKeyPressed)
        return;
    mKeyPressed = pressed;
    if (pressed) {
        mKeyPressedAt = mNow;
    } else if (powerKeyWorks && mNow - mKeyPressedAt >= 1000 && !mPowered) {
        mPowered = true;
        ++powerOnCount;
        mStatusAt = mNow + statusDelayMs;
        boot();
    } else if (powerKeyWorks && mNow - mKeyPressedAt >= 1000 && !mPowerDownPending) {
        out("\r\nNORMAL POWER DOWN\r\n", mNow);
        mPowerDownPending = true;
        mPowerDownAt = mNow + 800;
    }
}

void ModemSim::setReset(bool asserted)
{
    if (!mPowered)
        return;
    if (asserted) {
        mResetting = true;
        mOut.clear();
        mPending.clear();
    } else if (mResetting) {
        mResetting = false;
        ++resetCount;
        boot();
    }
}

bool ModemSim::status() const
{
    return mPowered && reached(mNow, mStatusAt);
}

// Output and pending answers are lost; RDY after bootMs, factory settings.
void ModemSim::boot()
{
    mOut.clear();
    mPending.clear();
    mUartReadyAt = mNow + bootMs;
    mRdyPending = true;
    echo = true;
    cmee = 0;
    cregN[0] = cregN[1] = cregN[2] = 0;
    cnmiMt = cnmiDs = 0;
    csmpFo = 17;
    mLine.clear();
    mTextInput = false;
    mRecDataReply = -1;
    mSilent = false; // a hung modem recovers when it restarts
    if (sim == Sim::Ready && !simPin.empty())
        sim = Sim::PinRequired; // a PIN-locked SIM locks again at power-up
}

void ModemSim::spontaneousReset()
{
    if (mPowered) {
        ++resetCount;
        boot();
    }
}

void ModemSim::powerLoss()
{
    mPowered = false;
    mOut.clear();
    mPending.clear();
}

void ModemSim::out(const std::string& bytes, uint32_t at)
{
    if (!mOut.empty() && !reached(at, mLastOut))
        at = mLastOut; // keep FIFO order
    for (char c : bytes)
        mOut.push_back({at, static_cast<uint8_t>(c)});
    mLastOut = at;
}

size_t ModemSim::outputReady() const
{
    size_t n = 0;
    while (n < mOut.size() && reached(mNow, mOut[n].at))
        ++n;
    return n;
}

uint8_t ModemSim::readOutput()
{
    if (mOut.empty())
        return 0;
    uint8_t b = mOut.front().b;
    mOut.pop_front();
    return b;
}

void ModemSim::emitUrc(const std::string& text)
{
    emitRaw("\r\n" + text + "\r\n");
}

void ModemSim::emitRaw(const std::string& bytes)
{
    if (mPowered)
        out(bytes, mNow);
}

void ModemSim::schedule(uint32_t delayMs, const std::string& bytes)
{
    later(delayMs, [this, bytes]() { out(bytes, mNow); });
}

void ModemSim::respond(const std::vector<std::string>& info, const std::string& final)
{
    if (mDropResponses > 0) {
        --mDropResponses;
        return;
    }
    // A URC to slip in goes after the first information line, else before the result.
    std::vector<std::string> lines = info;
    if (!mMidUrc.empty())
        lines.insert(lines.begin() + (lines.empty() ? 0 : 1), mMidUrc);
    mMidUrc.clear();
    if (!final.empty())
        lines.push_back(final);
    std::string s;
    for (const std::string& l : lines)
        s += "\r\n" + l + "\r\n";
    out(s, mNow + latencyMs);
}

void ModemSim::uartToHost(CircBuff* rx, std::mt19937& rng, unsigned maxChunk)
{
    size_t ready = outputReady();
    if (ready == 0)
        return;
    unsigned pick = rng() % 10;
    size_t n = pick < 3 ? 1 : (pick < 8 ? 1 + rng() % maxChunk : ready);
    for (n = std::min<size_t>({n, ready, cbufFreeSize(rx)}); n > 0; --n)
        cbufWrite(rx, readOutput());
}

void ModemSim::uartFromHost(CircBuff* tx)
{
    uint8_t* seg = nullptr;
    cbufReleaseLock(tx);
    for (uint32_t budget = 33, n; budget > 0 && (n = cbufReadContinuousSegmentAndLock(tx, &seg, budget)) > 0; budget -= n) {
        for (uint32_t i = 0; i < n; ++i)
            hostWrite(seg[i]);
        cbufReleaseLock(tx);
    }
}

void ModemSim::hostWrite(uint8_t b)
{
    if (dataInput && dataInput(b))
        return;
    if (!uartReady() || mSilent)
        return;
    if (mTextInput && (b == 0x1A || b == 0x1B))
        return finishTextInput(b == 0x1A); // Ctrl-Z sends, ESC abandons
    if (echo)
        out(std::string(1, static_cast<char>(b)), mNow);
    if (mTextInput) {
        if (b == '\r')
            out("\r\n> ", mNow); // a CR inside the text prompts again
        mText += static_cast<char>(b);
    } else if (b == '\r') {
        std::string line;
        line.swap(mLine);
        if (!line.empty())
            processLine(line);
    } else if (b != '\n' && mLine.size() < 600) {
        mLine += static_cast<char>(b);
    }
}

void ModemSim::finishTextInput(bool send)
{
    mTextInput = false;
    int recorded = mRecDataReply;
    mRecDataReply = -1;
    if (!send)
        return;
    if (mRec && recorded >= 0) {
        mRecUsed[static_cast<size_t>(recorded)] = true;
        // A result after text input starts on a line of its own (logs that print the
        // answer right after the text lost that line end).
        const TranscriptExchange& e = mRec->exchanges[static_cast<size_t>(recorded)];
        emitRecorded((!e.lines.empty() && !e.lines[0].empty() ? "\r\n" : "") + e.wire(), mNow + latencyMs);
        return;
    }
    if (cmgsError) {
        cmsError(cmgsError);
        return;
    }
    int mr = mNextReference++ & 0xFF;
    sent.push_back({mTextNumber, mText, mr});
    respond({"+CMGS: " + std::to_string(mr)}, "OK");
    if ((csmpFo & 0x20) && cnmiDs == 1) {
        schedule(3000, "\r\n+CDS: 6," + std::to_string(mr) + ",\"" + mTextNumber +
                           "\",145,\"10/05/06,00:01:52+08\",\"10/05/06,00:01:56+08\",0\r\n");
    }
}

void ModemSim::processLine(const std::string& rawLine)
{
    // Like a real modem, look for the "AT" prefix and drop anything before it.
    std::string u = transcriptUpper(rawLine);
    size_t at = u.find("AT");
    std::string line = (at == std::string::npos) ? rawLine : rawLine.substr(at);
    u = transcriptUpper(line);
    commands.push_back(line);
    if (mRec && playRecorded(line))
        return;
    if (u.compare(0, 2, "AT") != 0)
        return error();
    for (auto& h : mHandlers) {
        if (u.compare(0, h.first.size(), h.first) == 0) {
            h.second(*this, line);
            return;
        }
    }
    error();
}

void ModemSim::playRecording(const Transcript& t, uint32_t seed)
{
    mRec = &t;
    mRecUsed.assign(t.exchanges.size(), false);
    mRecDataReply = -1;
    mRecRng.seed(seed);
}

size_t ModemSim::recordingUnused(const std::string& key) const
{
    size_t n = 0;
    for (size_t i = 0; mRec && i < mRec->exchanges.size(); ++i)
        n += !mRecUsed[i] && mRec->exchanges[i].key() == key;
    return n;
}

void ModemSim::emitRecorded(const std::string& bytes, uint32_t at)
{
    // Random pieces with small gaps, so that line ends and prompts fall anywhere in the
    // reads of the library.
    for (size_t i = 0; i < bytes.size();) {
        size_t n = 1 + mRecRng() % 8;
        out(bytes.substr(i, n), at);
        at += mRecRng() % 3;
        i += n;
    }
}

void ModemSim::playExchange(const TranscriptExchange& e)
{
    // Up to the echo, the echo's line end (only when this modem echoes), the answer up to
    // its final result, then whatever came after it, later.
    size_t echoAt = e.echoAt < 0 ? 0 : static_cast<size_t>(e.echoAt);
    size_t late = e.lines.size();
    for (size_t i = echoAt; i < e.lines.size(); ++i) {
        if (transcriptIsFinal(e.lines[i])) {
            late = i + 1;
            break;
        }
    }
    std::string bytes = e.wire(0, echoAt);
    if (e.echoAt >= 0 && echo)
        bytes += "\r\n";
    bytes += e.wire(echoAt, late);
    uint32_t at = mNow + latencyMs;
    emitRecorded(bytes, at);
    if (late < e.lines.size())
        emitRecorded(e.wire(late), at + recordedLateMs);
}

bool ModemSim::playRecorded(const std::string& line)
{
    const std::string key = transcriptCommandKey(line);
    size_t index = mRec->exchanges.size();
    for (size_t i = 0; i < mRec->exchanges.size(); ++i) {
        if (!mRecUsed[i] && mRec->exchanges[i].key() == key) {
            index = i;
            break;
        }
    }
    if (index == mRec->exchanges.size())
        return false;
    mRecUsed[index] = true;
    const TranscriptExchange& e = mRec->exchanges[index];
    if (mDropResponses > 0) {
        --mDropResponses;
        return true;
    }
    playExchange(e);
    bool prompt = std::find(e.lines.begin(), e.lines.end(), ">") != e.lines.end();
    if (prompt && index + 1 < mRec->exchanges.size() && mRec->exchanges[index + 1].data) {
        mTextInput = true;
        mText.clear();
        mRecDataReply = static_cast<int>(index + 1);
    }
    return true;
}

void ModemSim::setRegistration(int domain, int stat)
{
    regStat[domain] = stat;
    static const char* names[3] = {"+CREG: ", "+CGREG: ", "+CEREG: "};
    if (cregN[domain] == 1)
        emitUrc(names[domain] + std::to_string(stat));
    else if (cregN[domain] == 2)
        emitUrc(names[domain] + std::to_string(stat) + ",\"00C3\",\"1A2B\"");
}

int ModemSim::receiveSms(const std::string& sender, const std::string& text, const std::string& scts, bool announce)
{
    int index = 1;
    while (store.count(index))
        ++index;
    store[index] = {"REC UNREAD", sender, scts, text};
    if (announce && cnmiMt == 1)
        emitUrc("+CMTI: \"SM\"," + std::to_string(index));
    return index;
}

void ModemSim::installDefaultHandlers()
{
    using F = const std::vector<std::string>&;
    auto on = [this](const char* prefix, std::function<void(ModemSim&, F)> h) {
        mHandlers.push_back({prefix, [h](ModemSim& m, const std::string& l) { h(m, args(l)); }});
    };
    on("ATE0", [](ModemSim& m, F) { m.echo = false; m.ok(); });
    on("ATE1", [](ModemSim& m, F) { m.echo = true; m.ok(); });
    on("AT+CMEE=", [](ModemSim& m, F f) { m.cmee = toInt(f[0], 0); m.ok(); });
    on("AT+CPIN?", [](ModemSim& m, F) {
        switch (m.sim) {
        case Sim::Ready: return m.ok({"+CPIN: READY"});
        case Sim::PinRequired: return m.ok({"+CPIN: SIM PIN"});
        case Sim::PukRequired: return m.ok({"+CPIN: SIM PUK"});
        case Sim::NotInserted: return m.cmeError(10);
        }
    });
    on("AT+CPIN=", [](ModemSim& m, F f) {
        m.pinAttempts.push_back(f[0]);
        if (m.sim != Sim::PinRequired)
            return m.cmeError(3);
        if (f[0] != m.simPin) {
            if (--m.pinAttemptsLeft <= 0)
                m.sim = Sim::PukRequired;
            return m.cmeError(16);
        }
        m.sim = Sim::Ready;
        m.pinAttemptsLeft = 3;
        m.ok();
        m.schedule(300, "\r\n+CPIN: READY\r\n");
    });
    on("AT+CSQ", [](ModemSim& m, F) { m.ok({"+CSQ: " + std::to_string(m.csqRssi) + "," + std::to_string(m.csqBer)}); });
    static const char* regCmd[3] = {"AT+CREG?", "AT+CGREG?", "AT+CEREG?"};
    static const char* regSet[3] = {"AT+CREG=", "AT+CGREG=", "AT+CEREG="};
    for (int d = 2; d >= 0; --d) {
        on(regCmd[d], [d](ModemSim& m, F) {
            if (d == 2 && !m.cereg)
                return m.error();
            m.ok({std::string(regCmd[d] + 2, regCmd[d] + std::strlen(regCmd[d]) - 1) + ": " +
                  std::to_string(m.cregN[d]) + "," + std::to_string(m.regStat[d]) +
                  (m.cregN[d] == 2 ? ",\"00C3\",\"1A2B\"" : "")});
        });
        on(regSet[d], [d](ModemSim& m, F f) {
            if (d == 2 && !m.cereg)
                return m.error();
            m.cregN[d] = toInt(f[0], 0);
            m.ok();
        });
    }
    on("AT+CSDH=", [](ModemSim& m, F f) {
        if (!m.csdhSupported)
            return m.error();
        m.csdh = toInt(f[0], 0);
        m.ok();
    });
    on("AT+CMGF=", [](ModemSim& m, F) { m.ok(); });
    on("AT+CSCS=", [](ModemSim& m, F) { m.ok(); });
    on("AT+CSMP=", [](ModemSim& m, F f) { m.csmpFo = toInt(f[0], 17); m.ok(); });
    on("AT+CNMI=", [](ModemSim& m, F f) {
        m.cnmiMt = f.size() > 1 ? toInt(f[1], 0) : 0;
        m.cnmiDs = f.size() > 3 ? toInt(f[3], 0) : 0;
        m.ok();
    });
    on("AT+CPMS=", [](ModemSim& m, F f) {
        if (f[0] != "SM" && f[0] != "ME" && f[0] != "MT")
            return m.cmsError(302);
        m.ok({"+CPMS: " + std::to_string(m.store.size()) + "," + std::to_string(m.storeCapacity)});
    });
    on("AT+CMGS=", [](ModemSim& m, F f) {
        if (m.mDropResponses > 0) {
            --m.mDropResponses;
            return;
        }
        m.mTextNumber = f[0];
        m.mText.clear();
        m.mTextInput = true;
        m.out("\r\n> ", m.mNow + m.latencyMs);
    });
    on("AT+CMGR=", [](ModemSim& m, F f) {
        int index = toInt(f[0]);
        if (index < 1 || index > m.storeCapacity)
            return m.cmsError(321);
        auto it = m.store.find(index);
        if (it == m.store.end())
            return m.ok();
        StoredSms& s = it->second;
        // As a SIMCom modem prints it: the header, CR LF, the text as it is (line breaks
        // and all), then CR LF before the final result.
        std::string header = "+CMGR: \"" + s.status + "\",\"" + s.sender + "\",\"\",\"" + s.scts + "\"";
        if (m.csdh == 1)
            header += ",145,4,0,0,\"+447000000000\",145," + std::to_string(s.text.size());
        m.ok({header + "\r\n" + s.text});
        if (s.status == "REC UNREAD")
            s.status = "REC READ";
    });
    on("AT+CMGL=", [](ModemSim& m, F f) {
        bool keep = f.size() > 1 && f[1] == "1";
        if (f.size() > 1 && m.cmglModeRejected)
            return m.error();
        std::vector<std::string> info;
        for (auto& e : m.store) {
            StoredSms& s = e.second;
            if (f[0] != "ALL" && s.status != f[0])
                continue;
            std::string length = std::to_string(s.text.size());
            info.push_back("+CMGL: " + std::to_string(e.first) + ",\"" + s.status + "\",\"" + s.sender + "\",\"\",\"" +
                           s.scts + "\"" +
                           (m.csdh != 1     ? std::string()
                            : m.cmglFo < 0 ? ",145," + length
                                           : ",145," + std::to_string(m.cmglFo) + ",0,0,\"+447000000000\",145," + length) +
                           "\r\n" + s.text);
            if (!keep && s.status == "REC UNREAD")
                s.status = "REC READ";
        }
        m.ok(info);
    });
    on("AT+CMGD=", [](ModemSim& m, F f) {
        int index = toInt(f[0]);
        if (index < 1 || index > m.storeCapacity)
            return m.cmsError(321);
        m.store.erase(index);
        m.ok();
    });
    on("AT+CUSD=", [](ModemSim& m, F f) {
        int n = toInt(f[0], -1);
        if (n == 2)
            return m.ok();
        if (n != 1 || f.size() < 2)
            return m.cmeError(4);
        m.ussdRequests.push_back(f[1]);
        auto it = m.ussdScript.find(f[1]);
        UssdReply r = it != m.ussdScript.end() ? it->second : UssdReply{4, "", 15, 300};
        std::string urc = "+CUSD: " + std::to_string(r.m);
        if (!r.text.empty() || r.m <= 1)
            urc += ",\"" + r.text + "\"," + std::to_string(r.dcs);
        if (m.cusdHoldsOk) {
            m.later(r.delayMs, [&m, urc]() { m.ok({urc}); });
        } else {
            m.ok();
            m.schedule(r.delayMs, "\r\n" + urc + "\r\n");
        }
    });
    mHandlers.push_back({"AT", [](ModemSim& m, const std::string& l) { l.size() == 2 ? m.ok() : m.error(); }});
}
