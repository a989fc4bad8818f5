/*
 * circbuff.h - byte ring buffer for UART receive/transmit paths.
 *
 * One producer and one consumer may use a CircBuff at the same time, e.g. a UART
 * receive interrupt or DMA-complete interrupt writing and the main loop reading (or the
 * main loop writing and a transmit interrupt reading). No other sharing is supported.
 * Indexes are 16-bit on 8-bit AVR (a buffer there holds at most 65,535 bytes, far more
 * than its RAM) and 32-bit elsewhere; define CIRCBUFF_INDEX_TYPE to choose another.
 * On 8-bit AVR targets, where multi-byte index access is not atomic, index updates run
 * with interrupts briefly disabled; on 32-bit targets plain aligned accesses are atomic.
 *
 * Set-up: point Buffer at storage, set BufferSize (bytes), call cbufInit(). The buffer
 * holds at most BufferSize - 1 bytes.
 *
 * Zero-copy transmit (DMA or a driver that copies): cbufReadContinuousSegmentAndLock()
 * hands out the longest contiguous run of buffered bytes and marks it read, but keeps
 * the space reserved (locked) so the producer cannot overwrite it while it is being
 * transmitted; cbufReleaseLock() frees it once the transfer is done.
 */
#ifndef CIRCBUFF_H_
#define CIRCBUFF_H_

#include <stdint.h>
#include <stdbool.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifndef CIRCBUFF_INDEX_TYPE
#if defined(__AVR__)
#define CIRCBUFF_INDEX_TYPE uint16_t
#else
#define CIRCBUFF_INDEX_TYPE uint32_t
#endif
#endif
typedef CIRCBUFF_INDEX_TYPE cbufIndex;

typedef struct
{
    uint8_t* Buffer;                 /* storage, set before cbufInit() */
    cbufIndex BufferSize;            /* size of Buffer in bytes */
    volatile cbufIndex WriteIndex;   /* next position to write (producer only) */
    volatile cbufIndex ReadIndex;    /* next position to read (consumer only) */
    volatile cbufIndex ReleaseIndex; /* start of read-but-locked bytes (consumer only) */
} CircBuff;

/* Empties the buffer. Call once after setting Buffer and BufferSize. */
void cbufInit(CircBuff* cb);

/* Appends one byte. Returns false (byte dropped) when the buffer is full or unset. */
bool cbufWrite(CircBuff* cb, uint8_t data);

/* Removes and returns the oldest byte; returns 0 when the buffer is empty. */
uint8_t cbufRead(CircBuff* cb);

/* True when at least one byte can be read. */
bool cbufCanRead(CircBuff* cb);

/* Number of bytes that can be read (a cbufIndex, like the sizes below: 16-bit on AVR). */
cbufIndex cbufBufferedSize(CircBuff* cb);

/* Number of bytes that can still be written. */
cbufIndex cbufFreeSize(CircBuff* cb);

/* Hands out up to maxLength contiguous buffered bytes in *segment, marks them read and
 * keeps their space locked until cbufReleaseLock(). Returns the number of bytes (0 when
 * empty). */
uint32_t cbufReadContinuousSegmentAndLock(CircBuff* cb, uint8_t** segment, uint32_t maxLength);

/* Frees the space of every byte handed out since the last release. */
void cbufReleaseLock(CircBuff* cb);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* CIRCBUFF_H_ */
