/* The Cortex-M4 board of the jobs: an MPS2 AN386 (QEMU mps2-an386). CMSDK UART0 is
 * the modem port, UART1 the report port, UART2 carries the modem's PWRKEY (out) and
 * STATUS (in) lines as '0'/'1' bytes; SysTick counts milliseconds. */
#ifndef BOARD_H_
#define BOARD_H_

#include <stdint.h>

#define BOARD_CPU_HZ 25000000u
/* The millisecond counter starts 0.5 s before its 32-bit wrap: every run crosses it
 * while the modem is being switched on. */
#define BOARD_CLOCK_START_MS 0xFFFFFE0Cu
#define UART_MODEM 0x40004000u
#define UART_REPORT 0x40005000u
#define UART_PINS 0x40006000u

#define UART_DATA(base) (*(volatile uint32_t*)((base) + 0x00u))
#define UART_STATE(base) (*(volatile uint32_t*)((base) + 0x04u))
#define UART_CTRL(base) (*(volatile uint32_t*)((base) + 0x08u))
#define UART_BAUDDIV(base) (*(volatile uint32_t*)((base) + 0x10u))
#define UART_TX_FULL 1u
#define UART_RX_FULL 2u

extern volatile uint32_t boardTicks_ms;
void boardInit(void);

#endif /* BOARD_H_ */
