#include "portal/portal_access.h"

#include "common/app_state.h"
#include "http/http_client.h"
#include "portal/browser_cookie_sync.h"
#include "portal/login_extract_window.h"

#include <QDir>
#include <QWebEngineProfile>

PortalAccess::PortalAccess(AppState& state, HttpClient& http, MessagePresenter& messages, SettingsFile& settings,
                           const PortalHosts& hosts, const QString& dataDir, QObject* parent)
    : QObject(parent)
    , m_state(state)
    , m_http(http)
    , m_messages(messages)
    , m_settings(settings)
    , m_hosts(hosts)
    , m_dataDir(dataDir)
{
}

PortalAccess::~PortalAccess()
{
    delete m_cookieSync;
    delete m_profile;
}

QWebEngineProfile& PortalAccess::browserProfile()
{
    if (!m_profile) {
        const QString storage = m_dataDir + QStringLiteral("/browser");
        QDir().mkpath(storage);
        m_profile = new QWebEngineProfile(QStringLiteral("tavrel"));
        m_profile->setPersistentStoragePath(storage);
        m_profile->setCachePath(storage + QStringLiteral("/cache"));
        // The program's cookie jar is the saved copy of the cookies; a second copy in the
        // browser's own files could disagree with it after a restart.
        m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        m_cookieSync = new BrowserCookieSync(*m_profile->cookieStore(), m_http.cookieJar());
    }
    return *m_profile;
}

LoginExtractWindow* PortalAccess::openWindow() const
{
    return m_window;
}

void PortalAccess::OpenLoginExtractWindow(const QString& startUrl, QWidget* parent)
{
    m_state.ExtractStartUrl = startUrl;
    LoginWindowServices services{m_state, m_http, m_messages, m_settings, m_automation, browserProfile(), m_hosts};
    LoginExtractWindow window(services, parent);
    window.setWindowModality(Qt::ApplicationModal);
    m_window = &window;
    emit loginWindowOpened(&window);
    window.exec();
    m_window = nullptr;
}
