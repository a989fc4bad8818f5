
// --- GSM Internet Connection ---

char* gsmGetAPN() {
    // USER CODE BEGIN gsmGetAPN
    // ToDo: Replace code below based on the APN details required. This could be a simple "string",
    //       or code to retrieve settings from FLASH E.g.:
    // return "APN";
    // USER CODE END gsmGetAPN
}
