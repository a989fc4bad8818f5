// MqttClient_Simcom_Publish - publish MQTT messages with a SIMCom modem and the Tarvex library.
//
// The program switches the modem on, waits until it is registered with the network,
// connects to an MQTT server and publishes a counter to `topic` every thirty seconds.
// It reconnects by itself when the connection is lost. Run the
// MqttClient_Simcom_Subscribe example (or any MQTT client) subscribed to the same
// topic to watch the messages arrive.
//
// The MQTT client uses the MQTT service of SIMCom LTE modems (SIM7600 family) over the
// LTE internet connection module.
//
// Steps (details in README.md):
//   1. Wire the modem to the Arduino Mega 2560 as described in main.h and insert a SIM
//      card with a data plan.
//   2. Optionally set MQTT_SERVER_URL and topic below (another TLS server
//      needs its CA in gsm_manager's USER CODE Variables).
//   3. Open this sketch in the Arduino IDE, select the board "Arduino Mega or Mega
//      2560" and its port, and upload.
//   4. Open the Serial Monitor at 115200 baud.
//
// The library never blocks: every module does a little work in gsmmgrPoll() and
// returns at once. Keep loop() free of delay() so that it runs thousands of times a
// second. The outcome of every MQTT operation is handled in
// gsmMqttClientSimcomEventHandler() in gsm_manager.cpp.

#include "main.h"
#include "gsm_manager.h"

/* The MQTT server: HiveMQ's public broker, over TLS (port 8883); the modem verifies its
 * certificate against the CA in gsm_manager's USER CODE (Variables, Init). Everybody can
 * read what you publish there - use your own server for real data. */
#define MQTT_SERVER_URL "tcp://broker.hivemq.com:8883"
#define MQTT_CLIENT_ID "tarvex-example-publisher"

/* Pause before connecting again after the connection was lost or refused. */
#define RECONNECT_INTERVAL_MS 10000u

/* Where to publish, and how often. */
static char topic[] = "tarvex/example/counter";
#define PUBLISH_INTERVAL_MS 30000u

static bool communicating = false;
static bool registered = false;
static GSM_MqttClientSimcom_Connect_Session session;
static uint32_t lastConnect_ms = 0u;
static uint32_t lastPublish_ms = 0u;
static uint32_t publishCount = 0u;
/* The library does not copy the payload: it stays unchanged while a publication runs. */
static char payload[16];
/* True from a publication until its outcome; the event handler in the manager file
 * clears it (declared in gsm_manager.h). */
bool examplePublishBusy = false;

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

/* Writes value as decimal text, terminated, into `to` (at least 11 characters). */
static void writeUnsigned(char* to, uint32_t value)
{
    char digits[11];
    int pos = (int)sizeof(digits) - 1;
    digits[pos] = '\0';
    do
    {
        digits[--pos] = (char)('0' + (value % 10u));
        value /= 10u;
    } while (value != 0u);
    while (digits[pos] != '\0')
    {
        *to++ = digits[pos++];
    }
    *to = '\0';
}

/* Publishes the next counter value every PUBLISH_INTERVAL_MS while connected. */
static void publishPeriodically(void)
{
    GSM_MQTT_ServerStatus state = gsmmgrMqttClientServerConnectionState();
    keepConnected(state);
    if ((state != GSM_MQTT_ServerStatus_Connected) || examplePublishBusy ||
        ((uint32_t)(nowMs() - lastPublish_ms) < PUBLISH_INTERVAL_MS))
    {
        return;
    }
    writeUnsigned(payload, publishCount + 1u);
    if (gsmmgrMqttClientSimcomPublish(topic, payload))
    {
        examplePublishBusy = true;
        publishCount++;
        lastPublish_ms = nowMs();
        debugText("Publishing ");
        debugText(payload);
        debugText(" to ");
        debugText(topic);
        debugText("\r\n");
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
    setUpSession();
    debugText("Tarvex example: MqttClient_Simcom_Publish\r\n");
}

void loop()
{
    gsmmgrPoll();
    reportModemState();
    publishPeriodically();
}
