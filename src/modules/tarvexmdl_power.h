#pragma once

#include "tarvexmdl.h"

// Power: drives the modem's power key, reads its status line and, when the
// hardware has one, its reset line. The reset callback appears in the general
// callbacks and in the init code only when UseResetPin is set.
class TarvexMdl_Power : public TarvexMdl
{
public:
    explicit TarvexMdl_Power(QObject* parent = nullptr);

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

    // Settings (JSON keys under "Power").
    bool UseResetPin = false;
};
