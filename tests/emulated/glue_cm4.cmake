# The Cortex-M4 (MPS2 AN386) hardware glue: the modem on CMSDK UART0, PWRKEY and
# STATUS over UART2, SysTick milliseconds; UART1 is where the event handlers report.
set(GLUE_cm4_Includes [[#include "board.h"]])
set(GLUE_cm4_Variables [[
static void reportBytes(const char* data, uint16_t length)
{
    while (length-- > 0)
    {
        while (UART_STATE(UART_REPORT) & UART_TX_FULL)
        {
        }
        UART_DATA(UART_REPORT) = (uint8_t)*data++;
    }
}

static void reportText(const char* text)
{
    uint16_t length = 0;
    while (text[length] != '\0')
    {
        length++;
    }
    reportBytes(text, length);
}

static void reportNumber(uint32_t value)
{
    char digits[10];
    uint16_t n = 0;
    do
    {
        digits[sizeof(digits) - 1 - n++] = (char)('0' + value % 10);
        value /= 10;
    } while (value != 0);
    reportBytes(&digits[sizeof(digits) - n], n);
}

#define reportLabel(text) reportText(text)
]])
set(GLUE_cm4_SysTime_ms [[    return boardTicks_ms;]])
set(GLUE_cm4_SetPowerKey [[
    (void)inst;
    while (UART_STATE(UART_PINS) & UART_TX_FULL)
    {
    }
    UART_DATA(UART_PINS) = activated ? '1' : '0';]])
set(GLUE_cm4_ReadStatus [[
    static bool status = false;
    (void)inst;
    while (UART_STATE(UART_PINS) & UART_RX_FULL)
    {
        status = UART_DATA(UART_PINS) == '1';
    }
    return status;]])
set(GLUE_cm4_gsmRxPoll [[
    while ((UART_STATE(UART_MODEM) & UART_RX_FULL) && cbufFreeSize(&mcbfGsmRx) > 0)
    {
        cbufWrite(&mcbfGsmRx, (uint8_t)UART_DATA(UART_MODEM));
    }]])
set(GLUE_cm4_gsmTxPoll [[
    cbufReleaseLock(&mcbfGsmTx);
    while (cbufCanRead(&mcbfGsmTx) && !(UART_STATE(UART_MODEM) & UART_TX_FULL))
    {
        UART_DATA(UART_MODEM) = cbufRead(&mcbfGsmTx);
    }]])
set(GLUE_cm4_gsmWriteCompleted [[
    (void)inst;
    return cbufBufferedSize(&mcbfGsmTx) == 0 && !(UART_STATE(UART_MODEM) & UART_TX_FULL);]])
