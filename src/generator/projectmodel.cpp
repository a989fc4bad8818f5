#include "projectmodel.h"

#include "tarvexmdl.h"

TarvexMdl* ProjectModel::findModuleByName(const QString& name) const
{
    for (TarvexMdl* module : allModules())
        if (module->getName() == name)
            return module;
    return nullptr;
}
