// USER CODE of this example's gsm_manager.h.

// USER CODE BEGIN Exported Variables
// Set by the main program while a publication runs; cleared by the event handler.
extern bool examplePublishBusy;
// USER CODE END Exported Variables
