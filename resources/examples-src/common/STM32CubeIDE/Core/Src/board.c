/*
 * board.c - clocks, pins, UARTs and the millisecond tick of the NUCLEO-F411RE (see main.h).
 */
#include "main.h"

static volatile uint32_t msTicks;

static uint8_t gsmRxRing[256];
static uint8_t debugRxRing[16];

/* USART1: DMA2 stream 2 channel 4 receives, stream 7 channel 4 transmits.
 * USART2: DMA1 stream 5 channel 4 receives, stream 6 channel 4 transmits. */
UartDma gsmUart = {
    .Usart = USART1, .Dma = DMA2, .RxStream = 2u, .RxChannel = 4u, .TxStream = 7u, .TxChannel = 4u,
    .RxRing = gsmRxRing, .RxRingSize = sizeof(gsmRxRing)};
UartDma debugUart = {
    .Usart = USART2, .Dma = DMA1, .RxStream = 5u, .RxChannel = 4u, .TxStream = 6u, .TxChannel = 4u,
    .RxRing = debugRxRing, .RxRingSize = sizeof(debugRxRing)};

/* Called by the startup code before the data sections are set up. */
void SystemInit(void)
{
    SCB_CPACR |= (0xFu << 20); /* the FPU (CP10, CP11): the code is built for it */
}

void SysTick_Handler(void)
{
    msTicks++;
}

uint32_t boardMillis(void)
{
    return msTicks;
}

void gpioWrite(GPIO_TypeDef* port, uint32_t pin, bool high)
{
    port->BSRR = high ? (1u << pin) : (1u << (pin + 16u));
}

bool gpioRead(GPIO_TypeDef* port, uint32_t pin)
{
    return (port->IDR & (1u << pin)) != 0u;
}

void boardLed(bool on)
{
    gpioWrite(LED_PORT, LED_PIN, on);
}

static void gpioMode(GPIO_TypeDef* port, uint32_t pin, uint32_t mode)
{
    port->MODER = (port->MODER & ~(3u << (2u * pin))) | (mode << (2u * pin));
}

static void gpioUartPin(GPIO_TypeDef* port, uint32_t pin, uint32_t alternate)
{
    volatile uint32_t* afr = &port->AFR[pin >> 3];
    uint32_t shift = (pin & 7u) * 4u;
    *afr = (*afr & ~(0xFu << shift)) | (alternate << shift);
    port->OSPEEDR = (port->OSPEEDR & ~(3u << (2u * pin))) | (2u << (2u * pin));
    port->PUPDR = (port->PUPDR & ~(3u << (2u * pin))) | (1u << (2u * pin)); /* pull-up: idle high */
    gpioMode(port, pin, GPIO_MODE_ALTERNATE);
}

void boardInit(void)
{
    RCC->AHB1ENR |= RCC_AHB1ENR_GPIOAEN | RCC_AHB1ENR_GPIOBEN | RCC_AHB1ENR_DMA1EN | RCC_AHB1ENR_DMA2EN;
    RCC->APB1ENR |= RCC_APB1ENR_USART2EN;
    RCC->APB2ENR |= RCC_APB2ENR_USART1EN;
    (void)RCC->APB2ENR; /* read back: the clocks run before the first register access */

    /* Power key released before the pin becomes an output. */
    gpioWrite(GSM_PWRKEY_PORT, GSM_PWRKEY_PIN, false);
    gpioMode(GSM_PWRKEY_PORT, GSM_PWRKEY_PIN, GPIO_MODE_OUTPUT);
    gpioMode(GSM_STATUS_PORT, GSM_STATUS_PIN, GPIO_MODE_INPUT);
    gpioWrite(LED_PORT, LED_PIN, false);
    gpioMode(LED_PORT, LED_PIN, GPIO_MODE_OUTPUT);

    gpioUartPin(GPIOA, 9u, 7u);  /* USART1 TX */
    gpioUartPin(GPIOA, 10u, 7u); /* USART1 RX */
    gpioUartPin(GPIOA, 2u, 7u);  /* USART2 TX */
    gpioUartPin(GPIOA, 3u, 7u);  /* USART2 RX */

    uartDmaInit(&gsmUart, SYSTEM_CLOCK_HZ, GSM_BAUD_RATE);
    uartDmaInit(&debugUart, SYSTEM_CLOCK_HZ, DEBUG_BAUD_RATE);

    SysTick->LOAD = SYSTEM_CLOCK_HZ / 1000u - 1u;
    SysTick->VAL = 0u;
    SysTick->CTRL = SysTick_CTRL_CLKSOURCE | SysTick_CTRL_TICKINT | SysTick_CTRL_ENABLE;
}
