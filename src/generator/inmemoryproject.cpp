#include "inmemoryproject.h"

InMemoryProject::InMemoryProject()
{
    for (TarvexMdl* module : mCatalogue.allModules())
        checkModule(module);
}

QString InMemoryProject::projectPath() const
{
    return mPath;
}

void InMemoryProject::setProjectPath(const QString& path)
{
    mPath = path;
}

bool InMemoryProject::isCpp() const
{
    return mCpp;
}

void InMemoryProject::setCpp(bool cpp)
{
    mCpp = cpp;
}

bool InMemoryProject::isArduino() const
{
    return mArduinoChecked;
}

void InMemoryProject::setArduinoChecked(bool checked)
{
    mArduinoChecked = checked;
}

void InMemoryProject::setArduinoVisible(bool visible)
{
    mArduinoVisible = visible;
}

bool InMemoryProject::isArduinoVisible() const
{
    return mArduinoVisible;
}

QList<TarvexMdl*> InMemoryProject::allModules() const
{
    return mCatalogue.allModules();
}

bool InMemoryProject::isModuleChecked(TarvexMdl* module) const
{
    return mChecked.contains(module);
}

void InMemoryProject::checkModule(TarvexMdl* module)
{
    if (isCheckable(module))
        mChecked.insert(module);
}

void InMemoryProject::uncheckModule(TarvexMdl* module)
{
    mChecked.remove(module);
}

void InMemoryProject::uncheckAllModules()
{
    mChecked.clear();
}

ModuleCatalogue& InMemoryProject::catalogue()
{
    return mCatalogue;
}

bool InMemoryProject::isCheckable(TarvexMdl* module) const
{
    if (module == nullptr || module == &mCatalogue.mMdlGettingStarted)
        return false;
    return mCatalogue.allModules().contains(module);
}
