/*
 * main.c - Signal_Quality: measure the signal quality with a SIMCom modem and the Tarvex
 * library on a NUCLEO-F411RE.
 *
 * The program switches the modem on and, once the modem answers, asks it for the
 * signal quality every ten seconds (AT+CSQ). Each answer is printed on the debug
 * output as the raw level, the level in dBm, a rating and the bit error rate class.
 *
 * Steps (details in README.md):
 *   1. Wire the modem to the NUCLEO-F411RE as described in main.h and insert a SIM
 *      card.
 *   2. Import the project into STM32CubeIDE (File > Import > Existing Projects into
 *      Workspace), build it and run it on the board.
 *   3. Open a terminal on the board's virtual COM port at 115200 baud.
 *
 * The library never blocks: every module does a little work in gsmmgrPoll() and
 * returns at once. The main loop must never wait. The answers are handled in
 * gsmSignalQualityEventHandler() in gsm_manager.c.
 */

#include "main.h"
#include "gsm_manager.h"

/* Time between two measurements. */
#define QUERY_INTERVAL_MS 10000u

static bool communicating = false;
static uint32_t lastQuery_ms = 0u;

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

int main(void)
{
    boardInit();
    gsmmgrInit();
    debugText("Tarvex example: Signal_Quality\r\n");

    for (;;)
    {
        gsmmgrPoll();
        reportModemState();
        measurePeriodically();
    }
}
