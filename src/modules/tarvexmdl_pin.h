#pragma once

#include "tarvexmdl.h"

// Pin: SIM PIN entry and SIM status queries. No settings.
class TarvexMdl_Pin : public TarvexMdl
{
public:
    explicit TarvexMdl_Pin(QObject* parent = nullptr);

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
