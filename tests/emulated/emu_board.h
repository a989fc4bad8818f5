// An emulated board running a job's real firmware, wired to the modem simulator: the
// firmware's modem UART goes to ModemSim/InternetModem, its PWRKEY and STATUS lines
// to the simulator's power model, and its report port is collected in report().
#pragma once

#include "internet_modem.h"
#include "modem_sim.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// The modem the firmware talks to (a SIM7600 for LTE jobs, a SIM800 for 2G ones).
struct ModemSide
{
    // A SIM that needs no PIN, registered in every domain, and a quick boot that
    // keeps the emulated runs short.
    explicit ModemSide(InternetModem::Family family) : net(sim, family)
    {
        net.simReady();
        sim.statusDelayMs = 100;
        sim.bootMs = 400;
        for (int domain = 0; domain < (sim.cereg ? 3 : 2); ++domain)
            sim.setRegistration(domain, 1);
    }
    ModemSim sim;
    InternetModem net;
};

class Board
{
public:
    // The firmware's millisecond clock starts this close to its 32-bit wrap, so
    // every run crosses it (while the modem is being switched on).
    static constexpr uint32_t kClockStart_ms = 0u - 500u;
    virtual ~Board() = default;
    // Starts the emulator with the firmware; false (with a reason) when it cannot.
    virtual bool start(std::string* error) = 0;
    // Runs until `done` holds or `ms` of board time pass; true when `done` held.
    bool runUntil(const std::function<bool()>& done, uint32_t ms)
    {
        return runLoop(done, ms, [this] { return now(); }, [this] { step(); });
    }
    // Board time in milliseconds since the start.
    virtual uint32_t now() const = 0;
    const std::string& report() const { return mReport; }

protected:
    explicit Board(ModemSide& modem) : mModem(modem) {}
    // Advances the board by about one millisecond of its own time, wiring the modem.
    virtual void step() = 0;
    ModemSide& mModem;
    std::string mReport;
};

// ATmega2560 in simavr (linked): UART1 modem, UART0 report, PH5 PWRKEY, PB4 STATUS;
// the harness sets Arduino's millis() counter to kClockStart_ms when main() starts.
std::unique_ptr<Board> makeAvrBoard(const std::string& elf, ModemSide& modem);
// Cortex-M4 (MPS2 AN386) in qemu-system-arm: UART0 modem, UART1 report, UART2 pins;
// the board's SysTick counter starts at BOARD_CLOCK_START_MS (= kClockStart_ms).
std::unique_ptr<Board> makeCm4Board(const std::string& elf, ModemSide& modem);
