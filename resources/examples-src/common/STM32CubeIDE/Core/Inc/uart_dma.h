/*
 * uart_dma.h - a USART driven by DMA in both directions, for the Tarvex examples.
 *
 * Receiving: the DMA writes every received byte into a small ring (RxRing) in circular
 * mode, with no interrupt and no CPU work. uartDmaRxPoll() moves what arrived since the
 * last call into a CircBuff, e.g. the library's Rx buffer. Call it often enough that the
 * ring cannot fill up between two calls: at 115200 baud 256 bytes last 22 ms, far longer
 * than one pass of the main loop.
 *
 * Transmitting: uartDmaTxPoll() hands the longest contiguous run of a CircBuff to the
 * DMA without copying it (cbufReadContinuousSegmentAndLock) and releases it once the
 * transfer has finished, so the main loop never waits for the UART.
 *
 * Set-up: fill Usart, Dma and the two stream/channel numbers (see the DMA request
 * mapping table of the reference manual), point RxRing at storage, then call
 * uartDmaInit() after the clocks of the USART, the DMA and the GPIO pins are on.
 */
#ifndef UART_DMA_H_
#define UART_DMA_H_

#include <stdbool.h>
#include <stdint.h>

#include "circbuff.h"
#include "stm32f411_regs.h"

typedef struct
{
    USART_TypeDef* Usart;
    DMA_TypeDef* Dma;
    uint8_t RxStream, RxChannel;
    uint8_t TxStream, TxChannel;
    uint8_t* RxRing;       /* storage the DMA receives into */
    uint16_t RxRingSize;

    /* Private state. */
    uint16_t RxRead;       /* next ring position to hand out */
    bool TxLocked;         /* a CircBuff segment is being transmitted */
} UartDma;

/* Sets the USART to 8N1 at the given baud rate (peripheral clock pclk_hz) and starts
 * reception. */
void uartDmaInit(UartDma* uart, uint32_t pclk_hz, uint32_t baud);

/* Moves received bytes into rx, as far as it has room. Returns the number moved. */
uint32_t uartDmaRxPoll(UartDma* uart, CircBuff* rx);

/* Starts the transmission of the next bytes of tx when the previous one has finished. */
void uartDmaTxPoll(UartDma* uart, CircBuff* tx);

/* True when no transmission is running and the last byte has left the USART. */
bool uartDmaTxIdle(UartDma* uart);

#endif /* UART_DMA_H_ */
