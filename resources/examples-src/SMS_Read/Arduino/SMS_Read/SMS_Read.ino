// SMS_Read - receive text messages (SMS) with a SIMCom modem and the Tarvex library.
//
// The program switches the modem on, waits for the network and prints every text
// message that arrives - sender, time stamp and text - on the debug output. Messages
// already waiting on the SIM card are read first; each message is deleted from the SIM
// once it has been read, so the SIM never fills up.
//
// Steps (details in README.md):
//   1. Wire the modem to the Arduino Mega 2560 as described in main.h and insert a SIM
//      card without PIN lock.
//   2. Open this sketch in the Arduino IDE, select the board "Arduino Mega or Mega
//      2560" and its port, and upload.
//   3. Open the Serial Monitor at 115200 baud and send a text message to the SIM.
//
// The library never blocks: every module does a little work in gsmmgrPoll() and
// returns at once. Keep loop() free of delay() so that it runs thousands of times a
// second. Received messages are handled in gsmSmsReadEventHandler() in
// gsm_manager.cpp.

#include "main.h"
#include "gsm_manager.h"

static bool communicating = false;
static bool registered = false;

static void setLed(bool on)
{
    digitalWrite(PIN_LED, on ? HIGH : LOW);
}

/* Reports changes of the modem's state on the debug output and the LED. */
static void reportModemState(void)
{
    bool nowCommunicating = gsmmgrBasicCommsCommunicationEstablished();
    bool nowRegistered = gsmmgrNetworkRegistrationIsRegistered();

    if (nowCommunicating != communicating)
    {
        communicating = nowCommunicating;
        debugText(communicating ? "The modem answers.\r\n" : "Waiting for the modem...\r\n");
    }
    if (nowRegistered != registered)
    {
        registered = nowRegistered;
        setLed(registered);
        debugText(registered ? "Registered with the network.\r\n" : "Not registered with a network.\r\n");
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
    debugText("Tarvex example: SMS_Read\r\n");
}

void loop()
{
    gsmmgrPoll();
    reportModemState();
}
