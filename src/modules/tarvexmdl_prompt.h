#pragma once

#include "tarvexmdl.h"

// Prompt: the serial path to and from the modem. Four optional buffers (the
// prompt buffer, the echo cancellation buffer and the circular Tx and Rx
// buffers) are set up by the generated code when their flag is set; each
// size gives the buffer length in bytes.
class TarvexMdl_Prompt : public TarvexMdl
{
public:
    explicit TarvexMdl_Prompt(QObject* parent = nullptr);

    QString getName() const override;
    QString getDocHtml() const override;
    QStringList getLibraryFiles() const override;

    QString getHeaderInclude() const override;
    QString getSourceIncludes() const override;
    QString getGeneralVariables() const override;
    QString getInstanceVariables() const override;
    QString getGeneralCallbackFunctions() const override;
    QString getInitCode() const override;
    QString getPollCode() const override;

    bool saveSettings(QJsonObject& project) override;
    bool loadSettings(QJsonObject& project) override;
    void resetSettings() override;

    // Settings (JSON keys under "Prompt").
    bool IsPromptSetupSelected = true;
    double PromptBufferSize = 1024;
    bool IsEchoCancSetupSelected = true;
    double EchoCancellationBufferSize = 1024;
    bool IsCircularTxSetupSelected = true;
    double CircularTxBufferSize = 1024;
    bool IsCircularRxSetupSelected = true;
    double CircularRxBufferSize = 1024;
};
