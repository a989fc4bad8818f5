#include "weblinks.h"

#include <QDesktopServices>

#ifndef TARVEX_WEB_HOST
#error "TARVEX_WEB_HOST must name the publisher's web host"
#endif

namespace weblinks {

namespace {

UrlOpener& currentOpener()
{
    static UrlOpener opener;
    return opener;
}

} // namespace

QString webHost()
{
    return QStringLiteral(TARVEX_WEB_HOST);
}

QString siteUrl()
{
    return QStringLiteral("https://") + webHost();
}

QString supportUrl()
{
    return siteUrl() + QStringLiteral("/product/technical-support/");
}

QString requestNewModuleUrl()
{
    return siteUrl() + QStringLiteral("/tarvex-request-new-module/");
}

bool openUrl(const QUrl& url)
{
    const UrlOpener& opener = currentOpener();
    if (opener)
        return opener(url);
    return QDesktopServices::openUrl(url);
}

void setUrlOpener(UrlOpener opener)
{
    currentOpener() = std::move(opener);
}

} // namespace weblinks
