// The baseline of the footprint figures: an empty sketch that opens the serial port.
#include <Arduino.h>

void setup()
{
    Serial.begin(1000000);
}

void loop()
{
}
