// Signal_Quality - measure the signal quality with a SIMCom modem and the Tarvex library.
//
// The program switches the modem on and, once the modem answers, asks it for the
// signal quality every ten seconds (AT+CSQ). Each answer is printed on the debug
// output as the raw level, the level in dBm, a rating and the bit error rate class.
//
// Steps (details in README.md):
//   1. Wire the modem to the Arduino Mega 2560 as described in main.h and insert a SIM
//      card.
//   2. Open this sketch in the Arduino IDE, select the board "Arduino Mega or Mega
//      2560" and its port, and upload.
//   3. Open the Serial Monitor at 115200 baud.
//
// The library never blocks: every module does a little work in gsmmgrPoll() and
// returns at once. Keep loop() free of delay() so that it runs thousands of times a
// second. The answers are handled in gsmSignalQualityEventHandler() in
// gsm_manager.cpp.

#include "main.h"
#include "gsm_manager.h"

/* Time between two measurements. */
#define QUERY_INTERVAL_MS 10000u

static bool communicating = false;
static uint32_t lastQuery_ms = 0u;

static void setLed(bool on)
{
    digitalWrite(PIN_LED, on ? HIGH : LOW);
}

/* Reports changes of the modem's state on the debug output and the LED. */
static void reportModemState(void)
{
    bool nowCommunicating = gsmmgrBasicCommsCommunicationEstablished();

    if (nowCommunicating != communicating)
    {
        communicating = nowCommunicating;
        setLed(communicating);
        debugText(communicating ? "The modem answers.\r\n" : "Waiting for the modem...\r\n");
    }
}

/* Starts a measurement every QUERY_INTERVAL_MS while the modem answers. */
static void measurePeriodically(void)
{
    if (communicating && everyMs(&lastQuery_ms, QUERY_INTERVAL_MS))
    {
        if (!gsmmgrSignalQualityQuery())
        {
            debugText("The previous measurement is still running.\r\n");
        }
    }
}

void setup()
{
    pinMode(PIN_GSM_PWRKEY, OUTPUT);
    digitalWrite(PIN_GSM_PWRKEY, LOW);
    pinMode(PIN_GSM_STATUS, INPUT);
    pinMode(PIN_LED, OUTPUT);
    DEBUG_SERIAL.begin(DEBUG_BAUD_RATE);
    GSM_SERIAL.begin(GSM_BAUD_RATE);

    gsmmgrInit();
    debugText("Tarvex example: Signal_Quality\r\n");
}

void loop()
{
    gsmmgrPoll();
    reportModemState();
    measurePeriodically();
}
