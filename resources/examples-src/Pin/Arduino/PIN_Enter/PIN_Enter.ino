// PIN_Enter - unlock a PIN-protected SIM card with a SIMCom modem and the Tarvex library.
//
// The program switches the modem on, reads the SIM card's status and, when the SIM
// asks for its PIN, enters SIM_PIN - after a modem restart again, since the SIM then
// asks again. Every change of the SIM status is printed on
// the debug output.
//
// The PIN is never sent twice on its own: three wrong PINs block the SIM card, which
// then needs the PUK. If the PIN is rejected, correct SIM_PIN and restart.
//
// Steps (details in README.md):
//   1. Wire the modem to the Arduino Mega 2560 as described in main.h and insert a SIM
//      card protected by a PIN.
//   2. Set SIM_PIN below to the PIN of your SIM card.
//   3. Open this sketch in the Arduino IDE, select the board "Arduino Mega or Mega
//      2560" and its port, and upload.
//   4. Open the Serial Monitor at 115200 baud.
//
// The library never blocks: every module does a little work in gsmmgrPoll() and
// returns at once. Keep loop() free of delay() so that it runs thousands of times a
// second. SIM status changes and the outcome of the PIN entry are handled in
// gsmPinEventHandler() in gsm_manager.cpp.

#include "main.h"
#include "gsm_manager.h"

/* The PIN of your SIM card (4 to 5 digits; 123 is sent as "0123"). */
#define SIM_PIN 1234u

static bool communicating = false;
static bool pinEntered = false;

/* Set by gsmPinEventHandler() when the SIM card rejected the PIN: it is never tried again. */
bool pinRejected = false;

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

/* Enters the PIN when the SIM card asks for it: once per start of the modem (after a
 * modem restart the SIM asks again), never again after the SIM rejected it. */
static void enterPinWhenAsked(void)
{
    if (gsmmgrPinStatus() != GSM_PIN_SimStatus_PinRequired)
    {
        pinEntered = false; /* unlocked, or the modem is (re)starting */
        return;
    }
    if (!pinEntered && !pinRejected)
    {
        pinEntered = true;
        debugText("The SIM card asks for its PIN: entering it.\r\n");
        gsmmgrPinEnter(SIM_PIN);
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
    debugText("Tarvex example: PIN_Enter\r\n");
}

void loop()
{
    gsmmgrPoll();
    reportModemState();
    enterPinWhenAsked();
}
