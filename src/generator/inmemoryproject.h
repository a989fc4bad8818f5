#pragma once

#include "modulecatalogue.h"
#include "projectmodel.h"

#include <QSet>

// A project held entirely in memory, for the headless tool and the tests.
// It owns its own module catalogue. A fresh object is in the state the main
// window shows after start-up: empty path, C chosen, the Arduino option
// unchecked and hidden, and every module except Getting Started ticked.
// Getting Started has no check box: ticking it has no effect and it never
// counts as checked (checkedModules() still puts it first).
class InMemoryProject : public ProjectModel
{
public:
    InMemoryProject();

    QString projectPath() const override;
    void setProjectPath(const QString& path) override;

    bool isCpp() const override;
    void setCpp(bool cpp) override;

    bool isArduino() const override;
    void setArduinoChecked(bool checked) override;
    void setArduinoVisible(bool visible) override;
    bool isArduinoVisible() const;

    QList<TarvexMdl*> allModules() const override;
    bool isModuleChecked(TarvexMdl* module) const override;
    void checkModule(TarvexMdl* module) override;
    void uncheckModule(TarvexMdl* module) override;

    // Unticks every module (the state after New or before Open fills it).
    void uncheckAllModules();

    ModuleCatalogue& catalogue();

private:
    // Whether the module belongs to this project and has a check box.
    bool isCheckable(TarvexMdl* module) const;

    // mutable: allModules() is const in the interface but hands out
    // non-const pointers to the owned modules.
    mutable ModuleCatalogue mCatalogue;
    QString mPath;
    bool mCpp = false;
    bool mArduinoChecked = false;
    bool mArduinoVisible = false;
    QSet<TarvexMdl*> mChecked;
};
