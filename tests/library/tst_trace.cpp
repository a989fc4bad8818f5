// With GSM_DEBUG_OUTPUT=1 the library traces its AT traffic through the application's
// gsmDebugWrite/gsmDebugWriteText (the functions the Start module's debug buffer
// generates). The other library tests link without these functions at all, which
// proves that a project without the debug buffer links.
#include "GSM_Prompt.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {
uint32_t gTime = 1000;
std::string gTrace;
std::string gWritten;
std::string gInput;
} // namespace

extern "C" uint32_t gsm__SysTime_ms(void) { return gTime; }
extern "C" void gsmDebugWrite(uint8_t data) { gTrace += static_cast<char>(data); }
extern "C" void gsmDebugWriteText(char* text) { gTrace += text; }

extern "C" void traceWrite(GSM_Prompt_Instance*, uint8_t b) { gWritten += static_cast<char>(b); }
extern "C" bool traceCanRead(GSM_Prompt_Instance*) { return !gInput.empty(); }
extern "C" uint8_t traceRead(GSM_Prompt_Instance*)
{
    uint8_t b = static_cast<uint8_t>(gInput[0]);
    gInput.erase(0, 1);
    return b;
}

extern "C" bool traceClient(GSM_Prompt_Client*, GSM_Prompt_Event* ev);
static GSM_Prompt_Instance gEngine;
bool traceClient(GSM_Prompt_Client*, GSM_Prompt_Event* ev)
{
    if (ev->Type == GSM_Prompt_EventType_Start)
        gsmPromptSendCommand(&gEngine._i, "AT+CSQ", 1000);
    return ev->Type == GSM_Prompt_EventType_Line;
}

TEST(Trace, CommandsAndLinesAreTraced)
{
    static uint8_t buf[128];
    std::memset(&gEngine, 0, sizeof gEngine);
    gEngine.DataBuffer = buf;
    gEngine.DataBufferSize = sizeof buf;
    gEngine.Write = &traceWrite;
    gEngine.CanRead = &traceCanRead;
    gEngine.Read = &traceRead;
    gsmPromptInit(&gEngine);
    GSM_Prompt_Client c{};
    c.Handler = &traceClient;
    gsmPromptRegisterClient(&gEngine._i, &c);
    gsmPromptRequest(&gEngine._i, &c);
    gsmPromptPoll(&gEngine);
    gInput = "\r\n+CSQ: 9,0\r\n\r\nOK\r\n";
    gsmPromptPoll(&gEngine);
    EXPECT_EQ(gWritten, "AT+CSQ\r");
    EXPECT_NE(gTrace.find("[GSM] > AT+CSQ"), std::string::npos) << gTrace;
    EXPECT_NE(gTrace.find("[GSM] < +CSQ: 9,0\n"), std::string::npos) << gTrace;
    EXPECT_NE(gTrace.find("[GSM] < OK\n"), std::string::npos) << gTrace;
}
