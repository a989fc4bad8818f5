// SMS_Send - send a text message (SMS) with a SIMCom modem and the Tarvex library.
//
// The program switches the modem on, waits until it is registered with the network and
// sends one text message to `phoneNumber`. The debug output shows the message
// reference the network gave it and, when the network reports it, whether the message
// was delivered.
//
// Steps (details in README.md):
//   1. Wire the modem to the Arduino Mega 2560 as described in main.h and insert a SIM
//      card without PIN lock.
//   2. Set phoneNumber below to the number that should receive the message, in
//      international format.
//   3. Open this sketch in the Arduino IDE, select the board "Arduino Mega or Mega
//      2560" and its port, and upload.
//   4. Open the Serial Monitor at 115200 baud.
//
// The library never blocks: every module does a little work in gsmmgrPoll() and
// returns at once. Keep loop() free of delay() so that it runs thousands of times a
// second. The outcome and the delivery report are handled in gsmSmsSendEventHandler()
// in gsm_manager.cpp.

#include "main.h"
#include "gsm_manager.h"

/* Recipient in international format (digits and a leading '+'), and the text (at most
 * 160 characters of the GSM alphabet). */
static char phoneNumber[] = "+447700900123";
static char messageText[] = "Hello from the Tarvex library!";

static bool communicating = false;
static bool registered = false;
static bool messageQueued = false;

/* Set by gsmSmsSendEventHandler() when the modem was switched off or restarted, or did
 * not answer, before the message went out: it is sent again (at most twice). */
bool sendAgain = false;
static uint8_t attempts = 0;

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

/* Hands the message to the library once the modem is registered. */
static void sendOnceRegistered(void)
{
    if (sendAgain)
    {
        sendAgain = false;
        if (attempts < 3u)
        {
            messageQueued = false; /* after a modem restart: once more when registered */
        }
    }
    if (!messageQueued && registered)
    {
        if (gsmmgrSmsSend(phoneNumber, messageText))
        {
            messageQueued = true;
            attempts++;
            debugText("Sending the text message...\r\n");
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
    debugText("Tarvex example: SMS_Send\r\n");
}

void loop()
{
    gsmmgrPoll();
    reportModemState();
    sendOnceRegistered();
}
