#include "tarvexmdl.h"

TarvexMdl::TarvexMdl(QObject* parent)
    : QObject(parent)
{
}

QString TarvexMdl::getName() const { return QString(); }
QString TarvexMdl::getDocHtml() const { return QString(); }
QStringList TarvexMdl::getLibraryFiles() const { return QStringList(); }
QString TarvexMdl::getHeaderInclude() const { return QString(); }
QString TarvexMdl::getHeaderPrototypes() const { return QString(); }
QString TarvexMdl::getSourceIncludes() const { return QString(); }
QString TarvexMdl::getGeneralVariables() const { return QString(); }
QString TarvexMdl::getInstanceVariables() const { return QString(); }
QString TarvexMdl::getGeneralCallbackFunctions() const { return QString(); }
QString TarvexMdl::getEventCallbackFunctions() const { return QString(); }
QString TarvexMdl::getInitCode() const { return QString(); }
QString TarvexMdl::getPollCode() const { return QString(); }
QString TarvexMdl::getConvenienceFunctions() const { return QString(); }
bool TarvexMdl::saveSettings(QJsonObject&) { return true; }
bool TarvexMdl::loadSettings(QJsonObject&) { return true; }
void TarvexMdl::resetSettings() {}
