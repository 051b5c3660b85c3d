#include "common/app_state.h"
#include "common/portal_hosts.h"
#include "common/text_helpers.h"
#include "engine/listing_refresher.h"
#include "engine/run_loop.h"
#include "http/http_client.h"
#include "plans/plan_store.h"
#include "portal_simulator.h"
#include "support/fake_clock.h"
#include "support/fake_engine_view.h"
#include "support/fake_message_presenter.h"
#include "support/temp_data_dir.h"

#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QTest>
#include <QUrl>
#include <functional>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

// The real refresher, with a hook that runs as each request is about to go out.
class ObservedRefresher final : public ListingRefresher
{
public:
    using ListingRefresher::ListingRefresher;
    QString RefreshListing(const QString& listingId) override
    {
        if (onRequest)
            onRequest(listingId);
        return ListingRefresher::RefreshListing(listingId);
    }
    std::function<void(const QString&)> onRequest;
};

RefreshPlan makePlan(
    const QString& nick, const QString& ids, const QString& times, const QString& sort, const QString& num = {})
{
    RefreshPlan p;
    p.nick = nick;
    p.id = ids;
    p.times = times;
    p.sort = sort;
    p.num = num;
    p.sort1 = QStringLiteral("1");
    return p;
}

QDateTime at(int h, int m, int s = 0, QDate day = QDate(2026, 3, 5))
{
    return QDateTime(day, QTime(h, m, s));
}

// The whole engine around one store, one view and the simulated portal, signed in.
struct Rig
{
    Rig()
    {
        store.OpenPlanStore(dir.databasePath());
        PortalAccount account = PortalSimulator::demoAccount();
        account.saleIds = QStringList { u"101"_s, u"102"_s, u"201"_s, u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"a1"_s,
            u"b1"_s, u"c1"_s, u"p1"_s, u"q1"_s, u"r1"_s, u"99"_s };
        for (int i = 1; i <= 10; ++i)
            account.saleIds.append(QString::number(i));
        sim.setAccounts({ account });
        QVERIFY(sim.start());
        hosts.AgentHost = sim.hostPort();
        hosts.LegacyAgentHost = sim.hostPort();
        hosts.PublicAgentHost = sim.hostPort();
        state.AgentId = account.agentId;
        const QString cookie = sim.signInCookie(account.user);
        http.cookieJar().setCookiesFromUrl(QNetworkCookie::parseCookies(cookie.toUtf8()), QUrl(sim.baseUrl() + u"/"_s));
        refresher = std::make_unique<ObservedRefresher>(state, http, store, view, messages, hosts);
        loop = std::make_unique<RefreshRunLoop>(state, clock, store, view, *refresher);
    }

    void addPlan(const RefreshPlan& plan)
    {
        QVERIFY(store.ReplacePlan(plan));
        view.addRow(plan.nick);
    }

    // Runs the loop until the clock reaches end; step runs after every wait.
    void runUntil(const QDateTime& end, const std::function<void()>& step = {})
    {
        clock.setOnWait([this, end, step] {
            if (step)
                step();
            if (clock.now() >= end)
                loop->Stop();
        });
        loop->RunRefreshLoop();
        clock.setOnWait({});
    }

    // Listing IDs of the refresh requests the portal received, in order.
    QStringList requests() const
    {
        QStringList ids;
        const QList<PortalRequest> all = sim.requests();
        for (const PortalRequest& r : all) {
            if (r.path.compare(u"/Magent/House/HouseListAction.aspx"_s, Qt::CaseInsensitive) == 0)
                ids.append(r.queryItem(u"houseid"_s));
        }
        return ids;
    }

    QString progress(const QString& nick)
    {
        return store.LoadPlan(nick).progress;
    }

    TempDataDir dir;
    FakeClock clock { at(8, 0) };
    AppState state;
    PlanStore store { clock };
    FakeEngineView view;
    FakeMessagePresenter messages;
    PortalSimulator sim;
    PortalHosts hosts;
    HttpClient http;
    std::unique_ptr<ObservedRefresher> refresher;
    std::unique_ptr<RefreshRunLoop> loop;
};

QString line(const QString& hms, const QString& text)
{
    return hms + QStringLiteral("  ") + text + QStringLiteral("\r\n");
}

} // namespace

class TestRunLoop : public QObject
{
    Q_OBJECT

private slots:
    void selectBatch_data();
    void selectBatch();
    void hugeCountStaysBounded();
    void matchTimeNode_data();
    void matchTimeNode();
    void firedNodesOfEarlierDaysAreDropped();
    void appendLogLine();

    void fixedPointPlanServedOncePerNode();
    void rotationContinuesAfterProgress();
    void rotationLongerThanList();
    void refreshOutcomes_data();
    void refreshOutcomes();
    void notSignedInStopsAfterBatch();
    void stopDuringBatchFinishesIt();
    void rowsChangedDuringRun();
    void storeChangesSeenDuringRun();
    void planDeletedWhileAnotherIsServed();
    void dayChangeRestartsCounts();
    void closingWindow_data();
    void closingWindow();
    void emptyBatchLogged_data();
    void emptyBatchLogged();
};

void TestRunLoop::selectBatch_data()
{
    QTest::addColumn<QString>("sort");
    QTest::addColumn<QString>("ids");
    QTest::addColumn<QString>("num");
    QTest::addColumn<QString>("progress");
    QTest::addColumn<QString>("batch");

    const QString five = QStringLiteral("a,b,c,d,e");
    QTest::newRow("every listing, unchanged") << u"1"_s << u"101,,102,"_s << u""_s << u"x"_s << u"101,,102,"_s;
    QTest::newRow("every listing, no ids") << u"1"_s << u""_s << u""_s << u""_s << u""_s;
    QTest::newRow("rotation from start") << u"2"_s << five << u"2"_s << u""_s << u"a,b"_s;
    QTest::newRow("rotation after b") << u"2"_s << five << u"2"_s << u"b"_s << u"c,d"_s;
    QTest::newRow("rotation wraps after d") << u"2"_s << five << u"2"_s << u"d"_s << u"e,a"_s;
    QTest::newRow("rotation after a") << u"2"_s << five << u"2"_s << u"a"_s << u"b,c"_s;
    QTest::newRow("progress is last piece") << u"2"_s << five << u"2"_s << u"e"_s << u"a,b"_s;
    QTest::newRow("progress not in list") << u"2"_s << five << u"2"_s << u"zz"_s << u"a,b"_s;
    QTest::newRow("progress compared whole") << u"2"_s << five << u"2"_s << u"B"_s << u"a,b"_s;
    QTest::newRow("beyond the list takes piece 1") << u"2"_s << u"a,b,c"_s << u"5"_s << u""_s << u"a,b,c,a,a"_s;
    QTest::newRow("n = 7 over five") << u"2"_s << five << u"7"_s << u""_s << u"a,b,c,d,e,a,a"_s;
    QTest::newRow("wrap then beyond the list") << u"2"_s << u"a,b,c"_s << u"5"_s << u"b"_s << u"c,a,b,c,a"_s;
    QTest::newRow("n = 0 without progress") << u"2"_s << five << u"0"_s << u""_s << u""_s;
    QTest::newRow("n = 0 with progress") << u"2"_s << five << u"0"_s << u"b"_s << u"c"_s;
    QTest::newRow("n = 0 with last progress") << u"2"_s << five << u"0"_s << u"e"_s << u""_s;
    QTest::newRow("n negative with progress") << u"2"_s << five << u"-3"_s << u"a"_s << u"b"_s;
    QTest::newRow("n empty") << u"2"_s << five << u""_s << u""_s << u""_s;
    QTest::newRow("n with text after digits") << u"2"_s << five << u"3个"_s << u""_s << u"a,b,c"_s;
    QTest::newRow("no ids") << u"2"_s << u""_s << u"2"_s << u""_s << u""_s;
    QTest::newRow("progress repeated later is skipped") << u"2"_s << u"a,b,a,c"_s << u"2"_s << u"a"_s << u"b,c"_s;
    QTest::newRow("empty pieces kept") << u"2"_s << u"a,,b"_s << u"2"_s << u"a"_s << u",b"_s;
    QTest::newRow("trailing comma gives no piece") << u"2"_s << u"a,b,"_s << u"3"_s << u""_s << u"a,b,a"_s;
    QTest::newRow("mode 0") << u"0"_s << five << u"2"_s << u""_s << u""_s;
    QTest::newRow("mode empty") << u""_s << five << u"2"_s << u""_s << u""_s;
    QTest::newRow("mode with blank") << u" 1"_s << five << u"2"_s << u""_s << u""_s;
}

void TestRunLoop::selectBatch()
{
    QFETCH(QString, sort);
    QFETCH(QString, ids);
    QFETCH(QString, num);
    QFETCH(QString, progress);
    QFETCH(QString, batch);
    RefreshPlan plan = makePlan(QStringLiteral("P"), ids, QStringLiteral("08:00"), sort, num);
    plan.progress = progress;
    QCOMPARE(SelectBatch(plan), batch);
}

void TestRunLoop::hugeCountStaysBounded()
{
    // A count typed as 999999999 must not build a batch that exhausts memory.
    const RefreshPlan plan = makePlan(QStringLiteral("P"), QStringLiteral("a,b"), QStringLiteral("08:00"),
        QStringLiteral("2"), QStringLiteral("999999999"));
    const QString batch = SelectBatch(plan);
    QVERIFY(batch.startsWith(QStringLiteral("a,b,a,a,")));
    QVERIFY(batch.size() < 1'000'000);
}

void TestRunLoop::matchTimeNode_data()
{
    QTest::addColumn<QString>("times");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QStringList>("servedBefore"); // day text + key, alternately
    QTest::addColumn<bool>("due");

    const QString today = QStringLiteral("2026年3月5日");
    const QString yesterday = QStringLiteral("2026年3月4日");
    QTest::newRow("node now") << u"08:00,08:30"_s << at(8, 0) << QStringList() << true;
    QTest::newRow("late in the minute") << u"08:00,08:30"_s << at(8, 30, 59) << QStringList() << true;
    QTest::newRow("no node now") << u"08:00,08:30"_s << at(8, 1) << QStringList() << false;
    QTest::newRow("two-digit hour and minute") << u"8:05"_s << at(8, 5) << QStringList() << false;
    QTest::newRow("any separator") << u"07:00 09:05;10:00"_s << at(9, 5) << QStringList() << true;
    QTest::newRow("plain substring") << u"108:00"_s << at(8, 0) << QStringList() << true;
    QTest::newRow("served today") << u"08:00"_s << at(8, 0) << QStringList { today, today + u"P08:00"_s } << false;
    QTest::newRow("other plan served") << u"08:00"_s << at(8, 0) << QStringList { today, today + u"Q08:00"_s } << true;
    QTest::newRow("other node served") << u"08:00"_s << at(8, 0) << QStringList { today, today + u"P07:00"_s } << true;
    QTest::newRow("served yesterday") << u"08:00"_s << at(8, 0) << QStringList { yesterday, yesterday + u"P08:00"_s }
                                      << true;
    QTest::newRow("no times") << u""_s << at(8, 0) << QStringList() << false;
}

void TestRunLoop::matchTimeNode()
{
    QFETCH(QString, times);
    QFETCH(QDateTime, now);
    QFETCH(QStringList, servedBefore);
    QFETCH(bool, due);

    Rig rig;
    rig.clock.set(now);
    for (qsizetype i = 0; i + 1 < servedBefore.size(); i += 2)
        rig.state.FiredNodeLog.add(servedBefore.at(i), servedBefore.at(i + 1));
    const RefreshPlan plan = makePlan(QStringLiteral("P"), QStringLiteral("1"), times, QStringLiteral("1"));

    QCOMPARE(rig.loop->MatchTimeNode(plan), due);
    const QString key = TodayDateText(rig.clock) + QStringLiteral("P") + now.time().toString(QStringLiteral("hh:mm"));
    QCOMPARE(rig.state.FiredNodeLog.contains(key), due || servedBefore.contains(key));
    // The node is served once: the same minute never matches again.
    QVERIFY(!rig.loop->MatchTimeNode(plan));
    if (due)
        QVERIFY(rig.state.FiredNodeLog.text().endsWith(QStringLiteral("\r\n") + key));
}

void TestRunLoop::firedNodesOfEarlierDaysAreDropped()
{
    Rig rig;
    const RefreshPlan plan
        = makePlan(QStringLiteral("P"), QStringLiteral("1"), QStringLiteral("08:00"), QStringLiteral("1"));
    QVERIFY(rig.loop->MatchTimeNode(plan));
    rig.clock.set(at(8, 0, 0, QDate(2026, 3, 6)));
    QVERIFY(rig.loop->MatchTimeNode(plan));
    QCOMPARE(rig.state.FiredNodeLog.size(), 1);
    QCOMPARE(rig.state.FiredNodeLog.text(), QStringLiteral("\r\n2026年3月6日P08:00"));
}

void TestRunLoop::appendLogLine()
{
    Rig rig;
    rig.clock.set(at(8, 5, 7));
    rig.loop->AppendLogLine(QStringLiteral("P 正在刷新"));
    rig.clock.set(at(23, 59, 59));
    rig.loop->AppendLogLine(QString());
    QCOMPARE(rig.view.log, QStringLiteral("08:05:07  P 正在刷新\r\n23:59:59  \r\n"));
}

void TestRunLoop::fixedPointPlanServedOncePerNode()
{
    Rig rig;
    rig.addPlan(
        makePlan(QStringLiteral("P"), QStringLiteral("101,102"), QStringLiteral("08:00,08:30"), QStringLiteral("1")));
    QString runningPanel;
    bool disabledWhileRunning = false;
    QString progressAfterFirstNode;
    rig.runUntil(at(8, 31), [&] {
        if (runningPanel.isEmpty()) {
            runningPanel = rig.view.panels[1];
            disabledWhileRunning = !rig.view.startEnabled;
        }
        if (progressAfterFirstNode.isEmpty() && rig.clock.now() >= at(8, 1))
            progressAfterFirstNode = rig.progress(QStringLiteral("P"));
    });

    QCOMPARE(runningPanel, QStringLiteral("任务执行中 8时0分0秒"));
    QVERIFY(disabledWhileRunning);
    QCOMPARE(rig.requests(), (QStringList { u"101"_s, u"102"_s, u"101"_s, u"102"_s }));
    QCOMPARE(progressAfterFirstNode, QStringLiteral("102"));
    QCOMPARE(rig.progress(QStringLiteral("P")), QStringLiteral("102"));
    QCOMPARE(rig.view.log,
        line(u"08:00:00"_s, u"P 符合时间节点"_s) + line(u"08:00:00"_s, u"P 正在刷新"_s)
            + line(u"08:00:00"_s, u"P 101  成功"_s) + line(u"08:00:00"_s, u"P 102  成功"_s)
            + line(u"08:30:00"_s, u"P 符合时间节点"_s) + line(u"08:30:00"_s, u"P 正在刷新"_s)
            + line(u"08:30:00"_s, u"P 101  成功"_s) + line(u"08:30:00"_s, u"P 102  成功"_s));
    QCOMPARE(rig.view.todayOf(QStringLiteral("P")), 4);
    QCOMPARE(rig.view.panels[2], QStringLiteral("今日发布:4"));
    QCOMPARE(rig.view.panels[1], QStringLiteral("任务已经停止"));
    QVERIFY(rig.view.startEnabled);
    QCOMPARE(rig.state.RunFlag, 0);
}

void TestRunLoop::rotationContinuesAfterProgress()
{
    Rig rig;
    rig.addPlan(makePlan(QStringLiteral("R"), QStringLiteral("a,b,c,d,e"), QStringLiteral("08:00,08:01,08:02,08:03"),
        QStringLiteral("2"), QStringLiteral("2")));
    QMap<int, QStringList> batches;
    rig.refresher->onRequest = [&](const QString& id) { batches[rig.clock.now().time().minute()].append(id); };
    QStringList progresses;
    int lastMinute = 0;
    rig.runUntil(at(8, 4), [&] {
        const int minute = rig.clock.now().time().minute();
        if (minute != lastMinute) {
            progresses.append(rig.progress(QStringLiteral("R")));
            lastMinute = minute;
        }
    });

    QCOMPARE(batches.value(0), (QStringList { u"a"_s, u"b"_s }));
    QCOMPARE(batches.value(1), (QStringList { u"c"_s, u"d"_s }));
    QCOMPARE(batches.value(2), (QStringList { u"e"_s, u"a"_s }));
    QCOMPARE(batches.value(3), (QStringList { u"b"_s, u"c"_s }));
    QCOMPARE(progresses, (QStringList { u"b"_s, u"d"_s, u"a"_s, u"c"_s }));
}

void TestRunLoop::rotationLongerThanList()
{
    Rig rig;
    rig.addPlan(makePlan(QStringLiteral("R"), QStringLiteral("a,b,c,d,e"), QStringLiteral("08:00"), QStringLiteral("2"),
        QStringLiteral("7")));
    rig.runUntil(at(8, 1));
    QCOMPARE(rig.requests(), (QStringList { u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"a"_s, u"a"_s }));
    QCOMPARE(rig.progress(QStringLiteral("R")), QStringLiteral("a"));
    // Each repeated listing is a refresh of its own.
    QCOMPARE(rig.store.ReadDailyTotal(), 7);
}

void TestRunLoop::refreshOutcomes_data()
{
    QTest::addColumn<int>("failures");
    QTest::addColumn<QString>("failureText");
    QTest::addColumn<int>("requests");
    QTest::addColumn<QString>("logLine");
    QTest::addColumn<int>("counted");

    QTest::newRow("first try") << 0 << QString() << 1 << line(u"08:00:00"_s, u"P 101  成功"_s) << 1;
    QTest::newRow("retry succeeds") << 1 << QStringLiteral("操作太频繁") << 2 << line(u"08:00:01"_s, u"P 101  成功"_s)
                                    << 1;
    QTest::newRow("fails twice") << 2 << QStringLiteral("房源不存在") << 2
                                 << line(u"08:00:01"_s, u"P 101  房源不存在"_s) << 0;
    QTest::newRow("fails twice silently") << 2 << QString() << 2 << line(u"08:00:01"_s, u"P 101  "_s) << 0;
    QTest::newRow("no third try") << 3 << QStringLiteral("x") << 2 << line(u"08:00:01"_s, u"P 101  x"_s) << 0;
}

void TestRunLoop::refreshOutcomes()
{
    QFETCH(int, failures);
    QFETCH(QString, failureText);
    QFETCH(int, requests);
    QFETCH(QString, logLine);
    QFETCH(int, counted);

    Rig rig;
    rig.addPlan(makePlan(QStringLiteral("P"), QStringLiteral("101"), QStringLiteral("08:00"), QStringLiteral("1")));
    rig.sim.failFirstRefreshes(u"101"_s, failures, failureText);
    rig.runUntil(at(8, 1));

    QCOMPARE(rig.requests().size(), requests);
    QCOMPARE(rig.view.log, line(u"08:00:00"_s, u"P 符合时间节点"_s) + line(u"08:00:00"_s, u"P 正在刷新"_s) + logLine);
    QCOMPARE(rig.store.ReadDailyTotal(), counted);
    QCOMPARE(rig.view.todayOf(QStringLiteral("P")), counted);
    // Progress moves on whatever the outcome.
    QCOMPARE(rig.progress(QStringLiteral("P")), QStringLiteral("101"));
}

void TestRunLoop::notSignedInStopsAfterBatch()
{
    Rig rig;
    rig.addPlan(makePlan(QStringLiteral("P"), QStringLiteral("101,102"), QStringLiteral("08:00"), QStringLiteral("1")));
    rig.addPlan(makePlan(QStringLiteral("Q"), QStringLiteral("201"), QStringLiteral("08:00"), QStringLiteral("1")));
    rig.sim.signOutAll();
    rig.runUntil(at(8, 5));

    QCOMPARE(rig.requests(), (QStringList { u"101"_s, u"101"_s, u"102"_s, u"102"_s }));
    QCOMPARE(rig.messages.messages, QStringList(4, QStringLiteral("您未登录账号")));
    QCOMPARE(rig.progress(QStringLiteral("P")), QStringLiteral("102"));
    QVERIFY(rig.view.log.endsWith(line(u"08:00:02"_s, u"P 102  未登录账号"_s)));
    QCOMPARE(rig.store.ReadDailyTotal(), 0);
    QCOMPARE(rig.view.panels[1], QStringLiteral("任务已经停止"));
    QVERIFY(rig.view.startEnabled);
    // Stopped by itself within the first pass, long before the safety limit.
    QVERIFY(rig.clock.now() < at(8, 0, 3));
}

void TestRunLoop::stopDuringBatchFinishesIt()
{
    Rig rig;
    rig.addPlan(makePlan(
        QStringLiteral("P"), QStringLiteral("1,2,3,4,5,6,7,8,9,10"), QStringLiteral("08:00"), QStringLiteral("1")));
    rig.addPlan(makePlan(QStringLiteral("Q"), QStringLiteral("99"), QStringLiteral("08:00"), QStringLiteral("1")));
    rig.refresher->onRequest = [&](const QString& id) {
        if (id == u"5")
            rig.loop->Stop();
    };
    rig.runUntil(at(8, 5));

    QCOMPARE(rig.requests(),
        (QStringList { u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s, u"7"_s, u"8"_s, u"9"_s, u"10"_s }));
    QCOMPARE(rig.progress(QStringLiteral("P")), QStringLiteral("10"));
    QCOMPARE(rig.store.ReadDailyTotal(), 10);
    QCOMPARE(rig.view.panels[1], QStringLiteral("任务已经停止"));
    QVERIFY(rig.view.startEnabled);
    QVERIFY(rig.clock.now() < at(8, 0, 1));
}

void TestRunLoop::rowsChangedDuringRun()
{
    Rig rig;
    rig.addPlan(makePlan(QStringLiteral("A"), QStringLiteral("a1"), QStringLiteral("08:00"), QStringLiteral("1")));
    rig.addPlan(makePlan(QStringLiteral("B"), QStringLiteral("b1"), QStringLiteral("08:00"), QStringLiteral("1")));
    rig.addPlan(makePlan(QStringLiteral("C"), QStringLiteral("c1"), QStringLiteral("08:00"), QStringLiteral("1")));
    // The list is refilled while A is being served: B is gone, C moved up.
    rig.refresher->onRequest = [&](const QString& id) {
        if (id == u"a1")
            rig.view.setRowNames(QStringList { QStringLiteral("C") });
    };
    rig.runUntil(at(8, 0, 30), [&] {
        // Later on every row vanishes; passes go on without rows.
        if (rig.clock.now() >= at(8, 0, 10))
            rig.view.rows.clear();
    });

    QCOMPARE(rig.requests(), (QStringList { u"a1"_s, u"c1"_s }));
    QVERIFY(!rig.view.log.contains(QStringLiteral("B ")));
    QCOMPARE(rig.view.panels[1], QStringLiteral("任务已经停止"));
}

void TestRunLoop::storeChangesSeenDuringRun()
{
    Rig rig;
    rig.addPlan(makePlan(QStringLiteral("P"), QStringLiteral("p1"), QStringLiteral("08:01"), QStringLiteral("1")));
    rig.addPlan(makePlan(QStringLiteral("R"), QStringLiteral("r1"), QStringLiteral("08:02"), QStringLiteral("1")));
    // Another connection to the same file, as a second program would have.
    PlanStore other(rig.clock);
    QVERIFY(other.OpenPlanStore(rig.dir.databasePath()));
    bool edited = false;
    bool deleted = false;
    rig.runUntil(at(8, 3), [&] {
        if (!edited && rig.clock.now() >= at(8, 0, 30)) {
            edited = true;
            QVERIFY(other.ReplacePlan(
                makePlan(QStringLiteral("P"), QStringLiteral("p1"), QStringLiteral("08:02"), QStringLiteral("1"))));
            QVERIFY(other.ReplacePlan(
                makePlan(QStringLiteral("Q"), QStringLiteral("q1"), QStringLiteral("08:01"), QStringLiteral("1"))));
            rig.view.addRow(QStringLiteral("Q"));
        }
        if (!deleted && rig.clock.now() >= at(8, 1, 30)) {
            deleted = true;
            rig.store.DeletePlan(QStringLiteral("R"));
        }
    });

    QCOMPARE(rig.requests(), (QStringList { u"q1"_s, u"p1"_s }));
    QVERIFY(!rig.view.log.contains(QStringLiteral("R ")));
}

void TestRunLoop::planDeletedWhileAnotherIsServed()
{
    Rig rig;
    rig.addPlan(makePlan(u"A"_s, u"a1"_s, u"08:00"_s, u"1"_s));
    rig.addPlan(makePlan(u"B"_s, u"b1"_s, u"08:00"_s, u"1"_s));
    // Deleted from the list's menu while A's request is under way; the row still shows.
    rig.refresher->onRequest = [&](const QString& id) {
        if (id == u"a1")
            rig.store.DeletePlan(u"B"_s);
    };
    rig.runUntil(at(8, 1));
    QCOMPARE(rig.requests(), (QStringList { u"a1"_s }));
}

void TestRunLoop::dayChangeRestartsCounts()
{
    Rig rig;
    const QDate day1(2026, 3, 5);
    const QDate day2(2026, 3, 6);
    rig.clock.set(at(23, 59, 0, day1));
    rig.addPlan(
        makePlan(QStringLiteral("P"), QStringLiteral("101"), QStringLiteral("00:00,23:59"), QStringLiteral("1")));
    int todayOnDay1 = 0;
    rig.runUntil(at(0, 1, 0, day2), [&] {
        if (rig.clock.now().date() == day1)
            todayOnDay1 = rig.view.todayOf(QStringLiteral("P"));
    });

    QCOMPARE(rig.requests(), (QStringList { u"101"_s, u"101"_s }));
    QCOMPARE(todayOnDay1, 1);
    QCOMPARE(rig.view.todayOf(QStringLiteral("P")), 1);
    QCOMPARE(rig.view.panels[2], QStringLiteral("今日发布:1"));
    QVERIFY(rig.view.log.contains(line(u"00:00:00"_s, u"P 101  成功"_s)));
    // Only the new day's node is kept as served.
    QCOMPARE(rig.state.FiredNodeLog.text(), QStringLiteral("\r\n2026年3月6日P00:00"));
}

void TestRunLoop::closingWindow_data()
{
    QTest::addColumn<bool>("duringRetryWait");
    QTest::addColumn<int>("counted");

    // Closed as listing 2 goes out: that request comes back and is counted.
    QTest::newRow("during a request") << false << 2;
    // Closed while waiting to try listing 2 again: the retry is not sent.
    QTest::newRow("during the retry wait") << true << 1;
}

void TestRunLoop::closingWindow()
{
    QFETCH(bool, duringRetryWait);
    QFETCH(int, counted);

    Rig rig;
    rig.addPlan(makePlan(u"P"_s, u"1,2,3"_s, u"08:00"_s, u"1"_s));
    auto close = [&] {
        rig.view.closed = true;
        rig.loop->abandon();
    };
    if (duringRetryWait) {
        rig.sim.failFirstRefreshes(u"2"_s, 1);
    } else {
        rig.refresher->onRequest = [&](const QString& id) {
            if (id == u"2")
                close();
        };
    }
    rig.runUntil(at(8, 5), [&] {
        if (duringRetryWait && !rig.view.closed && rig.requests().size() == 2)
            close();
    });

    QCOMPARE(rig.requests(), (QStringList { u"1"_s, u"2"_s }));
    QCOMPARE(rig.view.touchesAfterClose, 0);
    QCOMPARE(rig.store.ReadDailyTotal(), counted);
    QCOMPARE(rig.store.LoadPlan(u"P"_s).today, QString::number(counted));
    // The rotation goes on after the last listing tried.
    QCOMPARE(rig.progress(u"P"_s), u"2"_s);
    QVERIFY(!rig.loop->isRunning());
    QVERIFY(rig.clock.now() < at(8, 0, 2));
    // A later click does not start a loop on a window that is going away.
    rig.loop->RunRefreshLoop();
    QCOMPARE(rig.view.touchesAfterClose, 0);
}

void TestRunLoop::emptyBatchLogged_data()
{
    QTest::addColumn<QString>("sort");
    QTest::addColumn<QString>("ids");
    QTest::addColumn<QString>("num");

    QTest::newRow("unknown mode") << u"3"_s << u"101"_s << u"1"_s;
    QTest::newRow("no ids") << u"1"_s << u""_s << u""_s;
    QTest::newRow("rotation count 0") << u"2"_s << u"101"_s << u"0"_s;
}

void TestRunLoop::emptyBatchLogged()
{
    QFETCH(QString, sort);
    QFETCH(QString, ids);
    QFETCH(QString, num);

    Rig rig;
    rig.addPlan(makePlan(QStringLiteral("P"), ids, QStringLiteral("08:00"), sort, num));
    rig.store.SavePlanProgress(QStringLiteral("P"), QString());
    rig.runUntil(at(8, 1));
    QVERIFY(rig.requests().isEmpty());
    QCOMPARE(rig.view.log, line(u"08:00:00"_s, u"P 符合时间节点"_s) + line(u"08:00:00"_s, u"P 未取到需要刷新的id"_s));
    QVERIFY(rig.store.LoadPlan(QStringLiteral("P")).progress.isEmpty());
}

QTEST_MAIN(TestRunLoop)
#include "test_run_loop.moc"
