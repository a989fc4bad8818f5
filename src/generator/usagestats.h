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
//
// Events are only ever sent by a build that names the publisher's web host
// (the build-time setting TARVEX_WEB_HOST), and only while the user allows
// them: DO_NOT_TRACK=1 in the environment or the switch in the About window
// stops every event. A build without a host sends nothing and resolves no
// name.

// Host name of the publisher's web site as the build was configured; empty
// when the build has none. This file is the only one that reads the setting.
QString publisherWebHost();
bool hasPublisherWebHost();

// Why events are or are not sent, checked in this order.
enum class UsageStatsState {
    NoPublisherHost, // the build names no web host: nothing is ever sent
    DoNotTrack,      // DO_NOT_TRACK=1 in the environment
    SwitchedOff,     // the user turned the About window's switch off
    Enabled,
};
UsageStatsState usageStatsState();
bool usageStatsEnabled();

// The user's persistent switch ("Send anonymous usage statistics"), kept
// with QSettings under "UsageStatistics/Send"; on until the user turns it
// off. Reading never writes anything.
bool usageStatsSwitch();
// Stores the switch; returns false when the settings could not be written.
bool setUsageStatsSwitch(bool send);

// The statistics endpoint: the base URL followed by "/tarvex/usagestats.php".
QUrl usageStatsEndpoint();

// Replaces the base URL ("https://" + the publisher's web host by default),
// for example with "http://127.0.0.1:<port>" in tests so that no request
// ever leaves the machine. An empty text restores the default. It never
// makes a build without a host send anything.
void setUsageStatsBaseUrl(const QString& baseUrl);

// The request body: the event as the one member of a JSON object with the
// value 1, in the indented JSON format ("{\n    \"<event>\": 1\n}\n").
QByteArray usageEventBody(const QString& event);

// Posts the event through the given manager and returns at once, or returns
// null without touching the network when usageStatsEnabled() is false. The
// reply is the manager's: whoever handles its finished signal deletes it
// unread.
QNetworkReply* sendUsageEvent(QNetworkAccessManager& manager, const QString& event);
