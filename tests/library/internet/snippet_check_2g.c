/* The HTTP client's generated wiring names mGsmInternetConnectionSimcomInst. With the
 * 2G connection alone that name must be the 2G instance; with both connection headers,
 * in either order, it must stay the LTE instance. Checked at compile time by the
 * pointer types below (a wrong mapping does not compile). */
#include <stdbool.h>
#include <stdint.h>

#if defined(BOTH_2G_FIRST)
#include "GSM_InternetConnection_Simcom2G.h"
#include "GSM_InternetConnection_Simcom.h"
#elif defined(BOTH_LTE_FIRST)
#include "GSM_InternetConnection_Simcom.h"
#include "GSM_InternetConnection_Simcom2G.h"
#else
#include "GSM_InternetConnection_Simcom2G.h"
#endif
#include "GSM_HttpClient_Simcom.h"

GSM_InternetConnectionSimcom2G_Instance mGsmInternetConnectionSimcom2GInst = {0};
#if defined(BOTH_2G_FIRST) || defined(BOTH_LTE_FIRST)
GSM_InternetConnectionSimcom_Instance mGsmInternetConnectionSimcomInst = {0};
GSM_InternetConnectionSimcom_Instance* const expectedInstance = &mGsmInternetConnectionSimcomInst;
#else
GSM_InternetConnectionSimcom2G_Instance* const expectedInstance = &mGsmInternetConnectionSimcomInst;
#endif
GSM_HttpClientSimcom_Instance mGsmHttpClientSimcomInst = {0};

void snippetCheck2GInit(void)
{
    /* The line the generator writes for the HTTP client: */
    mGsmHttpClientSimcomInst.InternetConnection = (&mGsmInternetConnectionSimcomInst._i);
    gsmHttpClientSimcomInit(&mGsmHttpClientSimcomInst);
}
