/* The "hardware" behind the USER CODE sections of the generated gsm_manager.c in the
 * HTTP-over-2G test: time, the power key and status pin, and the UART, all ending in
 * the modem simulator. */
#ifndef TESTHAL_H_
#define TESTHAL_H_

#include "circbuff.h"

#include <stdbool.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

uint32_t testhalNow(void);
void testhalSetPowerKey(bool activated);
bool testhalReadStatus(void);
void testhalRxPoll(CircBuff* rx);  /* modem output -> Rx buffer, in random pieces */
void testhalTxPoll(CircBuff* tx);  /* Tx buffer -> modem, at the UART's speed */
void testhalTxOverflow(void);
void testhalHttpEvent(uint8_t eventType, void* eventData);

#ifdef __cplusplus
}
#endif

#endif /* TESTHAL_H_ */
