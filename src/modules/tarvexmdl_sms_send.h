#pragma once

#include "tarvexmdl.h"

// SMS Send: sends text messages and reports delivery status. No settings.
class TarvexMdl_Sms_Send : public TarvexMdl
{
public:
    explicit TarvexMdl_Sms_Send(QObject* parent = nullptr);

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
