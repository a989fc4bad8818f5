#include "board.h"

#define SYST_CSR (*(volatile uint32_t*)0xE000E010u)
#define SYST_RVR (*(volatile uint32_t*)0xE000E014u)
#define SYST_CVR (*(volatile uint32_t*)0xE000E018u)

void boardInit(void)
{
    const uint32_t uarts[] = {UART_MODEM, UART_REPORT, UART_PINS};
    for (unsigned i = 0; i < 3; ++i) {
        UART_BAUDDIV(uarts[i]) = BOARD_CPU_HZ / 115200u;
        UART_CTRL(uarts[i]) = 3u; /* Tx and Rx enabled, no interrupts */
    }
    SYST_RVR = BOARD_CPU_HZ / 1000u - 1u;
    SYST_CVR = 0;
    SYST_CSR = 7u; /* processor clock, interrupt, enabled */
}
