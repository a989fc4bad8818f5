#pragma once

#include <QString>
#include <QUrl>

#include <functional>

// Addresses on the publisher's web host and the one place through which the
// application opens a web page. The host is a build-time setting
// (TARVEX_WEB_HOST, see publisherWebHost()); a build without one has no
// addresses at all (every function below returns an empty text). Tests
// replace the opener so no browser is ever started.
namespace weblinks {

// Host name of the publisher's web site, e.g. "www.example.org"; empty when
// the build has none.
QString webHost();
// "https://" + host: the publisher's home page (About window).
QString siteUrl();
// The technical-support page.
QString supportUrl();
// The page on which users ask for a new library module.
QString requestNewModuleUrl();

using UrlOpener = std::function<bool(const QUrl&)>;

// Hands the URL to the opener in force (by default QDesktopServices::openUrl)
// and returns its result.
bool openUrl(const QUrl& url);
// Replaces the opener; an empty function restores the desktop services.
void setUrlOpener(UrlOpener opener);

} // namespace weblinks
