#include "emu_board.h"

ModemSide::ModemSide(InternetModem::Family family) : net(sim, family)
{
    sim.sim = ModemSim::Sim::Ready;
    sim.simPin.clear();
    sim.cereg = family == InternetModem::Family::Lte;
    sim.statusDelayMs = 100; // a quick boot keeps the emulated runs short
    sim.bootMs = 400;
    for (int domain = 0; domain < (sim.cereg ? 3 : 2); ++domain)
        sim.setRegistration(domain, 1);
}

bool Board::runUntil(const std::function<bool()>& done, uint32_t ms)
{
    const uint32_t start = now();
    while (!done()) {
        if (now() - start >= ms)
            return false;
        step();
    }
    return true;
}
