/*
 * main.h - board wiring and services shared by the example's main.c and gsm_manager.c.
 *
 * Board: NUCLEO-F411RE (STM32F411RE), running from its 16 MHz internal oscillator.
 *
 *   Modem UART  USART1  PA9  [D8] TX  -> modem RXD      115200 baud, 8N1, DMA2 streams 2/7
 *                       PA10 [D2] RX  <- modem TXD
 *   Debug UART  USART2  PA2/PA3       ST-LINK virtual COM port (USB), 115200 baud
 *   PWRKEY      PA8  [D7]  output, high = key pressed (drive the modem's PWRKEY through
 *                          an NPN transistor or the power key input of your modem board)
 *   STATUS      PB10 [D6]  input, high = modem on (through a level shifter if the modem
 *                          runs at 1.8 V)
 *   LED         PA5  [D13] the green user LED LD2: on while registered with a network
 *
 * Change the pins here; boardInit() in board.c sets them up.
 */
#ifndef MAIN_H_
#define MAIN_H_

#include <stdbool.h>
#include <stdint.h>

#include "stm32f411_regs.h"
#include "uart_dma.h"

#define SYSTEM_CLOCK_HZ 16000000u

#define GSM_BAUD_RATE   115200u
#define DEBUG_BAUD_RATE 115200u

#define GSM_PWRKEY_PORT GPIOA
#define GSM_PWRKEY_PIN  8u
#define GSM_STATUS_PORT GPIOB
#define GSM_STATUS_PIN  10u
#define LED_PORT        GPIOA
#define LED_PIN         5u

/* The modem and debug UARTs (board.c). */
extern UartDma gsmUart;
extern UartDma debugUart;

/* Clocks, pins, both UARTs and the 1 ms SysTick. Call first in main(). */
void boardInit(void);

/* Milliseconds since boardInit(); wraps after 49.7 days (compare by subtraction). */
uint32_t boardMillis(void);

void gpioWrite(GPIO_TypeDef* port, uint32_t pin, bool high);
bool gpioRead(GPIO_TypeDef* port, uint32_t pin);
void boardLed(bool on);

/* Debug output without waiting: the text goes into the debug buffer of gsm_manager.c,
 * which gsmmgrPoll() sends to the debug UART in the background. */
void gsmDebugWrite(uint8_t _data);

static inline void debugText(const char* text)
{
    while (*text != '\0')
    {
        gsmDebugWrite((uint8_t)*text++);
    }
}

static inline void debugUnsigned(uint32_t value)
{
    char digits[11];
    int pos = (int)sizeof(digits) - 1;
    digits[pos] = '\0';
    do
    {
        digits[--pos] = (char)('0' + (value % 10u));
        value /= 10u;
    } while (value != 0u);
    debugText(&digits[pos]);
}

static inline void debugNumber(int32_t value)
{
    if (value < 0)
    {
        debugText("-");
    }
    debugUnsigned((value < 0) ? 0u - (uint32_t)value : (uint32_t)value);
}

/* Milliseconds since start; wraps after 49.7 days, so compare by subtraction. */
static inline uint32_t nowMs(void)
{
    return boardMillis();
}

/* True once `interval_ms` have passed since *since; then *since moves on to now. */
static inline bool everyMs(uint32_t* since, uint32_t interval_ms)
{
    uint32_t now = nowMs();
    if ((uint32_t)(now - *since) < interval_ms)
    {
        return false;
    }
    *since = now;
    return true;
}

#endif /* MAIN_H_ */
