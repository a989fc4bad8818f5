// USSD_Query - send a USSD code, e.g. a balance query with a SIMCom modem and the Tarvex library.
//
// The program switches the modem on, waits until it is registered with the network and
// sends the USSD code `ussdCode` (for many operators *100# shows the prepaid balance).
// The network's answer is printed on the debug output. When the answer is a menu that
// waits for a reply, the program ends the session.
//
// Steps (details in README.md):
//   1. Wire the modem to the Arduino Mega 2560 as described in main.h and insert a SIM
//      card without PIN lock.
//   2. Set ussdCode below to a code your operator supports.
//   3. Open this sketch in the Arduino IDE, select the board "Arduino Mega or Mega
//      2560" and its port, and upload.
//   4. Open the Serial Monitor at 115200 baud.
//
// The library never blocks: every module does a little work in gsmmgrPoll() and
// returns at once. Keep loop() free of delay() so that it runs thousands of times a
// second. The answers are handled in gsmUssdEventHandler() in gsm_manager.cpp.

#include "main.h"
#include "gsm_manager.h"

/* The code to send: digits, '*' and '#'. */
static char ussdCode[] = "*100#";

static bool communicating = false;
static bool registered = false;
static bool codeSent = false;
static bool sessionEnded = false;

/* Set by gsmUssdEventHandler() when the code could not be sent or the answer never came
 * (e.g. the modem restarted meanwhile): the query is made again (at most three times). */
bool queryAgain = false;
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

/* Sends the code once the modem is registered; ends a session that waits for a reply. */
static void queryOnceRegistered(void)
{
    if (queryAgain)
    {
        queryAgain = false;
        if (attempts < 3u)
        {
            codeSent = false; /* once more when registered */
            sessionEnded = false;
        }
    }
    if (!codeSent && registered)
    {
        if (gsmmgrUssdSend(ussdCode))
        {
            codeSent = true;
            attempts++;
            debugText("Sending the USSD code...\r\n");
        }
    }
    if (codeSent && !sessionEnded && gsmUssdIsSessionOpen(&mGsmUssdInst))
    {
        if (gsmmgrUssdCancelSession())
        {
            sessionEnded = true;
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
    debugText("Tarvex example: USSD_Query\r\n");
}

void loop()
{
    gsmmgrPoll();
    reportModemState();
    queryOnceRegistered();
}
