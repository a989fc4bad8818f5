// The Cortex-M4 board: qemu-system-arm runs an MPS2 AN386 with the firmware; its
// three UARTs are Unix sockets this process serves. QEMU runs in real time, so the
// modem simulator's clock is the wall clock; the firmware's is its own SysTick.
#include "emu_board.h"
#include "test_servers.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <cstring>

namespace {

class Cm4Board : public Board
{
public:
    Cm4Board(const std::string& elf, ModemSide& modem) : Board(modem), mElf(elf) {}
    ~Cm4Board() override
    {
        endChild(&mPid, 0);
        for (int i = 0; i < 3; ++i) {
            if (mFd[i] >= 0)
                close(mFd[i]);
            if (mListen[i] >= 0)
                close(mListen[i]);
        }
    }

    bool start(std::string* error) override
    {
        if (mDir.path().empty()) {
            *error = "no temporary folder";
            return false;
        }
        for (int i = 0; i < 3; ++i) {
            mListen[i] = socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un a = {};
            a.sun_family = AF_UNIX;
            std::strncpy(a.sun_path, path(i).c_str(), sizeof a.sun_path - 1);
            if (mListen[i] < 0 || bind(mListen[i], reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
                listen(mListen[i], 1) != 0) {
                *error = "cannot listen on " + path(i);
                return false;
            }
        }
        const char* qemu = std::getenv("TARVEX_EMU_QEMU");
        std::string cmd = std::string("exec ") + (qemu ? qemu : "qemu-system-arm") + " -M mps2-an386 -display none -monitor none -kernel '" + mElf + "'";
        for (int i = 0; i < 3; ++i)
            cmd += " -chardev socket,id=u" + std::to_string(i) + ",path=" + path(i) + " -serial chardev:u" +
                   std::to_string(i);
        mPid = spawnShell(cmd);
        for (int i = 0; i < 3; ++i) {
            pollfd p = {mListen[i], POLLIN, 0};
            int status = 0;
            for (int waited = 0; waited < 10000 && poll(&p, 1, 100) == 0; waited += 100) {
                if (waitpid(mPid, &status, WNOHANG) == mPid) {
                    mPid = -1;
                    *error = "qemu-system-arm (mps2-an386) ended with status " + std::to_string(status);
                    return false;
                }
            }
            if ((p.revents & POLLIN) == 0 || (mFd[i] = accept(mListen[i], nullptr, nullptr)) < 0) {
                *error = "qemu-system-arm (mps2-an386) did not connect its UART" + std::to_string(i);
                return false;
            }
            fcntl(mFd[i], F_SETFL, O_NONBLOCK);
        }
        mStart = std::chrono::steady_clock::now();
        return true;
    }

protected:
    void step() override
    {
        pollfd p[3];
        for (int i = 0; i < 3; ++i)
            p[i] = {mFd[i], POLLIN, 0};
        poll(p, 3, mToModem.empty() ? 1 : 0);
        char buf[512];
        ssize_t n;
        while ((n = read(mFd[0], buf, sizeof buf)) > 0)
            for (ssize_t i = 0; i < n; ++i)
                mModem.sim.hostWrite(static_cast<uint8_t>(buf[i]));
        while ((n = read(mFd[1], buf, sizeof buf)) > 0)
            mReport.append(buf, static_cast<size_t>(n));
        while ((n = read(mFd[2], buf, sizeof buf)) > 0)
            mModem.sim.setPowerKey(buf[n - 1] == '1');
        mModem.sim.tick(now());
        char level = mModem.sim.status() ? '1' : '0';
        if (level != mStatusLevel && write(mFd[2], &level, 1) == 1)
            mStatusLevel = level;
        while (mModem.sim.outputReady() > 0)
            mToModem += static_cast<char>(mModem.sim.readOutput());
        if (!mToModem.empty() && (n = write(mFd[0], mToModem.data(), mToModem.size())) > 0)
            mToModem.erase(0, static_cast<size_t>(n));
        int status = 0;
        if (mPid > 0 && waitpid(mPid, &status, WNOHANG) == mPid) {
            mPid = -1;
            mReport += "\n<qemu ended>\n";
        }
    }
    uint32_t now() const override
    {
        return static_cast<uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - mStart).count());
    }

private:
    std::string path(int i) const { return mDir.path() + "/uart" + std::to_string(i); }

    std::string mElf;
    TempDir mDir{"tarvex-cm4"};
    pid_t mPid = -1;
    int mListen[3] = {-1, -1, -1};
    int mFd[3] = {-1, -1, -1};
    char mStatusLevel = 0;
    std::string mToModem;
    std::chrono::steady_clock::time_point mStart;
};

} // namespace

std::unique_ptr<Board> makeCm4Board(const std::string& elf, ModemSide& modem)
{
    return std::unique_ptr<Board>(new Cm4Board(elf, modem));
}
