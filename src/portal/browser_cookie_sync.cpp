#include "portal/browser_cookie_sync.h"

#include "portal/browser_host.h"

#include <QDateTime>
#include <QUrl>
#include <QWebEngineCookieStore>

namespace {

QString valueKey(const QNetworkCookie& cookie)
{
    return BrowserCookieSync::identity(cookie) + u'\n' + QString::fromLatin1(cookie.value().toPercentEncoding());
}

bool isHostOnly(const QNetworkCookie& cookie)
{
    return !cookie.domain().startsWith(u'.');
}

// The store turns any cookie that names a domain into a domain cookie, so a host-only
// cookie is handed over without a domain and with its host as the origin.
QNetworkCookie forStore(const QNetworkCookie& cookie)
{
    QNetworkCookie copy = cookie;
    if (isHostOnly(cookie))
        copy.setDomain(QString());
    return copy;
}

QUrl originOf(const QNetworkCookie& cookie)
{
    QString host = cookie.domain();
    if (host.startsWith(u'.'))
        host.remove(0, 1);
    QUrl origin;
    origin.setScheme(cookie.isSecure() ? QStringLiteral("https") : QStringLiteral("http"));
    origin.setHost(host);
    origin.setPath(QStringLiteral("/"));
    return origin;
}

} // namespace

BrowserCookieSync::BrowserCookieSync(QWebEngineCookieStore& store, BrowserHost& jar, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_jar(jar)
{
    connect(&m_store, &QWebEngineCookieStore::cookieAdded, this, &BrowserCookieSync::onBrowserCookieAdded);
    connect(&m_store, &QWebEngineCookieStore::cookieRemoved, this, &BrowserCookieSync::onBrowserCookieRemoved);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const QNetworkCookie& cookie : m_jar.jarCookies()) {
        if (cookie.isSessionCookie() || cookie.expirationDate().toUTC() > now)
            setInBrowser(cookie);
    }
}

QString BrowserCookieSync::identity(const QNetworkCookie& cookie)
{
    return QString::fromLatin1(cookie.name().toPercentEncoding()) + u'\n' + cookie.domain().toLower() + u'\n'
        + cookie.path();
}

void BrowserCookieSync::jarCookieAdded(const QNetworkCookie& cookie)
{
    setInBrowser(cookie);
}

void BrowserCookieSync::jarCookieRemoved(const QNetworkCookie& cookie)
{
    deleteInBrowser(cookie);
}

void BrowserCookieSync::setInBrowser(const QNetworkCookie& cookie)
{
    if (cookie.domain().isEmpty())
        return;
    m_browser.insert(identity(cookie), cookie);
    m_pendingEcho.insert(valueKey(cookie));
    m_store.setCookie(forStore(cookie), originOf(cookie));
}

void BrowserCookieSync::deleteInBrowser(const QNetworkCookie& cookie)
{
    if (cookie.domain().isEmpty())
        return;
    m_browser.remove(identity(cookie));
    m_store.deleteCookie(forStore(cookie), originOf(cookie));
}

void BrowserCookieSync::onBrowserCookieAdded(const QNetworkCookie& cookie)
{
    if (m_pendingEcho.remove(valueKey(cookie)))
        return;
    m_browser.insert(identity(cookie), cookie);
    m_jar.insertJarCookieQuietly(cookie);
}

void BrowserCookieSync::onBrowserCookieRemoved(const QNetworkCookie& cookie)
{
    // A removal that reports another value than the one we know is the store replacing
    // an older value (or acting on our own delete): the known value stays.
    const QString id = identity(cookie);
    const auto known = m_browser.constFind(id);
    if (known == m_browser.constEnd() || known->value() != cookie.value())
        return;
    m_browser.remove(id);
    m_jar.deleteJarCookieQuietly(cookie);
}
