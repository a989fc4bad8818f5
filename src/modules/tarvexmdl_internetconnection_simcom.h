#pragma once

#include "tarvexmdl.h"

// Internet Connection (SIMCom LTE): the data connection of SIMCom LTE modems.
// When the network needs an access point name, gsmGetAPN() is generated for
// the developer to fill in and its result is passed to the instance.
class TarvexMdl_InternetConnection_SIMCom : public TarvexMdl
{
public:
    explicit TarvexMdl_InternetConnection_SIMCom(QObject* parent = nullptr);

    QString getName() const override;
    QString getDocHtml() const override;
    QStringList getLibraryFiles() const override;

    QString getHeaderInclude() const override;
    QString getHeaderPrototypes() const override;
    QString getInstanceVariables() const override;
    QString getGeneralCallbackFunctions() const override;
    QString getInitCode() const override;
    QString getPollCode() const override;
    QString getConvenienceFunctions() const override;

    bool saveSettings(QJsonObject& project) override;
    bool loadSettings(QJsonObject& project) override;
    void resetSettings() override;

    // Settings (JSON keys under "InternetConnection_SIMCom").
    bool IsApnRequired = false;
};
