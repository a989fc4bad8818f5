/*
 * main.c - MqttClient_Simcom_Subscribe: receive MQTT messages with a SIMCom modem and the Tarvex
 * library on a NUCLEO-F411RE.
 *
 * The program switches the modem on, waits until it is registered with the network,
 * connects to an MQTT server, subscribes to `topicFilter` and prints every message
 * that arrives - topic and payload - on the debug output. It reconnects and subscribes
 * again by itself when the connection is lost. Run the MqttClient_Simcom_Publish
 * example on a second board, or publish with any MQTT client, to send it messages.
 *
 * The MQTT client uses the MQTT service of SIMCom LTE modems (SIM7600 family) over the
 * LTE internet connection module.
 *
 * Steps (details in README.md):
 *   1. Wire the modem to the NUCLEO-F411RE as described in main.h and insert a SIM card
 *      with a data plan.
 *   2. Optionally set MQTT_SERVER_URL and topicFilter below.
 *   3. Import the project into STM32CubeIDE (File > Import > Existing Projects into
 *      Workspace), build it and run it on the board.
 *   4. Open a terminal on the board's virtual COM port at 115200 baud.
 *
 * The library never blocks: every module does a little work in gsmmgrPoll() and
 * returns at once. The main loop must never wait. Received messages and the outcome of
 * every MQTT operation are handled in gsmMqttClientSimcomEventHandler() in
 * gsm_manager.c.
 */

#include "main.h"
#include "gsm_manager.h"

/* The MQTT server: HiveMQ's public broker (plain TCP; the Publish example reaches the
 * same broker over TLS). Everybody can read what is published there - use your own
 * server for real data. */
#define MQTT_SERVER_URL "tcp://broker.hivemq.com:1883"
#define MQTT_CLIENT_ID "tarvex-example-subscriber"

/* Pause before connecting again after the connection was lost or refused. */
#define RECONNECT_INTERVAL_MS 10000u

/* What to subscribe to ('#' matches every topic below tarvex/example/). */
static char topicFilter[] = "tarvex/example/#";

static bool communicating = false;
static bool registered = false;
static GSM_MqttClientSimcom_Connect_Session session;
static uint32_t lastConnect_ms = 0u;
static bool subscribed = false;

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

/* Fills the connection parameters; the library keeps a pointer to them, so they must
 * live as long as the connection. */
static void setUpSession(void)
{
    gsmmgrMqttClientSimcomInitConfigDefault(&session);
    session.ServerUrl = MQTT_SERVER_URL;
    session.ClientId = MQTT_CLIENT_ID;
    session.KeepAlive_s = 60u;
    session.CleanSession = true;
}

/* Connects once registered, and again after a loss. */
static void keepConnected(GSM_MQTT_ServerStatus state)
{
    if ((state == GSM_MQTT_ServerStatus_Disconnected) && registered &&
        ((uint32_t)(nowMs() - lastConnect_ms) >= RECONNECT_INTERVAL_MS))
    {
        lastConnect_ms = nowMs();
        if (gsmmgrMqttClientSimcomConnect(&session))
        {
            debugText("Connecting to " MQTT_SERVER_URL "...\r\n");
        }
    }
}

/* Subscribes after every (re)connection. */
static void stayConnectedAndSubscribed(void)
{
    GSM_MQTT_ServerStatus state = gsmmgrMqttClientServerConnectionState();
    keepConnected(state);
    if (state == GSM_MQTT_ServerStatus_Disconnected)
    {
        subscribed = false;
    }
    else if ((state == GSM_MQTT_ServerStatus_Connected) && !subscribed)
    {
        if (gsmmgrMqttClientSimcomSubscribe(topicFilter, 0u))
        {
            subscribed = true;
            debugText("Subscribing to ");
            debugText(topicFilter);
            debugText("\r\n");
        }
    }
}

int main(void)
{
    boardInit();
    gsmmgrInit();
    setUpSession();
    debugText("Tarvex example: MqttClient_Simcom_Subscribe\r\n");

    for (;;)
    {
        gsmmgrPoll();
        reportModemState();
        stayConnectedAndSubscribed();
    }
}
