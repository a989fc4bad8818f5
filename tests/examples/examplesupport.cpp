#include "examplesupport.h"

#include "managerassembly.h"

#include <QFile>
#include <QXmlStreamReader>

#include <quazip.h>
#include <quazipfile.h>

namespace exampletest {

QMap<QString, QByteArray> archiveContents(const QString& archivePath)
{
    QMap<QString, QByteArray> out;
    QFile file(archivePath);
    QuaZip zip(&file);
    if (!zip.open(QuaZip::mdUnzip))
        return out;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        const QString name = zip.getCurrentFileName();
        QByteArray bytes;
        if (!name.endsWith(QLatin1Char('/'))) {
            QuaZipFile entry(&zip);
            if (entry.open(QIODevice::ReadOnly))
                bytes = entry.readAll();
        }
        out.insert(name, bytes);
    }
    return out;
}

QMap<QString, QStringList> expectedExampleProjects()
{
    return {{"Pin", {"PIN_Enter"}},
            {"RSSI", {"Signal_Quality"}},
            {"SMS_Send", {"SMS_Send"}},
            {"SMS_Read", {"SMS_Read"}},
            {"USSD", {"USSD_Query"}},
            {"HTTP_Client_SIMCom",
             {"HttpClient_Simcom_HTTP_GET", "HttpClient_Simcom_HTTP_POST"}},
            {"MQTT_Client_SIMCom",
             {"MqttClient_Simcom_Publish", "MqttClient_Simcom_Subscribe"}}};
}

QString downloadedHeader()
{
    const QStringList lines = fileHeaderLines();
    return lines.value(1) + lines.value(0);
}

QString textOf(const QByteArray& bytes)
{
    QString text = QString::fromUtf8(bytes);
    text.remove(QLatin1Char('\r'));
    return text;
}

QStringList cprojectOption(const QByteArray& xml, const QString& suffix, bool firstConfigurationOnly)
{
    QStringList values;
    QXmlStreamReader reader(xml);
    bool inside = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (firstConfigurationOnly && reader.isStartElement() && reader.name() == QLatin1String("cconfiguration") &&
            !values.isEmpty())
            break;
        if (reader.isStartElement() && reader.name() == QLatin1String("option")) {
            inside = reader.attributes().value(QLatin1String("superClass")).endsWith(suffix);
            if (inside && reader.attributes().hasAttribute(QLatin1String("value")))
                values << reader.attributes().value(QLatin1String("value")).toString();
        } else if (reader.isEndElement() && reader.name() == QLatin1String("option")) {
            inside = false;
        } else if (inside && reader.isStartElement() && reader.name() == QLatin1String("listOptionValue")) {
            values << reader.attributes().value(QLatin1String("value")).toString();
        }
    }
    return reader.hasError() ? QStringList{"<XML error: " + reader.errorString() + QLatin1Char('>')}
                             : values;
}

} // namespace exampletest
