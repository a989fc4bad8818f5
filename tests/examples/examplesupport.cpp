#include "examplesupport.h"

#include "managerassembly.h"

#include <QFile>

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
    return {{QStringLiteral("Pin"), {QStringLiteral("PIN_Enter")}},
            {QStringLiteral("RSSI"), {QStringLiteral("Signal_Quality")}},
            {QStringLiteral("SMS_Send"), {QStringLiteral("SMS_Send")}},
            {QStringLiteral("SMS_Read"), {QStringLiteral("SMS_Read")}},
            {QStringLiteral("USSD"), {QStringLiteral("USSD_Query")}},
            {QStringLiteral("HTTP_Client_SIMCom"),
             {QStringLiteral("HttpClient_Simcom_HTTP_GET"), QStringLiteral("HttpClient_Simcom_HTTP_POST")}},
            {QStringLiteral("MQTT_Client_SIMCom"),
             {QStringLiteral("MqttClient_Simcom_Publish"), QStringLiteral("MqttClient_Simcom_Subscribe")}}};
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

} // namespace exampletest
