// The library wired exactly as the generated gsm_manager does it (instances zeroed,
// callbacks assigned, Init in module order, Poll in module order, circular Rx/Tx
// buffers between the library and the "UART"), attached to the modem simulator.
// Time starts just before the 32-bit millisecond counter wraps, on purpose.
#pragma once

#include "modem_sim.h"

#include "GSM_BasicComms.h"
#include "GSM_NetworkRegistration.h"
#include "GSM_PIN.h"
#include "GSM_Power.h"
#include "GSM_Prompt.h"
#include "GSM_SMS_Read.h"
#include "GSM_SMS_Send.h"
#include "GSM_SignalQuality.h"
#include "GSM_USSD.h"
#include "circbuff.h"

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

struct RigOptions
{
    size_t promptBuffer = 1024;
    size_t rxBuffer = 1024;
    bool echoOn = true;
    bool useReset = false;
    uint32_t seed = 1;
    unsigned maxChunk = 16; // largest piece of modem output handed over per poll
};

struct DeliveryReport
{
    std::string phone;
    int reference = 0, status = 0;
    uint32_t scEpoch = 0, dtEpoch = 0;
    int32_t scOffset = 0, dtOffset = 0;
    bool timesParsed = false; // gsmSmsSendParseDeliveryReportTimes() gives the delivered times
};

struct ReceivedSms
{
    int status = 0;
    std::string phone, text;
    uint32_t epoch = 0;
    int32_t offset = 0;
    int index = 0;
};

struct UssdEvent
{
    int type = 0, code = -1;
    std::string text;
};

class Rig
{
public:
    explicit Rig(const RigOptions& o = RigOptions());
    ~Rig();

    void step(); // one main-loop pass
    void runFor(uint32_t ms);
    bool runUntil(const std::function<bool()>& cond, uint32_t maxMs);
    // The common start of a flow: link up, the SIM unlocked with 1234, CS and GPRS
    // registered, the SMS reader set up and idle. False: a step never came.
    bool bringUp();
    bool established() { return gsmBasicCommsCommunicationEstablished(&comms); }

    ModemSim sim;
    RigOptions opt;

    GSM_Power_Instance pwr{};
    GSM_Prompt_Instance prompt{};
    GSM_BasicComms_Instance comms{};
    GSM_PIN_Instance pin{};
    GSM_SignalQuality_Instance sq{};
    GSM_NetworkRegistration_Instance netreg{};
    GSM_SmsSend_Instance smsSend{};
    GSM_SmsRead_Instance smsRead{};
    GSM_USSD_Instance ussd{};

    std::vector<uint8_t> promptBuf, echoBuf, txBuf, rxBuf;
    CircBuff tx{}, rx{};
    unsigned txOverflows = 0;
    std::mt19937 rng;

    // recorded events
    std::vector<std::string> log;
    std::vector<int> simStatus;
    int pinSuccess = 0, pinFailed = 0;
    std::vector<std::pair<int, int>> csq;
    int csqFailed = 0;
    std::vector<int> smsSent;
    std::vector<GSM_SmsSend_Event_SendFailed> smsFailed;
    std::vector<DeliveryReport> reports;
    std::vector<ReceivedSms> received;
    std::vector<UssdEvent> ussdEvents;
    std::function<void()> onStep;      // the application's part of the main loop
    std::vector<int> statusAtPinEvent; // gsmPinStatus() seen by PinSuccess/PinFailed

    void rxPoll();
    void txPoll();
};
