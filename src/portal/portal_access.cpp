#include "portal/portal_access.h"

#include "common/app_state.h"
#include "common/message_presenter.h"
#include "http/http_client.h"
#include "http/http_request.h"
#include "plans/settings_file.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFileInfo>
#include <QLibrary>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#endif

PortalAccess::PortalAccess(AppState& state, HttpClient& http, MessagePresenter& messages, SettingsFile& settings,
                           const PortalHosts& hosts, const QString& dataDir, BrowserSessionFactory factory,
                           QObject* parent)
    : QObject(parent)
    , m_state(state)
    , m_http(http)
    , m_messages(messages)
    , m_settings(settings)
    , m_hosts(hosts)
    , m_dataDir(dataDir)
    , m_factory(factory)
{
}

PortalAccess::~PortalAccess()
{
    // The session's code lives in the module: it goes first. The module itself stays
    // mapped (the browser engine does not support being unloaded).
    m_session.reset();
}

BrowserSessionFactory PortalAccess::loadModule()
{
    // Beside the program first; the build tree's copy serves the tests.
    const QStringList candidates = {
        QCoreApplication::applicationDirPath() + QStringLiteral("/") + QStringLiteral(TAVREL_BROWSER_MODULE_NAME),
        QStringLiteral(TAVREL_BROWSER_MODULE_PATH)};
    for (const QString& path : candidates) {
        if (!QFileInfo::exists(path))
            continue;
        auto module = std::make_unique<QLibrary>(path);
        module->setLoadHints(QLibrary::PreventUnloadHint);
        if (auto factory = reinterpret_cast<BrowserSessionFactory>(module->resolve(TAVREL_BROWSER_SESSION_FACTORY))) {
            m_module = std::move(module);
            return factory;
        }
    }
    return nullptr;
}

namespace {

// The browser engine's sandbox cannot run as root, and the engine would refuse to start
// at all; as root it runs without it. Must happen before the engine starts.
void allowEngineToStartAsRoot()
{
#if defined(Q_OS_UNIX)
    if (geteuid() != 0)
        return;
    const QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--no-sandbox"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", QByteArray(flags + " --no-sandbox").trimmed());
#endif
}

} // namespace

BrowserSession* PortalAccess::browserSession()
{
    if (!m_session) {
        allowEngineToStartAsRoot();
        if (!m_factory)
            m_factory = loadModule();
        if (!m_factory)
            return nullptr;
        m_session.reset(m_factory(*this));
        connect(&m_http.cookieJar(), &PersistentCookieJar::cookieAdded, this,
                [this](const QNetworkCookie& cookie) { m_session->jarCookieAdded(cookie); });
        connect(&m_http.cookieJar(), &PersistentCookieJar::cookieRemoved, this,
                [this](const QNetworkCookie& cookie) { m_session->jarCookieRemoved(cookie); });
    }
    return m_session.get();
}

QDialog* PortalAccess::openWindow() const
{
    return m_window;
}

void PortalAccess::OpenLoginExtractWindow(const QString& startUrl, QWidget* parent)
{
    m_state.ExtractStartUrl = startUrl;
    BrowserSession* session = browserSession();
    if (!session) {
        m_messages.showMessage(QStringLiteral("内置浏览器无法加载，登录窗口打不开"));
        return;
    }
    session->runLoginExtractWindow(parent, [this](QDialog* window) {
        m_window = window;
        emit loginWindowOpened(window);
    });
    m_window = nullptr;
}

QByteArray PortalAccess::httpGet(const QString& url)
{
    return HttpRequest(m_http, url);
}

QString PortalAccess::readSetting(const QString& section, const QString& key)
{
    return m_settings.ReadSetting(section, key);
}

void PortalAccess::writeSetting(const QString& section, const QString& key, const QString& value)
{
    m_settings.WriteSetting(section, key, value);
}

void PortalAccess::showMessage(const QString& text)
{
    m_messages.showMessage(text);
}

QList<QNetworkCookie> PortalAccess::jarCookies()
{
    return m_http.cookieJar().cookies();
}

void PortalAccess::insertJarCookieQuietly(const QNetworkCookie& cookie)
{
    m_http.cookieJar().insertCookieQuietly(cookie);
}

void PortalAccess::deleteJarCookieQuietly(const QNetworkCookie& cookie)
{
    m_http.cookieJar().deleteCookieQuietly(cookie);
}
