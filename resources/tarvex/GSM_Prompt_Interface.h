/*
 * GSM_Prompt_Interface.h - the command engine as seen by the modules that use it.
 *
 * See GSM_Prompt.h for how a module issues commands and receives lines, URCs, the "> "
 * data prompt and raw data. Modules receive a GSM_Prompt_Interface* (the _i member of
 * GSM_Prompt_Instance) and use only the types and functions of this header (plus the
 * step-chain helpers of GSM_Prompt_Helper.h).
 */
#ifndef GSM_PROMPT_INTERFACE_H_
#define GSM_PROMPT_INTERFACE_H_

#include "GSM_Globals.h"

#ifdef __cplusplus
extern "C" {
#endif

/* What the engine tells a client (GSM_Prompt_Event.Type). */
typedef enum GSM_SMALL_ENUM
{
    GSM_Prompt_EventType_Start = 0,  /* your turn: write one command and gsmPromptSend() it;
                                        writing nothing gives the turn back */
    GSM_Prompt_EventType_Line,       /* a response line during your turn (not a final result);
                                        return true when it belonged to your command */
    GSM_Prompt_EventType_Urc,        /* a line starting with one of your URC prefixes, at any
                                        time; return true when handled */
    GSM_Prompt_EventType_DataPrompt, /* the modem printed the "> " prompt for your command:
                                        write the data now with gsmPromptWriteData() */
    GSM_Prompt_EventType_RawData,    /* next piece of a raw read started with gsmPromptReadRaw() */
    GSM_Prompt_EventType_Final       /* your command ended (Result); after an answer (OK or an
                                        error) you may send the next command right here and
                                        keep the turn; after Timeout/Aborted the turn ends */
} GSM_Prompt_EventType;

typedef struct
{
    GSM_Prompt_EventType Type;
    GSM_Result Result;       /* Final: outcome */
    uint16_t ErrorCode;      /* Final with CmeError/CmsError: <n> (0xFFFF: not numeric) */
    char* Line;              /* Line/Urc: the line without its line end, NUL-terminated.
                                Writable, so it may be split in place; valid during the call
                                (longer with gsmPromptKeepLine) */
    uint16_t LineLength;
    const uint8_t* Data;     /* RawData: the bytes (not NUL-terminated) */
    uint16_t DataLength;
    uint32_t RawRemaining;   /* RawData: bytes still to come after this piece; 0 = last */
} GSM_Prompt_Event;

typedef struct GSM_Prompt_Client_s GSM_Prompt_Client;

/* A client's single callback. The return value matters for Line and Urc events only. */
typedef bool (*GSM_Prompt_Handler)(GSM_Prompt_Client* client, GSM_Prompt_Event* event);

/* Client options (GSM_Prompt_Client.Options). */
#define GSM_PROMPT_CLIENT_UNGATED 0x01u  /* may run while communication is not established
                                            (used by BasicComms to synchronise) */

/* One per module, embedded in the module's instance; register it once in Init. */
struct GSM_Prompt_Client_s
{
    struct GSM_Prompt_Client_s* Next; /* engine-owned; first, where the walks of the client
                                         list reach it without an offset */
    GSM_Prompt_Handler Handler;       /* required: set before registering (a client
                                         without one is not registered) */
    const char* UrcPrefixList;        /* URC prefixes packed in flash, each ended by NUL, the
                                         list by an empty one (GSM_FLASH "+CMTI:\0+CDS:\0"),
                                         or null */
    const char* const* UrcPrefixes;   /* not read by the engine (prefixes in a RAM table are
                                         no longer supported: use UrcPrefixList); kept so
                                         that code which clears it still builds */
    uint8_t UrcMultiLineMask;         /* bit n set: a URC with prefix n (of at most 8) may
                                         continue across line breaks inside double quotes
                                         (e.g. +CUSD); set through gsmPromptAllowMultiLine */
    uint8_t Options;                  /* GSM_PROMPT_CLIENT_... */
    uint8_t EngineFlags;              /* engine-owned */
};

/* Engine state visible to clients; read it through the functions below. */
typedef struct GSM_Prompt_Interface_s
{
    uint8_t Ready;                   /* communication established (set by BasicComms) */
    uint8_t Session;                 /* incremented at every (re)establishment */
    uint8_t ConsecutiveTimeouts;     /* commands timed out in a row */
    GSM_Prompt_Client* Clients;      /* registered clients */
    GSM_Prompt_Client* Current;      /* client holding the turn, or null */
    GSM_Prompt_Client* LastServed;   /* round-robin: the next search for a turn starts after
                                        it (the last client served, or the last registered) */
    uint32_t LastResponse_ms;        /* time of the last final result received */
} GSM_Prompt_Interface;

/* Flags of gsmPromptSend(). */
#define GSM_PROMPT_SEND_DATA_PROMPT 0x01u  /* the command answers with "> " (DataPrompt event) */

/* Flags of gsmPromptWriteData(). */
#define GSM_PROMPT_DATA_ECHOED 0x01u  /* the modem echoes this data (SMS text): cancel the echo */
#define GSM_PROMPT_DATA_CTRL_Z 0x02u  /* end the data with Ctrl-Z (SMS text); omit for
                                         length-counted input */
#define GSM_PROMPT_DATA_LF    0x04u   /* write CR LF and a lone CR as LF (SMS text: a CR
                                         would make the modem prompt again) */
#define GSM_PROMPT_DATA_FLASH 0x08u  /* the data is in flash (GSM_FLASH), e.g. a certificate */

/* ---- Registration and turns ---- */

/* Adds a client (once; a second call is ignored). A null interface or client, or a
 * client without a Handler, is ignored: modules call it without checking their Prompt.
 * The next round of turns then starts at the first registered client. */
void gsmPromptRegisterClient(GSM_Prompt_Interface* p, GSM_Prompt_Client* client);

/* Sets the client's Handler and URC prefix list (in flash, or null) and registers it as
 * gsmPromptRegisterClient() does (a null interface is ignored; `client` must not be
 * null). The modules' Init functions register through it: one call instead of the
 * stores in each. */
void gsmPromptRegisterHandler(GSM_Prompt_Interface* p, GSM_Prompt_Client* client, GSM_Prompt_Handler handler,
                              const char* urcPrefixList);

/* Asks for a turn; the client gets a Start event when it is granted. Turns are granted
 * round-robin, one command in flight at a time, only while the engine is Ready (unless
 * the client is UNGATED) and the modem is powered. A client that is not registered is
 * ignored (then `p` may be null). */
void gsmPromptRequest(GSM_Prompt_Interface* p, GSM_Prompt_Client* client);

/* True while the client has a request waiting or holds the turn. */
bool gsmPromptIsBusy(const GSM_Prompt_Interface* p, const GSM_Prompt_Client* client);

/* Withdraws a waiting request, or ends the client's turn at once (no Final event). When
 * the modem was waiting for data after "> ", ESC is sent to cancel the input. Result
 * codes that arrive shortly afterwards are ignored. */
void gsmPromptAbort(GSM_Prompt_Interface* p, GSM_Prompt_Client* client);

/* Ends the turn of the client (after gsmPromptContinue, or to stop waiting). */
void gsmPromptRelease(GSM_Prompt_Interface* p, GSM_Prompt_Client* client);

/* Communication state, maintained by BasicComms. */
bool gsmPromptIsReady(const GSM_Prompt_Interface* p);
uint8_t gsmPromptSession(const GSM_Prompt_Interface* p);
void gsmPromptSetReady(GSM_Prompt_Interface* p, bool ready); /* ready=true increments Session */

/* ---- Writing a command (only during your turn) ---- */

void gsmPromptWriteText(GSM_Prompt_Interface* p, const char* text);
void gsmPromptWriteChar(GSM_Prompt_Interface* p, char c);
void gsmPromptWriteInt(GSM_Prompt_Interface* p, int32_t value);
/* gsmPromptWriteText and gsmPromptSendCommand with the text in flash (GSM_F, GSM_FLASH;
 * see GSM_Globals.h). */
#if GSM_FLASH_SEPARATE
void gsmPromptWriteText_P(GSM_Prompt_Interface* p, const char* text);
bool gsmPromptSendCommand_P(GSM_Prompt_Interface* p, const char* command, uint32_t timeout_ms);
#else
#define gsmPromptWriteText_P gsmPromptWriteText
#define gsmPromptSendCommand_P gsmPromptSendCommand
#endif
/* Writes text in double quotes; the caller makes sure it holds no '"'. */
void gsmPromptWriteQuoted(GSM_Prompt_Interface* p, const char* text);

/* Ends the command line with "\r" and starts its timeout. Returns false (nothing sent)
 * when no client holds the turn. */
bool gsmPromptSend(GSM_Prompt_Interface* p, uint32_t timeout_ms, uint8_t flags);

/* Shorthand: writes `command` and sends it. */
bool gsmPromptSendCommand(GSM_Prompt_Interface* p, const char* command, uint32_t timeout_ms);

/* Writes `length` bytes of data (after "> ", or after a DOWNLOAD line), paced so that
 * the transmit buffer never overflows: a piece is written whenever WriteCompleted()
 * reports the previous one gone. `data` must stay valid until the Final event. The
 * command timeout restarts after the last byte. Returns false when no turn is held or
 * another data write is still running. */
bool gsmPromptWriteData(GSM_Prompt_Interface* p, const uint8_t* data, uint16_t length, uint8_t flags);

/* ---- Reading (during your Line/Urc event) ---- */

/* True when the line is a known unsolicited result code: one that starts with a
 * registered client's URC prefix, or a start-up/network notice no module owns ("SMS
 * Ready", "+CGEV: ..."). Such a line reaches its owner whatever command is in flight;
 * a client reading free-form lines (a message text) uses this to leave them alone. */
bool gsmPromptIsUrc(GSM_Prompt_Interface* p, const char* line);

/* The next `count` bytes after the current line, whatever they contain, are delivered
 * to this client as RawData events (in pieces of at most the buffer size). The line end
 * of the header line is not counted. Call from a Line or Urc event. */
void gsmPromptReadRaw(GSM_Prompt_Interface* p, uint32_t count);

/* Keeps the current line in the buffer until the command's Final event has been
 * handled, so pointers into it stay valid; later lines are assembled after it (each
 * stored back to back with its NUL, so a line may be joined to the kept one before it by
 * replacing the NUL in front of it with '\n'). Only during your turn. Also callable from
 * the last RawData event of a raw read (RawRemaining 0) whose Line is not null: the
 * engine sets Line (= Data) when the buffer has room for a NUL after the bytes and for
 * the final result, and keeping then stores the bytes with a NUL like a kept line. */
void gsmPromptKeepLine(GSM_Prompt_Interface* p);

/* From the Final event: keep the turn and wait for further lines (e.g. data that follows
 * OK) until the next final result, gsmPromptRelease() or the timeout. From a Start event
 * that sends nothing it likewise keeps the turn, waiting without a command. */
void gsmPromptContinue(GSM_Prompt_Interface* p, uint32_t timeout_ms);

/* Lets the client's URCs with prefix n (bit n of `mask`, n < 8) continue across line
 * breaks inside double quotes (e.g. a +CUSD menu): sets UrcMultiLineMask. A firmware
 * whose modules never call it does not link the engine's multi-line handling, so setting
 * UrcMultiLineMask directly has no effect unless some client called this. */
void gsmPromptAllowMultiLine(GSM_Prompt_Client* client, uint8_t mask);

/* Restarts the running command timeout with a new duration. */
void gsmPromptSetTimeout(GSM_Prompt_Interface* p, uint32_t timeout_ms);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GSM_PROMPT_INTERFACE_H_ */
