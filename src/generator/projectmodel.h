#pragma once

#include <QList>
#include <QString>

class TarvexMdl;

// The state of one project as the generator sees it: the project folder, the
// language and layout choices, the module catalogue and which modules are
// ticked. The main window implements it over its widgets; the headless tool
// and the tests use an in-memory implementation. Workflows (selection rules,
// project settings file, Generate Code) are written against this interface so
// the button and the command-line tool run exactly the same code.
class ProjectModel
{
public:
    virtual ~ProjectModel() = default;

    // Text of the project path (may be empty or name no folder).
    virtual QString projectPath() const = 0;
    virtual void setProjectPath(const QString& path) = 0;

    // Language: C++ when true, C otherwise.
    virtual bool isCpp() const = 0;
    virtual void setCpp(bool cpp) = 0;

    // The Arduino layout option: its check state and its visibility.
    virtual bool isArduino() const = 0;
    virtual void setArduinoChecked(bool checked) = 0;
    virtual void setArduinoVisible(bool visible) = 0;

    // All fourteen modules in declaration order.
    virtual QList<TarvexMdl*> allModules() const = 0;
    // Whether the module's row is ticked (always false for Getting Started).
    virtual bool isModuleChecked(TarvexMdl* module) const = 0;
    // Tick / untick a module's row; no effect for Getting Started or unknown modules.
    virtual void checkModule(TarvexMdl* module) = 0;
    virtual void uncheckModule(TarvexMdl* module) = 0;

    // Copies the module settings into whatever shows them (widgets); the
    // in-memory model has nothing to refresh.
    virtual void refreshSettingsWidgets() {}

    // Getting Started first, always, then every ticked module in declaration order.
    QList<TarvexMdl*> checkedModules() const
    {
        QList<TarvexMdl*> result;
        const QList<TarvexMdl*> all = allModules();
        if (!all.isEmpty())
            result << all.first();
        for (int i = 1; i < all.size(); ++i)
            if (isModuleChecked(all.at(i)))
                result << all.at(i);
        return result;
    }

    // The first module of allModules() whose getName() equals name exactly; null if none.
    TarvexMdl* findModuleByName(const QString& name) const;
};
