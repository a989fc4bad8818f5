// The Arduino sketch of every job: the modem pins and ports, then the generated
// manager does the rest (the job's logic lives in its USER CODE sections).
#include <Arduino.h>
#include "gsm_manager.h"

void setup()
{
    Serial.begin(1000000);
    Serial1.begin(115200);
    pinMode(8, OUTPUT);
    pinMode(10, INPUT);
    gsmmgrInit();
}

void loop()
{
    gsmmgrPoll();
}
