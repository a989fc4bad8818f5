#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// Anonymous usage events ("ApplicationStart", "GenerateStart",
// "GenerateSuccess"): one HTTPS POST each, fire and forget. The request
// carries only the event name; its outcome never changes what the
// application does.

// The statistics endpoint: the base URL followed by "/tarvex/usagestats.php".
QUrl usageStatsEndpoint();

// Replaces the base URL ("https://" + the publisher's web host by default),
// for example with "http://127.0.0.1:<port>" in tests so that no request
// ever leaves the machine. An empty text restores the default.
void setUsageStatsBaseUrl(const QString& baseUrl);

// The request body: the event as the one member of a JSON object with the
// value 1, in the indented JSON format ("{\n    \"<event>\": 1\n}\n").
QByteArray usageEventBody(const QString& event);

// Posts the event through the given manager and returns at once. The reply
// is the manager's: whoever handles its finished signal deletes it unread.
QNetworkReply* sendUsageEvent(QNetworkAccessManager& manager, const QString& event);
