/*
 * circbuff.c - byte ring buffer for one producer and one consumer (see circbuff.h).
 *
 * WriteIndex is written only by the producer, ReadIndex and ReleaseIndex only by the
 * consumer. A byte is stored before WriteIndex moves past it, and taken before
 * ReadIndex moves past it; the buffer memory is accessed through a volatile pointer so
 * the compiler keeps that order relative to the index updates. One slot always stays
 * free, so WriteIndex == ReadIndex means empty. The producer sees as free only the
 * space before ReleaseIndex, which lags behind ReadIndex while a segment is locked.
 */
#include "circbuff.h"

#if defined(__AVR__)
/* 8-bit AVR cannot read or write a multi-byte index atomically: guard each operation. */
#include <avr/io.h>
#include <avr/interrupt.h>
#define CBUF_LOCK()   uint8_t cbufSavedSreg = SREG; cli()
#define CBUF_UNLOCK() SREG = cbufSavedSreg
#else
/* Aligned 32-bit loads and stores are atomic on the 32-bit targets. */
#define CBUF_LOCK()   do { } while (0)
#define CBUF_UNLOCK() do { } while (0)
#endif

/* Keeps Init and the operation shared by the others out of line: with
 * link-time optimisation they would otherwise be copied into each of their callers. */
#if defined(__GNUC__)
#define CBUF_NOINLINE __attribute__((noinline))
#else
#define CBUF_NOINLINE
#endif

/* (Early return: from one && chain the AVR compiler builds a flag and tests it.) */
static bool cbufValid(const CircBuff* cb)
{
    if (cb == 0 || cb->Buffer == 0)
    {
        return false;
    }
    return cb->BufferSize >= 2u;
}

/* The position after `index` (indexes stay below `size`, the BufferSize). */
static cbufIndex cbufNext(cbufIndex size, cbufIndex index)
{
    index++;
    return (index == size) ? (cbufIndex)0u : index;
}

/* Bytes from `from` up to `to`, across the end of the storage. */
static cbufIndex cbufDistance(cbufIndex size, cbufIndex from, cbufIndex to)
{
    cbufIndex n = (cbufIndex)(to - from);
    return (to < from) ? (cbufIndex)(n + size) : n;
}

CBUF_NOINLINE void cbufInit(CircBuff* cb)
{
    if (cb == 0)
    {
        return;
    }
    {
        CBUF_LOCK();
        cb->WriteIndex = 0;
        cb->ReadIndex = 0;
        cb->ReleaseIndex = 0;
        CBUF_UNLOCK();
    }
}

/* What cbufOp() does. Bit 1 marks the producer's side: it counts the free space (up to
 * ReleaseIndex) instead of the buffered bytes (from ReadIndex); bit 0 then moves one byte
 * when that count is not 0. */
enum
{
    CBUF_OP_BUFFERED = 0, /* count the bytes buffered */
    CBUF_OP_READ,         /* take the oldest byte */
    CBUF_OP_FREE,         /* count the bytes that can still be written */
    CBUF_OP_WRITE,        /* store a byte */
    CBUF_OP_RELEASE       /* free the space of the bytes handed out */
};

/* The single-byte operations and the release share their checks, the lock, the count and
 * the index step. Returns the byte taken, not 0 when a byte was stored, or the count asked
 * for; 0 when the buffer is full, empty or unusable. */
static CBUF_NOINLINE cbufIndex cbufOp(CircBuff* cb, uint8_t op, uint8_t data)
{
    cbufIndex n = 0;

    if (cbufValid(cb))
    {
        cbufIndex size = cb->BufferSize; /* (set up once, never changed by the buffer) */
        CBUF_LOCK();
        cbufIndex w = cb->WriteIndex;
        cbufIndex r = cb->ReadIndex;
        bool producer = (op & CBUF_OP_FREE) != 0u; /* FREE or WRITE */
        if (op == CBUF_OP_RELEASE)
        {
            cb->ReleaseIndex = r; /* (the count below goes unused) */
        }
        n = cbufDistance(size, producer ? cb->ReleaseIndex : r, w);
        if (producer)
        {
            n = (cbufIndex)(size + (cbufIndex)~n); /* size - 1 - n, without a temporary */
        }
        if ((op & CBUF_OP_READ) && n != 0u)
        {
            cbufIndex at = producer ? w : r; /* a byte is stored at WriteIndex, taken at ReadIndex */
            cbufIndex next = cbufNext(size, at);
            volatile uint8_t* slot = (volatile uint8_t*)cb->Buffer + at;
            if (producer)
            {
                *slot = data;
                cb->WriteIndex = next;
            }
            else
            {
                n = *slot;
                if (cb->ReleaseIndex == at)
                {
                    /* Nothing locked: the space is free at once. */
                    cb->ReleaseIndex = next;
                }
                cb->ReadIndex = next;
            }
        }
        CBUF_UNLOCK();
    }
    return n;
}

bool cbufWrite(CircBuff* cb, uint8_t data)
{
    return cbufOp(cb, CBUF_OP_WRITE, data) != 0u;
}

uint8_t cbufRead(CircBuff* cb)
{
    return (uint8_t)cbufOp(cb, CBUF_OP_READ, 0u);
}

bool cbufCanRead(CircBuff* cb)
{
    return cbufOp(cb, CBUF_OP_BUFFERED, 0u) != 0u;
}

cbufIndex cbufBufferedSize(CircBuff* cb)
{
    return cbufOp(cb, CBUF_OP_BUFFERED, 0u);
}

cbufIndex cbufFreeSize(CircBuff* cb)
{
    return cbufOp(cb, CBUF_OP_FREE, 0u);
}

uint32_t cbufReadContinuousSegmentAndLock(CircBuff* cb, uint8_t** segment, uint32_t maxLength)
{
    uint32_t n = 0;

    if (segment == 0)
    {
        return 0;
    }
    *segment = (cb != 0) ? cb->Buffer : 0;
    if (!cbufValid(cb))
    {
        return 0;
    }
    {
        CBUF_LOCK();
        cbufIndex r = cb->ReadIndex;
        cbufIndex w = cb->WriteIndex;
        if (r != w)
        {
            n = (w > r) ? (cbufIndex)(w - r) : (cbufIndex)(cb->BufferSize - r);
            if (n > maxLength)
            {
                n = maxLength;
            }
            *segment = cb->Buffer + r;
            r = (cbufIndex)(r + n);
            cb->ReadIndex = (r == cb->BufferSize) ? 0u : r;
        }
        CBUF_UNLOCK();
    }
    return n;
}

void cbufReleaseLock(CircBuff* cb)
{
    (void)cbufOp(cb, CBUF_OP_RELEASE, 0u);
}
