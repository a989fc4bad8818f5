#include "modulesupport.h"

#include "fileutil.h"

#include <QJsonValue>

#include <cmath>

namespace ModuleSupport {

QString snippetText(const QString& fileName)
{
    return readResourceText(QStringLiteral(":/code/resources/code/") + fileName);
}

QString docText(const QString& fileName)
{
    return readResourceText(QStringLiteral(":/doc/resources/doc/") + fileName);
}

QString sizeText(double size)
{
    // Fixed notation with no decimals: whole numbers of any magnitude keep
    // every digit ('g' would switch to exponent form from 1e6 on).
    if (size == 0)
        size = 0; // never print "-0"
    return QString::number(size, 'f', 0);
}

bool settingsObject(const QJsonObject& project, const QString& settingsKey,
                    const QString& firstField, QJsonObject& settings)
{
    const QJsonValue member = project.value(settingsKey);
    if (!member.isObject())
        return false;
    const QJsonObject object = member.toObject();
    if (!object.value(firstField).isBool())
        return false;
    settings = object;
    return true;
}

bool readFlag(const QJsonObject& settings, const QString& field)
{
    const QJsonValue value = settings.value(field);
    return value.isBool() ? value.toBool() : false;
}

double readSize(const QJsonObject& settings, const QString& field)
{
    const QJsonValue value = settings.value(field);
    if (!value.isDouble())
        return 0;
    const double number = value.toDouble();
    if (!std::isfinite(number) || std::trunc(number) != number)
        return 0;
    return number;
}

} // namespace ModuleSupport
