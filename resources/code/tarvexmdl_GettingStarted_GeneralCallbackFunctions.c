
// --- DEBUG UART ---

void gsmDebugTxPoll()
{
    // USER CODE BEGIN gsmDebugTxPoll

    // Arduino E.g. (Circular Buffer):

    // uint32_t u32NumberOfBytes;
    // uint8_t* pu8Segment = 0;

    // if (cbufCanRead(&mcbfDebugTx) && (Serial.availableForWrite() >= (SERIAL_TX_BUFFER_SIZE-1)))
    // {
    //     cbufReleaseLock(&mcbfDebugTx);
    //     u32NumberOfBytes = cbufReadContinuousSegmentAndLock(&mcbfDebugTx, &pu8Segment, (SERIAL_TX_BUFFER_SIZE-1));
    //     Serial.write(pu8Segment, u32NumberOfBytes);
    // }

    // USER CODE END gsmDebugTxPoll
}

void gsmDebugWrite(uint8_t _data)
{
    // USER CODE BEGIN gsmDebugWrite

    // Append _data to a buffer so that it can be transmitted asynchronously
    // (without blocking code execution here) by polled code. E.g. (Circular Buffer):

    // if (!cbufWrite(&mcbfDebugTx, _data))
    // {
    //     // Circular buffer full!
    // }

    // USER CODE END gsmDebugWrite
}

void gsmDebugWriteText(char* text)
{
    while (*text)
    {
        gsmDebugWrite(*text++);
    }
}
