// The data side of the simulated modem: the LTE (SIM7600: AT+NETOPEN, AT+CMQTT*) and
// 2G (SIM800: AT+SAPBR) commands and the HTTP service of both, added to ModemSim
// through its command handlers. Behind it the "modem" talks to real servers the way a
// real one talks to the internet: HTTP requests go out through libcurl, MQTT through
// libmosquitto. TLS is done here as in the modem: the certificate files the library
// downloaded (AT+CCERTDOWN) and the SSL contexts it configured (AT+CSSLCFG) are what
// libcurl and libmosquitto use for https:// and MQTT over TLS. Length-counted input
// (after "> " or "DOWNLOAD") is taken from the library's byte stream (ModemSim::dataInput)
// before the command parser sees it; the data side runs after each ModemSim::tick().
#pragma once

#include "modem_sim.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

struct mosquitto;
class TempDir;

class InternetModem
{
public:
    enum class Family { Lte, Gsm2G };

    InternetModem(ModemSim& sim, Family family);
    ~InternetModem();
    InternetModem(const InternetModem&) = delete;
    InternetModem& operator=(const InternetModem&) = delete;

    // A SIM that needs no PIN; AT+CEREG only on LTE modems.
    void simReady();

    // ---- network scenario ----
    // false: the data connection drops (LTE: "+CIPEVENT: NETWORK CLOSED UNEXPECTEDLY"
    // and "+CMQTTNONET"; 2G: "+SAPBR 1: DEACT"), opening fails and HTTP answers 601.
    void setNetworkAvailable(bool available);
    bool dataConnected() const { return mNetOpen; }

    // ---- tuning ----
    uint32_t actionDelayMs = 300;       // +HTTPACTION after OK
    size_t httpDataBlock = 200;         // LTE: bytes per "+HTTPREAD: DATA,<n>" block
    bool queryHidesOpenStack = false;   // LTE: AT+NETOPEN? answers 0 even when open
    int actionStatusOverride = 0;       // non-zero: +HTTPACTION reports this status, no body
    // Answer shapes of real firmware for the result lines of AT+NETOPEN, AT+CMQTTSTART,
    // AT+CMQTTCONNECT and AT+HTTPACTION (normally OK, then the result as a URC):
    bool resultBeforeOk = false;        // the result line, an empty line, then OK
    bool failureWithError = false;      // a failing result line, an empty line, then ERROR (no OK)
    bool noSpaceAfterColon = false;     // "+HTTPACTION:0,200,7438"
    int netopenBareErrors = 0;          // the next n AT+NETOPEN answer a bare ERROR (-1: always)
    // Called before an AT+HTTPREAD is answered (offset asked for); a test may change
    // the scenario here, e.g. drop the network in the middle of a body.
    std::function<void(size_t offset)> onHttpRead;
    // Called with every MQTT command before it is answered (e.g. to drop the broker).
    std::function<void(const std::string& command)> onMqttCommand;
    // The modem's name service: maps the URL the library gives (HTTP or MQTT server) to
    // the one the modem connects to, e.g. a fixed host name to a loopback server.
    std::function<std::string(const std::string& url)> resolveUrl;

    // ---- what the modem saw ----
    std::string apn;                    // last APN set (AT+CGDCONT / AT+SAPBR=3,1,"APN")
    int opens = 0;                      // successful NETOPEN / SAPBR=1,1
    int closes = 0;                     // NETCLOSE / SAPBR=0,1
    struct HttpExchange // an AT+HTTPACTION the modem ran
    {
        int method;
        std::string url;
        bool cidSet;
    };
    std::vector<HttpExchange> httpExchanges;
    std::vector<std::pair<size_t, size_t>> httpReads; // (offset, size) asked for
    bool httpInitialised() const { return mHttp.initialised; }
    // A recorded exchange initialised the HTTP service and ran the request: the modem
    // now holds `body` for AT+HTTPREAD.
    void adoptHttpResponse(const std::string& body);

    struct MqttConnect
    {
        std::string clientId, url, user, password, willTopic, willMessage;
        int keepAlive = 0, willQos = -1;
        bool clean = false;
    };
    std::vector<MqttConnect> mqttConnects;
    std::vector<std::string> mqttSubscriptions;

    // ---- TLS ----
    // Certificate files in the modem (name -> content); a test may put files here to
    // play a modem that already holds them.
    std::map<std::string, std::string> certFiles;
    std::vector<std::string> certDownloads;   // names downloaded with AT+CCERTDOWN
    struct SslContext
    {
        int version = 4, authMode = 0; // as set by AT+CSSLCFG (checked there)
        std::string caCert, clientCert, clientKey;
    };
    std::map<int, SslContext> sslContexts;    // AT+CSSLCFG settings by context
    bool httpSslcfgSupported = true;          // false: AT+HTTPPARA="SSLCFG" answers ERROR
    std::string lastTlsError;                 // the TLS library's reason for the last failure
    bool mqttStarted() const { return mMqtt.started; }
    int mqttStarts = 0;

    // Pumps libmosquitto in real time until `count` messages from the broker have been
    // received (queued or already handed to the library) or `ms` have passed.
    bool mqttWaitForMessages(size_t count, int ms)
    {
        return mqttPumpUntil([&] { return mMqtt.received >= count; }, ms);
    }
    // The modem loses its server connection on its own and reports it with `urc`
    // (e.g. "+CMQTTPING: 0,17" for a failed keep-alive).
    void mqttConnectionFails(const std::string& urc);
    size_t mqttMessagesReceived() const { return mMqtt.received; }

private:
    // A byte from the library: true when a data input took it (the command parser must
    // not see it).
    bool hostWrite(uint8_t b);
    // After ModemSim::tick(): delayed answers, restart detection, MQTT network traffic.
    void tick();
    void dataInput(size_t length, std::function<void(const std::string&)> done, bool download);
    void resetAll();
    void install();
    void installLte();
    void install2G();
    void installHttp();
    void installMqtt();
    // Answers a command whose outcome is the result line "<name>: <args>" (see the
    // answer shapes); `outcome` computes the arguments and tells whether they report a
    // failure. It runs at once or when the URC is due.
    void answerWithResult(ModemSim& m, const std::string& name, uint32_t delayMs,
                          std::function<std::pair<std::string, bool>()> outcome);
    std::pair<std::string, bool> httpAction(int method);
    void httpRead(size_t offset, size_t size);
    int mqttConnect(const MqttConnect& c);
    void mqttDropClient();
    void mqttPump(int timeoutMs);
    void mqttDeliver();
    void installTls();
    // Writes the context's files where libmosquitto reads them; false: a file is missing.
    bool tlsFilesFor(const SslContext& c, std::string* ca, std::string* cert, std::string* key);
    std::unique_ptr<TempDir> mTlsDir;
    // Pumps libmosquitto in real time until `done`, `ms` have passed or the client is gone.
    bool mqttPumpUntil(const std::function<bool()>& done, int ms);
    void mqttLost();
    void mqttRequest(const std::string& name, std::function<int(int* mid)> send);
    using Args = std::vector<std::string>;
    void on(const char* prefix, std::function<void(ModemSim&, const Args&)> h);

    ModemSim& mSim;
    Family mFamily;
    int mPowerOns = 0;
    int mResets = 0;
    bool mWasPowered = false;
    bool mNetworkAvailable = true;
    bool mNetOpen = false;

    // data input in progress
    bool mInput = false;
    size_t mInputLength = 0;
    std::string mInputData;
    std::function<void(const std::string&)> mInputDone;

    struct Http
    {
        bool initialised = false;
        std::string url, contentType, data;
        bool cidSet = false;
        bool busy = false;
        int sslContext = -1;   // AT+HTTPPARA="SSLCFG"
        bool ssl2G = false;    // AT+HTTPSSL=1
        std::string response;
    } mHttp;

    struct Mqtt
    {
        bool started = false;
        bool acquired = false;
        bool connected = false;
        bool tls = false;      // AT+CMQTTACCQ server type 1
        int sslContext = -1;   // AT+CMQTTSSLCFG
        std::string clientId;
        std::string willTopic, willMessage;
        int willQos = 0;
        std::string topic, payload;
        struct mosquitto* client = nullptr;
        int connack = -1;
        bool lost = false;
        std::set<int> acked;          // message ids the broker (or the socket) confirmed
        std::deque<std::pair<std::string, std::string>> inbox;
        size_t received = 0;
    } mMqtt;
};

// "+CMQTTRXSTART" to "+CMQTTRXEND" of one received message, topic and payload in chunks
// of these sizes.
std::string mqttRxSequence(const std::string& topic, const std::string& payload, size_t topicChunk = 1500,
                           size_t payloadChunk = 1500);
