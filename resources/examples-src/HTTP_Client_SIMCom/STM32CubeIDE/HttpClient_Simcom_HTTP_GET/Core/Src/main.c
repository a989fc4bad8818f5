/*
 * main.c - HttpClient_Simcom_HTTP_GET: fetch a web page with HTTP GET with a SIMCom modem and the Tarvex
 * library on a NUCLEO-F411RE.
 *
 * The program switches the modem on, waits until it is registered with the network and
 * then fetches `url` once a minute. The status code and the body of each response are
 * printed on the debug output.
 *
 * The HTTP client waits for the internet connection by itself. The same program runs
 * over a SIMCom LTE modem (SIM7600 family) or a SIMCom 2G modem (SIM800 family): the
 * Code Generator asked which internet connection module to use when it wrote this
 * project.
 *
 * Steps (details in README.md):
 *   1. Wire the modem to the NUCLEO-F411RE as described in main.h and insert a SIM card
 *      with a data plan.
 *   2. Optionally set url below to the page you want to fetch (https needs the
 *      server's CA in gsm_manager's USER CODE Variables).
 *   3. Import the project into STM32CubeIDE (File > Import > Existing Projects into
 *      Workspace), build it and run it on the board.
 *   4. Open a terminal on the board's virtual COM port at 115200 baud.
 *
 * The library never blocks: every module does a little work in gsmmgrPoll() and
 * returns at once. The main loop must never wait. Responses are handled in
 * gsmHttpClientSimcomEventHandler() in gsm_manager.c.
 */

#include "main.h"
#include "gsm_manager.h"

/* The page to fetch, over HTTPS: the modem verifies the server against the CA given in
 * gsm_manager's USER CODE (Variables, Init); for another server name its CA there. */
static char url[] = "https://httpbin.org/get";

/* Time between two requests. */
#define REQUEST_INTERVAL_MS 60000u

static bool communicating = false;
static bool registered = false;
static bool requested = false;
static uint32_t lastRequest_ms = 0u;

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

/* Starts a request once registered, then every REQUEST_INTERVAL_MS. */
static void requestPeriodically(void)
{
    if (!registered || gsmmgrHttpClientSimcomHttpOperationPending())
    {
        return;
    }
    if (!requested || ((uint32_t)(nowMs() - lastRequest_ms) >= REQUEST_INTERVAL_MS))
    {
        if (gsmmgrHttpClientSimcomGet(url))
        {
            requested = true;
            lastRequest_ms = nowMs();
            debugText("GET ");
            debugText(url);
            debugText("\r\n");
        }
    }
}

int main(void)
{
    boardInit();
    gsmmgrInit();
    debugText("Tarvex example: HttpClient_Simcom_HTTP_GET\r\n");

    for (;;)
    {
        gsmmgrPoll();
        reportModemState();
        requestPeriodically();
    }
}
