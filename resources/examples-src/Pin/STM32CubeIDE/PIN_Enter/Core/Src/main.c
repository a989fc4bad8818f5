/*
 * main.c - PIN_Enter: unlock a PIN-protected SIM card with a SIMCom modem and the Tarvex
 * library on a NUCLEO-F411RE.
 *
 * The program switches the modem on, reads the SIM card's status and, when the SIM
 * asks for its PIN, enters SIM_PIN - after a modem restart again, since the SIM then
 * asks again. Every change of the SIM status is printed on
 * the debug output.
 *
 * The PIN is never sent twice on its own: three wrong PINs block the SIM card, which
 * then needs the PUK. If the PIN is rejected, correct SIM_PIN and restart.
 *
 * Steps (details in README.md):
 *   1. Wire the modem to the NUCLEO-F411RE as described in main.h and insert a SIM card
 *      protected by a PIN.
 *   2. Set SIM_PIN below to the PIN of your SIM card.
 *   3. Import the project into STM32CubeIDE (File > Import > Existing Projects into
 *      Workspace), build it and run it on the board.
 *   4. Open a terminal on the board's virtual COM port at 115200 baud.
 *
 * The library never blocks: every module does a little work in gsmmgrPoll() and
 * returns at once. The main loop must never wait. SIM status changes and the outcome
 * of the PIN entry are handled in gsmPinEventHandler() in gsm_manager.c.
 */

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
    boardLed(on);
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

int main(void)
{
    boardInit();
    gsmmgrInit();
    debugText("Tarvex example: PIN_Enter\r\n");

    for (;;)
    {
        gsmmgrPoll();
        reportModemState();
        enterPinWhenAsked();
    }
}
