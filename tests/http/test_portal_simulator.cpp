#include "common/gbk.h"
#include "http/http_client.h"
#include "http/http_request.h"
#include "portal_simulator.h"

#include <QDate>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>
#include <csignal>
#include <memory>

// The simulated portal that the other tests and the demo rely on: its pages, its sign-in
// and its knobs, seen through the program's own HttpRequest.
class TestPortalSimulator : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void signInPage();
    void wrongPasswordStaysOnSignInPage();
    void pagesAskForSignIn_data();
    void pagesAskForSignIn();
    void listPages_data();
    void listPages();
    void actionPathIgnoresCase_data();
    void actionPathIgnoresCase();
    void failFirstRefreshes();
    void dailyLimitFollowsTheDay();
    void logoutEndsTheSignIn();
    void ownAccounts();
    void recordsRequests();
    void portIsTakenOnce();
    void programStopsOnSignal_data();
    void programStopsOnSignal();

private:
    QString get(const QString& path)
    {
        return FromGbk(HttpRequest(*m_client, m_sim->baseUrl() + path));
    }
    void signIn(const QString& user = QStringLiteral("demo"), const QString& password = QStringLiteral("demo123"));
    static QString refreshPath(const QString& id, const QString& agent = QStringLiteral("80001"))
    {
        return QStringLiteral("/Magent/House/HouseListAction.aspx?businesstype=cs&agentid=") + agent
            + QStringLiteral("&action=refhouse&houseid=") + id;
    }

    std::unique_ptr<PortalSimulator> m_sim;
    std::unique_ptr<HttpClient> m_client;
};

void TestPortalSimulator::init()
{
    m_sim = std::make_unique<PortalSimulator>();
    QVERIFY(m_sim->start());
    m_client = std::make_unique<HttpClient>();
}

void TestPortalSimulator::cleanup()
{
    m_client.reset();
    m_sim.reset();
}

void TestPortalSimulator::signIn(const QString& user, const QString& password)
{
    HttpOptions post;
    post.method = 1;
    post.body = "username=" + ToGbk(user) + "&password=" + ToGbk(password);
    HttpRequest(*m_client, m_sim->baseUrl() + PortalSimulator::signInPath(), post);
}

void TestPortalSimulator::signInPage()
{
    QString headers;
    HttpOptions options;
    options.responseHeaders = &headers;
    const QByteArray raw = HttpRequest(*m_client, m_sim->baseUrl() + QStringLiteral("/"), options);
    QVERIFY(headers.contains(QStringLiteral("Content-Type: text/html; charset=gbk\r\n")));
    QVERIFY(FromGbk(raw).contains(QStringLiteral("href=\"/login.aspx\"")));

    const QString page = get(PortalSimulator::signInPath());
    QVERIFY(page.contains(QStringLiteral("<title>Domora帮登录</title>")));
    // The account box comes first, the password second.
    const QRegularExpression input(QStringLiteral("<input [^>]*name=\"(\\w+)\""));
    QStringList names;
    for (auto it = input.globalMatch(page); it.hasNext();)
        names.append(it.next().captured(1));
    QCOMPARE(names.mid(0, 2), QStringList({ QStringLiteral("username"), QStringLiteral("password") }));
    QVERIFY(page.contains(QStringLiteral("demo")) && page.contains(QStringLiteral("demo123")));
}

void TestPortalSimulator::wrongPasswordStaysOnSignInPage()
{
    signIn(QStringLiteral("demo"), QStringLiteral("nope"));
    QVERIFY(get(QStringLiteral("/magent/top.aspx")).contains(QStringLiteral("请先登录！")));
    QVERIFY(m_client->cookieJar().cookies().isEmpty());
}

void TestPortalSimulator::pagesAskForSignIn_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("top frame") << QStringLiteral("/magent/top.aspx");
    QTest::newRow("sale list") << QStringLiteral("/magent/house/houselist.aspx?businesstype=cs");
    QTest::newRow("rent list") << QStringLiteral("/magent/house/houselist.aspx?businesstype=cz&page=2");
    QTest::newRow("refresh") << refreshPath(QStringLiteral("1020301"));
}

void TestPortalSimulator::pagesAskForSignIn()
{
    QFETCH(QString, path);
    const QString visitor = get(path);
    QVERIFY2(visitor.contains(QStringLiteral("请先登录！")), qPrintable(visitor));
    signIn();
    QVERIFY(!get(path).contains(QStringLiteral("请先登录")));
}

void TestPortalSimulator::listPages_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("firstId");
    QTest::newRow("sale page 1") << QStringLiteral("businesstype=cs") << 20 << QStringLiteral("1020301");
    QTest::newRow("sale page 3") << QStringLiteral("businesstype=cs&page=3") << 5 << QString::number(1020301 + 37 * 40);
    QTest::newRow("rent page 2") << QStringLiteral("businesstype=cz&page=2") << 5
                                 << QString::number(20456012 + 53 * 20);
    QTest::newRow("page past the end") << QStringLiteral("businesstype=cz&page=9") << 5
                                       << QString::number(20456012 + 53 * 20);
}

void TestPortalSimulator::listPages()
{
    QFETCH(QString, query);
    QFETCH(int, rows);
    QFETCH(QString, firstId);
    signIn();
    const QString page = get(QStringLiteral("/magent/house/houselist.aspx?") + query);
    const QRegularExpression box(QStringLiteral("<input type=checkbox name=selectitem value=(\\d+)>"));
    QStringList ids;
    for (auto it = box.globalMatch(page); it.hasNext();)
        ids.append(it.next().captured(1));
    QCOMPARE(ids.size(), rows);
    QCOMPARE(ids.first(), firstId);
    for (const QString& id : std::as_const(ids))
        QVERIFY(id.size() >= 6 && id.size() <= 8);
    QVERIFY(page.contains(QStringLiteral("<input type=checkbox name=checkall")));
    QVERIFY(page.contains(QStringLiteral("houselist.aspx?businesstype=")));
}

void TestPortalSimulator::actionPathIgnoresCase_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("as the program writes it") << QStringLiteral("/Magent/House/HouseListAction.aspx");
    QTest::newRow("lower case") << QStringLiteral("/magent/house/houselistaction.aspx");
}

void TestPortalSimulator::actionPathIgnoresCase()
{
    QFETCH(QString, path);
    signIn();
    QVERIFY(get(path + QStringLiteral("?agentid=80001&action=refhouse&houseid=1020301"))
                .contains(QStringLiteral("alert('刷新成功！')")));
    QCOMPARE(m_sim->refreshCount(QStringLiteral("1020301")), 1);
}

void TestPortalSimulator::failFirstRefreshes()
{
    signIn();
    m_sim->failFirstRefreshes(QStringLiteral("1020301"), 2, QStringLiteral("忙"));
    QVERIFY(get(refreshPath(QStringLiteral("1020301"))).contains(QStringLiteral("alert('忙')")));
    QVERIFY(get(refreshPath(QStringLiteral("1020301"))).contains(QStringLiteral("alert('忙')")));
    QVERIFY(get(refreshPath(QStringLiteral("1020301"))).contains(QStringLiteral("alert('刷新成功！')")));
    QCOMPARE(m_sim->refreshCount(QStringLiteral("1020301")), 1);
    // Other listings are not affected, nor is a wrong agent counted.
    QVERIFY(get(refreshPath(QStringLiteral("1020338"))).contains(QStringLiteral("alert('刷新成功！')")));
    QVERIFY(get(refreshPath(QStringLiteral("1020338"), QStringLiteral("1")))
                .contains(QStringLiteral("alert('您无权刷新该房源！')")));
    QCOMPARE(m_sim->refreshCount(QStringLiteral("1020338")), 1);
}

void TestPortalSimulator::dailyLimitFollowsTheDay()
{
    QDate day(2026, 12, 10);
    m_sim->setDateSource([&day] { return day; });
    m_sim->setDailyRefreshLimit(QStringLiteral("1020301"), 1, QStringLiteral("今日已刷新"));
    signIn();
    QVERIFY(get(refreshPath(QStringLiteral("1020301"))).contains(QStringLiteral("alert('刷新成功！')")));
    QVERIFY(get(refreshPath(QStringLiteral("1020301"))).contains(QStringLiteral("alert('今日已刷新')")));
    day = day.addDays(1);
    QVERIFY(get(refreshPath(QStringLiteral("1020301"))).contains(QStringLiteral("alert('刷新成功！')")));
}

void TestPortalSimulator::logoutEndsTheSignIn()
{
    signIn();
    QVERIFY(get(QStringLiteral("/magent/top.aspx")).contains(QStringLiteral("AgentId: '80001'")));
    get(QStringLiteral("/magent/logout.aspx"));
    QVERIFY(m_client->cookieJar().cookies().isEmpty());
    QVERIFY(get(QStringLiteral("/magent/top.aspx")).contains(QStringLiteral("请先登录！")));
}

void TestPortalSimulator::ownAccounts()
{
    PortalAccount other;
    other.user = QStringLiteral("王经理");
    other.password = QStringLiteral("pw");
    other.agentId = QStringLiteral("90002");
    other.saleIds = { QStringLiteral("555001") };
    m_sim->setAccounts({ other });
    signIn(QStringLiteral("demo"));
    QVERIFY(get(QStringLiteral("/magent/top.aspx")).contains(QStringLiteral("请先登录！")));
    signIn(QStringLiteral("王经理"), QStringLiteral("pw"));
    QVERIFY(get(QStringLiteral("/magent/top.aspx")).contains(QStringLiteral("AgentId: '90002'")));
    QVERIFY(get(refreshPath(QStringLiteral("555001"), QStringLiteral("90002"))).contains(QStringLiteral("刷新成功！")));
    QVERIFY(get(refreshPath(QStringLiteral("1020301"), QStringLiteral("90002")))
                .contains(QStringLiteral("alert('房源不存在或已删除！')")));
    QVERIFY(!get(PortalSimulator::signInPath()).contains(QStringLiteral("demo123")));
}

void TestPortalSimulator::recordsRequests()
{
    get(QStringLiteral("/a?x=%2f1"));
    signIn();
    const QList<PortalRequest> seen = m_sim->requests();
    QVERIFY(seen.size() >= 2);
    QCOMPARE(seen.at(0).path, QStringLiteral("/a"));
    QCOMPARE(seen.at(0).queryItem(QStringLiteral("x")), QStringLiteral("/1"));
    QCOMPARE(seen.at(1).method, QStringLiteral("POST"));
    QCOMPARE(seen.at(1).body, QByteArray("username=demo&password=demo123"));
    QCOMPARE(seen.at(1).host, m_sim->hostPort());
    m_sim->clearRequests();
    QVERIFY(m_sim->requests().isEmpty());
}

void TestPortalSimulator::portIsTakenOnce()
{
    PortalSimulator second;
    QVERIFY(!second.start(m_sim->port()));
    QVERIFY(!second.isRunning());
    m_sim->stop();
    QVERIFY(!m_sim->isRunning());
    QCOMPARE(HttpRequest(*m_client, QStringLiteral("http://") + second.hostPort() + QStringLiteral("/")), QByteArray());
}

void TestPortalSimulator::programStopsOnSignal_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

// The standalone program says where it listens, serves, and ends cleanly on a signal.
void TestPortalSimulator::programStopsOnSignal()
{
    QFETCH(int, signal);
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/../tools/portal-sim/portal-sim");
    QVERIFY2(QFileInfo::exists(program), qPrintable(program));
    QProcess sim;
    sim.start(program, { QStringLiteral("--port"), QStringLiteral("0") });
    QVERIFY(sim.waitForStarted());
    QVERIFY(sim.waitForReadyRead(10000));
    const QString banner = QString::fromUtf8(sim.readLine());
    const QRegularExpressionMatch where
        = QRegularExpression(QStringLiteral("listening on (http://127\\.0\\.0\\.1:\\d+)")).match(banner);
    QVERIFY2(where.hasMatch(), qPrintable(banner));
    QVERIFY(FromGbk(HttpRequest(*m_client, where.captured(1) + PortalSimulator::signInPath()))
                .contains(QStringLiteral("Domora帮登录")));
    ::kill(pid_t(sim.processId()), signal);
    QVERIFY(sim.waitForFinished(10000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestPortalSimulator)
#include "test_portal_simulator.moc"
