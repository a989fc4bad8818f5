#pragma once

#include "tarvexmdl.h"

// NetworkRegistration: tracks the modem's network registration state. It has
// no event handler. No settings.
class TarvexMdl_NetworkRegistration : public TarvexMdl
{
public:
    explicit TarvexMdl_NetworkRegistration(QObject* parent = nullptr);

    QString getName() const override;
    QString getDocHtml() const override;
    QStringList getLibraryFiles() const override;

    QString getHeaderInclude() const override;
    QString getHeaderPrototypes() const override;
    QString getInstanceVariables() const override;
    QString getInitCode() const override;
    QString getPollCode() const override;
    QString getConvenienceFunctions() const override;
};
