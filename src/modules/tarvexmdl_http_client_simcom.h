#pragma once

#include "tarvexmdl.h"

// HTTP Client (SIMCom): HTTP GET and POST over the internet connection. The
// init code names the LTE connection instance whichever connection module is
// selected. No settings.
class TarvexMdl_Http_Client_SIMCom : public TarvexMdl
{
public:
    explicit TarvexMdl_Http_Client_SIMCom(QObject* parent = nullptr);

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
