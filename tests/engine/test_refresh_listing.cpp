#include "common/app_state.h"
#include "common/portal_hosts.h"
#include "engine/listing_refresher.h"
#include "http/http_client.h"
#include "plans/plan_store.h"
#include "portal_simulator.h"
#include "support/fake_clock.h"
#include "support/fake_engine_view.h"
#include "support/fake_message_presenter.h"
#include "support/temp_data_dir.h"

#include <QNetworkCookie>
#include <QtTest>
#include <memory>

namespace {

const QString kSale = QStringLiteral("1020301"); // a sale listing of the demo agent
const QString kRent = QStringLiteral("20456012"); // a rent listing of the demo agent

} // namespace

class TestRefreshListing : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void refreshUrlIsTheTemplate_data();
    void refreshUrlIsTheTemplate();
    void requestCarriesAgentAndListing_data();
    void requestCarriesAgentAndListing();
    void answers_data();
    void answers();
    void notSignedInAsksOncePerCall();
    void timeoutGivesEmptyResult();
    void unreachablePortalGivesEmptyResult();
    void successCountsAcrossDayChange();

private:
    void signIn();
    QList<PortalRequest> refreshRequests() const;

    std::unique_ptr<PortalSimulator> m_sim;
    std::unique_ptr<TempDataDir> m_dir;
    std::unique_ptr<FakeClock> m_clock;
    std::unique_ptr<PlanStore> m_store;
    std::unique_ptr<HttpClient> m_http;
    FakeMessagePresenter m_messages;
    FakeEngineView m_view;
    AppState m_state;
    PortalHosts m_hosts;
    std::unique_ptr<ListingRefresher> m_refresher;
};

void TestRefreshListing::init()
{
    m_sim = std::make_unique<PortalSimulator>();
    QVERIFY(m_sim->start());
    m_dir = std::make_unique<TempDataDir>();
    m_clock = std::make_unique<FakeClock>(QDateTime(QDate(2026, 12, 10), QTime(23, 59, 30)));
    m_store = std::make_unique<PlanStore>(*m_clock);
    QVERIFY(m_store->OpenPlanStore(m_dir->databasePath()));
    m_http = std::make_unique<HttpClient>();
    m_messages = FakeMessagePresenter();
    m_view = FakeEngineView();
    m_state = AppState();
    m_state.RunFlag = 1;
    m_state.AgentId = QStringLiteral("80001");
    m_hosts = PortalHosts { m_sim->hostPort(), m_sim->hostPort(), m_sim->hostPort() };
    m_refresher = std::make_unique<ListingRefresher>(m_state, *m_http, *m_store, m_view, m_messages, m_hosts);
}

void TestRefreshListing::cleanup()
{
    m_refresher.reset();
    m_http.reset();
    m_store.reset();
    m_dir.reset();
    m_sim.reset();
}

void TestRefreshListing::signIn()
{
    const QString cookie = m_sim->signInCookie(QStringLiteral("demo"));
    QVERIFY(!cookie.isEmpty());
    m_http->cookieJar().setCookiesFromUrl(QNetworkCookie::parseCookies(cookie.toUtf8()), QUrl(m_sim->baseUrl()));
}

QList<PortalRequest> TestRefreshListing::refreshRequests() const
{
    QList<PortalRequest> out;
    const QList<PortalRequest> all = m_sim->requests();
    for (const PortalRequest& r : all) {
        if (r.path == QStringLiteral("/Magent/House/HouseListAction.aspx"))
            out.append(r);
    }
    return out;
}

void TestRefreshListing::refreshUrlIsTheTemplate_data()
{
    QTest::addColumn<QString>("agent");
    QTest::addColumn<QString>("listing");
    QTest::addColumn<QString>("url");
    const QString head
        = QStringLiteral("http://agent.example:81/Magent/House/HouseListAction.aspx?businesstype=cs&page=1"
                         "&pagesize=20&flag=1&agentid=");
    const QString tail = QStringLiteral("&pageurl=%2fmagent%2fhouse%2fhouselist.aspx%3fbusinesstype%3dcs%26page%3d1"
                                        "%26pagesize%3d20%26flag%3d1");
    QTest::newRow("agent 123, listing 456") << QStringLiteral(
        "123") << QStringLiteral("456") << head + QStringLiteral("123&mendianID=0&action=refhouse&houseid=456") + tail;
    QTest::newRow("no agent") << QString() << QStringLiteral("456")
                              << head + QStringLiteral("&mendianID=0&action=refhouse&houseid=456") + tail;
    // Values go in unchanged: no trimming, no encoding, and an agent ID that looks like
    // the listing placeholder is replaced too, as the order of replacement says.
    QTest::newRow("values unchanged") << QStringLiteral(" 7 ") << QStringLiteral("a&b")
                                      << head + QStringLiteral(" 7 &mendianID=0&action=refhouse&houseid=a&b") + tail;
    QTest::newRow("agent holding [id]") << QStringLiteral("[id]") << QStringLiteral("9")
                                        << head + QStringLiteral("9&mendianID=0&action=refhouse&houseid=9") + tail;
}

void TestRefreshListing::refreshUrlIsTheTemplate()
{
    QFETCH(QString, agent);
    QFETCH(QString, listing);
    QFETCH(QString, url);
    QCOMPARE(RefreshUrl(QStringLiteral("agent.example:81"), agent, listing), url);
}

void TestRefreshListing::requestCarriesAgentAndListing_data()
{
    QTest::addColumn<QString>("agent");
    QTest::addColumn<QString>("agentQuery");
    QTest::newRow("agent 80001") << QStringLiteral("80001") << QStringLiteral("agentid=80001&mendianID=0");
    QTest::newRow("empty agent") << QString() << QStringLiteral("agentid=&mendianID=0");
}

void TestRefreshListing::requestCarriesAgentAndListing()
{
    QFETCH(QString, agent);
    QFETCH(QString, agentQuery);
    signIn();
    m_state.AgentId = agent;
    m_refresher->RefreshListing(kSale);
    const QList<PortalRequest> seen = refreshRequests();
    QCOMPARE(seen.size(), 1);
    const PortalRequest& r = seen.first();
    QCOMPARE(r.method, QStringLiteral("GET"));
    QVERIFY2(r.query.contains(agentQuery), qPrintable(r.query));
    QCOMPARE(r.queryItem(QStringLiteral("houseid")), kSale);
    QCOMPARE(r.queryItem(QStringLiteral("businesstype")), QStringLiteral("cs"));
    QCOMPARE(r.queryItem(QStringLiteral("action")), QStringLiteral("refhouse"));
    QCOMPARE(r.queryItem(QStringLiteral("pageurl")),
        QStringLiteral("/magent/house/houselist.aspx?businesstype=cs&page=1&pagesize=20&flag=1"));
    QVERIFY(r.cookies.contains(PortalSimulator::persistentCookieName()));
}

void TestRefreshListing::answers_data()
{
    QTest::addColumn<bool>("signedIn");
    QTest::addColumn<QString>("agent");
    QTest::addColumn<QString>("listing");
    QTest::addColumn<QString>("portalMessage"); // the next answer's alert, when set
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("runFlag");
    QTest::addColumn<QStringList>("messages");

    const QString agent = QStringLiteral("80001");
    const QStringList none;
    const QStringList notSignedIn { QStringLiteral("您未登录账号") };
    QTest::newRow("sale listing refreshed")
        << true << agent << kSale << QString() << QStringLiteral("刷新成功") << 1 << none;
    // The request is the same for a rent listing (businesstype stays cs).
    QTest::newRow("rent listing refreshed")
        << true << agent << kRent << QString() << QStringLiteral("刷新成功") << 1 << none;
    QTest::newRow("unknown listing") << true << agent << QStringLiteral("999999") << QString()
                                     << QStringLiteral("房源不存在或已删除！") << 1 << none;
    QTest::newRow("wrong agent") << true << QStringLiteral("80002") << kSale << QString()
                                 << QStringLiteral("您无权刷新该房源！") << 1 << none;
    QTest::newRow("portal busy") << true << agent << kSale << QStringLiteral("系统繁忙，请稍后再试！")
                                 << QStringLiteral("系统繁忙，请稍后再试！") << 1 << none;
    QTest::newRow("confirmation without exclamation mark")
        << true << agent << kSale << QStringLiteral("刷新成功") << QStringLiteral("刷新成功") << 1 << none;
    QTest::newRow("not signed in") << false << agent << kSale << QString() << QStringLiteral("未登录账号") << 0
                                   << notSignedIn;
    QTest::newRow("sign-in request beats confirmation")
        << true << agent << kSale << QStringLiteral("刷新成功！请先登录") << QStringLiteral("未登录账号") << 0
        << notSignedIn;
}

void TestRefreshListing::answers()
{
    QFETCH(bool, signedIn);
    QFETCH(QString, agent);
    QFETCH(QString, listing);
    QFETCH(QString, portalMessage);
    QFETCH(QString, result);
    QFETCH(int, runFlag);
    QFETCH(QStringList, messages);
    if (signedIn)
        signIn();
    if (!portalMessage.isEmpty())
        m_sim->failFirstRefreshes(listing, 1, portalMessage);
    m_state.AgentId = agent;
    QCOMPARE(m_refresher->RefreshListing(listing), result);
    QCOMPARE(m_state.RunFlag, runFlag);
    QCOMPARE(m_messages.messages, messages);
    // The refresh engine writes no log line and counts nothing by itself.
    QVERIFY(m_view.log.isEmpty());
    QCOMPARE(m_store->ReadDailyTotal(), 0);
}

void TestRefreshListing::notSignedInAsksOncePerCall()
{
    QCOMPARE(m_refresher->RefreshListing(kSale), QStringLiteral("未登录账号"));
    m_state.RunFlag = 1;
    QCOMPARE(m_refresher->RefreshListing(kRent), QStringLiteral("未登录账号"));
    QCOMPARE(m_messages.messages, QStringList(2, QStringLiteral("您未登录账号")));
    QCOMPARE(m_state.RunFlag, 0);
    QCOMPARE(refreshRequests().size(), 2);
}

void TestRefreshListing::timeoutGivesEmptyResult()
{
    signIn();
    m_sim->setResponseDelay(4000);
    m_refresher->setRequestTimeout(1);
    QCOMPARE(m_refresher->RefreshListing(kSale), QString());
    QCOMPARE(m_state.RunFlag, 1);
    QVERIFY(m_messages.messages.isEmpty());
}

void TestRefreshListing::unreachablePortalGivesEmptyResult()
{
    m_sim->stop();
    QCOMPARE(m_refresher->RefreshListing(kSale), QString());
    QCOMPARE(m_state.RunFlag, 1);
}

void TestRefreshListing::successCountsAcrossDayChange()
{
    for (const QString& nick : { QStringLiteral("早班"), QStringLiteral("晚班") }) {
        RefreshPlan plan;
        plan.nick = nick;
        plan.id = kSale;
        QVERIFY(m_store->InsertPlan(plan));
    }
    // A name shown twice: only its first row is written.
    m_view.rows = { { QStringLiteral("早班"), QStringLiteral("0") }, { QStringLiteral("晚班"), QStringLiteral("0") },
        { QStringLiteral("早班"), QStringLiteral("0") } };

    m_refresher->RecordRefreshSuccess(QStringLiteral("早班"));
    m_refresher->RecordRefreshSuccess(QStringLiteral("晚班"));
    m_refresher->RecordRefreshSuccess(QStringLiteral("早班"));
    QCOMPARE(m_view.statusPanel(2), QStringLiteral("今日发布:3"));
    QCOMPARE(m_view.rows.at(0).today, QStringLiteral("2"));
    QCOMPARE(m_view.rows.at(1).today, QStringLiteral("1"));
    QCOMPARE(m_view.rows.at(2).today, QStringLiteral("0"));
    QCOMPARE(m_store->LoadPlan(QStringLiteral("早班")).today, QStringLiteral("2"));
    QCOMPARE(m_store->LoadPlan(QStringLiteral("早班")).date1, QStringLiteral("2026年12月10日"));

    // Past midnight the counts start afresh.
    m_clock->advance(60 * 1000);
    m_refresher->RecordRefreshSuccess(QStringLiteral("早班"));
    QCOMPARE(m_view.statusPanel(2), QStringLiteral("今日发布:1"));
    QCOMPARE(m_view.rows.at(0).today, QStringLiteral("1"));
    QCOMPARE(m_view.rows.at(1).today, QStringLiteral("1"));
    const RefreshPlan morning = m_store->LoadPlan(QStringLiteral("早班"));
    QCOMPARE(morning.today, QStringLiteral("1"));
    QCOMPARE(morning.date1, QStringLiteral("2026年12月11日"));

    // A plan no longer in the list is still counted; no row changes.
    m_view.rows.removeAt(1);
    m_refresher->RecordRefreshSuccess(QStringLiteral("晚班"));
    QCOMPARE(m_view.statusPanel(2), QStringLiteral("今日发布:2"));
    QCOMPARE(m_store->LoadPlan(QStringLiteral("晚班")).today, QStringLiteral("1"));
    QCOMPARE(m_view.rows.at(0).today, QStringLiteral("1"));
}

QTEST_GUILESS_MAIN(TestRefreshListing)
#include "test_refresh_listing.moc"
