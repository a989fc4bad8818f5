/*
 * GSM_Prompt.h - the shared AT command engine (UART line assembly, command arbitration,
 * response routing, echo cancellation, timeouts).
 *
 * How a module uses it. A module embeds a GSM_Prompt_Client, sets its Handler (and,
 * when it wants unsolicited result codes, a UrcPrefixList packed in flash such as
 * static const char kUrcs[] GSM_FLASH = "+CMTI:\0"; see GSM_Globals.h for texts in
 * flash) and registers it once with gsmPromptRegisterClient(). To issue a
 * command it calls gsmPromptRequest(); when its turn comes (one command in flight at a
 * time, clients served round-robin) its handler gets a Start event, in which it writes
 * the command with gsmPromptWriteText/Int/Quoted() (gsmPromptWriteText_P for a text in
 * flash) and ends it with gsmPromptSend(p, timeout_ms, flags), or sends a whole command
 * with gsmPromptSendCommand_P(p, GSM_F("AT+CSQ"), timeout_ms). While the command runs, every response line that is not a final
 * result code is offered to it as a Line event (return true when it was expected);
 * lines it declines, and lines outside any command, go to the client whose URC prefix
 * matches, as a Urc event. A line with another client's URC prefix goes to that client
 * first, whatever command is in flight (a +CMTI inside an SMS listing, a +CPIN: READY
 * inside an AT+CREG? answer); start-up notices no module owns (Call Ready, SMS Ready,
 * SMS DONE, PB DONE, RING, +CFUN:, +CGEV:, +PDP:) are dropped. A client reading free-form
 * lines checks gsmPromptIsUrc() before taking one. The command ends with a Final event carrying the result
 * (OK, ERROR, +CME ERROR: n, +CMS ERROR: n - the verbose texts of the common errors
 * mapped to their codes - timeout, or aborted when the modem is switched off); after an answer the Final handler may send the next command at once
 * and so keep the turn (see the step chains in GSM_Prompt_Helper.h), or call
 * gsmPromptContinue() to keep waiting for lines that follow OK.
 * Data input: send with GSM_PROMPT_SEND_DATA_PROMPT; when the modem prints "> " the
 * client gets a DataPrompt event and writes the data with gsmPromptWriteData() - with
 * GSM_PROMPT_DATA_CTRL_Z for SMS text, without it for length-counted input (MQTT topic
 * or payload, HTTP data after "DOWNLOAD"). Raw reads: on a header line such as
 * "+HTTPREAD: DATA,<n>" (Line or Urc event) the client calls gsmPromptReadRaw(p, n) and
 * receives exactly the next n bytes as RawData events, whatever they contain.
 *
 * Wiring (as generated into gsm_manager.c):
 *     mGsmPromptInst.Power = &(mGsmPwrInst._i);
 *     mGsmPromptInst.DataBuffer = mau8GsmPromptBuff;            // line buffer
 *     mGsmPromptInst.DataBufferSize = sizeof(mau8GsmPromptBuff);
 *     mGsmPromptInst.Write = &gsmWrite;                         // queue one byte for the UART
 *     mGsmPromptInst.WriteCompleted = &gsmWriteCompleted;       // everything transmitted?
 *     mGsmPromptInst.CanRead = &gsmCanRead;                     // received byte waiting?
 *     mGsmPromptInst.Read = &gsmRead;                           // take one received byte
 *     mGsmPromptInst.EchoCancellationBuffer = mau8UartGsmEchoCancelBuff;      // optional
 *     mGsmPromptInst.EchoCancellationBufferSize = sizeof(mau8UartGsmEchoCancelBuff);
 *     gsmPromptInit(&mGsmPromptInst);
 *     ... gsmPromptPoll(&mGsmPromptInst) from the main loop.
 *
 * Buffers may also be assigned after gsmPromptInit() (e.g. in USER CODE); the engine
 * stays idle while DataBuffer is missing or shorter than GSM_PROMPT_MIN_BUFFER bytes.
 * The DataBuffer bounds the longest line (and SMS read, USSD reply): a longer line is
 * discarded whole and never overflows the buffer. Echo cancellation removes the echo of
 * what was written (commands and SMS text) whether the modem echoes (ATE1) or not
 * (ATE0); without an echo buffer the engine falls back to dropping lines that start
 * with "AT" during a command. Debug trace of the traffic: build with GSM_DEBUG_OUTPUT=1.
 */
#ifndef GSM_PROMPT_H_
#define GSM_PROMPT_H_

#include "GSM_Globals.h"
#include "GSM_Power_Interface.h"
#include "GSM_Prompt_Interface.h"

#ifdef __cplusplus
extern "C" {
#endif

#ifndef GSM_PROMPT_MIN_BUFFER
#define GSM_PROMPT_MIN_BUFFER 16u        /* smallest usable DataBuffer */
#endif
#ifndef GSM_PROMPT_RX_BUDGET
#define GSM_PROMPT_RX_BUDGET 512u        /* received bytes processed per Poll at most */
#endif
#ifndef GSM_PROMPT_TX_PIECE
#define GSM_PROMPT_TX_PIECE 64u          /* bytes of data written per piece */
#endif
#ifndef GSM_PROMPT_RECOVERY_MS
#define GSM_PROMPT_RECOVERY_MS 500u      /* after a timeout/abort: stray results ignored */
#endif
#ifndef GSM_PROMPT_RAW_IDLE_MS
#define GSM_PROMPT_RAW_IDLE_MS 5000u     /* a raw read stalled this long is abandoned */
#endif
#ifndef GSM_PROMPT_PROMPT_SETTLE_MS
#define GSM_PROMPT_PROMPT_SETTLE_MS 20u  /* pause between "> " and the data */
#endif

typedef struct GSM_Prompt_Instance_s
{
    GSM_Prompt_Interface _i;        /* interface for other modules; must stay the first member */
    GSM_Power_Interface* Power;     /* the Power module's interface (may be null) */

    uint8_t* DataBuffer;            /* line buffer */
    size_t DataBufferSize;

    /* UART callbacks (set before use). */
    void (*Write)(struct GSM_Prompt_Instance_s* inst, uint8_t _data);
    bool (*WriteCompleted)(struct GSM_Prompt_Instance_s* inst);   /* may be null */
    bool (*CanRead)(struct GSM_Prompt_Instance_s* inst);            /* both, or both null when */
    uint8_t (*Read)(struct GSM_Prompt_Instance_s* inst);            /* bytes come through Feed */

    uint8_t* EchoCancellationBuffer;  /* optional: copy of the bytes written for the command */
    size_t EchoCancellationBufferSize;

    uint16_t DiscardedLines;  /* statistics: over-long lines dropped */

    /* Private state (gsmPromptInit clears everything from LineStart on). The line fields
     * come first: a 32-bit field here would need padding on 32-bit targets and push them
     * further out. */
    uint16_t LineStart;       /* where the line being assembled begins (after kept lines) */
    uint16_t LineLen;
    uint8_t RxFlags;
    uint8_t Phase;
    uint8_t SendFlags;
    uint8_t TxFlags;
    uint8_t PowerSession;
    uint16_t EchoLen;
    uint16_t EchoPos;
    uint16_t TxRemaining;
    const uint8_t* TxData;
    uint32_t RawRemaining;
    GSM_Prompt_Client* RawClient;
    GSM_Prompt_Client* Dispatching;  /* client whose Line/Urc/RawData handler runs */
    uint32_t Timeout_ms;
    uint32_t PhaseStart_ms;
    uint32_t RawLast_ms;
} GSM_Prompt_Instance;

/* Initialises the engine (no command in flight, buffers empty). Registered clients,
 * their requests, the Ready/Session state and the record of past results
 * (ConsecutiveTimeouts, LastResponse_ms: zero until the first result) are kept, so Init
 * may run again. */
void gsmPromptInit(GSM_Prompt_Instance* inst);

/* Reads received bytes (bounded), dispatches lines and events, grants turns, paces data
 * writes and checks timeouts; call from the main loop. */
void gsmPromptPoll(GSM_Prompt_Instance* inst);

/* Feeds received bytes directly (instead of CanRead/Read), e.g. from a test or a DMA
 * block; processed exactly like bytes returned by Read. */
void gsmPromptFeed(GSM_Prompt_Instance* inst, const uint8_t* data, size_t length);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* GSM_PROMPT_H_ */
