#include "test_servers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point until)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// A TCP socket and 127.0.0.1:<port> (0: any free port).
int loopbackSocket(uint16_t port, sockaddr_in* a)
{
    *a = sockaddr_in{};
    a->sin_family = AF_INET;
    a->sin_port = htons(port);
    a->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return ::socket(AF_INET, SOCK_STREAM, 0);
}

// Listens on a free loopback port (in *bound); -1 on failure.
int listenLoopback(uint16_t* bound)
{
    sockaddr_in a;
    int fd = loopbackSocket(0, &a);
    socklen_t len = sizeof a;
    if (fd >= 0 && (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 16) != 0 ||
                    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0)) {
        ::close(fd);
        return -1;
    }
    *bound = ntohs(a.sin_port);
    return fd;
}

bool canConnect(uint16_t port)
{
    sockaddr_in a;
    int fd = loopbackSocket(port, &a);
    bool ok = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

bool sendAll(int fd, const std::string& data)
{
    size_t sent = 0;
    while (sent < data.size()) {
        ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

// ------------------------------------------------------------ HTTP server ----

HttpTestServer::HttpTestServer(const Tls& tls)
{
    if (!tls.cert.empty()) {
        // OpenSSL writes with write(): a client that gave up on the handshake must not
        // end the test process.
        ::signal(SIGPIPE, SIG_IGN);
        mTls = SSL_CTX_new(TLS_server_method());
        if (!mTls || SSL_CTX_use_certificate_chain_file(mTls, tls.cert.c_str()) != 1 ||
            SSL_CTX_use_PrivateKey_file(mTls, tls.key.c_str(), SSL_FILETYPE_PEM) != 1 ||
            (!tls.clientCa.empty() && SSL_CTX_load_verify_locations(mTls, tls.clientCa.c_str(), nullptr) != 1))
            return; // not ok()
        if (!tls.clientCa.empty())
            SSL_CTX_set_verify(mTls, SSL_VERIFY_PEER | SSL_VERIFY_FAIL_IF_NO_PEER_CERT, nullptr);
    }
    mListen = listenLoopback(&mPort);
    if (mListen >= 0)
        mThread = std::thread([this]() { serve(); });
}

HttpTestServer::~HttpTestServer()
{
    mStop = true;
    if (mThread.joinable())
        mThread.join();
    if (mListen >= 0)
        ::close(mListen);
    if (mTls)
        SSL_CTX_free(mTls);
}

std::string HttpTestServer::url(const std::string& path) const
{
    return (mTls ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(mPort) + path;
}

void HttpTestServer::route(const std::string& path, const Response& r)
{
    std::lock_guard<std::mutex> lock(mMutex);
    mRoutes[path] = r;
}

std::vector<HttpTestServer::Request> HttpTestServer::requests() const
{
    std::lock_guard<std::mutex> lock(mMutex);
    return mRequests;
}

void HttpTestServer::serve()
{
    while (!mStop) {
        pollfd p{mListen, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        int fd = ::accept(mListen, nullptr, nullptr);
        if (fd < 0)
            continue;
        timeval tv{5, 0}; // bounds every read of a request
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        SSL* ssl = nullptr;
        if (mTls) {
            ssl = SSL_new(mTls);
            SSL_set_fd(ssl, fd);
            if (SSL_accept(ssl) != 1) { // the handshake failed: nothing to answer
                ERR_clear_error();
                SSL_free(ssl);
                ::close(fd);
                continue;
            }
        }
        handle(fd, ssl);
        if (ssl) {
            SSL_shutdown(ssl);
            SSL_free(ssl);
        }
        ::close(fd);
    }
}

void HttpTestServer::handle(int fd, SSL* ssl)
{
    std::string in;
    char buf[4096];
    auto receive = [&]() -> ssize_t { return ssl ? SSL_read(ssl, buf, sizeof buf) : ::recv(fd, buf, sizeof buf, 0); };
    size_t headerEnd;
    while ((headerEnd = in.find("\r\n\r\n")) == std::string::npos) {
        ssize_t n = receive();
        if (n <= 0)
            return;
        in.append(buf, static_cast<size_t>(n));
    }
    Request req;
    size_t lineEnd = in.find("\r\n");
    std::string first = in.substr(0, lineEnd);
    size_t sp1 = first.find(' '), sp2 = first.rfind(' ');
    req.method = first.substr(0, sp1);
    req.path = first.substr(sp1 + 1, sp2 - sp1 - 1);
    size_t length = 0;
    for (size_t at = lineEnd + 2; at < headerEnd; at = in.find("\r\n", at) + 2) {
        const char* h = in.c_str() + at;
        if (::strncasecmp(h, "content-length:", 15) == 0)
            length = static_cast<size_t>(std::strtoul(h + 15, nullptr, 10));
        else if (::strncasecmp(h, "content-type:", 13) == 0) {
            size_t from = at + 13 + std::strspn(h + 13, " ");
            req.contentType = in.substr(from, in.find("\r\n", at) - from);
        }
    }
    req.body = in.substr(headerEnd + 4);
    while (req.body.size() < length) {
        ssize_t n = receive();
        if (n <= 0)
            return;
        req.body.append(buf, static_cast<size_t>(n));
    }

    Response r;
    {
        std::lock_guard<std::mutex> lock(mMutex);
        mRequests.push_back(req);
        if (req.method == "POST") {
            r.status = 201;
            r.body = "received " + std::to_string(req.body.size()) + " bytes";
        } else {
            auto it = mRoutes.find(req.path);
            if (it != mRoutes.end())
                r = it->second;
            else
                r = Response{404, "not found"};
        }
    }
    std::string reason = r.status == 200 ? "OK" : r.status == 201 ? "Created" : r.status == 404 ? "Not Found" : "Status";
    std::string out = "HTTP/1.1 " + std::to_string(r.status) + " " + reason +
                      "\r\nContent-Type: application/octet-stream\r\n" + "Content-Length: " +
                      std::to_string(r.body.size()) + "\r\nConnection: close\r\n\r\n" + r.body;
    if (ssl)
        SSL_write(ssl, out.data(), static_cast<int>(out.size()));
    else
        sendAll(fd, out);
}

// ------------------------------------------------------------------ broker ----

MosquittoBroker::~MosquittoBroker()
{
    stop();
}

bool MosquittoBroker::start()
{
    // A port found free may be taken by another process before the broker binds it:
    // the first start then tries other ports; a restart keeps its port and retries.
    bool firstStart = mPort == 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (startOnce())
            return true;
        if (firstStart)
            mPort = 0;
        else
            ::usleep(200000);
    }
    return false;
}

bool MosquittoBroker::startOnce()
{
    if (mPid > 0)
        return true;
    if (mDir.path().empty()) {
        mError = "cannot create a temporary folder";
        return false;
    }
    if (mPort == 0) {
        int fd = listenLoopback(&mPort);
        if (fd < 0) {
            mError = "no free loopback port";
            return false;
        }
        ::close(fd);
    }
    const std::string conf = mDir.path() + "/mosquitto.conf";
    {
        std::ofstream f(conf);
        f << "listener " << mPort << " 127.0.0.1\n";
        if (!mCert.empty()) {
            f << "certfile " << mCert << "\nkeyfile " << mKey << "\n";
            if (!mClientCa.empty())
                f << "cafile " << mClientCa << "\nrequire_certificate true\n";
        }
        f << "allow_anonymous true\n"
          << "persistence false\n"
          << "log_dest stderr\n"
          << "log_type error\n";
    }
    ::chmod(conf.c_str(), 0644);

    mPid = spawnShell("export PATH=/usr/sbin:/usr/bin:/usr/local/sbin:/usr/local/bin; exec mosquitto -c '" + conf + "'");
    auto until = Clock::now() + std::chrono::seconds(10);
    while (mPid > 0 && Clock::now() < until) {
        int status = 0;
        if (::waitpid(mPid, &status, WNOHANG) == mPid) {
            mPid = -1;
            mError = WEXITSTATUS(status) == 127 ? "the mosquitto broker is not installed"
                                                : "mosquitto exited at start (status " + std::to_string(status) + ")";
            return false;
        }
        if (canConnect(mPort))
            return true;
        ::usleep(20000);
    }
    stop();
    mError = "mosquitto did not accept connections on port " + std::to_string(mPort);
    return false;
}

void MosquittoBroker::stop()
{
    endChild(&mPid);
}

// -------------------------------------------------------------- test PKI ----

TestPki::TestPki()
{
    if (mDir.path().empty()) {
        mError = "cannot create a temporary folder";
        return;
    }
    const std::string d = "cd '" + mDir.path() + "' && ";
    const std::string key = "openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out ";
    auto ca = [&](const std::string& n) {
        return run(d + key + n + ".key && openssl req -x509 -new -key " + n + ".key -out " + n +
                   ".pem -subj /CN=Tarvex-" + n + " -days 30");
    };
    // A certificate for `n` signed by the CA, valid for `days` days (0: expires now).
    auto issue = [&](const std::string& n, const std::string& san, const std::string& keyName, int days) {
        return run(d + "printf 'subjectAltName=" + san + "\\n' > " + n + ".ext && openssl req -new -key " + keyName +
                   ".key -subj /CN=" + n + " -out " + n + ".csr && openssl x509 -req -in " + n +
                   ".csr -CA ca.pem -CAkey ca.key -CAcreateserial -days " + std::to_string(days) + " -extfile " + n +
                   ".ext -out " + n + ".pem");
    };
    mOk = ca("ca") && ca("otherca") && run(d + key + "server.key") && run(d + key + "client.key") &&
          issue("expired", "IP:127.0.0.1,DNS:localhost", "server", 0) &&
          issue("server", "IP:127.0.0.1,DNS:localhost", "server", 30) &&
          issue("wronghost", "DNS:wrong.example", "server", 30) && issue("client", "DNS:device", "client", 30);
    ::chmod(path("server.key").c_str(), 0644);
    ::usleep(1100000); // "expired" is valid until the second it was made
}

std::string TestPki::read(const std::string& name) const
{
    std::ifstream f(path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

bool TestPki::run(const std::string& command)
{
    int status = -1;
    std::string out = runCommand(command + " 2>&1", &status);
    if (status != 0)
        mError = command + ": " + out;
    return status == 0;
}

// --------------------------------------------------------------- processes ----

std::string runCommand(const std::string& command, int* status)
{
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) {
        if (status)
            *status = -1;
        return out;
    }
    char buf[512];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    int rc = ::pclose(p);
    if (status)
        *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

TempDir::TempDir(const std::string& prefix)
{
    std::string pattern = "/tmp/" + prefix + "-XXXXXX";
    if (::mkdtemp(&pattern[0]) && ::chmod(pattern.c_str(), 0755) == 0)
        mPath = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    if (!mPath.empty())
        std::filesystem::remove_all(mPath, ignored);
}

pid_t spawnShell(const std::string& command, int outFd)
{
    pid_t pid = ::fork();
    if (pid == 0) {
        if (outFd >= 0) {
            ::dup2(outFd, 1);
            ::dup2(outFd, 2);
        }
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return pid;
}

void endChild(pid_t* pid, int graceMs)
{
    if (*pid <= 0)
        return;
    ::kill(*pid, SIGTERM);
    for (auto until = Clock::now() + std::chrono::milliseconds(graceMs); ::waitpid(*pid, nullptr, WNOHANG) == 0;) {
        if (Clock::now() > until) {
            ::kill(*pid, SIGKILL);
            ::waitpid(*pid, nullptr, 0);
            break;
        }
        ::usleep(10000);
    }
    *pid = -1;
}

ChildOutput::ChildOutput(const std::string& command)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return;
    ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    mPid = spawnShell(command, fds[1]);
    ::close(fds[1]);
    if (mPid > 0)
        mFd = fds[0];
    else
        ::close(fds[0]);
}

ChildOutput::~ChildOutput()
{
    endChild(&mPid);
    if (mFd >= 0)
        ::close(mFd);
}

bool ChildOutput::waitForLine(const std::string& text, int ms)
{
    auto until = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        size_t found = mOutput.find(text, mScanned);
        if (found != std::string::npos) {
            size_t end = mOutput.find('\n', found);
            mScanned = end == std::string::npos ? mOutput.size() : end + 1;
            return true;
        }
        pollfd p{mFd, POLLIN, 0};
        if (mFd < 0 || Clock::now() >= until)
            return false;
        if (::poll(&p, 1, msLeft(until)) <= 0)
            continue;
        char buf[512];
        ssize_t n = ::read(mFd, buf, sizeof buf);
        if (n > 0) {
            mOutput.append(buf, static_cast<size_t>(n));
        } else { // the process ended
            ::close(mFd);
            mFd = -1;
        }
    }
}
