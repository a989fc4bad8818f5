/*
 * uart_dma.c - USART with DMA reception into a ring and zero-copy DMA transmission
 * (see uart_dma.h).
 */
#include "uart_dma.h"

/* Bit offset of a stream's flags in LISR/HISR and LIFCR/HIFCR. */
static uint32_t flagShift(uint8_t stream)
{
    static const uint8_t shifts[4] = {0u, 6u, 16u, 22u};
    return shifts[stream & 3u];
}

static void clearStreamFlags(DMA_TypeDef* dma, uint8_t stream)
{
    const uint32_t all = 0x3Du << flagShift(stream); /* FEIF, DMEIF, TEIF, HTIF, TCIF */
    if (stream < 4u)
    {
        dma->LIFCR = all;
    }
    else
    {
        dma->HIFCR = all;
    }
}

void uartDmaInit(UartDma* uart, uint32_t pclk_hz, uint32_t baud)
{
    DMA_Stream_TypeDef* rx = DMA_STREAM(uart->Dma, uart->RxStream);
    DMA_Stream_TypeDef* tx = DMA_STREAM(uart->Dma, uart->TxStream);

    uart->RxRead = 0u;
    uart->TxLocked = false;

    /* 8 data bits, no parity, 1 stop bit, 16x oversampling. */
    uart->Usart->CR1 = 0u;
    uart->Usart->BRR = (pclk_hz + baud / 2u) / baud;
    uart->Usart->CR2 = 0u;
    uart->Usart->CR3 = USART_CR3_DMAR | USART_CR3_DMAT;
    uart->Usart->CR1 = USART_CR1_UE | USART_CR1_TE | USART_CR1_RE;

    /* Reception: peripheral to memory, circular, never stopped. */
    rx->CR = 0u;
    while (rx->CR & DMA_SxCR_EN)
    {
    }
    clearStreamFlags(uart->Dma, uart->RxStream);
    rx->PAR = (uint32_t)&uart->Usart->DR;
    rx->M0AR = (uint32_t)uart->RxRing;
    rx->NDTR = uart->RxRingSize;
    rx->FCR = 0u;
    rx->CR = DMA_SxCR_CHSEL(uart->RxChannel) | DMA_SxCR_PL_HIGH | DMA_SxCR_MINC | DMA_SxCR_CIRC | DMA_SxCR_EN;

    /* Transmission: memory to peripheral, set up per segment in uartDmaTxPoll(). */
    tx->CR = 0u;
    while (tx->CR & DMA_SxCR_EN)
    {
    }
    clearStreamFlags(uart->Dma, uart->TxStream);
    tx->PAR = (uint32_t)&uart->Usart->DR;
    tx->FCR = 0u;
}

uint32_t uartDmaRxPoll(UartDma* uart, CircBuff* rx)
{
    const DMA_Stream_TypeDef* stream = DMA_STREAM(uart->Dma, uart->RxStream);
    uint32_t moved = 0u;
    /* NDTR counts down from the ring size; it reloads at the end of the ring. */
    uint32_t remaining = stream->NDTR;
    uint16_t write = (uint16_t)((remaining == 0u || remaining > uart->RxRingSize) ? 0u
                                                                                     : uart->RxRingSize - remaining);
    if (write >= uart->RxRingSize)
    {
        write = 0u;
    }

    while (uart->RxRead != write && cbufFreeSize(rx) > 0u)
    {
        (void)cbufWrite(rx, uart->RxRing[uart->RxRead]);
        uart->RxRead++;
        if (uart->RxRead >= uart->RxRingSize)
        {
            uart->RxRead = 0u;
        }
        moved++;
    }
    return moved;
}

void uartDmaTxPoll(UartDma* uart, CircBuff* tx)
{
    DMA_Stream_TypeDef* stream = DMA_STREAM(uart->Dma, uart->TxStream);
    uint8_t* segment = 0;
    uint32_t length;

    if (stream->CR & DMA_SxCR_EN)
    {
        return; /* the previous segment is still on its way */
    }
    if (uart->TxLocked)
    {
        cbufReleaseLock(tx);
        uart->TxLocked = false;
    }

    length = cbufReadContinuousSegmentAndLock(tx, &segment, 0xFFFFu);
    if (length == 0u)
    {
        cbufReleaseLock(tx);
        return;
    }
    uart->TxLocked = true;

    clearStreamFlags(uart->Dma, uart->TxStream);
    stream->M0AR = (uint32_t)segment;
    stream->NDTR = length;
    stream->CR = DMA_SxCR_CHSEL(uart->TxChannel) | DMA_SxCR_PL_HIGH | DMA_SxCR_MINC | DMA_SxCR_DIR_M2P;
    dataMemoryBarrier();
    stream->CR |= DMA_SxCR_EN;
}

bool uartDmaTxIdle(UartDma* uart)
{
    const DMA_Stream_TypeDef* stream = DMA_STREAM(uart->Dma, uart->TxStream);
    return ((stream->CR & DMA_SxCR_EN) == 0u) && ((uart->Usart->SR & USART_SR_TC) != 0u);
}
