// USER CODE of this example's gsm_manager.h.

// USER CODE BEGIN Exported Variables
// The USSD instance, for gsmUssdIsSessionOpen() in the main program.
extern GSM_USSD_Instance mGsmUssdInst;
// USER CODE END Exported Variables
