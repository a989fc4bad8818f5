#pragma once

#include "tarvexmdl.h"

// SMS Read: receives text messages. No convenience functions, no settings.
class TarvexMdl_Sms_Read : public TarvexMdl
{
public:
    explicit TarvexMdl_Sms_Read(QObject* parent = nullptr);

    QString getName() const override;
    QString getDocHtml() const override;
    QStringList getLibraryFiles() const override;

    QString getHeaderInclude() const override;
    QString getInstanceVariables() const override;
    QString getEventCallbackFunctions() const override;
    QString getInitCode() const override;
    QString getPollCode() const override;
};
