// The ATmega2560 board: simavr runs the firmware cycle by cycle; every emulated
// millisecond the modem simulator advances, its output enters UART1 at the line's
// speed and the STATUS pin follows it.
#include "emu_board.h"

#include <cstring>

extern "C" {
#include <avr_ioport.h>
#include <avr_uart.h>
#include <sim_avr.h>
#include <sim_elf.h>
}

namespace {

class AvrBoard : public Board
{
public:
    AvrBoard(const std::string& elf, ModemSide& modem) : Board(modem), mElf(elf) {}
    ~AvrBoard() override
    {
        if (mAvr)
            avr_terminate(mAvr);
    }

    bool start(std::string* error) override
    {
        elf_firmware_t fw = {};
        if (elf_read_firmware(mElf.c_str(), &fw) != 0) {
            *error = "simavr cannot read " + mElf;
            return false;
        }
        mAvr = avr_make_mcu_by_name("atmega2560");
        if (!mAvr || avr_init(mAvr) != 0) {
            *error = "simavr has no ATmega2560";
            return false;
        }
        avr_load_firmware(mAvr, &fw);
        mAvr->frequency = 16000000;
        mAvr->log = 0;
        uint32_t mainAt = 0, millisAt = 0;
        for (uint32_t i = 0; i < fw.symbolcount; ++i) {
            if (std::strcmp(fw.symbol[i]->symbol, "main") == 0)
                mainAt = fw.symbol[i]->addr;
            else if (std::strcmp(fw.symbol[i]->symbol, "timer0_millis") == 0)
                millisAt = fw.symbol[i]->addr & 0xFFFFu;
        }
        if (mainAt == 0 || millisAt == 0) {
            *error = "no main() or Arduino millis() counter in " + mElf;
            return false;
        }
        // No console echo and no host sleeps while the firmware polls a UART.
        uint32_t flags = 0;
        for (char u : {'0', '1'})
            avr_ioctl(mAvr, AVR_IOCTL_UART_SET_FLAGS(u), &flags);

        avr_irq_register_notify(avr_io_getirq(mAvr, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_OUTPUT), &AvrBoard::onReport,
                                this);
        avr_irq_register_notify(avr_io_getirq(mAvr, AVR_IOCTL_UART_GETIRQ('1'), UART_IRQ_OUTPUT), &AvrBoard::onModem,
                                this);
        avr_irq_register_notify(avr_io_getirq(mAvr, AVR_IOCTL_UART_GETIRQ('1'), UART_IRQ_OUT_XON), &AvrBoard::onXon,
                                this);
        avr_irq_register_notify(avr_io_getirq(mAvr, AVR_IOCTL_UART_GETIRQ('1'), UART_IRQ_OUT_XOFF), &AvrBoard::onXoff,
                                this);
        avr_irq_register_notify(avr_io_getirq(mAvr, AVR_IOCTL_IOPORT_GETIRQ('H'), 5), &AvrBoard::onPowerKey, this);
        mModemIn = avr_io_getirq(mAvr, AVR_IOCTL_UART_GETIRQ('1'), UART_IRQ_INPUT);
        mStatus = avr_io_getirq(mAvr, AVR_IOCTL_IOPORT_GETIRQ('B'), 4);
        avr_raise_irq(mStatus, 0);
        // Once the C start-up has cleared RAM, millis() is set close to its wrap.
        while (mAvr->pc != mainAt && mAvr->cycle < 100000)
            avr_run(mAvr);
        if (mAvr->pc != mainAt) {
            *error = "the firmware does not reach main()";
            return false;
        }
        for (int i = 0; i < 4; ++i)
            mAvr->data[millisAt + i] = static_cast<uint8_t>(kClockStart_ms >> (8 * i));
        return true;
    }

protected:
    void step() override
    {
        const avr_cycle_count_t next = (static_cast<avr_cycle_count_t>(mMs) + 1) * 16000;
        while (mAvr->cycle < next) {
            int state = avr_run(mAvr);
            if (state == cpu_Done || state == cpu_Crashed) {
                mReport += "\n<the firmware stopped>\n";
                mMs += 1000; // let waits end
                return;
            }
        }
        ++mMs;
        mModem.sim.tick(mMs);
        bool status = mModem.sim.status();
        if (status != mStatusLevel) {
            mStatusLevel = status;
            avr_raise_irq(mStatus, status ? 1 : 0);
        }
        // 115200 baud: at most 11 bytes a millisecond, and only while UART1 takes them.
        for (int i = 0; i < 11 && mXon && mModem.sim.outputReady() > 0; ++i)
            avr_raise_irq(mModemIn, mModem.sim.readOutput());
    }
    uint32_t now() const override { return mMs; }

private:
    static void onReport(avr_irq_t*, uint32_t value, void* self)
    {
        static_cast<AvrBoard*>(self)->mReport += static_cast<char>(value);
    }
    static void onModem(avr_irq_t*, uint32_t value, void* self)
    {
        static_cast<AvrBoard*>(self)->mModem.sim.hostWrite(static_cast<uint8_t>(value));
    }
    static void onXon(avr_irq_t*, uint32_t, void* self) { static_cast<AvrBoard*>(self)->mXon = true; }
    static void onXoff(avr_irq_t*, uint32_t, void* self) { static_cast<AvrBoard*>(self)->mXon = false; }
    static void onPowerKey(avr_irq_t*, uint32_t value, void* self)
    {
        static_cast<AvrBoard*>(self)->mModem.sim.setPowerKey(value != 0);
    }

    std::string mElf;
    avr_t* mAvr = nullptr;
    avr_irq_t* mModemIn = nullptr;
    avr_irq_t* mStatus = nullptr;
    bool mStatusLevel = false;
    bool mXon = true;
    uint32_t mMs = 0;
};

} // namespace

std::unique_ptr<Board> makeAvrBoard(const std::string& elf, ModemSide& modem)
{
    return std::unique_ptr<Board>(new AvrBoard(elf, modem));
}
