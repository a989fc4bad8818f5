#include "rig.h"

namespace {
LinkRig* g_link = nullptr;
Rig* g_rig = nullptr;
uint32_t g_now = 0;
} // namespace

extern "C" uint32_t gsm__SysTime_ms(void)
{
    return g_now;
}

// ---- the link, with the hardware callbacks as the developer fills them in gsm_manager.c ----

LinkRig::LinkRig(const RigOptions& o) : opt(o), rng(o.seed)
{
    g_link = this;
    g_now = 0xFFFF0000u; // close to the 32-bit wrap
    sim.tick(g_now);
    promptBuf.assign(o.promptBuffer, 0xA5);
    echoBuf.assign(1024, 0xA5);
    txBuf.assign(1024, 0);
    rxBuf.assign(o.rxBuffer, 0);

    pwr.SetPowerKey = [](GSM_Power_Instance*, bool activated) { g_link->sim.setPowerKey(activated); };
    if (o.useReset)
        pwr.SetReset = [](GSM_Power_Instance*, bool activated) { g_link->sim.setReset(activated); };
    pwr.ReadStatus = [](GSM_Power_Instance*) { return g_link->sim.status(); };
    gsmPowerInit(&pwr);

    prompt.Power = &pwr._i;
    prompt.DataBuffer = promptBuf.data();
    prompt.DataBufferSize = promptBuf.size();
    prompt.Write = [](GSM_Prompt_Instance*, uint8_t data) { g_link->txOverflows += !cbufWrite(&g_link->tx, data); };
    prompt.WriteCompleted = [](GSM_Prompt_Instance*) { return cbufBufferedSize(&g_link->tx) == 0; };
    prompt.CanRead = [](GSM_Prompt_Instance*) { return cbufCanRead(&g_link->rx); };
    prompt.Read = [](GSM_Prompt_Instance*) { return cbufRead(&g_link->rx); };
    prompt.EchoCancellationBuffer = echoBuf.data();
    prompt.EchoCancellationBufferSize = echoBuf.size();
    gsmPromptInit(&prompt);
    tx.Buffer = txBuf.data();
    tx.BufferSize = static_cast<uint32_t>(txBuf.size());
    cbufInit(&tx);
    rx.Buffer = rxBuf.data();
    rx.BufferSize = static_cast<uint32_t>(rxBuf.size());
    cbufInit(&rx);

    comms.Power = &pwr._i;
    comms.Prompt = &prompt._i;
    comms.EchoOn = o.echoOn ? 1 : 0;
    gsmBasicCommsInit(&comms);
}

LinkRig::~LinkRig()
{
    g_link = nullptr;
}

uint32_t LinkRig::now() const
{
    return g_now;
}

void LinkRig::step()
{
    g_now += 1 + rng() % 3; // up to 3 ms per main-loop pass
    sim.tick(g_now);
    // gsmmgrPoll(), in module order
    gsmPowerPoll(&pwr);
    sim.uartToHost(&rx, rng, opt.maxChunk);
    gsmPromptPoll(&prompt);
    sim.uartFromHost(&tx);
    gsmBasicCommsPoll(&comms);
    pollModules();
}

// ---- event handlers ----

extern "C" void gsmPinEventHandler(GSM_PIN_Instance*, GSM_PIN_EventType type, void* data)
{
    Rig& r = *g_rig;
    if (type == GSM_PIN_EventType_SimStatus) {
        r.simStatus.push_back(static_cast<GSM_PIN_Event_SimStatus*>(data)->SimStatus);
        r.log.push_back("SimStatus " + std::to_string(r.simStatus.back()));
        return;
    }
    r.statusAtPinEvent.push_back(gsmPinStatus(&r.pin));
    const bool success = type == GSM_PIN_EventType_PinSuccess;
    ++(success ? r.pinSuccess : r.pinFailed);
    r.log.push_back(success ? "PinSuccess" : "PinFailed");
}

extern "C" void gsmSignalQualityEventHandler(GSM_SignalQuality_Instance*, GSM_SignalQuality_EventType type, void* data)
{
    Rig& r = *g_rig;
    if (type == GSM_SignalQuality_EventType_QuerySuccess) {
        auto* e = static_cast<GSM_SignalQuality_Event_QuerySuccess*>(data);
        r.csq.push_back({e->Rssi, e->Quality});
        r.log.push_back("QuerySuccess");
    } else if (type == GSM_SignalQuality_EventType_QueryFailed) {
        ++r.csqFailed;
        r.log.push_back("QueryFailed");
    }
}

extern "C" void gsmSmsSendEventHandler(GSM_SmsSend_Instance*, GSM_SmsSend_EventType type, void* data)
{
    Rig& r = *g_rig;
    switch (type) {
    case GSM_SmsSend_EventType_SendSuccess:
        r.smsSent.push_back(static_cast<GSM_SmsSend_Event_SendSuccess*>(data)->MessageReference);
        r.log.push_back("SendSuccess");
        break;
    case GSM_SmsSend_EventType_SendFailed:
        r.smsFailed.push_back(*static_cast<GSM_SmsSend_Event_SendFailed*>(data));
        r.log.push_back("SendFailed");
        break;
    case GSM_SmsSend_EventType_DeliveryStatusReport: {
        auto* e = static_cast<GSM_SmsSend_Event_DeliveryStatusReport*>(data);
        // The fields as delivered (the library fills them by default), then the
        // explicit conversion for firmware built without that.
        DeliveryReport d{e->PhoneNumber,        e->MessageReference,
                         e->MessageStatus,      e->ServiceCentreEpoch,
                         e->DischargeEpoch,     e->ServiceCentreTimeZoneOffsetInSeconds,
                         e->DischargeTimeZoneOffsetInSeconds};
        GSM_SmsSend_Event_DeliveryStatusReport asked = *e;
        asked.ServiceCentreEpoch = asked.DischargeEpoch = 0;
        asked.ServiceCentreTimeZoneOffsetInSeconds = asked.DischargeTimeZoneOffsetInSeconds = 0;
        d.timesParsed = gsmSmsSendParseDeliveryReportTimes(&asked) && asked.ServiceCentreEpoch == d.scEpoch &&
                        asked.DischargeEpoch == d.dtEpoch && asked.ServiceCentreTimeZoneOffsetInSeconds == d.scOffset &&
                        asked.DischargeTimeZoneOffsetInSeconds == d.dtOffset;
        r.reports.push_back(d);
        r.log.push_back("DeliveryStatusReport");
        break;
    }
    }
}

extern "C" void gsmSmsReadEventHandler(GSM_SmsRead_Instance*, GSM_SmsRead_EventType type, void* data)
{
    if (type == GSM_SmsRead_EventType_ReadSuccess) {
        auto* e = static_cast<GSM_SmsRead_Event_ReadSuccess*>(data);
        g_rig->received.push_back(
            {e->SmsStatus, e->PhoneNumber, e->SmsData, e->EpochTime, e->TimeZoneCompensation, e->StorageIndex});
        g_rig->log.push_back("ReadSuccess");
    }
}

extern "C" void gsmUssdEventHandler(GSM_USSD_Instance*, GSM_USSD_EventType type, void* data)
{
    UssdEvent u;
    u.type = type;
    if (type == GSM_USSD_EventType_UssdResponse) {
        auto* e = static_cast<GSM_USSD_Event_UssdResponse*>(data);
        u.code = e->ResponseCode;
        u.text = e->DataResult;
    }
    g_rig->ussdEvents.push_back(u);
    g_rig->log.push_back(type == GSM_USSD_EventType_UssdSent       ? "UssdSent"
                         : type == GSM_USSD_EventType_UssdResponse ? "UssdResponse"
                                                                   : "UssdCancelled");
}

// ---- the cellular modules ----

Rig::Rig(const RigOptions& o) : LinkRig(o)
{
    g_rig = this;
    // The modules, in the generated order, each with the interfaces it names.
    pin.Power = sq.Power = netreg.Power = smsSend.Power = smsRead.Power = ussd.Power = &pwr._i;
    pin.Prompt = sq.Prompt = netreg.Prompt = smsSend.Prompt = smsRead.Prompt = ussd.Prompt = &prompt._i;
    pin.BasicComms = sq.BasicComms = netreg.BasicComms = smsSend.BasicComms = smsRead.BasicComms = &comms._i;
    smsSend.NetworkRegistration = ussd.NetworkRegistration = &netreg._i;
    pin.EventHandler = &gsmPinEventHandler;
    sq.EventHandler = &gsmSignalQualityEventHandler;
    smsSend.EventHandler = &gsmSmsSendEventHandler;
    smsRead.EventHandler = &gsmSmsReadEventHandler;
    ussd.EventHandler = &gsmUssdEventHandler;
    gsmPinInit(&pin);
    gsmSignalQualityInit(&sq);
    gsmNetworkRegistrationInit(&netreg);
    gsmSmsSendInit(&smsSend);
    gsmSmsReadInit(&smsRead);
    gsmUssdInit(&ussd);
}

Rig::~Rig()
{
    g_rig = nullptr;
}

void Rig::pollModules()
{
    gsmPinPoll(&pin);
    gsmSignalQualityPoll(&sq);
    gsmNetworkRegistrationPoll(&netreg);
    gsmSmsSendPoll(&smsSend);
    gsmSmsReadPoll(&smsRead);
    gsmUssdPoll(&ussd);
    if (onStep)
        onStep();
}

bool Rig::bringUp()
{
    if (!runUntil([&] { return established(); }, 20000) || !gsmPinEnter(&pin, 1234) ||
        !runUntil([&] { return gsmPinStatus(&pin) == GSM_PIN_SimStatus_Ready; }, 10000))
        return false;
    sim.setRegistration(0, 1);
    sim.setRegistration(1, 1);
    return runUntil([&] { return gsmNetworkRegistrationIsRegistered(&netreg); }, 30000) &&
           runUntil([&] { return sim.cnmiMt == 1 && !gsmSmsReadIsBusy(&smsRead); }, 10000);
}
