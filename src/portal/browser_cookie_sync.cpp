#include "portal/browser_cookie_sync.h"

#include <QDateTime>
#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QUrl>
#include <QWebEngineCookieStore>

namespace {

// QNetworkCookieJar keeps its full list protected; a member pointer taken through a
// derived class reads it from any jar without copying or replacing that jar.
struct JarReader : QNetworkCookieJar
{
    static QList<QNetworkCookie> all(const QNetworkCookieJar& jar)
    {
        return (jar.*(&JarReader::allCookies))();
    }
};

QString valueKey(const QNetworkCookie& cookie)
{
    return BrowserCookieSync::identity(cookie) + u'\n' + QString::fromLatin1(cookie.value().toPercentEncoding());
}

bool sameCookie(const QNetworkCookie& a, const QNetworkCookie& b)
{
    return a.value() == b.value() && a.expirationDate() == b.expirationDate() && a.isSecure() == b.isSecure()
        && a.isHttpOnly() == b.isHttpOnly();
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

BrowserCookieSync::BrowserCookieSync(QWebEngineCookieStore& store, QNetworkCookieJar& jar,
                                     QNetworkAccessManager& manager, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_jar(jar)
{
    connect(&m_store, &QWebEngineCookieStore::cookieAdded, this, &BrowserCookieSync::onBrowserCookieAdded);
    connect(&m_store, &QWebEngineCookieStore::cookieRemoved, this, &BrowserCookieSync::onBrowserCookieRemoved);
    // Cookies reach the jar while a reply is read, so it has them all by the time the
    // reply has finished.
    connect(&manager, &QNetworkAccessManager::finished, this, &BrowserCookieSync::pushJarToBrowser);
    pushJarToBrowser();
}

QString BrowserCookieSync::identity(const QNetworkCookie& cookie)
{
    return QString::fromLatin1(cookie.name().toPercentEncoding()) + u'\n' + cookie.domain().toLower() + u'\n'
        + cookie.path();
}

QList<QNetworkCookie> BrowserCookieSync::jarCookies(const QNetworkCookieJar& jar)
{
    return JarReader::all(jar);
}

void BrowserCookieSync::pushJarToBrowser()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QSet<QString> inJar;
    for (const QNetworkCookie& cookie : JarReader::all(m_jar)) {
        if (!cookie.isSessionCookie() && cookie.expirationDate().toUTC() <= now)
            continue;
        const QString id = identity(cookie);
        inJar.insert(id);
        const auto known = m_browser.constFind(id);
        if (known == m_browser.constEnd() || !sameCookie(*known, cookie))
            setInBrowser(cookie);
    }
    const QList<QString> held = m_browser.keys();
    for (const QString& id : held) {
        if (!inJar.contains(id))
            deleteInBrowser(m_browser.value(id));
    }
}

void BrowserCookieSync::setInBrowser(const QNetworkCookie& cookie)
{
    m_browser.insert(identity(cookie), cookie);
    m_pendingEcho.insert(valueKey(cookie));
    QNetworkCookie copy = cookie;
    // The store makes a domain cookie of anything that names a domain; a host-only
    // cookie is given by its origin alone.
    if (!cookie.domain().startsWith(u'.'))
        copy.setDomain(QString());
    m_store.setCookie(copy, originOf(cookie));
}

void BrowserCookieSync::deleteInBrowser(const QNetworkCookie& cookie)
{
    m_browser.remove(identity(cookie));
    QNetworkCookie copy = cookie;
    if (!cookie.domain().startsWith(u'.'))
        copy.setDomain(QString());
    m_store.deleteCookie(copy, originOf(cookie));
}

void BrowserCookieSync::onBrowserCookieAdded(const QNetworkCookie& cookie)
{
    if (m_pendingEcho.remove(valueKey(cookie)))
        return;
    m_browser.insert(identity(cookie), cookie);
    m_jar.insertCookie(cookie);
}

void BrowserCookieSync::onBrowserCookieRemoved(const QNetworkCookie& cookie)
{
    const QString id = identity(cookie);
    // A removal that reports an older value is the store replacing it with a newer one
    // (ours or the page's); the newer value stays.
    const auto known = m_browser.constFind(id);
    if (known == m_browser.constEnd() || known->value() != cookie.value())
        return;
    m_browser.remove(id);
    for (const QNetworkCookie& held : JarReader::all(m_jar)) {
        if (identity(held) == id && held.value() == cookie.value())
            m_jar.deleteCookie(held);
    }
}
