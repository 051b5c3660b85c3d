#include "portal/browser_session.h"

#include "portal/browser_cookie_sync.h"
#include "portal/login_extract_window.h"

#include <QDir>
#include <QWebEngineProfile>

BrowserSessionImpl::BrowserSessionImpl(BrowserHost& host)
    : m_host(host)
{
    const QString storage = host.dataDir() + QStringLiteral("/browser");
    QDir().mkpath(storage);
    m_profile = new QWebEngineProfile(QStringLiteral("tavrel"));
    m_profile->setPersistentStoragePath(storage);
    m_profile->setCachePath(storage + QStringLiteral("/cache"));
    // The program's cookie jar is the saved copy of the cookies; a second copy in the
    // browser's own files could disagree with it after a restart.
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    m_cookieSync = new BrowserCookieSync(*m_profile->cookieStore(), host);
}

BrowserSessionImpl::~BrowserSessionImpl()
{
    delete m_cookieSync;
    delete m_profile;
}

void BrowserSessionImpl::jarCookieAdded(const QNetworkCookie& cookie)
{
    m_cookieSync->jarCookieAdded(cookie);
}

void BrowserSessionImpl::jarCookieRemoved(const QNetworkCookie& cookie)
{
    m_cookieSync->jarCookieRemoved(cookie);
}

void BrowserSessionImpl::runLoginExtractWindow(QWidget* parent, const std::function<void(QDialog*)>& opened)
{
    LoginExtractWindow window({m_host, m_automation, *m_profile}, parent);
    window.setWindowModality(Qt::ApplicationModal);
    if (opened)
        opened(&window);
    window.exec();
}

BrowserSession* CreateBrowserSession(BrowserHost& host)
{
    return new BrowserSessionImpl(host);
}
