// USER CODE of gsm_manager.c shared by every STM32CubeIDE example: the hardware
// abstraction for the NUCLEO-F411RE (see main.h for the wiring). The build
// generates gsm_manager.c for each example and carries these sections into it;
// an example's own usercode/gsm_manager.c adds or replaces sections.

// USER CODE BEGIN Includes
#include "main.h"
#include "uart_dma.h"
// USER CODE END Includes

uint32_t gsm__SysTime_ms() {
    // USER CODE BEGIN SysTime_ms
    return boardMillis();
    // USER CODE END SysTime_ms
}

void gsmDebugTxPoll()
{
    // USER CODE BEGIN gsmDebugTxPoll
    // The DMA sends buffered debug text to the ST-LINK virtual COM port.
    uartDmaTxPoll(&debugUart, &mcbfDebugTx);
    // USER CODE END gsmDebugTxPoll
}

void gsmDebugWrite(uint8_t _data)
{
    // USER CODE BEGIN gsmDebugWrite
    // When the buffer is full the text is cut short rather than waiting.
    (void)cbufWrite(&mcbfDebugTx, _data);
    // USER CODE END gsmDebugWrite
}

void gsmSetPowerKey(GSM_Power_Instance* inst, bool activated) {
    // USER CODE BEGIN SetPowerKey
    (void)inst;
    // High switches the transistor on, which pulls the modem's PWRKEY low (pressed).
    gpioWrite(GSM_PWRKEY_PORT, GSM_PWRKEY_PIN, activated);
    // USER CODE END SetPowerKey
}

bool gsmReadStatus(GSM_Power_Instance* inst) {
    // USER CODE BEGIN ReadStatus
    (void)inst;
    return gpioRead(GSM_STATUS_PORT, GSM_STATUS_PIN);
    // USER CODE END ReadStatus
}

void gsmRxPoll()
{
    // USER CODE BEGIN gsmRxPoll
    // Move what the DMA received since the last call into the Rx buffer.
    (void)uartDmaRxPoll(&gsmUart, &mcbfGsmRx);
    // USER CODE END gsmRxPoll
}

void gsmTxPoll()
{
    // USER CODE BEGIN gsmTxPoll
    // Start the DMA on the next queued bytes once the previous transfer is done.
    uartDmaTxPoll(&gsmUart, &mcbfGsmTx);
    // USER CODE END gsmTxPoll
}

void gsmWrite(GSM_Prompt_Instance* inst, uint8_t _data)
{
    // USER CODE BEGIN gsmWrite
    (void)inst;
    // Never drop a byte of a command: if the Tx buffer is full, let the DMA drain it.
    while (!cbufWrite(&mcbfGsmTx, _data))
    {
        gsmTxPoll();
    }
    gsmTxPoll();
    // USER CODE END gsmWrite
}

bool gsmWriteCompleted(GSM_Prompt_Instance* inst)
{
    // USER CODE BEGIN gsmWriteCompleted
    (void)inst;
    return (cbufBufferedSize(&mcbfGsmTx) == 0u) && uartDmaTxIdle(&gsmUart);
    // USER CODE END gsmWriteCompleted
}

bool gsmCanRead(GSM_Prompt_Instance* inst)
{
    // USER CODE BEGIN gsmCanRead
    (void)inst;
    gsmRxPoll();
    return cbufCanRead(&mcbfGsmRx);
    // USER CODE END gsmCanRead
}

uint8_t gsmRead(GSM_Prompt_Instance* inst)
{
    // USER CODE BEGIN gsmRead
    (void)inst;
    return cbufRead(&mcbfGsmRx);
    // USER CODE END gsmRead
}
