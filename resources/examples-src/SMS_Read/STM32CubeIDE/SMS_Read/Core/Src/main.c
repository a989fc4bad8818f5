/*
 * main.c - SMS_Read: receive text messages (SMS) with a SIMCom modem and the Tarvex
 * library on a NUCLEO-F411RE.
 *
 * The program switches the modem on, waits for the network and prints every text
 * message that arrives - sender, time stamp and text - on the debug output. Messages
 * already waiting on the SIM card are read first; each message is deleted from the SIM
 * once it has been read, so the SIM never fills up.
 *
 * Steps (details in README.md):
 *   1. Wire the modem to the NUCLEO-F411RE as described in main.h and insert a SIM card
 *      without PIN lock.
 *   2. Import the project into STM32CubeIDE (File > Import > Existing Projects into
 *      Workspace), build it and run it on the board.
 *   3. Open a terminal on the board's virtual COM port at 115200 baud and send a text
 *      message to the SIM.
 *
 * The library never blocks: every module does a little work in gsmmgrPoll() and
 * returns at once. The main loop must never wait. Received messages are handled in
 * gsmSmsReadEventHandler() in gsm_manager.c.
 */

#include "main.h"
#include "gsm_manager.h"

static bool communicating = false;
static bool registered = false;

static void setLed(bool on)
{
    boardLed(on);
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

int main(void)
{
    boardInit();
    gsmmgrInit();
    debugText("Tarvex example: SMS_Read\r\n");

    for (;;)
    {
        gsmmgrPoll();
        reportModemState();
    }
}
