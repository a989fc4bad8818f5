#pragma once

#include "tarvexmdl.h"

// RSSI: signal quality queries (the library component is called Signal
// Quality). No settings.
class TarvexMdl_Rssi : public TarvexMdl
{
public:
    explicit TarvexMdl_Rssi(QObject* parent = nullptr);

    QString getName() const override;
    QString getDocHtml() const override;
    QStringList getLibraryFiles() const override;

    QString getHeaderInclude() const override;
    QString getHeaderPrototypes() const override;
    QString getInstanceVariables() const override;
    QString getEventCallbackFunctions() const override;
    QString getInitCode() const override;
    QString getPollCode() const override;
    QString getConvenienceFunctions() const override;
};
