// The library wired exactly as the generated gsm_manager does it (instances zeroed,
// callbacks assigned, Init in module order, Poll in module order, circular Rx/Tx
// buffers between the library and the "UART"), attached to the modem simulator.
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

// What every rig shares: the clock (it starts just before the 32-bit millisecond wrap),
// the modem simulator, and Power, Prompt and BasicComms with the circular Rx/Tx buffers
// as the "UART", wired and polled as the generated gsm_manager does it. A rig adds its
// modules in pollModules(), in module order.
class LinkRig
{
public:
    explicit LinkRig(const RigOptions& o);
    virtual ~LinkRig();
    LinkRig(const LinkRig&) = delete;
    LinkRig& operator=(const LinkRig&) = delete;

    void step(); // one main-loop pass
    bool runUntil(const std::function<bool()>& cond, uint32_t maxMs)
    {
        return runLoop(cond, maxMs, [this] { return now(); }, [this] { step(); });
    }
    void runFor(uint32_t ms) { runUntil([] { return false; }, ms); }
    uint32_t now() const;
    bool established() { return gsmBasicCommsCommunicationEstablished(&comms); }

    ModemSim sim;
    RigOptions opt;

    // Zeroed, as the generated manager's instances are.
    GSM_Power_Instance pwr{};
    GSM_Prompt_Instance prompt{};
    GSM_BasicComms_Instance comms{};

    std::vector<uint8_t> promptBuf, echoBuf, txBuf, rxBuf;
    CircBuff tx{}, rx{};
    unsigned txOverflows = 0;
    std::mt19937 rng;

protected:
    virtual void pollModules() = 0;
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

class Rig : public LinkRig
{
public:
    explicit Rig(const RigOptions& o = RigOptions());
    ~Rig() override;

    // The common start of a flow: link up, the SIM unlocked with 1234, CS and GPRS
    // registered, the SMS reader set up and idle. False: a step never came.
    bool bringUp();

    GSM_PIN_Instance pin{};
    GSM_SignalQuality_Instance sq{};
    GSM_NetworkRegistration_Instance netreg{};
    GSM_SmsSend_Instance smsSend{};
    GSM_SmsRead_Instance smsRead{};
    GSM_USSD_Instance ussd{};

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

protected:
    void pollModules() override;
};
