#pragma once

#include "tarvexmdl.h"

// BasicComms: establishes communication with the modem and switches its
// command echo on or off.
class TarvexMdl_BasicComms : public TarvexMdl
{
public:
    explicit TarvexMdl_BasicComms(QObject* parent = nullptr);

    QString getName() const override;
    QString getDocHtml() const override;
    QStringList getLibraryFiles() const override;

    QString getHeaderInclude() const override;
    QString getHeaderPrototypes() const override;
    QString getInstanceVariables() const override;
    QString getInitCode() const override;
    QString getPollCode() const override;
    QString getConvenienceFunctions() const override;

    bool saveSettings(QJsonObject& project) override;
    bool loadSettings(QJsonObject& project) override;
    void resetSettings() override;

    // Settings (JSON keys under "BasicComms").
    bool EchoEnabled = true;
};
