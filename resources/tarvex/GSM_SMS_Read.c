/*
 * GSM_SMS_Read.c - reading received text messages (see GSM_SMS_Read.h).
 */
#include "GSM_SMS_Read.h"
#include "GSM_Util.h"
#include <string.h>

enum
{
    RP_IDLE = 0,
    RP_SETUP,    /* text mode and indications */
    RP_LIST,     /* AT+CMGL="REC UNREAD",1 */
    RP_STORAGE,  /* AT+CPMS="<mem>" */
    RP_READ,     /* AT+CMGR=<index> */
    RP_DELETE    /* AT+CMGD=<index> */
};

/* Flags */
#define RF_ESTABLISHED 0x01u
#define RF_SETUP_DONE  0x02u
#define RF_SCAN        0x04u  /* list the storage for unread messages */
#define RF_HEADER      0x08u  /* +CMGR header of the message being read received */
#define RF_BODY        0x10u  /* at least one text line received */
#define RF_OVERFLOW    0x20u  /* an index did not fit the queue during a listing */
#define RF_RAWTEXT     0x80u  /* the text is read by its <length>, not by lines */

/* Quirks (per session, but RQ_LIST_READ) */
#define RQ_PLAIN_CMGL  0x01u  /* AT+CMGL="REC UNREAD",1 was refused: list without the mode */
#define RQ_LIST_READ   0x02u  /* such a listing marked messages read that did not fit the
                                 queue: list "REC READ" from ReadFrom on (kept across
                                 sessions, so none is forgotten) */

#define SMSREAD_TIMEOUT_MS 5000u
#define SMSREAD_LIST_TIMEOUT_MS 20000u
#define SMSREAD_RETRY_MS 5000u

/* Text mode, then (optional) the IRA character set, the indications and the text
 * <length> in +CMGR: with it a text that contains line breaks or looks like a result
 * code ("OK", "ERROR") is read whole. */
static const char kSetup[] GSM_FLASH = "AT+CMGF=1\0AT+CSCS=\"IRA\"\0AT+CNMI=2,1,0,1,0\0AT+CSDH=1\0";
#define SETUP_OPTIONAL 0x0Eu

static const char kUrcs[] GSM_FLASH = "+CMTI:\0";

static char gEmpty[1];

/* Adds a storage index unless already queued; false when the queue is full. */
static bool enqueue(GSM_SmsRead_Instance* inst, uint16_t index)
{
    uint8_t i;
    for (i = 0; i < inst->QueueCount; i++)
    {
        if (inst->Queue[i] == index)
        {
            return true;
        }
    }
    if (inst->QueueCount >= GSM_SMS_READ_QUEUE)
    {
        return false;
    }
    inst->Queue[inst->QueueCount++] = index;
    return true;
}

static void dequeue(GSM_SmsRead_Instance* inst)
{
    uint8_t i;
    if (inst->QueueCount > 0u)
    {
        inst->QueueCount--;
        for (i = 0; i < inst->QueueCount; i++)
        {
            inst->Queue[i] = inst->Queue[i + 1u];
        }
    }
}

/* Storage names are two letters ("SM", "ME", ...), or empty for the modem's current one:
 * compared and copied by hand, they need no string routines. */
static bool sameStorage(const char* a, const char* b)
{
    return a[0] == b[0] && (a[0] == '\0' || a[1] == b[1]);
}

static void copyStorage(char* dst, const char* src)
{
    dst[0] = src[0];
    dst[1] = src[1];
    dst[2] = '\0';
}

static bool parseIndex(const char* text, uint16_t* index)
{
    int32_t v;
    if (!gsmUtilParseInt(text, &v) || (uint32_t)v > 0xFFFFu)
    {
        return false;
    }
    *index = (uint16_t)v;
    return true;
}

/* "+CMTI: "<mem>",<index>" */
static void newMessage(GSM_SmsRead_Instance* inst, char* line)
{
    char* f[2];
    uint16_t index;

    if (gsmUtilSplitArgs(line + 6, f, 2u) != 2u || !parseIndex(f[1], &index))
    {
        /* "+CMTI: ,-1" and the like: something arrived, but where is not said. */
        inst->Flags |= RF_SCAN;
        return;
    }
    if (f[0][0] != '\0' && f[0][1] != '\0' && f[0][2] == '\0')
    {
        if (inst->QueueCount > 0u && !sameStorage(f[0], inst->PendingStorage))
        {
            /* Another storage than the queued messages: list it later instead. */
            inst->Flags |= RF_SCAN;
            return;
        }
        copyStorage(inst->PendingStorage, f[0]);
    }
    if (!enqueue(inst, index))
    {
        inst->Flags |= RF_SCAN; /* found again by the next listing */
    }
}

static GSM_SmsRead_SmsStatus parseStatus(const char* text)
{
    static const char kStatus[] GSM_FLASH = "REC UNREAD\0REC READ\0STO UNSENT\0STO SENT\0";
    int8_t i = gsmUtilFindText(text, kStatus, false);
    return (i >= 0) ? (GSM_SmsRead_SmsStatus)i : GSM_SmsRead_SmsStatus_Unknown;
}

/* True when <dcs> (3GPP TS 23.038) says 8-bit or UCS2 data: the modem then shows the
 * text as hexadecimal digits, which a line-based read takes safely. */
static bool hexCoded(int32_t dcs)
{
    uint8_t d = (uint8_t)dcs;
    if ((d & 0x80u) == 0u)
    {
        uint8_t alphabet = (uint8_t)((d >> 2) & 0x03u);
        return alphabet == 1u || alphabet == 2u;
    }
    if ((d & 0xF0u) == 0xE0u)
    {
        return true; /* message waiting, UCS2 */
    }
    if ((d & 0xF0u) == 0xF0u)
    {
        return (d & 0x04u) != 0u;
    }
    return false;
}

/* The text <length> given in `lengthField` when the text is to be read by it: a count
 * above 0, and a <dcs> (`dcsField`, null when there is none) that does not say
 * hexadecimal digits. Otherwise 0: the text is read by lines. */
static uint32_t rawLength(const char* lengthField, const char* dcsField)
{
    int32_t length;
    int32_t dcs;

    if (!gsmUtilParseInt(lengthField, &length) || length <= 0 ||
        (dcsField != 0 && (!gsmUtilParseInt(dcsField, &dcs) || hexCoded(dcs))))
    {
        return 0u;
    }
    return (uint32_t)length;
}

/* "+CMGR: <stat>,<oa>,[<alpha>],<scts>[,<tooa>,<fo>,<pid>,<dcs>,<sca>,<tosca>,<length>]".
 * The sender is copied (the header line itself is not kept, so the whole buffer is free
 * for the text). Returns the text <length> when the text is to be read by it (it is a
 * count of characters, one byte each in the IRA character set), otherwise 0: the text
 * lines are then read one by one. */
static uint32_t readHeader(GSM_SmsRead_Instance* inst, char* args)
{
    char* f[11];
    uint8_t n = gsmUtilSplitArgs(args, f, 11u);
    uint8_t i;
    uint32_t length = 0;

    memset(&inst->Message, 0, sizeof(inst->Message));
    inst->Message.SmsStatus = (n > 0u) ? parseStatus(f[0]) : GSM_SmsRead_SmsStatus_Unknown;
    (void)gsmUtilStrCopy(inst->Sender, sizeof(inst->Sender), (n > 1u) ? f[1] : "");
    inst->Message.PhoneNumber = inst->Sender;
    inst->Message.SmsData = gEmpty;
    inst->Message.StorageIndex = (inst->QueueCount > 0u) ? inst->Queue[0] : 0u;
    /* The time stamp is the third or fourth field, depending on <alpha>. */
    for (i = 2; i < n && i < 4u; i++)
    {
        if (gsmUtilParseScts(f[i], &inst->Message.EpochTime, &inst->Message.TimeZoneCompensation))
        {
            break;
        }
    }
    inst->Flags |= RF_HEADER; /* (AT+CMGR was sent with RF_BODY and RF_RAWTEXT clear) */
    if (n == 11u)
    {
        length = rawLength(f[10], (f[7][0] != '\0') ? f[7] : 0);
        if (length != 0u)
        {
            inst->Flags |= RF_RAWTEXT;
        }
    }
    return length;
}

/* The text <length> of a listing entry, found by the header's shape: a received message
 * (SMS-DELIVER) in text mode is "<index>,<stat>,<oa>,[<alpha>],<scts>,<tooa>,<length>", or
 * on some firmware "...,<tooa>,<fo>,<pid>,<dcs>,<sca>,<tosca>,<length>". False (read the
 * text by lines) for any other shape, hex-coded data, or fields that do not fit. */
static bool listedLength(char** f, uint8_t n, uint32_t* length)
{
    int32_t tooa;
    uint32_t epoch;
    int32_t zone;
    GSM_SmsRead_SmsStatus st;

    if (n != 7u && n != 12u)
    {
        return false;
    }
    st = parseStatus(f[1]);
    if ((st != GSM_SmsRead_SmsStatus_ReceivedUnread && st != GSM_SmsRead_SmsStatus_ReceivedRead) ||
        !gsmUtilParseScts(f[4], &epoch, &zone) || !gsmUtilParseInt(f[5], &tooa) || tooa < 128 || tooa > 255)
    {
        return false;
    }
    *length = rawLength(f[n - 1u], (n == 12u) ? f[8] : 0);
    return *length != 0u;
}

static void sendNext(GSM_SmsRead_Instance* inst);

/* Sends the flash `command` (AT+CPMS=" with its opening quote, AT+CMGR= or AT+CMGD=)
 * with the storage name `storage` and its closing quote, or without one with the index
 * at the head of the queue. */
static void sendWithArgument(GSM_SmsRead_Instance* inst, uint8_t phase, const char* command, const char* storage)
{
    GSM_Prompt_Interface* p = inst->Prompt;
    inst->Phase = phase;
    gsmPromptWriteText_P(p, command);
    if (storage != 0)
    {
        gsmPromptWriteText(p, storage);
        gsmPromptWriteText_P(p, GSM_F("\""));
    }
    else
    {
        gsmPromptWriteInt(p, (int32_t)inst->Queue[0]);
    }
    (void)gsmPromptSend(p, SMSREAD_TIMEOUT_MS, 0);
}

static bool handler(GSM_Prompt_Client* client, GSM_Prompt_Event* ev)
{
    GSM_SmsRead_Instance* inst = GSM_CONTAINER_OF(client, GSM_SmsRead_Instance, Client);
    GSM_Prompt_Interface* p = inst->Prompt;

    switch (ev->Type)
    {
    case GSM_Prompt_EventType_Start:
        sendNext(inst);
        return false;

    case GSM_Prompt_EventType_Line:
    {
        uint32_t length = 0;
        char* args;
        if (gsmPromptIsUrc(p, ev->Line))
        {
            return false; /* a URC between the entries or after a text: never text */
        }
        if (inst->Phase == RP_READ && (inst->Flags & RF_HEADER))
        {
            if (inst->Flags & RF_RAWTEXT)
            {
                return false; /* the text has been read; not ours */
            }
            /* Message text, possibly over several lines: keep and join them. */
            if (inst->Flags & RF_BODY)
            {
                ev->Line[-1] = '\n';
            }
            else
            {
                inst->Message.SmsData = ev->Line;
                inst->Flags |= RF_BODY;
            }
            gsmPromptKeepLine(p);
            return true;
        }
        if (inst->Phase != RP_LIST && inst->Phase != RP_READ)
        {
            return false;
        }
        /* +CMGL: (entry 0) while listing, +CMGR: (entry 1) while reading; the fields
         * after the prefix (the splitter skips the blanks before them) */
        if (gsmUtilFindPrefix(ev->Line, GSM_F("+CMGL:\0+CMGR:\0")) != (int8_t)(inst->Phase == RP_READ))
        {
            return inst->Phase == RP_LIST; /* the listing's message texts are ours too */
        }
        args = ev->Line + 6;
        if (inst->Phase == RP_READ)
        {
            /* With a <length>: exactly that many bytes of text, whatever they contain. */
            length = readHeader(inst, args);
        }
        else
        {
            uint16_t index;
            char* f[12];
            uint8_t n = gsmUtilSplitArgs(args, f, 12u);
            /* (A "REC READ" listing takes only what an earlier listing marked read.) */
            if (n >= 1u && parseIndex(f[0], &index) &&
                (!(inst->Quirks & RQ_LIST_READ) || index >= inst->ReadFrom) && !enqueue(inst, index))
            {
                inst->Flags |= RF_OVERFLOW;
                if (index < inst->Overflowed)
                {
                    inst->Overflowed = index;
                }
            }
            /* Skip a listed text by its length: a text line such as "OK" must not end
             * the listing. (Hex-coded data is never shorter than <length>, a rest of it
             * is taken as a text line.) */
            (void)listedLength(f, n, &length);
        }
        if (length != 0u)
        {
            gsmPromptReadRaw(p, length);
        }
        return true;
    }

    case GSM_Prompt_EventType_RawData:
        if (inst->Phase == RP_READ && (inst->Flags & RF_RAWTEXT))
        {
            /* The whole text in one piece is kept for the Final event. A text longer
             * than the buffer has room for is dropped, like an over-long text line:
             * the message is reported with an empty text. */
            if (!(inst->Flags & RF_BODY) && ev->RawRemaining == 0u && ev->Line != 0)
            {
                inst->Message.SmsData = ev->Line;
                gsmPromptKeepLine(p);
            }
            inst->Flags |= RF_BODY;
        }
        return false;

    case GSM_Prompt_EventType_Urc:
        newMessage(inst, ev->Line); /* the only prefix: +CMTI: */
        return true;

    case GSM_Prompt_EventType_Final:
    {
        /* The phase that ended. Afterwards the module is idle, sends the next command
         * at once (same turn), or waits SMSREAD_RETRY_MS before asking again. */
        uint8_t phase = inst->Phase;
        bool ok = (ev->Result == GSM_Result_Ok);
        bool answered = (ev->Result < GSM_Result_Timeout);
        inst->Phase = RP_IDLE;
        if (phase == RP_SETUP)
        {
            GSM_BasicComms_SequenceState st =
                gsmBasicCommsIfSequenceFinal(p, ev, kSetup, &inst->Step, SETUP_OPTIONAL);
            if (st == GSM_BasicComms_Sequence_Running)
            {
                inst->Phase = RP_SETUP;
                return false;
            }
            ok = (st == GSM_BasicComms_Sequence_Done);
            if (ok)
            {
                inst->Flags |= RF_SETUP_DONE;
            }
        }
        else if (phase == RP_LIST)
        {
            if (ok && (inst->Quirks & (RQ_PLAIN_CMGL | RQ_LIST_READ)))
            {
                /* Without the mode the listing marked what it showed read: what did not fit
                 * the queue is found again among the read messages, from its lowest index
                 * on (read messages below it are not ours). A "REC READ" listing that took
                 * all it showed is done; the unread ones are listed next. */
                if (inst->Flags & RF_OVERFLOW)
                {
                    inst->ReadFrom = inst->Overflowed;
                    inst->Quirks |= RQ_LIST_READ;
                }
                else if (inst->Quirks & RQ_LIST_READ)
                {
                    inst->Quirks &= (uint8_t)~RQ_LIST_READ;
                    inst->Flags |= RF_SCAN;
                }
            }
            if (!ok || (inst->Flags & RF_OVERFLOW))
            {
                /* List again: once the queue is read, or after a failure. */
                inst->Flags = (uint8_t)((inst->Flags & (uint8_t)~RF_OVERFLOW) | RF_SCAN);
            }
            if (!ok && answered && !(inst->Quirks & RQ_PLAIN_CMGL))
            {
                /* The mode parameter (list without marking as read) is not universal:
                 * list the standard way. The messages are read and deleted anyway. */
                inst->Quirks |= RQ_PLAIN_CMGL;
                ok = true;
            }
        }
        else if (phase == RP_STORAGE)
        {
            /* Selected; or an unknown storage: read from the current one. */
            copyStorage(ok ? inst->Storage : inst->PendingStorage, ok ? inst->PendingStorage : inst->Storage);
        }
        else if (phase == RP_IDLE)
        {
            return false;
        }
        else /* RP_READ, RP_DELETE */
        {
            if (phase == RP_READ && ok && (inst->Flags & RF_HEADER))
            {
                if (inst->EventHandler != 0)
                {
                    inst->EventHandler(inst, GSM_SmsRead_EventType_ReadSuccess, &inst->Message);
                }
                sendWithArgument(inst, RP_DELETE, GSM_F("AT+CMGD="), 0);
            }
            else if (answered || phase == RP_DELETE)
            {
                /* Deleted (or not), an empty slot or an invalid index: next index. The
                 * next message waits for the next turn, so other modules get theirs. */
                dequeue(inst);
            }
            ok = answered; /* no retry pause, but no next command in this turn either */
            if (ok)
            {
                return false;
            }
        }
        if (ok)
        {
            sendNext(inst);
        }
        else
        {
            gsmUtilStamp(&inst->Retry_ms);
        }
        return false;
    }

    default:
        return false;
    }
}

/* Sends the next command this module needs, in its turn; nothing when all is done. */
static void sendNext(GSM_SmsRead_Instance* inst)
{
    GSM_Prompt_Interface* p = inst->Prompt;

    if (!(inst->Flags & RF_SETUP_DONE))
    {
        inst->Phase = RP_SETUP;
        inst->Step = 0;
        (void)gsmBasicCommsIfSequenceSend(p, kSetup, 0u);
    }
    else if (inst->QueueCount > 0u)
    {
        if (inst->PendingStorage[0] != '\0' && !sameStorage(inst->PendingStorage, inst->Storage))
        {
            sendWithArgument(inst, RP_STORAGE, GSM_F("AT+CPMS=\""), inst->PendingStorage);
        }
        else
        {
            inst->Flags &= (uint8_t)~(RF_HEADER | RF_BODY | RF_RAWTEXT);
            sendWithArgument(inst, RP_READ, GSM_F("AT+CMGR="), 0);
        }
    }
    else if (inst->Flags & RF_SCAN)
    {
        inst->Phase = RP_LIST;
        /* A notice that asks for another listing while this one runs sets RF_SCAN
         * again and so survives the listing's OK. */
        inst->Flags &= (uint8_t)~(RF_OVERFLOW | RF_SCAN);
        inst->Overflowed = 0xFFFFu;
        /* Mode 1: listing does not mark the messages as read. */
        (void)gsmPromptSendCommand_P(p, (inst->Quirks & RQ_LIST_READ)    ? GSM_F("AT+CMGL=\"REC READ\"")
                                        : (inst->Quirks & RQ_PLAIN_CMGL) ? GSM_F("AT+CMGL=\"REC UNREAD\"")
                                                                         : GSM_F("AT+CMGL=\"REC UNREAD\",1"),
                                   SMSREAD_LIST_TIMEOUT_MS);
    }
    else
    {
        inst->Phase = RP_IDLE;
    }
}

void gsmSmsReadInit(GSM_SmsRead_Instance* inst)
{
    if (inst == 0)
    {
        return;
    }
    inst->Phase = RP_IDLE;
    inst->Flags = 0;
    inst->Quirks = 0;
    inst->QueueCount = 0;
    inst->Storage[0] = '\0';
    inst->PendingStorage[0] = '\0';
    memset(&inst->Message, 0, sizeof(inst->Message));
    gsmPromptRegisterHandler(inst->Prompt, &inst->Client, &handler, kUrcs); /* (ignores a null Prompt) */
}

void gsmSmsReadPoll(GSM_SmsRead_Instance* inst)
{
    GSM_Prompt_Interface* p;
    bool established;
    uint8_t session;

    if (inst == 0 || inst->Prompt == 0)
    {
        return;
    }
    p = inst->Prompt;
    established = gsmBasicCommsIfLinkEstablished(inst->BasicComms, p, &session);
    if (!established)
    {
        inst->Flags &= (uint8_t)~RF_ESTABLISHED;
        return;
    }
    if (!(inst->Flags & RF_ESTABLISHED) || session != inst->Session)
    {
        /* New session: set up again and list what arrived meanwhile. */
        gsmPromptAbort(p, &inst->Client);
        inst->Session = session;
        inst->Flags = (uint8_t)(RF_ESTABLISHED | RF_SCAN);
        inst->Quirks &= RQ_LIST_READ;
        inst->Phase = RP_IDLE;
        inst->QueueCount = 0;
        inst->Storage[0] = '\0';
        inst->PendingStorage[0] = '\0';
    }
    else if (inst->Phase != RP_IDLE || gsmPromptIsBusy(p, &inst->Client) ||
             !gsmUtilExpired(&inst->Retry_ms, SMSREAD_RETRY_MS) ||
             ((inst->Flags & RF_SETUP_DONE) && inst->QueueCount == 0u && !(inst->Flags & RF_SCAN)))
    {
        return; /* busy, pausing after a failure, or nothing to do */
    }
    gsmPromptRequest(p, &inst->Client);
}

bool gsmSmsReadIsBusy(GSM_SmsRead_Instance* inst)
{
    return inst != 0 && (inst->QueueCount > 0u || inst->Phase != RP_IDLE);
}
