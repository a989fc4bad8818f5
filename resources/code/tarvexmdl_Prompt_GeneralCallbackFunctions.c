
void gsmTxPoll()
{
    // USER CODE BEGIN gsmTxPoll
    // ToDo: Add Hardware Abstraction Layer (HAL) code here to "poll" the Tx buffer to transmit queued (buffered) data
    // to the GSM Modem.

    // Arduino / Circular Buffer E.g.:
    // uint8_t byte;
    // cbufReleaseLock(&mcbfGsmTx);

    // while (cbufCanRead(&mcbfGsmTx) && gsmSerial.availableForWrite())
    // {
    //     byte = cbufRead(&mcbfGsmTx);
    //     gsmSerial.write(byte);
    // }

    // USER CODE END gsmTxPoll
}

void gsmWrite(GSM_Prompt_Instance* inst, uint8_t _data)
{
    // USER CODE BEGIN gsmWrite
    // ToDo: Add Hardware Abstraction Layer (HAL) code here to write data to the Tx buffer.

    // E.g.:
    // if (!cbufWrite(&mcbfGsmTx, _data))
    // {
    //     // Circular buffer is full!
    // }
    // gsmTxPoll();

    // USER CODE END gsmWrite
}

bool gsmWriteCompleted(GSM_Prompt_Instance* inst)
{
    // USER CODE BEGIN gsmWriteCompleted
    // ToDo: Add Hardware Abstraction Layer (HAL) code here to determine if all writing is complete. This includes data
    // being written to the Tx buffer, as well as data being transmitted from the Tx buffer to the GSM modem.

    // Arduino E.g.:
    // return ((gsmSerial.availableForWrite() == (SERIAL_TX_BUFFER_SIZE-1)) && (cbufBufferedSize(&mcbfGsmTx) == 0));

    // USER CODE END gsmWriteCompleted
}

bool gsmCanRead(GSM_Prompt_Instance* inst)
{
    // USER CODE BEGIN gsmCanRead
    // ToDo: Add Hardware Abstraction Layer (HAL) code here to determine if there is data in the Rx buffer to be read.

    // Arduino E.g.:
    // gsmRxPoll();
    // return cbufCanRead(&mcbfGsmRx);

    // USER CODE END gsmCanRead
}

uint8_t gsmRead(GSM_Prompt_Instance* inst)
{
    // USER CODE BEGIN gsmRead
    // ToDo: Add Hardware Abstraction Layer (HAL) code here to read one byte from the Rx buffer.

    // Arduino E.g.:
    // return cbufRead(&mcbfGsmRx);

    // USER CODE END gsmRead
}
