/*
 * GSM_Required_Externals.h - what the application provides to the Tarvex library.
 *
 * Required (always):
 *   uint32_t gsm__SysTime_ms(void)
 *       Free-running millisecond counter (e.g. millis() or HAL_GetTick()). It may wrap
 *       around after 49.7 days: the library only ever compares times by unsigned
 *       subtraction, so the wrap is harmless.
 *
 * Optional (only when library trace output is switched on):
 *   void gsmDebugWrite(uint8_t data)
 *   void gsmDebugWriteText(char* text)
 *       Both are generated into gsm_manager.c when the Start module's debug output buffer
 *       is enabled. The library references them only when GSM_DEBUG_OUTPUT is defined to
 *       1 (e.g. -DGSM_DEBUG_OUTPUT=1 in the compiler flags); otherwise no library object
 *       file refers to them and a project without the debug buffer links as it is.
 *       The declarations below are harmless when the functions do not exist: a
 *       declaration alone creates no link-time reference.
 *
 * The declarations carry C linkage, so the definitions in a C++ gsm_manager.cpp (which
 * includes this header through gsm_manager.h) get C linkage too.
 */
#ifndef GSM_REQUIRED_EXTERNALS_H_
#define GSM_REQUIRED_EXTERNALS_H_

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Present value of a 1 ms system timer. */
extern uint32_t gsm__SysTime_ms(void);

/* Debug output sinks (see above: optional). */
extern void gsmDebugWrite(uint8_t _data);
extern void gsmDebugWriteText(char* text);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GSM_REQUIRED_EXTERNALS_H_ */
