#include "weblinks.h"

#include "usagestats.h"

#include <QDesktopServices>

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
    return publisherWebHost();
}

QString siteUrl()
{
    return webHost().isEmpty() ? QString() : QStringLiteral("https://") + webHost();
}

QString supportUrl()
{
    return webHost().isEmpty() ? QString() : siteUrl() + QStringLiteral("/product/technical-support/");
}

QString requestNewModuleUrl()
{
    return webHost().isEmpty() ? QString() : siteUrl() + QStringLiteral("/tarvex-request-new-module/");
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
