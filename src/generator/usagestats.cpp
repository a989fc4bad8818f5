#include "usagestats.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QSettings>

#ifndef TARVEX_WEB_HOST
#error "TARVEX_WEB_HOST must be defined (empty for a build without a publisher web site)"
#endif

namespace {

QString& baseUrlOverride()
{
    static QString value;
    return value;
}

// The switch lives with the application's other per-user settings
// (~/.config/Tarvex/Tarvex Code Generator.conf on Linux).
QSettings userSettings()
{
    return QSettings(QSettings::UserScope, QStringLiteral("Tarvex"), QStringLiteral("Tarvex Code Generator"));
}

const QString kSwitchKey = QStringLiteral("UsageStatistics/Send");

} // namespace

QString publisherWebHost()
{
    return QStringLiteral(TARVEX_WEB_HOST).trimmed();
}

bool hasPublisherWebHost()
{
    return !publisherWebHost().isEmpty();
}

UsageStatsState usageStatsState()
{
    if (!hasPublisherWebHost())
        return UsageStatsState::NoPublisherHost;
    // The DO_NOT_TRACK convention: "1" means no tracking; other values
    // (unset, empty, "0") leave the decision to the switch.
    if (qEnvironmentVariable("DO_NOT_TRACK").trimmed() == QLatin1String("1"))
        return UsageStatsState::DoNotTrack;
    if (!usageStatsSwitch())
        return UsageStatsState::SwitchedOff;
    return UsageStatsState::Enabled;
}

bool usageStatsEnabled()
{
    return usageStatsState() == UsageStatsState::Enabled;
}

bool usageStatsSwitch()
{
    return userSettings().value(kSwitchKey, true).toBool();
}

bool setUsageStatsSwitch(bool send)
{
    QSettings settings = userSettings();
    settings.setValue(kSwitchKey, send);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QUrl usageStatsEndpoint()
{
    const QString base =
        baseUrlOverride().isEmpty() ? QStringLiteral("https://") + publisherWebHost() : baseUrlOverride();
    return QUrl(base + QStringLiteral("/tarvex/usagestats.php"), QUrl::TolerantMode);
}

void setUsageStatsBaseUrl(const QString& baseUrl)
{
    baseUrlOverride() = baseUrl;
}

QByteArray usageEventBody(const QString& event)
{
    QJsonObject object;
    object.insert(event, 1);
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

QNetworkReply* sendUsageEvent(QNetworkAccessManager& manager, const QString& event)
{
    if (!usageStatsEnabled())
        return nullptr;
    QNetworkRequest request(usageStatsEndpoint());
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    return manager.post(request, usageEventBody(event));
}
