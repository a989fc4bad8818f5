# The Arduino Mega 2560 hardware glue: modem on Serial1, PWRKEY on pin 8, STATUS on
# pin 10, millis() as the time source; Serial is where the event handlers report.
set(GLUE_avr_Includes [[#include <Arduino.h>]])
set(GLUE_avr_Variables [[
#define gsmSerial Serial1
#define GSM_PWRKEY_PIN 8
#define GSM_STATUS_PIN 10

static void reportBytes(const char* data, uint16_t length)
{
    Serial.write((const uint8_t*)data, length);
}

static void reportText(const char* text)
{
    reportBytes(text, strlen(text));
}

static void reportNumber(uint32_t value)
{
    Serial.print(value);
}

// String literals stay in flash, as every AVR sketch keeps them with F().
#define reportLabel(text) Serial.print(F(text))
]])
set(GLUE_avr_SysTime_ms [[    return millis();]])
set(GLUE_avr_SetPowerKey [[
    (void)inst;
    digitalWrite(GSM_PWRKEY_PIN, activated ? HIGH : LOW);]])
set(GLUE_avr_ReadStatus [[
    (void)inst;
    return digitalRead(GSM_STATUS_PIN) == HIGH;]])
set(GLUE_avr_gsmRxPoll [[
    while (gsmSerial.available() > 0 && cbufFreeSize(&mcbfGsmRx) > 0)
    {
        cbufWrite(&mcbfGsmRx, (uint8_t)gsmSerial.read());
    }]])
set(GLUE_avr_gsmTxPoll [[
    cbufReleaseLock(&mcbfGsmTx);
    while (cbufCanRead(&mcbfGsmTx) && gsmSerial.availableForWrite() > 0)
    {
        gsmSerial.write(cbufRead(&mcbfGsmTx));
    }]])
set(GLUE_avr_gsmWriteCompleted [[
    (void)inst;
    return gsmSerial.availableForWrite() == SERIAL_TX_BUFFER_SIZE - 1 && cbufBufferedSize(&mcbfGsmTx) == 0;]])
