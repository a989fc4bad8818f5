#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>

// Base class of the library modules the user can pick. A module knows its
// identity, its documentation page, the library files it needs, the code
// fragments it contributes to the manager files and its own settings. Every
// "get" operation builds a new value from the current settings and changes
// nothing; a module that does not override a fragment contributes "".
class TarvexMdl : public QObject
{
    Q_OBJECT
public:
    explicit TarvexMdl(QObject* parent = nullptr);

    virtual QString getName() const;
    virtual QString getDocHtml() const;
    virtual QStringList getLibraryFiles() const;

    // Fragments: the first two fill the header template, the others the
    // source template.
    virtual QString getHeaderInclude() const;
    virtual QString getHeaderPrototypes() const;
    virtual QString getSourceIncludes() const;
    virtual QString getGeneralVariables() const;
    virtual QString getInstanceVariables() const;
    virtual QString getGeneralCallbackFunctions() const;
    virtual QString getEventCallbackFunctions() const;
    virtual QString getInitCode() const;
    virtual QString getPollCode() const;
    virtual QString getConvenienceFunctions() const;

    // Settings persistence in the project JSON object.
    virtual bool saveSettings(QJsonObject& project);
    virtual bool loadSettings(QJsonObject& project);
    virtual void resetSettings();
};
