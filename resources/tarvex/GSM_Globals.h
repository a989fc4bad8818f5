/*
 * GSM_Globals.h - types and conventions shared by every Tarvex library module.
 *
 * Module pattern. Every module is one instance struct (GSM_<Module>_Instance) that the
 * application defines zero-initialised (= {0}), fills with its hardware callbacks and
 * with pointers to the modules it uses, and then passes to <module>Init() once and to
 * <module>Poll() from the main loop. Poll never blocks: it does a bounded amount of work
 * and returns. There is no heap use anywhere; every buffer is given by the application
 * or sized at compile time.
 *
 * Interfaces ("_i"). A module that others build on has a member named _i, its small
 * public interface (declared in GSM_<Module>_Interface.h). Other modules receive a
 * pointer to it, e.g. mGsmSmsSendInst.Power = (&mGsmPwrInst._i), and only call the
 * functions of that interface header. The _i member is always the first member of its
 * instance, so the owning module recovers its instance with GSM_CONTAINER_OF.
 *
 * Events. Service modules report outcomes through an EventHandler function pointer
 * called as handler(inst, event_type, event_data); event_data points to an event
 * structure that is valid only during the call (copy what you need to keep).
 * Event type values are small integers (the typedefs are uint8_t) so that a handler's
 * switch statement need not list every event a later library version adds.
 *
 * Time. Every timeout is measured with gsm__SysTime_ms() and compared by unsigned
 * subtraction (gsmUtilElapsed), which is safe across the 32-bit wrap-around.
 *
 * Debug output. Define GSM_DEBUG_OUTPUT to 1 to make the library trace its AT traffic
 * through gsmDebugWriteText(); by default it is 0 and nothing is referenced.
 */
#ifndef GSM_GLOBALS_H_
#define GSM_GLOBALS_H_

#include <stdint.h>
#include <stdbool.h>
#include <stddef.h>
#include "GSM_Required_Externals.h"

/* Applications zero-initialise every instance with "= {0}", C's universal zero
 * initialiser. C compilers accept it silently, but g++ -Wextra reports every member
 * the braces leave at zero (-Wmissing-field-initializers), although zero is exactly
 * what is meant. Silence that one report in C++ translation units that use the
 * library, so a generated C++ manager builds cleanly under -Wextra -Werror. */
#if defined(__cplusplus) && defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif

/* An enumeration stored in the smallest integer type that holds its values (GCC;
 * elsewhere the compiler's choice). On 8-bit targets this halves the size of every
 * result passed around and stored; on 32-bit targets it quarters it. */
#if defined(__GNUC__)
#define GSM_SMALL_ENUM __attribute__((packed))
#else
#define GSM_SMALL_ENUM
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Outcome of an AT command exchange. */
typedef enum GSM_SMALL_ENUM
{
    GSM_Result_Ok = 0,      /* final result "OK" */
    GSM_Result_Error,       /* "ERROR" (also NO CARRIER, BUSY, NO ANSWER, NO DIALTONE) */
    GSM_Result_CmeError,    /* "+CME ERROR: <n>": equipment/SIM/network error n */
    GSM_Result_CmsError,    /* "+CMS ERROR: <n>": SMS service error n */
    GSM_Result_Timeout,     /* no final result within the command's timeout */
    GSM_Result_Aborted      /* abandoned: modem switched off, or cancelled */
} GSM_Result;

/* Recovers the instance pointer from a pointer to one of its members. */
#define GSM_CONTAINER_OF(ptr, type, member) \
    ((type*)(void*)((char*)(ptr) - offsetof(type, member)))

/* Constant texts and tables in flash. On AVR every constant (string literals
 * included) is otherwise copied into RAM at start-up; the library keeps its AT
 * commands, URC prefixes and tables in program memory instead, the same way in every
 * module:
 *
 *     static const char kUrcs[] GSM_FLASH = "+CMTI:\0+CDS:\0";      // a table in flash
 *     gsmPromptSendCommand_P(p, GSM_F("AT+CMGF=1"), 5000);           // a literal in flash
 *     if (gsmUtilStartsWith_P(line, GSM_F("+CMGS:"))) ...
 *
 * GSM_FLASH      qualifier of a constant kept in flash (PROGMEM on AVR, nothing elsewhere)
 * GSM_F("text")  a string literal kept in flash (PSTR on AVR, the plain literal elsewhere)
 * GSM_FLASH_BYTE(p), GSM_FLASH_WORD(p), GSM_FLASH_DWORD(p), GSM_FLASH_PTR(p), GSM_FLASH_COPY(dst, src, n)
 *                read a byte, a 16-bit or 32-bit word, a pointer stored in a flash table,
 *                or n bytes
 * A text in flash is only ever read with these or handed to a function whose name ends
 * in _P (gsmPromptWriteText_P, gsmPromptSendCommand_P, gsmUtilStartsWith_P,
 * gsmUtilAfterPrefix_P, gsmUtilFindText, gsmPromptChainBegin_P, a client's
 * UrcPrefixList). Where flash and RAM share one address space (every target but AVR)
 * GSM_FLASH_SEPARATE is 0 and the _P functions are the plain ones, so the code is
 * identical; a host build may define GSM_FLASH_SEPARATE=1 to compile the separate
 * flash routines for testing. */
#if defined(__AVR__)
#include <avr/pgmspace.h>
#define GSM_FLASH PROGMEM
#define GSM_F(text) PSTR(text)
#define GSM_FLASH_BYTE(p) ((uint8_t)pgm_read_byte(p))
#define GSM_FLASH_WORD(p) ((uint16_t)pgm_read_word(p))
#define GSM_FLASH_DWORD(p) ((uint32_t)pgm_read_dword(p))
#define GSM_FLASH_PTR(p) ((const void*)pgm_read_word(p))
#define GSM_FLASH_COPY(dst, src, n) memcpy_P((dst), (src), (n))
#ifndef GSM_FLASH_SEPARATE
#define GSM_FLASH_SEPARATE 1
#endif
#else
#include <string.h>
#define GSM_FLASH
#define GSM_F(text) (text)
#define GSM_FLASH_BYTE(p) ((uint8_t)*(const uint8_t*)(const void*)(p))
#define GSM_FLASH_WORD(p) ((uint16_t)*(const uint16_t*)(const void*)(p))
#define GSM_FLASH_DWORD(p) ((uint32_t)*(const uint32_t*)(const void*)(p))
#define GSM_FLASH_PTR(p) ((const void*)*(const void* const*)(const void*)(p))
#define GSM_FLASH_COPY(dst, src, n) memcpy((dst), (src), (n))
#ifndef GSM_FLASH_SEPARATE
#define GSM_FLASH_SEPARATE 0
#endif
#endif

/* Keeps a helper called from several places out of line. With link-time optimisation
 * the compiler may copy a small function into every caller; for a few helpers of the
 * receive path that costs more flash than the call. Nor may it clone the helper for the
 * one instance a firmware has: the clone reaches every field by its absolute address
 * (4 bytes an access on AVR) where the pointer reaches it with an offset (2 bytes). */
#if defined(__GNUC__) && !defined(__clang__)
#define GSM_NOINLINE __attribute__((noinline, noclone))
#elif defined(__GNUC__)
#define GSM_NOINLINE __attribute__((noinline))
#else
#define GSM_NOINLINE
#endif

/* Copies a small helper into each caller even where the compiler would call it: for a
 * few helpers that costs less flash than the call and its argument set-up (measured). */
#if defined(__GNUC__)
#define GSM_ALWAYS_INLINE __attribute__((always_inline)) inline
#else
#define GSM_ALWAYS_INLINE
#endif

/* Library trace output, compiled in only with GSM_DEBUG_OUTPUT=1. */
#ifndef GSM_DEBUG_OUTPUT
#define GSM_DEBUG_OUTPUT 0
#endif
#if GSM_DEBUG_OUTPUT
#define GSM_DEBUG_TEXT(text) gsmDebugWriteText((char*)(text))
#define GSM_DEBUG_BYTE(b)    gsmDebugWrite((uint8_t)(b))
#else
#define GSM_DEBUG_TEXT(text) ((void)0)
#define GSM_DEBUG_BYTE(b)    ((void)0)
#endif

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GSM_GLOBALS_H_ */
