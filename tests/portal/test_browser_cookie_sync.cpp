#include "common/app_state.h"
#include "common/portal_hosts.h"
#include "http/persistent_cookie_jar.h"
#include "portal/browser_host.h"
#include "portal/browser_cookie_sync.h"
#include "support/browser_test_main.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include <memory>

namespace {

QNetworkCookie cookie(const char* name, const char* value, const QString& domain, int daysToLive = 1)
{
    QNetworkCookie c(name, value);
    c.setDomain(domain);
    c.setPath(QStringLiteral("/"));
    if (daysToLive != 0)
        c.setExpirationDate(QDateTime::currentDateTimeUtc().addDays(daysToLive));
    return c;
}

// The cookies a spy on cookieAdded/cookieRemoved has seen, as "name=value@domain".
QStringList seen(const QSignalSpy& spy)
{
    QStringList out;
    for (const QList<QVariant>& args : spy) {
        const auto c = args.first().value<QNetworkCookie>();
        out << QString::fromLatin1(c.name() + '=' + c.value()) + u'@' + c.domain();
    }
    return out;
}

QStringList held(const PersistentCookieJar& jar)
{
    QStringList out;
    for (const QNetworkCookie& c : jar.cookies())
        out << QString::fromLatin1(c.name() + '=' + c.value()) + u'@' + c.domain();
    out.sort();
    return out;
}

// The program's side as far as the cookie sync sees it: the shared jar.
class JarHost final : public BrowserHost
{
public:
    explicit JarHost(PersistentCookieJar& jar)
        : m_jar(jar)
    {
    }
    AppState& state() override { return m_state; }
    const PortalHosts& hosts() const override { return m_hosts; }
    QString dataDir() const override { return {}; }
    QByteArray httpGet(const QString&) override { return {}; }
    QString readSetting(const QString&, const QString&) override { return {}; }
    void writeSetting(const QString&, const QString&, const QString&) override { }
    void showMessage(const QString&) override { }
    QList<QNetworkCookie> jarCookies() override { return m_jar.cookies(); }
    void insertJarCookieQuietly(const QNetworkCookie& c) override { m_jar.insertCookieQuietly(c); }
    void deleteJarCookieQuietly(const QNetworkCookie& c) override { m_jar.deleteCookieQuietly(c); }

private:
    PersistentCookieJar& m_jar;
    AppState m_state;
    PortalHosts m_hosts;
};

} // namespace

class BrowserCookieSyncTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<PersistentCookieJar> m_jar;
    std::unique_ptr<QWebEngineProfile> m_profile;
    std::unique_ptr<QWebEnginePage> m_page;
    std::unique_ptr<JarHost> m_host;
    std::unique_ptr<BrowserCookieSync> m_sync;

    void startSync()
    {
        m_host = std::make_unique<JarHost>(*m_jar);
        m_sync = std::make_unique<BrowserCookieSync>(store(), *m_host);
        connect(m_jar.get(), &PersistentCookieJar::cookieAdded, m_sync.get(), &BrowserCookieSync::jarCookieAdded);
        connect(m_jar.get(), &PersistentCookieJar::cookieRemoved, m_sync.get(), &BrowserCookieSync::jarCookieRemoved);
    }

    QWebEngineCookieStore& store() { return *m_profile->cookieStore(); }

private slots:
    void init()
    {
        m_jar = std::make_unique<PersistentCookieJar>(QString());
        m_profile = std::make_unique<QWebEngineProfile>(QStringLiteral("cookie-sync-test"));
        m_profile->setPersistentStoragePath(m_dir.path());
        m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        // The store starts working (and reporting) once a page of the profile exists.
        m_page = std::make_unique<QWebEnginePage>(m_profile.get());
        QSignalSpy loaded(m_page.get(), &QWebEnginePage::loadFinished);
        m_page->setHtml(QStringLiteral("<html><body>blank</body></html>"), QUrl(QStringLiteral("http://localhost/")));
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 20000);
    }

    void cleanup()
    {
        m_sync.reset();
        m_host.reset();
        m_page.reset();
        m_profile.reset();
        m_jar.reset();
    }

    void jarIsPushedIntoTheBrowserAtStart()
    {
        QVERIFY(m_jar->insertCookie(cookie("host", "1", QStringLiteral("localhost"))));
        QVERIFY(m_jar->insertCookie(cookie("dom", "2", QStringLiteral(".example.test"))));
        QVERIFY(m_jar->insertCookie(cookie("session", "3", QStringLiteral("localhost"), 0)));
        QSignalSpy added(&store(), &QWebEngineCookieStore::cookieAdded);
        startSync();
        QTRY_COMPARE_WITH_TIMEOUT(added.size(), 3, 10000);
        QStringList got = seen(added);
        got.sort();
        // A host-only cookie stays host-only: no leading dot in the browser either.
        QCOMPARE(got, QStringList({QStringLiteral("dom=2@.example.test"), QStringLiteral("host=1@localhost"),
                                   QStringLiteral("session=3@localhost")}));
        // The echoes of our own pushes change nothing in the jar.
        QCOMPARE(held(*m_jar), got);
    }

    void browserChangesReachTheJar()
    {
        startSync();
        QSignalSpy jarAdded(m_jar.get(), &PersistentCookieJar::cookieAdded);
        // What a page's answer leaves in the browser: host-only, as the store reports it.
        QNetworkCookie page = cookie("login", "abc", QString());
        store().setCookie(page, QUrl(QStringLiteral("http://localhost/")));
        QTRY_COMPARE_WITH_TIMEOUT(held(*m_jar), QStringList{QStringLiteral("login=abc@localhost")}, 10000);
        // Mirrored quietly: nothing is announced back towards the browser.
        QCOMPARE(jarAdded.size(), 0);

        store().setCookie(cookie("login", "new", QString()), QUrl(QStringLiteral("http://localhost/")));
        QTRY_COMPARE_WITH_TIMEOUT(held(*m_jar), QStringList{QStringLiteral("login=new@localhost")}, 10000);

        store().deleteCookie(cookie("login", "new", QString()), QUrl(QStringLiteral("http://localhost/")));
        QTRY_COMPARE_WITH_TIMEOUT(held(*m_jar), QStringList(), 10000);
    }

    void jarChangesReachTheBrowser()
    {
        startSync();
        QSignalSpy added(&store(), &QWebEngineCookieStore::cookieAdded);
        QSignalSpy removed(&store(), &QWebEngineCookieStore::cookieRemoved);
        QVERIFY(m_jar->insertCookie(cookie("sid", "1", QStringLiteral("localhost"))));
        QTRY_COMPARE_WITH_TIMEOUT(seen(added), QStringList{QStringLiteral("sid=1@localhost")}, 10000);
        // Two quick changes: the late echo of the first must not bring the old value back.
        QVERIFY(m_jar->insertCookie(cookie("sid", "2", QStringLiteral("localhost"))));
        QVERIFY(m_jar->insertCookie(cookie("sid", "3", QStringLiteral("localhost"))));
        QTRY_VERIFY_WITH_TIMEOUT(seen(added).contains(QStringLiteral("sid=3@localhost")), 10000);
        QCOMPARE(held(*m_jar), QStringList{QStringLiteral("sid=3@localhost")});

        QVERIFY(m_jar->deleteCookie(cookie("sid", "3", QStringLiteral("localhost"))));
        QTRY_VERIFY_WITH_TIMEOUT(seen(removed).contains(QStringLiteral("sid=3@localhost")), 10000);
        QCOMPARE(held(*m_jar), QStringList());
    }
};

TAVREL_BROWSER_TEST_MAIN(BrowserCookieSyncTest)
#include "test_browser_cookie_sync.moc"
