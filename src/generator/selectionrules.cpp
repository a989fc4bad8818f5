#include "selectionrules.h"

#include "projectmodel.h"
#include "tarvexmdl.h"
#include "tarvexmdl_basiccomms.h"
#include "tarvexmdl_http_client_simcom.h"
#include "tarvexmdl_internetconnection_simcom.h"
#include "tarvexmdl_internetconnection_simcom2g.h"
#include "tarvexmdl_mqtt_client_simcom.h"
#include "tarvexmdl_networkregistration.h"
#include "tarvexmdl_pin.h"
#include "tarvexmdl_power.h"
#include "tarvexmdl_prompt.h"
#include "tarvexmdl_rssi.h"
#include "tarvexmdl_sms_read.h"
#include "tarvexmdl_sms_send.h"
#include "tarvexmdl_ussd.h"

const char* const kMessageTwoConnections =
    "Please choose only one of the \"Internet Connection\" modules.\n\n"
    "Multiple internet connection modules cannot be used simultaneously and may cause unforseen errors.\n\n"
    "Note that the \"MQTT Client (SIMCom)\" module is not currently compatible with the 2G internet "
    "connection module.";

const char* const kMessageDefaultConnection =
    "No Internet Connection module was selected. 'Internet Connection (SIMCom LTE)' has now been "
    "selected as a default - please check and update depending on your requirements.";

namespace {

// The working set as the rules see it: membership by module class, modules to
// append taken from the catalogue.
class WorkingSet
{
public:
    WorkingSet(QList<TarvexMdl*>& modules, const QList<TarvexMdl*>& catalogue)
        : mModules(modules)
        , mCatalogue(catalogue)
    {
    }

    template <class T> bool has() const { return find<T>(mModules) != nullptr; }

    // Appends the catalogue's module of class T (nothing when the catalogue
    // has none, which only a partial catalogue can cause).
    template <class T> void append()
    {
        if (TarvexMdl* module = find<T>(mCatalogue))
            mModules.append(module);
    }

    // "When the set holds Have and not Need, append Need."
    template <class Have, class Need> void require()
    {
        if (has<Have>() && !has<Need>())
            append<Need>();
    }

private:
    template <class T> static TarvexMdl* find(const QList<TarvexMdl*>& list)
    {
        for (TarvexMdl* module : list)
            if (dynamic_cast<T*>(module))
                return module;
        return nullptr;
    }

    QList<TarvexMdl*>& mModules;
    const QList<TarvexMdl*>& mCatalogue;
};

} // namespace

QStringList applySelectionRules(QList<TarvexMdl*>& workingSet, const QList<TarvexMdl*>& catalogue)
{
    using Lte = TarvexMdl_InternetConnection_SIMCom;
    using Conn2G = TarvexMdl_InternetConnection_SIMCom2G;

    WorkingSet set(workingSet, catalogue);
    QStringList messages;

    // Top of the dependency chain first, so one pass gives the whole closure.
    set.require<TarvexMdl_Mqtt_Client_SIMCom, Lte>();                                    // 1
    if (set.has<Lte>() && set.has<Conn2G>())                                             // 2
        messages << QString::fromUtf8(kMessageTwoConnections);
    if (set.has<TarvexMdl_Http_Client_SIMCom>() && !set.has<Lte>() && !set.has<Conn2G>()) { // 3
        set.append<Lte>();
        messages << QString::fromUtf8(kMessageDefaultConnection);
    }
    set.require<Lte, TarvexMdl_NetworkRegistration>();                                   // 4
    set.require<Conn2G, TarvexMdl_NetworkRegistration>();                                // 5
    set.require<TarvexMdl_Ussd, TarvexMdl_NetworkRegistration>();                        // 6
    set.require<TarvexMdl_Sms_Read, TarvexMdl_NetworkRegistration>();                    // 7
    set.require<TarvexMdl_Sms_Send, TarvexMdl_NetworkRegistration>();                    // 8
    set.require<TarvexMdl_NetworkRegistration, TarvexMdl_BasicComms>();                 // 9
    set.require<TarvexMdl_Rssi, TarvexMdl_BasicComms>();                                 // 10
    set.require<TarvexMdl_Pin, TarvexMdl_BasicComms>();                                  // 11
    set.require<TarvexMdl_BasicComms, TarvexMdl_Prompt>();                               // 12
    set.require<TarvexMdl_Prompt, TarvexMdl_Power>();                                    // 13
    return messages;
}

QStringList applyModuleDependencies(ProjectModel& project)
{
    QList<TarvexMdl*> workingSet = project.checkedModules();
    const QStringList messages = applySelectionRules(workingSet, project.allModules());
    // Every module of the set is ticked, already ticked ones included;
    // ticking Getting Started has no effect.
    for (TarvexMdl* module : workingSet)
        project.checkModule(module);
    return messages;
}
