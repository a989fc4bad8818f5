#pragma once

#include "tarvexmdl.h"

// USSD: USSD sessions. Its instance is wired to NetworkRegistration, not to
// BasicComms. No settings.
class TarvexMdl_Ussd : public TarvexMdl
{
public:
    explicit TarvexMdl_Ussd(QObject* parent = nullptr);

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
