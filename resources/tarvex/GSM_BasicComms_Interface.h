/*
 * GSM_BasicComms_Interface.h - what other modules may use of BasicComms.
 *
 * Modules receive a GSM_BasicComms_Interface* (the _i member of
 * GSM_BasicComms_Instance). Communication is "established" once the modem answered AT
 * and accepted the echo and error-report settings. Session changes at every
 * (re)establishment, i.e. after a power-up, a modem reset or a lost link: a module that
 * configures the modem (text mode, URCs, ...) must do it again when Session changes.
 */
#ifndef GSM_BASICCOMMS_INTERFACE_H_
#define GSM_BASICCOMMS_INTERFACE_H_

#include "GSM_Globals.h"
#include "GSM_Prompt_Interface.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct GSM_BasicComms_Interface_s
{
    uint8_t Established;  /* bool: communication established */
    uint8_t Session;      /* incremented at every (re)establishment */
} GSM_BasicComms_Interface;

/* True while communication with the modem is established. */
bool gsmBasicCommsIfIsEstablished(const GSM_BasicComms_Interface* bc);

/* Counter that changes at every (re)establishment. */
uint8_t gsmBasicCommsIfSession(const GSM_BasicComms_Interface* bc);

/* For modules whose BasicComms pointer may be null: true while communication is
 * established, as BasicComms reports it when `bc` is given, otherwise as the Prompt's
 * readiness. When `session` is not null it receives the matching counter
 * (gsmBasicCommsIfSession or gsmPromptSession). Inline: it is a few loads, cheaper
 * than a call in every module that uses it. */
static inline bool gsmBasicCommsIfLinkEstablished(const GSM_BasicComms_Interface* bc,
                                                  const GSM_Prompt_Interface* p, uint8_t* session)
{
    if (session != 0)
    {
        *session = (bc != 0) ? bc->Session : gsmPromptSession(p);
    }
    return (bc != 0) ? bc->Established != 0u : gsmPromptIsReady(p);
}

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GSM_BASICCOMMS_INTERFACE_H_ */
