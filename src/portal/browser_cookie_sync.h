#pragma once

#include <QHash>
#include <QList>
#include <QNetworkCookie>
#include <QObject>
#include <QSet>
#include <QString>

class QNetworkAccessManager;
class QNetworkCookieJar;
class QWebEngineCookieStore;

// Keeps the embedded browser's cookie store and the program's cookie jar in step, so a
// sign-in made in the browser is carried by the program's own requests and cookies that
// those requests receive reach the browser.
//
// The jar is the saved copy: the browser store does not report what it holds at start,
// so everything the jar knows is pushed into the store when the sync begins. After that
// the store's changes are mirrored into the jar, and after every reply of the program's
// manager the jar's changes are pushed into the store. Host-only cookies stay host-only
// on both sides.
class BrowserCookieSync : public QObject
{
    Q_OBJECT
public:
    BrowserCookieSync(QWebEngineCookieStore& store, QNetworkCookieJar& jar, QNetworkAccessManager& manager,
                      QObject* parent = nullptr);

    // Makes the browser store hold what the jar holds: new and changed cookies are set,
    // cookies the jar has dropped are deleted.
    void pushJarToBrowser();

    // The key a cookie is known by on both sides: name, domain (a leading dot marks a
    // domain cookie, none a host-only one) and path.
    static QString identity(const QNetworkCookie& cookie);
    static QList<QNetworkCookie> jarCookies(const QNetworkCookieJar& jar);

private:
    void onBrowserCookieAdded(const QNetworkCookie& cookie);
    void onBrowserCookieRemoved(const QNetworkCookie& cookie);
    void setInBrowser(const QNetworkCookie& cookie);
    void deleteInBrowser(const QNetworkCookie& cookie);

    QWebEngineCookieStore& m_store;
    QNetworkCookieJar& m_jar;
    // What the browser store holds, as far as it has told us or we have told it.
    QHash<QString, QNetworkCookie> m_browser;
    // Cookies handed to the store whose cookieAdded echo has not come back yet.
    QSet<QString> m_pendingEcho;
};
