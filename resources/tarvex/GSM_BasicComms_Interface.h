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
 * established. It is read from the Prompt's readiness, which BasicComms sets exactly
 * while it reports communication established (and which stays set where no BasicComms
 * is wired), so `bc` itself is not read. When `session` is not null it receives the
 * Prompt's counter (gsmPromptSession), which BasicComms mirrors. Inline: it is a few
 * loads, cheaper than a call in every module that uses it. */
static inline bool gsmBasicCommsIfLinkEstablished(const GSM_BasicComms_Interface* bc,
                                                  const GSM_Prompt_Interface* p, uint8_t* session)
{
    (void)bc;
    if (session != 0)
    {
        *session = gsmPromptSession(p);
    }
    return gsmPromptIsReady(p);
}

/* Set-up sequences. The modules that configure the modem after every (re)establishment
 * (echo, text mode, URCs, ...) send short fixed lists of commands. Such a list is packed
 * in flash, each command ended by NUL and the list by an empty one:
 *
 *     static const char kSetup[] GSM_FLASH = "AT+CMGF=1\0AT+CNMI=2,1,0,1,0\0";
 *
 * The module keeps the number of the command in flight in one byte, sends the first one
 * in its Start event with gsmBasicCommsIfSequenceSend() and hands every Final event of
 * the sequence to gsmBasicCommsIfSequenceFinal(), which sends the next command right
 * away (keeping the turn) until the list is done or a command failed. */
typedef enum GSM_SMALL_ENUM
{
    GSM_BasicComms_Sequence_Running = 0,  /* the next command has been sent (turn kept) */
    GSM_BasicComms_Sequence_Done,         /* every command succeeded (or was optional) */
    GSM_BasicComms_Sequence_Failed        /* a required command failed; *step tells which */
} GSM_BasicComms_SequenceState;

/* Sends command number `step` (0 = first) of the flash `list`; its answer is awaited
 * GSM_BASICCOMMS_SETUP_TIMEOUT_MS (GSM_BasicComms.h). Returns false when the list has
 * no such command or no turn is held. */
bool gsmBasicCommsIfSequenceSend(GSM_Prompt_Interface* p, const char* list, uint8_t step);

/* Evaluates the Final event of command *step of `list`. OK, or an error answer to a
 * command whose bit is set in `optional` (bit n: command n may be refused), advances
 * *step and sends the next command; a timeout or an abort always fails. */
GSM_BasicComms_SequenceState gsmBasicCommsIfSequenceFinal(GSM_Prompt_Interface* p, const GSM_Prompt_Event* ev,
                                                          const char* list, uint8_t* step, uint8_t optional);

/* Writes the flash `text` (a whole command, or the end of one begun with the
 * gsmPromptWrite... calls) and sends the line as gsmPromptSend() does with `flags`; its
 * answer is awaited `timeout_ms` (at most 65535). The set-up sequences and probes go out
 * through it, so a module that sends through it too shares their one copy of the
 * engine's writer and send. Returns false (nothing sent) when no turn is held. */
bool gsmBasicCommsIfSend(GSM_Prompt_Interface* p, const char* text, uint16_t timeout_ms, uint8_t flags);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GSM_BASICCOMMS_INTERFACE_H_ */
