#include "common/gbk.h"
#include "http/http_client.h"
#include "http/http_request.h"
#include "portal_simulator.h"

#include <QElapsedTimer>
#include <QNetworkCookie>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

// HttpRequest against the portal simulator on 127.0.0.1.
class TestHttpRequest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void emptyUrlSendsNothing_data();
    void emptyUrlSendsNothing();
    void urlWithoutSchemeGetsHttp();
    void httpsInQueryStaysPlainHttp();
    void getCarriesDefaultHeaders();
    void extraUserAgentReplacesDefault();
    void postRoundTrip();
    void signInCookiesCarriedByNextRequest();
    void cookiesSurviveJarRestart();
    void explicitCookiesBypassStore();
    void redirects_data();
    void redirects();
    void longHeaderBlockKeepsEveryCookie();
    void timeoutReturnsTextWhileTimersFire();
    void timeoutZeroEndsAtFirstWakeUp();
    void programExitGivesUpTheRequest();
    void nestedRequestsEachGetTheirOwnAnswer();
    void proxyIsUsedForHttp();
    void unreachableHostGivesEmptyAnswer();

private:
    QString url(const QString& path) const
    {
        return m_sim->baseUrl() + path;
    }
    QString signInThroughPage();

    std::unique_ptr<PortalSimulator> m_sim;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<HttpClient> m_client;
};

void TestHttpRequest::init()
{
    m_sim = std::make_unique<PortalSimulator>();
    QVERIFY(m_sim->start());
    m_dir = std::make_unique<QTemporaryDir>();
    m_client = std::make_unique<HttpClient>(m_dir->filePath(QStringLiteral("data/cookies.txt")));
}

void TestHttpRequest::cleanup()
{
    m_client.reset();
    m_sim.reset();
    m_dir.reset();
}

QString TestHttpRequest::signInThroughPage()
{
    HttpOptions post;
    post.method = 1;
    post.body = QByteArrayLiteral("username=demo&password=demo123");
    return FromGbk(HttpRequest(*m_client, url(QStringLiteral("/login.aspx")), post));
}

void TestHttpRequest::emptyUrlSendsNothing_data()
{
    QTest::addColumn<QString>("url");
    QTest::newRow("empty") << QString();
    QTest::newRow("spaces") << QStringLiteral("   ");
    QTest::newRow("ideographic spaces") << QStringLiteral("\u3000 \u3000");
}

void TestHttpRequest::emptyUrlSendsNothing()
{
    QFETCH(QString, url);
    QString headers = QStringLiteral("untouched");
    HttpOptions options;
    options.responseHeaders = &headers;
    QCOMPARE(HttpRequest(*m_client, url, options), QByteArray());
    QCOMPARE(headers, QStringLiteral("untouched"));
    QVERIFY(m_sim->requests().isEmpty());
}

void TestHttpRequest::urlWithoutSchemeGetsHttp()
{
    const QString page = FromGbk(HttpRequest(*m_client, m_sim->hostPort() + QStringLiteral("/login.aspx")));
    QVERIFY(page.contains(QStringLiteral("<title>Domora帮登录</title>")));
}

// Finding "https://" further on in the URL does not turn a plain http request into a
// TLS request to port 443.
void TestHttpRequest::httpsInQueryStaysPlainHttp()
{
    const QString page = FromGbk(HttpRequest(*m_client, url(QStringLiteral("/?next=https://x"))));
    QVERIFY(page.contains(QStringLiteral("经纪人登录")));
    const QList<PortalRequest> seen = m_sim->requests();
    QCOMPARE(seen.size(), 1);
    QCOMPARE(seen.first().path, QStringLiteral("/"));
    QCOMPARE(seen.first().query, QStringLiteral("next=https://x"));
}

void TestHttpRequest::getCarriesDefaultHeaders()
{
    const QString target = url(QStringLiteral("/login.aspx?a=1"));
    HttpRequest(*m_client, target);
    const QList<PortalRequest> seen = m_sim->requests();
    QCOMPARE(seen.size(), 1);
    const PortalRequest& r = seen.first();
    QCOMPARE(r.method, QStringLiteral("GET"));
    QCOMPARE(r.path, QStringLiteral("/login.aspx"));
    QCOMPARE(r.query, QStringLiteral("a=1"));
    QCOMPARE(r.header(QStringLiteral("Referer")), target);
    QCOMPARE(r.header(QStringLiteral("Accept-Language")), QStringLiteral("zh-cn"));
    QVERIFY(r.header(QStringLiteral("Accept")).startsWith(QStringLiteral("image/gif, image/bmp")));
    QVERIFY(r.header(QStringLiteral("User-Agent")).startsWith(QStringLiteral("Mozilla/4.0 (compatible; MSIE 6.0;")));
    QVERIFY(r.header(QStringLiteral("Cookie")).isEmpty());
    QCOMPARE(r.header(QStringLiteral("Cache-Control")), QStringLiteral("no-cache"));
}

void TestHttpRequest::extraUserAgentReplacesDefault()
{
    HttpOptions options;
    options.extraHeaders = QStringLiteral("User-Agent: TavrelTest/1.0\r\nX-Trace: 7\r\nRefererNo\r\n");
    HttpRequest(*m_client, url(QStringLiteral("/")), options);
    const PortalRequest r = m_sim->requests().value(0);
    QCOMPARE(r.header(QStringLiteral("User-Agent")), QStringLiteral("TavrelTest/1.0"));
    QCOMPARE(r.header(QStringLiteral("X-Trace")), QStringLiteral("7"));
    QCOMPARE(r.header(QStringLiteral("Referer")), QString());
}

void TestHttpRequest::postRoundTrip()
{
    QString headers;
    HttpOptions post;
    post.method = 1;
    post.body = QByteArrayLiteral("username=demo&password=wrong");
    post.responseHeaders = &headers;
    const QString page = FromGbk(HttpRequest(*m_client, url(QStringLiteral("/login.aspx")), post));
    QVERIFY(page.contains(QStringLiteral("账号或密码错误！")));
    QVERIFY(headers.startsWith(QStringLiteral("HTTP/1.1 200 OK\r\n")));
    QVERIFY(headers.contains(QStringLiteral("Content-Type: text/html; charset=gbk\r\n")));
    QVERIFY(headers.endsWith(QStringLiteral("\r\n\r\n")));
    const PortalRequest r = m_sim->requests().value(0);
    QCOMPARE(r.method, QStringLiteral("POST"));
    QCOMPARE(r.body, post.body);
    QCOMPARE(r.header(QStringLiteral("Content-Type")), QStringLiteral("application/x-www-form-urlencoded"));
    QCOMPARE(r.header(QStringLiteral("Content-Length")), QString::number(post.body.size()));
}

void TestHttpRequest::signInCookiesCarriedByNextRequest()
{
    QVERIFY(FromGbk(HttpRequest(*m_client, url(QStringLiteral("/magent/top.aspx"))))
                .contains(QStringLiteral("请先登录！")));
    // The sign-in answer redirects to the back office, which already sees the cookies.
    QVERIFY(signInThroughPage().contains(QStringLiteral("/magent/top.aspx")));
    const QString top = FromGbk(HttpRequest(*m_client, url(QStringLiteral("/magent/top.aspx"))));
    QVERIFY2(top.contains(QStringLiteral("AgentId: '80001'")), qPrintable(top));
    const PortalRequest last = m_sim->requests().constLast();
    QVERIFY(last.cookies.contains(PortalSimulator::persistentCookieName()));
    QVERIFY(last.cookies.contains(PortalSimulator::sessionCookieName()));
}

void TestHttpRequest::cookiesSurviveJarRestart()
{
    signInThroughPage();
    const QString file = m_client->cookieJar().fileName();
    m_client.reset();
    m_client = std::make_unique<HttpClient>(file);
    m_sim->clearRequests();
    const QString top = FromGbk(HttpRequest(*m_client, url(QStringLiteral("/magent/top.aspx"))));
    QVERIFY2(top.contains(QStringLiteral("AgentId: '80001'")), qPrintable(top));
    // Only the persistent cookie is kept, as a browser keeps it.
    const PortalRequest r = m_sim->requests().value(0);
    QVERIFY(r.cookies.contains(PortalSimulator::persistentCookieName()));
    QVERIFY(!r.cookies.contains(PortalSimulator::sessionCookieName()));
}

void TestHttpRequest::explicitCookiesBypassStore()
{
    signInThroughPage();
    m_sim->clearRequests();
    HttpOptions options;
    options.cookies = QStringLiteral("visitor=1; theme=dark");
    const QString top = FromGbk(HttpRequest(*m_client, url(QStringLiteral("/magent/top.aspx")), options));
    QVERIFY(top.contains(QStringLiteral("请先登录！")));
    const PortalRequest r = m_sim->requests().value(0);
    QCOMPARE(r.header(QStringLiteral("Cookie")), QStringLiteral("visitor=1; theme=dark"));

    // An explicit sign-in cookie works on its own, and a cookie the answer sets still
    // reaches the store for the request's host.
    HttpClient fresh;
    HttpOptions signedIn;
    signedIn.cookies = m_sim->signInCookie(QStringLiteral("demo"));
    QVERIFY(FromGbk(HttpRequest(fresh, url(QStringLiteral("/magent/top.aspx")), signedIn))
                .contains(QStringLiteral("AgentId: '80001'")));
    HttpOptions logout = signedIn;
    logout.followRedirects = false;
    m_sim->addResponseHeader(QStringLiteral("Set-Cookie"), QStringLiteral("lang=zh; path=/"));
    HttpRequest(fresh, url(QStringLiteral("/")), logout);
    const QList<QNetworkCookie> stored = fresh.cookieJar().cookiesForUrl(QUrl(url(QStringLiteral("/"))));
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored.first().name(), QByteArray("lang"));
    QCOMPARE(stored.first().value(), QByteArray("zh"));
}

void TestHttpRequest::redirects_data()
{
    QTest::addColumn<bool>("follow");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("bodyIsBackOffice");
    QTest::newRow("followed") << true << QStringLiteral("HTTP/1.1 200") << true;
    QTest::newRow("not followed") << false << QStringLiteral("HTTP/1.1 302") << false;
}

void TestHttpRequest::redirects()
{
    QFETCH(bool, follow);
    QFETCH(QString, status);
    QFETCH(bool, bodyIsBackOffice);
    QString headers;
    QString cookies;
    HttpOptions post;
    post.method = 1;
    post.body = QByteArrayLiteral("username=demo&password=demo123");
    post.followRedirects = follow;
    post.responseHeaders = &headers;
    post.responseCookies = &cookies;
    const QString page = FromGbk(HttpRequest(*m_client, url(QStringLiteral("/login.aspx")), post));
    QVERIFY2(headers.startsWith(status), qPrintable(headers));
    QCOMPARE(page.contains(QStringLiteral("经纪人后台")), bodyIsBackOffice);
    if (!follow) {
        QVERIFY(headers.contains(QStringLiteral("\r\nLocation: /magent/default.aspx\r\n")));
        // One line per Set-Cookie, and the collected name=value pairs.
        QCOMPARE(headers.count(QStringLiteral("\r\nSet-Cookie: ")), 2);
        const QRegularExpression pairs(QStringLiteral("^DomoraAuth=[0-9A-F]+;ASP\\.NET_SessionId=[0-9A-F]+;$"));
        QVERIFY2(pairs.match(cookies).hasMatch(), qPrintable(cookies));
    }
    // Either way the sign-in cookies are in the store.
    QVERIFY(FromGbk(HttpRequest(*m_client, url(QStringLiteral("/magent/top.aspx"))))
                .contains(QStringLiteral("AgentId: '80001'")));
}

// Header blocks longer than 2048 bytes still yield every cookie.
void TestHttpRequest::longHeaderBlockKeepsEveryCookie()
{
    m_sim->addResponseHeader(QStringLiteral("X-Padding"), QString(3000, u'p'));
    m_sim->addResponseHeader(QStringLiteral("Set-Cookie"), QStringLiteral("bare=3"));
    QString headers;
    QString cookies;
    HttpOptions post;
    post.method = 1;
    post.body = QByteArrayLiteral("username=demo&password=demo123");
    post.followRedirects = false;
    post.responseHeaders = &headers;
    post.responseCookies = &cookies;
    HttpRequest(*m_client, url(QStringLiteral("/login.aspx")), post);
    QVERIFY(headers.size() > 3000);
    QVERIFY(headers.contains(QString(3000, u'p')));
    QCOMPARE(cookies.count(u';'), 3);
    QVERIFY2(cookies.startsWith(QStringLiteral("bare=3;")) || cookies.contains(QStringLiteral(";bare=3;")),
        qPrintable(cookies));
    QVERIFY(cookies.contains(QStringLiteral("DomoraAuth=")));
}

void TestHttpRequest::timeoutReturnsTextWhileTimersFire()
{
    m_sim->setResponseDelay(5000);
    int ticks = 0;
    QTimer window;
    connect(&window, &QTimer::timeout, this, [&ticks] { ++ticks; });
    window.start(20);
    QString headers = QStringLiteral("untouched");
    HttpOptions options;
    options.timeoutSeconds = 1;
    options.responseHeaders = &headers;
    QElapsedTimer waited;
    waited.start();
    const QByteArray answer = HttpRequest(*m_client, url(QStringLiteral("/")), options);
    const qint64 ms = waited.elapsed();
    window.stop();
    QCOMPARE(answer, HttpTimeoutText());
    QCOMPARE(FromGbk(answer),
        QStringLiteral(
            "超时返回，指定网站不能访问，或者你的网络出现问题，你可以把参数中的＂超时返回＂的值设置长一些。"));
    QCOMPARE(headers, QStringLiteral("untouched"));
    QVERIFY2(ms >= 1000 && ms < 4500, qPrintable(QString::number(ms)));
    QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));

    // The abandoned answer is never read: the next request gets its own.
    m_sim->setResponseDelay(0);
    QVERIFY(
        FromGbk(HttpRequest(*m_client, url(QStringLiteral("/login.aspx")))).contains(QStringLiteral("Domora帮登录")));
}

void TestHttpRequest::timeoutZeroEndsAtFirstWakeUp()
{
    HttpOptions options;
    options.timeoutSeconds = 0;
    QCOMPARE(HttpRequest(*m_client, url(QStringLiteral("/")), options), HttpTimeoutText());
}

void TestHttpRequest::programExitGivesUpTheRequest()
{
    // The user closes the program while a request waits: the request ends at once
    // instead of spinning until its limit.
    m_sim->setResponseDelay(5000);
    QTimer::singleShot(100, qApp, [] { QCoreApplication::exit(0); });
    QString headers = QStringLiteral("untouched");
    HttpOptions options;
    options.timeoutSeconds = 30;
    options.responseHeaders = &headers;
    QElapsedTimer waited;
    waited.start();
    const QByteArray answer = HttpRequest(*m_client, url(QStringLiteral("/")), options);
    const qint64 ms = waited.elapsed();
    QCOMPARE(answer, QByteArray());
    QCOMPARE(headers, QString());
    QVERIFY2(ms < 4000, qPrintable(QString::number(ms)));

    // Only the application's own loop clears the exit request; let the rest run on.
    m_sim->setResponseDelay(0);
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    QVERIFY(FromGbk(HttpRequest(*m_client, url(QStringLiteral("/login.aspx")))).contains(QStringLiteral("Domora帮登录")));
}

void TestHttpRequest::nestedRequestsEachGetTheirOwnAnswer()
{
    m_sim->setResponseDelay(300);
    QByteArray inner;
    // A handler that runs while the first request waits, as a click would.
    QTimer handler;
    handler.setSingleShot(true);
    connect(
        &handler, &QTimer::timeout, this, [&] { inner = HttpRequest(*m_client, url(QStringLiteral("/login.aspx"))); });
    handler.start(50);
    const QByteArray outer = HttpRequest(*m_client, url(QStringLiteral("/")));
    QVERIFY(FromGbk(outer).contains(QStringLiteral("经纪人之家")));
    QVERIFY(FromGbk(inner).contains(QStringLiteral("Domora帮登录")));
}

void TestHttpRequest::proxyIsUsedForHttp()
{
    HttpOptions options;
    options.proxy = m_sim->hostPort();
    HttpRequest(*m_client, QStringLiteral("http://portal.example.invalid/magent/top.aspx"), options);
    const QList<PortalRequest> seen = m_sim->requests();
    QCOMPARE(seen.size(), 1);
    QVERIFY(seen.first().host.startsWith(QStringLiteral("portal.example.invalid")));
    QVERIFY(seen.first().path.endsWith(QStringLiteral("/magent/top.aspx")));
}

void TestHttpRequest::unreachableHostGivesEmptyAnswer()
{
    const QString gone = url(QStringLiteral("/"));
    m_sim->stop();
    QString headers = QStringLiteral("x");
    QString cookies = QStringLiteral("x");
    HttpOptions options;
    options.responseHeaders = &headers;
    options.responseCookies = &cookies;
    QCOMPARE(HttpRequest(*m_client, gone, options), QByteArray());
    QCOMPARE(headers, QString());
    QCOMPARE(cookies, QString());
}

QTEST_GUILESS_MAIN(TestHttpRequest)
#include "test_http_request.moc"
