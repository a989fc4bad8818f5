/*
 * GSM_Util.h - small parsing and string helpers used by the Tarvex modules.
 *
 * All functions work on caller-owned, NUL-terminated text and never write beyond the
 * sizes they are given. The argument splitter works in place (no copies): it cuts a
 * response such as  +CMGR: "REC UNREAD","+441234",,"10/05/06,00:01:52+08"  into its
 * comma-separated fields, honouring double quotes and removing them.
 */
#ifndef GSM_UTIL_H_
#define GSM_UTIL_H_

#include "GSM_Globals.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Milliseconds since `since_ms` (wrap-around safe). */
uint32_t gsmUtilElapsed(uint32_t since_ms);

/* True when at least `duration_ms` have passed since `since_ms` (wrap-around safe). */
bool gsmUtilTimedOut(uint32_t since_ms, uint32_t duration_ms);

/* gsmUtilTimedOut() for a time kept at `*since_ms`: the modules check their timers with
 * it (a pointer is cheaper to hand over than the time). */
bool gsmUtilExpired(const uint32_t* since_ms, uint32_t duration_ms);

/* Stores the time now (gsm__SysTime_ms()) in `*at_ms`: the modules start their timers
 * with it. */
void gsmUtilStamp(uint32_t* at_ms);

/* Copies `src` into `dst` (capacity `dstSize` bytes, terminator included). Always
 * terminates `dst` when dstSize > 0. Returns false when `src` did not fit (then `dst`
 * holds the truncated prefix) or when an argument is null. */
bool gsmUtilStrCopy(char* dst, size_t dstSize, const char* src);

/* Length of `s`, but at most `max` (never reads beyond s[max]). */
size_t gsmUtilStrLenMax(const char* s, size_t max);

/* True when `s` begins with `prefix`. */
bool gsmUtilStartsWith(const char* s, const char* prefix);

/* When `line` begins with `prefix` (e.g. "+CSQ:"), returns a pointer to the text after
 * it with leading blanks skipped; otherwise returns null. */
char* gsmUtilAfterPrefix(char* line, const char* prefix);

/* Parses a decimal integer (optional sign, surrounding blanks allowed, nothing else).
 * Returns false for empty text, other characters or values beyond int32_t. */
bool gsmUtilParseInt(const char* text, int32_t* value);

/* Reads such an integer at the start of `text` and returns where the text goes on after
 * it and its trailing blanks (a position in `text`), or null when there are no digits or
 * the value is beyond int32_t (`value` is then left alone). */
const char* gsmUtilScanInt(const char* text, int32_t* value);

/* Splits `args` in place into at most `maxFields` comma-separated fields. Double-quoted
 * fields may hold commas; their quotes are removed. Blanks around unquoted fields are
 * trimmed; an empty field yields "". Each fields[i] points into `args`. Returns the
 * number of fields found, at most maxFields (further fields are ignored); 0 for a
 * blank text. */
uint8_t gsmUtilSplitArgs(char* args, char** fields, uint8_t maxFields);

/* Parses an SMS service-centre time stamp "yy/MM/dd,hh:mm:ss+zz" (zz = quarter hours,
 * -48..+56 accepted, sign '+' or '-'; the surrounding quotes may be present).
 * `epoch` receives UTC seconds since 1970-01-01 (the local time minus the offset),
 * `tzOffsetSeconds` the offset of the local time from UTC in seconds (+08 -> 7200).
 * Years 00..99 mean 2000..2099. Returns false (outputs untouched) for malformed text or
 * out-of-range fields. Either output may be null when only the other is wanted. */
bool gsmUtilParseScts(const char* text, uint32_t* epoch, int32_t* tzOffsetSeconds);

/* Seconds since 1970-01-01 of the given UTC date and time (year >= 1970). */
uint32_t gsmUtilEpochFromDate(uint16_t year, uint8_t month, uint8_t day,
                              uint8_t hour, uint8_t minute, uint8_t second);

/* Finds `text` in `list`, texts packed one after the other, each ended by NUL, the list
 * ended by an empty text, stored with GSM_FLASH; at most 127 entries (the number is
 * not checked). An entry ending in ':' matches any text it starts; any other must match
 * the whole text. With `anyCase`, letters of `text` match without regard to case (the
 * list's entries are then written in lower case). Returns the entry's number (0 =
 * first), or -1. */
int8_t gsmUtilFindText(const char* text, const char* list, bool anyCase);

/* Like gsmUtilFindText (case-sensitive), but every entry of the flash `list` matches
 * any text it starts: the number of the first entry that starts `text`, or -1. */
int8_t gsmUtilFindPrefix(const char* text, const char* list);

/* gsmUtilStartsWith and gsmUtilAfterPrefix with the prefix in flash (GSM_F, GSM_FLASH;
 * see GSM_Globals.h). */
#if GSM_FLASH_SEPARATE
bool gsmUtilStartsWith_P(const char* s, const char* prefix);
char* gsmUtilAfterPrefix_P(char* line, const char* prefix);
#else
#define gsmUtilStartsWith_P gsmUtilStartsWith
#define gsmUtilAfterPrefix_P gsmUtilAfterPrefix
#endif

/* Writes `value` in decimal into `buf` (at least 12 bytes) and returns the length. */
uint8_t gsmUtilIntToStr(int32_t value, char* buf);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GSM_UTIL_H_ */
