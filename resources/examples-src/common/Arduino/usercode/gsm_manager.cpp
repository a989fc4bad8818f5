// USER CODE of gsm_manager.cpp shared by every Arduino example: the hardware
// abstraction for an Arduino Mega 2560 (see main.h for the wiring). The build
// generates gsm_manager.cpp for each example and carries these sections into
// it; an example's own usercode/gsm_manager.cpp adds or replaces sections.

// USER CODE BEGIN Includes
#include <Arduino.h>
#include "main.h"
// USER CODE END Includes

uint32_t gsm__SysTime_ms() {
    // USER CODE BEGIN SysTime_ms
    return millis();
    // USER CODE END SysTime_ms
}

void gsmDebugTxPoll()
{
    // USER CODE BEGIN gsmDebugTxPoll
    // Hand buffered debug text to the serial port, only as much as fits into its
    // transmit buffer, so this never waits.
    while (cbufCanRead(&mcbfDebugTx) && (DEBUG_SERIAL.availableForWrite() > 0))
    {
        DEBUG_SERIAL.write(cbufRead(&mcbfDebugTx));
    }
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
    // HIGH switches the transistor on, which pulls the modem's PWRKEY low (pressed).
    digitalWrite(PIN_GSM_PWRKEY, activated ? HIGH : LOW);
    // USER CODE END SetPowerKey
}

bool gsmReadStatus(GSM_Power_Instance* inst) {
    // USER CODE BEGIN ReadStatus
    (void)inst;
    return digitalRead(PIN_GSM_STATUS) == HIGH;
    // USER CODE END ReadStatus
}

void gsmRxPoll()
{
    // USER CODE BEGIN gsmRxPoll
    // Move received bytes from the serial port into the Rx buffer, as far as it has
    // room; what does not fit stays in the serial port's own buffer until next time.
    while ((GSM_SERIAL.available() > 0) && (cbufFreeSize(&mcbfGsmRx) > 0))
    {
        (void)cbufWrite(&mcbfGsmRx, (uint8_t)GSM_SERIAL.read());
    }
    // USER CODE END gsmRxPoll
}

void gsmTxPoll()
{
    // USER CODE BEGIN gsmTxPoll
    // Send queued bytes while the serial port's transmit buffer has room.
    while (cbufCanRead(&mcbfGsmTx) && (GSM_SERIAL.availableForWrite() > 0))
    {
        GSM_SERIAL.write(cbufRead(&mcbfGsmTx));
    }
    // USER CODE END gsmTxPoll
}

void gsmWrite(GSM_Prompt_Instance* inst, uint8_t _data)
{
    // USER CODE BEGIN gsmWrite
    (void)inst;
    // Never drop a byte of a command: if the Tx buffer is full, let the UART drain it.
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
    return (cbufBufferedSize(&mcbfGsmTx) == 0) && (GSM_SERIAL.availableForWrite() >= (SERIAL_TX_BUFFER_SIZE - 1));
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
