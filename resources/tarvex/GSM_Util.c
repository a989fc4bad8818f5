/*
 * GSM_Util.c - parsing and string helpers (see GSM_Util.h).
 */
#include "GSM_Util.h"

uint32_t gsmUtilElapsed(uint32_t since_ms)
{
    return (uint32_t)(gsm__SysTime_ms() - since_ms);
}

bool gsmUtilTimedOut(uint32_t since_ms, uint32_t duration_ms)
{
    return gsmUtilElapsed(since_ms) >= duration_ms;
}

bool gsmUtilStrCopy(char* dst, size_t dstSize, const char* src)
{
    size_t i = 0;

    if (dst == 0 || dstSize == 0)
    {
        return false;
    }
    if (src == 0)
    {
        dst[0] = '\0';
        return false;
    }
    while (src[i] != '\0')
    {
        if (i + 1u >= dstSize)
        {
            dst[i] = '\0';
            return false;
        }
        dst[i] = src[i];
        i++;
    }
    dst[i] = '\0';
    return true;
}

size_t gsmUtilStrLenMax(const char* s, size_t max)
{
    size_t n = 0;

    if (s == 0)
    {
        return 0;
    }
    while (n < max && s[n] != '\0')
    {
        n++;
    }
    return n;
}

/* Length of the prefix `prefix` that starts `s` (prefix in flash when `flash`), or -1
 * when `s` does not start with it. */
static int16_t prefixLength(const char* s, const char* prefix, bool flash)
{
    int16_t n = 0;
    uint8_t c;

    if (s == 0 || prefix == 0)
    {
        return -1;
    }
    (void)flash;
    while ((c = GSM_FLASH_SEPARATE && flash ? GSM_FLASH_BYTE(prefix + n) : (uint8_t)prefix[n]) != 0u)
    {
        if ((uint8_t)s[n] != c || n >= 0x7FFF)
        {
            return -1;
        }
        n++;
    }
    return n;
}

static char* afterPrefix(char* line, const char* prefix, bool flash)
{
    int16_t n = prefixLength(line, prefix, flash);
    if (n < 0)
    {
        return 0;
    }
    line += n;
    while (*line == ' ')
    {
        line++;
    }
    return line;
}

bool gsmUtilStartsWith(const char* s, const char* prefix)
{
    return prefixLength(s, prefix, false) >= 0;
}

char* gsmUtilAfterPrefix(char* line, const char* prefix)
{
    return afterPrefix(line, prefix, false);
}

#if GSM_FLASH_SEPARATE
bool gsmUtilStartsWith_P(const char* s, const char* prefix)
{
    return prefixLength(s, prefix, true) >= 0;
}

char* gsmUtilAfterPrefix_P(char* line, const char* prefix)
{
    return afterPrefix(line, prefix, true);
}
#endif

bool gsmUtilParseInt(const char* text, int32_t* value)
{
    uint32_t acc = 0;
    bool negative = false;
    bool digits = false;

    if (text == 0)
    {
        return false;
    }
    while (*text == ' ')
    {
        text++;
    }
    if (*text == '-' || *text == '+')
    {
        negative = (*text == '-');
        text++;
    }
    while (*text >= '0' && *text <= '9')
    {
        uint32_t d = (uint32_t)(*text - '0');
        if (acc > (2147483647u - d) / 10u)
        {
            return false;
        }
        acc = acc * 10u + d;
        digits = true;
        text++;
    }
    while (*text == ' ')
    {
        text++;
    }
    if (!digits || *text != '\0')
    {
        return false;
    }
    if (value != 0)
    {
        *value = negative ? -(int32_t)acc : (int32_t)acc;
    }
    return true;
}

uint8_t gsmUtilSplitArgs(char* args, char** fields, uint8_t maxFields)
{
    uint8_t count = 0;
    char* p = args;

    if (args == 0 || fields == 0 || maxFields == 0)
    {
        return 0;
    }
    while (*p == ' ')
    {
        p++;
    }
    if (*p == '\0')
    {
        return 0;
    }
    for (;;)
    {
        char* start;
        char* end;

        while (*p == ' ')
        {
            p++;
        }
        if (*p == '"')
        {
            start = ++p;
            while (*p != '\0' && *p != '"')
            {
                p++;
            }
            end = p;
            if (*p == '"')
            {
                p++;
            }
            /* Anything between the closing quote and the next comma is ignored. */
            while (*p != '\0' && *p != ',')
            {
                p++;
            }
        }
        else
        {
            start = p;
            while (*p != '\0' && *p != ',')
            {
                p++;
            }
            end = p;
            while (end > start && end[-1] == ' ')
            {
                end--;
            }
        }
        fields[count++] = start;
        if (*p == ',' && count < maxFields)
        {
            *end = '\0';
            p++;
            continue;
        }
        *end = '\0';
        break;
    }
    return count;
}

/* Days from 1970-01-01 to the given civil date (proleptic Gregorian). */
static int32_t daysFromCivil(int32_t y, uint8_t m, uint8_t d)
{
    int32_t era;
    int32_t yoe;
    int32_t doy;
    int32_t doe;

    y -= (m <= 2u) ? 1 : 0;
    era = (y >= 0 ? y : y - 399) / 400;
    yoe = y - era * 400;
    doy = (153 * (int32_t)(m > 2u ? m - 3u : m + 9u) + 2) / 5 + (int32_t)d - 1;
    doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

uint32_t gsmUtilEpochFromDate(uint16_t year, uint8_t month, uint8_t day,
                              uint8_t hour, uint8_t minute, uint8_t second)
{
    int32_t days = daysFromCivil((int32_t)year, month, day);
    return (uint32_t)days * 86400u + (uint32_t)hour * 3600u + (uint32_t)minute * 60u + second;
}

/* Reads exactly two decimal digits. */
static bool twoDigits(const char** s, uint8_t* out)
{
    const char* p = *s;
    if (p[0] < '0' || p[0] > '9' || p[1] < '0' || p[1] > '9')
    {
        return false;
    }
    *out = (uint8_t)((p[0] - '0') * 10 + (p[1] - '0'));
    *s = p + 2;
    return true;
}

static bool expect(const char** s, char c)
{
    if (**s != c)
    {
        return false;
    }
    (*s)++;
    return true;
}

bool gsmUtilParseScts(const char* text, uint32_t* epoch, int32_t* tzOffsetSeconds)
{
    static const uint8_t daysInMonth[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const char* s = text;
    uint8_t yy, mo, dd, hh, mi, ss;
    int32_t quarters = 0;
    bool negative;
    uint32_t local;
    int32_t offset;

    if (s == 0)
    {
        return false;
    }
    if (*s == '"')
    {
        s++;
    }
    if (!twoDigits(&s, &yy) || !expect(&s, '/') || !twoDigits(&s, &mo) || !expect(&s, '/') ||
        !twoDigits(&s, &dd) || !expect(&s, ',') || !twoDigits(&s, &hh) || !expect(&s, ':') ||
        !twoDigits(&s, &mi) || !expect(&s, ':') || !twoDigits(&s, &ss))
    {
        return false;
    }
    if (*s != '+' && *s != '-')
    {
        return false;
    }
    negative = (*s == '-');
    s++;
    if (*s < '0' || *s > '9')
    {
        return false;
    }
    quarters = *s++ - '0';
    if (*s >= '0' && *s <= '9')
    {
        quarters = quarters * 10 + (*s++ - '0');
    }
    if (*s == '"')
    {
        s++;
    }
    if (*s != '\0')
    {
        return false;
    }
    if (negative)
    {
        quarters = -quarters;
    }
    if (mo < 1u || mo > 12u || dd < 1u || dd > daysInMonth[mo - 1u] ||
        (mo == 2u && dd == 29u && (yy % 4u) != 0u) || hh > 23u || mi > 59u || ss > 59u ||
        quarters < -48 || quarters > 56)
    {
        return false;
    }
    local = gsmUtilEpochFromDate((uint16_t)(2000u + yy), mo, dd, hh, mi, ss);
    offset = quarters * 900;
    if (epoch != 0)
    {
        /* Unsigned arithmetic: dates after 2038 do not fit int32_t. */
        *epoch = (offset >= 0) ? local - (uint32_t)offset : local + (uint32_t)(-offset);
    }
    if (tzOffsetSeconds != 0)
    {
        *tzOffsetSeconds = offset;
    }
    return true;
}

static uint8_t foldCase(uint8_t c, bool anyCase)
{
    return (anyCase && c >= (uint8_t)'A' && c <= (uint8_t)'Z') ? (uint8_t)(c - 'A' + 'a') : c;
}

static int8_t findText(const char* text, const char* list, bool anyCase, bool prefixes)
{
    int8_t index = 0;

    if (text == 0 || list == 0)
    {
        return -1;
    }
    while (GSM_FLASH_BYTE(list) != 0u && index < 127)
    {
        const char* t = text;
        uint8_t last = 0;
        uint8_t e;
        bool same = true;
        /* Walk the whole entry (to find the next one), comparing while equal. */
        while ((e = GSM_FLASH_BYTE(list)) != 0u)
        {
            if (same && (*t == '\0' || foldCase((uint8_t)*t, anyCase) != foldCase(e, anyCase)))
            {
                same = false;
            }
            if (same)
            {
                t++;
            }
            last = e;
            list++;
        }
        list++; /* the entry's NUL */
        if (same && (*t == '\0' || last == (uint8_t)':' || prefixes))
        {
            return index;
        }
        index++;
    }
    return -1;
}

int8_t gsmUtilFindText(const char* text, const char* list, bool anyCase)
{
    return findText(text, list, anyCase, false);
}

int8_t gsmUtilFindPrefix(const char* text, const char* list)
{
    return findText(text, list, false, true);
}

uint8_t gsmUtilIntToStr(int32_t value, char* buf)
{
    char tmp[11];
    uint8_t n = 0;
    uint8_t len = 0;
    uint32_t v = (value < 0) ? (uint32_t)0 - (uint32_t)value : (uint32_t)value;

    do
    {
        tmp[n++] = (char)('0' + (v % 10u));
        v /= 10u;
    } while (v != 0u);
    if (value < 0)
    {
        buf[len++] = '-';
    }
    while (n > 0u)
    {
        buf[len++] = tmp[--n];
    }
    buf[len] = '\0';
    return len;
}
