// main.h - board wiring and small helpers shared by the sketch and gsm_manager.cpp.
//
// Board: Arduino Mega 2560 (or any board with a second hardware serial port: change
// GSM_SERIAL and the pins below).
//
//   Modem UART   Serial1   pin 18 (TX1) -> modem RXD, pin 19 (RX1) <- modem TXD
//                          (use a level shifter for 3.3 V / 1.8 V modems)
//   Debug output Serial    the USB port: open the Serial Monitor at 115200 baud
//   PWRKEY       pin 8     output, HIGH = key pressed (drive the modem's PWRKEY
//                          through an NPN transistor, or the power key input of
//                          your modem board)
//   STATUS       pin 10    input, HIGH = modem on
//   LED          pin 13    the on-board LED: on while registered with a network
#ifndef MAIN_H_
#define MAIN_H_

#include <Arduino.h>
#include <stdint.h>

#define GSM_SERIAL      Serial1
#define GSM_BAUD_RATE   115200
#define DEBUG_SERIAL    Serial
#define DEBUG_BAUD_RATE 115200

#define PIN_GSM_PWRKEY  8
#define PIN_GSM_STATUS  10
#define PIN_LED         LED_BUILTIN

// Debug output without waiting: the text goes into the debug buffer of
// gsm_manager.cpp, which gsmmgrPoll() sends to DEBUG_SERIAL in the background.
extern "C" void gsmDebugWrite(uint8_t _data);

static inline void debugText(const char* text)
{
    while (*text != '\0')
        gsmDebugWrite((uint8_t)*text++);
}

static inline void debugUnsigned(uint32_t value)
{
    char digits[11];
    int pos = (int)sizeof(digits) - 1;
    digits[pos] = '\0';
    do {
        digits[--pos] = (char)('0' + (value % 10u));
        value /= 10u;
    } while (value != 0u);
    debugText(&digits[pos]);
}

static inline void debugNumber(int32_t value)
{
    if (value < 0)
        debugText("-");
    debugUnsigned((value < 0) ? 0u - (uint32_t)value : (uint32_t)value);
}

// Milliseconds since start; wraps after 49.7 days, so compare by subtraction.
static inline uint32_t nowMs(void)
{
    return millis();
}

// True once interval_ms have passed since *since; then *since moves on to now.
static inline bool everyMs(uint32_t* since, uint32_t interval_ms)
{
    const uint32_t now = nowMs();
    if ((uint32_t)(now - *since) < interval_ms)
        return false;
    *since = now;
    return true;
}

#endif // MAIN_H_
