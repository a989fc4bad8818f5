
// --- GSM Power ---

void gsmSetPowerKey(GSM_Power_Instance* inst, bool activated) {
    // USER CODE BEGIN SetPowerKey
    // ToDo: Add Hardware Abstraction Layer (HAL) code here to set the "PwrKey" GPIO output. E.g.:
    // digitalWrite(8, activated);
    // Note: Depending on your hardware, you may need to invert the "activated" signal.
    // USER CODE END SetPowerKey
}

//<OPTIONAL:gsmSetReset>
void gsmSetReset(GSM_Power_Instance* inst, bool activated) {
    // USER CODE BEGIN SetReset
    // ToDo: Add Hardware Abstraction Layer (HAL) code here to set the "PwrKey" GPIO output. E.g.:
    // digitalWrite(9, activated);
    // Note: Depending on your hardware, you may need to invert the "activated" signal.
    // USER CODE END SetReset
}
//</OPTIONAL:gsmSetReset>

bool gsmReadStatus(GSM_Power_Instance* inst) {
    // USER CODE BEGIN ReadStatus
    // ToDo: Add Hardware Abstraction Layer (HAL) code here to read the "Status" GPIO input. E.g.:
    // return digitalRead(10);
    // Note: Depending on your hardware, you may need to invert the read signal.
    // USER CODE END ReadStatus
}
