// Real servers on the loopback interface for the internet tests: a small HTTP/1.1
// server running in a thread of the test process (plain or HTTPS through OpenSSL), and
// a mosquitto broker started as a child process with a temporary configuration (plain
// or a TLS listener). Both pick a free port. TestPki makes the certificates with the
// openssl command at run time.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A folder /tmp/<prefix>-XXXXXX, readable by all (the broker may drop root
// privileges); removed with its contents when this goes. Empty path: not made.
class TempDir
{
public:
    explicit TempDir(const std::string& prefix);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return mPath; }

private:
    std::string mPath;
};

// Starts `command` through the shell, its standard output and error to `outFd` when
// given; -1 when it cannot.
pid_t spawnShell(const std::string& command, int outFd = -1);
// Ends a child process: SIGTERM, SIGKILL after `graceMs`; waits for it; *pid = -1.
void endChild(pid_t* pid, int graceMs = 5000);

class HttpTestServer
{
public:
    struct Request
    {
        std::string method, path, contentType, body;
    };
    struct Response
    {
        int status = 200;
        std::string body;
    };

    // TLS settings (PEM file paths); clientCa set: a client certificate signed by it is
    // required.
    struct Tls
    {
        std::string cert, key, clientCa;
    };

    // Listens on 127.0.0.1:<free port> (see ok()); with a certificate, over TLS (https://).
    explicit HttpTestServer(const Tls& tls = Tls());
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    bool ok() const { return mListen >= 0; }
    std::string url(const std::string& path) const;

    // GET <path> answers with this; unknown paths give 404. POST answers 201 with
    // "received <n> bytes".
    void route(const std::string& path, const Response& r);
    std::vector<Request> requests() const;

private:
    void serve();
    void handle(int fd, struct ssl_st* ssl);

    struct ssl_ctx_st* mTls = nullptr;
    int mListen = -1;
    uint16_t mPort = 0;
    std::atomic<bool> mStop{false};
    std::thread mThread;
    mutable std::mutex mMutex;
    std::map<std::string, Response> mRoutes;
    std::vector<Request> mRequests;
};

class MosquittoBroker
{
public:
    MosquittoBroker() = default;
    // A TLS listener with these PEM files; clientCa set: client certificates required.
    MosquittoBroker(const std::string& cert, const std::string& key, const std::string& clientCa)
        : mCert(cert), mKey(key), mClientCa(clientCa)
    {
    }
    ~MosquittoBroker();
    MosquittoBroker(const MosquittoBroker&) = delete;
    MosquittoBroker& operator=(const MosquittoBroker&) = delete;

    // Starts the broker (on a free port the first time, on the same port afterwards)
    // and waits until it accepts connections. Returns false with a reason in error().
    bool start();
    void stop();
    bool running() const { return mPid > 0; }
    uint16_t port() const { return mPort; }
    const std::string& error() const { return mError; }
    std::string url() const { return "tcp://127.0.0.1:" + std::to_string(mPort); }

private:
    bool startOnce();

    pid_t mPid = -1;
    uint16_t mPort = 0;
    std::string mCert, mKey, mClientCa;
    TempDir mDir{"tarvex-broker"};
    std::string mError;
};

// A test certificate authority and certificates made with openssl in a temporary
// folder: ca (the CA), otherca (a CA nobody used), server (127.0.0.1 and localhost),
// expired (the same names, no longer valid), wronghost (only "wrong.example"), client
// (signed by ca). path("server.pem"), path("server.key"), read("ca.pem").
class TestPki
{
public:
    TestPki();
    bool ok() const { return mOk; }
    const std::string& error() const { return mError; }
    std::string path(const std::string& name) const { return mDir.path() + "/" + name; }
    std::string read(const std::string& name) const;

private:
    bool run(const std::string& command);
    TempDir mDir{"tarvex-pki"};
    std::string mError;
    bool mOk = false;
};

// A response body that would trip a line-based reader: every byte value (NUL, CR, LF,
// Ctrl-Z, ESC, '>'), final result codes and read headers at line starts.
inline std::string trickyBody(size_t length)
{
    static const std::string traps[] = {"\r\nOK\r\n", "\r\n+HTTPREAD: 0\r\n", "\r\n> ", "\r\nERROR\r\n",
                                        "+HTTPREAD: DATA,10\r\n", "\r\n+CME ERROR: 3\r\n"};
    std::string s;
    uint32_t x = 12345;
    size_t trap = 0;
    while (s.size() < length) {
        if (s.size() % 97 == 0)
            s += traps[trap++ % 6];
        x = x * 1103515245u + 12345u;
        s += static_cast<char>((x >> 16) & 0xFF);
    }
    s.resize(length);
    return s;
}

// Runs a command line through the shell; returns its standard output (and the exit
// status in *status).
std::string runCommand(const std::string& command, int* status = nullptr);

// A background process whose standard output is read line by line with a deadline.
class ChildOutput
{
public:
    explicit ChildOutput(const std::string& command);
    ~ChildOutput();
    ChildOutput(const ChildOutput&) = delete;
    ChildOutput& operator=(const ChildOutput&) = delete;

    // Reads until a line containing `text` arrives (true) or `ms` pass / EOF (false).
    bool waitForLine(const std::string& text, int ms);
    // Everything read so far.
    const std::string& output() const { return mOutput; }

private:
    pid_t mPid = -1;
    int mFd = -1;
    std::string mOutput;
    size_t mScanned = 0;
};
