// Parsing helpers, the circular buffer and the small pure functions of the modules.
// Built twice: as is, and the way it is on AVR (separate routines for texts in flash).
#include "GSM_Prompt_Helper.h"
#include "GSM_SMS_Send.h"
#include "GSM_SignalQuality.h"
#include "GSM_USSD.h"
#include "GSM_Util.h"
#include "circbuff.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

static uint32_t gTime = 0;
extern "C" uint32_t gsm__SysTime_ms(void)
{
    return gTime;
}

namespace {

// Every month's first and last day, 1970 to 2199 (leap years, 2000, 2100), against the
// C library's own conversion; and the last valid day of every month is accepted by the
// time-stamp parser while the day after it is not.
TEST(Scts, DatesAgreeWithTheCLibrary)
{
    const int lastDay[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int y = 1970; y < 2200; ++y) {
        const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
        for (int m = 1; m <= 12; ++m) {
            const int last = lastDay[m - 1] + ((m == 2 && leap) ? 1 : 0);
            for (int d : {1, last}) {
                struct tm t = {};
                t.tm_year = y - 1900;
                t.tm_mon = m - 1;
                t.tm_mday = d;
                t.tm_hour = 23;
                t.tm_min = 59;
                t.tm_sec = 58;
                ASSERT_EQ(gsmUtilEpochFromDate(static_cast<uint16_t>(y), static_cast<uint8_t>(m),
                                               static_cast<uint8_t>(d), 23, 59, 58),
                          static_cast<uint32_t>(timegm(&t)))
                    << y << "-" << m << "-" << d;
            }
            if (y >= 2000 && y < 2100) {
                char text[32];
                uint32_t epoch = 0;
                int32_t tz = 0;
                std::snprintf(text, sizeof text, "%02d/%02d/%02d,12:00:00+00", y % 100, m, last);
                EXPECT_TRUE(gsmUtilParseScts(text, &epoch, &tz)) << text;
                std::snprintf(text, sizeof text, "%02d/%02d/%02d,12:00:00+00", y % 100, m, last + 1);
                EXPECT_FALSE(gsmUtilParseScts(text, &epoch, &tz)) << text;
            }
        }
    }
}

// Time stamps "yy/MM/dd,hh:mm:ss±zz" (quarter hours of offset), quoted or not; a
// malformed one is rejected and leaves the outputs untouched.
TEST(Scts, ParsedToUtcEpochAndOffset)
{
    const struct
    {
        const char* text;
        uint32_t epoch; // 0: rejected
        int32_t tz;
    } rows[] = {
        {"10/05/06,00:01:52+08", 1273096912u, 7200}, // 6 May 2010 00:01:52 at UTC+2
        {"\"24/01/01,00:30:00-22\"", 1704069000u + 19800u, -19800},
        {"24/02/29,23:59:59+00", 1709251199u, 0}, // leap day
        {"99/12/31,23:59:59+56", 4102444799u - 50400u, 50400}, // beyond 2038, UTC+14
        {"00/01/01,00:00:00-48", 946684800u + 43200u, -43200},
        {"", 0, 0}, {"10/05/06", 0, 0}, {"10/05/06,00:01:52", 0, 0}, {"10/13/06,00:01:52+08", 0, 0},
        {"10/05/32,00:01:52+08", 0, 0}, {"23/02/29,00:00:00+00", 0, 0}, {"10/05/06,24:00:00+00", 0, 0},
        {"10/05/06,00:60:00+00", 0, 0}, {"10/05/06,00:01:52+57", 0, 0}, {"10/05/06,00:01:52*08", 0, 0},
        {"10/05/00,00:01:52+08", 0, 0}, {"10/00/06,00:01:52+08", 0, 0}, {"10/05/06,00:01:52-49", 0, 0},
        {"10/05/06,00:01:52+08x", 0, 0}, {"1O/05/06,00:01:52+08", 0, 0}, {"10-05-06,00:01:52+08", 0, 0},
    };
    for (const auto& row : rows) {
        uint32_t epoch = 123;
        int32_t tz = 456;
        EXPECT_EQ(gsmUtilParseScts(row.text, &epoch, &tz), row.epoch != 0) << row.text;
        EXPECT_EQ(epoch, row.epoch ? row.epoch : 123u) << row.text;
        EXPECT_EQ(tz, row.epoch ? row.tz : 456) << row.text;
        // Either output alone.
        EXPECT_EQ(gsmUtilParseScts(row.text, &epoch, nullptr) && gsmUtilParseScts(row.text, nullptr, &tz),
                  row.epoch != 0)
            << row.text;
    }
    EXPECT_FALSE(gsmUtilParseScts(nullptr, nullptr, nullptr));
}

TEST(Util, SplitArgsHonoursQuotes)
{
    char line[] = " \"REC UNREAD\",\"+4412\",,\"10/05/06,00:01:52+08\" , 7 ";
    char* f[6];
    ASSERT_EQ(gsmUtilSplitArgs(line, f, 6), 5);
    EXPECT_STREQ(f[0], "REC UNREAD");
    EXPECT_STREQ(f[1], "+4412");
    EXPECT_STREQ(f[2], "");
    EXPECT_STREQ(f[3], "10/05/06,00:01:52+08");
    EXPECT_STREQ(f[4], "7");

    char two[] = "1,2,3,4";
    ASSERT_EQ(gsmUtilSplitArgs(two, f, 2), 2);
    EXPECT_STREQ(f[1], "2");

    char blank[] = "   ";
    EXPECT_EQ(gsmUtilSplitArgs(blank, f, 2), 0);
    char open[] = "\"unterminated,still one";
    ASSERT_EQ(gsmUtilSplitArgs(open, f, 3), 1);
    EXPECT_STREQ(f[0], "unterminated,still one");
}

TEST(Util, ParseIntIsStrict)
{
    const struct
    {
        const char* text;
        bool ok;
        int32_t value;
    } rows[] = {{" 42 ", true, 42},   {"-2147483647", true, -2147483647}, {"2147483648", false, 0},
                {"99999999999999", false, 0}, {"4294967296", false, 0}, // 2^32 must not wrap round to 0
                {"", false, 0},       {"-", false, 0},  {"12a", false, 0},  {"1 2", false, 0}};
    for (const auto& r : rows) {
        int32_t v = 7;
        EXPECT_EQ(gsmUtilParseInt(r.text, &v), r.ok) << r.text;
        EXPECT_EQ(v, r.ok ? r.value : 7) << r.text;
    }
}

TEST(Util, StrCopyTruncatesSafely)
{
    char dst[6];
    std::memset(dst, 'x', sizeof dst);
    EXPECT_FALSE(gsmUtilStrCopy(dst, sizeof dst, "abcdefgh"));
    EXPECT_STREQ(dst, "abcde");
    EXPECT_TRUE(gsmUtilStrCopy(dst, sizeof dst, "abcde"));
    EXPECT_STREQ(dst, "abcde");
    EXPECT_FALSE(gsmUtilStrCopy(dst, sizeof dst, nullptr));
    EXPECT_STREQ(dst, "");
    EXPECT_FALSE(gsmUtilStrCopy(dst, 0, "a"));
    char buf[12];
    EXPECT_EQ(gsmUtilIntToStr(-2147483647 - 1, buf), 11);
    EXPECT_STREQ(buf, "-2147483648");
}

// Texts and lists kept in flash (read through the _P routines; in the flash-separate
// build of this test they are the separate routines that read with GSM_FLASH_BYTE).
TEST(Util, PrefixesFromFlash)
{
    static const char kList[] GSM_FLASH = "+CMTI:\0+CDS\0RING\0";
    struct
    {
        const char* line;
        int8_t index;
        const char* after; // what gsmUtilAfterPrefix_P(line, "+CMTI:") leaves, or null
    } cases[] = {
        {"+CMTI: \"SM\",3", 0, "\"SM\",3"},
        {"+CMTI:", 0, ""},
        {"+CDS: 6,1", 1, nullptr},
        {"+CDSI: \"SM\",1", 1, nullptr},
        {"RINGING", 2, nullptr},
        {"+CMT", -1, nullptr},
        {"", -1, nullptr},
    };
    for (const auto& c : cases) {
        std::string line = c.line;
        EXPECT_EQ(gsmUtilFindPrefix(c.line, kList), c.index) << c.line;
        EXPECT_EQ(gsmUtilStartsWith_P(c.line, GSM_F("+CMTI:")), c.after != nullptr) << c.line;
        const char* after = gsmUtilAfterPrefix_P(&line[0], GSM_F("+CMTI:"));
        if (c.after == nullptr)
            EXPECT_EQ(after, nullptr) << c.line;
        else
            EXPECT_STREQ(after, c.after) << c.line;
    }
    EXPECT_EQ(gsmUtilFindPrefix(nullptr, kList), -1);
}

TEST(Util, ElapsedIsWrapSafe)
{
    gTime = 5;
    EXPECT_EQ(gsmUtilElapsed(0xFFFFFFFBu), 10u);
    EXPECT_FALSE(gsmUtilTimedOut(0xFFFFFFFBu, 11));
    EXPECT_TRUE(gsmUtilTimedOut(0xFFFFFFFBu, 10));
}

TEST(CircBuff, FillsToCapacityAndWraps)
{
    uint8_t storage[8 + 4];
    std::memset(storage, 0xEE, sizeof storage);
    CircBuff cb{};
    cb.Buffer = storage;
    cb.BufferSize = 8;
    cbufInit(&cb);
    for (int round = 0; round < 5; ++round) {
        for (uint8_t i = 0; i < 7; ++i)
            ASSERT_TRUE(cbufWrite(&cb, static_cast<uint8_t>(round * 10 + i)));
        EXPECT_FALSE(cbufWrite(&cb, 0xFF)) << "capacity is size - 1";
        EXPECT_EQ(cbufBufferedSize(&cb), 7u);
        EXPECT_EQ(cbufFreeSize(&cb), 0u);
        for (uint8_t i = 0; i < 7; ++i)
            ASSERT_EQ(cbufRead(&cb), round * 10 + i);
        EXPECT_FALSE(cbufCanRead(&cb));
        EXPECT_EQ(cbufRead(&cb), 0);
        cbufWrite(&cb, 1); // shift the start so every round wraps differently
        cbufRead(&cb);
    }
    for (int i = 8; i < 12; ++i)
        EXPECT_EQ(storage[i], 0xEE);
}

TEST(CircBuff, LockedSegmentIsNotOverwritten)
{
    uint8_t storage[8];
    CircBuff cb{};
    cb.Buffer = storage;
    cb.BufferSize = 8;
    cbufInit(&cb);
    for (uint8_t i = 1; i <= 6; ++i)
        cbufWrite(&cb, i);
    uint8_t* seg = nullptr;
    uint32_t n = cbufReadContinuousSegmentAndLock(&cb, &seg, 4);
    ASSERT_EQ(n, 4u);
    EXPECT_EQ(std::vector<uint8_t>(seg, seg + n), (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(cbufBufferedSize(&cb), 2u) << "the segment counts as read";
    // While a transfer of the segment runs, its space stays reserved.
    EXPECT_TRUE(cbufWrite(&cb, 7));
    EXPECT_FALSE(cbufWrite(&cb, 8));
    EXPECT_EQ(std::vector<uint8_t>(seg, seg + n), (std::vector<uint8_t>{1, 2, 3, 4}));
    cbufReleaseLock(&cb);
    for (uint8_t i = 8; i < 12; ++i)
        EXPECT_TRUE(cbufWrite(&cb, i));
    // The next segment stops at the end of the storage.
    n = cbufReadContinuousSegmentAndLock(&cb, &seg, 100);
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(std::vector<uint8_t>(seg, seg + n), (std::vector<uint8_t>{5, 6, 7, 8}));
    cbufReleaseLock(&cb);
    n = cbufReadContinuousSegmentAndLock(&cb, &seg, 100);
    EXPECT_EQ(std::vector<uint8_t>(seg, seg + n), (std::vector<uint8_t>{9, 10, 11}));
    cbufReleaseLock(&cb);
    EXPECT_EQ(cbufReadContinuousSegmentAndLock(&cb, &seg, 100), 0u);
}

TEST(CircBuff, UnsetBufferIsHarmless)
{
    CircBuff cb{};
    cbufInit(&cb);
    EXPECT_FALSE(cbufWrite(&cb, 1));
    EXPECT_FALSE(cbufCanRead(&cb));
    EXPECT_EQ(cbufRead(&cb), 0);
    uint8_t* seg = reinterpret_cast<uint8_t*>(&cb);
    EXPECT_EQ(cbufReadContinuousSegmentAndLock(&cb, &seg, 5), 0u);
    EXPECT_EQ(cbufBufferedSize(nullptr), 0u);
}

// The dBm of +CSQ levels, "unknown" below every real level (no threshold test takes it
// for a signal); the classes of delivery report statuses.
TEST(Modules, SignalLevelsAndDeliveryClasses)
{
    const int unknown = GSM_SIGNALQUALITY_DBM_UNKNOWN;
    const std::pair<int, int> dbm[] = {{0, -113}, {1, -111}, {31, -51}, {99, unknown}, {32, unknown}, {100, -116}, {191, -25}};
    for (const auto& r : dbm)
        EXPECT_EQ(gsmSignalQualityRssiTo_dBm(static_cast<uint8_t>(r.first)), r.second) << r.first;
    for (int rssi = 0; rssi < 256; ++rssi) {
        int16_t level = gsmSignalQualityRssiTo_dBm(static_cast<uint8_t>(rssi));
        EXPECT_TRUE(level == unknown || level > unknown + 10000) << rssi;
    }
    EXPECT_LT(unknown, -200);
    const std::pair<int, GSM_SmsSend_DeliveryStatusReportType> classes[] = {
        {0, GSM_SmsSend_DeliveryStatusReportType_Delivered}, {31, GSM_SmsSend_DeliveryStatusReportType_Delivered},
        {32, GSM_SmsSend_DeliveryStatusReportType_Pending},   {63, GSM_SmsSend_DeliveryStatusReportType_Pending},
        {64, GSM_SmsSend_DeliveryStatusReportType_Failed},    {255, GSM_SmsSend_DeliveryStatusReportType_Failed}};
    for (const auto& c : classes)
        EXPECT_EQ(gsmSmsSendGetDeliveryStatusReportType(static_cast<uint8_t>(c.first)), c.second) << c.first;
}

// Final result codes, numeric and verbose (AT+CMEE=2, or a modem that refused
// AT+CMEE=1): the verbose texts get the codes of their numeric forms.
TEST(Prompt, FinalResultsAndVerboseErrors)
{
    struct
    {
        const char* line;
        GSM_Result result;
        uint16_t code;
    } cases[] = {
        {"OK", GSM_Result_Ok, 0},
        {"ERROR", GSM_Result_Error, 0},
        {"+CME ERROR: 10", GSM_Result_CmeError, 10},
        {"+CME ERROR:14", GSM_Result_CmeError, 14},
        {"+CME ERROR: SIM not inserted", GSM_Result_CmeError, 10},
        {"+CME ERROR: SIM busy", GSM_Result_CmeError, 14},
        {"+CME ERROR: SIM PIN required", GSM_Result_CmeError, 11},
        {"+CME ERROR: incorrect password", GSM_Result_CmeError, 16},
        {"+CME ERROR: operation not allowed", GSM_Result_CmeError, 3},
        {"+CMS ERROR: operation not allowed", GSM_Result_CmsError, 302},
        {"+CMS ERROR: SIM PUK required", GSM_Result_CmsError, 316},
        {"+CME ERROR: operation not supported", GSM_Result_CmeError, 4},
        {"+CME ERROR: unknown", GSM_Result_CmeError, 0xFFFF},
        {"+CME ERROR: sim BUSY", GSM_Result_CmeError, 14},
        {"+CME ERROR: SIM busy now", GSM_Result_CmeError, 0xFFFF}, // longer than a known text
        {"+CMS ERROR:", GSM_Result_CmsError, 0xFFFF},
        {"+CMS ERROR: 500", GSM_Result_CmsError, 500},
        {"+CMS ERROR: SIM busy", GSM_Result_CmsError, 314},
        {"+CMS ERROR: 321", GSM_Result_CmsError, 321},
        {"+CME ERROR: 999999", GSM_Result_CmeError, 0xFFFF},
        {"BUSY", GSM_Result_Error, 0},
        {"NO DIALTONE", GSM_Result_Error, 0},
    };
    for (const auto& c : cases) {
        GSM_Result r = GSM_Result_Ok;
        uint16_t code = 1234;
        ASSERT_TRUE(gsmPromptHelperParseFinal(c.line, &r, &code)) << c.line;
        EXPECT_EQ(r, c.result) << c.line;
        EXPECT_EQ(code, c.code) << c.line;
    }
    for (const char* notFinal : {"+CPIN: READY", "OK ", "+CMGS: 4", "ERROR: more", "SIM busy", "", "OKAY", "NO CARRIER2"})
        EXPECT_FALSE(gsmPromptHelperParseFinal(notFinal, nullptr, nullptr)) << notFinal;
}

// Requests the modules refuse at once (nothing is queued), the longest they take, and
// one request at a time.
TEST(Requests, RefusedInputsLimitsAndOneAtATime)
{
    GSM_SmsSend_Instance s;
    GSM_USSD_Instance u;
    std::memset(&s, 0, sizeof s);
    std::memset(&u, 0, sizeof u);
    gsmSmsSendInit(&s);
    gsmUssdInit(&u);
    const std::string max(GSM_SMS_SEND_MAX_TEXT, 'a');
    const struct
    {
        const char* number;
        std::string text;
    } refused[] = {{"+4412", max + "b"} /* too long: refused, not truncated */,
                   {"+44\"12", "x"}, {"4+412", "x"}, {"+", "x"}, {"", "x"}, {"123456789012345678901", "x"},
                   {"+4412", "stop\x1Ahere"}, {"+4412", "esc\x1B"}, {nullptr, "x"}};
    for (const auto& r : refused) {
        EXPECT_FALSE(gsmSmsSend(&s, r.number, r.text.c_str())) << (r.number ? r.number : "null") << " " << r.text;
        EXPECT_FALSE(gsmSmsSendIsBusy(&s));
    }
    for (const std::string& code : {std::string(), std::string("*1\"#"), std::string("*1\r#"),
                                    std::string(GSM_USSD_MAX_CODE + 1, '1')})
        EXPECT_FALSE(gsmUssdSend(&u, code.c_str())) << code;
    // CR LF counts as one character: a text of 160 CR LF pairs still fits.
    std::string lines;
    for (unsigned i = 0; i < GSM_SMS_SEND_MAX_TEXT; ++i)
        lines += "\r\n";
    EXPECT_TRUE(gsmSmsSend(&s, "*100#", lines.c_str()));
    EXPECT_TRUE(gsmSmsSendIsBusy(&s));
    EXPECT_FALSE(gsmSmsSend(&s, "+4412", max.c_str())) << "busy";
    EXPECT_TRUE(gsmUssdSend(&u, std::string(GSM_USSD_MAX_CODE, '1').c_str()));
    EXPECT_FALSE(gsmUssdSend(&u, "*100#")) << "one request at a time";
}

} // namespace
