#include "modulecatalogue.h"

QList<TarvexMdl*> ModuleCatalogue::allModules()
{
    return {&mMdlGettingStarted,
            &mMdlPower,
            &mMdlPrompt,
            &mMdlBasicComms,
            &mMdlPin,
            &mMdlRssi,
            &mMdlNetworkRegistration,
            &mMdlSmsSend,
            &mMdlSmsRead,
            &mMdlUssd,
            &mMdlInternetConnectionSimcom,
            &mMdlInternetConnectionSimcom2G,
            &mMdlHttpClientSimcom,
            &mMdlMqttClientSimcom};
}
