#pragma once

#include "tarvexmdl.h"

// The "Start" module: always generated first. Its only job is the optional
// debug output buffer (a circular buffer drained by gsmDebugTxPoll). When the
// buffer is switched off the module contributes nothing at all.
class TarvexMdl_GettingStarted : public TarvexMdl
{
public:
    explicit TarvexMdl_GettingStarted(QObject* parent = nullptr);

    QString getName() const override;
    QString getDocHtml() const override;

    QString getGeneralVariables() const override;
    QString getGeneralCallbackFunctions() const override;
    QString getInitCode() const override;
    QString getPollCode() const override;

    bool saveSettings(QJsonObject& project) override;
    bool loadSettings(QJsonObject& project) override;
    void resetSettings() override;

    // Settings (field names are the JSON keys under "GettingStarted").
    bool IsDebugOutputSetupSelected = true;
    double DebugBufferSize = 1024;
};
