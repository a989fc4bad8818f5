#include "internet_modem.h"
#include "test_servers.h"

#include <curl/curl.h>
#include <mosquitto.h>

#include <strings.h>

#include <openssl/err.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <tuple>

namespace {

// Statuses of a failed TLS handshake or verification: SIM7600 715, SIM800 605.
constexpr int kLteTlsFailure = 715;
constexpr int k2GTlsFailure = 605;
// "+CMQTTCONNECT: 0,<err>": handshake failed, certificate not set.
constexpr int kMqttHandshake = 32;
constexpr int kMqttNoCert = 33;
// Delays of +NETOPEN (AT+SAPBR=1,1's OK on 2G) and of the +CMQTTxxx results after OK.
constexpr uint32_t kOpenDelayMs = 400;
constexpr uint32_t kResultDelayMs = 50;

size_t collect(char* data, size_t size, size_t n, void* out)
{
    static_cast<std::string*>(out)->append(data, size * n);
    return size * n;
}

} // namespace

using simtext::toInt;

InternetModem::InternetModem(ModemSim& sim, Family family) : mSim(sim), mFamily(family)
{
    // libcurl and libmosquitto, set up once for the process.
    static const struct Libraries
    {
        Libraries() { curl_global_init(CURL_GLOBAL_DEFAULT); mosquitto_lib_init(); }
        ~Libraries() { mosquitto_lib_cleanup(); curl_global_cleanup(); }
    } libraries;
    mPowerOns = sim.powerOnCount;
    mResets = sim.resetCount;
    sim.dataInput = [this](uint8_t b) { return hostWrite(b); };
    sim.afterTick = [this] { tick(); };
    install();
}

void InternetModem::simReady()
{
    mSim.sim = ModemSim::Sim::Ready;
    mSim.simPin.clear();
    mSim.cereg = mFamily == Family::Lte;
}

InternetModem::~InternetModem()
{
    mSim.dataInput = nullptr;
    mSim.afterTick = nullptr;
    mqttDropClient();
}

void InternetModem::dataInput(size_t length, std::function<void(const std::string&)> done, bool download)
{
    mInput = true;
    mInputLength = length;
    mInputData.clear();
    mInputDone = std::move(done);
    mSim.schedule(mSim.latencyMs, download ? "\r\nDOWNLOAD\r\n" : "\r\n>");
}

bool InternetModem::hostWrite(uint8_t b)
{
    if (!mInput)
        return false;
    if (!mSim.uartReady())
        return true;
    if (b == 0x1B) {
        mInput = false; // ESC abandons the input, no answer
        mInputDone = nullptr;
        return true;
    }
    mInputData += static_cast<char>(b);
    if (mInputData.size() >= mInputLength) {
        mInput = false;
        auto done = std::move(mInputDone);
        mInputDone = nullptr;
        if (done)
            done(mInputData);
    }
    return true;
}

void InternetModem::resetAll()
{
    mNetOpen = false;
    mInput = false;
    mInputDone = nullptr;
    mHttp = Http();
    mqttDropClient();
    mMqtt.started = false;
    mMqtt.acquired = false;
    mMqtt.inbox.clear();
    sslContexts.clear(); // the file system (certFiles) keeps its files
}

void InternetModem::tick()
{
    bool powered = mSim.poweredOn();
    if (mSim.powerOnCount != mPowerOns || mSim.resetCount != mResets || (mWasPowered && !powered)) {
        mPowerOns = mSim.powerOnCount;
        mResets = mSim.resetCount;
        resetAll();
    }
    mWasPowered = powered;
    if (mMqtt.client) {
        mqttPump(0);
        mqttDeliver();
    }
}

void InternetModem::setNetworkAvailable(bool available)
{
    mNetworkAvailable = available;
    if (available || !mSim.uartReady())
        return;
    if (mNetOpen) {
        mNetOpen = false;
        mSim.emitUrc(mFamily == Family::Lte ? "+CIPEVENT: NETWORK CLOSED UNEXPECTEDLY" : "+SAPBR 1: DEACT");
    }
    if (mMqtt.started) {
        mqttDropClient();
        mMqtt.started = false;
        mMqtt.acquired = false;
        mSim.emitUrc("+CMQTTNONET");
    }
}

void InternetModem::install()
{
    if (mFamily == Family::Lte) {
        installLte();
        installMqtt();
        installTls();
    } else {
        install2G();
    }
    installHttp();
}

// Every MQTT command is seen by onMqttCommand first.
void InternetModem::on(const char* prefix, std::function<void(ModemSim&, const Args&)> h)
{
    bool mqtt = std::string(prefix).compare(0, 8, "AT+CMQTT") == 0;
    mSim.addHandler(prefix, [this, h, mqtt](ModemSim& m, const std::string& l) {
        if (mqtt && onMqttCommand)
            onMqttCommand(l);
        h(m, simtext::args(l));
    });
}

// ------------------------------------------------------------------- LTE ----

void InternetModem::installLte()
{
    on("AT+CGDCONT=", [this](ModemSim& m, const Args& f) {
        if (f.size() < 3 || f[0] != "1")
            return m.error();
        apn = f[2];
        m.ok();
    });
    on("AT+CSOCKSETPN=", [](ModemSim& m, const Args&) { m.ok(); });
    mSim.addHandler("AT+NETOPEN", [this](ModemSim& m, const std::string& l) {
        if (l.size() != 10)
            return m.error();
        if (mNetOpen)
            return m.respond({"+IP ERROR: Network is already opened"}, "ERROR");
        if (netopenBareErrors != 0) {
            netopenBareErrors -= netopenBareErrors > 0;
            return m.error();
        }
        answerWithResult(m, "+NETOPEN", kOpenDelayMs, [this]() {
            if (!mNetworkAvailable)
                return std::make_pair(std::string("1"), true);
            mNetOpen = true;
            ++opens;
            return std::make_pair(std::string("0"), false);
        });
    });
    // Registered after AT+NETOPEN so that it is matched first.
    on("AT+NETOPEN?", [this](ModemSim& m, const Args&) {
        m.ok({std::string("+NETOPEN: ") + (mNetOpen && !queryHidesOpenStack ? "1" : "0")});
    });
    on("AT+NETCLOSE", [this](ModemSim& m, const Args&) {
        if (!mNetOpen)
            return m.respond({"+IP ERROR: Network not opened"}, "ERROR");
        mNetOpen = false;
        ++closes;
        m.ok();
        m.schedule(m.latencyMs + 100, "\r\n+NETCLOSE: 0\r\n");
    });
}

// -------------------------------------------------------------------- 2G ----

void InternetModem::install2G()
{
    on("AT+SAPBR=", [this](ModemSim& m, const Args& f) {
        int cmd = toInt(f[0]);
        if (f.size() < 2 || f[1] != "1" || (cmd == 0 && !mNetOpen) || (cmd == 1 && mNetOpen) ||
            (cmd == 3 && f.size() < 4) || cmd < 0 || cmd > 3)
            return m.error();
        if (cmd == 0) {
            mNetOpen = false;
            ++closes;
            m.ok();
        } else if (cmd == 1) {
            mSim.later(kOpenDelayMs, [this]() {
                if (!mNetworkAvailable)
                    return mSim.error();
                mNetOpen = true;
                ++opens;
                mSim.ok();
            });
        } else if (cmd == 2) {
            m.ok({std::string("+SAPBR: 1,") + (mNetOpen ? "1,\"10.64.12.7\"" : "3,\"0.0.0.0\"")});
        } else {
            if (f[2] == "APN")
                apn = f[3];
            m.ok();
        }
    });
}

// ------------------------------------------------------------------ HTTP ----

void InternetModem::installHttp()
{
    on("AT+HTTPINIT", [this](ModemSim& m, const Args&) {
        if (mHttp.initialised)
            return m.error();
        mHttp = Http();
        mHttp.initialised = true;
        m.ok();
    });
    on("AT+HTTPTERM", [this](ModemSim& m, const Args&) {
        if (!mHttp.initialised)
            return m.error();
        mHttp = Http();
        m.ok();
    });
    on("AT+HTTPPARA=", [this](ModemSim& m, const Args& f) {
        if (!mHttp.initialised || f.size() != 2)
            return m.error();
        if (f[0] == "URL")
            mHttp.url = f[1];
        else if (f[0] == "CONTENT")
            mHttp.contentType = f[1];
        else if (f[0] == "CID" && mFamily == Family::Gsm2G && f[1] == "1")
            mHttp.cidSet = true;
        else if (f[0] == "SSLCFG" && mFamily == Family::Lte && httpSslcfgSupported && toInt(f[1]) >= 0)
            mHttp.sslContext = toInt(f[1]);
        else
            return m.error();
        m.ok();
    });
    if (mFamily == Family::Gsm2G) {
        on("AT+HTTPSSL=", [this](ModemSim& m, const Args& f) {
            int on = toInt(f[0]);
            if (!mHttp.initialised || on < 0 || on > 1)
                return m.error();
            mHttp.ssl2G = on == 1;
            m.ok();
        });
    }
    on("AT+HTTPDATA=", [this](ModemSim& m, const Args& f) {
        int n = toInt(f[0]);
        if (!mHttp.initialised || f.size() != 2 || n <= 0 || toInt(f[1]) <= 0)
            return m.error();
        dataInput(static_cast<size_t>(n), [this](const std::string& data) {
            mHttp.data = data;
            mSim.ok();
        }, true);
    });
    on("AT+HTTPACTION=", [this](ModemSim& m, const Args& f) {
        int method = toInt(f[0]);
        if (!mHttp.initialised || mHttp.url.empty() || mHttp.busy || method < 0 || method > 1) // GET, POST
            return m.error();
        mHttp.busy = true;
        answerWithResult(m, "+HTTPACTION", actionDelayMs, [this, method]() { return httpAction(method); });
    });
    on("AT+HTTPREAD=", [this](ModemSim& m, const Args& f) {
        int offset = toInt(f[0]);
        int size = f.size() > 1 ? toInt(f[1]) : -1;
        if (!mHttp.initialised || offset < 0 || size <= 0 || mHttp.busy)
            return m.error();
        httpReads.push_back({static_cast<size_t>(offset), static_cast<size_t>(size)});
        if (onHttpRead)
            onHttpRead(static_cast<size_t>(offset));
        httpRead(static_cast<size_t>(offset), static_cast<size_t>(size));
    });
}

void InternetModem::answerWithResult(ModemSim& m, const std::string& name, uint32_t delayMs,
                                     std::function<std::pair<std::string, bool>()> outcome)
{
    std::string colon = noSpaceAfterColon ? ":" : ": ";
    if (!resultBeforeOk && !failureWithError) {
        m.ok();
        mSim.later(delayMs, [this, name, colon, outcome]() { mSim.emitUrc(name + colon + outcome().first); });
        return;
    }
    std::pair<std::string, bool> r = outcome();
    if (r.second && failureWithError) {
        m.respond({name + colon + r.first, ""}, "ERROR");
    } else if (resultBeforeOk) {
        m.respond({name + colon + r.first, ""}, "OK");
    } else {
        m.ok();
        mSim.later(delayMs, [this, name, colon, r]() { mSim.emitUrc(name + colon + r.first); });
    }
}

std::pair<std::string, bool> InternetModem::httpAction(int method)
{
    httpExchanges.push_back({method, mHttp.url, mHttp.cidSet});
    mHttp.busy = false;
    mHttp.response.clear();

    int status;
    if (actionStatusOverride != 0) {
        status = actionStatusOverride;
    } else if (!mNetOpen || !mNetworkAvailable || (mFamily == Family::Gsm2G && !mHttp.cidSet)) {
        status = 601;
    } else {
        CURL* curl = curl_easy_init();
        struct curl_slist* headers = nullptr;
        std::string target = resolveUrl ? resolveUrl(mHttp.url) : mHttp.url;
        curl_easy_setopt(curl, CURLOPT_URL, target.c_str());
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &collect);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &mHttp.response);
        curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_PROXY, "");
        char tlsError[CURL_ERROR_SIZE] = "";
        curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, tlsError);
        bool https = ::strncasecmp(mHttp.url.c_str(), "https://", 8) == 0;
        int tlsFailure = mFamily == Family::Lte ? kLteTlsFailure : k2GTlsFailure;
        // LTE: the context named with "SSLCFG", else context 0 (as firmware without the
        // parameter does); one never configured has the defaults (no verification).
        bool tlsReady = !https || mFamily == Family::Lte || mHttp.ssl2G;
        if (https && mFamily == Family::Gsm2G) {
            // SIM800: no verification, no client certificate, TLS 1.2 at most.
            curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
            curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
            curl_easy_setopt(curl, CURLOPT_SSLVERSION, CURL_SSLVERSION_TLSv1 | CURL_SSLVERSION_MAX_TLSv1_2);
        } else if (https && tlsReady) {
            const SslContext& c = sslContexts[mHttp.sslContext >= 0 ? mHttp.sslContext : 0];
            static const long kVersions[] = {CURL_SSLVERSION_SSLv3,
                                             CURL_SSLVERSION_TLSv1_0 | CURL_SSLVERSION_MAX_TLSv1_0,
                                             CURL_SSLVERSION_TLSv1_1 | CURL_SSLVERSION_MAX_TLSv1_1,
                                             CURL_SSLVERSION_TLSv1_2 | CURL_SSLVERSION_MAX_TLSv1_2,
                                             CURL_SSLVERSION_DEFAULT};
            curl_easy_setopt(curl, CURLOPT_SSLVERSION, kVersions[c.version]);
            curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, c.authMode >= 1 ? 1L : 0L);
            curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, c.authMode >= 1 ? 2L : 0L);
            std::string ca, cert, key;
            tlsReady = tlsFilesFor(c, &ca, &cert, &key);
            curl_easy_setopt(curl, CURLOPT_CAINFO, ca.empty() ? nullptr : ca.c_str());
            curl_easy_setopt(curl, CURLOPT_SSLCERT, cert.empty() ? nullptr : cert.c_str());
            curl_easy_setopt(curl, CURLOPT_SSLKEY, key.empty() ? nullptr : key.c_str());
        }
        if (method == 1) {
            curl_easy_setopt(curl, CURLOPT_POST, 1L);
            curl_easy_setopt(curl, CURLOPT_POSTFIELDS, mHttp.data.data());
            curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(mHttp.data.size()));
            std::string type = "Content-Type: " + (mHttp.contentType.empty() ? "text/plain" : mHttp.contentType);
            headers = curl_slist_append(headers, type.c_str());
            headers = curl_slist_append(headers, "Expect:");
            curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        }
        CURLcode rc = tlsReady ? curl_easy_perform(curl) : CURLE_SSL_CONNECT_ERROR;
        long code = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &code);
        curl_slist_free_all(headers);
        curl_easy_cleanup(curl);
        // A handshake the server ends (a missing client certificate under TLS 1.3:
        // the client has finished its part) shows as a reset while sending or
        // receiving the request.
        bool tlsFailed = https && (rc == CURLE_SSL_CONNECT_ERROR || rc == CURLE_PEER_FAILED_VERIFICATION ||
                                   rc == CURLE_SSL_CERTPROBLEM || rc == CURLE_SSL_CACERT_BADFILE ||
                                   rc == CURLE_SSL_CIPHER || rc == CURLE_SEND_ERROR || rc == CURLE_RECV_ERROR ||
                                   rc == CURLE_GOT_NOTHING);
        if (https && rc != CURLE_OK)
            lastTlsError = tlsReady ? tlsError : "no SSL context or certificate";
        if (tlsFailed)
            status = tlsFailure;
        else if (rc == CURLE_COULDNT_RESOLVE_HOST)
            status = 603;
        else if (rc != CURLE_OK)
            status = 601;
        else
            status = static_cast<int>(code);
    }
    if (status >= 600)
        mHttp.response.clear();
    return {std::to_string(method) + "," + std::to_string(status) + "," + std::to_string(mHttp.response.size()),
            false};
}

void InternetModem::adoptHttpResponse(const std::string& body)
{
    mHttp.initialised = true;
    mHttp.busy = false;
    mHttp.response = body;
}

void InternetModem::httpRead(size_t offset, size_t size)
{
    const std::string& body = mHttp.response;
    std::string piece = offset < body.size() ? body.substr(offset, size) : std::string();
    if (mFamily == Family::Gsm2G) {
        mSim.respond({"+HTTPREAD: " + std::to_string(piece.size()) + "\r\n" + piece}, "OK");
        return;
    }
    mSim.ok();
    // After the OK: the data in blocks, then the end marker.
    mSim.later(mSim.latencyMs + 1, [this, piece]() {
        std::string out;
        for (size_t at = 0; at < piece.size(); at += httpDataBlock) {
            std::string block = piece.substr(at, httpDataBlock);
            out += "\r\n+HTTPREAD: DATA," + std::to_string(block.size()) + "\r\n" + block;
        }
        out += "\r\n+HTTPREAD: 0\r\n";
        mSim.emitRaw(out);
    });
}

// ------------------------------------------------------------------ MQTT ----

// "<name>: 0,<0|11>" after the broker confirmed (or not, within 3 s) what `send` asked of it.
void InternetModem::mqttRequest(const std::string& name, std::function<int(int* mid)> send)
{
    mSim.later(kResultDelayMs, [this, name, send]() {
        int mid = 0;
        bool acked = mMqtt.connected && send(&mid) == MOSQ_ERR_SUCCESS &&
                     mqttPumpUntil([&] { return mMqtt.acked.count(mid) || !mMqtt.connected; }, 3000) &&
                     mMqtt.acked.count(mid);
        mSim.emitUrc(name + ": 0," + (acked ? "0" : "11"));
    });
}

void InternetModem::installMqtt()
{
    on("AT+CMQTTSTART", [this](ModemSim& m, const Args&) {
        if (mMqtt.started)
            return m.respond({"+CMQTTSTART: 23"}, "ERROR");
        answerWithResult(m, "+CMQTTSTART", kResultDelayMs, [this]() {
            if (!mNetworkAvailable)
                return std::make_pair(std::string("7"), true);
            mMqtt.started = true;
            ++mqttStarts;
            return std::make_pair(std::string("0"), false);
        });
    });
    on("AT+CMQTTSTOP", [this](ModemSim& m, const Args&) {
        if (!mMqtt.started || mMqtt.acquired)
            return m.error();
        mMqtt.started = false;
        m.ok();
        mSim.later(kResultDelayMs, [this]() { mSim.emitUrc("+CMQTTSTOP: 0"); });
    });
    on("AT+CMQTTACCQ=", [this](ModemSim& m, const Args& f) {
        if (!mMqtt.started || f.size() < 2 || f[0] != "0" || f[1].empty())
            return m.error();
        if (mMqtt.acquired)
            return m.respond({"+CMQTTACCQ: 0,19"}, "ERROR");
        mMqtt.acquired = true;
        mMqtt.clientId = f[1];
        mMqtt.tls = f.size() > 2 && f[2] == "1";
        mMqtt.sslContext = -1;
        mMqtt.willTopic.clear();
        mMqtt.willMessage.clear();
        m.ok();
    });
    on("AT+CMQTTSSLCFG=", [this](ModemSim& m, const Args& f) {
        if (!mMqtt.acquired || f.size() != 2 || f[0] != "0" || toInt(f[1]) < 0 || toInt(f[1]) > 9)
            return m.error();
        mMqtt.sslContext = toInt(f[1]);
        m.ok();
    });
    on("AT+CMQTTREL=", [this](ModemSim& m, const Args&) {
        if (!mMqtt.acquired || mMqtt.connected)
            return m.error();
        mMqtt.acquired = false;
        mqttDropClient();
        m.ok();
    });
    // Length-counted inputs after ">"; `store` answers.
    auto input = [this](const char* prefix, std::function<void(const Args&, const std::string&)> store) {
        on(prefix, [this, store](ModemSim& m, const Args& f) {
            int n = f.size() > 1 ? toInt(f[1]) : -1;
            if (!mMqtt.acquired || f[0] != "0" || n <= 0 || n > 10240)
                return m.error();
            dataInput(static_cast<size_t>(n), [store, f](const std::string& data) { store(f, data); }, false);
        });
    };
    auto qos = [](const Args& f) { return f.size() > 2 ? toInt(f[2], 0) : 0; };
    input("AT+CMQTTWILLTOPIC=", [this](const Args&, const std::string& d) {
        mMqtt.willTopic = d;
        mSim.ok();
    });
    input("AT+CMQTTWILLMSG=", [this, qos](const Args& f, const std::string& d) {
        mMqtt.willMessage = d;
        mMqtt.willQos = qos(f);
        mSim.ok();
    });
    input("AT+CMQTTTOPIC=", [this](const Args&, const std::string& d) {
        mMqtt.topic = d;
        mSim.ok();
    });
    input("AT+CMQTTPAYLOAD=", [this](const Args&, const std::string& d) {
        mMqtt.payload = d;
        mSim.ok();
    });
    input("AT+CMQTTSUB=", [this, qos](const Args& f, const std::string& d) {
        mSim.ok();
        mqttSubscriptions.push_back(d);
        int q = qos(f);
        mqttRequest("+CMQTTSUB", [this, d, q](int* mid) { return mosquitto_subscribe(mMqtt.client, mid, d.c_str(), q); });
    });
    input("AT+CMQTTUNSUB=", [this](const Args&, const std::string& d) {
        mSim.ok();
        mqttRequest("+CMQTTUNSUB", [this, d](int* mid) { return mosquitto_unsubscribe(mMqtt.client, mid, d.c_str()); });
    });
    on("AT+CMQTTCONNECT=", [this](ModemSim& m, const Args& f) {
        if (!mMqtt.acquired || mMqtt.connected || f.size() < 3 || f[0] != "0")
            return m.error();
        MqttConnect c;
        c.clientId = mMqtt.clientId;
        c.url = f[1];
        c.keepAlive = toInt(f[2], 0);
        c.clean = f.size() > 3 && f[3] == "1";
        c.user = f.size() > 4 ? f[4] : "";
        c.password = f.size() > 5 ? f[5] : "";
        c.willTopic = mMqtt.willTopic;
        c.willMessage = mMqtt.willMessage;
        c.willQos = mMqtt.willTopic.empty() ? -1 : mMqtt.willQos;
        mqttConnects.push_back(c);
        answerWithResult(m, "+CMQTTCONNECT", kResultDelayMs, [this, c]() {
            int err = mqttConnect(c);
            return std::make_pair("0," + std::to_string(err), err != 0);
        });
    });
    on("AT+CMQTTPUB=", [this](ModemSim& m, const Args& f) {
        if (!mMqtt.acquired || f.size() < 3 || f[0] != "0" || mMqtt.topic.empty())
            return m.error();
        int qos = toInt(f[1], 0);
        bool retain = f.size() > 3 && f[3] == "1";
        std::string topic, payload;
        topic.swap(mMqtt.topic);
        payload.swap(mMqtt.payload);
        m.ok();
        mqttRequest("+CMQTTPUB", [this, qos, retain, topic, payload](int* mid) {
            return mosquitto_publish(mMqtt.client, mid, topic.c_str(), static_cast<int>(payload.size()), payload.data(),
                                     qos, retain);
        });
    });
    on("AT+CMQTTDISC=", [this](ModemSim& m, const Args&) {
        if (!mMqtt.acquired)
            return m.error();
        m.ok();
        mSim.later(kResultDelayMs, [this]() {
            bool was = mMqtt.connected;
            if (was) {
                mosquitto_disconnect(mMqtt.client);
                mqttPump(10);
            }
            mMqtt.connected = false;
            mSim.emitUrc(std::string("+CMQTTDISC: 0,") + (was ? "0" : "11"));
        });
    });
}

// ------------------------------------------------------------------- TLS ----

void InternetModem::installTls()
{
    mSim.addHandler("AT+CCERTLIST", [this](ModemSim& m, const std::string& l) {
        if (l != "AT+CCERTLIST")
            return m.error();
        std::vector<std::string> lines;
        for (const auto& f : certFiles)
            lines.push_back("+CCERTLIST: \"" + f.first + "\"");
        m.ok(lines);
    });
    on("AT+CCERTDOWN=", [this](ModemSim& m, const Args& f) {
        int n = f.size() == 2 ? toInt(f[1]) : -1;
        if (f.size() != 2 || f[0].empty() || f[0].find('/') != std::string::npos || n <= 0 || n > 10240)
            return m.error();
        std::string name = f[0];
        dataInput(static_cast<size_t>(n), [this, name](const std::string& data) {
            certFiles[name] = data;
            certDownloads.push_back(name);
            mSim.ok();
        }, false);
    });
    on("AT+CCERTDELE=", [this](ModemSim& m, const Args& f) {
        if (f.size() != 1 || certFiles.erase(f[0]) == 0)
            return m.error();
        m.ok();
    });
    on("AT+CSSLCFG=", [this](ModemSim& m, const Args& f) {
        int ctx = f.size() == 3 ? toInt(f[1]) : -1;
        if (ctx < 0 || ctx > 9)
            return m.error();
        SslContext& c = sslContexts[ctx];
        const std::string& key = f[0];
        bool file = key == "cacert" || key == "clientcert" || key == "clientkey";
        if (file && !certFiles.count(f[2]))
            return m.error(); // no such file in the modem
        int v = toInt(f[2]);
        if (key == "sslversion" && v >= 0 && v <= 4)
            c.version = v;
        else if (key == "authmode" && v >= 0 && v <= 3)
            c.authMode = v;
        else if (file)
            (key == "cacert" ? c.caCert : key == "clientcert" ? c.clientCert : c.clientKey) = f[2];
        else if (key != "enableSNI" || (v != 0 && v != 1)) // SNI: accepted, not needed on loopback
            return m.error();
        m.ok();
    });
}

bool InternetModem::tlsFilesFor(const SslContext& c, std::string* ca, std::string* cert, std::string* key)
{
    if (!mTlsDir)
        mTlsDir.reset(new TempDir("tarvex-modem-certs"));
    if (mTlsDir->path().empty())
        return false;
    auto write = [&](const std::string& name, std::string* path) {
        auto it = certFiles.find(name);
        if (it == certFiles.end())
            return false;
        *path = mTlsDir->path() + "/" + name;
        std::ofstream(*path, std::ios::binary | std::ios::trunc) << it->second;
        return true;
    };
    ca->clear();
    cert->clear();
    key->clear();
    if (c.authMode >= 1 && !write(c.caCert, ca))
        return false;
    if (c.authMode == 2 && (!write(c.clientCert, cert) || !write(c.clientKey, key)))
        return false;
    return true;
}

bool InternetModem::mqttPumpUntil(const std::function<bool()>& done, int ms)
{
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done() && mMqtt.client && std::chrono::steady_clock::now() < until)
        mqttPump(10);
    return done();
}

int InternetModem::mqttConnect(const MqttConnect& c)
{
    // "tcp://host:port"
    std::string url = resolveUrl ? resolveUrl(c.url) : c.url;
    if (url.compare(0, 6, "tcp://") == 0)
        url = url.substr(6);
    size_t colon = url.rfind(':');
    std::string host = url.substr(0, colon);
    int port = colon == std::string::npos ? 1883 : toInt(url.substr(colon + 1), -1);
    if (!mNetworkAvailable || port <= 0)
        return 3;
    mqttDropClient();
    mMqtt.client = mosquitto_new(c.clientId.c_str(), c.clean, this);
    static const auto me = [](void* self) { return static_cast<InternetModem*>(self); };
    mosquitto_connect_callback_set(mMqtt.client, [](mosquitto*, void* self, int rc) { me(self)->mMqtt.connack = rc; });
    mosquitto_disconnect_callback_set(mMqtt.client, [](mosquitto*, void* self, int rc) {
        if (rc != 0)
            me(self)->mqttLost();
    });
    mosquitto_message_callback_set(mMqtt.client, [](mosquitto*, void* self, const mosquitto_message* msg) {
        me(self)->mMqtt.inbox.push_back(
            {msg->topic, std::string(static_cast<const char*>(msg->payload), static_cast<size_t>(msg->payloadlen))});
        ++me(self)->mMqtt.received;
    });
    // A subscription, unsubscription or publication the broker confirmed.
    mosquitto_subscribe_callback_set(mMqtt.client,
                                     [](mosquitto*, void* self, int mid, int, const int*) { me(self)->mMqtt.acked.insert(mid); });
    mosquitto_unsubscribe_callback_set(mMqtt.client, [](mosquitto*, void* self, int mid) { me(self)->mMqtt.acked.insert(mid); });
    mosquitto_publish_callback_set(mMqtt.client, [](mosquitto*, void* self, int mid) { me(self)->mMqtt.acked.insert(mid); });
    if (!c.willTopic.empty())
        mosquitto_will_set(mMqtt.client, c.willTopic.c_str(), static_cast<int>(c.willMessage.size()),
                           c.willMessage.data(), c.willQos, false);
    if (!c.user.empty())
        mosquitto_username_pw_set(mMqtt.client, c.user.c_str(), c.password.empty() ? nullptr : c.password.c_str());
    if (mMqtt.tls) {
        auto it = sslContexts.find(mMqtt.sslContext);
        std::string ca, cert, key;
        if (it == sslContexts.end() || !tlsFilesFor(it->second, &ca, &cert, &key)) {
            mqttDropClient();
            return kMqttNoCert;
        }
        const SslContext& s = it->second;
        static const char* const kVersions[] = {"sslv3", "tlsv1", "tlsv1.1", "tlsv1.2", nullptr};
        // Without verification any CA location will do: it is not consulted.
        mosquitto_tls_set(mMqtt.client, ca.empty() ? nullptr : ca.c_str(), ca.empty() ? "/etc/ssl/certs" : nullptr,
                          cert.empty() ? nullptr : cert.c_str(), key.empty() ? nullptr : key.c_str(), nullptr);
        mosquitto_tls_opts_set(mMqtt.client, s.authMode >= 1 ? 1 : 0,
                               kVersions[s.version], nullptr);
        mosquitto_tls_insecure_set(mMqtt.client, s.authMode == 0);
    }
    mMqtt.connack = -1;
    mMqtt.lost = false;
    int rc = mosquitto_connect(mMqtt.client, host.c_str(), port, c.keepAlive);
    // Under TLS 1.3 a server that wants a client certificate rejects the session when
    // the client has finished: a protocol error on the socket.
    bool tlsRejected = mMqtt.tls && (rc == MOSQ_ERR_TLS || (rc == MOSQ_ERR_ERRNO && errno == EPROTO));
    if (rc != MOSQ_ERR_SUCCESS) {
        if (tlsRejected) {
            unsigned long e = ERR_peek_last_error();
            lastTlsError = e ? ERR_reason_error_string(e) ? ERR_reason_error_string(e) : "TLS" : "TLS";
            ERR_clear_error();
        }
        mqttDropClient();
        return tlsRejected ? kMqttHandshake : 3; // handshake or socket connect failed
    }
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (mMqtt.connack < 0 && !mMqtt.lost && std::chrono::steady_clock::now() < until) {
        // Before the CONNACK nothing is "lost" yet: a TLS server that ends the session
        // here (no client certificate under TLS 1.3) failed the handshake.
        rc = mosquitto_loop(mMqtt.client, 10, 1);
        if (rc != MOSQ_ERR_SUCCESS && mMqtt.connack < 0) {
            mqttDropClient();
            ERR_clear_error();
            lastTlsError = mMqtt.tls ? "the server ended the TLS session" : "";
            return mMqtt.tls ? kMqttHandshake : 3;
        }
    }
    if (mMqtt.connack == 0) {
        mMqtt.connected = true;
        return 0;
    }
    int err = mMqtt.connack > 0 ? 26 + mMqtt.connack : 17; // 27..31 refused, 17 timeout
    mqttDropClient();
    return err;
}

void InternetModem::mqttDropClient()
{
    if (mMqtt.client) {
        mosquitto_destroy(mMqtt.client);
        mMqtt.client = nullptr;
    }
    mMqtt.connected = false;
}

void InternetModem::mqttPump(int timeoutMs)
{
    if (!mMqtt.client)
        return;
    if (mosquitto_loop(mMqtt.client, timeoutMs, 1) != MOSQ_ERR_SUCCESS)
        mqttLost();
}

// The broker went away: the modem reports the lost connection.
void InternetModem::mqttLost()
{
    if (!mMqtt.connected)
        return;
    mMqtt.connected = false;
    mMqtt.lost = true;
    mSim.emitUrc("+CMQTTCONNLOST: 0,1");
}

std::string mqttRxSequence(const std::string& topic, const std::string& payload, size_t topicChunk, size_t payloadChunk)
{
    std::string m = "\r\n+CMQTTRXSTART: 0," + std::to_string(topic.size()) + "," + std::to_string(payload.size()) + "\r\n";
    for (auto part : {std::make_tuple("+CMQTTRXTOPIC: 0,", &topic, topicChunk),
                      std::make_tuple("+CMQTTRXPAYLOAD: 0,", &payload, payloadChunk)}) {
        const std::string& text = *std::get<1>(part);
        for (size_t at = 0; at < text.size(); at += std::get<2>(part)) {
            std::string chunk = text.substr(at, std::get<2>(part));
            m += std::get<0>(part) + std::to_string(chunk.size()) + "\r\n" + chunk + "\r\n";
        }
    }
    return m + "+CMQTTRXEND: 0\r\n";
}

void InternetModem::mqttDeliver()
{
    if (mInput || mMqtt.inbox.empty())
        return;
    mSim.emitRaw(mqttRxSequence(mMqtt.inbox.front().first, mMqtt.inbox.front().second));
    mMqtt.inbox.pop_front();
}

void InternetModem::mqttConnectionFails(const std::string& urc)
{
    mqttDropClient();
    mSim.emitUrc(urc);
}
