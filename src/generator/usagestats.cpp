#include "usagestats.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkRequest>

namespace {

QString& baseUrlOverride()
{
    static QString value;
    return value;
}

} // namespace

QUrl usageStatsEndpoint()
{
    const QString base =
        baseUrlOverride().isEmpty() ? QStringLiteral("https://" TARVEX_WEB_HOST) : baseUrlOverride();
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
    QNetworkRequest request(usageStatsEndpoint());
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    return manager.post(request, usageEventBody(event));
}
