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

GSM_NOINLINE bool gsmUtilExpired(const uint32_t* since_ms, uint32_t duration_ms)
{
    return gsmUtilElapsed(*since_ms) >= duration_ms;
}

/* Out of line: one call instead of the clock read and four stores at every timer start. */
GSM_NOINLINE void gsmUtilStamp(uint32_t* at_ms)
{
    *at_ms = gsm__SysTime_ms();
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

/* Where `s` continues after `prefix` (in flash when `flash`), or null when `s` does not
 * start with it. */
static const char* skipPrefix(const char* s, const char* prefix, bool flash)
{
    uint8_t c;

    if (s == 0 || prefix == 0)
    {
        return 0;
    }
    (void)flash;
    while ((c = GSM_FLASH_SEPARATE && flash ? GSM_FLASH_BYTE(prefix) : (uint8_t)*prefix) != 0u)
    {
        if ((uint8_t)*s != c)
        {
            return 0;
        }
        s++;
        prefix++;
    }
    return s;
}

static char* afterPrefix(char* line, const char* prefix, bool flash)
{
    line = (char*)skipPrefix(line, prefix, flash); /* (a position in `line`) */
    while (line != 0 && *line == ' ')
    {
        line++;
    }
    return line;
}

bool gsmUtilStartsWith(const char* s, const char* prefix)
{
    return skipPrefix(s, prefix, false) != 0;
}

char* gsmUtilAfterPrefix(char* line, const char* prefix)
{
    return afterPrefix(line, prefix, false);
}

#if GSM_FLASH_SEPARATE
bool gsmUtilStartsWith_P(const char* s, const char* prefix)
{
    return skipPrefix(s, prefix, true) != 0;
}

char* gsmUtilAfterPrefix_P(char* line, const char* prefix)
{
    return afterPrefix(line, prefix, true);
}
#endif

const char* gsmUtilScanInt(const char* text, int32_t* value)
{
    uint32_t acc = 0;
    bool negative;
    bool digits = false;

    while (*text == ' ')
    {
        text++;
    }
    negative = (*text == '-');
    if (negative || *text == '+')
    {
        text++;
    }
    while (*text >= '0' && *text <= '9')
    {
        /* Beyond 2147483647: from 2^28 on the next digit surely makes it so (a test of
         * the top bits alone), below that ten times the value still fits 32 bits. */
        if ((uint8_t)(acc >> 24) >= 0x10u)
        {
            return 0;
        }
        acc = acc * 10u + (uint8_t)(*text - '0');
        if (acc > 0x7FFFFFFFu)
        {
            return 0;
        }
        digits = true;
        text++;
    }
    while (*text == ' ')
    {
        text++;
    }
    if (!digits)
    {
        return 0;
    }
    *value = negative ? -(int32_t)acc : (int32_t)acc;
    return text;
}

bool gsmUtilParseInt(const char* text, int32_t* value)
{
    int32_t v;

    if (text == 0 || (text = gsmUtilScanInt(text, &v)) == 0 || *text != '\0')
    {
        return false;
    }
    if (value != 0)
    {
        *value = v;
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
        char* end = 0;
        char c;

        while (*p == ' ')
        {
            p++;
        }
        start = p;
        if (*p == '"')
        {
            start = ++p;
            while (*p != '\0' && *p != '"')
            {
                p++;
            }
            end = p; /* anything between the closing quote and the next comma is ignored */
        }
        while (*p != '\0' && *p != ',')
        {
            p++;
        }
        if (end == 0)
        {
            end = p;
            while (end > start && end[-1] == ' ')
            {
                end--;
            }
        }
        fields[count++] = start;
        c = *p; /* (before the field is ended: `end` may be `p`) */
        *end = '\0';
        if (c != ',' || count >= maxFields)
        {
            break;
        }
        p++;
    }
    return count;
}

/* Days of the year before the first of each month (no leap day); the thirteenth entry
 * gives December its length. */
static const uint16_t kDaysBefore[13] GSM_FLASH = {0u,   31u,  59u,  90u,  120u, 151u, 181u,
                                                   212u, 243u, 273u, 304u, 334u, 365u};

static uint16_t daysBefore(uint8_t month)
{
    return GSM_FLASH_WORD(&kDaysBefore[month - 1u]);
}

static bool leapYear(uint16_t y)
{
    return (y % 4u) == 0u && ((y % 100u) != 0u || (y % 400u) == 0u);
}

/* Leap years from year 1 up to and excluding `y` (16-bit arithmetic: cheap on 8-bit
 * targets). */
static uint16_t leapsBefore(uint16_t y)
{
    y--;
    return (uint16_t)(y / 4u - y / 100u + y / 400u);
}

uint32_t gsmUtilEpochFromDate(uint16_t year, uint8_t month, uint8_t day,
                              uint8_t hour, uint8_t minute, uint8_t second)
{
    uint32_t days = 365uL * (uint16_t)(year - 1970u) + (uint16_t)(leapsBefore(year) - leapsBefore(1970u)) +
                    daysBefore((month >= 1u && month <= 12u) ? month : 1u) + day - 1u;
    if (month > 2u && leapYear(year))
    {
        days++;
    }
    return days * 86400uL + ((uint16_t)hour * 60u + minute) * 60uL + second;
}

bool gsmUtilParseScts(const char* text, uint32_t* epoch, int32_t* tzOffsetSeconds)
{
    /* yy, MM, dd, hh, mm, ss and the zone zz: the largest value of each (the day's is
     * checked against its month below, a negative zone's against 48) and the character
     * that follows it ('+' stands for the zone's sign, '"' for the end with or without a
     * closing quote). */
    static const uint8_t kFields[14] GSM_FLASH = {99u, '/', 12u, '/', 31u, ',', 23u, ':',
                                                  59u, ':', 59u, '+', 56u, '"'};
    const char* s = text;
    uint8_t f[6];
    uint8_t n = 0; /* the field being read; after the loop the zone's */
    uint8_t i;
    uint8_t length;
    bool negative = false;
    uint16_t days;
    int32_t zone;
    uint32_t local;

    if (s == 0)
    {
        return false;
    }
    if (*s == '"')
    {
        s++;
    }
    for (i = 0; i < 7u; i++)
    {
        uint8_t d;
        uint8_t next = GSM_FLASH_BYTE(&kFields[2u * i + 1u]);

        n = (uint8_t)(*s++ - '0');

        if (n > 9u)
        {
            return false;
        }
        d = (uint8_t)(*s - '0');
        if (d <= 9u)
        {
            n = (uint8_t)(n * 10u + d);
            s++;
        }
        else if (next != (uint8_t)'"')
        {
            return false; /* two digits, but the zone may have one */
        }
        if (n > GSM_FLASH_BYTE(&kFields[2u * i]))
        {
            return false;
        }
        if (i < 6u)
        {
            f[i] = n;
        }
        if (next == (uint8_t)'+')
        {
            negative = (*s == '-');
            if (!negative && *s != '+')
            {
                return false;
            }
        }
        else if (next == (uint8_t)'"')
        {
            if (*s == '"')
            {
                s++;
            }
            if (*s != '\0')
            {
                return false;
            }
        }
        else if ((uint8_t)*s != next)
        {
            return false;
        }
        s++;
    }
    if (f[1] == 0u || (negative && n > 48u))
    {
        return false;
    }
    /* Years 00..99 are 2000..2099, where every fourth year is a leap year; 10957 days
     * from 1970 to 2000, one leap day for each of 2000, 2004, ... before yy. Then the
     * months before MM: 31 and 30 take turns, July and August both have 31, February 28
     * or 29. */
    days = (uint16_t)(10957u + 365u * f[0] + ((f[0] + 3u) >> 2) + f[2] - 1u);
    for (i = 1;; i++)
    {
        length = (i == 2u) ? (uint8_t)(((f[0] & 3u) == 0u) ? 29u : 28u) : (uint8_t)(30u + ((i + (i >> 3)) & 1u));
        if (i == f[1])
        {
            break;
        }
        days += length;
    }
    if ((uint8_t)(f[2] - 1u) >= length) /* day 0, or beyond the month */
    {
        return false;
    }
    /* Days, hours, minutes, seconds; then back to UTC by the zone (in seconds, unsigned
     * arithmetic: dates after 2038 do not fit int32_t). */
    local = ((uint32_t)days * 1440u + (uint16_t)(f[3] * 60u + f[4])) * 60u + f[5];
    zone = (int32_t)(int8_t)(negative ? -n : n) * 900;
    if (epoch != 0)
    {
        *epoch = local - (uint32_t)zone;
    }
    if (tzOffsetSeconds != 0)
    {
        *tzOffsetSeconds = zone;
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
    while (GSM_FLASH_BYTE(list) != 0u)
    {
        const char* t = text;
        uint8_t e;
        bool same = true;
        /* Walk the whole entry (to find the next one), comparing while equal (the end of
         * `text` never equals an entry's character; with anyCase the entries are in lower
         * case, so only the text is folded). */
        while ((e = GSM_FLASH_BYTE(list++)) != 0u)
        {
            if (same && foldCase((uint8_t)*t, anyCase) == e)
            {
                t++;
            }
            else
            {
                same = false;
            }
        }
        /* (an entry is never empty: its last character is just before its NUL) */
        if (same && (*t == '\0' || prefixes || GSM_FLASH_BYTE(list - 2) == (uint8_t)':'))
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
    char* end = buf;
    char* first;
    uint8_t len;
    uint32_t v = (uint32_t)value;

    if (value < 0)
    {
        *end++ = '-';
        v = (uint32_t)0 - v;
    }
    first = end;
    do
    {
        *end++ = (char)('0' + (uint8_t)(v % 10u)); /* one division gives both */
        v /= 10u;
    } while (v != 0u);
    *end = '\0';
    len = (uint8_t)(end - buf);
    /* The digits came least significant first. */
    for (; first < --end; first++)
    {
        char c = *first;
        *first = *end;
        *end = c;
    }
    return len;
}
