#include "userinteraction.h"

#include <QDebug>

namespace {

class FallbackInteraction : public UserInteraction
{
public:
    void critical(const QString& title, const QString& text) override
    {
        qWarning().noquote() << title + ":" << text;
    }
    void information(const QString& title, const QString& text) override
    {
        qInfo().noquote() << title + ":" << text;
    }
    bool askYesNo(Icon, const QString& title, const QString& text, Button, const QString&) override
    {
        qWarning().noquote() << title + ":" << text << "(answered No)";
        return false;
    }
    QString askChoice(const QString& title, const QString& text, const QStringList&, Icon) override
    {
        qWarning().noquote() << title + ":" << text << "(no choice made)";
        return QString();
    }
    QString selectFolder(QWidget*, const QString&) override { return QString(); }
};

FallbackInteraction gFallback;
UserInteraction* gCurrent = nullptr;

} // namespace

UserInteraction& userInteraction()
{
    return gCurrent ? *gCurrent : static_cast<UserInteraction&>(gFallback);
}

void setUserInteraction(UserInteraction* interaction)
{
    gCurrent = interaction;
}
