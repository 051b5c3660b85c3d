#pragma once

#include <QHash>
#include <QNetworkCookie>
#include <QObject>
#include <QSet>
#include <QString>

class BrowserHost;
class QWebEngineCookieStore;

// Keeps the embedded browser's cookie store and the program's cookie jar in step, so a
// sign-in made in the browser is carried by the program's own requests and cookies that
// those requests receive reach the browser.
//
// The jar is the saved copy: the browser store does not report what it holds at start,
// so everything the jar holds is pushed into the store when the sync begins. After that
// each side's changes are mirrored into the other. Host-only cookies stay host-only.
class BrowserCookieSync : public QObject
{
    Q_OBJECT
public:
    // Pushes what the jar holds now into the store.
    BrowserCookieSync(QWebEngineCookieStore& store, BrowserHost& jar, QObject* parent = nullptr);

    // The jar's own changes, to be set or deleted in the browser.
    void jarCookieAdded(const QNetworkCookie& cookie);
    void jarCookieRemoved(const QNetworkCookie& cookie);

    // The key a cookie is known by on both sides: name, domain (a leading dot marks a
    // domain cookie, none a host-only one) and path.
    static QString identity(const QNetworkCookie& cookie);

private:
    void onBrowserCookieAdded(const QNetworkCookie& cookie);
    void onBrowserCookieRemoved(const QNetworkCookie& cookie);
    void setInBrowser(const QNetworkCookie& cookie);
    void deleteInBrowser(const QNetworkCookie& cookie);

    QWebEngineCookieStore& m_store;
    BrowserHost& m_jar;
    // What the browser store holds, as far as it has told us or we have told it.
    QHash<QString, QNetworkCookie> m_browser;
    // Cookies handed to the store whose cookieAdded echo has not come back yet.
    QSet<QString> m_pendingEcho;
};
